// Discrete Choquet integral of a 2-additive fuzzy measure: the coefficient
// file is read and checked once by init; calc is a double loop over the
// criteria.

#include "choquet_interaction.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fail.hpp"
#include "questions.hpp"

namespace {

constexpr const char* kInit = "choquet_interaction_init";

template <class T>
T* allocate(std::size_t count) {
    void* p = std::calloc(count == 0 ? 1 : count, sizeof(T));
    if (p == nullptr) fw::fail(1, "\n>> ERREUR %s : allocation impossible\n", kInit);
    return static_cast<T*>(p);
}

// Records the state of a failed initialisation.
int failed(choquet_interaction_t* desc, int state) {
    desc->etat = state;
    return 1;
}

// Bytes of an open file after its current position (-1 when unknown).
long remaining(std::FILE* file) {
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end - here;
}

}  // namespace

extern "C" {

param* choquet_interaction_lect(choquet_interaction_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "choquet_interaction_lect");
    const std::string name = questions.file_name("choquet_interaction: nom complet du fichier");
    desc->fichier = allocate<char>(name.size() + 1);
    std::memcpy(desc->fichier, name.c_str(), name.size() + 1);
    return questions.next();
}

int choquet_interaction_init(choquet_interaction_t* desc) {
    desc->nbcoeff = 0;
    desc->matrice = nullptr;
    std::printf("-> Ouverture fichier en cours...");
    std::FILE* file = std::fopen(desc->fichier, "r");
    if (file == nullptr) {
        std::printf("\t\tECHEC.\n");
        return failed(desc, CHOQUET_OUVERTURE);
    }
    std::printf("\t\tOK.\n");

    std::printf("-> Initialisation de nbcoeff en cours...");
    int n = 0;
    const bool counted = std::fscanf(file, "%d", &n) == 1;
    std::printf("\tNbcoeff = %d.\n", n);
    // Every value takes a separator and at least one character, so a file
    // shorter than that cannot hold the matrix: refused before the n x n
    // floats are allocated.
    const long long values = static_cast<long long>(n) * (static_cast<long long>(n) + 1) / 2;
    const long left = counted ? remaining(file) : -1;
    if (!counted || n < 0 || left < 0 || 2 * values > left) {
        std::fclose(file);
        return failed(desc, CHOQUET_LIGNES);
    }
    desc->nbcoeff = n;

    std::printf("-> Allocation memoire en cours...");
    desc->matrice = allocate<float*>(static_cast<std::size_t>(n));
    std::printf("\t\tOK.\n");
    std::printf("-> Allocation cases matrice en cours...");
    for (int i = 0; i < n; ++i) desc->matrice[i] = allocate<float>(static_cast<std::size_t>(n));
    std::printf("\t\tOK.\n");

    for (int i = 0; i < n; ++i)
        for (int j = i; j < n; ++j) {
            float v;
            if (std::fscanf(file, "%f", &v) != 1 || v == -1.0f) {
                std::fclose(file);
                return failed(desc, CHOQUET_LIGNES);
            }
            desc->matrice[i][j] = desc->matrice[j][i] = v;
        }
    std::fclose(file);

    float sum = 0.0f;
    for (int i = 0; i < n; ++i) sum += desc->matrice[i][i];
    std::printf("-> La somme des nu_i est \t\t\t%1.4f\n", static_cast<double>(sum));
    if (sum != 1.0f) return failed(desc, CHOQUET_SOMME);
    for (int i = 0; i < n; ++i) {
        float row = 0.0f;
        for (int j = 0; j < n; ++j) row += std::fabs(desc->matrice[i][j]);
        if (row > 3.0f * desc->matrice[i][i]) return failed(desc, CHOQUET_MONOTONIE);
    }
    desc->etat = CHOQUET_VALIDE;
    return 0;
}

int choquet_interaction_calc(choquet_interaction_t* desc, const float* criteres, float* resultat) {
    if (desc->etat != CHOQUET_VALIDE) {
        std::printf("\nCalcul impossible car probleme a l'initialisation.");
        return 1;
    }
    const int n = desc->nbcoeff;
    float weighted = 0.0f, interactions = 0.0f;
    for (int i = 0; i < n; ++i) weighted += desc->matrice[i][i] * criteres[i];
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) interactions += desc->matrice[i][j] * std::fabs(criteres[j] - criteres[i]);
    *resultat = n <= 0 ? 0.0f : weighted - 0.5f * interactions;
    return 0;
}

int choquet_interaction_ferm(choquet_interaction_t* desc) {
    if (desc->matrice != nullptr)
        for (int i = 0; i < desc->nbcoeff; ++i) std::free(desc->matrice[i]);
    std::free(desc->matrice);
    desc->matrice = nullptr;
    return 0;
}

}  // extern "C"
