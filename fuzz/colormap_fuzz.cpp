// colormap_fuzz: a colour-map text file loaded by add_colormap_init and
// given to an 8-bit image by add_colormap_calc.

#include "colormap.h"
#include "harness.hpp"
#include "image_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::write_file("map.txt", fuzz::as_text(data, size));
    add_colormap_t map{};
    map.fichier = path.c_str();
    imau1 image{};
    fuzz::run([&] {
        add_colormap_init(&map);
        image.nc = image.nr = 2;
        alloc_imau1(&image);
        add_colormap_calc(&map, &image);
    });
    fuzz::free_rows(image.pixels);
    std::free(map.lutr);
    std::free(map.lutv);
    std::free(map.lutb);
    return 0;
}
