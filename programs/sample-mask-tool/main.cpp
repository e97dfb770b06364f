// sample-mask-tool: the sample operator bidon on an 8-bit image: the result
// is a copy of the input; the operator's mask shows its parameters at work.

#include "bidon.h"
#include "cycle.hpp"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    bidon_t sample{};
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale (u1):");
    ptp = bidon_lect(&sample, ptp, ">> bidon :");
    write_ima_lect(&writer, ptp, ">> image resultat (u1):");
    param_fin(argc, argv, &head);

    cycle::check_writes<imau1>(writer, "sample-mask-tool");
    const cycle::AnyImage image = cycle::read_any(&reader);
    // The program ends inside the call, while the records it made are live.
    cycle::dispatch<imau1>(image, "sample-mask-tool", [&](const imau1& in) {
        imau1 out{};
        bidonu1_init(&sample, in, &out);
        write_ima_init(&writer);
        bidonu1_calc(&sample, in, &out);
        cycle::end_program(write_imau1_ferm(&writer, out));
    });
}
