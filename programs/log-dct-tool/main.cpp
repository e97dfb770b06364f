// log-dct-tool: logarithm and DCT across a stack of n registered 16-bit
// images, giving n coefficient images of floats.
// Dialogue: the number of images n, the n images to read (imw), the n
// coefficient images to write (imf). Every output must be an imf file and
// every input a 16-bit image, all of one size: anything else is refused
// before any output file is created.

#include <vector>

#include "cycle.hpp"
#include "logdct.h"

int main(int argc, char** argv) {
    constexpr const char* program = "log-dct-tool";
    param head;
    logdct_t transform;

    param_debut(argc, argv, &head);
    param* ptp = logdct_lect(&transform, &head, ">> log-dct :");
    std::vector<read_ima_t> readers(static_cast<std::size_t>(transform.nb_images));
    std::vector<write_ima_t> writers(readers.size());
    ptp = cycle::read_stack_lect(readers, ptp, ">> image %d/%d (u2):");
    cycle::write_stack_lect(writers, ptp, ">> coefficient %d/%d (fl):");
    param_fin(argc, argv, &head);

    for (const write_ima_t& writer : writers) cycle::check_writes<imafl>(writer, program);
    std::vector<imau2> images = cycle::read_stack<imau2>(readers, program);
    std::vector<imafl> coefficients(readers.size());
    logdct_u2_init(&transform, images.data(), coefficients.data());
    for (write_ima_t& writer : writers) write_ima_init(&writer);
    logdct_u2_calc(&transform, images.data(), coefficients.data());
    cycle::end_program(cycle::write_stack(writers, coefficients));
}
