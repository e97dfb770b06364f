// cycle.hpp: helpers for program mains.
//
// One table lists every 2D pixel type once: its record, short name, the
// extensions the writer stores it in, and its typed reader and closing
// writer. A program reads whatever image its input holds into an AnyImage,
// hands it to an operator written once as a template (dispatch), checks
// right after that its output format can hold the result's pixel type
// (check_writable), creates its output files, and writes the result with
// the closing function of its type (write_any).
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "proto2D.h"

namespace cycle {

// One row of the pixel-type table.
template <class Image>
struct ImageType {
    using image = Image;
    const char* name;        // short name, as in the typed function names
    const char* extensions;  // extensions the writer stores this type in, blank-separated
    bool host_order;         // the reader also takes the upper-case (host-order) spelling
    int raster_depth;        // bits per pixel of its raster files (0: none)
    int (*read)(read_ima_t*, Image*);  // typed reader (null: no file holds this type)
    int (*write)(write_ima_t*, Image);  // typed closing writer (null: none)
};

inline constexpr std::tuple kImageTypes{
    ImageType<imau1>{"u1", "ima ras", false, 8, read_imau1_init, write_imau1_ferm},
    ImageType<imau2>{"u2", "imw", true, 0, read_imau2_init, write_imau2_ferm},
    ImageType<imas2>{"s2", "", false, 0, nullptr, nullptr},
    ImageType<imau4>{"u4", "iml", true, 0, read_imau4_init, write_imau4_ferm},
    ImageType<imas4>{"s4", "", false, 0, nullptr, nullptr},
    ImageType<imafl>{"fl", "imf", true, 0, read_imafl_init, write_imafl_ferm},
    ImageType<imadb>{"db", "", false, 0, nullptr, nullptr},
    ImageType<imacx4>{"cx4", "cxs", true, 0, read_imacx4_init, write_imacx4_ferm},
    ImageType<imacx8>{"cx8", "cxf", true, 0, read_imacx8_init, write_imacx8_ferm},
    ImageType<imacx16>{"cx16", "", false, 0, nullptr, nullptr},
    ImageType<imarvb>{"rvb", "ras", false, 24, read_imarvb_init, write_imarvb_ferm},
};

namespace detail {
template <class Table>
struct variant_of;
template <class... Rows>
struct variant_of<std::tuple<Rows...>> {
    using type = std::variant<typename Rows::image...>;
};
}  // namespace detail

// A 2D image of any record type of the table.
using AnyImage = detail::variant_of<std::remove_const_t<decltype(kImageTypes)>>::type;

// The table's row of a record type.
template <class Image>
constexpr const ImageType<Image>& image_type() {
    return std::get<ImageType<Image>>(kImageTypes);
}

// Calls f(row) for every row of the table, in order.
template <class F>
constexpr void for_each_type(F&& f) {
    std::apply([&](const auto&... row) { (f(row), ...); }, kImageTypes);
}

// Whether a blank-separated list of extensions holds `ext`.
inline bool lists(const char* extensions, const char* ext) {
    const std::string_view wanted = ext;
    std::string_view list = extensions;
    while (!list.empty()) {
        const std::size_t end = list.find(' ');
        if (list.substr(0, end) == wanted && !wanted.empty()) return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

// Whether the writer stores images of type Image in files of extension ext.
template <class Image>
bool writes(const char* ext) {
    return lists(image_type<Image>().extensions, ext);
}

// Short name of the pixel type of an image ("u1", "u2", "fl", ...).
const char* type_name(const AnyImage& image);

// Reads the file named by the reader descriptor with the typed reader of its
// extension: ima -> imau1, imw/IMW -> imau2, iml/IML -> imau4, imf/IMF ->
// imafl, cxs/CXS -> imacx4, cxf/CXF -> imacx8; for ras the depth in the
// header chooses imau1 (8 bits) or imarvb (24 bits). Other spellings of a
// raw extension reach their typed reader, which refuses them; an unknown
// extension ends the process with status 1.
AnyImage read_any(read_ima_t* desc);

// read_any into `image`, which holds the image of the chosen type from
// before its reader is called: in a build where refusals return to the
// caller (the fuzzing build), the rows a refused read had allocated are
// still reachable there and can be released.
void read_any_into(read_ima_t* desc, AnyImage& image);

// Ends the process with status 1 when `ext` is a format of the writer stage
// that cannot hold the pixel type named `type` (ima and ras hold u1, ras
// also rvb, imw u2, iml u4, imf fl, cxs cx4, cxf cx8). Extensions the writer
// does not know are left to write_ima_init, which refuses them. Call it
// before write_ima_init, so that no output file is created for a refused run.
void check_writable(const char* type, const char* ext);
inline void check_writable(const AnyImage& image, const char* ext) { check_writable(type_name(image), ext); }

// Writes the image with the closing function of its pixel type and returns
// that function's result.
int write_any(write_ima_t* desc, const AnyImage& image);

// Ends the process with status 1: `who` does not work on images of the type
// named `type`; `accepted` lists the types it works on.
[[noreturn]] void refuse_type(const char* who, const char* type, std::initializer_list<const char*> accepted);

// Calls f with the image as its own record type when that type is one of
// Images, and returns f's result (the same type for every Images); any
// other type ends the process through refuse_type. Call it before
// write_ima_init, so that a refused type leaves no output file.
//   cycle::dispatch<imau1, imau2, imafl>(image, "mean-tool", [&](const auto& in) { ... });
template <class... Images, class F>
auto dispatch(const AnyImage& image, const char* who, F&& f) {
    using First = std::tuple_element_t<0, std::tuple<Images...>>;
    using Result = std::invoke_result_t<F&, const First&>;
    return std::visit(
        [&](const auto& in) -> Result {
            using Image = std::decay_t<decltype(in)>;
            if constexpr ((std::is_same_v<Image, Images> || ...)) {
                return f(in);
            } else {
                refuse_type(who, image_type<Image>().name, {image_type<Images>().name...});
            }
        },
        image);
}

// Stacks of images, for programs that read or write n images of one kind:
// the stages' headings are numbered by `format` with i and n (for example
// ">> image %d/%d (u2):").
std::string numbered(const char* format, int i, int n);
param* read_stack_lect(std::vector<read_ima_t>& readers, param* ptp, const char* format);
param* write_stack_lect(std::vector<write_ima_t>& writers, param* ptp, const char* format);

// Ends the process (status 1), naming `who`, unless the writer stores
// images of type Image in its extension: a known format of another type is
// refused as check_writable does, an unknown extension with the formats of
// Image. A program with several outputs checks them all before it creates
// any, since write_ima_init refuses an unknown extension only when it
// reaches it.
void check_writes(const char* type, const char* formats, const write_ima_t& writer, const char* who);
template <class Image>
void check_writes(const write_ima_t& writer, const char* who) {
    check_writes(image_type<Image>().name, image_type<Image>().extensions, writer, who);
}

// Reads every image of a stack; an image of another type than Image ends
// the process through refuse_type.
template <class Image>
std::vector<Image> read_stack(std::vector<read_ima_t>& readers, const char* who) {
    std::vector<Image> images;
    for (read_ima_t& reader : readers)
        images.push_back(dispatch<Image>(read_any(&reader), who, [](const Image& in) { return in; }));
    return images;
}

// Creates the files of every writer, then writes every image with the
// closing function of its type; returns the first non-zero result, or 0.
template <class Image>
int write_stack(std::vector<write_ima_t>& writers, const std::vector<Image>& images) {
    int status = NO_ERROR;
    for (std::size_t k = 0; k < writers.size(); ++k) {
        const int written = image_type<Image>().write(&writers[k], images[k]);
        if (status == NO_ERROR) status = written;
    }
    return status;
}

// Ends the program with `status` from inside main. The suite frees nothing
// at the end of a run; ending here, while main's records are still live,
// keeps everything they own reachable for the leak checker of the test build.
[[noreturn]] void end_program(int status);

}  // namespace cycle
