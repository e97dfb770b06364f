#include "cycle.hpp"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fail.hpp"
#include "file_io.hpp"
#include "raster.hpp"

namespace cycle {

namespace {

// Whether a row's reader takes the extension: one of its own, or, for the
// raw formats with a host-order variant (one extension each), any spelling
// of it (the typed reader then refuses the spellings it does not know).
template <class Row>
bool reads(const Row& row, const char* ext) {
    if (row.read == nullptr) return false;
    if (lists(row.extensions, ext)) return true;
    return row.host_order && ::strcasecmp(row.extensions, ext) == 0;
}

}  // namespace

const char* type_name(const AnyImage& image) {
    return std::visit([](const auto& in) { return image_type<std::decay_t<decltype(in)>>().name; }, image);
}

AnyImage read_any(read_ima_t* desc) {
    AnyImage image;
    read_any_into(desc, image);
    return image;
}

void read_any_into(read_ima_t* desc, AnyImage& image) {
    // Several types may read an extension (ras: 8 and 24 bits); the depth
    // in the file's header then chooses, and the first of them reads (and
    // reports) a file of another depth.
    int candidates = 0;
    for_each_type([&](const auto& row) { candidates += reads(row, desc->ext) ? 1 : 0; });
    const int depth = candidates > 1 ? io::raster_file_depth(io::join_name(desc->nom, desc->ext)) : 0;

    bool read = false, depth_found = false;
    for_each_type([&](const auto& row) { depth_found = depth_found || (reads(row, desc->ext) && row.raster_depth == depth); });
    for_each_type([&](const auto& row) {
        if (read || !reads(row, desc->ext) || (depth_found && row.raster_depth != depth)) return;
        using Image = typename std::decay_t<decltype(row)>::image;
        read = true;
        row.read(desc, &image.template emplace<Image>());
    });
    if (!read)
        fw::fail(1, "\n>> ERREUR lecture : extension %s inconnue (.ima/.ras/.imw/.iml/.imf/.cxs/.cxf)\n", desc->ext);
}

void check_writable(const char* type, const char* ext) {
    bool known = false, holds = false;
    for_each_type([&](const auto& row) {
        if (!lists(row.extensions, ext)) return;
        known = true;
        holds = holds || std::string_view(row.name) == type;
    });
    if (known && !holds)
        fw::fail(1, "\n>> ERREUR ecriture : une image %s ne peut pas etre ecrite au format .%s\n", type, ext);
}

int write_any(write_ima_t* desc, const AnyImage& image) {
    return std::visit(
        [&](const auto& in) {
            const auto& row = image_type<std::decay_t<decltype(in)>>();
            if (row.write == nullptr)
                fw::fail(1, "\n>> ERREUR ecriture : aucun format d'image ne contient le type %s\n", row.name);
            return row.write(desc, in);
        },
        image);
}

void refuse_type(const char* who, const char* type, std::initializer_list<const char*> accepted) {
    std::string list;
    for (const char* name : accepted) list += (list.empty() ? "" : ", ") + std::string(name);
    fw::fail(1, "\n>> ERREUR %s : type d'image %s non traite (types acceptes : %s)\n", who, type, list.c_str());
}

std::string numbered(const char* format, int i, int n) {
    char text[LONG_NOM];
    std::snprintf(text, sizeof text, format, i, n);
    return text;
}

param* read_stack_lect(std::vector<read_ima_t>& readers, param* ptp, const char* format) {
    const int n = static_cast<int>(readers.size());
    for (int i = 0; i < n; ++i) ptp = read_ima_lect(&readers[static_cast<std::size_t>(i)], ptp, numbered(format, i + 1, n).c_str());
    return ptp;
}

param* write_stack_lect(std::vector<write_ima_t>& writers, param* ptp, const char* format) {
    const int n = static_cast<int>(writers.size());
    for (int i = 0; i < n; ++i) ptp = write_ima_lect(&writers[static_cast<std::size_t>(i)], ptp, numbered(format, i + 1, n).c_str());
    return ptp;
}

void check_writes(const char* type, const char* formats, const write_ima_t& writer, const char* who) {
    check_writable(type, writer.ext);
    if (!lists(formats, writer.ext))
        fw::fail(1, "\n>> ERREUR %s : %s.%s : extension %s inconnue (formats des images %s : %s)\n", who, writer.nom,
                 writer.ext, writer.ext, type, formats);
}

void end_program(int status) {
    std::fflush(nullptr);
    fw::quit(status);
}

}  // namespace cycle
