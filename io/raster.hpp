// raster.hpp: the 32-byte header of the raster files (eight big-endian
// 32-bit words), shared by the 2D readers and writers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pixel_traits.hpp"

namespace io {

inline constexpr std::int32_t kRasterMagic = 0x59a66a95;
inline constexpr std::size_t kRasterHeaderBytes = 32;
// Raster types: 1 stores 24-bit pixels as blue, green, red; 3 as red,
// green, blue; 2 stores the rows of type 1 as a byte-encoded stream.
inline constexpr std::int32_t kRasterStandard = 1;
inline constexpr std::int32_t kRasterByteEncoded = 2;
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

// The byte-encoded stream of a raster of type 2, decoded block by block in
// one pass over the file with no allocation per run. The byte 128 is an
// escape: 128 0 stands for one byte 128, 128 n v (n >= 1) for n + 1 copies
// of v; any other byte stands for itself. The stream encodes the padded rows
// one after the other, and runs may cross rows.
class ByteDecoder {
public:
    // Decodes what follows the current position of `fd`.
    explicit ByteDecoder(int fd);

    // Decodes the next `size` bytes into `dst`. Returns how many it decoded:
    // fewer than `size` only when the stream has ended.
    std::size_t read(unsigned char* dst, std::size_t size);

    // False once the stream has ended inside an escape, or while a run goes
    // on beyond the bytes decoded so far (at the end of an image: a run that
    // overflows it).
    bool sound() const { return !broken_ && run_left_ == 0; }

private:
    // Moves the undecoded bytes to the front of the buffer and fills the
    // rest from the file.
    void refill();

    int fd_;
    std::vector<unsigned char> buffer_;
    std::size_t at_ = 0;   // next undecoded byte in buffer_
    std::size_t end_ = 0;  // end of the bytes read into buffer_
    bool eof_ = false;
    bool broken_ = false;
    std::size_t run_left_ = 0;  // copies of run_value_ still to give
    unsigned char run_value_ = 0;
};

// The fewest bytes that can encode `decoded` bytes: a run of three bytes
// gives at most 256 of them, any other unit at most one. Lets a reader
// refuse a file too short for its header's sizes before allocating.
inline unsigned long long byte_encoded_min_length(unsigned long long decoded) {
    return decoded / 256 * 3 + (decoded % 256 != 0 ? 1 : 0);
}

// Bytes of one stored row: rows are padded to an even length.
inline std::size_t raster_stride(std::size_t row_bytes) { return row_bytes + (row_bytes & 1u); }

}  // namespace io
