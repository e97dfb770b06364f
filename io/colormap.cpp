// The colour-map stage: a colour table read from a text file is attached
// to an 8-bit image. A missing or short file is only a warning: the image
// then goes on without a colour table.

#include "colormap.h"

#include <cstdio>
#include <cstdlib>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "text_input.hpp"

namespace {

void release(add_colormap_t* desc) {
    std::free(desc->lutr);
    std::free(desc->lutv);
    std::free(desc->lutb);
    desc->lutr = desc->lutv = desc->lutb = nullptr;
}

}  // namespace

extern "C" {

param* add_colormap_lect(add_colormap_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "add_colormap_lect");
    questions.text("Nom du fichier contenant la colormap");
    desc->fichier = ptp->rep;  // the record the question was asked on
    desc->lutr = desc->lutv = desc->lutb = nullptr;
    return questions.next();
}

int add_colormap_init(add_colormap_t* desc) {
    desc->lutr = desc->lutv = desc->lutb = nullptr;
    std::FILE* f = std::fopen(desc->fichier, "r");
    if (f == nullptr) {
        std::printf("add_colormap_init: ATTENTION, impossible d'ouvrir le fichier %s\n", desc->fichier);
        return NO_ERROR;
    }
    desc->lutr = static_cast<unsigned char*>(std::malloc(256));
    desc->lutv = static_cast<unsigned char*>(std::malloc(256));
    desc->lutb = static_cast<unsigned char*>(std::malloc(256));
    if (desc->lutr == nullptr || desc->lutv == nullptr || desc->lutb == nullptr)
        fw::fail(1, "add_colormap_init: ERREUR allocation impossible\n");

    // Every one of the 768 values is read, even after one has failed.
    fw::IntScanner scan(f);
    bool complete = true;
    for (unsigned char* table : {desc->lutr, desc->lutv, desc->lutb})
        for (int i = 0; i < 256; ++i) {
            const auto value = scan.next();
            if (value) table[i] = static_cast<unsigned char>(static_cast<unsigned long long>(*value) & 0xffu);
            else complete = false;
        }
    std::fclose(f);
    if (complete) {
        std::printf("add_colormap_init: LUT %s chargee\n", desc->fichier);
    } else {
        std::printf("add_colormap_init: ATTENTION colormap %s incomplete, LUT ignoree\n", desc->fichier);
        release(desc);
    }
    return NO_ERROR;
}

int add_colormap_calc(add_colormap_t* desc, imau1* ima) {
    const bool has_tables = ima->lutr != nullptr && ima->lutv != nullptr && ima->lutb != nullptr;
    // Tables already attached by this stage are kept, not released: the
    // image would otherwise be given freed tables.
    if (has_tables && ima->lutr != desc->lutr) free_lut_u1(ima);
    ima->lutr = desc->lutr;
    ima->lutv = desc->lutv;
    ima->lutb = desc->lutb;
    return NO_ERROR;
}

}  // extern "C"
