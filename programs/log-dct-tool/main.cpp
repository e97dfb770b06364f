// log-dct-tool: logarithm and DCT across a stack of n registered 16-bit
// images, giving n coefficient images of floats.
// Dialogue: the number of images n, the n images to read (imw), the n
// coefficient images to write (imf). Every output must be an imf file and
// every input a 16-bit image, all of one size: anything else is refused
// before any output file is created.

#include <cstdio>
#include <string>
#include <vector>

#include "cycle.hpp"
#include "fail.hpp"
#include "logdct.h"

namespace {

constexpr const char* kProgram = "log-dct-tool";

// ">> image 2/5 (u2):" and the like.
std::string numbered(const char* format, int i, int n) {
    char text[64];
    std::snprintf(text, sizeof text, format, i, n);
    return text;
}

// Ends the program (status 1) unless the writer of coefficient i of n
// writes floats: another known format is refused by check_writable, an
// unknown extension here (write_ima_init would refuse it only after the
// files of the coefficients before it exist).
void check_float_output(const write_ima_t& writer, int i, int n) {
    cycle::check_writable(cycle::image_type<imafl>().name, writer.ext);
    if (!cycle::writes<imafl>(writer.ext))
        fw::fail(1, "\n>> ERREUR %s : coefficient %d/%d : extension %s inconnue (.imf)\n", kProgram, i, n, writer.ext);
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    logdct_t transform;

    param_debut(argc, argv, &head);
    param* ptp = logdct_lect(&transform, &head, ">> log-dct :");
    const int n = transform.nb_images;
    std::vector<read_ima_t> readers(static_cast<std::size_t>(n));
    std::vector<write_ima_t> writers(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        ptp = read_ima_lect(&readers[i], ptp, numbered(">> image %d/%d (u2):", i + 1, n).c_str());
    for (int i = 0; i < n; ++i)
        ptp = write_ima_lect(&writers[i], ptp, numbered(">> coefficient %d/%d (fl):", i + 1, n).c_str());
    param_fin(argc, argv, &head);

    for (int i = 0; i < n; ++i) check_float_output(writers[i], i + 1, n);
    std::vector<imau2> images(static_cast<std::size_t>(n));
    std::vector<imafl> coefficients(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const cycle::AnyImage image = cycle::read_any(&readers[i]);
        images[i] = cycle::dispatch<imau2>(image, kProgram, [](const imau2& in) { return in; });
    }
    logdct_u2_init(&transform, images.data(), coefficients.data());
    for (write_ima_t& writer : writers) write_ima_init(&writer);
    logdct_u2_calc(&transform, images.data(), coefficients.data());

    int status = NO_ERROR;
    for (int k = 0; k < n; ++k) {
        const int written = write_imafl_ferm(&writers[k], coefficients[k]);
        if (status == NO_ERROR) status = written;
    }
    cycle::end_program(status);
}
