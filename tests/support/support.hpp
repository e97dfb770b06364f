// Test support: running code or built programs with given standard input
// and collecting their exit status and output, temporary folders and
// whole-file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// Exit statuses of a sanitizer report in the test build (set for the test
// binaries and for every program they run), which no refusal of the suite
// uses: a run that ends with one of them fails the test that ran it.
inline constexpr int kAddressSanitizerStatus = 86;
inline constexpr int kUndefinedSanitizerStatus = 87;

// What a run left behind: its exit status (128 + signal number when it was
// killed) and everything it printed.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs fn in a child process whose standard input holds `input`, and
// collects what it printed. The child ends with status 0 when fn returns;
// code that ends the process itself gives its own status. Leak checking is
// off in the child: the suite deliberately frees nothing on its way out.
Outcome run_captured(const std::function<void()>& fn, const std::string& input = "");

// Whether a run ended with `status` having printed exactly `out` on standard
// output, and the same when `part` is only some of what it printed: one
// check of both, e.g. EXPECT_TRUE(ended(run_captured(...), 1, "...")).
testing::AssertionResult ended(const Outcome& run, int status, const std::string& out);
testing::AssertionResult ended_saying(const Outcome& run, int status, const std::string& part);

// Runs the built program `name` (from the build's bin folder) in folder
// `cwd` with the given arguments and standard input.
Outcome run_program(const std::string& name, const std::vector<std::string>& args, const std::string& input,
                    const std::string& cwd);

// Path of a built program, and of a file of the source tree.
std::string program_path(const std::string& name);
std::string source_path(const std::string& relative);

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes out of scope.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const std::string& path() const { return path_; }
    // Path of a file inside the folder.
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Whole-file helpers; read_file returns "" for a missing file.
void write_file(const std::string& path, const std::string& bytes);
// Writes "<stem>.<ext>" in the folder for each extension -> contents.
void write_files(const TempDir& dir, const std::string& stem, const std::map<std::string, std::string>& files);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);

// The files of a folder (not its subfolders), name -> contents.
std::map<std::string, std::string> folder_contents(const std::string& path);

// A C argument vector (null-terminated) over its own copies of `words`.
class Argv {
public:
    explicit Argv(std::vector<std::string> words);
    Argv(const Argv&) = delete;
    Argv& operator=(const Argv&) = delete;
    int argc() const { return static_cast<int>(words_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

// Whether `out` asks each question in turn on the terminal ("\n<question>? : ").
bool asks_in_order(const std::string& out, const std::vector<std::string>& questions);

// The text of a control file: one "reply<tab><tab>#question" line per pair.
std::string ctrl_text(const std::vector<std::string>& replies, const std::vector<std::string>& questions);

// Big-endian encodings of integers, for building file images by hand.
std::string be16(unsigned value);
std::string be32(unsigned value);

// The bytes of the given values (0 to 255), for contents holding zeros.
std::string byte_string(std::initializer_list<int> values);

// Replaces every "@" of `text` by `folder`.
std::string in_folder(std::string text, const std::string& folder);

// The text cut after each of its words but the last (none kept too): what
// a text file of numbers truncated between two of them holds.
std::vector<std::string> cuts_between_words(const std::string& text);

// What write(stream) appends to a stream, as text.
template <class Write>
std::string written(Write write) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* f = open_memstream(&text, &size);
    write(f);
    std::fclose(f);
    std::string s(text, size);
    std::free(text);
    return s;
}

}  // namespace testing_support
