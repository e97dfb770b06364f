// gradient-organisation-tool: organisation of the 3D gradient of an 8-bit
// LVF volume, written as an 8-bit LVF volume of the same size. The input is
// read plane by plane through a sliding window and the output written plane
// by plane, so that no more than a few planes are ever held.

#include <sys/stat.h>

#include <cstdio>

#include "cycle.hpp"
#include "fail.hpp"
#include "gradient_organisation.h"
#include "lvf_volume.h"
#include "volume.h"
#include "volume_stage.h"

namespace {

constexpr const char* kWho = "gradient-organisation-tool";

// Whether two names lead to the same existing file.
bool same_file(const char* a, const char* b) {
    struct stat sa, sb;
    return ::stat(a, &sa) == 0 && ::stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

int main(int argc, char** argv) {
    param head;
    read_vol_t reader;
    gradient_organisation_t organisation{};
    write_vol_t writer;
    ima3Du1 in{};
    ima3Du1 out{};

    param_debut(argc, argv, &head);
    param* ptp = read_vol_lect(&reader, &head, ">> volume initial (lvf) : nom complet du fichier volume a lire");
    ptp = gradient_organisation_lect(&organisation, ptp, nullptr);
    write_vol_lect(&writer, ptp, ">> volume resultat (lvf) : nom complet du fichier volume a ecrire");
    param_fin(argc, argv, &head);

    // The output is written while the input is still being read: it must
    // be an LVF file of its own.
    if (!writer.lvf)
        fw::fail(1, "\n>> ERREUR %s : le volume resultat %s doit etre un fichier LVF (extension .lvf)\n", kWho,
                 writer.nom);
    if (same_file(reader.nom, writer.nom))
        fw::fail(1, "\n>> ERREUR %s : le volume resultat %s est le volume initial\n", kWho, writer.nom);
    read_vol_entete(&reader, &in);
    gradient_organisation_init(&organisation, in);
    const int width = 2 * (organisation.taille_gradient / 2) + 1;
    if (lect_volume_u1_sequence_first(reader.nom, &in, width) < 0)
        fw::fail(1, "\n>> ERREUR %s : volume initial %s illisible (volume LVF de 8 bits attendu)\n", kWho, reader.nom);

    copie_entete_ima3du1(&in, &out);
    out.entete = 24;
    out.nb_bits = 8;
    out.nb_seq = 1;
    out.courant = 0;
    allouer_ima3Du1_sequence(&out);
    if (write_volume_u1_sequence_preparation(writer.nom, &out, 0) != 0)
        fw::fail(1, "\n>> ERREUR %s : creation du volume resultat %s impossible\n", kWho, writer.nom);
    gradient_organisation_calc(&organisation, &in, &out);
    if (write_volume_u1_sequence_fermeture(&out, 0) != 0)
        fw::fail(1, "\n>> ERREUR %s : ecriture du volume resultat %s impossible\n", kWho, writer.nom);
    std::fclose(in.fichier);
    in.fichier = nullptr;
    gradient_organisation_ferm(&organisation);
    cycle::end_program(NO_ERROR);
}
