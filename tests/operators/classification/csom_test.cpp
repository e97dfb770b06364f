// The ring map: schedules and initial weights by value, the winner search
// and the ring updates on hand-made weights, whole trainings against a plain
// reference (same arithmetic, one neuron and one dimension at a time), the
// rendering's grey levels, the copy of the images and the refusals. The
// dialogue: tests/programs/kohonen_tool_test.cpp.

#include "csom.h"

#include <gtest/gtest.h>

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
    m.input_neurons = dims;
    m.output_neurons = neurons;
    m.max_neigh = neigh;
    m.max_learn_rate = rate;
    m.max_epoch = epochs;
    m.samples = samples;
    m.random_init = random;
    m.rescale = rescale;
    return m;
}

std::vector<float> row(const float* values, std::size_t n) { return {values, values + n}; }

// A training case: the map's parameters, and the initial weights and
// schedules its csom_init made (random weights differ from run to run).
struct Case {
    csom_t map;  // no tables
    std::vector<std::vector<float>> weights, inputs;  // [d][n], [d][s]
    std::vector<float> radius, rate;
    std::string describe() const {
        return std::to_string(map.input_neurons) + " dims, " + std::to_string(map.output_neurons) + " neurons, " +
               std::to_string(map.samples) + " samples, " + std::to_string(map.max_epoch) + " epochs, neigh " +
               std::to_string(map.max_neigh) + (map.rescale ? ", rescaled" : "");
    }
    std::string where(std::size_t i) const {
        const std::size_t w = static_cast<std::size_t>(map.input_neurons) * map.output_neurons;
        if (i < w) return "weight [" + std::to_string(i / map.output_neurons) + "][" + std::to_string(i % map.output_neurons) + "]";
        if (i < w + map.samples) return "winner of sample " + std::to_string(i - w);
        return "input " + std::to_string(i - w - map.samples);
    }
};

// csom_calc from the case's weights: the final weights, then the winners,
// then the inputs as training left them.
std::vector<float> trained(const Case& c) {
    csom_t m = c.map;
    csom_init(&m);
    for (unsigned d = 0; d < m.input_neurons; ++d) {
        std::copy(c.weights[d].begin(), c.weights[d].end(), m.weights[d]);
        std::copy(c.inputs[d].begin(), c.inputs[d].end(), m.inputs[d]);
    }
    csom_calc(&m);
    std::vector<float> r;
    for (unsigned d = 0; d < m.input_neurons; ++d) {
        auto w = row(m.weights[d], m.output_neurons);
        r.insert(r.end(), w.begin(), w.end());
    }
    r.insert(r.end(), m.winners, m.winners + m.samples);
    for (unsigned d = 0; d < m.input_neurons; ++d) {
        auto in = row(m.inputs[d], static_cast<std::size_t>(m.samples));
        r.insert(r.end(), in.begin(), in.end());
    }
    csom_destruct(&m);
    return r;
}

// The training as stated, one neuron and one dimension at a time.
std::vector<float> reference(const Case& c) {
    const unsigned D = c.map.input_neurons, N = c.map.output_neurons;
    const int S = c.map.samples;
    std::vector<std::vector<float>> x = c.inputs, w = c.weights;
    if (c.map.rescale)
        for (auto& values : x) {
            float lo = values[0], hi = values[0];
            for (float v : values) lo = std::min(lo, v), hi = std::max(hi, v);
            if (hi != lo)
                for (float& v : values) v *= 255.0f / (hi - lo);
        }
    std::vector<float> winners(static_cast<std::size_t>(S));
    int winner = 0;
    for (unsigned e = 0; e < c.map.max_epoch; ++e)
        for (int s = 0; s < S; ++s) {
            float best = 100000000.0f;
            for (unsigned n = 0; n < N; ++n) {
                float dist = 0;
                for (unsigned d = 0; d < D; ++d) dist += (x[d][s] - w[d][n]) * (x[d][s] - w[d][n]);
                if (dist < best) best = dist, winner = static_cast<int>(n);
            }
            winners[s] = static_cast<float>(winner);
            const float radius = c.radius[e], rate = c.rate[e];
            for (int j = 0; j < radius; ++j) {
                const double h = 1 - 1.000000001 * j / radius;
                for (int n : {(winner + j) % static_cast<int>(N), ((winner - j) % static_cast<int>(N) + static_cast<int>(N)) % static_cast<int>(N)})
                    for (unsigned d = 0; d < D; ++d) w[d][n] = static_cast<float>(w[d][n] + h * rate * (x[d][s] - w[d][n]));
            }
        }
    std::vector<float> r;
    for (const auto& v : w) r.insert(r.end(), v.begin(), v.end());
    r.insert(r.end(), winners.begin(), winners.end());
    for (const auto& v : x) r.insert(r.end(), v.begin(), v.end());
    return r;
}

}  // namespace

TEST(Csom, Schedules) {
    struct Row {
        unsigned neigh, epochs;
        float rate;
        std::vector<float> radius, rates;
    };
    const Row rows[] = {
        {2, 4, 1.0f, {2, 2, 1, 1}, {1.0f, 0.31622777f, 0.1f, 0.031622777f}},
        {3, 2, 0.5f, {3, 1}, {0.5f, 0.070710678f}},
        {8, 5, 0.3f, {8, 7, 5, 4, 1}, {0.3f, 0.15194871f, 0.076961363f, 0.038980598f, 0.019743505f}},
        {0, 3, 0.01f, {0, 0, 1}, {0.01f, 0.01f, 0.01f}},  // the last epoch always has radius 1
        {1, 3, 2.0f, {1, 1, 1}, {2.0f, 0.34199519f, 0.058480355f}},
        {5, 1, 0.1f, {1}, {0.1f}},
    };
    for (const Row& r : rows) {
        csom_t m = map_of(1, 2 * r.neigh + 2, r.neigh, r.rate, r.epochs, 1);
        csom_init(&m);
        SCOPED_TRACE("max_neigh " + std::to_string(r.neigh) + ", max_epoch " + std::to_string(r.epochs));
        EXPECT_EQ(row(m.radius, r.epochs), r.radius);
        for (unsigned i = 0; i < r.epochs; ++i) EXPECT_FLOAT_EQ(m.learn_rate[i], r.rates[i]) << "epoch " << i;
        csom_destruct(&m);
        EXPECT_EQ(m.radius, nullptr);
        EXPECT_EQ(m.inputs, nullptr);
    }
}

TEST(Csom, InitialWeights) {
    csom_t ramp = map_of(2, 4, 2, 0.5f, 1, 1);
    csom_init(&ramp);
    const std::vector<float> expected = {0.0f, 63.5f, 127.0f, 190.5f};
    EXPECT_EQ(row(ramp.weights[0], 4), expected);
    EXPECT_EQ(row(ramp.weights[1], 4), expected);

    // Random weights are whole numbers of 0 ... 255, not all equal.
    csom_t random = map_of(3, 50, 2, 0.5f, 1, 1, true);
    csom_init(&random);
    std::vector<float> all;
    for (int d = 0; d < 3; ++d) {
        const auto w = row(random.weights[d], 50);
        all.insert(all.end(), w.begin(), w.end());
    }
    for (float w : all) EXPECT_TRUE(w >= 0 && w <= 255 && w == static_cast<int>(w)) << w;
    EXPECT_NE(*std::min_element(all.begin(), all.end()), *std::max_element(all.begin(), all.end()));
    csom_destruct(&ramp);
    csom_destruct(&random);
}

TEST(Csom, WinnersAndRingUpdatesOnHandMadeWeights) {
    // One dimension; epochs whose radius and rate are set by hand.
    struct Row {
        const char* what;
        std::vector<float> weights, samples;
        float radius, rate;
        std::vector<float> after;
        std::vector<int> winners;  // of the last epoch
        unsigned epochs = 1;
    };
    const Row rows[] = {
        // Winner 0 at radius 2: 0 twice (80 -> 90 -> 95), then h = 0.5 for 1 and 3.
        {"ring forward and back", {80, 0, 10, 20}, {100}, 2, 0.5f, {95, 25, 10, 40}, {0}},
        {"the ring wraps forward", {0, 10, 20, 90}, {100}, 2, 0.5f, {25, 10, 40, 97.5f}, {3}},
        {"radius 1: the winner alone, twice", {0, 10, 20, 90}, {100}, 1, 0.5f, {0, 10, 20, 97.5f}, {3}},
        {"radius 0: no update", {0, 10, 20, 90}, {100}, 0, 0.5f, {0, 10, 20, 90}, {3}},
        {"the first of equal distances wins", {10, 30, 200, 250}, {20}, 1, 1.0f, {20, 30, 200, 250}, {0}},
        // Beyond 100000000 from every neuron: the previous winner (2) stays.
        {"too far: the winner carries over", {0, 10, 40, 60}, {38, 100000}, 1, 0.5f, {0, 10, 75009.625f, 60}, {2, 2}},
        {"too far from the start: neuron 0", {20000, 30000, 40000, 50000}, {0}, 1, 0.5f, {5000, 30000, 40000, 50000}, {0}},
        // Epoch 1 starts with the last winner of epoch 0 (2), not 0.
        {"the winner carries over epochs", {0, 10, 40, 60}, {100000, 38}, 1, 0.5f, {75000, 10, 75009.625f, 43.5f}, {2, 3}, 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        csom_t m = map_of(1, 4, 2, 0.5f, r.epochs, static_cast<int>(r.samples.size()));
        csom_init(&m);
        std::fill(m.radius, m.radius + r.epochs, r.radius);
        std::fill(m.learn_rate, m.learn_rate + r.epochs, r.rate);
        std::copy(r.weights.begin(), r.weights.end(), m.weights[0]);
        std::copy(r.samples.begin(), r.samples.end(), m.inputs[0]);
        csom_calc(&m);
        EXPECT_EQ(row(m.weights[0], 4), r.after);
        EXPECT_EQ(std::vector<int>(m.winners, m.winners + m.samples), r.winners);
        csom_destruct(&m);
    }
}

TEST(Csom, TrainingMatchesThePlainReference) {
    auto make = [](std::mt19937& random, int trial) {
        const unsigned dims = 1 + random() % 4, neurons = 2 + random() % 9, epochs = 1 + random() % 4;
        const int samples = 1 + static_cast<int>(random() % 60);
        Case c{map_of(dims, neurons, static_cast<unsigned>(random() % (neurons / 2 + 1)), 0.05f + (random() % 90) / 100.0f,
                      epochs, samples, trial % 2 == 1, trial % 3 == 0),
               {}, {}, {}, {}};
        csom_t m = c.map;
        csom_init(&m);
        for (unsigned d = 0; d < dims; ++d) c.weights.push_back(row(m.weights[d], neurons));
        c.radius = row(m.radius, epochs);
        c.rate = row(m.learn_rate, epochs);
        csom_destruct(&m);
        for (unsigned d = 0; d < dims; ++d) {
            const gen::Bytes v = gen::random_volume(random, samples, 1, 1, gen::kContents[random() % 7]);
            c.inputs.emplace_back(v.begin(), v.end());
        }
        if (trial % 5 == 0) c.inputs[0].assign(static_cast<std::size_t>(samples), 7.0f);  // a constant dimension
        return c;
    };
    reference_sweep(41, 300, make, trained, reference);
}

TEST(Csom, RescaleScalesWithoutShifting) {
    csom_t m = map_of(2, 2, 1, 0.5f, 1, 3, false, true);
    csom_init(&m);
    const float first[] = {10, 20, 60}, constant[] = {9, 9, 9};
    std::copy(first, first + 3, m.inputs[0]);
    std::copy(constant, constant + 3, m.inputs[1]);
    csom_calc(&m);
    EXPECT_EQ(row(m.inputs[0], 3), std::vector<float>({10 * 5.1f, 20 * 5.1f, 60 * 5.1f}));
    EXPECT_EQ(row(m.inputs[1], 3), std::vector<float>({9, 9, 9}));
    csom_destruct(&m);
}

TEST(Csom, GreyLevelsOfTheWinners) {
    struct Row {
        unsigned neurons;
        std::vector<int> winners;
        std::vector<unsigned char> pixels;
    };
    const Row rows[] = {
        {4, {3, 2, 1, 0, 1, 3}, {254, 169, 84, 0, 84, 254}},
        {2, {1, 0, 0, 1, 1, 1}, {254, 0, 0, 254, 254, 254}},
        {16, {15, 1, 2, 7, 8, 14}, {254, 16, 33, 118, 135, 237}},
    };
    for (const Row& r : rows) {
        csom_t m = map_of(1, r.neurons, 1, 0.5f, 1, 6);
        csom_init(&m);
        std::copy(r.winners.begin(), r.winners.end(), m.winners);
        imau1 out{};
        csomvecttoimau1(&m, 3, 2, &out);
        EXPECT_EQ(shape(out) + " " + out.nom, "3x2 csom_out");
        EXPECT_EQ(pixels_of(out), r.pixels) << r.neurons << " neurons";
        free_imau1(&out);
        csom_destruct(&m);
    }
}

TEST(Csom, ImagesCopiedIntoTheInputs) {
    csom_t m = map_of(3, 2, 1, 0.5f, 1, 6);
    csom_init(&m);
    imau1 a = make_image<imau1>(3, 2, [](int x, int y) { return 10 * y + x; });
    imau1 b = make_image<imau1>(3, 2, [](int x, int y) { return 255 - x - y; });
    imau1 c = make_image<imau1>(3, 2, [](int, int) { return 0; });
    imau1tocsomvect(m.inputs, 3, a, b, c);
    EXPECT_EQ(row(m.inputs[0], 6), std::vector<float>({0, 1, 2, 10, 11, 12}));
    EXPECT_EQ(row(m.inputs[1], 6), std::vector<float>({255, 254, 253, 254, 253, 252}));
    EXPECT_EQ(row(m.inputs[2], 6), std::vector<float>(6, 0.0f));

    imau1 tall = make_image<imau1>(2, 3, [](int, int) { return 1; });
    std::snprintf(a.nom, LONG_NOM, "a.ima");
    std::snprintf(tall.nom, LONG_NOM, "tall.ima");
    EXPECT_TRUE(ended(run_captured([&] { imau1tocsomvect(m.inputs, 2, a, tall); }), 1,
                      "\n>> ERREUR imau1tocsomvect : image 2/2 (tall.ima) de 2x3, image 1/2 (a.ima) de 3x2 : tailles "
                      "differentes\n"));
    for (imau1* image : {&a, &b, &c, &tall}) free_imau1(image);
    csom_destruct(&m);
}

TEST(Csom, RefusedDescriptors) {
    struct Row {
        csom_t map;
        const char* message;
    };
    const Row rows[] = {
        {map_of(0, 4, 1, 0.5f, 1, 6), "\n>> ERREUR csom_init : input_neurons 0 refuse (de 1 a 2147483647)\n"},
        {map_of(1, 1, 0, 0.5f, 1, 6), "\n>> ERREUR csom_init : output_neurons 1 refuse (de 2 a 2147483647)\n"},
        {map_of(1, 4, 1, 0.5f, 0, 6), "\n>> ERREUR csom_init : max_epoch 0 refuse (au moins 1)\n"},
        {map_of(1, 4, 1, 0.0f, 1, 6), "\n>> ERREUR csom_init : max_learn_rate 0 refuse (reel strictement positif)\n"},
        {map_of(1, 4, 1, 0.5f, 1, 0), "\n>> ERREUR csom_init : samples 0 refuse (au moins 1)\n"},
    };
    for (const Row& r : rows) {
        csom_t m = r.map;
        EXPECT_TRUE(ended(run_captured([&] { csom_init(&m); }), 1, r.message));
    }
    csom_t m = map_of(1, 4, 1, 0.5f, 1, 6);
    csom_init(&m);
    imau1 out{};
    EXPECT_TRUE(ended(run_captured([&] { csomvecttoimau1(&m, 5, 1, &out); }), 1,
                      "\n>> ERREUR csomvecttoimau1 : image de 5x1 pour 6 echantillons\n"));
    csom_destruct(&m);
}
