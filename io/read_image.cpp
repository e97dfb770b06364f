// The reader stage: loads a 2D image file into an image record.
//
// Sizes found in files are checked before anything is allocated from them,
// and the file's length is checked against them when it can be known, so a
// corrupt header gives a message rather than a huge allocation. Pixels move
// in whole blocks: one read per image when rows are not padded, else reads
// of about a mebibyte of rows at a time. Rasters of type 2 are decoded on
// their way in, in the same blocks.

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fail.hpp"
#include "file_io.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "raster.hpp"
#include "text_input.hpp"

namespace {

using fw::fail;

struct Dims {
    int nc;
    int nr;
};

// Reads the two positive sizes of "nom.dim".
Dims read_dim_file(const std::string& dim_name, const char* who) {
    std::FILE* f = std::fopen(dim_name.c_str(), "r");
    if (f == nullptr) fail(1, "\n>> ERREUR %s : fichier %s introuvable\n", who, dim_name.c_str());
    fw::IntScanner scan(f);
    auto nc = scan.next();
    auto nr = scan.next();
    std::fclose(f);
    if (!nc || !nr || *nc <= 0 || *nr <= 0 || *nc > INT32_MAX || *nr > INT32_MAX)
        fail(1, "\n>> ERREUR %s : fichier %s incorrect (deux entiers positifs attendus)\n", who,
             dim_name.c_str());
    return {static_cast<int>(*nc), static_cast<int>(*nr)};
}

// Bytes of an nc x nr image of `pixel_size` bytes; sizes too large for
// memory end the process.
std::size_t checked_bytes(Dims d, std::size_t pixel_size, const char* who, const std::string& name) {
    std::size_t bytes = fw::image_bytes(d.nc, d.nr, pixel_size);
    if (bytes == 0) fail(1, "\n>> ERREUR %s : dimensions %d x %d trop grandes dans %s\n", who, d.nc, d.nr, name.c_str());
    return bytes;
}

void set_name(char* field, const read_ima_t* desc) {
    std::snprintf(field, LONG_NOM, "%s", io::join_name(desc->nom, desc->ext).c_str());
}

// Reads nr rows of `row_bytes` bytes, each followed by `pad` padding bytes,
// through read(buffer, size) (which gives fewer bytes only at the end of its
// data), and hands each row to sink(y, row). The padding of the last row
// may be missing. Returns false when the data end before the last row's.
template <class Read, class Sink>
bool read_padded_rows(Read read, std::size_t row_bytes, std::size_t pad, int nr, Sink sink) {
    const std::size_t stride = row_bytes + pad;
    const std::size_t chunk_rows = std::max<std::size_t>(1, io::kChunkBytes / stride);
    std::vector<unsigned char> buffer(std::min<std::size_t>(chunk_rows, static_cast<std::size_t>(nr)) * stride);
    for (int y = 0; y < nr;) {
        const std::size_t rows = std::min<std::size_t>(chunk_rows, static_cast<std::size_t>(nr - y));
        const std::size_t wanted = rows * stride;
        const std::size_t got = read(buffer.data(), wanted);
        const bool last = static_cast<std::size_t>(y) + rows == static_cast<std::size_t>(nr);
        if (got < wanted - (last ? pad : 0)) return false;
        for (std::size_t i = 0; i < rows; ++i, ++y) sink(y, buffer.data() + i * stride);
    }
    return true;
}

// Calls rows(read) with the reader of the raster's rows: the file itself, or
// for raster type 2 its decoded stream, which must then end soundly (not
// inside an escape, nor with a run beyond the image). Returns whether all
// rows were read.
template <class Rows>
bool read_raster_rows(int fd, bool encoded, Rows rows) {
    if (!encoded) return rows([fd](unsigned char* dst, std::size_t size) { return io::read_full(fd, dst, size); });
    io::ByteDecoder decoder(fd);
    const bool complete = rows([&decoder](unsigned char* dst, std::size_t size) { return decoder.read(dst, size); });
    return complete && decoder.sound();
}

// The fewest bytes a raster's rows take in its file: `rows_bytes` as they
// are, or encoded.
unsigned long long stored_rows_bytes(unsigned long long rows_bytes, bool encoded) {
    return encoded ? io::byte_encoded_min_length(rows_bytes) : rows_bytes;
}

// ---- 8-bit images ----------------------------------------------------------

// Gives *ima three new 256-entry colour tables (values undefined), first
// releasing the ones it has. Returns false when memory is exhausted.
bool allocate_luts(imau1* ima) {
    if (ima->lutr && ima->lutv && ima->lutb) free_lut_u1(ima);
    ima->lutr = static_cast<unsigned char*>(std::malloc(256));
    ima->lutv = static_cast<unsigned char*>(std::malloc(256));
    ima->lutb = static_cast<unsigned char*>(std::malloc(256));
    return ima->lutr && ima->lutv && ima->lutb;
}

// Loads "nom.3lt" when it exists: 768 integers, red then green then blue,
// each kept as its low 8 bits. An incomplete table is dropped with a warning.
void read_lut_file(const read_ima_t* desc, imau1* ima) {
    const std::string name = io::join_name(desc->nom, "3lt");
    std::FILE* f = std::fopen(name.c_str(), "r");
    if (f == nullptr) return;
    if (!allocate_luts(ima)) fail(1, "\nERREUR  read_imau1_init: allocation impossible");
    fw::IntScanner scan(f);
    bool complete = true;
    for (unsigned char* table : {ima->lutr, ima->lutv, ima->lutb})
        for (int i = 0; i < 256; ++i) {
            auto value = scan.next();
            if (value) table[i] = static_cast<unsigned char>(static_cast<unsigned long long>(*value) & 0xffu);
            else complete = false;
        }
    std::fclose(f);
    if (complete) {
        std::printf("\nread_imau1_init: LUT %s chargee\n", name.c_str());
    } else {
        std::printf("\nATT read_imau1_init: lecture %s incomplete, LUT ignoree\n", name.c_str());
        free_lut_u1(ima);
    }
}

void read_ima_file(const read_ima_t* desc, imau1* ima) {
    const char* who = "read_imau1_init";
    const Dims d = read_dim_file(io::join_name(desc->nom, "dim"), who);
    const std::string name = io::join_name(desc->nom, "ima");
    io::Fd fd(::open(name.c_str(), O_RDONLY));
    if (!fd.ok()) fail(1, "\n>> ERREUR read_imau1_init : fichier %s introuvable\n", name.c_str());
    const std::size_t bytes = checked_bytes(d, 1, who, name);
    if (io::known_too_short(io::regular_file_size(fd.get()), bytes))
        fail(1, "\n>> ERREUR read_imau1_init: lecture fichier %s\n", name.c_str());

    ima->nc = d.nc;
    ima->nr = d.nr;
    alloc_imau1(ima);
    if (io::read_full(fd.get(), ima->pixels[0], bytes) != bytes)
        fail(1, "\n>> ERREUR read_imau1_init: lecture fichier %s\n", name.c_str());
    std::printf("\n>> read_imau1_init : image lue %s, dimX=%d, dimY=%d\n", name.c_str(), d.nc, d.nr);
    read_lut_file(desc, ima);
}

void read_ras8_file(const read_ima_t* desc, imau1* ima) {
    const std::string name = io::join_name(desc->nom, "ras");
    io::Fd fd(::open(name.c_str(), O_RDONLY));
    if (!fd.ok()) fail(1, "\n>> ERREUR read_imau1_init : fichier %s introuvable\n", name.c_str());

    io::RasterHeaderBytes raw;
    if (io::read_full(fd.get(), raw.data(), raw.size()) != raw.size())
        fail(1, "\n>> ERREUR read_imau1_init : lecture fichier %s \n", name.c_str());
    std::printf("inversion entete raster (comme des float)\n");
    const io::RasterHeader h = io::decode_raster_header(raw);
    if (h.magic != io::kRasterMagic)
        fail(1, "\n>> ERREUR read_imau1_init: magic number incorrect %x!=0x59a66a95\n", static_cast<unsigned>(h.magic));
    if (h.width <= 0 || h.height <= 0)
        fail(1, "\n>> ERREUR read_imau1_init : dimensions %d x %d incorrectes dans %s\n", h.width, h.height,
             name.c_str());
    const Dims d{h.width, h.height};
    std::printf("\n>> read_imau1_init : image %s, dimX=%d, dimY=%d\n", name.c_str(), d.nc, d.nr);
    if (h.depth != 8) fail(1, "\n>> ERREUR read_imau1_init: nb bit par pixel %d != 8", h.depth);

    // Colour map: n red, n green, n blue bytes; entries from n on are the
    // identity. A grey map is applied to the pixels instead of being kept.
    unsigned char map[3][256];
    bool grey_map = false;
    int colours = 0;
    if (h.maptype != 0) {
        if (h.maplength < 0 || h.maplength > 768)
            fail(1, "\n>> ERREUR read_imau1_init : longueur de LUT %d incorrecte (0..768) dans %s\n", h.maplength,
                 name.c_str());
        colours = h.maplength / 3;
        std::printf("\nATT read_imau1_init : detection d'une LUT de %d couleurs dans %s\n", colours, name.c_str());
        for (auto& table : map) {
            const auto n = static_cast<std::size_t>(colours);
            if (io::read_full(fd.get(), table, n) != n)
                fail(1, "\n>> ERREUR read_imau1_init: lecture LUT fichier %s \n", name.c_str());
            for (int i = colours; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
        }
        // A map length that is not a multiple of 3 leaves bytes that belong
        // to the map, not to the pixels.
        const auto leftover = static_cast<std::size_t>(h.maplength - 3 * colours);
        unsigned char skipped[2];
        if (io::read_full(fd.get(), skipped, leftover) != leftover)
            fail(1, "\n>> ERREUR read_imau1_init: lecture LUT fichier %s \n", name.c_str());
        grey_map = true;
        for (int i = 0; i < colours && grey_map; ++i) grey_map = map[0][i] == map[1][i] && map[0][i] == map[2][i];
        if (grey_map)
            std::printf("\n>> ATT read_imau1_init: LUT de niveau de gris utilisee comme valeur des pixels");
    }

    const std::size_t bytes = checked_bytes(d, 1, "read_imau1_init", name);
    const std::size_t pad = static_cast<std::size_t>(d.nc) & 1u;
    const unsigned long long map_bytes = h.maptype != 0 ? static_cast<unsigned>(h.maplength) : 0u;
    const bool encoded = h.type == io::kRasterByteEncoded;
    const unsigned long long rows_bytes =
        static_cast<unsigned long long>(d.nr) * (static_cast<unsigned>(d.nc) + pad) - pad;
    const unsigned long long stored = 32ull + map_bytes + stored_rows_bytes(rows_bytes, encoded);
    if (io::known_too_short(io::regular_file_size(fd.get()), stored))
        fail(1, "\n>> ERREUR read_imau1_init : lecture fichier %s \n", name.c_str());

    ima->nc = d.nc;
    ima->nr = d.nr;
    alloc_imau1(ima);
    const bool complete = read_raster_rows(fd.get(), encoded, [&](auto read) {
        if (pad == 0) return read(ima->pixels[0], bytes) == bytes;
        const std::size_t row = static_cast<std::size_t>(d.nc);
        return read_padded_rows(read, row, pad, d.nr,
                                [&](int y, const unsigned char* src) { std::memcpy(ima->pixels[y], src, row); });
    });
    if (!complete) fail(1, "\n>> ERREUR read_imau1_init : lecture fichier %s \n", name.c_str());

    if (grey_map) {
        unsigned char* p = ima->pixels[0];
        for (std::size_t i = 0; i < bytes; ++i) p[i] = map[0][p[i]];
    } else if (h.maptype != 0) {
        if (!allocate_luts(ima)) fail(1, "\nERREUR  read_imau1_init: allocation impossible");
        std::memcpy(ima->lutr, map[0], 256);
        std::memcpy(ima->lutv, map[1], 256);
        std::memcpy(ima->lutb, map[2], 256);
    }
}

// ---- Typed raw images --------------------------------------------------------

// What distinguishes the typed raw readers from one another.
struct RawFormat {
    const char* function;
    const char* lower;  // big-endian extension
    const char* upper;  // host-order extension
    bool tab_in_swap_line;  // the 16- and 32-bit integer readers separate "octets" and "des" by a tab
};

// Reads `count` pixels into `dst`; with `reverse`, through a scratch buffer
// whose values are byte-reversed on their way into dst (one pass over the
// image). Returns false when the file ends first.
template <class Pixel>
bool read_pixels(int fd, Pixel* dst, std::size_t count, bool reverse) {
    if (!reverse) return io::read_full(fd, dst, count * sizeof(Pixel)) == count * sizeof(Pixel);
    const std::size_t chunk = std::max<std::size_t>(1, io::kChunkBytes / sizeof(Pixel));
    std::vector<unsigned char> buffer(std::min(chunk, count) * sizeof(Pixel));
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(chunk, count - done);
        if (io::read_full(fd, buffer.data(), n * sizeof(Pixel)) != n * sizeof(Pixel)) return false;
        fw::reverse_copy_pixels<Pixel>(dst + done, buffer.data(), n);
        done += n;
    }
    return true;
}

template <class Image>
int read_raw(read_ima_t* desc, Image* ima, const RawFormat& format, void (*alloc)(Image*)) {
    using Pixel = fw::pixel_t<Image>;
    const Dims d = read_dim_file(io::join_name(desc->nom, "dim"), format.function);
    const std::string name = io::join_name(desc->nom, desc->ext);
    io::Fd fd(::open(name.c_str(), O_RDONLY));
    if (!fd.ok()) fail(1, "\n>> ERREUR %s : Fichier %s introuvable\n", format.function, name.c_str());
    const std::size_t bytes = checked_bytes(d, sizeof(Pixel), format.function, name);
    if (io::known_too_short(io::regular_file_size(fd.get()), bytes))
        fail(1, "\n>> ERREUR %s :lecture fichier %s \n", format.function, name.c_str());

    ima->nc = d.nc;
    ima->nr = d.nr;
    alloc(ima);
    // Big-endian values are reversed on their way from the file into the
    // image; the messages come after the whole file has been read.
    const bool big_endian = std::strcmp(desc->ext, format.lower) == 0;
    if (!read_pixels<Pixel>(fd.get(), ima->pixels[0], bytes / sizeof(Pixel), big_endian))
        fail(1, "\n>> ERREUR %s :lecture fichier %s \n", format.function, name.c_str());

    if (big_endian) {
        std::printf("Swap des octets%sdes donnees lors de la lecture\n", format.tab_in_swap_line ? "\t" : " ");
    } else if (std::strcmp(desc->ext, format.upper) == 0) {
        std::printf("Pas de swap des octets lors de la lecture car fichier .%s (INTEL)\n", format.upper);
    } else {
        fail(1, "\n extension %s inconnue\n", desc->ext);
    }
    std::printf("\n>> %s : image %s dimX=%d, dimY=%d\n", format.function, name.c_str(), d.nc, d.nr);
    set_name(ima->nom, desc);
    return NO_ERROR;
}

}  // namespace

extern "C" {

param* read_ima_lect(read_ima_t* desc, param* ptp, const char* debq) {
    const std::string question = std::string(debq) + " nom complet du fichier image a lire";
    lec_param(question.c_str(), ptp);
    io::split_file_name(ptp->rep, desc->nom, desc->ext, "read_ima_lect");
    return ptp->suiv;
}

int read_imau1_init(read_ima_t* desc, imau1* ima) {
    ima->lutr = ima->lutv = ima->lutb = nullptr;
    if (std::strcmp(desc->ext, "ima") == 0) read_ima_file(desc, ima);
    else if (std::strcmp(desc->ext, "ras") == 0) read_ras8_file(desc, ima);
    else fail(1, "\n>> ERREUR read_imau1_init : extension %s inconnue (.ima/.ras)\n", desc->ext);
    set_name(ima->nom, desc);
    return NO_ERROR;
}

int read_imau2_init(read_ima_t* desc, imau2* ima) {
    return read_raw(desc, ima, {"read_imau2_init", "imw", "IMW", true}, alloc_imau2);
}

int read_imau4_init(read_ima_t* desc, imau4* ima) {
    return read_raw(desc, ima, {"read_imau4_init", "iml", "IML", true}, alloc_imau4);
}

int read_imafl_init(read_ima_t* desc, imafl* ima) {
    return read_raw(desc, ima, {"read_imafl_init", "imf", "IMF", false}, alloc_imafl);
}

int read_imacx4_init(read_ima_t* desc, imacx4* ima) {
    return read_raw(desc, ima, {"read_imacx4_init", "cxs", "CXS", false}, alloc_imacx4);
}

int read_imacx8_init(read_ima_t* desc, imacx8* ima) {
    return read_raw(desc, ima, {"read_imacx8_init", "cxf", "CXF", false}, alloc_imacx8);
}

int read_imarvb_init(read_ima_t* desc, imarvb* ima) {
    const std::string name = io::join_name(desc->nom, desc->ext);
    io::Fd fd(::open(name.c_str(), O_RDONLY));
    if (!fd.ok()) fail(1, "ERREUR: impossible d'ouvrir le fichier %s\n", name.c_str());

    io::RasterHeaderBytes raw;
    if (io::read_full(fd.get(), raw.data(), raw.size()) != raw.size())
        fail(1, "ERREUR: entete du fichier %s incomplete\n", name.c_str());
    std::printf("inversion entete raster image rvb\n");
    const io::RasterHeader h = io::decode_raster_header(raw);
    if (h.magic != io::kRasterMagic)
        fail(1, "ERREUR: magic number incorrect %x!=0x59a66a95 dans le fichier %s\n", static_cast<unsigned>(h.magic),
             name.c_str());
    if (h.depth != 24) fail(1, "ERREUR: image pas au format 24 bits");
    if (h.maplength != 0) fail(1, "cette image contient une palette, non suporte actuellement\n");
    if (h.width <= 0 || h.height <= 0)
        fail(1, "ERREUR: dimensions %d x %d incorrectes dans le fichier %s\n", h.width, h.height, name.c_str());
    if (h.type != io::kRasterStandard && h.type != io::kRasterByteEncoded && h.type != io::kRasterRgb)
        fail(1, "ERREUR: type de raster %d non supporte (1, 2 ou 3) dans le fichier %s\n", h.type, name.c_str());

    const Dims d{h.width, h.height};
    const std::size_t row = checked_bytes(d, 3, "read_imarvb_init", name) / static_cast<std::size_t>(d.nr);
    const std::size_t pad = row & 1u;
    const bool encoded = h.type == io::kRasterByteEncoded;
    const unsigned long long rows_bytes = static_cast<unsigned long long>(d.nr) * (row + pad) - pad;
    const unsigned long long stored = 32ull + stored_rows_bytes(rows_bytes, encoded);
    if (io::known_too_short(io::regular_file_size(fd.get()), stored))
        fail(1, "ERREUR: fichier %s trop court\n", name.c_str());

    ima->nc = d.nc;
    ima->nr = d.nr;
    alloc_imarvb(ima);
    const bool rgb = h.type == io::kRasterRgb;
    unsigned char** first = rgb ? ima->r : ima->b;
    unsigned char** last = rgb ? ima->b : ima->r;
    const bool complete = read_raster_rows(fd.get(), encoded, [&](auto read) {
        return read_padded_rows(read, row, pad, d.nr, [&](int y, const unsigned char* src) {
            unsigned char* p0 = first[y];
            unsigned char* p1 = ima->v[y];
            unsigned char* p2 = last[y];
            for (int x = 0; x < d.nc; ++x, src += 3) {
                p0[x] = src[0];
                p1[x] = src[1];
                p2[x] = src[2];
            }
        });
    });
    if (!complete) fail(1, "ERREUR: fichier %s trop court\n", name.c_str());
    set_name(ima->nom, desc);
    return NO_ERROR;
}

void alloc_lut_u1(imau1* ima) {
    if (!allocate_luts(ima))
        fail(1, "alloc_lut_u1: lutr, lutv, lutb: ERREUR allocation impossible\n");
}

void free_lut_u1(imau1* ima) {
    std::free(ima->lutb);
    std::free(ima->lutv);
    std::free(ima->lutr);
    ima->lutr = ima->lutv = ima->lutb = nullptr;
}

}  // extern "C"
