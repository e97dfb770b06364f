// sample-copy-tool: the sample operator essai on an 8-bit volume (a volume
// file or an LVF file; 16-bit volume files are rescaled to 8 bits): every
// sample plus a constant offset, modulo 256. The result is an LVF file when
// its name ends in ".lvf", a volume file otherwise.

#include "cycle.hpp"
#include "essai.h"
#include "volume_stage.h"

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    essai_t sample{};
    write_vol_t writer;
    ima3Du1 source{};
    ima3Du1 result{};

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume initial : nom complet du fichier volume a lire");
    ptp = essai_lect(&sample, ptp, ">> essai :");
    write_vol_lect(&writer, ptp, ">> volume resultat : nom complet du fichier volume a ecrire");
    param_fin(argc, argv, &head);

    write_vol_init(&writer, 8);
    read_volu1_init(&reader, &source);
    essaiu1_init(&sample, source, &result);
    essaiu1_calc(&sample, source, &result);
    cycle::end_program(write_volu1_ferm(&writer, &result));
}
