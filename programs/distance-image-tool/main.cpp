// distance-image-tool: distance image of a binary 8-bit image on a grid of
// pixels L units wide and 1 unit high, with chamfer masks optimised for that
// aspect ratio and scaled by n, rescaled to 0 ... 255 (ima or ras).

#include "cycle.hpp"
#include "distance_imau1.h"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    distance_imau1_t distance;
    write_ima_t writer;
    imau1 result{};

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image binaire (u1):");
    ptp = distance_imau1_lect(&distance, ptp, ">> distance :");
    write_ima_lect(&writer, ptp, ">> image resultat (u1):");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    const int status = cycle::dispatch<imau1>(image, "distance-image-tool", [&](const imau1& in) {
        cycle::check_writable(cycle::image_type<imau1>().name, writer.ext);
        distance_imau1_init(&distance, in, &result);
        write_ima_init(&writer);
        distance_imau1_calc(&distance, in, &result);
        return write_imau1_ferm(&writer, result);
    });
    cycle::end_program(status);
}
