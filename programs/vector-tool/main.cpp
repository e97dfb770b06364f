// vector-tool: a 16-bit volume filtered along a field of 3D vectors, or
// with the field drawn into it. The operator reads and writes its files
// itself, by the names asked in its dialogue.

#include "cycle.hpp"
#include "vector.h"

int main(int argc, char** argv) {
    param head;
    vector_t field{};

    param_debut(argc, argv, &head);
    vector_lect(&field, &head, ">> champ de vecteurs :");
    param_fin(argc, argv, &head);

    vector_init(&field);
    cycle::end_program(vector_calc(&field));
}
