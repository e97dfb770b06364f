// harness.cpp: scratch files, quiet output and refusal catching for the
// harnesses (see harness.hpp).
//
// The harnesses are linked with -Wl,--wrap=fopen,--wrap=fclose: every
// stream the suite opens during run() is recorded, and those still open
// after it are closed, since a refusal skips the reader's own fclose and a
// long run would otherwise exhaust the file descriptors.

#include "harness.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <unordered_set>

extern "C" std::FILE* __real_fopen(const char* path, const char* mode);
extern "C" int __real_fclose(std::FILE* f);

namespace {

// The tables below are never destroyed: the scratch files are removed at
// exit, after the destructors of static objects have run.
bool tracking = false;
std::unordered_set<std::FILE*>& open_streams() {
    static auto* streams = new std::unordered_set<std::FILE*>;
    return *streams;
}

std::vector<std::string>& created() {
    static auto* names = new std::vector<std::string>;
    return *names;
}

const std::string& folder() {
    static const std::string& path = *new std::string([] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string p = std::string(base) + "/imsuite-fuzz-" + std::to_string(getpid());
        if (::mkdir(p.c_str(), 0700) != 0) {
            std::perror(p.c_str());
            std::abort();
        }
        return p;
    }());
    return path;
}

void remove_scratch() {
    for (const std::string& name : created()) std::remove(name.c_str());
    ::rmdir(folder().c_str());
}

}  // namespace

extern "C" std::FILE* __wrap_fopen(const char* path, const char* mode) {
    std::FILE* f = __real_fopen(path, mode);
    if (f != nullptr && tracking) open_streams().insert(f);
    return f;
}

extern "C" int __wrap_fclose(std::FILE* f) {
    open_streams().erase(f);
    return __real_fclose(f);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (std::getenv("IMSUITE_FUZZ_VERBOSE") == nullptr && std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::perror("/dev/null");
        std::abort();
    }
    (void)folder();
    std::atexit(remove_scratch);
    fuzz::set_stdin("");
    return 0;
}

namespace fuzz {

std::string scratch(const std::string& name) {
    const std::string path = folder() + "/" + name;
    bool known = false;
    for (const std::string& n : created()) known = known || n == path;
    if (!known) created().push_back(path);
    return path;
}

std::string write_file(const std::string& name, std::string_view bytes) {
    const std::string path = scratch(name);
    std::FILE* f = __real_fopen(path.c_str(), "wb");
    if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || __real_fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

std::vector<std::string_view> parts(std::string_view input, std::size_t most) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < most) {
        const std::size_t at = input.find("@@@@");
        if (at == std::string_view::npos) break;
        out.push_back(input.substr(0, at));
        input.remove_prefix(at + 4);
    }
    out.push_back(input);
    return out;
}

void set_stdin(std::string_view bytes) {
    const std::string path = write_file("stdin", bytes);
    if (std::freopen(path.c_str(), "r", stdin) == nullptr) {
        std::perror(path.c_str());
        std::abort();
    }
}

void run_guarded(void (*f)(void*), void* context) {
    tracking = true;
    try {
        f(context);
    } catch (const fw::Refusal&) {
    }
    tracking = false;
    for (std::FILE* s : open_streams()) __real_fclose(s);
    open_streams().clear();
}

}  // namespace fuzz
