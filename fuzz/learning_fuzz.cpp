// learning_fuzz: a learning-data file, read and processed by one of the
// three phases that read one. Six bytes come first:
//   0  bits 0-1, the phase (3 counting as 0): 0 rules learnt from raw
//      points, 1 rules learnt from a preprocessed learning set, 2 the
//      preprocessing of raw points; the attributes: 2 + (byte >> 2) mod 3;
//   1  the classes of raw points: 1 + bits 0-1;
//   2-5 the points of each class: 1 + bits 0-4 (2 + for the preprocessing,
//      which wants two points a class at least);
// the rest is the file. The corners, rules and processed files are written
// to the scratch folder; so are the preprocessing's traces, which it writes
// to the working directory (entered for that call only).

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "harness.hpp"
#include "learning_gradual_rules.h"
#include "traitement_donnees.h"

namespace {

// Enters the scratch folder for the life of the object.
class InScratch {
public:
    InScratch() {
        if (getcwd(back_, sizeof back_) == nullptr || chdir(folder().c_str()) != 0) std::abort();
    }
    ~InScratch() {
        if (chdir(back_) != 0) std::abort();
    }
    InScratch(const InScratch&) = delete;
    InScratch& operator=(const InScratch&) = delete;

private:
    // The folder of the scratch files, with the traces registered there so
    // that they are removed at exit.
    static const std::string& folder() {
        static const std::string path = [] {
            fuzz::scratch("learn_clean.data");
            fuzz::scratch("compet_agg.txt");
            const std::string trace = fuzz::scratch("learning_set_processing.txt");
            return trace.substr(0, trace.rfind('/'));
        }();
        return path;
    }
    char back_[4096];
};

int* class_sizes(const std::uint8_t* header, int classes, int least) {
    int* sizes = static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(classes)));
    if (sizes == nullptr) std::abort();
    for (int k = 0; k < classes; ++k) sizes[k] = least + (header[2 + k] & 31);
    return sizes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 6;
    if (size < kHeader) return 0;
    const int phase = (data[0] & 3) % 3;
    const int attributes = 2 + (data[0] >> 2) % 3;
    const int classes = 1 + (data[1] & 3);
    std::string points = fuzz::write_file("points.txt", fuzz::as_text(data + kHeader, size - kHeader));
    std::string corners = fuzz::scratch("corners.txt"), rules = fuzz::scratch("rules.txt");
    std::string processed = fuzz::scratch("processed.txt");

    if (phase < 2) {
        learning_gradual_rules_t desc{};
        desc.fichier_donnees = points.c_str();
        desc.fichier_coins = corners.c_str();
        desc.fichier_regles = rules.c_str();
        desc.nb_attributs = attributes;
        desc.pretraite = static_cast<short>(phase);
        if (phase == 0) {
            desc.nb_classes = classes;
            desc.pts_par_classe = class_sizes(data, classes, 1);
        }
        fuzz::run([&] {
            learning_gradual_rules_init(&desc);
            learning_gradual_rules_calc(&desc);
        });
        learning_gradual_rules_ferm(&desc);
        return 0;
    }

    traitement_donnees_t desc{};
    desc.fichier_donnees = points.c_str();
    desc.fichier_traite = processed.c_str();
    desc.nb_classes = classes;
    desc.nb_attributs = attributes;
    desc.pts_par_classe = class_sizes(data, classes, 2);
    learning_set set{};
    fuzz::run([&] {
        traitement_donnees_init(&desc, &set);
        const InScratch here;
        traitement_donnees_calc(&set, &desc);
    });
    traitement_donnees_ferm(&desc, &set);
    return 0;
}
