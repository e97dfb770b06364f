// idct-exp-tool: inverse DCT and exponential across a stack of n
// coefficient images of floats, divided by a bias, giving n 16-bit images.
// Dialogue: the number of images n and the bias, the n coefficient images
// to read (imf), the n images to write (imw). Every output must be an imw
// file and every input an image of floats, all of one size: anything else
// is refused before any output file is created.

#include <cstdio>
#include <string>
#include <vector>

#include "cycle.hpp"
#include "fail.hpp"
#include "idctexp.h"

namespace {

constexpr const char* kProgram = "idct-exp-tool";

// ">> image 2/5 (u2):" and the like.
std::string numbered(const char* format, int i, int n) {
    char text[64];
    std::snprintf(text, sizeof text, format, i, n);
    return text;
}

// Ends the program (status 1) unless the writer of image i of n writes
// 16-bit images: another known format is refused by check_writable, an
// unknown extension here (write_ima_init would refuse it only after the
// files of the images before it exist).
void check_u2_output(const write_ima_t& writer, int i, int n) {
    cycle::check_writable(cycle::image_type<imau2>().name, writer.ext);
    if (!cycle::writes<imau2>(writer.ext))
        fw::fail(1, "\n>> ERREUR %s : image %d/%d : extension %s inconnue (.imw)\n", kProgram, i, n, writer.ext);
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    idctexp_t transform;

    param_debut(argc, argv, &head);
    param* ptp = idctexp_lect(&transform, &head, ">> idct-exp :");
    const int n = transform.nb_images;
    std::vector<read_ima_t> readers(static_cast<std::size_t>(n));
    std::vector<write_ima_t> writers(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        ptp = read_ima_lect(&readers[i], ptp, numbered(">> coefficient %d/%d (fl):", i + 1, n).c_str());
    for (int i = 0; i < n; ++i)
        ptp = write_ima_lect(&writers[i], ptp, numbered(">> image %d/%d (u2):", i + 1, n).c_str());
    param_fin(argc, argv, &head);

    for (int i = 0; i < n; ++i) check_u2_output(writers[i], i + 1, n);
    std::vector<imafl> coefficients(static_cast<std::size_t>(n));
    std::vector<imau2> images(static_cast<std::size_t>(n));  // pixel tables null: init allocates them
    for (int i = 0; i < n; ++i) {
        const cycle::AnyImage image = cycle::read_any(&readers[i]);
        coefficients[i] = cycle::dispatch<imafl>(image, kProgram, [](const imafl& in) { return in; });
    }
    idctexp_u2_init(&transform, coefficients.data(), images.data());
    for (write_ima_t& writer : writers) write_ima_init(&writer);
    idctexp_u2_calc(&transform, coefficients.data(), images.data());

    int status = NO_ERROR;
    for (int k = 0; k < n; ++k) {
        const int written = write_imau2_ferm(&writers[k], images[k]);
        if (status == NO_ERROR) status = written;
    }
    cycle::end_program(status);
}
