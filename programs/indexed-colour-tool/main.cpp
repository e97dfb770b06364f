// indexed-colour-tool: turns a 24-bit colour raster into an 8-bit image of
// palette indices with its colour tables (an ima file with its .3lt, or a
// raster with its map), the palette learnt by a self-organising map of N
// neurons trained for E epochs; the learnt weights also go to WEIGHTS.TXT
// in the working folder.

#include "cycle.hpp"
#include "indexed_img.h"

int main(int argc, char** argv) {
    constexpr const char* program = "indexed-colour-tool";
    param head;
    read_ima_t reader;
    indexed_img_t indexing;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image couleur (rvb):");
    ptp = indexed_img_lect(&indexing, ptp, ">> image indexee :");
    write_ima_lect(&writer, ptp, ">> image indexee (u1):");
    param_fin(argc, argv, &head);

    cycle::check_writes<imau1>(writer, program);
    const imarvb in = cycle::dispatch<imarvb>(cycle::read_any(&reader), program, [](const imarvb& image) { return image; });
    imau1 out;
    indexed_img_init(&indexing, in, &out);
    write_ima_init(&writer);
    indexed_img_calc(&indexing, in, &out);
    cycle::end_program(write_imau1_ferm(&writer, out));
}
