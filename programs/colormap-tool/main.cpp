// colormap-tool: attaches a colour table read from a text file (768
// integers: 256 red, 256 green, 256 blue) to an 8-bit image, which is
// written as an ima file with its .3lt or as a raster with its map. A
// missing or incomplete table file is only a warning: the image is then
// written without colour table.

#include "colormap.h"
#include "cycle.hpp"

int main(int argc, char** argv) {
    constexpr const char* program = "colormap-tool";
    param head;
    read_ima_t reader;
    add_colormap_t colormap;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale (u1):");
    ptp = add_colormap_lect(&colormap, ptp, ">> palette :");
    write_ima_lect(&writer, ptp, ">> image resultat (u1):");
    param_fin(argc, argv, &head);

    cycle::check_writes<imau1>(writer, program);
    imau1 image = cycle::dispatch<imau1>(cycle::read_any(&reader), program, [](const imau1& in) { return in; });
    add_colormap_init(&colormap);
    write_ima_init(&writer);
    add_colormap_calc(&colormap, &image);
    cycle::end_program(write_imau1_ferm(&writer, image));
}
