// volume-statistics-tool: the objects of one grey level in an 8-bit volume.
// Volume reader and statistics operator; writes the volume, surface and
// compactness of every object to "attr.txt" and the volume of every object
// to "vol.txt", both in the working folder, and prints their summaries.

#include "cycle.hpp"
#include "eval_volume.h"
#include "volume_stage.h"

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    eval_volume_t statistics;
    ima3Du1 volume{};

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume initial : nom complet du fichier volume a lire");
    eval_volume_lect(&statistics, ptp, ">> statistiques :");
    param_fin(argc, argv, &head);

    read_volu1_init(&reader, &volume);
    eval_volume_init(&statistics, &volume);
    const int objects = eval_volume_calc(&statistics, &volume);
    calcul_vol_objets(&statistics, "vol.txt", objects);
    eval_volume_ferm(&statistics);
    cycle::end_program(NO_ERROR);
}
