// Builders of the suite's files byte by byte (independently of its writers),
// reader and writer descriptors, and quiet calls of the stages.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "cycle.hpp"
#include "proto2D.h"
#include "support.hpp"

namespace testing_support {

// A raster file: the eight header words (length 0), then `rest` (map and rows).
inline std::string raster(int width, int height, int depth, int type, int maptype, int maplength,
                          const std::string& rest, unsigned magic = 0x59a66a95) {
    return be32(magic) + be32(static_cast<unsigned>(width)) + be32(static_cast<unsigned>(height)) +
           be32(static_cast<unsigned>(depth)) + be32(0) + be32(static_cast<unsigned>(type)) +
           be32(static_cast<unsigned>(maptype)) + be32(static_cast<unsigned>(maplength)) + rest;
}

// The header the writer puts before 8- or 24-bit rows (length field set).
inline std::string raster_header(int width, int height, int depth, int length, int type) {
    std::string h = raster(width, height, depth, type, 0, 0, "");
    h.replace(16, 4, be32(static_cast<unsigned>(length)));
    return h;
}

// An 80-byte volume header: 'a' everywhere but the five big-endian fields.
inline std::string volume_header(int dimx, int dimy, int dimz, int bits, int entete = 80) {
    std::string h(static_cast<std::size_t>(entete > 80 ? entete : 80), 'a');
    auto put = [&h](std::size_t at, int value) { h.replace(at, 4, be32(static_cast<unsigned>(value))); };
    put(4, dimx);
    put(8, dimy);
    put(12, dimz);
    put(36, bits);
    put(72, entete);
    return h;
}

// An 8-bit volume file.
inline std::string volume_file(int dimx, int dimy, int dimz, const std::string& samples) {
    return volume_header(dimx, dimy, dimz, 8) + samples;
}

// An LVF file: six host-order integers, then the samples.
inline std::string lvf_file(int dimx, int dimy, int dimz, const std::string& samples, int magic = 128, int entete = 24,
                            int bits = 8) {
    const std::int32_t fields[6] = {magic, entete, dimx, dimy, dimz, bits};
    return std::string(reinterpret_cast<const char*>(fields), sizeof fields) + samples;
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

// The typed reader and closing writer of every 2D record, from the
// pixel-type table.
template <class Image>
int read_init(read_ima_t* d, Image* image) {
    return cycle::image_type<Image>().read(d, image);
}
template <class Image>
int write_ferm(write_ima_t* d, const Image& image) {
    return cycle::image_type<Image>().write(d, image);
}

// Reads "<nom>.<ext>" with the reader of Image, keeping what it printed in
// *printed.
template <class Image>
Image read_image(const std::string& nom, const std::string& ext, std::string* printed = nullptr) {
    read_ima_t d = reader_for(nom, ext);
    Image image{};
    const std::string out = quietly([&] { read_init(&d, &image); });
    if (printed != nullptr) *printed = out;
    return image;
}

// Creates "<nom>.<ext>" (and its size file) and writes `image` into it.
template <class Image>
void write_into(const std::string& nom, const std::string& ext, const Image& image) {
    write_ima_t w = writer_for(nom, ext);
    write_ima_init(&w);
    write_ferm(&w, image);
}

// The same with standard output captured; returns what the writer printed.
template <class Image>
std::string write_image(const std::string& nom, const std::string& ext, const Image& image) {
    return quietly([&] { write_into(nom, ext, image); });
}

// Runs a reading phase on command-line replies (AUTO mode) in a child, as
// a program's dialogue would, then `report` on the descriptor it filled.
template <class Phase, class Report>
Outcome run_phase(const std::vector<std::string>& replies, Phase phase, Report report) {
    return run_captured([&] {
        std::vector<std::string> words = {"prog"};
        words.insert(words.end(), replies.begin(), replies.end());
        Argv args(words);
        param head;
        param_debut(args.argc(), args.argv(), &head);
        report(phase(&head), &head);
    });
}

}  // namespace testing_support
