// volume-convert-tool: converts an 8-bit volume between the volume-file
// format (80-byte header; 16-bit files are rescaled to 8 bits) and the LVF
// format. The input's format is recognised from its first bytes; the output
// is LVF when its name ends in ".lvf", a volume file otherwise.

#include <cstdio>

#include "cycle.hpp"
#include "volume_stage.h"

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    write_vol_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume a convertir : nom complet du fichier");
    write_vol_lect(&writer, ptp, ">> volume converti : nom complet du fichier");
    param_fin(argc, argv, &head);

    write_vol_init(&writer, 8);
    ima3Du1 v{};
    read_volu1_init(&reader, &v);
    std::printf("\n>> volume %s : %d x %d x %d\n", reader.nom, v.dimx, v.dimy, v.dimz);
    cycle::end_program(write_volu1_ferm(&writer, &v));
}
