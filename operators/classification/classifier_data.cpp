// The classifier records: allocation, release, normalisation onto an
// interval and conversion of outputs into images.
//
// Large rows go through fw::allocate_block (huge pages for big sets) and are
// released with std::free. Every loop over points walks one contiguous row.

#include "classifier_data.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "block.hpp"
#include "fail.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "truncation.hpp"

namespace {

using classification::truncated;

// A block of `count` values of `size` bytes (at least one value, so that
// the pointer is never null), or null when the count is negative, does not
// fit in memory or memory is exhausted.
void* allocate_values(long long count, std::size_t size) {
    if (count < 0) return nullptr;
    const std::size_t bytes = fw::image_bytes(count > 0 ? count : 1, 1, size);
    return bytes == 0 ? nullptr : fw::allocate_block(bytes, false);
}

float* allocate_row(int nb_pts) { return static_cast<float*>(allocate_values(nb_pts, sizeof(float))); }

// ---- Normalisation ---------------------------------------------------------

constexpr const char* kModule = "classifier-data-module";

[[noreturn]] void refuse_normalisation(int line, const char* text) {
    fw::fail(1, "\nERREUR --> fichier %s ligne %d : \n%s\n \n", kModule, line, text);
}

struct Interval {
    float a, b;    // as given
    float lo, hi;  // ascending
};

// Rescales one row of n values from src into dst (which may be src).
// Returns false, leaving dst as it is, when the row already spans exactly
// [a, b].
template <class T>
bool rescale_row(const T* src, T* dst, std::size_t n, const Interval& to) {
    if (n == 0) return true;
    float min = static_cast<float>(src[0]), max = min;
    for (std::size_t i = 1; i < n; ++i) {
        const float v = static_cast<float>(src[i]);
        min = v < min ? v : min;
        max = v > max ? v : max;
    }
    if (min == to.a && max == to.b) return false;

    const float range = max - min, span = to.hi - to.lo;
    if (range == 0.0f) {
        // A constant row has no spread to rescale: it goes to the lower bound.
        std::fill(dst, dst + n, static_cast<T>(std::is_same_v<T, float> ? to.lo : truncated(to.lo)));
        return true;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const float r = (static_cast<float>(src[i]) - min) / range;
        if constexpr (std::is_same_v<T, float>) {
            dst[i] = to.lo + span * r;
        } else {
            // A label holds r truncated, then the rescaled label truncated.
            const int label = truncated(r);
            dst[i] = truncated(to.lo + span * static_cast<float>(label));
        }
    }
    return true;
}

Interval interval(float a, float b) { return {a, b, std::min(a, b), std::max(a, b)}; }

// ---- Conversion to images ----------------------------------------------------

// Ends the process unless the rectangle of `out` holds exactly its points.
void check_image_rectangle(const data_output& out, const char* who) {
    const long long area = static_cast<long long>(out.equ_nb_rows) * out.equ_nb_cols;
    if (out.equ_nb_rows < 0 || out.equ_nb_cols < 0 || area != out.nb_pts)
        fw::fail(1, "\nErreur %s : les %d points ne forment pas une image de %d lignes x %d colonnes\n", who,
                 out.nb_pts, out.equ_nb_rows, out.equ_nb_cols);
}

// Membership x 255 truncated into a grey level; out-of-range values are
// clamped and NaN gives 0.
inline unsigned char grey_of(float membership) {
    const float v = membership * 255.0f;
    return static_cast<unsigned char>(v >= 0.0f ? std::min(v, 255.0f) : 0.0f);
}

}  // namespace

extern "C" {

int alloc_classifier_data_input_completely(data_input* in) {
    if (in->nb_attributs == 0) fw::fail(1, "champ nombre d attribut non rempli");
    auto** table = static_cast<float**>(allocate_values(in->nb_attributs, sizeof(float*)));
    if (table == nullptr) fw::fail(1, "\n allocation attributs impossible");
    for (int a = 0; a < in->nb_attributs; ++a) {
        table[a] = allocate_row(in->nb_pts);
        if (table[a] == nullptr) fw::fail(1, "\n allocation points impossible");
    }
    in->data = table;
    return NO_ERROR;
}

int alloc_classifier_data_input_one_by_one(data_input* in) {
    const int n = in->nb_attributs;
    if (n < 1) fw::fail(1, "\n allocation attributs impossible");
    void* table = n == 1 ? std::malloc(sizeof(float*))
                         : (fw::image_bytes(n, 1, sizeof(float*)) == 0
                                ? nullptr
                                : std::realloc(in->data, static_cast<std::size_t>(n) * sizeof(float*)));
    if (table == nullptr) fw::fail(1, "\n allocation attributs impossible");
    in->data = static_cast<float**>(table);
    in->data[n - 1] = allocate_row(in->nb_pts);
    if (in->data[n - 1] == nullptr) fw::fail(1, "\n allocation image impossible");
    return NO_ERROR;
}

int alloc_classifier_data_output(data_output* out) {
    if (out->type == DATA_OUTPUT_FUZZY) {
        auto** table = static_cast<float**>(allocate_values(out->nb_classes, sizeof(float*)));
        if (table == nullptr) fw::fail(1, "\n allocation classes fuzzy sortie impossible");
        const long long per_class = out->nb_pts < 0 ? -1 : out->nb_pts;
        auto* block =
            static_cast<float*>(per_class < 0 ? nullptr : allocate_values(per_class * out->nb_classes, sizeof(float)));
        if (block == nullptr) fw::fail(1, "\n allocation points sortie fuzzy impossible");
        table[0] = block;
        for (int k = 1; k < out->nb_classes; ++k) table[k] = block + static_cast<std::size_t>(k) * out->nb_pts;
        out->data.fuzzy = table;
    } else if (out->type == DATA_OUTPUT_CRISP) {
        out->data.crisp = static_cast<int*>(allocate_values(out->nb_pts, sizeof(int)));
        if (out->data.crisp == nullptr) fw::fail(1, "\n allocation points sortie crisp impossible");
    }
    return NO_ERROR;
}

int free_data_input(data_input* in) {
    if (in->data == nullptr) return NO_ERROR;
    for (int a = 0; a < in->nb_attributs; ++a) std::free(in->data[a]);
    std::free(in->data);
    in->data = nullptr;
    return NO_ERROR;
}

int free_data_output(data_output* out) {
    if (out->type == DATA_OUTPUT_CRISP) {
        std::free(out->data.crisp);
        out->data.crisp = nullptr;
    } else if (out->type == DATA_OUTPUT_FUZZY) {
        if (out->data.fuzzy != nullptr) std::free(out->data.fuzzy[0]);
        std::free(out->data.fuzzy);
        out->data.fuzzy = nullptr;
    } else {
        fw::fail(1, "\nERREUR : free_data_output : Type inconnu ");
    }
    return NO_ERROR;
}

int normaliser_data_input_sur_a_b(float a, float b, data_input src, data_input* dst) {
    if (dst->nb_pts != src.nb_pts) refuse_normalisation(__LINE__, "In et Out de taille differente\n");
    if (dst->nb_attributs != src.nb_attributs) refuse_normalisation(__LINE__, "In et Out : nb attributs differents");
    if (a == b) refuse_normalisation(__LINE__, "a et b sont egaux => normalisation non logique\n");
    const Interval to = interval(a, b);
    for (int r = 0; r < src.nb_attributs; ++r)
        if (!rescale_row(src.data[r], dst->data[r], static_cast<std::size_t>(src.nb_pts), to)) {
            std::printf("Normalisation : fin -> deja normalise sur intervalle specifie [%1.2f,%1.2f]!\n",
                        static_cast<double>(a), static_cast<double>(b));
            return NO_ERROR;
        }
    std::printf("\nNormalisation data input sur [%1.3f,%1.3f] faite.\n", static_cast<double>(to.lo),
                static_cast<double>(to.hi));
    return NO_ERROR;
}

int normaliser_data_output_sur_a_b(float a, float b, data_output src, data_output* dst) {
    if (dst->nb_pts != src.nb_pts) refuse_normalisation(__LINE__, "In et Out de taille differente\n");
    if (dst->type != src.type) refuse_normalisation(__LINE__, "In et Out de type differents");
    if (a == b) refuse_normalisation(__LINE__, "a et b sont egaux => normalisation non logique\n");
    if (src.type != DATA_OUTPUT_CRISP && src.type != DATA_OUTPUT_FUZZY)
        refuse_normalisation(__LINE__, "Type problematique\n");
    if (src.type == DATA_OUTPUT_FUZZY && dst->nb_classes < src.nb_classes)
        refuse_normalisation(__LINE__, "In et Out : nb classes differents");
    const Interval to = interval(a, b);
    const auto n = static_cast<std::size_t>(src.nb_pts);
    bool whole = true;
    if (src.type == DATA_OUTPUT_CRISP) {
        whole = rescale_row(src.data.crisp, dst->data.crisp, n, to);
    } else {
        for (int k = 0; k < src.nb_classes && whole; ++k)
            whole = rescale_row(src.data.fuzzy[k], dst->data.fuzzy[k], n, to);
    }
    if (!whole) {
        std::printf("Normalisation : fin car deja normalise sur intervalle specifie [%1.2f,%1.2f]!\n",
                    static_cast<double>(a), static_cast<double>(b));
        return NO_ERROR;
    }
    std::printf("\nNormalisation data output sur [%1.3f,%1.3f] faite.\n", static_cast<double>(to.lo),
                static_cast<double>(to.hi));
    return NO_ERROR;
}

int data_output_crisp_to_imageu1(data_output out, imau1* image) {
    image->nr = out.equ_nb_rows;
    image->nc = out.equ_nb_cols;
    alloc_imau1(image);
    if (out.type != DATA_OUTPUT_CRISP) fw::fail(1, "data_output_crisp_to_imageu1 : Resultat du mauvais type");
    check_image_rectangle(out, "data_output_crisp_to_imageu1");
    unsigned char* pixels = image->pixels[0];
    const int* labels = out.data.crisp;
    for (int i = 0; i < out.nb_pts; ++i) pixels[i] = static_cast<unsigned char>(labels[i]);
    return NO_ERROR;
}

int data_output_fuzzy_to_imageu1(data_output out, imau1** images) {
    auto* table =
        static_cast<imau1*>(out.nb_classes < 0 ? nullptr : std::calloc(std::max(out.nb_classes, 1), sizeof(imau1)));
    if (table == nullptr) fw::fail(1, "\nErreur allocation images 2 dans data_output_fuzzy_to_imageu1 impossible");
    for (int k = 0; k < out.nb_classes; ++k) {
        table[k].nr = out.equ_nb_rows;
        table[k].nc = out.equ_nb_cols;
        alloc_imau1(&table[k]);
    }
    *images = table;
    if (out.type != DATA_OUTPUT_FUZZY) fw::fail(1, "data_output_fuzzy_to_imageu1 : Resultat du mauvais type");
    check_image_rectangle(out, "data_output_fuzzy_to_imageu1");
    for (int k = 0; k < out.nb_classes; ++k) {
        unsigned char* pixels = table[k].pixels[0];
        const float* memberships = out.data.fuzzy[k];
        for (int i = 0; i < out.nb_pts; ++i) pixels[i] = grey_of(memberships[i]);
    }
    return NO_ERROR;
}

int data_output_fuzzy_to_imagefl(data_output out, imafl* images) {
    if (out.type != DATA_OUTPUT_FUZZY) fw::fail(1, "Resultat du mauvais type");
    check_image_rectangle(out, "data_output_fuzzy_to_imagefl");
    const int rows = out.equ_nb_rows, cols = out.equ_nb_cols;
    for (int k = 0; k < out.nb_classes; ++k)
        if (images[k].nr < rows || images[k].nc < cols)
            fw::fail(1, "\nErreur data_output_fuzzy_to_imagefl : image %d de %dx%d plus petite que %dx%d\n", k,
                     images[k].nc, images[k].nr, cols, rows);
    for (int k = 0; k < out.nb_classes; ++k)
        for (int y = 0; y < rows; ++y)
            std::memcpy(images[k].pixels[y], out.data.fuzzy[k] + static_cast<std::size_t>(y) * cols,
                        static_cast<std::size_t>(cols) * sizeof(float));
    return NO_ERROR;
}

}  // extern "C"
