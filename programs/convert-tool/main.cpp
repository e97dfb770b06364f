// convert-tool: a reader-writer chain that converts a 2D image between the
// suite's formats (ima <-> ras for 8-bit images, host-order raw files to
// big-endian ones, 24-bit rasters of either pixel order).

#include "cycle.hpp"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    write_ima_t writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image a convertir :");
    write_ima_lect(&writer, ptp, ">> image convertie :");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    cycle::check_writable(image, writer.ext);
    write_ima_init(&writer);
    cycle::end_program(cycle::write_any(&writer, image));
}
