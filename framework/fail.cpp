#include "fail.hpp"

#include <cstdarg>
#include <cstdlib>

namespace fw {

namespace {

[[noreturn]] void vfail(std::FILE* stream, int status, const char* format, std::va_list args) {
    std::vfprintf(stream, format, args);
    quit(status);
}

}  // namespace

void quit(int status) {
    std::fflush(stdout);
    std::fflush(stderr);
#ifdef IMSUITE_FUZZ
    throw Refusal{status};
#else
    std::exit(status);
#endif
}

void fail_to(std::FILE* stream, int status, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    vfail(stream, status, format, args);
}

void fail(int status, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    vfail(stdout, status, format, args);
}

}  // namespace fw
