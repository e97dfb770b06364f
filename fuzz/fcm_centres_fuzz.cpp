// fcm_centres_fuzz: a centre file for the fuzzy c-means, read by
// fuzzy_c_means_init with its name as the initialisation. The first byte
// gives the classes (1 + bits 0-1) and the attributes (1 + bit 2) of a
// fixed set of six points; the rest is the file. Two iterations follow.

#include <cstdlib>
#include <cstring>

#include "classifier_data.h"
#include "fuzzy_c_means.h"
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string path = fuzz::write_file("centres.txt", fuzz::as_text(data + 1, size - 1));
    fuzzy_c_means_t desc{};
    desc.nb_class = 1 + (data[0] & 3);
    desc.nb_it = 2;
    desc.fuzzy_coeff = 2.0f;
    desc.threshold = 0.001f;
    std::strncpy(desc.initialisation, path.c_str(), LONG_NOM - 1);

    data_input in{};
    in.nb_attributs = 1 + ((data[0] >> 2) & 1);
    in.nb_pts = in.fin_indice = 6;
    in.equ_nb_rows = 2;
    in.equ_nb_cols = 3;
    data_output out{};
    fuzz::run([&] {
        alloc_classifier_data_input_completely(&in);
        for (int a = 0; a < in.nb_attributs; ++a)
            for (int p = 0; p < in.nb_pts; ++p) in.data[a][p] = static_cast<float>(40 * p + 7 * a);
        fuzzy_c_means_init(&desc, in, &out);
        fuzzy_c_means_calc(&desc, in, &out);
    });
    if (desc.centres != nullptr) {
        std::free(desc.centres[0]);
        std::free(desc.centres);
    }
    if (out.data.fuzzy != nullptr) free_data_output(&out);
    if (in.data != nullptr) free_data_input(&in);
    return 0;
}
