// The byte encoding of rasters of type 2, written independently of the
// suite's reader, for the tests and for make-samples: runs of three to 256
// equal bytes become 128 n v (n + 1 copies of v), a byte 128 becomes 128 0
// (two of them 128 1 128), any other byte stands for itself. Runs cross the
// ends of rows as the encoding allows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testing_support {

// Appends the encoding of data[0 .. size) to `out` (a std::string or a
// vector of bytes).
template <class Bytes>
void append_byte_encoded(Bytes& out, const unsigned char* data, std::size_t size) {
    using Byte = typename Bytes::value_type;
    for (std::size_t i = 0; i < size;) {
        const unsigned char v = data[i];
        std::size_t run = 1;
        while (i + run < size && run < 256 && data[i + run] == v) ++run;
        if (run >= 3 || (run == 2 && v == 128)) {
            out.push_back(static_cast<Byte>(128));
            out.push_back(static_cast<Byte>(run - 1));
            out.push_back(static_cast<Byte>(v));
        } else {
            for (std::size_t k = 0; k < run; ++k) {
                out.push_back(static_cast<Byte>(v));
                if (v == 128) out.push_back(static_cast<Byte>(0));
            }
        }
        i += run;
    }
}

// The encoding of a whole string of bytes.
inline std::string byte_encoded(const std::string& data) {
    std::string out;
    append_byte_encoded(out, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    return out;
}

// `rows` (height rows of row_bytes bytes) with one zero byte after each row
// of odd length, as a raster stores them.
inline std::string padded_rows(const std::string& rows, std::size_t row_bytes) {
    std::string out;
    for (std::size_t at = 0; at < rows.size(); at += row_bytes) {
        out += rows.substr(at, row_bytes);
        if (row_bytes % 2 != 0) out += '\0';
    }
    return out;
}

}  // namespace testing_support
