// rules_symb_fuzz: a rule base of the symbolic classifier, read by
// ff_symb_init. The first byte gives the t-norm (bits 0-1), the t-conorm
// (bits 2-3) and the defuzzification (bit 4); the rest is the file.

#include "ff_symb.h"
#include "rules_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    ff_symb_t desc{};
    desc.type_tnorme = data[0] & 3;
    desc.type_tconorme = (data[0] >> 2) & 3;
    desc.type_defuzzification = (data[0] >> 4) & 1;
    fuzz::rule_base(data + 1, size - 1, desc, ff_symb_init, ff_symb_calc);
    return 0;
}
