// chamfer-tool: chamfer distance map of a binary 8-bit image. Every
// non-zero pixel receives its distance, in pixels, to the nearest zero
// pixel; the result is a float image (imf).

#include "chanfrein_imafl.h"
#include "cycle.hpp"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    write_ima_t writer;
    imafl map{};

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image binaire (u1):");
    write_ima_lect(&writer, ptp, ">> carte de distance (fl):");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    const int status = cycle::dispatch<imau1>(image, "chamfer-tool", [&](const imau1& in) {
        cycle::check_writable(cycle::image_type<imafl>().name, writer.ext);
        chanfrein_imafl_init(in, &map);
        write_ima_init(&writer);
        chanfrein_imafl_calc(in, &map);
        return write_imafl_ferm(&writer, map);
    });
    cycle::end_program(status);
}
