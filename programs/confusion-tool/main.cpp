// confusion-tool: compares a classified 8-bit volume with a ground truth (a
// 2D image compared with one plane, or a volume) and prints the confusion
// matrix of classes 0 ... N (rows: the ground truth's classes, columns: the
// evaluated ones), each class's share of correctly classified voxels and
// the overall accuracy. The files are read during the dialogue; a ground
// truth that is neither an image (0) nor a volume (1) is refused after it.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "confusion_matrix.h"
#include "cycle.hpp"
#include "fail.hpp"

namespace {

// The matrix of n x n counts, a percentage per row ("-" for an empty row)
// and the overall accuracy ("-" when no pair was counted).
void print_matrix(const std::vector<int*>& rows, int n) {
    int largest = 0;
    for (int t = 0; t < n; ++t) largest = std::max(largest, *std::max_element(rows[t], rows[t] + n));
    const int width = std::max(6, static_cast<int>(std::to_string(largest).size()) + 2);

    std::printf("\nMatrice de confusion (lignes : classes de la verite terrain, colonnes : classes evaluees)\n");
    std::printf("classe");
    for (int e = 0; e < n; ++e) std::printf("%*d", width, e);
    std::printf("   correct\n");
    long long diagonal = 0, counted = 0;
    for (int t = 0; t < n; ++t) {
        long long in_row = 0;
        std::printf("%6d", t);
        for (int e = 0; e < n; ++e) {
            std::printf("%*d", width, rows[t][e]);
            in_row += rows[t][e];
        }
        if (in_row == 0)
            std::printf("%10s\n", "-");
        else
            std::printf("%9.2f%%\n", 100.0 * rows[t][t] / static_cast<double>(in_row));
        diagonal += rows[t][t];
        counted += in_row;
    }
    if (counted == 0)
        std::printf("Taux global : - (aucune paire comptee)\n");
    else
        std::printf("Taux global : %.2f%% (%lld sur %lld paires comptees)\n",
                    100.0 * static_cast<double>(diagonal) / static_cast<double>(counted), diagonal, counted);
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    confusion_matrix_t confusion{};

    param_debut(argc, argv, &head);
    confusion_matrix_lect(&confusion, &head);
    param_fin(argc, argv, &head);

    if (confusion.mode != 0 && confusion.mode != 1)
        fw::fail(1, "\n>> ERREUR confusion-tool : verite terrain de type %d inconnu (0 : image 2D, 1 : volume)\n",
                 confusion.mode);
    const int n = confusion.nb_regions + 1;
    std::vector<int> counts(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0);
    std::vector<int*> rows(static_cast<std::size_t>(n));
    for (int t = 0; t < n; ++t) rows[t] = counts.data() + static_cast<std::size_t>(t) * n;

    confusion_matrix_init(&confusion);
    confusion_matrix_calc(&confusion, rows.data());
    print_matrix(rows, n);
    confusion_matrix_ferm(&confusion);
    cycle::end_program(NO_ERROR);
}
