// The ring map: schedules and initial weights, the winner search and the
// ring updates on hand-made weights, whole trainings against a plain
// reference, the copy of the images and the refused descriptors. The
// dialogue and the grey levels: tests/programs/kohonen_tool_test.cpp.

#include "csom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "generators.hpp"
#include "images.hpp"
#include "support.hpp"
#include "sweep.hpp"

using namespace testing_support;

namespace {

csom_t map_of(unsigned dims, unsigned neurons, unsigned neigh, float rate, unsigned epochs, int samples,
              bool random = false, bool rescale = false) {
    csom_t m{};
    m.input_neurons = dims, m.output_neurons = neurons, m.max_neigh = neigh, m.max_learn_rate = rate;
    m.max_epoch = epochs, m.samples = samples, m.random_init = random, m.rescale = rescale;
    return m;
}

template <class T>
std::vector<T> row(const T* values, std::size_t n) {
    return {values, values + n};
}

// A training: the map, and the weights [d][n] and schedules its csom_init
// made (random weights differ from run to run), the inputs [d][s].
struct Case {
    csom_t map;
    std::vector<float> weights, inputs, radius, rate;
    std::string describe() const {
        return std::to_string(map.input_neurons) + " dims, " + std::to_string(map.output_neurons) + " neurons, " +
               std::to_string(map.samples) + " samples, " + std::to_string(map.max_epoch) + " epochs";
    }
    std::string where(std::size_t i) const { return "value " + std::to_string(i) + " (weights, winners, inputs)"; }
};

// The final weights, the winners and the inputs as csom_calc left them.
std::vector<float> trained(const Case& c) {
    csom_t m = c.map;
    csom_init(&m);
    std::copy(c.weights.begin(), c.weights.end(), m.weights[0]);  // one block, row after row
    std::copy(c.inputs.begin(), c.inputs.end(), m.inputs[0]);
    csom_calc(&m);
    std::vector<float> r = row(m.weights[0], c.weights.size());
    r.insert(r.end(), m.winners, m.winners + m.samples);
    r.insert(r.end(), m.inputs[0], m.inputs[0] + c.inputs.size());
    csom_destruct(&m);
    return r;
}

// The training as stated, one neuron and one dimension at a time.
std::vector<float> reference(const Case& c) {
    const int D = static_cast<int>(c.map.input_neurons), N = static_cast<int>(c.map.output_neurons), S = c.map.samples;
    std::vector<float> w = c.weights, x = c.inputs, winners(static_cast<std::size_t>(S));
    for (int d = 0; c.map.rescale && d < D; ++d) {
        const auto [lo, hi] = std::minmax_element(x.begin() + d * S, x.begin() + (d + 1) * S);
        if (*hi != *lo)
            std::transform(x.begin() + d * S, x.begin() + (d + 1) * S, x.begin() + d * S,
                           [f = 255.0f / (*hi - *lo)](float v) { return v * f; });
    }
    int winner = 0;
    for (unsigned e = 0; e < c.map.max_epoch; ++e)
        for (int s = 0; s < S; ++s) {
            float best = 100000000.0f;
            for (int n = 0; n < N; ++n) {
                float dist = 0;
                for (int d = 0; d < D; ++d) dist += (x[d * S + s] - w[d * N + n]) * (x[d * S + s] - w[d * N + n]);
                if (dist < best) best = dist, winner = n;
            }
            winners[s] = static_cast<float>(winner);
            for (int j = 0; j < c.radius[e]; ++j) {
                const double h = 1 - 1.000000001 * j / c.radius[e];
                for (int n : {(winner + j) % N, (winner - j + N * j) % N})
                    for (int d = 0; d < D; ++d)
                        w[d * N + n] = static_cast<float>(w[d * N + n] + h * c.rate[e] * (x[d * S + s] - w[d * N + n]));
            }
        }
    w.insert(w.end(), winners.begin(), winners.end());
    w.insert(w.end(), x.begin(), x.end());
    return w;
}

}  // namespace

TEST(Csom, SchedulesAndInitialWeights) {
    const struct {
        unsigned neurons, neigh, epochs;
        float rate;
        std::vector<float> radius, rates, ramp;
    } rows[] = {
        {4, 2, 4, 1.0f, {2, 2, 1, 1}, {1.0f, 0.31622777f, 0.1f, 0.031622777f}, {0, 63.5f, 127, 190.5f}},
        {18, 8, 5, 0.3f, {8, 7, 5, 4, 1}, {0.3f, 0.15194871f, 0.076961363f, 0.038980598f, 0.019743505f}, {}},
        {3, 0, 3, 2.0f, {0, 0, 1}, {2.0f, 0.34199519f, 0.058480355f}, {0, 84.666664f, 169.33333f}},
        {12, 5, 1, 0.1f, {1}, {0.1f}, {}},  // the last epoch always has radius 1
    };
    for (const auto& r : rows) {
        csom_t m = map_of(2, r.neurons, r.neigh, r.rate, r.epochs, 1);
        csom_init(&m);
        SCOPED_TRACE(std::to_string(r.neurons) + " neurons, max_epoch " + std::to_string(r.epochs));
        EXPECT_EQ(row(m.radius, r.epochs), r.radius);
        for (unsigned i = 0; i < r.epochs; ++i) EXPECT_FLOAT_EQ(m.learn_rate[i], r.rates[i]) << "epoch " << i;
        for (int d = 0; d < 2 && !r.ramp.empty(); ++d) EXPECT_EQ(row(m.weights[d], r.neurons), r.ramp);
        csom_destruct(&m);
        EXPECT_TRUE(m.radius == nullptr && m.inputs == nullptr && m.weights == nullptr && m.winners == nullptr);
    }
    // Random weights: whole numbers of 0 ... 255, not all equal.
    csom_t random = map_of(3, 50, 2, 0.5f, 1, 1, true);
    csom_init(&random);
    const std::vector<float> all = row(random.weights[0], 150);
    EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](float w) { return w >= 0 && w <= 255 && w == int(w); }));
    EXPECT_NE(*std::min_element(all.begin(), all.end()), *std::max_element(all.begin(), all.end()));
    csom_destruct(&random);
}

TEST(Csom, WinnersAndRingUpdatesOnHandMadeWeights) {
    // One dimension, four neurons; every epoch's radius and rate set by hand.
    const struct {
        const char* what;
        std::vector<float> weights, samples;
        float radius, rate;
        std::vector<float> after;
        std::vector<int> winners;  // of the last epoch
        unsigned epochs = 1;
    } rows[] = {
        // Winner 0 at radius 2: 0 twice (80 -> 90 -> 95), then h = 0.5 for 1 and 3.
        {"ring forward and back", {80, 0, 10, 20}, {100}, 2, 0.5f, {95, 25, 10, 40}, {0}},
        {"the ring wraps forward", {0, 10, 20, 90}, {100}, 2, 0.5f, {25, 10, 40, 97.5f}, {3}},
        {"radius 1: the winner alone, twice", {0, 10, 20, 90}, {100}, 1, 0.5f, {0, 10, 20, 97.5f}, {3}},
        {"radius 0: no update", {0, 10, 20, 90}, {100}, 0, 0.5f, {0, 10, 20, 90}, {3}},
        {"the first of equal distances wins", {10, 30, 200, 250}, {20}, 1, 1.0f, {20, 30, 200, 250}, {0}},
        // Beyond 100000000 from every neuron: the previous winner (2) stays.
        {"too far: the winner carries over", {0, 10, 40, 60}, {38, 100000}, 1, 0.5f, {0, 10, 75009.625f, 60}, {2, 2}},
        {"too far from the start: 0", {20000, 30000, 40000, 50000}, {0}, 1, 0.5f, {5000, 30000, 40000, 50000}, {0}},
        // Epoch 1 starts with the last winner of epoch 0 (2), not 0.
        {"kept across epochs", {0, 10, 40, 60}, {100000, 38}, 1, 0.5f, {75000, 10, 75009.625f, 43.5f}, {2, 3}, 2},
    };
    for (const auto& r : rows) {
        csom_t m = map_of(1, 4, 2, 0.5f, r.epochs, static_cast<int>(r.samples.size()));
        csom_init(&m);
        std::fill(m.radius, m.radius + r.epochs, r.radius);
        std::fill(m.learn_rate, m.learn_rate + r.epochs, r.rate);
        std::copy(r.weights.begin(), r.weights.end(), m.weights[0]);
        std::copy(r.samples.begin(), r.samples.end(), m.inputs[0]);
        csom_calc(&m);
        EXPECT_EQ(row(m.weights[0], 4), r.after) << r.what;
        EXPECT_EQ(row(m.winners, r.samples.size()), r.winners) << r.what;
        csom_destruct(&m);
    }
}

TEST(Csom, TrainingMatchesThePlainReference) {
    // Random and ramp weights, rescaled or not, some with a constant dimension.
    auto make = [](std::mt19937& random, int trial) {
        const unsigned dims = 1 + random() % 4, neurons = 2 + random() % 9, epochs = 1 + random() % 4;
        const int samples = 1 + static_cast<int>(random() % 60);
        Case c;
        c.map = map_of(dims, neurons, static_cast<unsigned>(random() % (neurons / 2 + 1)),
                       0.05f + (random() % 90) / 100.0f, epochs, samples, trial % 2 == 1, trial % 3 == 0);
        csom_t m = c.map;
        csom_init(&m);
        c.weights = row(m.weights[0], dims * neurons);
        c.radius = row(m.radius, epochs);
        c.rate = row(m.learn_rate, epochs);
        csom_destruct(&m);
        for (unsigned d = 0; d < dims; ++d) {
            const gen::Bytes v = gen::random_volume(random, samples, 1, 1, gen::kContents[random() % 7]);
            c.inputs.insert(c.inputs.end(), v.begin(), v.end());
        }
        if (trial % 5 == 0) std::fill_n(c.inputs.begin(), samples, 7.0f);  // a constant dimension
        return c;
    };
    reference_sweep(41, 300, make, trained, reference);
}

TEST(Csom, ImagesCopiedAndRefusedDescriptors) {
    csom_t m = map_of(3, 2, 1, 0.5f, 1, 6);
    csom_init(&m);
    imau1 a = make_image<imau1>(3, 2, [](int x, int y) { return 10 * y + x; });
    imau1 b = make_image<imau1>(3, 2, [](int x, int y) { return 255 - x - y; });
    imau1 c = make_image<imau1>(3, 2, [](int, int) { return 0; });
    imau1tocsomvect(m.inputs, 3, a, b, c);  // image d into row d, row after row
    EXPECT_EQ(row(m.inputs[0], 18),
              std::vector<float>({0, 1, 2, 10, 11, 12, 255, 254, 253, 254, 253, 252, 0, 0, 0, 0, 0, 0}));
    imau1 out{};
    EXPECT_TRUE(ended(run_captured([&] { csomvecttoimau1(&m, 5, 1, &out); }), 1,
                      "\n>> ERREUR csomvecttoimau1 : image de 5x1 pour 6 echantillons\n"));
    const struct {
        csom_t map;
        const char* message;
    } rows[] = {
        {map_of(0, 4, 1, 0.5f, 1, 6), "input_neurons 0 refuse (de 1 a 2147483647)"},
        {map_of(1, 1, 0, 0.5f, 1, 6), "output_neurons 1 refuse (de 2 a 2147483647)"},
        {map_of(1, 4, 1, 0.5f, 0, 6), "max_epoch 0 refuse (au moins 1)"},
        {map_of(1, 4, 1, 0.0f, 1, 6), "max_learn_rate 0 refuse (reel strictement positif)"},
        {map_of(1, 4, 1, 0.5f, 1, 0), "samples 0 refuse (au moins 1)"},
    };
    for (const auto& r : rows) {
        csom_t refused = r.map;
        EXPECT_TRUE(ended(run_captured([&] { csom_init(&refused); }), 1,
                          std::string("\n>> ERREUR csom_init : ") + r.message + "\n"));
    }
    for (imau1* image : {&a, &b, &c}) free_imau1(image);
    csom_destruct(&m);
}
