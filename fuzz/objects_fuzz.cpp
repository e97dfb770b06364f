// objects_fuzz: an objects file (rectangles) read by read_rectangles, then
// drawn over a 16 x 16 image as synthetic-image-tool draws them.

#include <cstdint>
#include <vector>

#include "harness.hpp"
#include "rectangles.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::write_file("objects.obj", fuzz::as_text(data, size));
    fuzz::run([&] {
        const std::vector<cycle::Rectangle> objects = cycle::read_rectangles(path.c_str());
        constexpr int kSide = 16;
        std::vector<std::uint16_t> block(kSide * kSide);
        std::vector<std::uint16_t*> rows(kSide);
        for (int y = 0; y < kSide; ++y) rows[y] = block.data() + y * kSide;
        cycle::draw_rectangles(rows.data(), kSide, kSide, 7.0, objects);
    });
    return 0;
}
