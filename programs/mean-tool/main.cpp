// mean-tool: sliding mean of an 8-bit, 16-bit or float image over an odd
// window; the result has the input's pixel type.

#include "cycle.hpp"
#include "moy2D.h"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    moy2D_t mean;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale :");
    ptp = moy2D_lect(&mean, ptp, ">> moyenne :");
    write_ima_lect(&writer, ptp, ">> image resultat :");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    // The program ends inside the call, while the records it made are live.
    cycle::dispatch<imau1, imau2, imafl>(image, "mean-tool", [&](const auto& in) {
        auto out = in;
        moy2D_init(&mean, in, &out);
        cycle::check_writable(cycle::AnyImage(out), writer.ext);
        write_ima_init(&writer);
        moy2D_calc(&mean, in, &out);
        cycle::end_program(cycle::write_any(&writer, out));
    });
}
