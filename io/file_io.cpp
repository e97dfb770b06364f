#include "file_io.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

#include "fail.hpp"
#include "image.h"

namespace io {

std::size_t read_full(int fd, void* buffer, std::size_t size) {
    auto* p = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, p + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool write_full(int fd, const void* buffer, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        ssize_t put = ::write(fd, p + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

long long regular_file_size(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long long>(st.st_size);
}

long long regular_file_size(std::FILE* stream) { return regular_file_size(::fileno(stream)); }

Fd::~Fd() {
    if (fd_ >= 0) ::close(fd_);
}

void split_file_name(const char* reply, char* nom, char* ext, const char* who) {
    const char* dot = std::strrchr(reply, '.');
    if (dot == nullptr || dot == reply) fw::fail(1, "\n>> ERREUR %s : nom image incomplet (extension?)", who);
    std::snprintf(nom, LONG_NOM, "%.*s", static_cast<int>(dot - reply), reply);
    std::snprintf(ext, LONG_NOM, "%s", dot + 1);
}

std::string join_name(const char* nom, const char* ext) {
    std::string name = nom;
    name += '.';
    name += ext;
    return name;
}

bool write_lut_text(std::FILE* f, const unsigned char* red, const unsigned char* green, const unsigned char* blue) {
    for (const unsigned char* table : {red, green, blue})
        for (int i = 0; i < 256; ++i) {
            std::fprintf(f, "%3d ", table[i]);
            if ((i + 1) % 20 == 0 || i == 255) std::fputc('\n', f);
        }
    return std::ferror(f) == 0;
}

}  // namespace io
