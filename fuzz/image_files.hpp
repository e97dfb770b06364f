// image_files.hpp: releasing what the 2D readers allocate.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>
#include <variant>

#include "cycle.hpp"

namespace fuzz {

template <class Pixel>
void free_rows(Pixel** rows) {
    if (rows == nullptr) return;
    std::free(rows[0]);
    std::free(rows);
}

inline void free_image(cycle::AnyImage& image) {
    std::visit(
        [](auto& im) {
            using Image = std::decay_t<decltype(im)>;
            if constexpr (std::is_same_v<Image, imarvb>) {
                free_rows(im.r);
                free_rows(im.v);
                free_rows(im.b);
            } else {
                free_rows(im.pixels);
                if constexpr (std::is_same_v<Image, imau1>) {
                    std::free(im.lutr);
                    std::free(im.lutv);
                    std::free(im.lutb);
                }
            }
        },
        image);
}

// A reader descriptor for the scratch file "<name>.<ext>".
inline read_ima_t reader(const std::string& name, const char* ext) {
    read_ima_t d{};
    const std::string path = scratch(name);
    std::strncpy(d.nom, path.c_str(), LONG_NOM - 1);
    std::strncpy(d.ext, ext, LONG_NOM - 1);
    return d;
}

// Reads the file with the reader of its extension and frees the image,
// also when the reader refused the file after allocating its rows (a long
// run would otherwise fill the memory with them).
inline void read_and_free(read_ima_t d) {
    cycle::AnyImage image;
    run([&] { cycle::read_any_into(&d, image); });
    free_image(image);
}

}  // namespace fuzz
