#include "questions.hpp"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "fail.hpp"
#include "proto2D.h"

namespace fw {

template <class T>
std::optional<T> integer_reply(const char* reply) {
    errno = 0;
    const long long value = std::strtoll(reply, nullptr, 10);
    if (errno == ERANGE || value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(value);
}

template <class T>
std::optional<T> real_reply(const char* reply) {
    errno = 0;
    const double value = std::strtod(reply, nullptr);
    if (errno == ERANGE && std::fabs(value) == HUGE_VAL) return std::nullopt;
    if (std::isfinite(value) && std::fabs(value) > static_cast<double>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(value);
}

template std::optional<int> integer_reply<int>(const char*);
template std::optional<long> integer_reply<long>(const char*);
template std::optional<long long> integer_reply<long long>(const char*);
template std::optional<float> real_reply<float>(const char*);
template std::optional<double> real_reply<double>(const char*);

void refuse_reply(const char* who, const char* question, const char* reply, const std::string& accepted) {
    fail(1, "\n>> ERREUR %s : reponse \"%s\" refusee a la question \"%s\" (%s)\n", who, reply, question,
         accepted.c_str());
}

namespace {

std::string int_range(long long lo, long long hi) {
    return "entier de " + std::to_string(lo) + " a " + std::to_string(hi);
}

std::string real_range(double lo, double hi) {
    char text[128];
    std::snprintf(text, sizeof text, "reel de %g a %g", lo, hi);
    return text;
}

}  // namespace

Questions::Questions(param* first, const char* heading, const char* who)
    : next_(first), heading_(heading), who_(who) {}

const param* Questions::ask(const char* text) {
    question_ = heading_ == nullptr ? std::string(text) : std::string(heading_) + " " + text;
    param* asked = next_;
    lec_param(question_.c_str(), asked);
    next_ = asked->suiv;
    last_ = asked;
    return asked;
}

void Questions::refuse(const param* asked, const std::string& accepted) const {
    refuse_reply(who_, question_.c_str(), asked->rep, accepted);
}

std::string Questions::text(const char* text) { return ask(text)->rep; }

std::string Questions::file_name(const char* text) {
    const param* asked = ask(text);
    if (asked->rep[0] == '\0') refuse(asked, "nom de fichier non vide");
    return asked->rep;
}

int Questions::integer(const char* text) { return integer(text, INT_MIN, INT_MAX); }

int Questions::integer(const char* text, int lo, int hi) {
    const param* asked = ask(text);
    const std::optional<int> value = integer_reply<int>(asked->rep);
    if (!value || *value < lo || *value > hi) refuse(asked, int_range(lo, hi));
    return *value;
}

int Questions::choice(const char* text, std::initializer_list<int> values) {
    const param* asked = ask(text);
    const std::optional<int> value = integer_reply<int>(asked->rep);
    for (int accepted : values)
        if (value && *value == accepted) return accepted;
    std::string list;
    for (int accepted : values) list += (list.empty() ? "" : ", ") + std::to_string(accepted);
    refuse(asked, list);
}

int Questions::odd_window(const char* text) {
    const param* asked = ask(text);
    const std::optional<int> value = integer_reply<int>(asked->rep);
    if (!value || *value < 1 || *value % 2 == 0) refuse(asked, "entier impair positif");
    return *value;
}

double Questions::real(const char* text) { return real(text, -DBL_MAX, DBL_MAX); }

double Questions::real(const char* text, double lo, double hi) {
    const param* asked = ask(text);
    const std::optional<double> value = real_reply<double>(asked->rep);
    // A NaN fails both comparisons, so it is refused too.
    if (!value || !(*value >= lo && *value <= hi)) refuse(asked, real_range(lo, hi));
    return *value;
}

float Questions::real_float(const char* text) {
    const param* asked = ask(text);
    const std::optional<float> value = real_reply<float>(asked->rep);
    if (!value || !std::isfinite(*value)) refuse(asked, real_range(-FLT_MAX, FLT_MAX));
    return *value;
}

}  // namespace fw
