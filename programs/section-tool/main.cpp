// section-tool: cuts one section (XY, XZ or YZ) out of an 8-bit volume and
// writes it as an 8-bit image, normally a raster file. 16-bit volume files
// are rescaled to 8 bits on reading; LVF volumes are read as well.

#include <cstdio>

#include "cycle.hpp"
#include "fail.hpp"
#include "questions.hpp"
#include "volume.h"
#include "volume_stage.h"

namespace {

enum Orientation { XY = 1, XZ = 2, YZ = 3 };

// The size along the axis a section index runs on: planes for XY, traces
// for XZ, samples for YZ.
int section_count(const ima3Du1& header, int orientation) {
    return orientation == XY ? header.dimz : orientation == XZ ? header.dimy : header.dimx;
}

// Rows run along the first listed axis, columns along the second: each
// trace becomes a column of an XY section, each plane a column of an XZ or
// YZ section.
imau1 cut_section(const ima3Du1& v, int orientation, int n) {
    imau1 image{};
    image.nr = orientation == YZ ? v.dimy : v.dimx;
    image.nc = orientation == XY ? v.dimy : v.dimz;
    alloc_imau1(&image);
    for (int i = 0; i < image.nr; ++i) {
        unsigned char* row = image.pixels[i];
        for (int j = 0; j < image.nc; ++j) {
            if (orientation == XY) row[j] = v.data[0][j][i];  // the one plane read
            else if (orientation == XZ) row[j] = v.data[j][n][i];
            else row[j] = v.data[j][i][n];
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    fw::Questions questions(read_vol_lect(&reader, &head, "fichier volume xt:"), nullptr, "section-tool");
    const int orientation = questions.integer("Orientation [1=XY,2=XZ,3=YZ]:");
    const int n = questions.integer("Numero de la section [0..dim-1]:");
    write_ima_lect(&writer, questions.next(), "Fichier rasterfile:");
    param_fin(argc, argv, &head);

    // Everything is checked before the volume is read and before any output
    // file exists; the header's sizes are positive once read.
    if (orientation != XY && orientation != XZ && orientation != YZ)
        fw::fail(1, "\n>> ERREUR section-tool : orientation %d inconnue (1=XY, 2=XZ, 3=YZ)\n", orientation);
    ima3Du1 header{};
    read_vol_entete(&reader, &header);
    const int count = section_count(header, orientation);
    if (n < 0 || n >= count)
        fw::fail(1, "\n>> ERREUR section-tool : section %d hors du volume (0..%d)\n", n, count - 1);
    cycle::check_writable(cycle::image_type<imau1>().name, writer.ext);

    ima3Du1 v{};
    if (orientation == XY) {
        std::printf("XY\n");
        reader.premier = reader.dernier = n + 1;
    }
    read_volu1_init(&reader, &v);
    const imau1 section = cut_section(v, orientation, n);

    write_ima_init(&writer);
    const int status = write_imau1_ferm(&writer, section);
    liberer_ima3Du1(&v);
    cycle::end_program(status);
}
