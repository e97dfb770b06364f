// volume-convert-tool: converts an 8-bit volume between the volume-file
// format (80-byte header; 16-bit files are rescaled to 8 bits) and the LVF
// format. The input's format is recognised from its first bytes; the output
// is LVF when its name ends in ".lvf", a volume file otherwise.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "cycle.hpp"
#include "fail.hpp"
#include "lvf_volume.h"
#include "volume.h"

namespace {

enum class Format { volume, lvf, unknown };

// LVF files begin with the host-order integer 128 (0x80000000 when written
// in the other byte order, which the LVF reader reports); volume files with
// four 'a' bytes.
Format recognise(const std::string& name) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (f == nullptr) fw::fail(1, "\n>> ERREUR volume-convert-tool : fichier %s introuvable\n", name.c_str());
    unsigned char first[4] = {0, 0, 0, 0};
    const std::size_t got = std::fread(first, 1, 4, f);
    std::fclose(f);
    if (got < 4) return Format::unknown;
    std::uint32_t word;
    std::memcpy(&word, first, 4);
    if (word == 128u || word == 0x80000000u) return Format::lvf;
    if (std::memcmp(first, "aaaa", 4) == 0) return Format::volume;
    return Format::unknown;
}

bool ends_with(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    param_debut(argc, argv, &head);
    lec_param(">> volume a convertir : nom complet du fichier", &head);
    const std::string source = head.rep;
    lec_param(">> volume converti : nom complet du fichier", head.suiv);
    const std::string result = head.suiv->rep;
    param_fin(argc, argv, &head);

    ima3Du1 v{};
    switch (recognise(source)) {
        case Format::lvf:
            if (lect_volume_u1(source.c_str(), &v) != 0)
                fw::fail(1, "\n>> ERREUR volume-convert-tool : volume LVF %s illisible\n", source.c_str());
            break;
        case Format::volume:
            std::fclose(lect_ima3Du1(source.c_str(), &v, 0, 0, 0));
            break;
        case Format::unknown:
            fw::fail(1, "\n>> ERREUR volume-convert-tool : %s n'est ni un volume LVF ni un fichier volume\n",
                     source.c_str());
    }
    std::printf("\n>> volume %s : %d x %d x %d\n", source.c_str(), v.dimx, v.dimy, v.dimz);

    int status;
    if (ends_with(result, ".lvf")) {
        v.entete = 24;  // the LVF header length, whatever the source's was
        v.nb_bits = 8;
        status = write_volume_u1(result.c_str(), &v) == 0 ? 0 : 1;
    } else {
        status = ecr_ima3Du1(result.c_str(), &v);
    }
    cycle::end_program(status);
}
