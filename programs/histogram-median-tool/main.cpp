// histogram-median-tool: square median filter of an 8-bit image.
// Reader, median operator and writer; the result is an 8-bit image (ima or
// ras) whose border, closer to an edge than half a window, keeps the input.

#include "cycle.hpp"
#include "medhist.h"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    medhist_t median;
    write_ima_t writer;
    imau1 filtered{};

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale (u1):");
    ptp = medhist_lect(&median, ptp, ">> mediane :");
    write_ima_lect(&writer, ptp, ">> image resultat :");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    const int status = cycle::dispatch<imau1>(image, "histogram-median-tool", [&](const imau1& in) {
        cycle::check_writable(cycle::image_type<imau1>().name, writer.ext);
        medhist_init(&median, in, &filtered);
        write_ima_init(&writer);
        medhist_calc(&median, in, &filtered);
        return write_imau1_ferm(&writer, filtered);
    });
    cycle::end_program(status);
}
