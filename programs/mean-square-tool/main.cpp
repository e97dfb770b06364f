// mean-square-tool: sliding mean of the squared grey levels of an 8-bit,
// 16-bit or float image over an odd window; the result is a float image.

#include "cycle.hpp"
#include "moycarre2D.h"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    moycarre2D_t squares;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale :");
    ptp = moycarre2D_lect(&squares, ptp, ">> moyenne des carres :");
    write_ima_lect(&writer, ptp, ">> image resultat :");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    // The program ends inside the call, while the records it made are live.
    cycle::dispatch<imau1, imau2, imafl>(image, "mean-square-tool", [&](const auto& in) {
        imafl out{};
        moycarre2D_init(&squares, in, &out);
        cycle::check_writable(cycle::image_type<imafl>().name, writer.ext);
        write_ima_init(&writer);
        moycarre2D_calc(&squares, in, &out);
        cycle::end_program(write_imafl_ferm(&writer, out));
    });
}
