// haar-window-tool: slides a window through an 8-bit volume (volume file or
// LVF) and writes at each window's centre one 8-bit feature of the window's
// level-S Haar approximation (1: its mean, 2: its normalised entropy, any
// other feature: 255), as an 8-bit volume (LVF when the name ends in
// ".lvf"). Windows smaller than 2^S, or not smaller than the volume by at
// least 2 along an axis, are refused before the volume is read and before
// any file is created. A completed run ends with status 0.

#include "cycle.hpp"
#include "haar_wavelet.h"
#include "volume_stage.h"

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    hw_coef_on_window_t haar{};
    write_vol_t writer;
    ima3Du1 header{}, volume{}, result{};

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume initial : nom complet du fichier volume a lire");
    ptp = hw_coef_on_window_lect(&haar, ptp, ">> ondelettes :");
    write_vol_lect(&writer, ptp, ">> volume resultat : nom complet du fichier volume a ecrire");
    param_fin(argc, argv, &head);

    read_vol_entete(&reader, &header);
    hw_coef_on_window_check(&haar, header.dimx, header.dimy, header.dimz);
    write_vol_init(&writer, 8);

    read_volu1_init(&reader, &volume);
    hw_coef_on_window_init(&haar, volume, &result);
    hw_coef_on_window_calc(&haar, volume, &result);
    hw_coef_on_window_ferm(&haar);
    cycle::end_program(write_volu1_ferm(&writer, &result));
}
