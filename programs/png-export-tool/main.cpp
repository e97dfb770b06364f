// png-export-tool: writes any image the suite reads, or the middle plane of
// a volume, as a PNG picture for ordinary viewers (8-bit images in grey or
// through their colour table, 24-bit images in colour, the other types
// scaled from their range onto 0 ... 255).

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "cycle.hpp"
#include "fail.hpp"
#include "file_io.hpp"
#include "picture.hpp"
#include "png_export.h"
#include "questions.hpp"
#include "text_input.hpp"
#include "volume_stage.h"

namespace {

// Volumes are named by these extensions; every other name is read as an image.
bool names_volume(const char* ext) {
    for (const char* volume : {"vol", "VOL", "lvf", "LVF"})
        if (std::strcmp(ext, volume) == 0) return true;
    return false;
}

bool ends_with_png(const std::string& name) { return name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0; }

}  // namespace

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;

    param_debut(argc, argv, &head);
    fw::Questions questions(read_ima_lect(&reader, &head, ">> image a exporter :"), nullptr, "png-export-tool");
    const std::string output = questions.file_name(">> image png : nom complet du fichier png a ecrire");
    param_fin(argc, argv, &head);

    // Nothing is created before the input is read and converted.
    if (!ends_with_png(output))
        fw::fail(1, "\n>> ERREUR png-export-tool : %s : le nom du fichier png doit finir par .png\n", output.c_str());
    cycle::AnyImage image;  // kept to the end, as every record of a run
    cycle::Picture picture;
    try {
        if (names_volume(reader.ext)) {
            read_vol_t volume{};
            fw::copy_text(volume.nom, io::join_name(reader.nom, reader.ext));
            picture = cycle::middle_section(&volume, "png-export-tool");
        } else {
            image = cycle::read_any(&reader);
            picture = cycle::picture_of(image);
        }
    } catch (const std::bad_alloc&) {
        fw::fail(1, "\n>> ERREUR png-export-tool : allocation impossible\n");
    }
    const int status = write_png(output.c_str(), picture.pixels.data(), picture.nc, picture.nr, picture.channels);
    std::printf("\n>> png-export-tool : image png ecrite %s, dimX=%d, dimY=%d, %s\n", output.c_str(), picture.nc,
                picture.nr, picture.channels == 1 ? "niveaux de gris" : "couleur");
    cycle::end_program(status);
}
