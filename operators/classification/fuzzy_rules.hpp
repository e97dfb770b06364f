// fuzzy_rules.hpp: what the two fuzzy rule classifiers share.
//
// The symbolic classifier (ff_symb) and the gradual one (grClassif) read the
// same kind of rule base, evaluate it with the same pipeline (fuzzification,
// premise of every rule, inference per output term, defuzzification) and
// differ only in their terms, in how a premise and an aggregate start, and
// in which operations they choose. This header holds, once for both:
//   - the nine two-operand operations (four t-norms, four t-conorms, the
//     Rescher-Gaines implication), as scalars and as loops over stretches
//     of values that compute bit for bit what the scalars compute;
//   - the rule-base reader, which checks every count, name and number of
//     the file before anything is sized from it;
//   - the pipeline on one input vector (through the descriptor's function
//     pointers and degree tables);
//   - the pipeline over whole 8-bit attribute images: the membership of
//     each input term is tabulated over the 256 levels once, and the rules
//     are evaluated on stretches of pixels with the operations chosen once
//     per stretch, so nothing is allocated or dispatched per pixel.
#pragma once

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "fail.hpp"
#include "image.h"
#include "proto2D.h"

namespace fuzzy {

// Operation codes: grClassif's codes as they are; ff_symb's t-norm code as
// it is and its t-conorm code plus 4.
enum Op : int { kTnZadeh, kTnProba, kTnLuk, kTnWeber, kTcZadeh, kTcProba, kTcLuk, kTcWeber, kRescherGaines };
inline constexpr int kOps = 9;

template <int op>
inline float apply(float x, float y) {
    if constexpr (op == kTnZadeh) return x < y ? x : y;
    else if constexpr (op == kTnProba) return x * y;
    else if constexpr (op == kTnLuk) {
        const float s = x + y - 1.0f;
        return s > 0.0f ? s : 0.0f;
    } else if constexpr (op == kTnWeber) return x == 1.0f ? y : (y == 1.0f ? x : 0.0f);
    else if constexpr (op == kTcZadeh) return x > y ? x : y;
    else if constexpr (op == kTcProba) return x + y - x * y;
    else if constexpr (op == kTcLuk) {
        const float s = x + y;
        return s < 1.0f ? s : 1.0f;
    } else if constexpr (op == kTcWeber) return x == 0.0f ? y : (y == 0.0f ? x : 1.0f);
    else return x <= y ? 1.0f : 0.0f;
}

// Calls f(std::integral_constant<int, op>) for the code op (0 ... 8).
template <class F>
inline void with_op(int op, F&& f) {
    switch (op) {
    case kTnZadeh: return f(std::integral_constant<int, kTnZadeh>());
    case kTnProba: return f(std::integral_constant<int, kTnProba>());
    case kTnLuk: return f(std::integral_constant<int, kTnLuk>());
    case kTnWeber: return f(std::integral_constant<int, kTnWeber>());
    case kTcZadeh: return f(std::integral_constant<int, kTcZadeh>());
    case kTcProba: return f(std::integral_constant<int, kTcProba>());
    case kTcLuk: return f(std::integral_constant<int, kTcLuk>());
    case kTcWeber: return f(std::integral_constant<int, kTcWeber>());
    default: return f(std::integral_constant<int, kRescherGaines>());
    }
}

inline float apply(int op, float x, float y) {
    float r = 0.0f;
    with_op(op, [&](auto code) { r = apply<decltype(code)::value>(x, y); });
    return r;
}

// d[j] = op(x(j), y(j)) for j < n, the operation chosen once; x(j) and y(j)
// may read d[j] itself (in-place folds).
template <class X, class Y>
inline void apply_stretch(int op, float* d, X x, Y y, int n) {
    with_op(op, [&](auto code) {
        for (int j = 0; j < n; ++j) d[j] = apply<decltype(code)::value>(x(j), y(j));
    });
}

// agg[j] = J(agg[j], C(p[j], w)) for j < n, both operations chosen once.
inline void combine_stretch(int combine, int aggregate, float* agg, const float* p, float w, int n) {
    with_op(combine, [&](auto c) {
        with_op(aggregate, [&](auto a) {
            for (int j = 0; j < n; ++j)
                agg[j] = apply<decltype(a)::value>(agg[j], apply<decltype(c)::value>(p[j], w));
        });
    });
}

// Names of terms and variables: at most this many characters.
inline constexpr std::size_t kMaxName = 99;
// Variables of a base: at most 255 inputs and the output.
inline constexpr long kMaxVariables = 256;

[[noreturn]] inline void no_memory() { fw::fail(1, "probl\350me d'allocation m\351moire.\n"); }

template <class T>
T* allocate(std::size_t count) {
    void* p = std::calloc(count == 0 ? 1 : count, sizeof(T));
    if (p == nullptr) no_memory();
    return static_cast<T*>(p);
}

// The tokens of a rule-base file: runs of non-blank characters. Every
// refusal names the reading function and the file.
class Tokens {
public:
    Tokens(const char* path, const char* who) : who_(who), path_(path) {
        file_ = std::fopen(path, "r");
        if (file_ == nullptr) fw::fail(1, "ERREUR: impossible d'ouvrir le fichier %s\n", path);
    }
    ~Tokens() { std::fclose(file_); }
    Tokens(const Tokens&) = delete;
    Tokens& operator=(const Tokens&) = delete;

    [[noreturn]] void refuse(const std::string& what) const {
        fw::fail(1, "\n>> ERREUR %s : fichier %s : %s\n", who_, path_, what.c_str());
    }

    // The next token; `what` names it when the file ends before it.
    const std::string& word(const std::string& what) {
        int c;
        while ((c = std::getc(file_)) != EOF && std::isspace(c)) {
        }
        if (c == EOF) refuse("fin de fichier avant " + what);
        token_.clear();
        bool cut = false;
        for (; c != EOF && !std::isspace(c); c = std::getc(file_)) {
            if (token_.size() < kLongest) token_.push_back(static_cast<char>(c));
            else cut = true;
        }
        if (cut) token_ += "...";
        return token_;
    }

    // A name of at most kMaxName characters.
    std::string name(const std::string& what) {
        const std::string& w = word(what);
        if (w.size() > kMaxName)
            refuse(what + " trop long (plus de 99 caracteres) : " + w.substr(0, 20) + "...");
        return w;
    }

    // A whole token read as a base-10 integer in lo ... hi.
    long integer(const std::string& what, long lo, long hi) {
        const std::string& w = word(what);
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(w.c_str(), &end, 10);
        if (end == w.c_str() || *end != '\0') refuse(what + " : \"" + w + "\" n'est pas un entier");
        if (errno == ERANGE || v < lo || v > hi)
            refuse(what + " : " + w + " hors de " + std::to_string(lo) + " a " + std::to_string(hi));
        return v;
    }

    // A whole token read as a finite real, stored as a float.
    float real(const std::string& what) {
        const std::string& w = word(what);
        char* end = nullptr;
        const double v = std::strtod(w.c_str(), &end);
        if (end == w.c_str() || *end != '\0') refuse(what + " : \"" + w + "\" n'est pas un nombre");
        const float f = static_cast<float>(v);
        if (!std::isfinite(f)) refuse(what + " : \"" + w + "\" n'est pas un nombre fini en simple precision");
        return f;
    }

private:
    static constexpr std::size_t kLongest = 120;
    const char* who_;
    const char* path_;
    std::FILE* file_;
    std::string token_;
};

// Reads a rule base into the descriptor's variables, rules and degree
// tables. read_term(tokens, term, what) reads one term after its name.
// `min_variables` is 2 (one input and the output) or 3 (two inputs: a
// gradual premise starts from a pair). Every table is sized from what the
// file actually holds, so a huge count in a short file is refused as a
// truncated file, never allocated.
template <class Desc, class ReadTerm>
void read_base(Desc& d, const char* path, const char* who, long min_variables, const char* too_few,
               ReadTerm read_term) {
    using Variable = std::remove_pointer_t<decltype(d.variables)>;
    using Term = std::remove_pointer_t<decltype(Variable::termes)>;
    using Rule = std::remove_pointer_t<decltype(d.regles)>;
    Tokens tokens(path, who);
    const long nv = tokens.integer("nombre de variables", 0, kMaxVariables);
    if (nv < min_variables) tokens.refuse(too_few);

    std::vector<Variable> variables(static_cast<std::size_t>(nv));
    std::vector<std::vector<Term>> terms(variables.size());
    for (std::size_t v = 0; v < variables.size(); ++v) {
        const std::string where = "variable " + std::to_string(v + 1);
        Variable& var = variables[v];
        std::snprintf(var.nom, sizeof var.nom, "%s", tokens.name("nom de la " + where).c_str());
        var.nb_termes = static_cast<unsigned char>(tokens.integer("nombre de termes de " + std::string(var.nom), 0, 255));
        for (int k = 0; k < var.nb_termes; ++k) {
            Term term{};
            const std::string tname =
                tokens.name("nom du terme " + std::to_string(k + 1) + " de " + std::string(var.nom));
            std::snprintf(term.nom, sizeof term.nom, "%s", tname.c_str());
            read_term(tokens, term, "terme " + tname + " de " + std::string(var.nom));
            terms[v].push_back(term);
        }
    }

    const long nr = tokens.integer("nombre de regles", 0, 0x7fffffffL);
    const std::size_t inputs = variables.size() - 1;
    std::vector<Rule> rules;
    std::vector<unsigned char> premises;
    // Index of `name` among the terms of variable v (first match).
    const auto find = [&](std::size_t v, const std::string& name, long r) {
        for (std::size_t k = 0; k < terms[v].size(); ++k)
            if (name == terms[v][k].nom) return static_cast<unsigned char>(k);
        tokens.refuse("regle " + std::to_string(r + 1) + " : terme " + name + " inconnu de la variable " +
                      variables[v].nom);
    };
    for (long r = 0; r < nr; ++r) {
        const std::string where = " de la regle " + std::to_string(r + 1);
        for (std::size_t v = 0; v < inputs; ++v) premises.push_back(find(v, tokens.name("premisse" + where), r));
        Rule rule{};
        rule.conclusion = find(inputs, tokens.name("conclusion" + where), r);
        rule.poids = tokens.real("poids" + where);
        if (!(rule.poids >= 0.0f && rule.poids <= 1.0f))
            tokens.refuse("poids" + where + " hors de [0, 1]");
        rules.push_back(rule);
    }

    // The C tables, sized from what was read.
    d.nb_variables = static_cast<int>(nv);
    d.variables = allocate<Variable>(variables.size());
    for (std::size_t v = 0; v < variables.size(); ++v) {
        d.variables[v] = variables[v];
        d.variables[v].termes = allocate<Term>(terms[v].size());
        std::copy(terms[v].begin(), terms[v].end(), d.variables[v].termes);
    }
    d.nb_regles = static_cast<int>(rules.size());
    d.regles = allocate<Rule>(rules.size());
    for (std::size_t r = 0; r < rules.size(); ++r) {
        d.regles[r] = rules[r];
        d.regles[r].premisse = allocate<unsigned char>(inputs);
        std::copy_n(premises.begin() + static_cast<std::ptrdiff_t>(r * inputs), inputs, d.regles[r].premisse);
    }
    d.nb_degres = d.nb_variables;
    d.degres = allocate<float*>(variables.size());
    for (std::size_t v = 0; v < variables.size(); ++v) d.degres[v] = allocate<float>(terms[v].size());
}

// What distinguishes the two classifiers in the pipeline. Traits gives:
//   membership(term, x), representative(term),
//   premise_op(d), combine_op(d), aggregate_op(d) (codes 0 ... 8),
//   premise_fn(d), combine_fn(d), aggregate_fn(d) (the chosen functions),
//   gradual: a premise starts from its first pair of inputs and an
//   aggregate from its first rule (instead of from 1 and from 0).

template <class Traits, class Desc>
float defuzzify(const Desc& d, float* outputs) {
    const int out = d.nb_variables - 1;
    const int nt = d.variables[out].nb_termes;
    const float* degree = d.degres[out];
    if (d.type_defuzzification == 0) {
        int best = 0;
        float top = 0.0f;
        for (int t = 0; t < nt; ++t) {
            outputs[t] = degree[t];
            if (degree[t] > top) {
                top = degree[t];
                best = t;
            }
        }
        return static_cast<float>(best);
    }
    float num = 0.0f, den = 0.0f;
    for (int t = 0; t < nt; ++t) {
        num += degree[t] * Traits::representative(d.variables[out].termes[t]);
        den += degree[t];
    }
    outputs[0] = den == 0.0f ? 0.0f : num / den;
    return outputs[0];
}

// The pipeline on one input vector, through the chosen functions.
template <class Traits, class Desc>
float evaluate(Desc& d, const float* inputs, float* outputs) {
    const int ni = d.nb_variables - 1;
    for (int i = 0; i < ni; ++i)
        for (int k = 0; k < d.variables[i].nb_termes; ++k)
            d.degres[i][k] = Traits::membership(d.variables[i].termes[k], inputs[i]);
    auto premise_fn = Traits::premise_fn(d);
    auto combine_fn = Traits::combine_fn(d);
    auto aggregate_fn = Traits::aggregate_fn(d);
    for (int t = 0; t < d.variables[ni].nb_termes; ++t) {
        float agg = 0.0f;
        bool first = true;
        for (int r = 0; r < d.nb_regles; ++r) {
            const auto& rule = d.regles[r];
            if (rule.conclusion != t) continue;
            float premise;
            int i;
            if (Traits::gradual) {
                premise_fn(&d.degres[0][rule.premisse[0]], &d.degres[1][rule.premisse[1]], &premise);
                i = 2;
            } else {
                premise = 1.0f;
                i = 0;
            }
            for (; i < ni; ++i) {
                float next;
                premise_fn(&premise, &d.degres[i][rule.premisse[i]], &next);
                premise = next;
            }
            float weight = rule.poids, v;
            combine_fn(&premise, &weight, &v);
            if (Traits::gradual && first) agg = v;
            else {
                float next;
                aggregate_fn(&agg, &v, &next);
                agg = next;
            }
            first = false;
        }
        d.degres[ni][t] = agg;
    }
    return defuzzify<Traits>(d, outputs);
}

// Checks, before any output exists, that n attribute images fit the base
// (one per input variable, all of one size); then sizes, names and
// allocates the output: class indices when the base defuzzifies with type
// 0, defuzzified values otherwise.
template <class Desc>
void image_init(const Desc& d, const char* who, const char* suffix, int n, const imau1* attributes, imau1* classes,
                imafl* values) {
    const int ni = d.nb_variables - 1;
    if (n != ni)
        fw::fail(1, "\n>> ERREUR %s : %d images attributs pour %d variables d'entree de la base de regles\n", who, n,
                 ni);
    for (int i = 1; i < n; ++i)
        if (attributes[i].nc != attributes[0].nc || attributes[i].nr != attributes[0].nr)
            fw::fail(1, "\n>> ERREUR %s : tailles differentes : attribut %d/%d (%s) %dx%d, attribut 1/%d (%s) %dx%d\n",
                     who, i + 1, n, attributes[i].nom, attributes[i].nc, attributes[i].nr, n, attributes[0].nom,
                     attributes[0].nc, attributes[0].nr);
    const auto name = [&](char* nom) { std::snprintf(nom, LONG_NOM, "%.180s_%s", attributes[0].nom, suffix); };
    if (d.type_defuzzification == 0) {
        classes->nc = attributes[0].nc;
        classes->nr = attributes[0].nr;
        name(classes->nom);
        alloc_imau1(classes);
    } else {
        values->nc = attributes[0].nc;
        values->nr = attributes[0].nr;
        name(values->nom);
        alloc_imafl(values);
    }
}

// Pixels evaluated together: the operations are chosen once per stretch.
inline constexpr int kStretch = 256;

// The pipeline over whole images: every pixel of the n attribute images
// (sized as image_init checked) is one input vector; its result goes to
// `classes` (type 0) or `values` (type 1). Gives, pixel for pixel, what
// evaluate gives.
template <class Traits, class Desc>
void image_calc(const Desc& d, const imau1* attributes, imau1* classes, imafl* values) {
    const int ni = d.nb_variables - 1;
    const auto& output = d.variables[ni];
    const int nt = output.nb_termes;
    const int premise_op = Traits::premise_op(d), combine_op = Traits::combine_op(d),
              aggregate_op = Traits::aggregate_op(d);

    // table[first[i] + k][level]: membership of the level in term k of input i.
    std::vector<std::size_t> first(static_cast<std::size_t>(ni) + 1, 0);
    for (int i = 0; i < ni; ++i) first[i + 1] = first[i] + d.variables[i].nb_termes;
    std::vector<float> table(first[ni] * 256);
    for (int i = 0; i < ni; ++i)
        for (int k = 0; k < d.variables[i].nb_termes; ++k)
            for (int level = 0; level < 256; ++level)
                table[(first[i] + k) * 256 + level] =
                    Traits::membership(d.variables[i].termes[k], static_cast<float>(level));
    // The rules of each output term, in file order, and the input terms
    // some premise uses (only those are looked up for every pixel).
    std::vector<std::vector<int>> concluding(static_cast<std::size_t>(nt));
    constexpr std::size_t kUnused = ~std::size_t{0};
    std::vector<std::size_t> lane(first[ni], kUnused);  // where a used term's degrees go
    std::size_t lanes = 0;
    for (int r = 0; r < d.nb_regles; ++r) {
        concluding[d.regles[r].conclusion].push_back(r);
        for (int i = 0; i < ni; ++i) {
            std::size_t& l = lane[first[i] + d.regles[r].premisse[i]];
            if (l == kUnused) l = lanes++;
        }
    }
    std::vector<float> reps(static_cast<std::size_t>(nt));
    for (int t = 0; t < nt; ++t) reps[t] = Traits::representative(output.termes[t]);

    std::vector<float> degrees(static_cast<std::size_t>(std::max(nt, 1)) * kStretch);
    std::vector<float> looked_up(lanes * kStretch);
    std::vector<float> premise(kStretch), num(kStretch), den(kStretch);
    const std::size_t total = static_cast<std::size_t>(attributes[0].nc) * static_cast<std::size_t>(attributes[0].nr);
    for (std::size_t start = 0; start < total; start += kStretch) {
        const int n = static_cast<int>(std::min<std::size_t>(kStretch, total - start));
        // The degrees of the stretch in every used input term, looked up once.
        for (int i = 0; i < ni; ++i) {
            const unsigned char* level = attributes[i].pixels[0] + start;
            for (std::size_t slot = first[i]; slot < first[i + 1]; ++slot) {
                if (lane[slot] == kUnused) continue;
                const float* row = table.data() + slot * 256;
                float* out = looked_up.data() + lane[slot] * kStretch;
                for (int j = 0; j < n; ++j) out[j] = row[level[j]];
            }
        }
        // Degree of input i's term k at pixel j of the stretch.
        const auto degree = [&](int i, int k) {
            const float* p = looked_up.data() + lane[first[i] + k] * kStretch;
            return [p](int j) { return p[j]; };
        };
        for (int t = 0; t < nt; ++t) {
            float* agg = degrees.data() + static_cast<std::size_t>(t) * kStretch;
            std::fill_n(agg, n, 0.0f);
            bool first_rule = true;
            for (int r : concluding[t]) {
                const unsigned char* terms = d.regles[r].premisse;
                // The first pass folds in the first two inputs (the symbolic
                // premise starts from 1).
                int i = 2;
                if (Traits::gradual)
                    apply_stretch(premise_op, premise.data(), degree(0, terms[0]), degree(1, terms[1]), n);
                else if (ni == 1) {
                    apply_stretch(premise_op, premise.data(), [](int) { return 1.0f; }, degree(0, terms[0]), n);
                    i = 1;
                } else
                    with_op(premise_op, [&](auto code) {
                        constexpr int op = decltype(code)::value;
                        const auto d0 = degree(0, terms[0]);
                        const auto d1 = degree(1, terms[1]);
                        float* out = premise.data();
                        for (int j = 0; j < n; ++j) out[j] = apply<op>(apply<op>(1.0f, d0(j)), d1(j));
                    });
                for (; i < ni; ++i) {
                    const float* p = premise.data();
                    apply_stretch(premise_op, premise.data(), [p](int j) { return p[j]; }, degree(i, terms[i]), n);
                }
                const float weight = d.regles[r].poids;
                const float* p = premise.data();
                if (Traits::gradual && first_rule)
                    apply_stretch(combine_op, agg, [p](int j) { return p[j]; }, [weight](int) { return weight; }, n);
                else
                    combine_stretch(combine_op, aggregate_op, agg, p, weight, n);
                first_rule = false;
            }
        }
        if (d.type_defuzzification == 0) {
            // The running maximum in num and its index in den, as floats
            // so that the scan vectorises as selects.
            std::fill_n(num.data(), n, 0.0f);
            std::fill_n(den.data(), n, 0.0f);
            for (int t = 0; t < nt; ++t) {
                const float* g = degrees.data() + static_cast<std::size_t>(t) * kStretch;
                const float index = static_cast<float>(t);
                for (int j = 0; j < n; ++j) {
                    const bool greater = g[j] > num[j];
                    den[j] = greater ? index : den[j];
                    num[j] = greater ? g[j] : num[j];
                }
            }
            unsigned char* out = classes->pixels[0] + start;
            for (int j = 0; j < n; ++j) out[j] = static_cast<unsigned char>(den[j]);
        } else {
            std::fill_n(num.data(), n, 0.0f);
            std::fill_n(den.data(), n, 0.0f);
            for (int t = 0; t < nt; ++t) {
                const float* g = degrees.data() + static_cast<std::size_t>(t) * kStretch;
                const float rep = reps[t];
                for (int j = 0; j < n; ++j) {
                    num[j] += g[j] * rep;
                    den[j] += g[j];
                }
            }
            float* out = values->pixels[0] + start;
            for (int j = 0; j < n; ++j) out[j] = den[j] == 0.0f ? 0.0f : num[j] / den[j];
        }
    }
}

}  // namespace fuzzy
