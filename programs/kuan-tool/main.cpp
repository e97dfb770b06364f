// kuan-tool: Kuan's filter for multiplicative speckle on a 16-bit or float
// image. The program computes the local mean and mean of squares itself
// over the window answered to the filter's questions, then filters.

#include "cycle.hpp"
#include "kuan.h"
#include "local_statistics.hpp"

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
    cycle::dispatch<imau2, imafl>(image, "kuan-tool", [&](const auto& I) {
        cycle::filter_with_local_statistics(
            I, filter.colonnes, filter.lignes, &writer, [&](auto... records) { return kuan_init(&filter, records...); },
            [&](auto... records) { return kuan_calc(&filter, records...); });
    });
}
