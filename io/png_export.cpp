// png_export.cpp: the PNG writer, through libpng's simplified interface
// (no setjmp error handling to thread through C++ frames).

#include "png_export.h"

#include <png.h>

#include <cstdio>

#include "fail.hpp"

extern "C" int write_png(const char* nom, const unsigned char* pixels, int nc, int nr, int channels) {
    if (nc <= 0 || nr <= 0 || (channels != 1 && channels != 3))
        fw::fail(1, "\n>> ERREUR write_png : image %d x %d a %d canaux non ecrite\n", nc, nr, channels);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(nc);
    image.height = static_cast<png_uint_32>(nr);
    image.format = channels == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
    const png_int_32 stride = static_cast<png_int_32>(nc) * channels;
    if (png_image_write_to_file(&image, nom, 0, pixels, stride, nullptr) == 0) {
        // The message lives in the record that png_image_free releases.
        char reason[sizeof image.message];
        std::snprintf(reason, sizeof reason, "%s", image.message);
        png_image_free(&image);
        std::remove(nom);
        fw::fail(1, "\n>> ERREUR write_png : ecriture de %s impossible (%s)\n", nom, reason);
    }
    return 0;
}
