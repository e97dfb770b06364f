// Loading rule bases in tests: a base written into a folder and read by the
// classifier's own initialisation, with its progress line kept quiet.
#pragma once

#include <string>
#include <vector>

#include "ff_symb.h"
#include "files.hpp"
#include "grClassif.h"
#include "support.hpp"

namespace rule_bases {

// Every descriptor loaded stays reachable until the end of the test binary:
// the suite frees nothing (the gradual classifier has no closing phase).
template <class Desc>
Desc kept(const Desc& d) {
    static auto* loaded = new std::vector<Desc>;  // never destroyed
    loaded->push_back(d);
    return d;
}

// A symbolic classifier over the base `text` (t-norm, t-conorm and
// defuzzification codes as given). The file stays in `dir`; `quiet` keeps
// the progress line (and any refusal) off standard output.
inline ff_symb_t symbolic(const testing_support::TempDir& dir, const std::string& text, int tnorm, int tconorm,
                          int defuzzification, const std::string& name = "base.txt", bool quiet = true) {
    static std::string path;  // the descriptor keeps a reference to its file name
    path = dir.file(name);
    testing_support::write_file(path, text);
    ff_symb_t d{};
    d.fichier = path.c_str();
    d.type_tnorme = tnorm;
    d.type_tconorme = tconorm;
    d.type_defuzzification = defuzzification;
    if (quiet) testing_support::quietly([&] { ff_symb_init(&d); });
    else ff_symb_init(&d);
    return kept(d);
}

// A gradual classifier over the base `text` with the premise, combination
// and projection codes given.
inline grClassif_t gradual(const testing_support::TempDir& dir, const std::string& text, int premise, int combination,
                           int projection, int defuzzification, const std::string& name = "base.txt") {
    static std::string path;
    path = dir.file(name);
    testing_support::write_file(path, text);
    grClassif_t d{};
    d.fichier = path.c_str();
    d.type_premisse = premise;
    d.type_combinaison = combination;
    d.type_projection = projection;
    d.type_defuzzification = defuzzification;
    grClassif_init(&d);
    return kept(d);
}

}  // namespace rule_bases
