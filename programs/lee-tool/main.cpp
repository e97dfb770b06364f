// lee-tool: Lee's filter for additive noise on an 8-bit, 16-bit or float
// image. The program computes the local mean and mean of squares itself
// over the window answered to the filter's questions, then filters.

#include "cycle.hpp"
#include "lee_add.h"
#include "local_statistics.hpp"

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
    cycle::dispatch<imau1, imau2, imafl>(image, "lee-tool", [&](const auto& I) {
        cycle::filter_with_local_statistics(
            I, lee.colonnes, lee.lignes, &writer, [&](auto... records) { return lee_add_init(&lee, records...); },
            [&](auto... records) { return lee_add_calc(&lee, records...); });
    });
}
