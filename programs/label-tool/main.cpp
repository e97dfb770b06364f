// label-tool: numbers the connected objects of an 8-bit image.
// Reader, labelling operator and writer; labels are written as 16 bits, or
// folded into 8 bits for "ima" and "ras" outputs.

#include <cstring>

#include "cycle.hpp"
#include "labelcc.h"

namespace {

// Folds labels into 1 ... 255 (0 stays 0): v <= 255 is kept, a larger v
// becomes (v mod 255) + 1.
imau1 fold_labels(const imau2& labels) {
    imau1 folded{};
    folded.nc = labels.nc;
    folded.nr = labels.nr;
    std::memcpy(folded.nom, labels.nom, sizeof folded.nom);
    alloc_imau1(&folded);
    const std::size_t n = static_cast<std::size_t>(labels.nc) * static_cast<std::size_t>(labels.nr);
    const unsigned short* in = labels.pixels[0];
    unsigned char* out = folded.pixels[0];
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned v = in[i];
        out[i] = static_cast<unsigned char>(v <= 255 ? v : v % 255 + 1);
    }
    return folded;
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    labelcc_t labelling;
    write_ima_t writer;
    imau1 image;
    imau2 labels;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale (u1):");
    ptp = labelcc_lect(&labelling, ptp, ">> etiquetage :");
    write_ima_lect(&writer, ptp, ">> image resultat, labels (u1/u2) :");
    param_fin(argc, argv, &head);

    read_imau1_init(&reader, &image);
    labelccu1_init(&labelling, image, &labels);
    // Labels are folded into 8 bits for the formats that hold 8-bit images.
    const bool folded = cycle::writes<imau1>(writer.ext);
    cycle::check_writable(folded ? cycle::image_type<imau1>().name : cycle::image_type<imau2>().name, writer.ext);
    write_ima_init(&writer);
    labelccu1_calc(&labelling, image, &labels);

    const int status = folded ? write_imau1_ferm(&writer, fold_labels(labels)) : write_imau2_ferm(&writer, labels);
    cycle::end_program(status);
}
