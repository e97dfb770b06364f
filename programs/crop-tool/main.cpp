// crop-tool: saves a window of an image (8-, 16- or 32-bit, float or
// complex) in a file of the same pixel type, row group by row group through
// the image-saving stage; with a legend, an .origima file records where the
// window lies in the source. The window is given by its first column and
// row (counted from 0) and its size; one that is empty or leaves the image,
// and an output format that cannot hold the source's pixel type, are
// refused before any file is created.

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "cycle.hpp"
#include "fail.hpp"
#include "file_io.hpp"
#include "pixel_traits.hpp"
#include "questions.hpp"
#include "save_ima.h"

namespace {

struct Window {
    int x0, y0, nc, nr;
};

// Saves the window of `in` through save_ima: the files created for its
// size (with the source's colour table for 8-bit images), then rows of
// about a mebibyte per call. Returns the closing phase's result.
template <class Image>
int save_window(const Image& in, const Window& w, save_ima_t* saver, const save_ima_origine_t& origin) {
    using Pixel = fw::pixel_t<Image>;
    if constexpr (std::is_same_v<Image, imau1>) {
        imau1 window = in;
        window.nc = w.nc;
        window.nr = w.nr;
        save_imau1_init(saver, window);
    } else {
        save_ima_init(saver);
    }
    std::vector<Pixel*> rows(static_cast<std::size_t>(w.nr));
    for (int y = 0; y < w.nr; ++y) rows[static_cast<std::size_t>(y)] = in.pixels[w.y0 + y] + w.x0;
    const int group = static_cast<int>(std::max<std::size_t>(1, io::kChunkBytes / (sizeof(Pixel) * static_cast<std::size_t>(w.nc))));
    for (int y = 0; y < w.nr; y += group) save_ima_calc(saver, rows.data() + y, w.nc, std::min(group, w.nr - y));
    return save_ima_ferm(&origin, saver);
}

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* program = "crop-tool";
    param head;
    read_ima_t reader;
    save_ima_t saver;

    param_debut(argc, argv, &head);
    fw::Questions questions(read_ima_lect(&reader, &head, ">> image initiale :"), nullptr, program);
    Window w;
    w.x0 = questions.integer(">> premiere colonne");
    w.y0 = questions.integer(">> premiere ligne");
    w.nc = questions.integer(">> nombre de colonnes");
    w.nr = questions.integer(">> nombre de lignes");
    save_ima_lect(&saver, questions.next(), ">> image extraite :");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    cycle::dispatch<imau1, imau2, imau4, imafl, imacx4, imacx8>(image, program, [&](const auto& in) {
        const long long right = static_cast<long long>(w.x0) + w.nc, bottom = static_cast<long long>(w.y0) + w.nr;
        if (w.x0 < 0 || w.y0 < 0 || w.nc <= 0 || w.nr <= 0 || right > in.nc || bottom > in.nr)
            fw::fail(1, "\n>> ERREUR %s : fenetre de %d x %d en (%d, %d) hors de l'image %s (%d x %d)\n", program, w.nc,
                     w.nr, w.x0, w.y0, in.nom, in.nc, in.nr);
        cycle::check_writable(cycle::AnyImage(in), saver.ext);
        save_ima_origine_t origin{};
        static_assert(sizeof origin.nom == sizeof reader.nom && sizeof origin.ext == sizeof reader.ext);
        std::memcpy(origin.nom, reader.nom, sizeof origin.nom);
        std::memcpy(origin.ext, reader.ext, sizeof origin.ext);
        origin.np = w.x0;
        origin.nl = w.y0;
        origin.largeur = w.nc;
        cycle::end_program(save_window(in, w, &saver, origin));
    });
}
