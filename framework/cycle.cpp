#include "cycle.hpp"

#include <fcntl.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fail.hpp"
#include "file_io.hpp"
#include "raster.hpp"

namespace cycle {

namespace {

bool same_ignoring_case(const char* a, const char* b) { return ::strcasecmp(a, b) == 0; }

// Depth word of a raster file's header, or 0 when the header cannot be read
// (the 8-bit reader then reports the problem in its own words).
int raster_depth(const read_ima_t* desc) {
    io::Fd fd(::open(io::join_name(desc->nom, desc->ext).c_str(), O_RDONLY));
    io::RasterHeaderBytes raw;
    if (!fd.ok() || io::read_full(fd.get(), raw.data(), raw.size()) != raw.size()) return 0;
    return io::decode_raster_header(raw).depth;
}

template <class Image>
AnyImage read_with(int (*reader)(read_ima_t*, Image*), read_ima_t* desc) {
    Image image{};
    reader(desc, &image);
    return image;
}

// Formats of the writer stage and the pixel types each one holds.
struct Format {
    const char* ext;
    const char* types;
};
constexpr Format kFormats[] = {{"ima", "u1"},  {"ras", "u1 rvb"}, {"imw", "u2"},  {"iml", "u4"},
                               {"imf", "fl"},  {"cxs", "cx4"},     {"cxf", "cx8"}};

bool holds(const char* types, const char* type) {
    const std::string list = std::string(" ") + types + " ";
    return list.find(std::string(" ") + type + " ") != std::string::npos;
}

}  // namespace

AnyImage read_any(read_ima_t* desc) {
    const char* ext = desc->ext;
    if (std::strcmp(ext, "ima") == 0) return read_with(read_imau1_init, desc);
    if (std::strcmp(ext, "ras") == 0)
        return raster_depth(desc) == 24 ? read_with(read_imarvb_init, desc) : read_with(read_imau1_init, desc);
    if (same_ignoring_case(ext, "imw")) return read_with(read_imau2_init, desc);
    if (same_ignoring_case(ext, "iml")) return read_with(read_imau4_init, desc);
    if (same_ignoring_case(ext, "imf")) return read_with(read_imafl_init, desc);
    if (same_ignoring_case(ext, "cxs")) return read_with(read_imacx4_init, desc);
    if (same_ignoring_case(ext, "cxf")) return read_with(read_imacx8_init, desc);
    fw::fail(1, "\n>> ERREUR lecture : extension %s inconnue (.ima/.ras/.imw/.iml/.imf/.cxs/.cxf)\n", ext);
}

const char* type_name(const AnyImage& image) {
    static constexpr const char* names[] = {"u1", "u2", "u4", "fl", "cx4", "cx8", "rvb"};
    return names[image.index()];
}

void check_writable(const char* type, const char* ext) {
    for (const Format& f : kFormats)
        if (std::strcmp(ext, f.ext) == 0 && !holds(f.types, type))
            fw::fail(1, "\n>> ERREUR ecriture : une image %s ne peut pas etre ecrite au format .%s\n", type, ext);
}

int write_any(write_ima_t* desc, const AnyImage& image) {
    struct Writer {
        write_ima_t* desc;
        int operator()(const imau1& i) const { return write_imau1_ferm(desc, i); }
        int operator()(const imau2& i) const { return write_imau2_ferm(desc, i); }
        int operator()(const imau4& i) const { return write_imau4_ferm(desc, i); }
        int operator()(const imafl& i) const { return write_imafl_ferm(desc, i); }
        int operator()(const imacx4& i) const { return write_imacx4_ferm(desc, i); }
        int operator()(const imacx8& i) const { return write_imacx8_ferm(desc, i); }
        int operator()(const imarvb& i) const { return write_imarvb_ferm(desc, i); }
    };
    return std::visit(Writer{desc}, image);
}

void end_program(int status) {
    std::fflush(nullptr);
    std::exit(status);
}

}  // namespace cycle
