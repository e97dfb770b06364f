#include "text_input.hpp"

#include <cctype>
#include <climits>
#include <cstring>

#include "fail.hpp"
#include "image.h"

namespace fw {

std::optional<std::string> read_reply_line(const char* who) {
    std::string line;
    int c = std::getc(stdin);
    if (c == EOF) return std::nullopt;
    while (c != EOF && c != '\n') {
        line.push_back(static_cast<char>(c));
        if (line.size() > kMaxLine)
            fail(1, "\n>> ERREUR %s : ligne trop longue (plus de %zu caracteres)\n", who, kMaxLine);
        c = std::getc(stdin);
    }
    return line;
}

void copy_text(char* field, const std::string& text) {
    std::size_t n = text.size() < LONG_NOM - 1 ? text.size() : LONG_NOM - 1;
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

std::optional<long long> IntScanner::next() {
    if (failed_) return std::nullopt;
    int c;
    do {
        c = std::getc(stream_);
    } while (c != EOF && std::isspace(c));
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::getc(stream_);
    }
    if (c == EOF || !std::isdigit(c)) {
        failed_ = true;
        return std::nullopt;
    }
    unsigned long long magnitude = 0;
    bool overflow = false;
    for (; c != EOF && std::isdigit(c); c = std::getc(stream_)) {
        unsigned digit = static_cast<unsigned>(c - '0');
        if (magnitude > (static_cast<unsigned long long>(LLONG_MAX) - digit) / 10) overflow = true;
        else magnitude = magnitude * 10 + digit;
    }
    if (c != EOF) std::ungetc(c, stream_);
    if (overflow) {
        failed_ = true;
        return std::nullopt;
    }
    long long value = static_cast<long long>(magnitude);
    return negative ? -value : value;
}

}  // namespace fw
