// text_input.hpp: reading replies and numbers from text without trusting it.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace fw {

// Longest line a user may type as a reply (the reply buffer holds 199
// characters and the terminator; one more is kept for the newline).
inline constexpr std::size_t kMaxLine = 198;

// Longest text stored in a name, question or reply field.
inline constexpr std::size_t kMaxText = 199;

// Reads one line of standard input and returns it without its newline, or
// nullopt when standard input is at its end. A line longer than kMaxLine
// ends the process with status 1, naming `who` in the message.
std::optional<std::string> read_reply_line(const char* who);

// Copies `text` into a LONG_NOM field. The caller has checked the length.
void copy_text(char* field, const std::string& text);

// Scans whitespace-separated decimal integers from a stream the way "%d"
// does (optional sign, then digits; scanning stops at the first character
// that cannot continue the number), without undefined behaviour on huge
// values: a value outside the range of long long is a failed read.
class IntScanner {
public:
    explicit IntScanner(std::FILE* stream) : stream_(stream) {}

    // The next integer, or nullopt at the end of the stream or on text that
    // is not a number; after a failure every later read fails too.
    std::optional<long long> next();

private:
    std::FILE* stream_;
    bool failed_ = false;
};

}  // namespace fw
