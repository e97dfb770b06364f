// region-growing-tool: region growing by threshold steps on an 8-bit image.
// Reader, region-growing operator and writer; the result is the 8-bit image
// (ima or ras) of the regions painted with their mean grey level.

#include "cycle.hpp"
#include "reggrow.h"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    reggrow_t growing;
    write_ima_t writer;
    imau1 regions{};

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale (u1):");
    ptp = reggrow_lect(&growing, ptp, ">> croissance de regions :");
    write_ima_lect(&writer, ptp, ">> image resultat (u1):");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    const int status = cycle::dispatch<imau1>(image, "region-growing-tool", [&](const imau1& read) {
        cycle::check_writable(cycle::image_type<imau1>().name, writer.ext);
        imau1 in = read;
        reggrow_init(&growing, &in, &regions);
        write_ima_init(&writer);
        reggrow_calc(&growing, &in, &regions);
        return write_imau1_ferm(&writer, regions);
    });
    cycle::end_program(status);
}
