// cleaning_fuzz: raw learning points, read and preprocessed into a
// processed learning set. Six bytes come first:
//   0  the attributes: 2 + byte modulo 3;
//   1  the classes: 1 + bits 0-1;
//   2-5 the points of each class: 2 + bits 0-4 (two a class at least);
// the rest is the file. The processed set goes to the scratch folder, and
// so do the traces, which the preprocessing writes to the working
// directory: the harness enters the scratch folder for that call only.

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "harness.hpp"
#include "learning_files.hpp"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 6;
    if (size < kHeader) return 0;
    const std::string points = fuzz::write_file("points.txt", fuzz::as_text(data + kHeader, size - kHeader));
    const std::string processed = fuzz::scratch("processed.txt");
    traitement_donnees_t desc{};
    desc.fichier_donnees = points.c_str();
    desc.fichier_traite = processed.c_str();
    desc.nb_attributs = 2 + data[0] % 3;
    desc.nb_classes = 1 + (data[1] & 3);
    desc.pts_par_classe = fuzz::class_sizes(data + 2, desc.nb_classes, 2);
    learning_set set{};
    fuzz::run([&] {
        traitement_donnees_init(&desc, &set);
        const InScratch here;
        traitement_donnees_calc(&set, &desc);
    });
    traitement_donnees_ferm(&desc, &set);
    return 0;
}
