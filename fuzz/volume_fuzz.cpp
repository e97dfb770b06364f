// volume_fuzz: a volume file (or an LVF file, which the stage readers
// recognise by its first bytes). The first byte chooses the reader: the
// three lect_ima3D* functions (mode from the second byte, first and last
// planes from the third) or the stage's read_vol_entete and read_vol*_init (planes
// likewise); the rest is the file.

#include <cstring>

#include "harness.hpp"
#include "volume.h"
#include "volume_stage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int reader = data[0] % 7, mode = data[1] % 3;
    const int premier = data[2] & 3, dernier = (data[2] >> 2) % 6;
    const std::string path = fuzz::write_file("v.vol", fuzz::as_text(data + 3, size - 3));
    ima3Du1 u1{};
    ima3Ds2 s2{};
    ima3Dd d{};
    read_vol_t stage{};
    std::strncpy(stage.nom, path.c_str(), LONG_NOM - 1);
    stage.premier = premier;
    stage.dernier = dernier;
    bool read_u1 = false, read_s2 = false, read_d = false;
    fuzz::run([&] {
        switch (reader) {
            case 0: lect_ima3Du1(path.c_str(), &u1, mode, premier, dernier); read_u1 = true; break;
            case 1: lect_ima3Ds2(path.c_str(), &s2, mode, premier, dernier); read_s2 = true; break;
            case 2: lect_ima3Dd(path.c_str(), &d, mode, premier, dernier); read_d = true; break;
            case 3: read_vol_entete(&stage, &u1); break;
            case 4: read_volu1_init(&stage, &u1); read_u1 = true; break;
            case 5: read_vols2_init(&stage, &s2); read_s2 = true; break;
            default: read_vold_init(&stage, &d); read_d = true; break;
        }
    });
    if (read_u1) liberer_ima3Du1(&u1);
    if (read_s2) liberer_ima3Ds2(&s2);
    if (read_d) liberer_ima3Dd(&d);
    return 0;
}
