// chain.hpp: the reading phase the dialogue harnesses replay: the reader
// and writer stages' name questions and one question of every declared
// kind, as a program's reading phase asks them.
#pragma once

#include <cstdlib>

#include "colormap.h"
#include "proto2D.h"
#include "questions.hpp"
#include "volume_stage.h"

namespace fuzz {

inline void ask_chain(param* first) {
    read_ima_t in{};
    param* p = read_ima_lect(&in, first, ">> image a lire:");
    read_vol_t volume{};
    p = read_vol_lect(&volume, p, ">> volume a lire: nom complet du fichier volume a lire");
    add_colormap_t map{};
    p = add_colormap_lect(&map, p, ">> colormap:");
    fw::Questions q(p, ">> essai:", "fuzz_lect");
    q.text("texte");
    q.file_name("nom de fichier");
    q.integer("entier");
    q.integer("entier de 1 a 9", 1, 9);
    q.choice("choix (0, 2, 5)", {0, 2, 5});
    q.odd_window("fenetre");
    q.real("reel");
    q.real("reel de -1 a 1", -1, 1);
    q.real_float("reel simple");
    write_ima_t out{};
    p = write_ima_lect(&out, q.next(), ">> image a ecrire:");
    write_vol_t written{};
    write_vol_lect(&written, p, ">> volume a ecrire: nom complet du fichier volume a ecrire");
}

// Frees the records alloc_param added after `first`.
inline void free_chain(param* first) {
    for (param* p = first->suiv; p != nullptr;) {
        param* next = p->suiv;
        std::free(p);
        p = next;
    }
    first->suiv = nullptr;
}

}  // namespace fuzz
