// kuan-tool: Kuan's filter for multiplicative speckle on a 16-bit or float
// image. The program computes the local mean and mean of squares itself
// over the window answered to the filter's questions, then filters.

#include "cycle.hpp"
#include "kuan.h"
#include "moy2D.h"
#include "moycarre2D.h"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    kuan_t filter;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale :");
    ptp = kuan_lect(&filter, ptp, ">> filtre de Kuan :");
    write_ima_lect(&writer, ptp, ">> image resultat :");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    // The program ends inside the call, while the records it made are live.
    cycle::dispatch<imau2, imafl>(image, "kuan-tool", [&](const auto& I) {
        moy2D_t mean{filter.colonnes, filter.lignes, nullptr};
        moycarre2D_t squares{filter.colonnes, filter.lignes, nullptr, nullptr};
        auto M = I, out = I;
        imafl M2{};
        moy2D_init(&mean, I, &M);
        moycarre2D_init(&squares, I, &M2);
        kuan_init(&filter, I, M, M2, &out);
        cycle::check_writable(cycle::AnyImage(out), writer.ext);
        write_ima_init(&writer);
        moy2D_calc(&mean, I, &M);
        moycarre2D_calc(&squares, I, &M2);
        moy2D_ferm(&mean);
        moycarre2D_ferm(&squares);
        kuan_calc(&filter, I, M, M2, &out);
        cycle::end_program(cycle::write_any(&writer, out));
    });
}
