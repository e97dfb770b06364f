// raster.hpp: the 32-byte header of the raster files (eight big-endian
// 32-bit words), shared by the 2D readers and writers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "pixel_traits.hpp"

namespace io {

inline constexpr std::int32_t kRasterMagic = 0x59a66a95;
inline constexpr std::size_t kRasterHeaderBytes = 32;
// Raster types: 1 stores 24-bit pixels as blue, green, red; 3 as red,
// green, blue.
inline constexpr std::int32_t kRasterStandard = 1;
inline constexpr std::int32_t kRasterRgb = 3;

struct RasterHeader {
    std::int32_t magic = kRasterMagic;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t depth = 0;
    std::int32_t length = 0;
    std::int32_t type = kRasterStandard;
    std::int32_t maptype = 0;
    std::int32_t maplength = 0;
};

using RasterHeaderBytes = std::array<unsigned char, kRasterHeaderBytes>;

inline RasterHeader decode_raster_header(const RasterHeaderBytes& bytes) {
    std::array<std::int32_t, 8> words;
    std::memcpy(words.data(), bytes.data(), kRasterHeaderBytes);
    for (auto& w : words) w = fw::byte_reversed(w);
    return {words[0], words[1], words[2], words[3], words[4], words[5], words[6], words[7]};
}

inline RasterHeaderBytes encode_raster_header(const RasterHeader& h) {
    std::array<std::int32_t, 8> words = {h.magic, h.width,  h.height,  h.depth,
                                         h.length, h.type, h.maptype, h.maplength};
    for (auto& w : words) w = fw::byte_reversed(w);
    RasterHeaderBytes bytes;
    std::memcpy(bytes.data(), words.data(), kRasterHeaderBytes);
    return bytes;
}

// The depth word of a raster file's header, or 0 when the file or its
// header cannot be read (its reader then says why in its own words).
int raster_file_depth(const std::string& path);

// Bytes of one stored row: rows are padded to an even length.
inline std::size_t raster_stride(std::size_t row_bytes) { return row_bytes + (row_bytes & 1u); }

}  // namespace io
