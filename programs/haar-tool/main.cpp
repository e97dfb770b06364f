// haar-tool: S-level 3D Haar decomposition of an 8-bit volume (volume file
// or LVF) into the pyramid of its approximation and detail bands, written
// as an 8-bit volume (LVF when the name ends in ".lvf"). A scale whose 2^S
// exceeds a size of the volume is refused before the volume is read and
// before any file is created.

#include "cycle.hpp"
#include "haar_wavelet.h"
#include "volume_stage.h"

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    hw_coef_entire_image_t haar;
    write_vol_t writer;
    ima3Du1 header{}, volume{}, result{};

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume initial : nom complet du fichier volume a lire");
    ptp = hw_coef_entire_image_lect(&haar, ptp, ">> ondelettes :");
    write_vol_lect(&writer, ptp, ">> volume resultat : nom complet du fichier volume a ecrire");
    param_fin(argc, argv, &head);

    read_vol_entete(&reader, &header);
    hw_coef_entire_image_check(&haar, header.dimx, header.dimy, header.dimz);
    write_vol_init(&writer, 8);

    read_volu1_init(&reader, &volume);
    hw_coef_entire_image_init(&haar, volume, &result);
    hw_coef_entire_image_calc(&haar, &volume, &result);
    cycle::end_program(write_volu1_ferm(&writer, &result));
}
