// idct-exp-tool: inverse DCT and exponential across a stack of n
// coefficient images of floats, divided by a bias, giving n 16-bit images.
// Dialogue: the number of images n and the bias, the n coefficient images
// to read (imf), the n images to write (imw). Every output must be an imw
// file and every input an image of floats, all of one size: anything else
// is refused before any output file is created.

#include <vector>

#include "cycle.hpp"
#include "idctexp.h"

int main(int argc, char** argv) {
    constexpr const char* program = "idct-exp-tool";
    param head;
    idctexp_t transform;

    param_debut(argc, argv, &head);
    param* ptp = idctexp_lect(&transform, &head, ">> idct-exp :");
    std::vector<read_ima_t> readers(static_cast<std::size_t>(transform.nb_images));
    std::vector<write_ima_t> writers(readers.size());
    ptp = cycle::read_stack_lect(readers, ptp, ">> coefficient %d/%d (fl):");
    cycle::write_stack_lect(writers, ptp, ">> image %d/%d (u2):");
    param_fin(argc, argv, &head);

    for (const write_ima_t& writer : writers) cycle::check_writes<imau2>(writer, program);
    std::vector<imafl> coefficients = cycle::read_stack<imafl>(readers, program);
    std::vector<imau2> images(readers.size());  // pixel tables null: init allocates them
    idctexp_u2_init(&transform, coefficients.data(), images.data());
    for (write_ima_t& writer : writers) write_ima_init(&writer);
    idctexp_u2_calc(&transform, coefficients.data(), images.data());
    cycle::end_program(cycle::write_stack(writers, images));
}
