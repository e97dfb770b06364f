// cooccurrence-tool: co-occurrence texture features of an 8-bit volume
// (volume file or LVF). Dialogue: the volume, the window, displacement and
// features of the operator, the prefix of the results. Each selected
// feature is written as a 64-bit volume file named
// <prefix>_<short name>.vol (Con, Cor, Dir, Ent, Hom, LHo, SAv, SEn, Uni).
// Sizes that do not fit the volume, or a run with no feature selected, are
// refused before the volume is read and before any file is created.

#include <string>

#include "Mcoocur.h"
#include "cycle.hpp"
#include "fail.hpp"
#include "questions.hpp"
#include "volume.h"
#include "volume_stage.h"

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    Mcoocur_t cooccurrence;
    ima3Du1 volume{};
    ima3Dd* features[MCOOCUR_NB_ATTRIBUTES] = {};

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume initial : nom complet du fichier volume a lire");
    ptp = Mcoocur_lect(&cooccurrence, ptp, ">> cooccurrence :");
    fw::Questions questions(ptp, nullptr, "cooccurrence-tool");
    const std::string prefix = questions.file_name(">> prefixe des volumes resultats :");
    param_fin(argc, argv, &head);

    bool any = false;
    for (int selected : cooccurrence.selected) any = any || selected != 0;
    if (!any) fw::fail(1, "\n>> ERREUR cooccurrence-tool : aucun attribut choisi (au moins une reponse 1)\n");
    read_vol_entete(&reader, &volume);
    Mcoocur_check(&cooccurrence, volume.dimx, volume.dimy, volume.dimz);

    read_volu1_init(&reader, &volume);
    Mcoocur_init(&cooccurrence, volume, features);
    Mcoocur_calc(&cooccurrence, volume, features);
    for (int i = 0; i < MCOOCUR_NB_ATTRIBUTES; ++i)
        if (features[i] != nullptr) {
            const std::string name = prefix + "_" + attributes[i].short_name + ".vol";
            ecr_ima3Dd(name.c_str(), features[i]);
        }
    cycle::end_program(NO_ERROR);
}
