// choquet_fuzz: a Choquet coefficient file, "@@@@", then a criteria file.
// The coefficients are loaded and checked by choquet_interaction_init; the
// criteria are read as choquet-tool reads them (n reals, "%f" each) and the
// integral computed.

#include <cstdio>
#include <vector>

#include "choquet_interaction.h"
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto files = fuzz::parts(fuzz::as_text(data, size), 2);
    std::string coefficients = fuzz::write_file("coef.txt", files[0]);
    const std::string criteria = fuzz::write_file("criteria.txt", files.size() > 1 ? files[1] : "");
    choquet_interaction_t desc{};
    desc.fichier = coefficients.data();
    fuzz::run([&] {
        if (choquet_interaction_init(&desc) != 0) return;
        std::vector<float> values(static_cast<std::size_t>(desc.nbcoeff));
        std::FILE* f = std::fopen(criteria.c_str(), "r");
        if (f == nullptr) return;
        for (float& v : values)
            if (std::fscanf(f, "%f", &v) != 1) return;
        std::fclose(f);
        float score = 0;
        choquet_interaction_calc(&desc, values.data(), &score);
    });
    choquet_interaction_ferm(&desc);
    return 0;
}
