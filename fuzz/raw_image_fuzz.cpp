// raw_image_fuzz: a raw image and its size file. The first byte chooses the
// extension (ima, imw, IMW, iml, IML, imf, IMF, cxs, CXS, cxf, CXF); the
// rest is the .dim text, "@@@@", then the pixel file. Read through
// cycle::read_any, as every program reads its input.

#include "harness.hpp"
#include "image_files.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kExtensions[] = {"ima", "imw", "IMW", "iml", "IML", "imf",
                                              "IMF", "cxs", "CXS", "cxf", "CXF"};
    if (size == 0) return 0;
    const char* ext = kExtensions[data[0] % std::size(kExtensions)];
    const auto files = fuzz::parts(fuzz::as_text(data + 1, size - 1), 2);
    fuzz::write_file("img.dim", files[0]);
    fuzz::write_file(std::string("img.") + ext, files.size() > 1 ? files[1] : std::string_view{});
    fuzz::read_and_free(fuzz::reader("img", ext));
    return 0;
}
