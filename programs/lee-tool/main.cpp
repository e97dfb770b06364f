// lee-tool: Lee's filter for additive noise on an 8-bit, 16-bit or float
// image. The program computes the local mean and mean of squares itself
// over the window answered to the filter's questions, then filters.

#include "cycle.hpp"
#include "lee_add.h"
#include "moy2D.h"
#include "moycarre2D.h"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    lee_add_t lee;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale :");
    ptp = lee_add_lect(&lee, ptp, ">> filtre de Lee :");
    write_ima_lect(&writer, ptp, ">> image resultat :");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    // The program ends inside the call, while the records it made are live.
    cycle::dispatch<imau1, imau2, imafl>(image, "lee-tool", [&](const auto& I) {
        moy2D_t mean{lee.colonnes, lee.lignes, nullptr};
        moycarre2D_t squares{lee.colonnes, lee.lignes, nullptr, nullptr};
        auto M = I, out = I;
        imafl M2{};
        moy2D_init(&mean, I, &M);
        moycarre2D_init(&squares, I, &M2);
        lee_add_init(&lee, I, M, M2, &out);
        cycle::check_writable(cycle::AnyImage(out), writer.ext);
        write_ima_init(&writer);
        moy2D_calc(&mean, I, &M);
        moycarre2D_calc(&squares, I, &M2);
        moy2D_ferm(&mean);
        moycarre2D_ferm(&squares);
        lee_add_calc(&lee, I, M, M2, &out);
        cycle::end_program(cycle::write_any(&writer, out));
    });
}
