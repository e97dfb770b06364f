// fcm-tool: fuzzy c-means clustering of N 8-bit attribute images of one
// size (or of one rectangle of them), ties settled by the 3 x 3
// neighbourhood; writes the crisp classes (class k as grey level k) and,
// when the extension reply is not empty, one membership image per class,
// "<output name>_m<k><extension>" (.ima and .ras: membership x 255, .imf:
// the membership itself).
// Dialogue: the number of attribute images, the images, the zone, the
// clustering's questions, the output image. More than 256 classes, output
// names the writer cannot store, images of another type or of different
// sizes and unusable centre files are refused before any output file is
// created.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "classifier_data.h"
#include "classifier_input.h"
#include "cycle.hpp"
#include "defuzzyfication.h"
#include "fail.hpp"
#include "fuzzy_c_means.h"
#include "questions.hpp"

namespace {

constexpr const char* kProgram = "fcm-tool";
constexpr int kMaxAttributes = 256;

// The writers of the membership images, checked for their pixel type.
std::vector<write_ima_t> membership_writers(const write_ima_t& output, const fuzzy_c_means_t& fcm) {
    std::vector<write_ima_t> writers;
    if (fcm.extension[0] == '\0') return writers;
    const bool floats = std::string(fcm.extension) == ".imf";
    for (int k = 0; k < fcm.nb_class; ++k) {
        write_ima_t w{};
        w.fd = -1;
        const std::string nom = std::string(output.nom) + "_m" + std::to_string(k);
        if (nom.size() >= LONG_NOM)
            fw::fail(1, "\n>> ERREUR %s : nom d'image d'appartenance trop long : %s\n", kProgram, nom.c_str());
        std::snprintf(w.nom, LONG_NOM, "%s", nom.c_str());
        std::snprintf(w.ext, LONG_NOM, "%s", fcm.extension + 1);
        if (floats)
            cycle::check_writes<imafl>(w, kProgram);
        else
            cycle::check_writes<imau1>(w, kProgram);
        writers.push_back(w);
    }
    return writers;
}

// Writes one membership image per class; returns the first non-zero
// result of the writers, or 0.
int write_memberships(std::vector<write_ima_t>& writers, const data_output& memberships, bool floats) {
    int status = NO_ERROR;
    if (floats) {
        std::vector<imafl> images(writers.size());
        for (imafl& image : images) {
            image.nc = memberships.equ_nb_cols;
            image.nr = memberships.equ_nb_rows;
            alloc_imafl(&image);
        }
        data_output_fuzzy_to_imagefl(memberships, images.data());
        for (std::size_t k = 0; k < writers.size(); ++k) {
            const int written = write_imafl_ferm(&writers[k], images[k]);
            if (status == NO_ERROR) status = written;
            free_imafl(&images[k]);
        }
    } else if (!writers.empty()) {
        imau1* images = nullptr;
        data_output_fuzzy_to_imageu1(memberships, &images);
        for (std::size_t k = 0; k < writers.size(); ++k) {
            const int written = write_imau1_ferm(&writers[k], images[k]);
            if (status == NO_ERROR) status = written;
            free_imau1(&images[k]);
        }
        std::free(images);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    format_imau1_classifier_input_t zone;
    fuzzy_c_means_t fcm;
    defuzzyfication_voisinage_3x3_t defuzzification;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    fw::Questions questions(&head, nullptr, kProgram);
    const int n = questions.integer(">> nombre d'images attributs", 1, kMaxAttributes);
    std::vector<read_ima_t> readers(static_cast<std::size_t>(n));
    param* ptp = cycle::read_stack_lect(readers, questions.next(), ">> attribut %d/%d (u1):");
    ptp = format_imau1_classifier_input_lect(&zone, ptp, ">> zone :");
    ptp = fuzzy_c_means_lect(&fcm, ptp, ">> c-moyennes floues :");
    ptp = defuzzyfication_voisinage_3x3_lect(&defuzzification, ptp);
    write_ima_lect(&writer, ptp, ">> classification (u1):");
    param_fin(argc, argv, &head);

    if (fcm.nb_class > 256)
        fw::fail(1, "\n>> ERREUR %s : %d classes refusees (la classe k est ecrite en niveau de gris k : 256 au plus)\n",
                 kProgram, fcm.nb_class);
    cycle::check_writes<imau1>(writer, kProgram);
    std::vector<write_ima_t> members = membership_writers(writer, fcm);

    std::vector<imau1> images = cycle::read_stack<imau1>(readers, kProgram);
    for (int i = 1; i < n; ++i)
        if (images[i].nc != images[0].nc || images[i].nr != images[0].nr)
            fw::fail(1, "\n>> ERREUR %s : tailles differentes : attribut %d/%d (%s) %dx%d, attribut 1/%d (%s) %dx%d\n",
                     kProgram, i + 1, n, images[i].nom, images[i].nc, images[i].nr, n, images[0].nom, images[0].nc,
                     images[0].nr);
    data_input attributes{};
    for (const imau1& image : images) format_imau1_classifier_input_init(&zone, image, &attributes);
    for (const imau1& image : images) format_imau1_classifier_input_calc(&zone, image, &attributes);
    for (imau1& image : images) {
        free_lut_u1(&image);
        free_imau1(&image);
    }
    data_output memberships{};
    fuzzy_c_means_init(&fcm, attributes, &memberships);

    write_ima_init(&writer);
    for (write_ima_t& w : members) write_ima_init(&w);
    fuzzy_c_means_calc(&fcm, attributes, &memberships);
    data_output classes{};
    defuzzyfication_voisinage_3x3_init(&defuzzification, memberships, &classes);
    defuzzyfication_voisinage_3x3_calc(&defuzzification, memberships, &classes);

    imau1 result{};
    data_output_crisp_to_imageu1(classes, &result);
    int status = write_imau1_ferm(&writer, result);
    const int written = write_memberships(members, memberships, std::string(fcm.extension) == ".imf");
    cycle::end_program(status != NO_ERROR ? status : written);
}
