// Builders of image files byte by byte, and quiet calls of the stages, for
// the reader and writer tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "proto2D.h"
#include "support.hpp"

namespace image_files {

using testing_support::be32;

// A raster file: the eight header words, then `rest` (map and rows).
inline std::string raster(int width, int height, int depth, int type, int maptype, int maplength,
                          const std::string& rest, unsigned magic = 0x59a66a95) {
    return be32(magic) + be32(static_cast<unsigned>(width)) + be32(static_cast<unsigned>(height)) +
           be32(static_cast<unsigned>(depth)) + be32(0) + be32(static_cast<unsigned>(type)) +
           be32(static_cast<unsigned>(maptype)) + be32(static_cast<unsigned>(maplength)) + rest;
}

inline read_ima_t reader_for(const std::string& nom, const std::string& ext) {
    read_ima_t d{};
    std::snprintf(d.nom, sizeof d.nom, "%s", nom.c_str());
    std::snprintf(d.ext, sizeof d.ext, "%s", ext.c_str());
    return d;
}

inline write_ima_t writer_for(const std::string& nom, const std::string& ext) {
    write_ima_t d{};
    std::snprintf(d.nom, sizeof d.nom, "%s", nom.c_str());
    std::snprintf(d.ext, sizeof d.ext, "%s", ext.c_str());
    d.fd = -1;
    return d;
}

// Calls a stage function with standard output captured; returns what it
// printed.
template <class F>
std::string quietly(F&& f) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

}  // namespace image_files
