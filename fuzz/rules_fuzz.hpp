// rules_fuzz.hpp: one harness body for the two rule classifiers, whose
// descriptors and functions have the same shape.
#pragma once

#include <cstdlib>
#include <vector>

#include "harness.hpp"

namespace fuzz {

// Frees what init allocated (variables with their terms, rules, degree
// tables), as ff_symb_ferm does; the graded classifier has no such call.
template <class Desc>
void free_base(Desc& d) {
    for (int v = 0; v < d.nb_variables; ++v) std::free(d.variables[v].termes);
    std::free(d.variables);
    for (int r = 0; r < d.nb_regles; ++r) std::free(d.regles[r].premisse);
    std::free(d.regles);
    for (int v = 0; v < d.nb_degres; ++v) std::free(d.degres[v]);
    std::free(d.degres);
}

// Writes the rule base, initialises the descriptor (its codes already set)
// from it, evaluates a few vectors and frees it.
template <class Desc, class Init, class Calc>
void rule_base(const std::uint8_t* data, std::size_t size, Desc& desc, Init init, Calc calc) {
    const std::string path = write_file("rules.txt", as_text(data, size));
    desc.fichier = path.c_str();
    bool made = false;
    run([&] {
        init(&desc);
        made = true;
        std::vector<float> inputs(static_cast<std::size_t>(desc.nb_variables > 0 ? desc.nb_variables : 1));
        std::vector<float> outputs(256);
        for (float level : {0.0f, 100.5f, 128.0f, 255.0f}) {
            for (float& x : inputs) x = level;
            calc(&desc, inputs.data(), outputs.data());
        }
    });
    if (made) free_base(desc);
}

}  // namespace fuzz
