// median3d-tool: 3D median filter of an 8-bit volume.
// Dialogue: the three window sizes, the source volume, the result volume.
// Window sizes must be positive and odd; a window longer than the volume
// along an axis is cut to the largest odd size that fits. The source may be
// a volume file or an LVF file; the result is an LVF file when its name ends
// in ".lvf", a volume file otherwise.

#include <cstdio>

#include "cycle.hpp"
#include "fail.hpp"
#include "median3d.h"
#include "volume_stage.h"

namespace {

bool positive_odd(int size) { return size > 0 && size % 2 == 1; }

// The largest odd size that is at most `size` and at most `dim` (dim >= 1).
int fit(int size, int dim) { return size <= dim ? size : (dim % 2 == 1 ? dim : dim - 1); }

}  // namespace

int main(int argc, char** argv) {
    param head;
    median3d_t window;
    read_vol_t reader;
    write_vol_t writer;
    ima3Du1 source{};
    ima3Du1 result{};

    param_debut(argc, argv, &head);
    param* ptp = median3d_lect(&window, &head, ">>median3d question :");
    ptp = read_vol_lect(&reader, ptp, ">>entrer le chemin et le nom de l'image a traiter");
    write_vol_lect(&writer, ptp, ">>entrer le chemin et le nom de l'image resulat");
    param_fin(argc, argv, &head);

    if (!positive_odd(window.winX) || !positive_odd(window.winY) || !positive_odd(window.winZ))
        fw::fail(1, "\n>> ERREUR median3d : fenetre %dx%dx%d refusee, winX, winY et winZ doivent etre des entiers impairs positifs\n",
                 window.winX, window.winY, window.winZ);
    write_vol_init(&writer, 8);

    std::printf("\n fichier source %s", reader.nom);
    std::printf("\n fichier dest %s\n", writer.nom);
    read_volu1_init(&reader, &source);
    std::printf(" format de l'image source %d %d %d\n", source.dimx, source.dimy, source.dimz);

    median3d_init(&result, source);
    window.winX = fit(window.winX, source.dimx);
    window.winY = fit(window.winY, source.dimy);
    window.winZ = fit(window.winZ, source.dimz);
    median3d_calc(&window, &result, source);
    std::printf("\n fin calcul avec le  masque %dx%dx%d, nomfichierRes: %s\n", window.winX, window.winY, window.winZ,
                writer.nom);

    cycle::end_program(write_volu1_ferm(&writer, &result));
}
