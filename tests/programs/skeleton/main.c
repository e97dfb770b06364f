/* A program over a filled-in skeleton: read an 8-bit image, threshold it,
 * write the result, in the suite's cycle. */
#include <stdlib.h>

#include "image.h"
#include "proto2D.h"
#include "seuil.h"

int main(int argc, char **argv) {
    param head;
    param *ptp;
    read_ima_t reader;
    write_ima_t writer;
    seuil_t desc;
    imau1 in, out;
    char heading[] = ">> seuillage :";

    param_debut(argc, argv, &head);
    ptp = read_ima_lect(&reader, &head, ">> image initiale (u1):");
    ptp = seuil_lect(&desc, ptp, heading);
    write_ima_lect(&writer, ptp, ">> image resultat (u1):");
    param_fin(argc, argv, &head);

    read_imau1_init(&reader, &in);
    seuil_init(&desc, in, &out);
    write_ima_init(&writer);
    seuil_calc(&desc, in, &out);
    seuil_ferm(&desc);
    /* Ends here, while the records of main are live: the suite frees
     * nothing at the end of a run. */
    exit(write_imau1_ferm(&writer, out));
}
