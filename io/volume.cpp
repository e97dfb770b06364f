// Volume records and volume files.
//
// Headers are checked before anything is allocated from them: positive
// sizes, 8, 16 or 64 bits per sample, a header length of at least 80 bytes,
// planes inside the volume, and a file long enough for the samples asked
// for. Samples move through a scratch buffer of about a mebibyte, so each
// system call reads or writes many traces at once.

#include "volume.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fail.hpp"
#include "file_io.hpp"
#include "pixel_traits.hpp"
#include "volume_alloc.hpp"

namespace {

using fw::fail;

constexpr int kHeaderBytes = 80;
constexpr std::size_t kChunk = std::size_t{1} << 20;

// Header field offsets.
constexpr long kTraceLength = 4;
constexpr long kTraces = 8;
constexpr long kPlanes = 12;
constexpr long kBits = 36;
constexpr long kHeaderLength = 72;

// ---- Allocation -------------------------------------------------------------

template <class T>
T*** allocate_planes(int dimx, int dimy, int planes, bool zero_filled, const char* who) {
    if (dimx <= 0 || dimy <= 0 || planes <= 0)
        fail(1, "\n>> ERREUR %s : dimensions %d x %d x %d incorrectes\n", who, dimx, dimy, planes);
    T*** data = vol::try_allocate<T>(dimx, dimy, planes, zero_filled);
    if (data == nullptr) fail(1, "\n>> ERREUR %s : allocation impossible\n", who);
    return data;
}

template <class T>
void release_planes(T***& data, int dimy, int planes) {
    vol::release(data, dimy, planes);
    data = nullptr;
}

// ---- Header fields ------------------------------------------------------------

int read_field(std::FILE* f, long offset, const char* who) {
    std::int32_t value;
    if (std::fseek(f, offset, SEEK_SET) != 0 || std::fread(&value, 4, 1, f) != 1)
        fail(1, "\n>> ERREUR %s : lecture de l'entete du volume impossible\n", who);
    return fw::byte_reversed(value);
}

void write_field(std::FILE* f, long offset, int value, const char* who) {
    const std::int32_t stored = fw::byte_reversed(static_cast<std::int32_t>(value));
    if (std::fseek(f, offset, SEEK_SET) != 0 || std::fwrite(&stored, 4, 1, f) != 1)
        fail(1, "\n>> ERREUR %s : ecriture de l'entete du volume impossible\n", who);
}

// ---- Trace transfers ------------------------------------------------------------

// Reads `count` consecutive traces of `bytes` bytes, a mebibyte or one trace
// per call, handing each to sink(index, data). Returns false when the file
// ends first.
template <class Sink>
bool read_traces(std::FILE* f, std::size_t bytes, std::size_t count, Sink sink) {
    const std::size_t per_call = std::max<std::size_t>(1, kChunk / bytes);
    std::vector<unsigned char> buffer(std::min(per_call, count) * bytes);
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(per_call, count - done);
        if (std::fread(buffer.data(), bytes, n, f) != n) return false;
        for (std::size_t i = 0; i < n; ++i) sink(done + i, buffer.data() + i * bytes);
        done += n;
    }
    return true;
}

// Writes `count` traces of `bytes` bytes, each produced by fill(index, data).
template <class Fill>
bool write_traces(std::FILE* f, std::size_t bytes, std::size_t count, Fill fill) {
    const std::size_t per_call = std::max<std::size_t>(1, kChunk / bytes);
    std::vector<unsigned char> buffer(std::min(per_call, count) * bytes);
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(per_call, count - done);
        for (std::size_t i = 0; i < n; ++i) fill(done + i, buffer.data() + i * bytes);
        if (std::fwrite(buffer.data(), bytes, n, f) != n) return false;
        done += n;
    }
    return true;
}

// ---- Reading ------------------------------------------------------------------

// What a reader found in the header and chose to read.
struct Selection {
    int dimx, dimy, entete, bits;
    int first_plane;  // from 0
    int planes;
    std::size_t sample_bytes;
    std::size_t traces() const { return static_cast<std::size_t>(planes) * static_cast<std::size_t>(dimy); }
};

// Opens a volume file, checks its header, the reading mode and the planes
// asked for against the file's length, and leaves the stream at the first
// sample to read.
Selection open_volume(const char* nom, std::FILE*& f, int mode, int premier, int dernier, const char* who) {
    f = std::fopen(nom, "rb");
    if (f == nullptr) fail(1, "Can't open file %s\n", nom);
    const long long length = io::regular_file_size(f);
    if (length >= 0 && length < kHeaderBytes) fail(1, "\n>> ERREUR %s : fichier %s plus court que son entete\n", who, nom);

    Selection s{};
    s.dimx = read_field(f, kTraceLength, who);
    s.dimy = read_field(f, kTraces, who);
    const int dimz = read_field(f, kPlanes, who);
    s.bits = read_field(f, kBits, who);
    s.entete = read_field(f, kHeaderLength, who);
    if (s.dimx <= 0 || s.dimy <= 0 || dimz <= 0)
        fail(1, "\n>> ERREUR %s : dimensions %d x %d x %d incorrectes dans %s\n", who, s.dimx, s.dimy, dimz, nom);
    if (s.bits != 8 && s.bits != 16 && s.bits != 64)
        fail(1, "\n>> ERREUR %s : %d bits par echantillon dans %s (8, 16 ou 64)\n", who, s.bits, nom);
    if (s.entete < kHeaderBytes)
        fail(1, "\n>> ERREUR %s : longueur d'entete %d incorrecte dans %s\n", who, s.entete, nom);

    switch (mode) {
        case 0:
            s.first_plane = 0;
            s.planes = dimz;
            break;
        case 1:
            dernier = premier;
            [[fallthrough]];
        case 2:
            if (premier < 1 || dernier < premier || dernier > dimz)
                fail(1, "\n>> ERREUR %s : plans %d a %d hors du volume %s (1 a %d)\n", who, premier, dernier, nom, dimz);
            s.first_plane = premier - 1;
            s.planes = dernier - premier + 1;
            break;
        default:
            fail(1, "\n>> ERREUR %s : mode de lecture %d inconnu (0, 1 ou 2)\n", who, mode);
    }

    s.sample_bytes = static_cast<std::size_t>(s.bits / 8);
    unsigned long long plane = 0, end = 0;
    const bool overflow =
        __builtin_mul_overflow(static_cast<unsigned long long>(s.dimx) * static_cast<unsigned long long>(s.dimy),
                               s.sample_bytes, &plane) ||
        __builtin_mul_overflow(plane, static_cast<unsigned long long>(s.first_plane + s.planes), &end) ||
        __builtin_add_overflow(end, static_cast<unsigned long long>(s.entete), &end) || end > INT64_MAX;
    if (overflow || io::known_too_short(length, end))
        fail(1, "\n>> ERREUR %s : fichier %s plus court que ses echantillons\n", who, nom);
    if (std::fseek(f, static_cast<long>(s.entete + plane * static_cast<unsigned long long>(s.first_plane)), SEEK_SET) != 0)
        fail(1, "\n>> ERREUR %s : fichier %s plus court que ses echantillons\n", who, nom);
    return s;
}

template <class Volume>
void take_sizes(Volume* v, const Selection& s, int bits) {
    v->dimx = s.dimx;
    v->dimy = s.dimy;
    v->dimz = s.planes;
    v->entete = s.entete;
    v->nb_bits = bits;
}

// Big-endian signed 16-bit sample i of a trace.
inline int sample16(const unsigned char* p, std::size_t i) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[2 * i] << 8 | p[2 * i + 1]));
}

[[noreturn]] void short_file(const char* who, const char* nom) {
    fail(1, "\n>> ERREUR %s : fichier %s plus court que ses echantillons\n", who, nom);
}

template <class Volume, class Sample>
Sample* trace_of(Volume* v, std::size_t index) {
    return v->data[index / static_cast<std::size_t>(v->dimy)][index % static_cast<std::size_t>(v->dimy)];
}

}  // namespace

extern "C" {

void allouer_ima3Du1(ima3Du1* v) { v->data = allocate_planes<unsigned char>(v->dimx, v->dimy, v->dimz, true, "allouer_ima3Du1"); }
void allouer_ima3Ds2(ima3Ds2* v) { v->data = allocate_planes<short>(v->dimx, v->dimy, v->dimz, true, "allouer_ima3Ds2"); }
void allouer_ima3Du4(ima3Du4* v) { v->data = allocate_planes<unsigned>(v->dimx, v->dimy, v->dimz, true, "allouer_ima3Du4"); }
void allouer_ima3Du8(ima3Du8* v) {
    v->data = allocate_planes<unsigned long long>(v->dimx, v->dimy, v->dimz, true, "allouer_ima3Du8");
}
void allouer_ima3Dd(ima3Dd* v) { v->data = allocate_planes<double>(v->dimx, v->dimy, v->dimz, true, "allouer_ima3Dd"); }
void allouer_ima3Du1_sequence(ima3Du1* v) {
    v->data = allocate_planes<unsigned char>(v->dimx, v->dimy, v->nb_seq, true, "allouer_ima3Du1_sequence");
}

void liberer_ima3Du1(ima3Du1* v) { release_planes(v->data, v->dimy, v->dimz); }
void liberer_ima3Ds2(ima3Ds2* v) { release_planes(v->data, v->dimy, v->dimz); }
void liberer_ima3Du4(ima3Du4* v) { release_planes(v->data, v->dimy, v->dimz); }
void liberer_ima3Du8(ima3Du8* v) { release_planes(v->data, v->dimy, v->dimz); }
void liberer_ima3Dd(ima3Dd* v) { release_planes(v->data, v->dimy, v->dimz); }
void liberer_ima3Du1_sequence(ima3Du1* v) { release_planes(v->data, v->dimy, v->nb_seq); }

void lire_longueur_trace(std::FILE* f, int* valeur) { *valeur = read_field(f, kTraceLength, "lire_longueur_trace"); }
void lire_nb_trace(std::FILE* f, int* valeur) { *valeur = read_field(f, kTraces, "lire_nb_trace"); }
void lire_nb_plan(std::FILE* f, int* valeur) { *valeur = read_field(f, kPlanes, "lire_nb_plan"); }
void lire_nb_octet(std::FILE* f, int* valeur) { *valeur = read_field(f, kBits, "lire_nb_octet"); }
void lire_longueur_entete(std::FILE* f, int* valeur) { *valeur = read_field(f, kHeaderLength, "lire_longueur_entete"); }
void ecr_longueur_trace(std::FILE* f, int valeur) { write_field(f, kTraceLength, valeur, "ecr_longueur_trace"); }
void ecr_nb_trace(std::FILE* f, int valeur) { write_field(f, kTraces, valeur, "ecr_nb_trace"); }
void ecr_nb_plan(std::FILE* f, int valeur) { write_field(f, kPlanes, valeur, "ecr_nb_plan"); }
void ecr_nb_octet(std::FILE* f, int valeur) { write_field(f, kBits, valeur, "ecr_nb_octet"); }
void ecr_longueur_entete(std::FILE* f, int valeur) { write_field(f, kHeaderLength, valeur, "ecr_longueur_entete"); }

FILE* lect_ima3Du1(const char* nom, ima3Du1* v, int mode, int premier, int dernier) {
    const char* who = "lect_ima3Du1";
    std::FILE* f;
    const Selection s = open_volume(nom, f, mode, premier, dernier, who);
    if (s.bits == 64) fail(1, "\n>> ERREUR %s : %s est un volume de doubles (64 bits)\n", who, nom);
    take_sizes(v, s, 8);
    v->data = allocate_planes<unsigned char>(s.dimx, s.dimy, s.planes, false, "allouer_ima3Du1");
    const std::size_t n = static_cast<std::size_t>(s.dimx);

    if (s.bits == 8) {
        if (!read_traces(f, n, s.traces(), [&](std::size_t t, const unsigned char* p) {
                std::memcpy(trace_of<ima3Du1, unsigned char>(v, t), p, n);
            }))
            short_file(who, nom);
        return f;
    }

    // 16-bit samples: a first pass finds the range, a second maps -c ... c
    // to 0 ... 254 with c the larger of the maximum and minus the minimum.
    const long start = std::ftell(f);
    int maximum = 0, minimum = 0;
    if (!read_traces(f, 2 * n, s.traces(), [&](std::size_t, const unsigned char* p) {
            for (std::size_t i = 0; i < n; ++i) {
                const int value = sample16(p, i);
                maximum = std::max(maximum, value);
                minimum = std::min(minimum, value);
            }
        }))
        short_file(who, nom);
    std::printf("max=%d; min=%d\n", maximum, minimum);
    const long long c = std::max(maximum, -minimum);
    if (std::fseek(f, start, SEEK_SET) != 0) short_file(who, nom);
    if (!read_traces(f, 2 * n, s.traces(), [&](std::size_t t, const unsigned char* p) {
            unsigned char* out = trace_of<ima3Du1, unsigned char>(v, t);
            // trunc(v * 127 / c + 127) = floor(127 (v + c) / c), as v + c >= 0;
            // an all-zero volume (c = 0) maps to 127.
            for (std::size_t i = 0; i < n; ++i)
                out[i] = c == 0 ? 127 : static_cast<unsigned char>(127 * (sample16(p, i) + c) / c);
        }))
        short_file(who, nom);
    return f;
}

FILE* lect_ima3Ds2(const char* nom, ima3Ds2* v, int mode, int premier, int dernier) {
    const char* who = "lect_ima3Ds2";
    std::FILE* f;
    const Selection s = open_volume(nom, f, mode, premier, dernier, who);
    if (s.bits == 64) fail(1, "\n>> ERREUR %s : %s est un volume de doubles (64 bits)\n", who, nom);
    take_sizes(v, s, 16);
    v->data = allocate_planes<short>(s.dimx, s.dimy, s.planes, false, "allouer_ima3Ds2");
    const std::size_t n = static_cast<std::size_t>(s.dimx);
    const bool ok = read_traces(f, n * s.sample_bytes, s.traces(), [&](std::size_t t, const unsigned char* p) {
        short* out = trace_of<ima3Ds2, short>(v, t);
        if (s.bits == 8) {
            // A byte b becomes the 16-bit value whose high byte is b.
            for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<short>(static_cast<std::uint16_t>(p[i] << 8));
        } else {
            fw::reverse_copy_each<2>(out, p, n);
        }
    });
    if (!ok) short_file(who, nom);
    return f;
}

FILE* lect_ima3Dd(const char* nom, ima3Dd* v, int mode, int premier, int dernier) {
    const char* who = "lect_ima3Dd";
    std::FILE* f;
    const Selection s = open_volume(nom, f, mode, premier, dernier, who);
    if (s.bits != 64) fail(1, "Image %s is not double encoded..\n", nom);
    take_sizes(v, s, 64);
    v->data = allocate_planes<double>(s.dimx, s.dimy, s.planes, false, "allouer_ima3Dd");
    const std::size_t bytes = static_cast<std::size_t>(s.dimx) * sizeof(double);
    if (!read_traces(f, bytes, s.traces(), [&](std::size_t t, const unsigned char* p) {
            std::memcpy(trace_of<ima3Dd, double>(v, t), p, bytes);
        }))
        short_file(who, nom);
    return f;
}

}  // extern "C"

namespace {

// Creates a volume file: 80 bytes 'a', the header fields, then the samples
// produced by fill(trace index, bytes) for every trace of every plane.
template <class Volume, class Fill>
int write_volume(const char* nom, const Volume* v, int bits, const char* who, Fill fill) {
    if (v->data == nullptr || v->dimx <= 0 || v->dimy <= 0 || v->dimz <= 0)
        fail(1, "\n>> ERREUR %s : volume %d x %d x %d non alloue\n", who, v->dimx, v->dimy, v->dimz);
    std::FILE* f = std::fopen(nom, "wb");
    if (f == nullptr) fail(1, "\n>> ERREUR %s : creation du fichier %s impossible\n", who, nom);
    std::array<char, kHeaderBytes> filler;
    filler.fill('a');
    if (std::fwrite(filler.data(), 1, filler.size(), f) != filler.size())
        fail(1, "\n>> ERREUR %s : ecriture du fichier %s impossible\n", who, nom);
    write_field(f, kTraceLength, v->dimx, who);
    write_field(f, kTraces, v->dimy, who);
    write_field(f, kPlanes, v->dimz, who);
    write_field(f, kBits, bits, who);
    write_field(f, kHeaderLength, kHeaderBytes, who);
    const std::size_t traces = static_cast<std::size_t>(v->dimz) * static_cast<std::size_t>(v->dimy);
    const std::size_t bytes = static_cast<std::size_t>(v->dimx) * static_cast<std::size_t>(bits / 8);
    if (std::fseek(f, kHeaderBytes, SEEK_SET) != 0 || !write_traces(f, bytes, traces, fill) || std::ferror(f))
        fail(1, "\n>> ERREUR %s : ecriture du fichier %s impossible\n", who, nom);
    if (std::fclose(f) != 0) fail(1, "\n>> ERREUR %s : ecriture du fichier %s impossible\n", who, nom);
    return 0;
}

}  // namespace

extern "C" {

int ecr_ima3Du1(const char* nom, ima3Du1* v) {
    const std::size_t n = static_cast<std::size_t>(v->dimx);
    return write_volume(nom, v, 8, "ecr_ima3Du1", [&](std::size_t t, unsigned char* out) {
        std::memcpy(out, trace_of<ima3Du1, unsigned char>(v, t), n);
    });
}

int ecr_ima3Ds2(const char* nom, ima3Ds2* v) {
    const std::size_t n = static_cast<std::size_t>(v->dimx);
    return write_volume(nom, v, 16, "ecr_ima3Ds2", [&](std::size_t t, unsigned char* out) {
        fw::reverse_copy_each<2>(out, trace_of<ima3Ds2, short>(v, t), n);
    });
}

int ecr_ima3Dd(const char* nom, ima3Dd* v) {
    const std::size_t bytes = static_cast<std::size_t>(v->dimx) * sizeof(double);
    return write_volume(nom, v, 64, "ecr_ima3Dd", [&](std::size_t t, unsigned char* out) {
        std::memcpy(out, trace_of<ima3Dd, double>(v, t), bytes);
    });
}

void copie_entete(std::FILE* src, std::FILE* dst, int nb_plans, int nb_bits) {
    int length;
    lire_longueur_entete(src, &length);
    const long long available = io::regular_file_size(src);
    if (length < kHeaderBytes || (available >= 0 && length > available))
        fail(1, "\n>> ERREUR copie_entete : longueur d'entete %d incorrecte\n", length);
    std::vector<unsigned char> header(static_cast<std::size_t>(length));
    if (std::fseek(src, 0, SEEK_SET) != 0 || std::fread(header.data(), 1, header.size(), src) != header.size())
        fail(1, "\n>> ERREUR copie_entete : lecture de l'entete impossible\n");
    if (std::fseek(dst, 0, SEEK_SET) != 0 || std::fwrite(header.data(), 1, header.size(), dst) != header.size())
        fail(1, "\n>> ERREUR copie_entete : ecriture de l'entete impossible\n");
    if (nb_plans != 0) ecr_nb_plan(dst, nb_plans);
    if (nb_bits != 0) ecr_nb_octet(dst, nb_bits);
    if (std::fseek(dst, length, SEEK_SET) != 0) fail(1, "\n>> ERREUR copie_entete : ecriture de l'entete impossible\n");
}

}  // extern "C"
