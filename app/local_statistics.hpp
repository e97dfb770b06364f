// local_statistics.hpp: the chain of programs whose filter needs the local
// mean M and mean of squares M2 of its input over the filter's window (the
// speckle filters): M and M2 are computed with the mean filters, then the
// filter runs and the program ends with the writer's result. Header-only:
// the programs that use it link the mean modules.
#pragma once

#include "cycle.hpp"
#include "moy2D.h"
#include "moycarre2D.h"

namespace cycle {

// init(I, M, M2, &out) and calc(I, M, M2, &out) are the filter's phases for
// the image's type. The output's format is checked before the writer
// creates its files. Ends the process with the writer's result, while the
// records made here are still live.
template <class Image, class Init, class Calc>
[[noreturn]] void filter_with_local_statistics(const Image& I, int colonnes, int lignes, write_ima_t* writer, Init init,
                                               Calc calc) {
    moy2D_t mean{colonnes, lignes, nullptr};
    moycarre2D_t squares{colonnes, lignes, nullptr, nullptr};
    Image M = I, out = I;
    imafl M2{};
    moy2D_init(&mean, I, &M);
    moycarre2D_init(&squares, I, &M2);
    init(I, M, M2, &out);
    check_writable(AnyImage(out), writer->ext);
    write_ima_init(writer);
    moy2D_calc(&mean, I, &M);
    moycarre2D_calc(&squares, I, &M2);
    moy2D_ferm(&mean);
    moycarre2D_ferm(&squares);
    calc(I, M, M2, &out);
    end_program(write_any(writer, out));
}

}  // namespace cycle
