// LVF volume files: whole volumes, boxes, and a sliding window of planes.
//
// The window of a reading record is nb_seq plane buffers; moving it reuses
// the buffers by rotating their pointers, so every plane of the file is read
// exactly once, into the buffer that just left the window. Planes move in one
// stream call each (gathered from, or scattered to, the separate traces).

#include "lvf_volume.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "fail.hpp"
#include "volume.h"
#include "volume_alloc.hpp"

namespace {

constexpr std::int32_t kMagic = 128;
constexpr std::int32_t kHeaderLength = 24;

// Prints "Dans <source file>, ligne <n>, " with the source line of the
// call, then the system's reason, prefixed by the function that failed.
// The file and line are the compilers' builtins as default arguments, which
// take the caller's (std::source_location is not supported by every
// compiler that builds the suite).
void report_open_failure(const char* function, const char* source = __builtin_FILE(), int line = __builtin_LINE()) {
    const int error = errno;
    std::string_view file = source;
    file.remove_prefix(file.rfind('/') == std::string_view::npos ? 0 : file.rfind('/') + 1);
    std::printf("Dans %.*s, ligne %u, ", static_cast<int>(file.size()), file.data(), static_cast<unsigned>(line));
    std::fflush(stdout);
    errno = error;
    std::perror(function);
}

std::size_t plane_bytes(const ima3Du1* v) {
    return static_cast<std::size_t>(v->dimx) * static_cast<std::size_t>(v->dimy);
}

// Streams get a buffer of a mebibyte, so that traces, however short, reach
// the file in large system calls.
constexpr std::size_t kStreamBuffer = std::size_t{1} << 20;

std::FILE* open_stream(const char* nom, const char* mode) {
    std::FILE* f = std::fopen(nom, mode);
    if (f != nullptr) std::setvbuf(f, nullptr, _IOFBF, kStreamBuffer);
    return f;
}

// Reads one plane (all its traces) from the stream into `traces`.
bool read_plane(std::FILE* f, unsigned char* const* traces, int dimx, int dimy) {
    const std::size_t n = static_cast<std::size_t>(dimx);
    for (int y = 0; y < dimy; ++y)
        if (std::fread(traces[y], 1, n, f) != n) return false;
    return true;
}

// Writes samples x0 ... x0 + nx - 1 of traces y0 ... y0 + ny - 1 of a plane.
bool write_plane(std::FILE* f, unsigned char* const* traces, int x0, int nx, int y0, int ny) {
    const std::size_t n = static_cast<std::size_t>(nx);
    for (int y = y0; y < y0 + ny; ++y)
        if (std::fwrite(traces[y] + x0, 1, n, f) != n) return false;
    return true;
}

bool write_zero_planes(std::FILE* f, std::size_t bytes, int count) {
    static constexpr std::array<unsigned char, 4096> zeros{};
    for (std::size_t left = bytes * static_cast<std::size_t>(std::max(count, 0)); left > 0;) {
        const std::size_t n = std::min(left, zeros.size());
        if (std::fwrite(zeros.data(), 1, n, f) != n) return false;
        left -= n;
    }
    return true;
}

bool write_header(std::FILE* f, std::int32_t entete, int dimx, int dimy, int dimz, int bits) {
    const std::array<std::int32_t, 5> fields = {entete, dimx, dimy, dimz, bits};
    return std::fwrite(fields.data(), 4, fields.size(), f) == fields.size();
}

bool write_magic(std::FILE* f) {
    if (std::fwrite(&kMagic, 4, 1, f) == 1) return true;
    std::printf("Ecriture impossible du nombre magique\n");
    std::fclose(f);
    return false;
}

// Whether a record's sizes describe planes that can be written.
bool writable_sizes(const ima3Du1* v, const char* function) {
    if (v->dimx > 0 && v->dimy > 0 && v->dimz > 0) return true;
    std::printf("%s: dimensions %d x %d x %d incorrectes\n", function, v->dimx, v->dimy, v->dimz);
    return false;
}

// Opens an LVF file and checks its header against its length. On success
// fills the sizes of *v and returns the stream at the first sample; on a
// failure prints why, closes the file and returns null. A file that cannot
// be opened ends the process (status -1) after naming `who` and the source
// line of its call.
std::FILE* open_lvf(const char* nom, ima3Du1* v, const char* who,
                    const char* source = __builtin_FILE(), int line = __builtin_LINE()) {
    std::FILE* f = open_stream(nom, "rb");
    if (f == nullptr) {
        report_open_failure(who, source, line);
        fw::quit(-1);
    }
    auto give_up = [f] {
        std::fclose(f);
        return static_cast<std::FILE*>(nullptr);
    };
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0) {
        std::perror("stat");
        return give_up();
    }
    std::int32_t magic;
    if (std::fread(&magic, 4, 1, f) != 1) {
        std::printf("lecture impossible du nombre magique\n");
        return give_up();
    }
    if (magic != kMagic) {
        if (static_cast<std::uint32_t>(magic) == 0x80000000u)
            std::printf("Attention image codee dans l'ordre inverse de la lecture\n");
        std::printf("Nombre magique incorrecte\n");
        return give_up();
    }
    std::array<std::int32_t, 5> h;  // entete, dimx, dimy, dimz, bits
    if (std::fread(h.data(), 4, h.size(), f) != h.size()) {
        std::printf("probleme lecture param\350tres dimensionnels de l'image\n");
        return give_up();
    }
    const auto [entete, dimx, dimy, dimz, bits] = h;
    if (bits != 8) {
        std::printf("Image non codee sur 8bits\n");
        return give_up();
    }
    if (dimx <= 0 || dimy <= 0 || dimz <= 0 || entete < kHeaderLength) {
        std::printf("%s: dimensions %d x %d x %d ou entete %d incorrectes\n", who, dimx, dimy, dimz, entete);
        return give_up();
    }
    // Sizes too large for any file saturate, so the length check refuses them.
    long long expected;
    if (__builtin_mul_overflow(static_cast<long long>(dimx) * dimy, dimz, &expected) ||
        __builtin_add_overflow(expected, entete, &expected))
        expected = LLONG_MAX;
    if (static_cast<long long>(st.st_size) != expected) {
        std::printf("fichier de %lld octets alors que %lld octets attendus!\n", static_cast<long long>(st.st_size), expected);
        return give_up();
    }
    if (std::fseek(f, entete, SEEK_SET) != 0) return give_up();
    v->dimx = dimx;
    v->dimy = dimy;
    v->dimz = dimz;
    v->entete = entete;
    v->nb_bits = 8;
    return f;
}

}  // namespace

extern "C" {

int lecture_entete_lvf(const char* nom, ima3Du1* v) {
    v->fichier = open_lvf(nom, v, "lecture_entete_lvf");
    return v->fichier == nullptr ? -1 : 0;
}

int lect_volume_u1(const char* nom, ima3Du1* v) {
    std::FILE* f = open_lvf(nom, v, "lect_volume_u1");
    if (f == nullptr) return -1;
    v->data = vol::try_allocate_u1(v->dimx, v->dimy, v->dimz);
    if (v->data == nullptr) {
        std::perror("Probleme d'allocation");
        std::fclose(f);
        return -1;
    }
    for (int z = 0; z < v->dimz; ++z)
        if (!read_plane(f, v->data[z], v->dimx, v->dimy)) {
            std::printf("lect_volume_u1: lecture du plan %d impossible\n", z);
            std::fclose(f);
            liberer_ima3Du1(v);
            return -1;
        }
    std::fclose(f);
    return 0;
}

int write_volume_u1(const char* nom, ima3Du1* v) {
    // The record is checked before the file is created, so that a refused
    // record leaves no file behind.
    if (v->entete != kHeaderLength) {
        std::printf("ATTENTION ecriture d'image impossible: entete=%d\n", v->entete);
        return 1;
    }
    if (v->nb_bits != 8) {
        std::printf("ATTENTION ecriture d'image impossible: profondeur=%d\n", v->nb_bits);
        return 1;
    }
    if (!writable_sizes(v, "write_volume_u1") || v->data == nullptr) return 1;
    std::FILE* f = open_stream(nom, "wb");
    if (f == nullptr) {
        report_open_failure("write_volume_u1");
        return -1;
    }
    if (!write_magic(f)) return -1;
    bool ok = write_header(f, v->entete, v->dimx, v->dimy, v->dimz, v->nb_bits);
    for (int z = 0; ok && z < v->dimz; ++z) ok = write_plane(f, v->data[z], 0, v->dimx, 0, v->dimy);
    const int closed = std::fclose(f);
    if (!ok || closed != 0) {
        std::printf("write_volume_u1: ecriture du fichier %s impossible\n", nom);
        return -1;
    }
    return closed;
}

int write_part_of_volume_u1(const char* nom, ima3Du1* v, int x0, int y0, int z0, int x1, int y1, int z1) {
    if (x0 < 0 || y0 < 0 || z0 < 0 || x1 < x0 || y1 < y0 || z1 < z0 || x1 >= v->dimx || y1 >= v->dimy ||
        z1 >= v->dimz) {
        std::printf("write_part_of_volume_u1: boite %d..%d x %d..%d x %d..%d hors du volume %d x %d x %d\n", x0, x1,
                    y0, y1, z0, z1, v->dimx, v->dimy, v->dimz);
        return -1;
    }
    std::FILE* f = open_stream(nom, "wb");
    if (f == nullptr) {
        report_open_failure("write_part_of_volume_u1");
        return -1;
    }
    if (!write_magic(f)) return -1;
    bool ok = write_header(f, kHeaderLength, x1 - x0 + 1, y1 - y0 + 1, z1 - z0 + 1, v->nb_bits);
    for (int z = z0; ok && z <= z1; ++z) ok = write_plane(f, v->data[z], x0, x1 - x0 + 1, y0, y1 - y0 + 1);
    const int closed = std::fclose(f);
    if (!ok || closed != 0) {
        std::printf("write_part_of_volume_u1: ecriture du fichier %s impossible\n", nom);
        return -1;
    }
    return 0;
}

int ecriture_entete_lvf(const char* nom, ima3Du1* v) {
    v->fichier = nullptr;
    if (!writable_sizes(v, "ecriture_entete_lvf")) return -1;
    std::FILE* f = open_stream(nom, "wb");
    if (f == nullptr) {
        report_open_failure("ecriture_entete_lvf");
        return -1;
    }
    if (!write_magic(f)) return -1;
    if (!write_header(f, v->entete, v->dimx, v->dimy, v->dimz, v->nb_bits)) {
        std::printf("ecriture_entete_lvf: ecriture de l'entete de %s impossible\n", nom);
        std::fclose(f);
        return -1;
    }
    v->fichier = f;
    return 0;
}

int lect_volume_u1_sequence_first(const char* nom, ima3Du1* v, int largeur) {
    constexpr const char* who = "lect_volume_u1_sequence_first";
    if (largeur < 1) {
        std::printf("%s: largeur de fenetre %d refusee (au moins 1)\n", who, largeur);
        return -1;
    }
    if (lecture_entete_lvf(nom, v) != 0) return -1;
    // On every failure from here the stream is closed and the window
    // released, so a refused call leaves nothing open.
    auto give_up = [v] {
        std::fclose(v->fichier);
        v->fichier = nullptr;
        if (v->data != nullptr) liberer_ima3Du1_sequence(v);
        return -1;
    };
    v->data = nullptr;
    int width = largeur;
    if (width % 2 == 0) {
        width = largeur + 1;
        std::printf("%s: attention fenetre de %d plans utilisee au lieu de %d demandes\n", who, width, largeur);
    }
    if (width - 1 > v->dimz) {
        std::printf("%s: fenetre de %d plans trop large pour un volume de %d plans\n", who, width, v->dimz);
        return give_up();
    }
    v->nb_seq = width;
    v->data = vol::try_allocate_u1(v->dimx, v->dimy, width);
    if (v->data == nullptr) {
        std::printf("%s: allocation de la fenetre de %d plans impossible\n", who, width);
        return give_up();
    }
    // Slot 0 stays the zero plane before the volume; slots 1 ... width - 1
    // receive the file's first planes.
    for (int slot = 1; slot < width; ++slot)
        if (!read_plane(v->fichier, v->data[slot], v->dimx, v->dimy)) {
            std::printf("%s: lecture du plan %d impossible\n", who, slot);
            return give_up();
        }
    v->courant = width / 2;
    return v->courant;
}

int lect_volume_u1_sequence_next(ima3Du1* v) {
    const int half = v->nb_seq / 2;
    if (half + v->courant >= v->dimz) {
        std::printf("Lecture sequence suivante impossible: fin du bloc\n");
        return -1;
    }
    unsigned char** oldest = v->data[0];
    std::memmove(v->data, v->data + 1, static_cast<std::size_t>(v->nb_seq - 1) * sizeof *v->data);
    v->data[v->nb_seq - 1] = oldest;
    if (!read_plane(v->fichier, oldest, v->dimx, v->dimy)) {
        std::printf("lect_volume_u1_sequence_next: lecture du plan %d impossible\n", v->courant + half + 1);
        return -1;
    }
    ++v->courant;
    return 0;
}

int write_volume_u1_sequence_preparation(const char* nom, ima3Du1* v, int bord) {
    if (ecriture_entete_lvf(nom, v) != 0) return -1;
    if (write_zero_planes(v->fichier, plane_bytes(v), bord)) return 0;
    std::printf("write_volume_u1_sequence_preparation: ecriture du fichier %s impossible\n", nom);
    std::fclose(v->fichier);
    v->fichier = nullptr;
    return -1;
}

int write_volume_u1_sequence_next(ima3Du1* v) {
    if (write_plane(v->fichier, v->data[v->courant], 0, v->dimx, 0, v->dimy)) return 0;
    std::printf("write_volume_u1_sequence_next: ecriture du plan %d impossible\n", v->courant);
    return -1;
}

int write_volume_u1_sequence_fermeture(ima3Du1* v, int bord) {
    const bool ok = write_zero_planes(v->fichier, plane_bytes(v), bord);
    const int closed = std::fclose(v->fichier);
    v->fichier = nullptr;
    if (ok && closed == 0) return 0;
    std::printf("write_volume_u1_sequence_fermeture: ecriture du volume impossible\n");
    return -1;
}

void copie_entete_ima3du1(ima3Du1* src, ima3Du1* dst) {
    dst->dimx = src->dimx;
    dst->dimy = src->dimy;
    dst->dimz = src->dimz;
    dst->entete = src->entete;
    dst->nb_bits = src->nb_bits;
    dst->courant = src->courant;
    dst->nb_seq = src->nb_seq;
}

}  // extern "C"
