// kohonen-tool: unsupervised classification of the pixels of a stack of
// 8-bit images by a self-organising ring map.
// Dialogue: the map's parameters, then input_neurons images to read (ima or
// 8-bit ras, all of one size), then the classification to write (ima or
// ras). Each pixel becomes the grey level of its winning neuron. Another
// pixel type, images of different sizes or an output format that cannot
// hold 8 bits are refused before any output file is created.

#include <climits>
#include <vector>

#include "csom.h"
#include "cycle.hpp"
#include "fail.hpp"

int main(int argc, char** argv) {
    constexpr const char* program = "kohonen-tool";
    param head;
    csom_t map{};
    write_ima_t writer;
    imau1 classes{};

    param_debut(argc, argv, &head);
    param* ptp = csom_lect(&map, &head, ">> carte de Kohonen :");
    std::vector<read_ima_t> readers(map.input_neurons);
    ptp = cycle::read_stack_lect(readers, ptp, ">> image %d/%d (u1):");
    write_ima_lect(&writer, ptp, ">> classification (u1):");
    param_fin(argc, argv, &head);

    cycle::check_writes<imau1>(writer, program);
    const std::vector<imau1> images = cycle::read_stack<imau1>(readers, program);
    if (static_cast<long long>(images[0].nc) * images[0].nr > INT_MAX)
        fw::fail(1, "\n>> ERREUR %s : image de %dx%d, plus de %d pixels\n", program, images[0].nc, images[0].nr,
                 INT_MAX);
    map.samples = images[0].nc * images[0].nr;
    csom_init(&map);
    imau1tocsomvect(map.inputs, images);
    write_ima_init(&writer);
    csom_calc(&map);
    csomvecttoimau1(&map, images[0].nc, images[0].nr, &classes);
    csom_destruct(&map);
    cycle::end_program(write_imau1_ferm(&writer, classes));
}
