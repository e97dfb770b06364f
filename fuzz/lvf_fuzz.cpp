// lvf_fuzz: an LVF file. The first byte chooses the reader: lect_volume_u1,
// lecture_entete_lvf, or the sliding window (lect_volume_u1_sequence_first
// with the width of the second byte, then lect_volume_u1_sequence_next to
// the end of the file); the rest is the file.

#include <cstdio>

#include "harness.hpp"
#include "lvf_volume.h"
#include "volume.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int reader = data[0] % 3, width = static_cast<signed char>(data[1]);
    const std::string path = fuzz::write_file("v.lvf", fuzz::as_text(data + 2, size - 2));
    ima3Du1 v{};
    fuzz::run([&] {
        if (reader == 0) {
            if (lect_volume_u1(path.c_str(), &v) == 0) liberer_ima3Du1(&v);
        } else if (reader == 1) {
            if (lecture_entete_lvf(path.c_str(), &v) == 0) std::fclose(v.fichier);
        } else if (lect_volume_u1_sequence_first(path.c_str(), &v, width) >= 0) {
            while (lect_volume_u1_sequence_next(&v) >= 0) {
            }
            std::fclose(v.fichier);
            liberer_ima3Du1_sequence(&v);
        }
    });
    return 0;
}
