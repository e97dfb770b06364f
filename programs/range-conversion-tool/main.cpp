// range-conversion-tool: converts a 16-bit image to 8 bits by a linear
// stretch of an interval chosen from its statistics or given.
// Reader, conversion operator and writer; the result is an 8-bit image (ima
// or ras).

#include "conv16to8.h"
#include "cycle.hpp"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    conv16to8_t conversion;
    write_ima_t writer;
    imau1 converted{};

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale (u2):");
    ptp = conv16to8_lect(&conversion, ptp, ">> conversion 16 -> 8 bits :");
    write_ima_lect(&writer, ptp, ">> image resultat (u1):");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    const int status = cycle::dispatch<imau2>(image, "range-conversion-tool", [&](const imau2& in) {
        cycle::check_writable(cycle::image_type<imau1>().name, writer.ext);
        conv16to8_init(&conversion, in, &converted);
        write_ima_init(&writer);
        conv16to8_calc(&conversion, in, &converted);
        return write_imau1_ferm(&writer, converted);
    });
    cycle::end_program(status);
}
