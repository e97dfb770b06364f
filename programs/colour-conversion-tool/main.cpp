// colour-conversion-tool: converts a 24-bit colour raster between RGB and
// TLS, HSV, L*a*b* or L*u*v*. The conversion is asked first, since it
// decides the rest of the dialogue: RGB -> TLS and TLS -> RGB read and
// write a colour raster; RGB -> HSV, Lab and Luv write the three components
// as float images; HSV -> RGB reads three float images and writes a colour
// raster. The component files hold images the right way up: the
// operator's half-turned planes are turned back when written and forth
// when read. Every output format, and the sizes of the three components
// read, are checked before any output file is created.

#include <cstdio>
#include <string>
#include <vector>

#include "conv_img.h"
#include "cycle.hpp"
#include "fail.hpp"

namespace {

constexpr const char* kProgram = "colour-conversion-tool";
constexpr const char* kComponent = ">> composante %d/%d (fl):";

// A double as a float, saturating to an infinity beyond the float range
// (a shift may carry a component that far).
inline float narrowed(double x) {
    constexpr double kMax = 3.4028234663852886e38;
    return x > kMax ? __builtin_inff() : x < -kMax ? -__builtin_inff() : static_cast<float>(x);
}

// The three planes of a conversion to doubles, turned back, written one
// after the other through one float image.
int write_components(const conv_img_t& conversion, std::vector<write_ima_t>& writers) {
    imafl image{};
    image.nc = conversion.nc;
    image.nr = conversion.nr;
    alloc_imafl(&image);
    const std::size_t n = static_cast<std::size_t>(image.nc) * static_cast<std::size_t>(image.nr);
    double** planes[3] = {conversion.comp1, conversion.comp2, conversion.comp3};
    int status = NO_ERROR;
    for (std::size_t k = 0; k < 3; ++k) {
        const double* last = planes[k][0] + (n - 1);
        float* out = image.pixels[0];
        for (std::size_t p = 0; p < n; ++p) out[p] = narrowed(last[-static_cast<std::ptrdiff_t>(p)]);
        const int written = write_imafl_ferm(&writers[k], image);
        if (status == NO_ERROR) status = written;
    }
    free_imafl(&image);
    return status;
}

// The three component images of an HSV -> RGB conversion, which must have
// one size.
std::vector<imafl> read_components(std::vector<read_ima_t>& readers) {
    std::vector<imafl> planes = cycle::read_stack<imafl>(readers, kProgram);
    for (std::size_t k = 1; k < planes.size(); ++k)
        if (planes[k].nc != planes[0].nc || planes[k].nr != planes[0].nr)
            fw::fail(1, "\n>> ERREUR %s : tailles differentes : composante %zu/3 (%s) %dx%d, composante 1/3 (%s) %dx%d\n",
                     kProgram, k + 1, planes[k].nom, planes[k].nc, planes[k].nr, planes[0].nom, planes[0].nc,
                     planes[0].nr);
    return planes;
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    conv_img_t conversion;
    read_ima_t reader;
    std::vector<read_ima_t> component_readers(3);
    write_ima_t writer;
    std::vector<write_ima_t> component_writers(3);

    param_debut(argc, argv, &head);
    param* ptp = conv_img_lect(&conversion, &head, ">> conversion couleur :");
    const int type = conversion.type;
    const bool from_components = type == 4;
    const bool to_colour = type == 1 || type == 2 || type == 4;
    if (from_components) ptp = cycle::read_stack_lect(component_readers, ptp, kComponent);
    else ptp = read_ima_lect(&reader, ptp, ">> image couleur (rvb):");
    if (to_colour) write_ima_lect(&writer, ptp, ">> image resultat (rvb):");
    else cycle::write_stack_lect(component_writers, ptp, kComponent);
    param_fin(argc, argv, &head);

    if (to_colour) cycle::check_writes<imarvb>(writer, kProgram);
    else
        for (const write_ima_t& w : component_writers) cycle::check_writes<imafl>(w, kProgram);

    imarvb in{}, out{};
    std::vector<imafl> components;
    if (from_components) {
        components = read_components(component_readers);
        in.nc = components[0].nc;
        in.nr = components[0].nr;
        std::snprintf(in.nom, sizeof in.nom, "%s", components[0].nom);
    } else {
        in = cycle::dispatch<imarvb>(cycle::read_any(&reader), kProgram, [](const imarvb& image) { return image; });
    }
    conv_img_init(&conversion, &out, in);
    if (from_components) {
        // The files hold the components the right way up; the planes hold
        // them half-turned.
        const std::size_t n = static_cast<std::size_t>(in.nc) * static_cast<std::size_t>(in.nr);
        double** planes[3] = {conversion.comp1, conversion.comp2, conversion.comp3};
        for (std::size_t k = 0; k < 3; ++k) {
            const float* values = components[k].pixels[0];
            double* last = planes[k][0] + (n - 1);
            for (std::size_t p = 0; p < n; ++p) last[-static_cast<std::ptrdiff_t>(p)] = values[p];
            free_imafl(&components[k]);
        }
    }
    if (to_colour) write_ima_init(&writer);
    else
        for (write_ima_t& w : component_writers) write_ima_init(&w);
    conv_img_calc(&conversion, &out, in);
    cycle::end_program(to_colour ? write_imarvb_ferm(&writer, out) : write_components(conversion, component_writers));
}
