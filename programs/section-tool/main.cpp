// section-tool: cuts one section (XY, XZ or YZ) out of an 8-bit volume file
// and writes it as an 8-bit image, normally a raster file. 16-bit volumes
// are rescaled to 8 bits on reading.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cycle.hpp"
#include "fail.hpp"
#include "text_input.hpp"
#include "volume.h"

namespace {

enum Orientation { XY = 1, XZ = 2, YZ = 3 };

// Asks one of main's own questions and moves to the next record.
std::string ask(const char* question, param*& ptp) {
    lec_param(question, ptp);
    std::string reply = ptp->rep;
    ptp = ptp->suiv;
    return reply;
}

// The size along the axis a section index runs on: planes for XY, traces
// for XZ, samples for YZ. Read from the header, so that a wrong index is
// refused before the volume is read and before any output file exists.
int section_count(const std::string& volume, int orientation) {
    std::FILE* f = std::fopen(volume.c_str(), "rb");
    if (f == nullptr) fw::fail(1, "Can't open file %s\n", volume.c_str());
    int size = 0;
    if (orientation == XY) lire_nb_plan(f, &size);
    else if (orientation == XZ) lire_nb_trace(f, &size);
    else lire_longueur_trace(f, &size);
    std::fclose(f);
    return size;
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
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = &head;
    const std::string volume = ask("fichier volume xt:", ptp);
    const int orientation = std::atoi(ask("Orientation [1=XY,2=XZ,3=YZ]:", ptp).c_str());
    const int n = std::atoi(ask("Numero de la section [0..dim-1]:", ptp).c_str());
    write_ima_lect(&writer, ptp, "Fichier rasterfile:");
    param_fin(argc, argv, &head);

    if (orientation != XY && orientation != XZ && orientation != YZ)
        fw::fail(1, "\n>> ERREUR section-tool : orientation %d inconnue (1=XY, 2=XZ, 3=YZ)\n", orientation);
    const int count = section_count(volume, orientation);
    if (n < 0 || n >= count)
        fw::fail(1, "\n>> ERREUR section-tool : section %d hors du volume (0..%d)\n", n, count - 1);
    cycle::check_writable("u1", writer.ext);

    ima3Du1 v{};
    if (orientation == XY) std::printf("XY\n");
    std::FILE* f = orientation == XY ? lect_ima3Du1(volume.c_str(), &v, 1, n + 1, 0) : lect_ima3Du1(volume.c_str(), &v, 0, 0, 0);
    std::fclose(f);
    const imau1 section = cut_section(v, orientation, n);

    write_ima_init(&writer);
    const int status = write_imau1_ferm(&writer, section);
    liberer_ima3Du1(&v);
    cycle::end_program(status);
}
