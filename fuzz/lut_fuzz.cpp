// lut_fuzz: the ".3lt" colour table of an 8-bit raw image (a valid 2 x 2
// image), loaded by read_imau1_init with the image.

#include "harness.hpp"
#include "image_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool image = [] {
        fuzz::write_file("img.dim", "2 2\n");
        fuzz::write_file("img.ima", "abcd");
        return true;
    }();
    (void)image;
    fuzz::write_file("img.3lt", fuzz::as_text(data, size));
    fuzz::read_and_free(fuzz::reader("img", "ima"));
    return 0;
}
