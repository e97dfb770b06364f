// Self-organising ring map.
//
// The samples live in one block, dimension after dimension (inputs[d][s]),
// and so do the weights (weights[d][n]). The distances of a sample to every
// neuron are summed dimension by dimension across all neurons at once (each
// neuron's sum still runs over the dimensions in increasing order), which
// the compiler vectorises across neurons. An epoch is one pass over the
// samples; the training allocates nothing.

#include "csom.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "block.hpp"
#include "fail.hpp"
#include "pixel_traits.hpp"
#include "proto2D.h"
#include "questions.hpp"
#include "text_input.hpp"

namespace {

constexpr const char* kLect = "csom_lect";

// The running minimum of the winner search starts here: a neuron farther
// from the sample never wins.
constexpr float kFar = 100000000.0f;

[[noreturn]] void allocation_failed(const char* code) {
    fw::fail(1, "\n fatal error: %s allocation  impossible", code);
}

// count zero-filled values, or the process ends with `code`.
template <class T>
T* allocate(std::size_t count, const char* code) {
    const std::size_t bytes = fw::image_bytes(static_cast<long long>(count), 1, sizeof(T));
    void* block = bytes == 0 ? nullptr : fw::allocate_block(bytes, true);
    if (block == nullptr) allocation_failed(code);
    return static_cast<T*>(block);
}

// rows x cols zero-filled floats in one block with a row table over it;
// each allocation that fails ends the process with its own code.
float** allocate_table(std::size_t rows, std::size_t cols, const char* row_code, const char* block_code) {
    auto** table = static_cast<float**>(std::malloc(rows * sizeof(float*)));
    if (table == nullptr) allocation_failed(row_code);
    const std::size_t bytes =
        fw::image_bytes(static_cast<long long>(cols), static_cast<long long>(rows), sizeof(float));
    auto* block = static_cast<float*>(bytes == 0 ? nullptr : fw::allocate_block(bytes, true));
    if (block == nullptr) allocation_failed(block_code);
    for (std::size_t r = 0; r < rows; ++r) table[r] = block + r * cols;
    return table;
}

void release_table(float*** table) {
    if (*table != nullptr) std::free((*table)[0]);
    std::free(*table);
    *table = nullptr;
}

template <class T>
void release(T** values) {
    std::free(*values);
    *values = nullptr;
}

// The question "<debq> <text>" (the text alone without heading).
std::string question_of(const char* debq, const char* text) {
    return debq == nullptr ? std::string(text) : std::string(debq) + " " + text;
}

// max_neigh, at most half the ring. A reply above the half is warned
// about; one typed on the terminal is asked again without default, one
// taken from a control file or the command line is refused, so that a
// replay cannot ask for ever.
unsigned ask_max_neigh(param* p, const char* debq, unsigned output_neurons) {
    const std::string question = question_of(debq, "max_neigh (unsigned int)");
    const double half = output_neurons * 0.5;
    for (;;) {
        const bool stored = p->rep[0] != '\0';
        const std::string before = p->rep;
        lec_param(question.c_str(), p);
        const std::optional<int> value = fw::integer_reply<int>(p->rep);
        if (!value || *value < 0) fw::refuse_reply(kLect, question.c_str(), p->rep, "entier de 0 a 2147483647");
        if (*value <= half) return static_cast<unsigned>(*value);
        std::printf("WARNING: max_neigh must be < %f   (output_neurons/2)", half);
        if (stored && before == p->rep)
            fw::refuse_reply(kLect, question.c_str(), p->rep, "entier de 0 a " + std::to_string(output_neurons / 2));
        p->qst[0] = p->rep[0] = '\0';
    }
}

// A descriptor the training cannot run on is refused before anything is
// allocated.
void check(const csom_t& d) {
    const char* who = "csom_init";
    if (d.input_neurons < 1 || d.input_neurons > INT_MAX)
        fw::fail(1, "\n>> ERREUR %s : input_neurons %u refuse (de 1 a %d)\n", who, d.input_neurons, INT_MAX);
    if (d.output_neurons < 2 || d.output_neurons > INT_MAX)
        fw::fail(1, "\n>> ERREUR %s : output_neurons %u refuse (de 2 a %d)\n", who, d.output_neurons, INT_MAX);
    if (d.max_epoch < 1) fw::fail(1, "\n>> ERREUR %s : max_epoch %u refuse (au moins 1)\n", who, d.max_epoch);
    if (!(d.max_learn_rate > 0 && d.max_learn_rate <= FLT_MAX))
        fw::fail(1, "\n>> ERREUR %s : max_learn_rate %g refuse (reel strictement positif)\n", who,
                 static_cast<double>(d.max_learn_rate));
    if (d.samples < 1) fw::fail(1, "\n>> ERREUR %s : samples %d refuse (au moins 1)\n", who, d.samples);
}

void build_schedules(csom_t& d) {
    const unsigned epochs = d.max_epoch;
    const float step = static_cast<float>(static_cast<double>(d.max_neigh) / epochs);
    const float top = static_cast<float>(d.max_neigh);
    const double rate = d.max_learn_rate;
    for (unsigned i = 0; i < epochs; ++i) {
        d.radius[i] = std::ceil(top - step * static_cast<float>(i));
        d.learn_rate[i] = static_cast<float>(rate * std::pow(0.01 / rate, static_cast<double>(i) / epochs));
    }
    d.radius[epochs - 1] = 1.0f;
}

void initial_weights(csom_t& d) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const unsigned dims = d.input_neurons, neurons = d.output_neurons;
    for (unsigned n = 0; n < neurons; ++n)
        for (unsigned k = 0; k < dims; ++k)
            d.weights[k][n] = d.random_init ? static_cast<float>(static_cast<int>(std::rand() * 255.0 / 2147483647.0))
                                            : static_cast<float>(n * 254.0 / neurons);
}

// Every value of a dimension times 255 / (maximum - minimum); a constant
// dimension is left as it is.
void rescale(const csom_t& d) {
    const std::size_t samples = static_cast<std::size_t>(d.samples);
    for (unsigned k = 0; k < d.input_neurons; ++k) {
        float* __restrict row = d.inputs[k];
        float lo = row[0], hi = row[0];
        for (std::size_t s = 1; s < samples; ++s) {
            lo = row[s] < lo ? row[s] : lo;
            hi = row[s] > hi ? row[s] : hi;
        }
        if (!(hi > lo)) continue;
        const float factor = 255.0f / (hi - lo);
        for (std::size_t s = 0; s < samples; ++s) row[s] *= factor;
    }
}

// Squared distances of sample s to every neuron: dimension by dimension,
// the same dimension for all neurons at a time.
inline void distances_of(const csom_t& d, std::size_t s, float* __restrict dist) {
    const unsigned neurons = d.output_neurons;
    {
        const float x = d.inputs[0][s];
        const float* __restrict w = d.weights[0];
        for (unsigned n = 0; n < neurons; ++n) {
            const float t = x - w[n];
            dist[n] = t * t;
        }
    }
    for (unsigned k = 1; k < d.input_neurons; ++k) {
        const float x = d.inputs[k][s];
        const float* __restrict w = d.weights[k];
        for (unsigned n = 0; n < neurons; ++n) {
            const float t = x - w[n];
            dist[n] += t * t;
        }
    }
}

// The neuron a scan upward with a running minimum starting at kFar would
// end on (the first of equal minima; `previous` when none is below kFar):
// the first neuron at the smallest distance. The smallest distance is found
// in eight independent lanes (a minimum does not depend on the order), then
// its first neuron.
inline int winner_of(const float* __restrict dist, long long neurons, int previous) {
    float lane[8] = {kFar, kFar, kFar, kFar, kFar, kFar, kFar, kFar};
    long long n = 0;
    for (; n + 8 <= neurons; n += 8)
        for (int k = 0; k < 8; ++k) lane[k] = dist[n + k] < lane[k] ? dist[n + k] : lane[k];
    for (int k = 0; n < neurons; ++n, ++k) lane[k] = dist[n] < lane[k] ? dist[n] : lane[k];
    float best = lane[0];
    for (int k = 1; k < 8; ++k) best = lane[k] < best ? lane[k] : best;
    if (!(best < kFar)) return previous;
    n = 0;
    while (dist[n] != best) ++n;
    return static_cast<int>(n);
}

// w = w + h * rate * (x - w) for neuron n in every dimension: x - w in
// single precision, the rest in double (h is a double), the sum stored in
// single precision.
inline void pull(const csom_t& d, std::size_t s, long long n, double hr) {
    for (unsigned k = 0; k < d.input_neurons; ++k) {
        const float w = d.weights[k][n];
        const double change = hr * (d.inputs[k][s] - w);
        d.scratch_weights[k][n] = static_cast<float>(change);
        d.weights[k][n] = static_cast<float>(w + change);
    }
}

void train(csom_t& d) {
    const std::size_t samples = static_cast<std::size_t>(d.samples);
    const long long neurons = d.output_neurons;
    float* const dist = d.distances;
    int* const winners = d.winners;
    int winner = 0;
    for (unsigned e = 0; e < d.max_epoch; ++e) {
        d.epoch = static_cast<int>(e);
        const float radius = d.radius[e], rate = d.learn_rate[e];
        for (std::size_t s = 0; s < samples; ++s) {
            distances_of(d, s, dist);
            winner = winner_of(dist, neurons, winner);
            winners[s] = winner;
            // The neurons j places forward and backward of the winner on the
            // ring, stepped without a division.
            long long forward = winner, backward = winner;
            for (long long j = 0; j < radius; ++j) {
                const double h = 1.0 - 1.000000001 * static_cast<double>(j) / radius;
                const double hr = h * rate;
                pull(d, s, forward, hr);
                pull(d, s, backward, hr);
                forward = forward + 1 == neurons ? 0 : forward + 1;
                backward = backward == 0 ? neurons - 1 : backward - 1;
            }
        }
    }
    d.sample = d.samples - 1;
}

}  // namespace

int imau1tocsomvect(float** inputs, std::span<const imau1> images) {
    for (std::size_t k = 1; k < images.size(); ++k)
        if (images[k].nc != images[0].nc || images[k].nr != images[0].nr)
            fw::fail(1,
                     "\n>> ERREUR imau1tocsomvect : image %zu/%zu (%s) de %dx%d, image 1/%zu (%s) de %dx%d : tailles "
                     "differentes\n",
                     k + 1, images.size(), images[k].nom, images[k].nc, images[k].nr, images.size(), images[0].nom,
                     images[0].nc, images[0].nr);
    for (std::size_t k = 0; k < images.size(); ++k) {
        const std::size_t count = static_cast<std::size_t>(images[k].nc) * static_cast<std::size_t>(images[k].nr);
        const unsigned char* __restrict pixels = images[k].pixels[0];
        float* __restrict row = inputs[k];
        for (std::size_t i = 0; i < count; ++i) row[i] = pixels[i];
    }
    return NO_ERROR;
}

extern "C" {

param* csom_lect(csom_t* desc, param* ptp, const char* debq) {
    fw::Questions sizes(ptp, debq, kLect);
    desc->input_neurons =
        static_cast<unsigned>(sizes.integer("input_neurons (unsigned int)", 1, CSOM_MAX_INPUT_NEURONS));
    desc->output_neurons = static_cast<unsigned>(sizes.integer("output_neurons (unsigned int)", 2, INT_MAX));
    param* p = sizes.next();
    desc->max_neigh = ask_max_neigh(p, debq, desc->output_neurons);

    fw::Questions training(p->suiv, debq, kLect);
    desc->max_learn_rate = training.real_float("max_learn_rate (float)");
    if (!(desc->max_learn_rate > 0)) training.refuse_last("reel strictement positif");
    desc->max_epoch = static_cast<unsigned>(training.integer("max_epoch (unsigned int)", 1, INT_MAX));
    desc->random_init = static_cast<unsigned char>(training.choice("random init or not? (1/0)", {1, 0}));
    desc->rescale = static_cast<unsigned char>(training.choice("rescale the input space or not? (1/0)", {1, 0}));

    desc->inputs = desc->weights = desc->scratch_weights = nullptr;
    desc->learn_rate = desc->radius = desc->distances = nullptr;
    desc->winners = nullptr;
    return training.next();
}

int csom_init(csom_t* desc) {
    check(*desc);
    const std::size_t dims = desc->input_neurons, neurons = desc->output_neurons, epochs = desc->max_epoch;
    const std::size_t samples = static_cast<std::size_t>(desc->samples);
    desc->inputs = allocate_table(dims, samples, "a.13", "a.14");
    desc->weights = allocate_table(dims, neurons, "a.01", "a.02");
    desc->scratch_weights = allocate_table(dims, neurons, "a.03", "a.04");
    desc->distances = allocate<float>(neurons, "a.05");
    desc->radius = allocate<float>(epochs, "a.07");
    desc->learn_rate = allocate<float>(epochs, "a.08");
    desc->winners = allocate<int>(samples, "a.09");
    desc->sample = desc->epoch = 0;
    build_schedules(*desc);
    initial_weights(*desc);
    return NO_ERROR;
}

int imau1tocsomvect(float** inputs, int count, ...) {
    std::vector<imau1> images;
    std::va_list args;
    va_start(args, count);
    for (int k = 0; k < count; ++k) images.push_back(va_arg(args, imau1));
    va_end(args);
    return imau1tocsomvect(inputs, std::span<const imau1>(images));
}

int csom_calc(csom_t* desc) {
    if (desc->rescale) rescale(*desc);
    train(*desc);
    return NO_ERROR;
}

int csomvecttoimau1(csom_t* desc, int nc, int nr, imau1* out) {
    if (nc < 1 || nr < 1 || static_cast<long long>(nc) * nr != desc->samples)
        fw::fail(1, "\n>> ERREUR csomvecttoimau1 : image de %dx%d pour %d echantillons\n", nc, nr, desc->samples);
    const long long neurons = desc->output_neurons;
    auto* levels = allocate<unsigned char>(static_cast<std::size_t>(neurons), "a.05");
    for (long long n = 0; n < neurons; ++n) levels[n] = static_cast<unsigned char>(254 * n / (neurons - 1));

    out->nc = nc;
    out->nr = nr;
    fw::copy_text(out->nom, "csom_out");
    alloc_imau1(out);
    const std::size_t count = static_cast<std::size_t>(desc->samples);
    const int* __restrict winners = desc->winners;
    unsigned char* __restrict pixels = out->pixels[0];
    for (std::size_t i = 0; i < count; ++i) pixels[i] = levels[winners[i]];
    std::free(levels);
    return NO_ERROR;
}

int csom_destruct(csom_t* desc) {
    release_table(&desc->inputs);
    release_table(&desc->weights);
    release_table(&desc->scratch_weights);
    release(&desc->distances);
    release(&desc->radius);
    release(&desc->learn_rate);
    release(&desc->winners);
    return NO_ERROR;
}

}  // extern "C"
