// Fuzzy c-means clustering of a data input.
//
// Attribute rows and membership rows are walked point by point, every
// class and attribute of a point at once, so that each iteration is one
// pass over the data: the memberships of a point come from its distances to
// all centres at once, and its new memberships at once add their weights to
// every (class, attribute) sum of the next centres (each sum still
// accumulated in increasing point order, as a pass per sum would). The work
// arrays are made once per computation; the iterations allocate nothing.

#include "fuzzy_c_means.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "fail.hpp"
#include "questions.hpp"
#include "text_input.hpp"
#include "truncation.hpp"

namespace {

using classification::truncated;
using classification::truncated_u16;

// Zero-filled memory, or the end of the process (status 3) with the
// system's reason.
void* Calloc(std::size_t count, std::size_t size) {
    void* block = std::calloc(count, size);
    if (block == nullptr) fw::fail_to(stderr, 3, "MEMORY ALLOCATION ERROR: %s\n", std::strerror(errno));
    return block;
}

// The extension reply: "" or "''" (images not saved), or a known format.
bool known_extension(const std::string& ext) {
    return ext.empty() || ext == "''" || ext == ".ima" || ext == ".ras" || ext == ".imf";
}

// Initial memberships from the centres. Every attribute overwrites the
// memberships of the one before, so the last attribute's remain: only it is
// computed. S, an integer in the stated arithmetic, is kept as a float
// holding the same truncated values.
void memberships_from_centres(const fuzzy_c_means_t& desc, const data_input& in, data_output* out) {
    const int a = in.nb_attributs - 1, classes = desc.nb_class;
    const float* x = in.data[a];
    float* const* u = out->data.fuzzy;
    const float equal = 1.0f / static_cast<float>(classes);
    for (int p = 0; p < in.nb_pts; ++p) {
        float s = 0.0f;
        for (int k = 0; k < classes; ++k) {
            const float d = std::fabs(static_cast<float>(desc.centres[k][a]) - x[p]);
            u[k][p] = d;
            s = std::trunc(s + d);
        }
        for (int k = 0; k < classes; ++k) u[k][p] = s == 0.0f ? equal : u[k][p] / s;
    }
}

void random_memberships(const fuzzy_c_means_t& desc, const data_input& in, data_output* out) {
    std::printf("...Choix d'initialisation = %d\n", 0);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    float* const* u = out->data.fuzzy;
    for (int p = 0; p < in.nb_pts; ++p) {
        int sum = 0;
        for (int k = 0; k < desc.nb_class; ++k) {
            const int draw = std::rand() % 100;
            u[k][p] = static_cast<float>(draw);
            sum += draw;
        }
        if (sum != 0)
            for (int k = 0; k < desc.nb_class; ++k) u[k][p] /= static_cast<float>(sum);
    }
}

void random_centres(fuzzy_c_means_t* desc, const data_input& in) {
    std::printf("...Choix d'initialisation = %d\n", 1);
    float largest = 0.0f;
    for (int a = 0; a < in.nb_attributs; ++a)
        for (int p = 0; p < in.nb_pts; ++p) largest = in.data[a][p] > largest ? in.data[a][p] : largest;
    const int modulus = truncated(largest);
    if (modulus < 1)
        fw::fail(1,
                 "\n>> ERREUR fuzzy_c_means_init : initialisation 1 impossible : toutes les valeurs des attributs "
                 "sont inferieures a 1 (la plus grande vaut %g)\n",
                 static_cast<double>(largest));
    for (int a = 0; a < in.nb_attributs; ++a)
        for (int j = 0; j < desc->nb_class; ++j) {
            const int draw = std::rand() % modulus;
            desc->centres[j][a] = static_cast<unsigned short>(draw > 65535 ? 65535 : draw);
        }
}

void centres_from_file(fuzzy_c_means_t* desc, int attributes) {
    const char* name = desc->initialisation;
    std::printf("...initialisation par fichier = lecture dans '%s' les coeff suivants :\n\n", name);
    std::FILE* f = std::fopen(name, "r");
    if (f == nullptr)
        fw::fail(1, "\n>> ERREUR fuzzy_c_means_init : fichier des centres '%s' impossible a ouvrir\n", name);
    fw::IntScanner numbers(f);
    for (int j = 0; j < desc->nb_class; ++j) {
        for (int a = 0; a < attributes; ++a) {
            const std::optional<long long> value = numbers.next();
            if (!value)
                fw::fail(1,
                         "\n>> ERREUR fuzzy_c_means_init : le fichier des centres '%s' ne contient que %lld entiers "
                         "lisibles sur les %lld attendus (%d classes x %d attributs)\n",
                         name, static_cast<long long>(j) * attributes + a,
                         static_cast<long long>(desc->nb_class) * attributes, desc->nb_class, attributes);
            if (*value < 0 || *value > 65535)
                fw::fail(1, "\n>> ERREUR fuzzy_c_means_init : centre[%d][%d] = %lld hors de 0 ... 65535 dans '%s'\n", j,
                         a, *value, name);
            desc->centres[j][a] = static_cast<unsigned short>(*value);
            std::printf("centre[%d][%d] = %d \t", j, a, static_cast<int>(*value));
        }
        std::printf("\n");
    }
    std::fclose(f);
}

// ---- Iterations --------------------------------------------------------------

// The work arrays of a computation, made once.
struct Work {
    std::vector<float> sums;      // sums[j * attributes + a]: weighted sum of attribute a in class j
    std::vector<float> weights;   // weights[j]: sum of the weights of class j
    std::vector<float> centres;   // centres[k * attributes + a], as floats
    std::vector<float> inverse;   // inverse[k]: 1 / D[k]^e of the current point
    std::vector<float> distance;  // distance[k]: D[k] of the current point
};

// Adds the weights u[j][p]^m of point p and its weighted attribute values
// to the sums of the next centres.
inline void accumulate(const data_input& in, float* const* u, int p, int classes, float m, Work& work) {
    const int attributes = in.nb_attributs;
    for (int j = 0; j < classes; ++j) {
        const float w = std::pow(u[j][p], m);
        work.weights[j] += w;
        float* sum = work.sums.data() + static_cast<std::size_t>(j) * attributes;
        for (int a = 0; a < attributes; ++a) sum[a] += w * in.data[a][p];
    }
}

// The centres from the accumulated sums, printed; the sums are cleared for
// the next accumulation.
void update_centres(fuzzy_c_means_t* desc, int attributes, Work& work) {
    for (int a = 0; a < attributes; ++a) {
        for (int j = 0; j < desc->nb_class; ++j) {
            const std::size_t at = static_cast<std::size_t>(j) * attributes + a;
            unsigned short& centre = desc->centres[j][a];
            if (work.weights[j] != 0.0f) centre = truncated_u16(work.sums[at] / work.weights[j]);
            work.centres[at] = static_cast<float>(centre);
            std::printf("centre[%d][%d] = %d\n", j, a, centre);
        }
        std::printf("\n");
    }
    std::fill(work.sums.begin(), work.sums.end(), 0.0f);
    std::fill(work.weights.begin(), work.weights.end(), 0.0f);
}

// New memberships from the centres, in one pass over the points that also
// accumulates the sums of the next centres when `next` is set (each sum
// still in increasing point order, as a pass of its own would add them).
// Returns the sum of the changes (10 |old - new| each).
float update_memberships(const fuzzy_c_means_t& desc, const data_input& in, data_output* out, Work& work, bool next) {
    const int classes = desc.nb_class, attributes = in.nb_attributs;
    const float m = desc.fuzzy_coeff, e = 1.0f / (m - 1.0f);
    // powf(D, 1) is D itself, bit for bit: m = 2 skips the power.
    const bool linear = e == 1.0f;
    const float* centres = work.centres.data();
    float* inverse = work.inverse.data();
    float* distance = work.distance.data();
    float* const* u = out->data.fuzzy;
    float variation = 0.0f;
    for (int p = 0; p < in.nb_pts; ++p) {
        float total = 0.0f;
        for (int k = 0; k < classes; ++k) {
            const float* c = centres + static_cast<std::size_t>(k) * attributes;
            float d = 0.0f;
            for (int a = 0; a < attributes; ++a) {
                const float diff = in.data[a][p] - c[a];
                d += diff * diff;
            }
            d += 0.001f;
            distance[k] = d;
            inverse[k] = 1.0f / (linear ? d : std::pow(d, e));
            total += inverse[k];
        }
        if (!(total > 0.0f && total < INFINITY)) {
            // Every power overflowed (or one underflowed to 0): the limit of
            // the memberships puts the point in its nearest class(es).
            float nearest = distance[0];
            for (int k = 1; k < classes; ++k) nearest = distance[k] < nearest ? distance[k] : nearest;
            total = 0.0f;
            for (int k = 0; k < classes; ++k) total += inverse[k] = distance[k] == nearest ? 1.0f : 0.0f;
        }
        for (int j = 0; j < classes; ++j) {
            const float membership = inverse[j] / total;
            variation += 10.0f * std::fabs(u[j][p] - membership);
            u[j][p] = membership;
        }
        if (next) accumulate(in, u, p, classes, m, work);
    }
    return variation;
}

}  // namespace

extern "C" {

param* fuzzy_c_means_lect(fuzzy_c_means_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "fuzzy_c_means_lect");
    desc->nb_class = questions.integer("nombre de classes [nb_class] (entier)", 1, INT_MAX);
    desc->fuzzy_coeff = questions.real_float("indice de flou [fuzzy_coeff] (>1) (reel)");
    if (!(desc->fuzzy_coeff > 1.0f)) questions.refuse_last("reel > 1");
    desc->threshold = questions.real_float("seuil d'arret [threshold] [0, 1] (ex:0.001) (reel)");
    desc->nb_it = questions.integer("nombre maximum d'iterations [nb_it] (entier)");
    const std::string ext =
        questions.text("extension noms fichiers images d'appartenance (.ima|.ras|.imf), non sauvees si ''");
    if (!known_extension(ext)) questions.refuse_last(".ima, .ras, .imf, ou '' pour ne pas les sauver");
    std::snprintf(desc->extension, LONG_NOM, "%s", ext == "''" ? "" : ext.c_str());
    const std::string init = questions.text("Quelle initialisation? ( 0 | 1 | nom_fichier )");
    std::snprintf(desc->initialisation, LONG_NOM, "%s", init.c_str());
    desc->variation = 0.0f;
    desc->centres = nullptr;
    desc->nb_attributs = 0;
    return questions.next();
}

int fuzzy_c_means_init(fuzzy_c_means_t* desc, data_input in, data_output* out) {
    std::printf("\n fuzzy_c_mean init...");
    if (desc->nb_class < 1)
        fw::fail(1, "\n>> ERREUR fuzzy_c_means_init : nombre de classes %d refuse (au moins 1)\n", desc->nb_class);
    if (!(desc->fuzzy_coeff > 1.0f) || !std::isfinite(desc->fuzzy_coeff))
        fw::fail(1, "\n>> ERREUR fuzzy_c_means_init : indice de flou %g refuse (reel > 1)\n",
                 static_cast<double>(desc->fuzzy_coeff));
    if (in.nb_pts < 1 || in.nb_attributs < 1 || in.data == nullptr)
        fw::fail(1, "\n>> ERREUR fuzzy_c_means_init : donnees vides (%d points, %d attributs)\n", in.nb_pts,
                 in.nb_attributs);

    out->nb_classes = desc->nb_class;
    out->type = DATA_OUTPUT_FUZZY;
    out->nb_pts = in.nb_pts;
    out->equ_nb_rows = in.equ_nb_rows;
    out->equ_nb_cols = in.equ_nb_cols;

    const auto classes = static_cast<std::size_t>(desc->nb_class);
    const auto attributes = static_cast<std::size_t>(in.nb_attributs);
    desc->centres = static_cast<unsigned short**>(Calloc(classes, sizeof(unsigned short*)));
    desc->centres[0] = static_cast<unsigned short*>(Calloc(classes * attributes, sizeof(unsigned short)));
    for (std::size_t j = 1; j < classes; ++j) desc->centres[j] = desc->centres[0] + j * attributes;
    desc->nb_attributs = in.nb_attributs;
    alloc_classifier_data_output(out);

    const bool mode =
        std::strlen(desc->initialisation) == 1 && (desc->initialisation[0] == '0' || desc->initialisation[0] == '1');
    if (mode && desc->initialisation[0] == '0') {
        random_memberships(*desc, in, out);
    } else {
        if (mode)
            random_centres(desc, in);
        else
            centres_from_file(desc, in.nb_attributs);
        memberships_from_centres(*desc, in, out);
    }
    std::printf("\ninit fcm OK.");
    return NO_ERROR;
}

int fuzzy_c_means_calc(fuzzy_c_means_t* desc, data_input in, data_output* out) {
    std::printf("\nfcm calc...\n");
    std::printf("Nb. de iterations[nb_it]=%d\n", desc->nb_it);
    std::printf("\n");
    if (desc->centres == nullptr || desc->nb_attributs != in.nb_attributs || out->type != DATA_OUTPUT_FUZZY ||
        out->nb_classes != desc->nb_class || out->nb_pts != in.nb_pts)
        fw::fail(1, "\n>> ERREUR fuzzy_c_means_calc : donnees differentes de celles de l'initialisation\n");

    const auto classes = static_cast<std::size_t>(desc->nb_class);
    const auto attributes = static_cast<std::size_t>(in.nb_attributs);
    Work work{std::vector<float>(classes * attributes), std::vector<float>(classes),
              std::vector<float>(classes * attributes), std::vector<float>(classes), std::vector<float>(classes)};
    const float count = static_cast<float>(static_cast<long long>(in.nb_pts) * desc->nb_class);

    // The sums of the first centres; then each iteration's pass over the
    // points gathers those of the next.
    if (desc->nb_it > 0)
        for (int p = 0; p < in.nb_pts; ++p) accumulate(in, out->data.fuzzy, p, desc->nb_class, desc->fuzzy_coeff, work);
    int i = 0;
    for (; i < desc->nb_it; ++i) {
        std::printf("\n");
        std::printf(" It\351ration num\351ro %d\n", i);
        std::printf("\n");
        update_centres(desc, in.nb_attributs, work);
        desc->variation = update_memberships(*desc, in, out, work, i + 1 < desc->nb_it);
        const float mean = desc->variation / count;
        std::printf("===> seuil = %1.5f", static_cast<double>(desc->threshold));
        std::printf("   --->>    la variation actuelle = %1.5f", static_cast<double>(mean));
        if (mean < desc->threshold) break;
        if (i != desc->nb_it - 1) std::printf("  ...  donc, continue");
    }

    std::printf("\n\n");
    std::printf("Calcul effectu\351!");
    if (i >= desc->nb_it)
        std::printf("\nNb. maximum d'it\351rations atteint !!! ");
    else
        std::printf("L'algorithme a termin\351 le calcul apr\350s  %d cycles.\n", i + 1);
    std::printf("\n");
    return NO_ERROR;
}

}  // extern "C"
