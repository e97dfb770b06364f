// The writer stage: creates the output files early (so a wrong name stops a
// program before it computes) and writes an image record into them last.
//
// Pixels go through a scratch buffer of about a mebibyte in which they are
// converted to the file's byte order, so the caller's image is never
// modified and each system call writes a large block. Every failed write or
// close ends the process: a half-written file is never reported as success.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fail.hpp"
#include "file_io.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "raster.hpp"

namespace {

using fw::fail;

bool is_raw_extension(const char* ext) {
    for (const char* raw : {"ima", "imw", "iml", "imf", "cxs", "cxf"})
        if (std::strcmp(ext, raw) == 0) return true;
    return false;
}

[[noreturn]] void write_failed(const char* function, const write_ima_t* desc) {
    fail(1, "\n>> ERREUR %s : ecriture du fichier %s.%s\n", function, desc->nom, desc->ext);
}

// Refuses an extension that the closing function cannot write, or a writer
// whose files were not created.
void check_writer(const write_ima_t* desc, const char* function, std::initializer_list<const char*> accepted) {
    bool ok = false;
    for (const char* ext : accepted) ok = ok || std::strcmp(desc->ext, ext) == 0;
    if (!ok) fail(1, "\n>> ERREUR %s : extension %s incompatible avec le type de l'image\n", function, desc->ext);
    if (desc->fichier == nullptr) fail(1, "\n>> ERREUR %s : fichiers non crees (write_ima_init)\n", function);
}

// Writes "nc nr" (no newline) into the size file and closes it.
void write_dim_file(write_ima_t* desc, int nc, int nr, const char* function) {
    std::fprintf(desc->fichier, "%d %d", nc, nr);
    const bool failed = std::ferror(desc->fichier) != 0;
    const int closed = std::fclose(desc->fichier);
    desc->fichier = nullptr;
    if (failed || closed != 0) fail(1, "\n>> ERREUR %s : ecriture du fichier %s.dim\n", function, desc->nom);
}

// Closes the raw data file, which must then hold every row.
void close_data_file(write_ima_t* desc, const char* function) {
    const int closed = ::close(desc->fd);
    desc->fd = -1;
    if (closed != 0) write_failed(function, desc);
}

// Closes the raster stream; its buffered bytes are only known to be on disk
// once this succeeds.
void close_stream(write_ima_t* desc, const char* function) {
    const bool failed = std::ferror(desc->fichier) != 0;
    const int closed = std::fclose(desc->fichier);
    desc->fichier = nullptr;
    if (failed || closed != 0) write_failed(function, desc);
}

// Writes the raster rows: `row_bytes` bytes produced by fill(y, dst) for
// each row, followed by a zero byte when row_bytes is odd, in blocks of
// about a mebibyte.
template <class Fill>
bool write_raster_rows(std::FILE* stream, std::size_t row_bytes, int nr, Fill fill) {
    const std::size_t stride = io::raster_stride(row_bytes);
    const std::size_t chunk_rows = std::max<std::size_t>(1, io::kChunkBytes / stride);
    std::vector<unsigned char> buffer(std::min<std::size_t>(chunk_rows, static_cast<std::size_t>(nr)) * stride, 0);
    for (int y = 0; y < nr;) {
        const std::size_t rows = std::min<std::size_t>(chunk_rows, static_cast<std::size_t>(nr - y));
        for (std::size_t i = 0; i < rows; ++i, ++y) fill(y, buffer.data() + i * stride);
        if (std::fwrite(buffer.data(), 1, rows * stride, stream) != rows * stride) return false;
    }
    return true;
}

// Raster length field: bytes of pixel data, rows padded to an even length.
// The field is 32 bits wide; it is informative only and wraps for images of
// 4 GiB and more.
std::int32_t raster_length(std::size_t row_bytes, int nr) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(io::raster_stride(row_bytes) * static_cast<std::size_t>(nr)));
}

bool has_luts(const imau1& ima) { return ima.lutr != nullptr && ima.lutv != nullptr && ima.lutb != nullptr; }

// "nom.3lt": the three tables as text.
void write_lut_file(const write_ima_t* desc, const imau1& ima) {
    const std::string name = io::join_name(desc->nom, "3lt");
    std::printf("write_ima_ferm: sauvegarde palette dans %s\n", name.c_str());
    std::FILE* f = std::fopen(name.c_str(), "w");
    if (f == nullptr) fail(1, "\n>> ERREUR write_ima_ferm: creation fichier %s impossible\n", name.c_str());
    const bool failed = !io::write_lut_text(f, ima.lutr, ima.lutv, ima.lutb);
    if (std::fclose(f) != 0 || failed) fail(1, "\n>> ERREUR write_ima_ferm : ecriture du fichier %s\n", name.c_str());
}

// Writes the whole pixel block of an image into the raw data file, each
// value converted to big-endian on the way.
template <class Image>
void write_raw_pixels(write_ima_t* desc, const Image& ima, const char* function) {
    using Pixel = fw::pixel_t<Image>;
    const std::size_t total = static_cast<std::size_t>(ima.nc) * static_cast<std::size_t>(ima.nr);
    const auto* src = reinterpret_cast<const unsigned char*>(ima.pixels[0]);
    if (::lseek(desc->fd, 0, SEEK_SET) < 0) write_failed(function, desc);
    if constexpr (sizeof(typename fw::component<Pixel>::type) == 1) {
        if (!io::write_full(desc->fd, src, total * sizeof(Pixel))) write_failed(function, desc);
    } else {
        const std::size_t chunk = std::max<std::size_t>(1, io::kChunkBytes / sizeof(Pixel));
        std::vector<unsigned char> buffer(std::min(chunk, total) * sizeof(Pixel));
        for (std::size_t done = 0; done < total;) {
            const std::size_t n = std::min(chunk, total - done);
            fw::reverse_copy_pixels<Pixel>(buffer.data(), src + done * sizeof(Pixel), n);
            if (!io::write_full(desc->fd, buffer.data(), n * sizeof(Pixel))) write_failed(function, desc);
            done += n;
        }
    }
}

// The typed raw writers: sizes into "nom.dim", then big-endian pixels.
template <class Image>
int write_raw(write_ima_t* desc, const Image& ima, const char* function, const char* ext, const char* swap_line) {
    check_writer(desc, function, {ext});
    write_dim_file(desc, ima.nc, ima.nr, function);
    std::printf("%s\n", swap_line);
    write_raw_pixels(desc, ima, function);
    close_data_file(desc, function);
    return NO_ERROR;
}

}  // namespace

extern "C" {

param* write_ima_lect(write_ima_t* desc, param* ptp, const char* debq) {
    const std::string question = std::string(debq) + " nom complet du fichier image a ecrire";
    lec_param(question.c_str(), ptp);
    io::split_file_name(ptp->rep, desc->nom, desc->ext, "write_ima_lect");
    desc->fichier = nullptr;
    desc->fd = -1;
    return ptp->suiv;
}

int write_ima_init(write_ima_t* desc) {
    desc->fichier = nullptr;
    desc->fd = -1;
    const std::string data_name = io::join_name(desc->nom, desc->ext);
    if (is_raw_extension(desc->ext)) {
        const std::string dim_name = io::join_name(desc->nom, "dim");
        desc->fichier = std::fopen(dim_name.c_str(), "w");
        if (desc->fichier == nullptr)
            fail(1, "\n>> ERREUR write_ima_init: creation fichier %s impossible\n", dim_name.c_str());
        desc->fd = ::open(data_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (desc->fd < 0) fail(1, "\n>> ERREUR write_ima_init: creation fichier %s impossible\n", data_name.c_str());
    } else if (std::strcmp(desc->ext, "ras") == 0) {
        desc->fichier = std::fopen(data_name.c_str(), "wb");
        if (desc->fichier == nullptr)
            fail(1, "\n>> ERREUR write_ima_init: creation fichier %s impossible\n", data_name.c_str());
    } else {
        fail(1, "\n Erreur : %s extension inconnue", desc->ext);
    }
    return NO_ERROR;
}

int write_imau1_ferm(write_ima_t* desc, imau1 ima) {
    const char* function = "write_imau1_ferm";
    check_writer(desc, function, {"ima", "ras"});
    const std::size_t nc = static_cast<std::size_t>(ima.nc);

    if (std::strcmp(desc->ext, "ima") == 0) {
        write_dim_file(desc, ima.nc, ima.nr, function);
        if (has_luts(ima)) write_lut_file(desc, ima);
        write_raw_pixels(desc, ima, function);
        close_data_file(desc, function);
        return NO_ERROR;
    }

    io::RasterHeader h;
    h.width = ima.nc;
    h.height = ima.nr;
    h.depth = 8;
    h.length = raster_length(nc, ima.nr);
    h.type = io::kRasterStandard;
    if (has_luts(ima)) {
        h.maptype = 1;
        h.maplength = 768;
    }
    std::printf("inversion entete raster comme float\n");
    const io::RasterHeaderBytes header = io::encode_raster_header(h);
    bool ok = std::fwrite(header.data(), 1, header.size(), desc->fichier) == header.size();
    if (has_luts(ima))
        for (const unsigned char* table : {ima.lutr, ima.lutv, ima.lutb})
            ok = ok && std::fwrite(table, 1, 256, desc->fichier) == 256;
    ok = ok && write_raster_rows(desc->fichier, nc, ima.nr,
                                 [&](int y, unsigned char* dst) { std::memcpy(dst, ima.pixels[y], nc); });
    if (!ok) write_failed(function, desc);
    close_stream(desc, function);
    return NO_ERROR;
}

int write_imau2_ferm(write_ima_t* desc, imau2 ima) {
    return write_raw(desc, ima, "write_imau2_ferm", "imw", "Swap des octets\tdes donnees pour ecriture sur fichier");
}

int write_imau4_ferm(write_ima_t* desc, imau4 ima) {
    return write_raw(desc, ima, "write_imau4_ferm", "iml", "Swap des octets des donnees pour ecriture sur fichier");
}

int write_imafl_ferm(write_ima_t* desc, imafl ima) {
    return write_raw(desc, ima, "write_imafl_ferm", "imf", "Swap des octets\tdes donnees pour ecriture sur fichier");
}

int write_imacx4_ferm(write_ima_t* desc, imacx4 ima) {
    return write_raw(desc, ima, "write_imacx4_ferm", "cxs", "Swap des octets\tdes donnees pour ecriture sur fichier");
}

int write_imacx8_ferm(write_ima_t* desc, imacx8 ima) {
    return write_raw(desc, ima, "write_imacx8_ferm", "cxf", "Swap des octets\tdes donnees pour ecriture sur fichier");
}

int write_imarvb_ferm(write_ima_t* desc, imarvb ima) {
    const char* function = "write_imarvb_ferm";
    check_writer(desc, function, {"ras"});
    io::RasterHeader h;
    h.width = ima.nc;
    h.height = ima.nr;
    h.depth = 24;
    h.length = raster_length(3 * static_cast<std::size_t>(ima.nc), ima.nr);
    h.type = io::kRasterStandard;
    std::printf("inversion entete raster image rvb\n");
    const io::RasterHeaderBytes header = io::encode_raster_header(h);
    bool ok = std::fwrite(header.data(), 1, header.size(), desc->fichier) == header.size();
    ok = ok && write_raster_rows(desc->fichier, 3 * static_cast<std::size_t>(ima.nc), ima.nr,
                                 [&](int y, unsigned char* dst) {
                                     const unsigned char* r = ima.r[y];
                                     const unsigned char* v = ima.v[y];
                                     const unsigned char* b = ima.b[y];
                                     for (int x = 0; x < ima.nc; ++x, dst += 3) {
                                         dst[0] = b[x];
                                         dst[1] = v[x];
                                         dst[2] = r[x];
                                     }
                                 });
    if (!ok) write_failed(function, desc);
    close_stream(desc, function);
    return NO_ERROR;
}

}  // extern "C"
