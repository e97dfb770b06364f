// harness.hpp: what the fuzzing harnesses share.
//
// Each harness writes the fuzzer's bytes to one or more scratch files and
// drives a public reader of the suite on them. The fuzzing build makes every
// refusal throw fw::Refusal instead of ending the process; run() catches it,
// so that a refused input is an ordinary outcome and only a crash or a
// sanitizer report stops the fuzzer. Standard output, where the suite
// prints, goes to /dev/null unless IMSUITE_FUZZ_VERBOSE is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fail.hpp"

namespace fuzz {

// Path of a scratch file named `name`, in a folder of this process only
// (under /dev/shm when it exists, /tmp otherwise).
std::string scratch(const std::string& name);

// Writes `bytes` to scratch(name) and returns its path.
std::string write_file(const std::string& name, std::string_view bytes);

// The input as text.
inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Splits the input at every "@@@@": the parts of an input that makes
// several files (for example a size file, then a pixel file).
std::vector<std::string_view> parts(std::string_view input, std::size_t most);

// Makes standard input read `bytes` (through a scratch file).
void set_stdin(std::string_view bytes);

// Calls f(). A refusal of the suite returns here. Either way the streams
// the suite opened during the call and left open are closed, as the end of
// the process would close them.
void run_guarded(void (*f)(void*), void* context);
template <class F>
void run(F&& f) {
    run_guarded([](void* c) { (*static_cast<F*>(c))(); }, &f);
}

}  // namespace fuzz
