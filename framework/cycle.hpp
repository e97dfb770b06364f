// cycle.hpp: helpers for the mains of programs that accept several pixel
// types. A program reads whatever image its input holds into an AnyImage,
// checks right after the dialogue that its output format can hold that
// pixel type, and writes it with the matching closing function.
#pragma once

#include <variant>

#include "proto2D.h"

namespace cycle {

// The 2D records that the reader stage can fill.
using AnyImage = std::variant<imau1, imau2, imau4, imafl, imacx4, imacx8, imarvb>;

// Reads the file named by the reader descriptor with the typed reader of its
// extension: ima -> imau1, imw/IMW -> imau2, iml/IML -> imau4, imf/IMF ->
// imafl, cxs/CXS -> imacx4, cxf/CXF -> imacx8; for ras the depth in the
// header chooses imau1 (8 bits) or imarvb (24 bits). Other spellings of a
// raw extension reach their typed reader, which refuses them; an unknown
// extension ends the process with status 1.
AnyImage read_any(read_ima_t* desc);

// Short name of the pixel type ("u1", "u2", "u4", "fl", "cx4", "cx8", "rvb").
const char* type_name(const AnyImage& image);

// Ends the process with status 1 when `ext` is a format of the writer stage
// that cannot hold the image's pixel type (ima and ras hold u1, ras also
// rvb, imw u2, iml u4, imf fl, cxs cx4, cxf cx8). Extensions the writer does
// not know are left to write_ima_init, which refuses them. Call it before
// write_ima_init, so that no output file is created for a refused run.
void check_writable(const char* type, const char* ext);
inline void check_writable(const AnyImage& image, const char* ext) { check_writable(type_name(image), ext); }

// Writes the image with the closing function of its pixel type and returns
// that function's result.
int write_any(write_ima_t* desc, const AnyImage& image);

// Ends the program with `status` from inside main. The suite frees nothing
// at the end of a run; ending here, while main's records are still live,
// keeps everything they own reachable for the leak checker of the test build.
[[noreturn]] void end_program(int status);

}  // namespace cycle
