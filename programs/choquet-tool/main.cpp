// choquet-tool: the Choquet integral of n criterion values. The coefficient
// file is named in the dialogue, loaded and checked; the criteria file is
// then named on standard input, and the score printed.
// Ends with status 0 after a score, 1 after a refused coefficient file, an
// unreadable criteria file or one with fewer than n values.

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "choquet_interaction.h"
#include "cycle.hpp"
#include "fail.hpp"

namespace {

constexpr const char* kProgram = "choquet-tool";

// The message of each failed state of the coefficient file.
const char* state_message(int state) {
    switch (state) {
    case CHOQUET_OUVERTURE: return "\nERREUR DETECTEE A L'OUVERTURE DU FICHIER : \nEchec ouverture.";
    case CHOQUET_LIGNES:
        return "\nERREUR DETECTEE A L'INTERIEUR DU FICHIER : \nIncoherence entre le nombre de coefficients effectifs "
               "et nbcoeff => matrice non carree et probleme sur le nombre de lignes.";
    case CHOQUET_COLONNES:
        return "\nERREUR DETECTEE A L'INTERIEUR DU FICHIER : \nIncoherence entre le nombre de coefficients effectifs "
               "et nbcoeff => matrice non carree et probleme sur le nombre de colonnes.";
    case CHOQUET_SOMME: return "\nERREUR DETECTEE SUR LES COEFFICIENTS DE PONDERATION : \nleur somme doit faire 1.";
    case CHOQUET_MONOTONIE:
        return "\nERREUR DETECTEE SUR LES COEFFICIENTS D'INTERACTION : \nils ne verifient pas la condition permettant "
               "le passage a la mesure floue.";
    default: return "";
    }
}

// One white-space-delimited word of standard input, of any length.
std::string read_word() {
    int c;
    while ((c = std::getchar()) != EOF && std::isspace(c)) {
    }
    std::string word;
    for (; c != EOF && !std::isspace(c); c = std::getchar()) word.push_back(static_cast<char>(c));
    return word;
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    choquet_interaction_t choquet{};

    param_debut(argc, argv, &head);
    std::printf("\n\nLECTURE EN COURS...\n");
    choquet_interaction_lect(&choquet, &head, "");
    std::printf("\n...LECTURE OK.\n");
    param_fin(argc, argv, &head);

    std::printf("\n-> Le fichier des coefficients est : \t\t%s", choquet.fichier);
    std::printf("\n\nINITIALISATION EN COURS...\n");
    choquet_interaction_init(&choquet);
    std::printf("\n...FIN INITIALISATION.");
    if (choquet.etat != CHOQUET_VALIDE) fw::fail(1, "%s\nFin.\n", state_message(choquet.etat));

    const int n = choquet.nbcoeff;
    std::printf("\n\nPAS D'ERREUR => PREPARATION AU CALCUL :");
    std::printf("\nDonner le nom du fichier des criteres : ");
    std::fflush(stdout);
    const std::string name = read_word();
    if (name.empty()) fw::fail(1, "\n>> ERREUR %s : nom du fichier des criteres absent\n", kProgram);
    std::printf("-> Le fichier des criteres est : \t\t%s\n", name.c_str());
    std::printf("\n-> Allocation memoire (%d coeff)...", n);
    std::vector<float> criteria(static_cast<std::size_t>(n));
    std::printf("\t\tOK.\n");
    std::printf("-> Ouverture du fichier...");
    std::FILE* file = std::fopen(name.c_str(), "r");
    if (file == nullptr) fw::fail(1, "\n>> ERREUR %s : impossible d'ouvrir le fichier des criteres %s\n", kProgram, name.c_str());
    std::printf("\t\t\tOK\n");
    for (int i = 0; i < n; ++i)
        if (std::fscanf(file, "%f", &criteria[i]) != 1)
            fw::fail(1, "\n>> ERREUR %s : fichier des criteres %s : %d valeurs lues, %d attendues\n", kProgram,
                     name.c_str(), i, n);
    std::fclose(file);
    std::printf("-> Criteres rentres et fichier ferme...\t\tOK\n");

    std::printf("\nAffichage des coefficients d'interactions :\n");
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) std::printf(" %f\t ", static_cast<double>(choquet.matrice[i][j]));
        std::printf("\n");
    }
    std::printf("\nAffichage des criteres :\n");
    for (float c : criteria) std::printf(" %f\t ", static_cast<double>(c));
    std::printf("\n");

    std::printf("\n\nCALCUL EN COURS...\n");
    float score = 0.0f;
    choquet_interaction_calc(&choquet, criteria.data(), &score);
    std::printf("\n...CALCUL OK.");
    std::printf("\n\n\n***************************\n");
    std::printf("RESULTAT = %2.4f\n", static_cast<double>(score));
    std::printf("***************************\n");

    std::printf("\n-> Lib\351ration m\351moire associ\351e aux crit\350res...");
    criteria.clear();
    std::printf("\tOK");
    std::printf("\n-> Lib\351ration m\351moire associ\351e aux coefficients...");
    choquet_interaction_ferm(&choquet);
    std::printf("OK\n");
    std::printf("\nFin.\n");
    cycle::end_program(0);
}
