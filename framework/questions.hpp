// questions.hpp: the declared questions of a reading phase.
//
// A reading phase asks its questions through these helpers instead of
// converting replies itself. Each keeps the conversion of the dialogue
// (base-10 strtol for integers: leading blanks, a sign and digits are read,
// the rest of the word is ignored, no number gives 0; strtod for reals; a
// copy for names) and refuses, with one line naming the question and the
// accepted values and status 1, a number outside the range of its C type or
// outside the values the question accepts. Checks whose message an operator
// owns are made by the operator after asking with the plain form.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

#include "image.h"

namespace fw {

// Base-10 integer of a reply with strtol's reading, or nullopt when the
// number lies outside the range of T.
template <class T>
std::optional<T> integer_reply(const char* reply);

// Real of a reply with strtod's reading, or nullopt when its magnitude lies
// beyond the range of T (an underflow reads as the nearest value).
template <class T>
std::optional<T> real_reply(const char* reply);

// Ends the process (status 1) with the line
// "\n>> ERREUR <who> : reponse "<reply>" refusee a la question "<question>" (<accepted>)\n".
[[noreturn]] void refuse_reply(const char* who, const char* question, const char* reply, const std::string& accepted);

// The questions of one reading phase, asked on consecutive records of the
// chain. Each question is the heading, one blank, then its own text; a null
// heading asks the text alone (a main's own questions). After the last
// question, next() is the record the following stage starts from.
class Questions {
public:
    // `who` names the reading phase in refusals (for example "labelcc_lect").
    Questions(param* first, const char* heading, const char* who);

    // The reply, copied.
    std::string text(const char* text);

    // A file name: the reply, copied; an empty reply is refused.
    std::string file_name(const char* text);

    // Any int; then only lo ... hi.
    int integer(const char* text);
    int integer(const char* text, int lo, int hi);

    // One of the listed values.
    int choice(const char* text, std::initializer_list<int> values);

    // A window size: a positive odd int.
    int odd_window(const char* text);

    // Any finite double; then only lo ... hi.
    double real(const char* text);
    double real(const char* text, double lo, double hi);

    // Any finite float (the reply read as a double, then narrowed).
    float real_float(const char* text);

    // The record after the last question asked.
    param* next() const { return next_; }

    // Refuses the reply to the last question asked, for a check made by the
    // caller after asking (the accepted values in words).
    [[noreturn]] void refuse_last(const std::string& accepted) const { refuse(last_, accepted); }

private:
    // Asks on the current record and moves on; returns the record asked.
    const param* ask(const char* text);
    [[noreturn]] void refuse(const param* asked, const std::string& accepted) const;

    param* next_;
    const char* heading_;
    const char* who_;
    std::string question_;  // the last question asked, as shown
    const param* last_ = nullptr;  // its record
};

}  // namespace fw
