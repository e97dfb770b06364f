// rectangle.hpp: the image rectangle shared by the formatters of attribute
// images and of label masks (its questions, its checks and its copy).
#pragma once

#include <cstddef>

#include "classifier_input.h"

namespace classification {

// Width and height of a checked rectangle.
struct Extent {
    int width, height;
    int points() const { return width * height; }
};

// Asks the rectangle's questions as format_imau1_classifier_input_lect
// says, the first one reading `first`; `who` names the phase in refusals.
param* rectangle_lect(rectangle_image_t* desc, param* ptp, const char* debq, const char* first, const char* who);

// Sets (choix 0) or checks (choix 1) the rectangle for `image`, as
// format_imau1_classifier_input_init says; `diagnostics` prints the
// coordinates and the image's size before refusing invalid points.
Extent rectangle_init(rectangle_image_t* desc, const imau1& image, bool diagnostics);

// The rectangle's extent once checked against the image a computation
// copies from and the nb_pts of the data it fills, as
// format_imau1_classifier_input_calc says; `who` names the phase.
Extent rectangle_for(const rectangle_image_t& desc, const imau1& image, int nb_pts, const char* who);

// Copies the rectangle's pixels, converted to T, into dst (nb_pts values
// numbered row by row).
template <class T>
void copy_rectangle(const rectangle_image_t& desc, const imau1& image, Extent extent, T* dst) {
    for (int r = 0; r < extent.height; ++r) {
        const unsigned char* row = image.pixels[desc.premier_point.Yrow + r] + desc.premier_point.Xcol;
        T* out = dst + static_cast<std::size_t>(r) * static_cast<std::size_t>(extent.width);
        for (int c = 0; c < extent.width; ++c) out[c] = static_cast<T>(row[c]);
    }
}

}  // namespace classification
