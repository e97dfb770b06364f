// synthetic-image-tool: a test image made of a uniform background and
// rectangles of given values read from an objects file, written as an
// 8-bit, 16-bit, 32-bit or float image according to the output's extension.

#include <cstdio>
#include <cstring>
#include <vector>

#include "cycle.hpp"
#include "fail.hpp"
#include "pixel_traits.hpp"
#include "questions.hpp"
#include "rectangles.hpp"
#include "text_input.hpp"

namespace {

// Allocates the image, draws it and writes it with the closing function of
// its type; ends the program with that function's result.
template <class Image>
[[noreturn]] void draw(write_ima_t* writer, int nc, int nr, float background,
                       const std::vector<cycle::Rectangle>& objects) {
    Image image{};
    image.nc = nc;
    image.nr = nr;
    fw::alloc_image(&image);
    cycle::draw_rectangles(image.pixels, nc, nr, background, objects);
    cycle::end_program(cycle::image_type<Image>().write(writer, image));
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    write_ima_t writer;
    char objects_file[LONG_NOM];

    param_debut(argc, argv, &head);
    fw::Questions sizes(&head, nullptr, "synthetic-image-tool");
    const int nc = sizes.integer(">> Nombre de colonnes de l'image");
    const int nr = sizes.integer(">> Nombre de lignes de l'image");
    param* ptp = write_ima_lect(&writer, sizes.next(), ">> Format : u1 (.ima|.ras), u2 (.imw), u4 (.iml) ou fl (.imf) :");
    fw::Questions rest(ptp, nullptr, "synthetic-image-tool");
    const float background = rest.real_float(">> Valeur du fond");
    fw::copy_text(objects_file, rest.text(">> Nom du fichier decrivant les objets"));
    param_fin(argc, argv, &head);

    // Every refusal comes before the writer creates any file.
    const char* ext = writer.ext;
    const bool u1 = std::strcmp(ext, "ima") == 0 || std::strcmp(ext, "ras") == 0;
    const bool u2 = std::strcmp(ext, "imw") == 0, u4 = std::strcmp(ext, "iml") == 0, fl = std::strcmp(ext, "imf") == 0;
    if (!u1 && !u2 && !u4 && !fl) fw::fail(1, "\n ERREUR : extension %s inconnue (.ima|.ras|.imw|.iml|.imf attendu)\n", ext);
    if (nc <= 0 || nr <= 0)
        fw::fail(1, "\n>> ERREUR synthetic-image-tool : taille %dx%d incorrecte (colonnes et lignes positives)\n", nc, nr);
    const std::vector<cycle::Rectangle> objects = cycle::read_rectangles(objects_file);
    std::printf("\n>> L'image contiendra un fond a %f et %d objets : \n", static_cast<double>(background),
                static_cast<int>(objects.size()));
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const cycle::Rectangle& r = objects[k];
        std::printf("objet %d :\t x0=%d,\t y0=%d,\t x1=%d,\t y1=%d,\t val=%f\n", static_cast<int>(k + 1), r.x0, r.y0,
                    r.x1, r.y1, static_cast<double>(r.value));
    }

    write_ima_init(&writer);
    if (u1) draw<imau1>(&writer, nc, nr, background, objects);
    if (u2) draw<imau2>(&writer, nc, nr, background, objects);
    if (u4) draw<imau4>(&writer, nc, nr, background, objects);
    draw<imafl>(&writer, nc, nr, background, objects);
}
