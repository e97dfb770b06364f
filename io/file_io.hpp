// file_io.hpp: whole-block reads and writes on file descriptors and streams.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace io {

// Reads up to `size` bytes into `buffer`, retrying short reads and
// interrupted calls. Returns the number of bytes read: less than `size` only
// at the end of the file or on an error.
std::size_t read_full(int fd, void* buffer, std::size_t size);

// Writes `size` bytes, retrying short writes and interrupted calls.
// Returns false when the bytes could not all be written.
bool write_full(int fd, const void* buffer, std::size_t size);

// Size in bytes of an open regular file, or -1 for anything else (a pipe, a
// device), whose size cannot be known in advance.
long long regular_file_size(int fd);

// Same for an open stream.
long long regular_file_size(std::FILE* stream);

// True when a file of `available` bytes (-1: unknown) cannot hold `needed`.
inline bool known_too_short(long long available, unsigned long long needed) {
    return available >= 0 && static_cast<unsigned long long>(available) < needed;
}

// Owns a file descriptor and closes it when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// Size of the scratch buffers that whole-image transfers go through: large
// enough that each system call moves a big block, small enough to stay in
// cache while it is converted.
inline constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

// Splits a file-name reply at its last '.' that is not its first character
// into `nom` and `ext` (fields of LONG_NOM characters). A reply without such
// a '.' ends the process with `who`'s "nom image incomplet" message.
void split_file_name(const char* reply, char* nom, char* ext, const char* who);

// "nom.ext" of a descriptor's two fields.
std::string join_name(const char* nom, const char* ext);

// Writes the text of a ".3lt" colour table: the 256 red, then green, then
// blue values, "%3d " each, a newline after every 20th value of a table and
// after its last one. Returns false when a write failed.
bool write_lut_text(std::FILE* f, const unsigned char* red, const unsigned char* green, const unsigned char* blue);

}  // namespace io
