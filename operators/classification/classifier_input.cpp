// An 8-bit image (or a rectangle of it) appended as one attribute row of a
// data input; the rectangle's questions, checks and copy shared with the
// formatter of label masks.

#include "classifier_input.h"

#include <climits>
#include <cstdio>

#include "fail.hpp"
#include "questions.hpp"
#include "rectangle.hpp"

namespace classification {

param* rectangle_lect(rectangle_image_t* desc, param* ptp, const char* debq, const char* first, const char* who) {
    fw::Questions questions(ptp, debq, who);
    desc->choix = questions.integer(first);
    if (desc->choix != 0 && desc->choix != 1) fw::fail(1, "\nMauvaise reponse");
    desc->premier_point = desc->deuxieme_point = point_image_t{0, 0};
    if (desc->choix == 1) {
        desc->premier_point.Xcol =
            questions.integer("Coordonn\351es X du premier point (colonne : 0 a nb colonnes - 1)");
        desc->premier_point.Yrow = questions.integer("Coordonn\351es Y du premier point (ligne : 0 a nb lignes - 1)");
        desc->deuxieme_point.Xcol =
            questions.integer("Coordonn\351es X deuxieme point (colonne : 0 a nb colonnes - 1)");
        desc->deuxieme_point.Yrow = questions.integer("Coordonn\351es Y deuxieme point (ligne : 0 a nb lignes - 1) ");
    }
    return questions.next();
}

namespace {

// Whether the rectangle lies inside an nc x nr image, its second point not
// before its first.
bool inside(const rectangle_image_t& d, int nc, int nr) {
    const point_image_t& p = d.premier_point;
    const point_image_t& q = d.deuxieme_point;
    return 0 <= p.Xcol && p.Xcol <= q.Xcol && q.Xcol < nc && 0 <= p.Yrow && p.Yrow <= q.Yrow && q.Yrow < nr;
}

Extent extent_of(const rectangle_image_t& d) {
    return {d.deuxieme_point.Xcol - d.premier_point.Xcol + 1, d.deuxieme_point.Yrow - d.premier_point.Yrow + 1};
}

}  // namespace

Extent rectangle_init(rectangle_image_t* desc, const imau1& image, bool diagnostics) {
    if (desc->choix == 0) {
        desc->premier_point = {0, 0};
        desc->deuxieme_point = {image.nr - 1, image.nc - 1};
    } else if (desc->choix == 1) {
        if (!inside(*desc, image.nc, image.nr)) {
            if (diagnostics) {
                std::printf("desc->premier_point.Xcol =%d \n", desc->premier_point.Xcol);
                std::printf("desc->premier_point.Yrow =%d\n", desc->premier_point.Yrow);
                std::printf("image_u1.nr =%d\n", image.nr);
                std::printf("image_u1.nc =%d\n", image.nc);
                std::printf("desc->deuxieme_point.Xcol = %d\n", desc->deuxieme_point.Xcol);
                std::printf("desc->deuxieme_point.Yrow =%d\n ", desc->deuxieme_point.Yrow);
            }
            fw::fail(1, "\nErreur dimension - coordonnees points invalides");
        }
    } else {
        fw::fail(1, "\nErreur dans init : choix non valide");
    }
    const Extent extent = extent_of(*desc);
    if (static_cast<long long>(extent.width) * extent.height > INT_MAX)
        fw::fail(1, "\nErreur dimension - rectangle de %dx%d : plus de %d points\n", extent.width, extent.height,
                 INT_MAX);
    return extent;
}

Extent rectangle_for(const rectangle_image_t& desc, const imau1& image, int nb_pts, const char* who) {
    const Extent extent = extent_of(desc);
    const bool whole = desc.premier_point.Xcol == 0 && desc.premier_point.Yrow == 0 && extent.width == image.nc &&
                       extent.height == image.nr;
    if (desc.choix == 0 && !whole)
        fw::fail(1, "\nErreur %s : l'image %s (%dx%d) n'a pas la taille %dx%d des images formatees\n", who, image.nom,
                 image.nc, image.nr, extent.width, extent.height);
    if (desc.choix != 0 && (desc.choix != 1 || !inside(desc, image.nc, image.nr)))
        fw::fail(1, "\nErreur %s : le rectangle (%d,%d)-(%d,%d) sort de l'image %s (%dx%d)\n", who,
                 desc.premier_point.Xcol, desc.premier_point.Yrow, desc.deuxieme_point.Xcol, desc.deuxieme_point.Yrow,
                 image.nom, image.nc, image.nr);
    if (extent.points() != nb_pts)
        fw::fail(1, "\nErreur %s : %d points dans les donnees pour un rectangle de %d points\n", who, nb_pts,
                 extent.points());
    return extent;
}

}  // namespace classification

extern "C" {

param* format_imau1_classifier_input_lect(format_imau1_classifier_input_t* desc, param* ptp, const char* debq) {
    return classification::rectangle_lect(desc, ptp, debq, "Image entiere (0) ou partielle (1)",
                                          "format_imau1_classifier_input_lect");
}

int format_imau1_classifier_input_init(format_imau1_classifier_input_t* desc, imau1 image, data_input* data) {
    std::printf("\nInit format...");
    const classification::Extent extent = classification::rectangle_init(desc, image, false);
    data->nb_attributs = 0;
    data->nb_pts = extent.points();
    data->premier_indice = 0;
    data->fin_indice = extent.points();
    data->equ_nb_rows = extent.height;
    data->equ_nb_cols = extent.width;
    data->data = nullptr;
    std::printf("OK.");
    return NO_ERROR;
}

int format_imau1_classifier_input_calc(format_imau1_classifier_input_t* desc, imau1 image, data_input* data) {
    std::printf("Calcul format...");
    const classification::Extent extent =
        classification::rectangle_for(*desc, image, data->nb_pts, "format_imau1_classifier_input_calc");
    ++data->nb_attributs;
    alloc_classifier_data_input_one_by_one(data);
    classification::copy_rectangle(*desc, image, extent, data->data[data->nb_attributs - 1]);
    std::printf("OK");
    return NO_ERROR;
}

}  // extern "C"
