// Label masks as crisp outputs, the learning set of N attribute images and
// a mask, and its raw learning-data file.

#include "learning_set.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "rectangle.hpp"
#include "text_input.hpp"

namespace {

// ---- Census of the mask's labels -------------------------------------------

// Appends (label, 1) to the census, which holds `count` entries.
void add_class(classe_masque_t*& classes, int& count, int label) {
    void* grown = count == 0 ? std::malloc(sizeof(classe_masque_t))
                             : std::realloc(classes, static_cast<std::size_t>(count + 1) * sizeof(classe_masque_t));
    if (grown == nullptr)
        fw::fail(1, count == 0 ? "\n\nERREUR learning set : allocation classes learn impossible"
                               : "\n\nERREUR learning set : reallocation classes impossible");
    classes = static_cast<classe_masque_t*>(grown);
    classes[count++] = {label, 1};
}

// Counts the labels in order of first appearance; returns the number of
// distinct labels. Labels of 0 ... 255 (every label of an 8-bit mask) find
// their entry through a direct index, others by a search of the census;
// both give the entry a linear search would.
int census(const int* labels, int n, classe_masque_t*& classes) {
    int count = 0;
    int index[256];
    std::fill(std::begin(index), std::end(index), -1);
    for (int i = 0; i < n; ++i) {
        const int label = labels[i];
        int* slot = label >= 0 && label < 256 ? &index[label] : nullptr;
        int entry = slot != nullptr ? *slot : -1;
        if (slot == nullptr)
            for (int c = 0; c < count && entry < 0; ++c)
                if (classes[c].label == label) entry = c;
        if (entry >= 0) {
            ++classes[entry].nb_pts;
        } else {
            if (slot != nullptr) *slot = count;
            add_class(classes, count, label);
        }
    }
    return count;
}

bool has_label(const classe_masque_t* classes, int count, long long label) {
    for (int c = 0; c < count; ++c)
        if (classes[c].label == label) return true;
    return false;
}

// The user's choice of the background when it is not the expected one;
// returns the label chosen. At the end of standard input, or at an answer
// that is not a number, the detected label stays.
int ask_background(const classe_masque_t* classes, int count, int detected, int detected_count, int total) {
    std::printf("\n%s", std::string(69, '-').c_str());
    std::printf("\nATTENTION \nLe label du fond specifie en parametre de la fonction init ");
    std::printf("de l'operateur format_learning_set_from_imau1 est different");
    std::printf("de celui detecte par la fonction.");
    std::printf("\n\nINFO : La classe avec le label '%d' est prise comme le fond et ne sera pas\n", detected);
    std::printf("prise dans les donnees d'apprentissage vu qu'elle est celle ");
    std::printf("avec le plus grand nombre de points (%d points sur un total de %d). \n", detected_count, total);
    std::printf("Seulement les autres classes seront incluses dans le learning set.");
    std::printf("\nAcceptez (1 + <enter>) ou changez le label a exclure (0 + <enter>) ? : ");

    fw::IntScanner answers(stdin);
    auto next = [&answers]() {
        std::fflush(stdout);
        return answers.next();
    };
    for (std::optional<long long> answer = next(); answer; answer = next()) {
        if (*answer == 1) return detected;
        if (*answer != 0) {
            std::printf("\nTapez 0 (pour modifier le label de la classe de fond) ou 1 (pour continuer) : ");
            continue;
        }
        for (;;) {
            std::printf("\nLes differents labels sont : ");
            for (int c = 0; c < count; ++c)
                std::printf("                               label %d (%d points)  \n", classes[c].label,
                            classes[c].nb_pts);
            std::printf("\nNumero du label a exclure ?   :  ");
            const std::optional<long long> label = next();
            if (!label) break;
            if (has_label(classes, count, *label)) return static_cast<int>(*label);
            std::printf("\nCe label n'existe pas.");
        }
        break;
    }
    std::printf("\n>> ATT format_learning_set_from_imau1_init : pas de reponse lisible, le label %d reste le fond\n",
                detected);
    return detected;
}

void report(const format_learning_set_from_imau1_t& desc, int count, int total, int kept) {
    std::printf("\n\n---------------    RAPPORT  DES LEARNING DATA  ------------------- ");
    std::printf("\nDonnees initiales : %d points et %d attributs\n", total, desc.nb_attributs);
    std::printf("\n%d classes ont ete detectees :\n", count - 1);
    for (int c = 0; c < count; ++c)
        std::printf("Le label \t %d \t contient \t %d points.\n", desc.classes[c].label, desc.classes[c].nb_pts);
    std::printf("\nLa classe avec le label %d a ete supprimee des donnees (fond).\n", desc.label_fond);
    std::printf("\nIl y a %d points d'apprentissage soit %2.2f/100 des points initiaux\n\n", kept,
                100.0 * kept / total);
    std::printf("%s ", std::string(85, '-').c_str());
}

}  // namespace

extern "C" {

param* format_imau1_classifier_crisp_output_lect(format_imau1_classifier_crisp_output_t* desc, param* ptp,
                                                 const char* debq) {
    return classification::rectangle_lect(desc, ptp, debq, "format output : prendre image entiere (0) ou partielle (1)",
                                          "format_imau1_classifier_crisp_output_lect");
}

int format_imau1_classifier_crisp_output_init(format_imau1_classifier_crisp_output_t* desc, imau1 image,
                                              data_output* out) {
    std::printf("\n\nInit format crisp output...");
    const classification::Extent extent = classification::rectangle_init(desc, image, true);
    out->nb_classes = 0;
    out->type = DATA_OUTPUT_CRISP;
    out->nb_pts = extent.points();
    out->equ_nb_rows = extent.height;
    out->equ_nb_cols = extent.width;
    out->data.crisp = nullptr;
    std::printf("OK.\n");
    return NO_ERROR;
}

int format_imau1_classifier_crisp_output_calc(format_imau1_classifier_crisp_output_t* desc, imau1 image,
                                              data_output* out) {
    std::printf("\nCalcul format crisp_output...");
    const classification::Extent extent =
        classification::rectangle_for(*desc, image, out->nb_pts, "format_imau1_classifier_crisp_output_calc");
    out->type = DATA_OUTPUT_CRISP;
    alloc_classifier_data_output(out);
    classification::copy_rectangle(*desc, image, extent, out->data.crisp);
    std::printf("OK");
    return NO_ERROR;
}

param* format_learning_set_from_imau1_lect(format_learning_set_from_imau1_t* desc, param* ptp, const char* debq) {
    *desc = format_learning_set_from_imau1_t{};
    fw::Questions questions(ptp, debq, "format_learning_set_from_imau1_lect");
    const int n = questions.integer("Nombre d'attributs ");
    if (n == 0) fw::fail(1, "Nb Att = 0!!\n");
    desc->lecteurs_attributs =
        n < 0 ? nullptr : static_cast<read_ima_t*>(std::calloc(static_cast<std::size_t>(n), sizeof(read_ima_t)));
    if (desc->lecteurs_attributs == nullptr) fw::fail(1, "Alloc structures %d images imp.", n);
    desc->nb_attributs = n;
    ptp = questions.next();
    for (int i = 0; i < n; ++i) {
        std::printf("\nChemin de l'attributs %d/%d :", i + 1, n);
        ptp = read_ima_lect(&desc->lecteurs_attributs[i], ptp, ">> Chemin de l'attribut (.ras) ");
    }
    ptp =
        format_imau1_classifier_input_lect(&desc->format_attributs, ptp, ">> Format attributs->data input lecture : ");
    ptp = read_ima_lect(&desc->lecteur_masque, ptp, ">> Format learning set : chemin du masque (.ras) ");
    return format_imau1_classifier_crisp_output_lect(&desc->format_masque, ptp, ">> Format data output  lecture : ");
}

int format_learning_set_from_imau1_init(format_learning_set_from_imau1_t* desc, int fond_attendu, learning_set* set) {
    const int n = desc->nb_attributs;
    std::printf("\nInitialisation de learning set...\n");
    std::printf("Traitement des attributs...");
    desc->images_attributs = static_cast<imau1*>(std::calloc(static_cast<std::size_t>(n), sizeof(imau1)));
    if (desc->images_attributs == nullptr) fw::fail(1, "\nAlloc images entr\351es impossible");
    for (int i = 0; i < n; ++i) {
        read_imau1_init(&desc->lecteurs_attributs[i], &desc->images_attributs[i]);
        format_imau1_classifier_input_init(&desc->format_attributs, desc->images_attributs[i], &desc->dataIattributs);
    }
    read_imau1_init(&desc->lecteur_masque, &desc->masque);
    format_imau1_classifier_crisp_output_init(&desc->format_masque, desc->masque, &desc->dataOmasque);
    for (int i = 0; i < n; ++i)
        format_imau1_classifier_input_calc(&desc->format_attributs, desc->images_attributs[i], &desc->dataIattributs);
    format_imau1_classifier_crisp_output_calc(&desc->format_masque, desc->masque, &desc->dataOmasque);

    std::printf("\nLiberation des images et des structures associees...");
    for (int i = 0; i < n; ++i) {
        free_lut_u1(&desc->images_attributs[i]);
        free_imau1(&desc->images_attributs[i]);
    }
    std::free(desc->images_attributs);
    std::free(desc->lecteurs_attributs);
    desc->images_attributs = nullptr;
    desc->lecteurs_attributs = nullptr;
    // The mask's labels are all in dataOmasque now.
    free_lut_u1(&desc->masque);
    free_imau1(&desc->masque);
    std::printf("Ok");

    const data_input& attributes = desc->dataIattributs;
    const data_output& mask = desc->dataOmasque;
    if (attributes.nb_pts < 2 || mask.nb_pts < 2)
        fw::fail(1, "\n\nERREUR learning set : Pas assez de points attributs = %d et masque = %d  (<2?)\n",
                 attributes.nb_pts, mask.nb_pts);
    if (attributes.nb_pts != mask.nb_pts) {
        std::printf("\n\nERREUR : le masque et les attributs doivent comporter le meme nombre de points.\n");
        std::printf("desc_format->dataIattributs.nb_pts = %d - desc_format->dataOmasque.nb_pts = %d\n",
                    attributes.nb_pts, mask.nb_pts);
        std::printf("desc_format->dataIattributs.equ_nb_rows = %d - desc_format->dataOmasque.equ_nb_rows = %d\n",
                    attributes.equ_nb_rows, mask.equ_nb_rows);
        fw::fail(1, "desc_format->dataIattributs.equ_nb_cols = %d - desc_format->dataOmasque.equ_nb_cols = %d\n",
                 attributes.equ_nb_cols, mask.equ_nb_cols);
    }

    const int total = mask.nb_pts;
    const int count = census(mask.data.crisp, total, desc->classes);
    if (count == 1)
        fw::fail(1,
                 "\n\nERREUR learning set : Il n'y a visiblement qu'une seule classe, "
                 "donc tous les points sont dans la meme classe. Pas d'interet.");
    int fond = 0;
    for (int c = 1; c < count; ++c)
        if (desc->classes[c].nb_pts > desc->classes[fond].nb_pts) fond = c;
    desc->label_fond = desc->classes[fond].label;
    if (desc->label_fond != fond_attendu)
        desc->label_fond = ask_background(desc->classes, count, desc->label_fond, desc->classes[fond].nb_pts, total);
    int background_points = 0;
    for (int c = 0; c < count; ++c)
        if (desc->classes[c].label == desc->label_fond) background_points = desc->classes[c].nb_pts;

    std::printf("\nInit champs de la structure...");
    const int kept = total - background_points;
    set->input = data_input{};
    set->output = data_output{};
    set->input.nb_attributs = n;
    set->input.nb_pts = kept;
    set->output.nb_pts = kept;
    set->output.type = DATA_OUTPUT_CRISP;
    set->output.nb_classes = count - 1;
    desc->dataOmasque.nb_classes = count;
    std::printf("Ok");
    std::printf("Allocations datainput et dataoutput...");
    alloc_classifier_data_input_completely(&set->input);
    alloc_classifier_data_output(&set->output);

    report(*desc, count, total, kept);
    return NO_ERROR;
}

int format_learning_set_from_imau1_calc(format_learning_set_from_imau1_t* desc, learning_set* set) {
    std::printf("\nRemplissage de la structure learning set avec les donnees...");
    const int n = desc->dataOmasque.nb_pts, fond = desc->label_fond;
    const int* labels = desc->dataOmasque.data.crisp;
    int* kept_labels = set->output.data.crisp;
    for (int i = 0, j = 0; i < n; ++i)
        if (labels[i] != fond) kept_labels[j++] = labels[i];
    for (int a = 0; a < desc->nb_attributs; ++a) {
        const float* values = desc->dataIattributs.data[a];
        float* kept = set->input.data[a];
        for (int i = 0, j = 0; i < n; ++i)
            if (labels[i] != fond) kept[j++] = values[i];
    }
    set->input.equ_nb_rows = set->input.equ_nb_cols = 0;
    set->output.equ_nb_rows = set->output.equ_nb_cols = 0;
    set->input.premier_indice = set->input.fin_indice = 0;
    std::printf("ok");
    return NO_ERROR;
}

int format_learning_set_from_imau1_ferm(format_learning_set_from_imau1_t* desc, learning_set* set) {
    std::printf("\nLiberation de la memoire allouee pour le descripteur de learning set...");
    std::free(desc->classes);
    desc->classes = nullptr;
    free_data_input(&desc->dataIattributs);
    free_data_output(&desc->dataOmasque);
    std::printf("ok");
    std::printf("Liberation de la memoire allouee pour la structure de learning set...");
    free_data_input(&set->input);
    free_data_output(&set->output);
    std::printf("ok");
    return NO_ERROR;
}

int ecrire_learning_set(learning_set set, const char* nom) {
    const int n = set.output.nb_pts;
    const int* labels = set.output.data.crisp;
    std::vector<int> classes(labels, labels + n);
    std::sort(classes.begin(), classes.end());
    classes.erase(std::unique(classes.begin(), classes.end()), classes.end());

    // Points grouped by class in increasing label order, each class in the
    // set's order: a counting sort on the class numbers.
    std::vector<int> class_of(static_cast<std::size_t>(n)), sizes(classes.size() + 1, 0);
    for (int i = 0; i < n; ++i) {
        class_of[i] = static_cast<int>(std::lower_bound(classes.begin(), classes.end(), labels[i]) - classes.begin());
        ++sizes[class_of[i] + 1];
    }
    std::vector<int> start(sizes);
    for (std::size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) order[start[class_of[i]]++] = i;

    std::FILE* f = std::fopen(nom, "w");
    if (f == nullptr) fw::fail(1, "\n>> ERREUR ecrire_learning_set : creation du fichier %s impossible\n", nom);
    for (int i : order) {
        for (int a = 0; a < set.input.nb_attributs; ++a)
            std::fprintf(f, "%f ", static_cast<double>(set.input.data[a][i]));
        std::fprintf(f, "%d\n", labels[i]);
    }
    const bool failed = std::ferror(f) != 0;
    if (std::fclose(f) != 0 || failed)
        fw::fail(1, "\n>> ERREUR ecrire_learning_set : ecriture du fichier %s impossible\n", nom);

    std::printf("\n>> ecrire_learning_set : %d points ecrits dans %s\n", n, nom);
    std::printf(">> nombre d'attributs : %d\n", set.input.nb_attributs);
    std::printf(">> nombre de classes : %zu\n", classes.size());
    for (std::size_t c = 0; c < classes.size(); ++c)
        std::printf(">> classe %zu (label %d) : %d points\n", c, classes[c], sizes[c + 1]);
    return NO_ERROR;
}

}  // extern "C"
