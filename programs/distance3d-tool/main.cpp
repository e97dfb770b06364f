// distance3d-tool: 3D chamfer distance map of a binary 8-bit volume (volume
// file or LVF). Its zero voxels are the sources; every other voxel receives
// its distance to the nearest source in mask units (65 for one step along
// an axis), written as a 64-bit volume file; voxels the scans never reach
// (no source within the scanned interior's reach, or the unscanned faces)
// are written as -1.

#include <algorithm>
#include <climits>

#include "carte_distance3d.h"
#include "cycle.hpp"
#include "fail.hpp"
#include "volume.h"
#include "volume_stage.h"

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    carte_distance3d_t distance;
    write_vol_t writer;
    ima3Du1 binary{};
    ima3Du4 map{};
    ima3Dd result{};

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume binaire : nom complet du fichier volume a lire");
    ptp = carte_distance3d_lect(&distance, ptp);
    write_vol_lect(&writer, ptp, ">> carte de distance : nom complet du fichier volume a ecrire");
    param_fin(argc, argv, &head);

    // Only 8-bit volumes: a 16-bit file read into 8 bits would be rescaled,
    // and its zero voxels would no longer be 0.
    write_vol_init(&writer, 64);
    ima3Du1 header{};
    read_vol_entete(&reader, &header);
    if (header.nb_bits != 8)
        fw::fail(1, "\n>> ERREUR distance3d-tool : volume %s de %d bits par voxel refuse (volume binaire de 8 bits)\n",
                 reader.nom, header.nb_bits);
    read_volu1_init(&reader, &binary);

    carte_distance3d_init(&distance);
    // The voxels that are not sources start at the largest value to which
    // the largest weight of the mask can be added without wrapping.
    int largest_weight = 0;
    for (const auto& plane : distance.mask_av)
        for (const auto& row : plane)
            for (int w : row) largest_weight = std::max(largest_weight, w);
    const unsigned far = UINT_MAX - static_cast<unsigned>(largest_weight);

    map.dimx = binary.dimx;
    map.dimy = binary.dimy;
    map.dimz = binary.dimz;
    allouer_ima3Du4(&map);
    for (int z = 0; z < map.dimz; ++z)
        for (int y = 0; y < map.dimy; ++y) {
            const unsigned char* in = binary.data[z][y];
            unsigned* out = map.data[z][y];
            for (int x = 0; x < map.dimx; ++x) out[x] = in[x] != 0 ? far : 0u;
        }
    liberer_ima3Du1(&binary);

    carte_distance3d_calc(&distance, &map);

    result.dimx = map.dimx;
    result.dimy = map.dimy;
    result.dimz = map.dimz;
    result.entete = 80;
    result.nb_bits = 64;
    allouer_ima3Dd(&result);
    for (int z = 0; z < map.dimz; ++z)
        for (int y = 0; y < map.dimy; ++y) {
            const unsigned* in = map.data[z][y];
            double* out = result.data[z][y];
            for (int x = 0; x < map.dimx; ++x) out[x] = in[x] == far ? -1.0 : static_cast<double>(in[x]);
        }
    liberer_ima3Du4(&map);

    cycle::end_program(write_vold_ferm(&writer, &result));
}
