#include "support.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

// Sanitizer reports end the test binaries with their own statuses; the
// programs the tests run get the same settings through their environment.
extern "C" const char* __asan_default_options() { return "exitcode=86:detect_leaks=1"; }
extern "C" const char* __ubsan_default_options() { return "exitcode=87:print_stacktrace=1:halt_on_error=1"; }

namespace {

bool in_child = false;

// Appends a sanitizer setting to an environment variable, after whatever
// the caller set (a later setting wins).
void add_option(const char* variable, const char* setting) {
    const char* old = std::getenv(variable);
    const std::string value = old != nullptr && *old != '\0' ? std::string(old) + ":" + setting : setting;
    ::setenv(variable, value.c_str(), 1);
}

// Runs `body` in a child with standard input, output and error redirected
// to files of a temporary folder, waits for it and collects the files.
testing_support::Outcome run_child(const std::function<void()>& body, const std::string& input) {
    testing_support::TempDir io;
    const std::string in_path = io.file("stdin"), out_path = io.file("stdout"), err_path = io.file("stderr");
    testing_support::write_file(in_path, input);
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        in_child = true;
        const int in = ::open(in_path.c_str(), O_RDONLY);
        const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) ::_exit(120);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::clearerr(stdin);
        body();
        std::fflush(nullptr);
        ::_exit(0);
    }
    int wstatus = 0;
    ::waitpid(pid, &wstatus, 0);
    testing_support::Outcome run;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    run.out = testing_support::read_file(out_path);
    run.err = testing_support::read_file(err_path);
    if (run.status == testing_support::kAddressSanitizerStatus || run.status == testing_support::kUndefinedSanitizerStatus)
        ADD_FAILURE() << "sanitizer report (status " << run.status << "):\n" << run.err;
    return run;
}

}  // namespace

// The leak checker of the sanitized build asks this hook whether to run; it
// stays quiet in children, which end without releasing what the suite never
// releases.
extern "C" int __lsan_is_turned_off() { return in_child ? 1 : 0; }

namespace testing_support {

Outcome run_captured(const std::function<void()>& fn, const std::string& input) { return run_child(fn, input); }

namespace {

testing::AssertionResult not_ended(const Outcome& run, int status, const char* relation, const std::string& text) {
    return testing::AssertionFailure() << "ended with status " << run.status << " (" << status
                                       << " expected) printing\n" << testing::PrintToString(run.out) << "\n"
                                       << relation << "\n" << testing::PrintToString(text);
}

}  // namespace

testing::AssertionResult ended(const Outcome& run, int status, const std::string& out) {
    if (run.status == status && run.out == out) return testing::AssertionSuccess();
    return not_ended(run, status, "instead of", out);
}

testing::AssertionResult ended_saying(const Outcome& run, int status, const std::string& part) {
    if (run.status == status && run.out.find(part) != std::string::npos) return testing::AssertionSuccess();
    return not_ended(run, status, "without", part);
}

std::string program_path(const std::string& name) { return std::string(IMSUITE_BIN_DIR) + "/" + name; }

std::string source_path(const std::string& relative) { return std::string(IMSUITE_SOURCE_DIR) + "/" + relative; }

Outcome run_program(const std::string& name, const std::vector<std::string>& args, const std::string& input,
                const std::string& cwd) {
    const std::string path = program_path(name);
    return run_child(
        [&] {
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(path.c_str()));
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            if (::chdir(cwd.c_str()) != 0) ::_exit(121);
            add_option("ASAN_OPTIONS", "exitcode=86");
            add_option("UBSAN_OPTIONS", "exitcode=87:halt_on_error=1");
            ::execv(path.c_str(), argv.data());
            ::_exit(122);
        },
        input);
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "imsuite-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

void write_files(const TempDir& dir, const std::string& stem, const std::map<std::string, std::string>& files) {
    for (const auto& [ext, contents] : files) write_file(dir.file(stem + "." + ext), contents);
}

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

std::map<std::string, std::string> folder_contents(const std::string& path) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        if (entry.is_regular_file()) files[entry.path().filename().string()] = read_file(entry.path().string());
    return files;
}

Argv::Argv(std::vector<std::string> words) : words_(std::move(words)) {
    for (std::string& w : words_) pointers_.push_back(w.data());
    pointers_.push_back(nullptr);
}

bool asks_in_order(const std::string& out, const std::vector<std::string>& questions) {
    std::size_t at = 0;
    for (const std::string& q : questions) {
        at = out.find("\n" + q + "? : ", at);
        if (at == std::string::npos) return false;
    }
    return true;
}

std::string ctrl_text(const std::vector<std::string>& replies, const std::vector<std::string>& questions) {
    std::string text;
    for (std::size_t i = 0; i < replies.size() && i < questions.size(); ++i) text += replies[i] + "\t\t#" + questions[i] + "\n";
    return text;
}

std::string be16(unsigned value) {
    return {static_cast<char>((value >> 8) & 0xff), static_cast<char>(value & 0xff)};
}

std::string be32(unsigned value) { return be16(value >> 16) + be16(value & 0xffff); }

std::string byte_string(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

std::string in_folder(std::string text, const std::string& folder) {
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size()))
        text.replace(at, 1, folder);
    return text;
}

std::vector<std::string> cuts_between_words(const std::string& text) {
    std::vector<std::string> cuts = {""};
    for (std::size_t at = 1; at < text.size(); ++at)
        if (std::isspace(static_cast<unsigned char>(text[at])) && !std::isspace(static_cast<unsigned char>(text[at - 1])))
            cuts.push_back(text.substr(0, at));
    if (cuts.size() > 1 && text.find_first_not_of(" \t\n", cuts.back().size()) == std::string::npos) cuts.pop_back();
    return cuts;
}

}  // namespace testing_support

