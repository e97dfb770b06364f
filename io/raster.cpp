#include "raster.hpp"

#include <fcntl.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "file_io.hpp"

namespace io {

// Room the fast decoding path needs in the output: up to 7 literal bytes
// before an escape, then a run of up to 256 bytes.
constexpr std::size_t kFastMargin = 7 + 256 + 1;

int raster_file_depth(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY));
    RasterHeaderBytes raw;
    if (!fd.ok() || read_full(fd.get(), raw.data(), raw.size()) != raw.size()) return 0;
    return decode_raster_header(raw).depth;
}

namespace {

constexpr unsigned char kEscape = 128;

// The escapes among the eight bytes of w: the top bit of each byte that is
// 128, the others 0.
inline std::uint64_t escape_bytes(std::uint64_t w) {
    constexpr std::uint64_t low7 = 0x7f7f7f7f7f7f7f7full;
    const std::uint64_t x = w ^ 0x8080808080808080ull;
    return ~(((x & low7) + low7) | x | low7);
}

// Index in memory order of the first byte marked by escape_bytes.
inline int first_marked_byte(std::uint64_t marks) {
    if constexpr (std::endian::native == std::endian::little) return std::countr_zero(marks) / 8;
    else return std::countl_zero(marks) / 8;
}

}  // namespace

ByteDecoder::ByteDecoder(int fd) : fd_(fd), buffer_(kChunkBytes) {}

void ByteDecoder::refill() {
    const std::size_t left = end_ - at_;
    std::memmove(buffer_.data(), buffer_.data() + at_, left);
    const std::size_t wanted = buffer_.size() - left;
    const std::size_t got = read_full(fd_, buffer_.data() + left, wanted);
    at_ = 0;
    end_ = left + got;
    if (got < wanted) eof_ = true;
}

std::size_t ByteDecoder::read(unsigned char* dst, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (run_left_ > 0) {
            const std::size_t n = std::min(run_left_, size - done);
            std::memset(dst + done, run_value_, n);
            done += n;
            run_left_ -= n;
            continue;
        }
        // An escape needs up to three bytes at hand.
        if (end_ - at_ < 3 && !eof_) {
            refill();
            continue;
        }
        if (at_ == end_ || broken_) break;
        // Far from both ends, without checks per unit: eight bytes are at
        // hand in the buffer, and up to 7 literals followed by a run (at most
        // 256 bytes, written as at least 16) fit in dst. Literals go eight at
        // a time: a word of eight bytes is stored whole and the output moves
        // on past the bytes before its first escape.
        if (end_ - at_ >= 8 && size - done > kFastMargin) {
            const unsigned char* in = buffer_.data() + at_;
            const unsigned char* const end = buffer_.data() + end_;
            unsigned char* out = dst + done;
            unsigned char* const out_last = dst + size - kFastMargin;
            while (end - in >= 8 && out <= out_last) {
                std::uint64_t word;
                std::memcpy(&word, in, 8);
                const std::uint64_t escapes = escape_bytes(word);
                if (escapes == 0) {
                    std::memcpy(out, &word, 8);
                    in += 8;
                    out += 8;
                    continue;
                }
                const int literal = first_marked_byte(escapes);
                std::memcpy(out, &word, 8);
                in += literal;
                out += literal;
                if (end - in < 3) break;
                if (in[1] == 0) {
                    *out++ = kEscape;
                    in += 2;
                } else {
                    const std::size_t copies = static_cast<std::size_t>(in[1]) + 1;
                    std::memset(out, in[2], 16);
                    if (copies > 16) std::memset(out + 16, in[2], copies - 16);
                    out += copies;
                    in += 3;
                }
            }
            at_ = static_cast<std::size_t>(in - buffer_.data());
            done = static_cast<std::size_t>(out - dst);
            continue;
        }
        // Near the ends: the bytes before the next escape stand for themselves.
        const unsigned char* p = buffer_.data() + at_;
        const std::size_t span = std::min(end_ - at_, size - done);
        const auto* escape = static_cast<const unsigned char*>(std::memchr(p, kEscape, span));
        const std::size_t literal = escape != nullptr ? static_cast<std::size_t>(escape - p) : span;
        std::memcpy(dst + done, p, literal);
        done += literal;
        at_ += literal;
        if (escape == nullptr) continue;
        if (end_ - at_ < 3 && !eof_) continue;  // refilled above first
        if (end_ - at_ < 2) {
            broken_ = true;
            break;
        }
        const unsigned char count = buffer_[at_ + 1];
        if (count == 0) {
            dst[done++] = kEscape;
            at_ += 2;
            continue;
        }
        if (end_ - at_ < 3) {
            broken_ = true;
            break;
        }
        run_value_ = buffer_[at_ + 2];
        run_left_ = static_cast<std::size_t>(count) + 1;
        at_ += 3;
    }
    return done;
}

}  // namespace io
