// raster_fuzz: an 8- or 24-bit raster file, read through cycle::read_any
// (the depth in the header chooses the reader).

#include "harness.hpp"
#include "image_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::write_file("img.ras", fuzz::as_text(data, size));
    fuzz::read_and_free(fuzz::reader("img", "ras"));
    return 0;
}
