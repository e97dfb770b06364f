// Reader and writer stages for volumes: the format by the file's first
// bytes when reading, by the name when writing; every refusal before any
// output file is created.

#include "volume_stage.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "fail.hpp"
#include "lvf_volume.h"
#include "questions.hpp"
#include "text_input.hpp"
#include "volume.h"
#include "volume_alloc.hpp"

namespace {

using fw::fail;

enum class Format { volume, lvf };

// LVF files begin with the host-order integer 128 (0x80000000 when written
// in the other byte order, which the LVF reader reports); volume files with
// four 'a' bytes.
Format recognise(const char* nom, const char* who) {
    std::FILE* f = std::fopen(nom, "rb");
    if (f == nullptr) fail(1, "Can't open file %s\n", nom);
    unsigned char first[4] = {0, 0, 0, 0};
    const std::size_t got = std::fread(first, 1, 4, f);
    std::fclose(f);
    std::uint32_t word;
    std::memcpy(&word, first, 4);
    if (got == 4 && (word == 128u || word == 0x80000000u)) return Format::lvf;
    if (got == 4 && std::memcmp(first, "aaaa", 4) == 0) return Format::volume;
    fail(1, "\n>> ERREUR %s : %s n'est ni un volume LVF ni un fichier volume\n", who, nom);
}

[[noreturn]] void unreadable_lvf(const char* who, const char* nom) {
    fail(1, "\n>> ERREUR %s : volume LVF %s illisible\n", who, nom);
}

// Reading mode of the volume-file readers for the planes a descriptor asks.
int mode_of(const read_vol_t* desc) {
    if (desc->premier == 0) return 0;
    return desc->dernier == desc->premier ? 1 : 2;
}

// Planes premier ... dernier of an LVF file, read after its header checks.
void read_lvf_planes(const read_vol_t* desc, ima3Du1* v, const char* who) {
    if (lecture_entete_lvf(desc->nom, v) != 0) unreadable_lvf(who, desc->nom);
    std::FILE* f = v->fichier;
    v->fichier = nullptr;
    const int first = desc->premier, last = desc->dernier;
    if (first < 1 || last < first || last > v->dimz)
        fail(1, "\n>> ERREUR %s : plans %d a %d hors du volume %s (1 a %d)\n", who, first, last, desc->nom, v->dimz);
    const std::size_t trace = static_cast<std::size_t>(v->dimx);
    const long skip = static_cast<long>(static_cast<std::size_t>(first - 1) * trace * static_cast<std::size_t>(v->dimy));
    v->dimz = last - first + 1;
    v->data = vol::try_allocate_u1(v->dimx, v->dimy, v->dimz);
    if (v->data == nullptr) fail(1, "\n>> ERREUR %s : allocation impossible\n", who);
    bool ok = std::fseek(f, skip, SEEK_CUR) == 0;
    for (int z = 0; ok && z < v->dimz; ++z)
        for (int y = 0; ok && y < v->dimy; ++y) ok = std::fread(v->data[z][y], 1, trace, f) == trace;
    std::fclose(f);
    if (!ok) unreadable_lvf(who, desc->nom);
}

// The volume-file readers for the other sample types; LVF files hold 8-bit
// samples only and are refused.
template <class Volume>
int read_volume_file(read_vol_t* desc, Volume* v, FILE* (*reader)(const char*, Volume*, int, int, int),
                     const char* who) {
    if (recognise(desc->nom, who) == Format::lvf)
        fail(1, "\n>> ERREUR %s : %s est un volume LVF (8 bits), format non accepte ici\n", who, desc->nom);
    std::fclose(reader(desc->nom, v, mode_of(desc), desc->premier, desc->dernier));
    return NO_ERROR;
}

bool ends_with(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The volume-file writers for the other sample types (a name ending in
// ".lvf" is refused: LVF holds 8-bit samples only).
template <class Volume>
int write_volume_file(write_vol_t* desc, Volume* v, int (*writer)(const char*, Volume*), int bits) {
    write_vol_init(desc, bits);
    return writer(desc->nom, v);
}

}  // namespace

extern "C" {

param* read_vol_lect(read_vol_t* desc, param* ptp, const char* question) {
    fw::Questions questions(ptp, nullptr, "read_vol_lect");
    fw::copy_text(desc->nom, questions.file_name(question));
    desc->premier = desc->dernier = 0;
    return questions.next();
}

int read_vol_entete(read_vol_t* desc, ima3Du1* v) {
    const char* who = "read_vol_entete";
    if (recognise(desc->nom, who) == Format::lvf) {
        if (lecture_entete_lvf(desc->nom, v) != 0) unreadable_lvf(who, desc->nom);
        std::fclose(v->fichier);
        v->fichier = nullptr;
        return NO_ERROR;
    }
    std::FILE* f = std::fopen(desc->nom, "rb");
    if (f == nullptr) fail(1, "Can't open file %s\n", desc->nom);
    lire_longueur_trace(f, &v->dimx);
    lire_nb_trace(f, &v->dimy);
    lire_nb_plan(f, &v->dimz);
    lire_nb_octet(f, &v->nb_bits);
    lire_longueur_entete(f, &v->entete);
    std::fclose(f);
    if (v->dimx <= 0 || v->dimy <= 0 || v->dimz <= 0)
        fail(1, "\n>> ERREUR %s : dimensions %d x %d x %d incorrectes dans %s\n", who, v->dimx, v->dimy, v->dimz,
             desc->nom);
    return NO_ERROR;
}

int read_volu1_init(read_vol_t* desc, ima3Du1* v) {
    const char* who = "read_volu1_init";
    if (recognise(desc->nom, who) == Format::volume) {
        std::fclose(lect_ima3Du1(desc->nom, v, mode_of(desc), desc->premier, desc->dernier));
    } else if (desc->premier != 0) {
        read_lvf_planes(desc, v, who);
    } else if (lect_volume_u1(desc->nom, v) != 0) {
        unreadable_lvf(who, desc->nom);
    }
    return NO_ERROR;
}

int read_vols2_init(read_vol_t* desc, ima3Ds2* v) { return read_volume_file(desc, v, lect_ima3Ds2, "read_vols2_init"); }

int read_vold_init(read_vol_t* desc, ima3Dd* v) { return read_volume_file(desc, v, lect_ima3Dd, "read_vold_init"); }

param* write_vol_lect(write_vol_t* desc, param* ptp, const char* question) {
    fw::Questions questions(ptp, nullptr, "write_vol_lect");
    const std::string name = questions.file_name(question);
    fw::copy_text(desc->nom, name);
    desc->lvf = ends_with(name, ".lvf") ? 1 : 0;
    return questions.next();
}

int write_vol_init(write_vol_t* desc, int nb_bits) {
    if (desc->lvf && nb_bits != 8)
        fail(1, "\n>> ERREUR write_vol_init : un volume de %d bits ne peut pas etre ecrit au format LVF (%s)\n", nb_bits,
             desc->nom);
    return NO_ERROR;
}

int write_volu1_ferm(write_vol_t* desc, ima3Du1* v) {
    if (!desc->lvf) return ecr_ima3Du1(desc->nom, v);
    // An LVF file has its own header length; the samples are 8-bit.
    ima3Du1 lvf = *v;
    lvf.entete = 24;
    lvf.nb_bits = 8;
    if (write_volume_u1(desc->nom, &lvf) != 0)
        fail(1, "\n>> ERREUR write_volu1_ferm : ecriture du volume %s impossible\n", desc->nom);
    return NO_ERROR;
}

int write_vols2_ferm(write_vol_t* desc, ima3Ds2* v) {
    return write_volume_file(desc, v, ecr_ima3Ds2, 16);
}

int write_vold_ferm(write_vol_t* desc, ima3Dd* v) { return write_volume_file(desc, v, ecr_ima3Dd, 64); }

}  // extern "C"
