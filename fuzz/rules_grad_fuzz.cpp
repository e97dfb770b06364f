// rules_grad_fuzz: a rule base of the graded classifier, read by
// grClassif_init. The first three bytes give the premise, combination and
// projection operators (modulo 9), the fourth the defuzzification (bit 0);
// the rest is the file.

#include "grClassif.h"
#include "rules_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    grClassif_t desc{};
    desc.type_premisse = data[0] % 9;
    desc.type_combinaison = data[1] % 9;
    desc.type_projection = data[2] % 9;
    desc.type_defuzzification = data[3] & 1;
    fuzz::rule_base(data + 4, size - 4, desc, grClassif_init, grClassif_calc);
    return 0;
}
