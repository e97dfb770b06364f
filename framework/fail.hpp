// fail.hpp: the one way a stage gives up.
//
// Every refusal of the suite prints its message and ends the process with a
// status; this header is the only place that does it, so that messages are
// always flushed and the status is never forgotten.
#pragma once

#include <cstdio>

namespace fw {

// Prints the printf-formatted message on `stream`, flushes standard output
// and standard error, and ends the process with `status`.
[[noreturn]] void fail_to(std::FILE* stream, int status, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Same as fail_to on standard output, where the suite's messages go.
[[noreturn]] void fail(int status, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Flushes standard output and standard error and ends the process with
// `status`, for code that has printed its message itself.
[[noreturn]] void quit(int status);

#ifdef IMSUITE_FUZZ
// The fuzzing build keeps the process alive: every refusal (fail, fail_to,
// quit) throws this instead of ending the process, once the message is
// printed and flushed, and the fuzzing harness catches it and goes on with
// its next input. Programs are never built this way.
struct Refusal {
    int status;
};
#endif

}  // namespace fw
