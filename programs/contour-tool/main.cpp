// contour-tool: oriented contours of a 16-bit image: the strength of every
// pixel as a float image, its direction code as an 8-bit image.

#include "contourRSO.h"
#include "cycle.hpp"

int main(int argc, char** argv) {
    param head;
    read_ima_t reader;
    contourRSO_t contours{};
    write_ima_t strength_writer;
    write_ima_t direction_writer;

    param_debut(argc, argv, &head);
    param* ptp = read_ima_lect(&reader, &head, ">> image initiale (u2):");
    ptp = contourRSO_lect(&contours, ptp, ">> contours :");
    ptp = write_ima_lect(&strength_writer, ptp, ">> force des contours (fl):");
    write_ima_lect(&direction_writer, ptp, ">> direction des contours (u1):");
    param_fin(argc, argv, &head);

    const cycle::AnyImage image = cycle::read_any(&reader);
    // The program ends inside the call, while the records it made are live.
    cycle::dispatch<imau2>(image, "contour-tool", [&](const imau2& in) {
        cycle::check_writes<imafl>(strength_writer, "contour-tool");
        cycle::check_writes<imau1>(direction_writer, "contour-tool");
        imafl strength{};
        imau1 direction{};
        contourRSOu2_init(&contours, in, &strength, &direction);
        write_ima_init(&strength_writer);
        write_ima_init(&direction_writer);
        contourRSOu2_calc(&contours, in, &strength, &direction);
        const int written = write_imafl_ferm(&strength_writer, strength);
        const int direction_written = write_imau1_ferm(&direction_writer, direction);
        cycle::end_program(written != NO_ERROR ? written : direction_written);
    });
}
