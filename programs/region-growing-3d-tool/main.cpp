// region-growing-3d-tool: region growing in an 8-bit volume.
// Volume reader, 3D region-growing operator and volume writer; the result
// is the volume repainted with the mean grey level of every region of the
// last iteration (an LVF file when its name ends in ".lvf", an 8-bit volume
// file otherwise).

#include "cycle.hpp"
#include "reggr3d.h"
#include "volume_stage.h"

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    reggr3d_t growing;
    write_vol_t writer;
    ima3Du1 volume{};
    ima3Du4 labels{};

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume initial : nom complet du fichier volume a lire");
    ptp = reggr3d_lect(&growing, ptp, ">> croissance de regions 3D :");
    write_vol_lect(&writer, ptp, ">> volume resultat : nom complet du fichier volume a ecrire");
    param_fin(argc, argv, &head);

    write_vol_init(&writer, 8);
    read_volu1_init(&reader, &volume);
    reggr3d_init(&growing, &volume, &labels);
    reggr3d_calc(&growing, &volume, &labels);
    cycle::end_program(write_volu1_ferm(&writer, &volume));
}
