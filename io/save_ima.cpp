// The image-saving stage: files created first, rows appended group by
// group, sizes completed last from the rows actually written.
//
// Rows go through a scratch buffer of about a mebibyte in which they are
// converted to the file's byte order (and raster rows padded), so that the
// caller's rows are never modified and each system call writes a large
// block. Every failed write or close ends the process: a file that lacks
// rows or sizes is never reported as saved.

#include "save_ima.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

#include "fail.hpp"
#include "file_io.hpp"
#include "pixel_traits.hpp"
#include "questions.hpp"
#include "raster.hpp"

namespace {

using fw::fail;

constexpr const char* kRawExtensions[] = {"ima", "imw", "iml", "imf", "cxs", "cxf"};

bool is(const char* ext, const char* wanted) { return std::strcmp(ext, wanted) == 0; }

bool is_raw(const char* ext) {
    for (const char* raw : kRawExtensions)
        if (is(ext, raw)) return true;
    return false;
}

FILE* create_stream(const std::string& name, const char* mode, const char* who) {
    FILE* f = std::fopen(name.c_str(), mode);
    if (f == nullptr) fail(1, "\n>> ERREUR %s: creation fichier %s impossible\n", who, name.c_str());
    return f;
}

int create_data_file(const std::string& name, const char* who) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) fail(1, "\n>> ERREUR %s: creation fichier %s impossible\n", who, name.c_str());
    return fd;
}

// A raw image: the data file first, then the size file, which the closing
// phase fills.
void create_raw_files(save_ima_t* desc, const char* who) {
    desc->fd = create_data_file(io::join_name(desc->nom, desc->ext), who);
    desc->fichier = create_stream(io::join_name(desc->nom, "dim"), "w", who);
}

void start(save_ima_t* desc) {
    desc->fichier = nullptr;
    desc->fd = -1;
    desc->nb_lignes = 0;
    desc->nb_colonnes = 0;
}

// Raster length field: bytes of pixel data, rows padded to an even length
// (32 bits wide, informative only: it wraps for 4 GiB of rows and more).
std::int32_t raster_length(int nc, int nr) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(io::raster_stride(static_cast<std::size_t>(nc)) * static_cast<std::size_t>(nr)));
}

void write_raster_start(save_ima_t* desc, const imau1& ima) {
    io::RasterHeader h;
    h.width = ima.nc;
    h.height = ima.nr;
    h.depth = 8;
    h.length = raster_length(ima.nc, ima.nr);
    h.type = io::kRasterStandard;
    h.maptype = 1;
    h.maplength = 768;
    const io::RasterHeaderBytes header = io::encode_raster_header(h);
    unsigned char map[3][256];
    const bool tables = ima.lutr != nullptr && ima.lutv != nullptr && ima.lutb != nullptr;
    for (int i = 0; i < 256; ++i) {
        map[0][i] = tables ? ima.lutr[i] : static_cast<unsigned char>(i);
        map[1][i] = tables ? ima.lutv[i] : static_cast<unsigned char>(i);
        map[2][i] = tables ? ima.lutb[i] : static_cast<unsigned char>(i);
    }
    if (std::fwrite(header.data(), 1, header.size(), desc->fichier) != header.size() ||
        std::fwrite(map, 1, sizeof map, desc->fichier) != sizeof map)
        fail(1, "\n>> ERREUR save_imau1_init : ecriture du fichier %s.ras\n", desc->nom);
}

void write_lut_file(const save_ima_t* desc, const imau1& ima) {
    const std::string name = io::join_name(desc->nom, "3lt");
    std::printf("\n>> save_imau1_init: sauvegarde palette dans %s\n", name.c_str());
    FILE* f = create_stream(name, "w", "save_imau1_init");
    const bool written = io::write_lut_text(f, ima.lutr, ima.lutv, ima.lutb);
    if (std::fclose(f) != 0 || !written)
        fail(1, "\n>> ERREUR save_imau1_init : ecriture du fichier %s\n", name.c_str());
}

// Appends m rows of n pixels: converted to big-endian (and, in a raster,
// padded to an even length) in a scratch buffer of about a mebibyte, then
// written to the raw data file or the raster stream.
template <class Pixel>
int append(save_ima_t* desc, Pixel* const* rows, int n, int m, const char* who,
           std::initializer_list<const char*> extensions) {
    bool known = false;
    for (const char* ext : extensions) known = known || is(desc->ext, ext);
    if (!known) {
        if (sizeof(Pixel) == 1) fail(1, "\n>> ERREUR %s : extension fichier %s inconnue\n", who, desc->ext);
        fail(1, "\n>> ERREUR %s : extension %s incompatible avec le type de l'image\n", who, desc->ext);
    }
    const bool raster = is(desc->ext, "ras");
    if (raster ? desc->fichier == nullptr : desc->fd < 0)
        fail(1, "\n>> ERREUR %s : fichiers non crees (phase d'initialisation absente)\n", who);
    if (n <= 0 || m < 0 || m > INT_MAX - desc->nb_lignes)
        fail(1, "\n>> ERREUR %s : %d lignes de %d pixels refusees\n", who, m, n);
    if (m == 0) return NO_ERROR;
    if (desc->nb_colonnes != 0 && n != desc->nb_colonnes)
        fail(1, "\n>> ERREUR %s : lignes de %d pixels au lieu de %d dans %s.%s\n", who, n, desc->nb_colonnes,
             desc->nom, desc->ext);

    const std::size_t row_bytes = static_cast<std::size_t>(n) * sizeof(Pixel);
    const std::size_t stride = raster ? io::raster_stride(row_bytes) : row_bytes;
    const std::size_t chunk_rows = std::max<std::size_t>(1, io::kChunkBytes / stride);
    std::vector<unsigned char> buffer(std::min<std::size_t>(chunk_rows, static_cast<std::size_t>(m)) * stride, 0);
    if constexpr (std::is_same_v<Pixel, unsigned int>)
        std::printf("Swap des octets des donnees pour ecriture sur fichier\n");
    else if constexpr (sizeof(typename fw::component<Pixel>::type) > 1)
        std::printf("Swap des octets\tdes donnees pour ecriture sur fichier\n");
    for (int y = 0; y < m;) {
        const std::size_t count = std::min<std::size_t>(chunk_rows, static_cast<std::size_t>(m - y));
        for (std::size_t i = 0; i < count; ++i, ++y)
            fw::reverse_copy_pixels<Pixel>(buffer.data() + i * stride, rows[y], static_cast<std::size_t>(n));
        const std::size_t bytes = count * stride;
        const bool written = raster ? std::fwrite(buffer.data(), 1, bytes, desc->fichier) == bytes
                                    : io::write_full(desc->fd, buffer.data(), bytes);
        if (!written) fail(1, "\n>> ERREUR %s : ecriture du fichier %s.%s\n", who, desc->nom, desc->ext);
    }
    if (desc->nb_colonnes == 0) desc->nb_colonnes = n;
    desc->nb_lignes += m;
    return NO_ERROR;
}

// Overwrites one big-endian word of the raster header.
bool put_header_word(FILE* f, long offset, std::int32_t value) {
    const std::int32_t big = fw::byte_reversed(value);
    return std::fseek(f, offset, SEEK_SET) == 0 && std::fwrite(&big, 4, 1, f) == 1;
}

void write_origin(const save_ima_origine_t* origine, const save_ima_t* desc) {
    const std::string name = io::join_name(desc->nom, "origima");
    if (origine == nullptr) fail(1, "\n>> ERREUR save_ima_ferm : origine de %s inconnue\n", name.c_str());
    FILE* f = create_stream(name, "w", "save_ima_ferm");
    std::fprintf(f, "Fichier origine : %s.%s\n", origine->nom, origine->ext);
    std::fprintf(f, "\tpoint haut gauche : np = %d, nl = %d\n", origine->np, origine->nl);
    std::fprintf(f, "\tpoint bas droite  : np = %lld, nl = %lld\n",
                 static_cast<long long>(origine->np) + origine->largeur - 1,
                 static_cast<long long>(origine->nl) + desc->nb_lignes - 1);
    std::fprintf(f, "Legende : %s\n", desc->legende);
    const bool failed = std::ferror(f) != 0;
    if (std::fclose(f) != 0 || failed) fail(1, "\n>> ERREUR save_ima_ferm : ecriture du fichier %s\n", name.c_str());
}

}  // namespace

extern "C" {

param* save_ima_lect(save_ima_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "save_ima_lect");
    const std::string name = questions.text("nom complet du fichier");
    const std::string legend = questions.text("legende pour fichier .origima (non cree si vide)");
    start(desc);
    std::snprintf(desc->legende, sizeof desc->legende, "%s", legend == "-" ? "" : legend.c_str());
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) fail(1, "\n>> ERREUR save_ima_lect : nom image incomplet (extension?)");
    if (name.size() - dot - 1 >= sizeof desc->ext)
        fail(1, "\n>> ERREUR save_ima_lect : extension %s trop longue (%zu caracteres au plus)\n",
             name.c_str() + dot + 1, sizeof desc->ext - 1);
    std::snprintf(desc->nom, sizeof desc->nom, "%s", name.substr(0, dot).c_str());
    std::snprintf(desc->ext, sizeof desc->ext, "%s", name.c_str() + dot + 1);
    return questions.next();
}

int save_ima_init(save_ima_t* desc) {
    start(desc);
    if (!is_raw(desc->ext) || is(desc->ext, "ima"))
        fail(1, "\n>> ERREUR save_ima_init: extension fichier %s inconnue\n", desc->ext);
    create_raw_files(desc, "save_ima_init");
    return NO_ERROR;
}

int save_imau1_init(save_ima_t* desc, imau1 ima) {
    start(desc);
    if (is(desc->ext, "ima")) {
        create_raw_files(desc, "save_imau1_init");
        if (ima.lutr != nullptr && ima.lutv != nullptr && ima.lutb != nullptr) write_lut_file(desc, ima);
    } else if (is(desc->ext, "ras")) {
        if (ima.nc <= 0) fail(1, "\n>> ERREUR save_imau1_init : largeur %d incorrecte\n", ima.nc);
        desc->fichier = create_stream(io::join_name(desc->nom, "ras"), "wb", "save_imau1_init");
        write_raster_start(desc, ima);
        desc->nb_colonnes = ima.nc;
    } else {
        fail(1, "\n>> ERREUR save_imau1_init: extension fichier %s inconnues\n", desc->ext);
    }
    return NO_ERROR;
}

int save_imau1_calc(save_ima_t* desc, unsigned char** lignes, int n, int m) {
    return append(desc, lignes, n, m, "save_imau1_calc", {"ima", "ras"});
}
int save_imau2_calc(save_ima_t* desc, unsigned short** lignes, int n, int m) {
    return append(desc, lignes, n, m, "save_imau2_calc", {"imw"});
}
int save_imau4_calc(save_ima_t* desc, unsigned int** lignes, int n, int m) {
    return append(desc, lignes, n, m, "save_imau4_calc", {"iml"});
}
int save_imafl_calc(save_ima_t* desc, float** lignes, int n, int m) {
    return append(desc, lignes, n, m, "save_imafl_calc", {"imf"});
}
int save_imacx4_calc(save_ima_t* desc, complexe4** lignes, int n, int m) {
    return append(desc, lignes, n, m, "save_imacx4_calc", {"cxs"});
}
int save_imacx8_calc(save_ima_t* desc, complexe8** lignes, int n, int m) {
    return append(desc, lignes, n, m, "save_imacx8_calc", {"cxf"});
}

int save_ima_ferm(const save_ima_origine_t* origine, save_ima_t* desc) {
    const char* who = "save_ima_ferm";
    const bool raster = is(desc->ext, "ras");
    if (!raster && !is_raw(desc->ext)) fail(1, "\n>> ERREUR save_ima_ferm: extension fichier %s inconnue\n", desc->ext);
    if (desc->fichier == nullptr) fail(1, "\n>> ERREUR %s : fichiers non crees (phase d'initialisation absente)\n", who);
    if (desc->nb_lignes == 0) fail(1, "\n>> ERREUR %s : aucune ligne ecrite dans %s.%s\n", who, desc->nom, desc->ext);

    if (raster) {
        const bool written = put_header_word(desc->fichier, 8, desc->nb_lignes) &&
                             put_header_word(desc->fichier, 16, raster_length(desc->nb_colonnes, desc->nb_lignes));
        const bool failed = std::ferror(desc->fichier) != 0;
        if (std::fclose(desc->fichier) != 0 || failed || !written)
            fail(1, "\n>> ERREUR %s : ecriture du fichier %s.%s\n", who, desc->nom, desc->ext);
        std::printf("nb ligne ecrite:%d", desc->nb_lignes);
    } else {
        if (::close(desc->fd) != 0) fail(1, "\n>> ERREUR %s : ecriture du fichier %s.%s\n", who, desc->nom, desc->ext);
        std::printf(">> save_ima_ferm : ecriture %s.%s terminee\n", desc->nom, desc->ext);
        std::fprintf(desc->fichier, "%d %d", desc->nb_colonnes, desc->nb_lignes);
        const bool failed = std::ferror(desc->fichier) != 0;
        if (std::fclose(desc->fichier) != 0 || failed)
            fail(1, "\n>> ERREUR %s : ecriture du fichier %s.dim\n", who, desc->nom);
    }
    desc->fichier = nullptr;
    desc->fd = -1;
    if (desc->legende[0] != '\0') write_origin(origine, desc);
    return NO_ERROR;
}

}  // extern "C"
