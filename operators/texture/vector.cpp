// Vector field filtering and display: each voxel's vector becomes a digital
// segment (a 3D Bresenham walk along its dominant axis, mirrored on both
// sides), whose voxels are averaged (mode 0) or drawn (mode 1).

#include "vector.h"

#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fail.hpp"
#include "questions.hpp"
#include "text_input.hpp"
#include "volume.h"

namespace {

// Calls visit(ox, oy, oz) for the offsets of the segment of (dx, dy, dz)
// along axis a: the centre, then each forward step and its mirror.
template <class Visit>
void segment(int dx, int dy, int dz, int a, Visit visit) {
    const int d[3] = {dx, dy, dz};
    const int length = std::abs(d[a]), step = d[a] < 0 ? -1 : 1;
    int position[3] = {0, 0, 0}, decision[3], sign[3];
    for (int e = 0; e < 3; ++e) {
        decision[e] = 2 * std::abs(d[e]) - length;
        sign[e] = d[e] < 0 ? -1 : 1;
    }
    visit(0, 0, 0);
    for (int k = 1; k <= length; ++k) {
        position[a] += step;
        for (int e = 0; e < 3; ++e) {
            if (e == a) continue;
            if (decision[e] >= 1) {
                position[e] += sign[e];
                decision[e] += 2 * (std::abs(d[e]) - length);
            } else {
                decision[e] += 2 * std::abs(d[e]);
            }
        }
        visit(position[0], position[1], position[2]);
        visit(-position[0], -position[1], -position[2]);
    }
}

[[noreturn]] void illegal_mode(int mode) { fw::fail(3, "illegal Modus %d\n", mode); }

}  // namespace

extern "C" {

param* vector_lect(vector_t* desc, param* ptp, const char* debq) {
    fw::Questions named(ptp, debq, "vector_lect");
    fw::copy_text(desc->entree, named.file_name("nom complet du fichier image a lire"));
    fw::copy_text(desc->vecteurs, named.file_name("nom complet du fichier avec les vecteurs a lire"));
    fw::copy_text(desc->sortie, named.file_name("nom complet du fichier image a ecrire"));
    fw::Questions questions(named.next(), nullptr, "vector_lect");
    desc->rayon = questions.integer(" rayon de la fenetre d'analyse", 1, INT_MAX);
    desc->mode = questions.integer(" modus (filtrage directionelle: 0, ou tracer les vecteurs: 1)");
    if (desc->mode != 0 && desc->mode != 1) illegal_mode(desc->mode);
    desc->intensite = questions.integer(" intensity de la ligne (uniquement quand modus=1)");
    if (desc->mode == 1 && (desc->intensite < SHRT_MIN || desc->intensite > SHRT_MAX))
        questions.refuse_last("entier de -32768 a 32767");
    return questions.next();
}

int vector_init(vector_t*) { return NO_ERROR; }

int vector_calc(vector_t* desc) {
    const char* who = "vector_calc";
    if (desc->mode != 0 && desc->mode != 1) illegal_mode(desc->mode);
    const int r = desc->rayon;
    if (r < 1) fw::fail(1, "\n>> ERREUR %s : rayon %d incorrect (au moins 1)\n", who, r);
    if (desc->mode == 1 && (desc->intensite < SHRT_MIN || desc->intensite > SHRT_MAX))
        fw::fail(1, "\n>> ERREUR %s : intensite %d hors de -32768 a 32767\n", who, desc->intensite);

    ima3Ds2 in{};
    std::fclose(lect_ima3Ds2(desc->entree, &in, 0, 0, 0));
    const long long span = 2LL * r + 1;
    if (span > in.dimx || span > in.dimy || span > in.dimz)
        fw::fail(1, "\n>> ERREUR %s : rayon %d trop grand pour le volume %dx%dx%d (aucun voxel interieur)\n", who, r,
                 in.dimx, in.dimy, in.dimz);
    ima3Ds2 out{};
    out.dimx = in.dimx;
    out.dimy = in.dimy;
    out.dimz = in.dimz;
    out.entete = 80;
    out.nb_bits = 16;
    allouer_ima3Ds2(&out);
    const std::size_t trace = static_cast<std::size_t>(in.dimx) * sizeof(short);
    for (int z = 0; z < in.dimz; ++z)
        for (int y = 0; y < in.dimy; ++y) std::memcpy(out.data[z][y], in.data[z][y], trace);

    champ_vecteurs field{};
    getev(&field, desc->vecteurs);
    if (field.dimx != in.dimx || field.dimy != in.dimy || field.dimz != in.dimz)
        fw::fail(3, "The X,Y or Z diminsions of the input data blocs are not cooresponding to each other!");

    // Voxels outside the margins keep their value; so do those whose vector
    // has no direction. In mode 1 only the grid of spacing 2r + 1 draws.
    const int spacing = desc->mode == 1 ? 2 * r + 1 : 1;
    const int first = desc->mode == 1 ? (r + spacing - 1) / spacing * spacing : r;
    for (int z = first; z < in.dimz - r; z += spacing)
        for (int y = first; y < in.dimy - r; y += spacing)
            for (int x = first; x < in.dimx - r; x += spacing) {
                const std::size_t voxel = (static_cast<std::size_t>(z) * in.dimy + y) * in.dimx + x;
                int dx, dy, dz;
                const int axis = getDiff(field.data + 3 * voxel, r, &dx, &dy, &dz);
                if (axis == VECTOR_SANS_DIRECTION) continue;
                if (desc->mode == 0)
                    out.data[z][y][x] = means2(&in, x, y, z, dx, dy, dz, axis);
                else
                    operators2print(&out, x, y, z, dx, dy, dz, axis, static_cast<short>(desc->intensite));
            }

    const int written = ecr_ima3Ds2(desc->sortie, &out);
    liberer_ima3Ds2(&in);
    liberer_ima3Ds2(&out);
    std::free(field.data);
    return written;
}

void getev(champ_vecteurs* vecteurs, const char* nom) {
    const char* who = "getev";
    std::FILE* f = std::fopen(nom, "rb");
    if (f == nullptr) fw::fail(3, "file %s not found\n", nom);
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0) fw::fail(1, "\n>> ERREUR %s : taille du fichier %s inconnue\n", who, nom);
    std::int32_t sizes[3];
    if (std::fread(sizes, sizeof sizes, 1, f) != 1)
        fw::fail(1, "\n>> ERREUR %s : fichier de vecteurs %s plus court que son entete\n", who, nom);
    if (sizes[0] <= 0 || sizes[1] <= 0 || sizes[2] <= 0)
        fw::fail(1, "\n>> ERREUR %s : dimensions %d x %d x %d incorrectes dans %s\n", who, sizes[0], sizes[1], sizes[2],
                 nom);
    // Checked against the file's length before anything is allocated;
    // sizes too large for any file saturate and fail the comparison.
    long long expected;
    if (__builtin_mul_overflow(static_cast<long long>(sizes[0]) * sizes[1], sizes[2], &expected) ||
        __builtin_mul_overflow(expected, 12LL, &expected) || __builtin_add_overflow(expected, 12LL, &expected))
        expected = LLONG_MAX;
    if (static_cast<long long>(st.st_size) != expected)
        fw::fail(1,
                 "\n>> ERREUR %s : fichier de vecteurs %s de %lld octets alors que %d x %d x %d vecteurs en demandent "
                 "%lld\n",
                 who, nom, static_cast<long long>(st.st_size), sizes[0], sizes[1], sizes[2], expected);
    const std::size_t count = static_cast<std::size_t>(expected - 12) / sizeof(float);
    auto* data = static_cast<float*>(std::malloc(count * sizeof(float)));
    if (data == nullptr) fw::fail(1, "\n>> ERREUR %s : allocation impossible\n", who);
    if (std::fread(data, sizeof(float), count, f) != count)
        fw::fail(1, "\n>> ERREUR %s : lecture du fichier de vecteurs %s impossible\n", who, nom);
    std::fclose(f);
    vecteurs->dimx = sizes[0];
    vecteurs->dimy = sizes[1];
    vecteurs->dimz = sizes[2];
    vecteurs->data = data;
}

int getDiff(const float* v, int r, int* dx, int* dy, int* dz) {
    *dx = *dy = *dz = 0;
    const double x = v[0], y = v[1], z = v[2];
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || (x == 0 && y == 0 && z == 0))
        return VECTOR_SANS_DIRECTION;
    const double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    const int axis = ax >= ay && ax >= az ? 0 : ay >= az ? 1 : 2;
    // In double precision, so that a tiny dominant component cannot make
    // the scale infinite.
    const double scale = r / (axis == 0 ? ax : axis == 1 ? ay : az);
    int* offsets[3] = {dx, dy, dz};
    const double components[3] = {x, y, z};
    for (int e = 0; e < 3; ++e)
        *offsets[e] = e == axis ? (components[e] < 0 ? -r : r) : round_perso(components[e] * scale);
    return axis;
}

int round_perso(double v) {
    if (std::isnan(v)) return 0;
    if (v >= INT_MAX) return INT_MAX;
    if (v <= INT_MIN) return INT_MIN;
    const double low = std::floor(v), high = std::ceil(v);
    return static_cast<int>(v > (low + high) / 2 ? high : low);
}

short means2(const ima3Ds2* in, int x, int y, int z, int dx, int dy, int dz, int axe) {
    long long sum = 0;
    segment(dx, dy, dz, axe, [&](int ox, int oy, int oz) { sum += in->data[z + oz][y + oy][x + ox]; });
    const int d[3] = {dx, dy, dz};
    return static_cast<short>(sum / (2LL * std::abs(d[axe]) + 1));
}

void operators2print(ima3Ds2* out, int x, int y, int z, int dx, int dy, int dz, int axe, short intensite) {
    segment(dx, dy, dz, axe, [&](int ox, int oy, int oz) { out->data[z + oz][y + oy][x + ox] = intensite; });
    const long long ex = x + 2LL * dx, ey = y + 2LL * dy, ez = z + 2LL * dz;
    if (ex >= 0 && ex < out->dimx && ey >= 0 && ey < out->dimy && ez >= 0 && ez < out->dimz)
        out->data[ez][ey][ex] = intensite;
}

}  // extern "C"
