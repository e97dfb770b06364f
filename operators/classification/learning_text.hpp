// learning_text.hpp: the numbers of a learning-data text file, read the way
// "%f" and "%d" read them, from the whole file held in memory; and the file
// names the learning phases ask for.
#pragma once

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "questions.hpp"

namespace classification {

class LearningText {
public:
    // Loads the file; ok() is false when it cannot be read.
    explicit LearningText(const char* name) {
        std::FILE* f = std::fopen(name, "rb");
        if (f == nullptr) return;
        char block[1 << 16];
        std::size_t got;
        while ((got = std::fread(block, 1, sizeof block, f)) > 0) text_.append(block, got);
        ok_ = std::ferror(f) == 0;
        std::fclose(f);
        pos_ = text_.c_str();
    }

    bool ok() const { return ok_; }

    // The next real as "%f" reads it (blanks skipped); false at the end of
    // the text, on a word that is not a number, or on a value that is not
    // finite in single precision.
    bool real(float& value) {
        char* end = nullptr;
        errno = 0;
        const float v = std::strtof(pos_, &end);
        if (end == pos_ || !std::isfinite(v)) return false;
        pos_ = end;
        value = v;
        return true;
    }

    // The next int as "%d" reads it; false at the end, on a word that is
    // not a number, or on a value beyond the range of int.
    bool integer(int& value) {
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(pos_, &end, 10);
        if (end == pos_ || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
        pos_ = end;
        value = static_cast<int>(v);
        return true;
    }

private:
    std::string text_;
    const char* pos_ = "";
    bool ok_ = false;
};

// Asks for a file name and returns the reply in its own record, which the
// descriptor keeps pointing to.
inline const char* file_reply(fw::Questions& questions, const char* text) {
    param* asked = questions.next();
    questions.file_name(text);
    return asked->rep;
}

}  // namespace classification
