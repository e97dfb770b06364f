#include "raster.hpp"

#include <fcntl.h>

#include <algorithm>
#include <cstring>

#include "file_io.hpp"

namespace io {

int raster_file_depth(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY));
    RasterHeaderBytes raw;
    if (!fd.ok() || read_full(fd.get(), raw.data(), raw.size()) != raw.size()) return 0;
    return decode_raster_header(raw).depth;
}

namespace {
constexpr unsigned char kEscape = 128;
}

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
        // The bytes before the next escape stand for themselves.
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
