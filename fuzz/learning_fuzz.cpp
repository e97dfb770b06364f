// learning_fuzz: a learning-data file, from which gradual rules are learnt.
// Six bytes come first:
//   0  bit 0: a preprocessed learning set (1) or raw points (0); the
//      attributes: 2 + (byte >> 1) modulo 3;
//   1  the classes of raw points: 1 + bits 0-1;
//   2-5 the points of each class: 1 + bits 0-4;
// the rest is the file. The corners and rules files go to the scratch
// folder.

#include "harness.hpp"
#include "learning_files.hpp"
#include "learning_gradual_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 6;
    if (size < kHeader) return 0;
    const std::string points = fuzz::write_file("points.txt", fuzz::as_text(data + kHeader, size - kHeader));
    const std::string corners = fuzz::scratch("corners.txt"), rules = fuzz::scratch("rules.txt");
    learning_gradual_rules_t desc{};
    desc.fichier_donnees = points.c_str();
    desc.fichier_coins = corners.c_str();
    desc.fichier_regles = rules.c_str();
    desc.nb_attributs = 2 + (data[0] >> 1) % 3;
    desc.pretraite = static_cast<short>(data[0] & 1);
    if (desc.pretraite == 0) {
        desc.nb_classes = 1 + (data[1] & 3);
        desc.pts_par_classe = fuzz::class_sizes(data + 2, desc.nb_classes, 1);
    }
    fuzz::run([&] {
        learning_gradual_rules_init(&desc);
        learning_gradual_rules_calc(&desc);
    });
    learning_gradual_rules_ferm(&desc);
    return 0;
}
