// Region growing in 2D against a plain reference (union-find over the
// pixel graph that the neighbourhood codes define, the image scanned as one
// line), on the label plane of one pass and on the whole process; then the
// cases users check by eye, the label overflow and its status, the
// threshold range, and the dialogue.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "files.hpp"
#include "generators.hpp"
#include "images.hpp"
#include "reggrow.h"
#include "sweep.hpp"

using namespace testing_support;

namespace {

// An image held flat, row after row, and the parameters of a run.
struct Case {
    int nc, nr;
    gen::Bytes v;
    reggrow_t d;

    std::string describe() const {
        return "image " + std::to_string(nc) + "x" + std::to_string(nr) + ", nb_iter " + std::to_string(d.nb_iter) +
               ", seuil " + std::to_string(d.seuil) + ", increment " + std::to_string(d.increment) + ", taille_min " +
               std::to_string(d.taille_min);
    }
    std::string where(std::size_t i) const {
        return i < 2 ? "count " + std::to_string(i) : "element " + std::to_string(i);
    }
};

// ---- The reference -----------------------------------------------------

struct Pass {
    std::vector<int> labels;  // row after row
    int used = 0, effective = 0;
};

// One pass: pixels joined as the codes say, each region labelled with the
// number of pixels before its first pixel that start a region.
Pass plain_pass(const gen::Bytes& img, int nc, int nr, int t) {
    const int n = nc * nr;
    std::vector<int> parent(static_cast<std::size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int p) {
        while (parent[p] != p) p = parent[p];
        return p;
    };
    auto unite = [&](int a, int b) {
        a = root(a), b = root(b);
        parent[std::max(a, b)] = std::min(a, b);
    };
    auto similar = [&](int p, int q) { return std::abs(img[p] - img[q]) < t; };
    std::vector<int> start_label(static_cast<std::size_t>(n), -1);
    int made = 0;
    start_label[0] = 0;
    for (int p = 1; p < n; ++p) {
        const bool left = similar(p, p - 1);
        const bool up = p >= nc && similar(p, p - nc);
        const bool left_up = p >= nc && similar(p - 1, p - nc);
        if (left) unite(p, p - 1);
        if (up) unite(p, p - nc);
        if (left_up && (left || up)) unite(p - 1, p - nc);
        if (!left && !up) start_label[p] = ++made;
    }
    Pass pass;
    for (int p = 0; p < n; ++p) {
        const int label = start_label[root(p)];  // a region's root is its first pixel
        pass.labels.push_back(label);
        if (label >= pass.used) {
            pass.used = label + 1;
            ++pass.effective;
        }
    }
    return pass;
}

// The whole process: lines printed and the painted image.
std::string plain_process(const Case& c) {
    std::string text;
    auto line = [&](const char* format, int value) {
        char s[128];
        std::snprintf(s, sizeof s, format, value);
        text += s;
    };
    gen::Bytes out(c.v.size());
    auto paint = [&](const Pass& pass, int minimum) {
        std::vector<long long> count(static_cast<std::size_t>(pass.used)), sum(count.size());
        for (std::size_t p = 0; p < out.size(); ++p) ++count[pass.labels[p]], sum[pass.labels[p]] += c.v[p];
        int kept = 0;
        for (std::size_t l = 0; l < count.size(); ++l) kept += count[l] > 0 && count[l] > minimum;
        for (std::size_t p = 0; p < out.size(); ++p) {
            const long long k = count[pass.labels[p]];
            out[p] = static_cast<unsigned char>(k > minimum ? sum[pass.labels[p]] / k : 0);
        }
        line("nb d'etiquettes effectives avant agregation = %d\n", pass.effective);
        line("nb d'etiquettes effectives apres agregation = %d\n", kept);
    };
    int t = c.d.seuil;
    Pass pass = plain_pass(c.v, c.nc, c.nr, t);
    text += "init image\n";
    line("nb d'etiquettes utilisees = %d \n", pass.used);
    paint(pass, 0);
    for (int k = 0; k < c.d.nb_iter; ++k) {
        line("iteration %d\n", k);
        t += c.d.increment;
        line("seuil: %d\n", t);
        pass = plain_pass(out, c.nc, c.nr, t);
        line("nb d'etiquettes utilisees = %d\n", pass.used);
        paint(pass, k == c.d.nb_iter - 1 ? c.d.taille_min : 0);
    }
    return text + std::string(out.begin(), out.end());
}

// ---- The operator --------------------------------------------------------

imau1 to_image(const Case& c) {
    return make_image<imau1>(c.nc, c.nr, [&](int x, int y) { return c.v[static_cast<std::size_t>(y) * c.nc + x]; });
}

// init then calc, as the program runs them: what they print, then the pixels.
std::string process(const Case& c) {
    imau1 in = to_image(c), out{};
    reggrow_t d = c.d;
    std::string text = quietly([&] {
        reggrow_init(&d, &in, &out);
        EXPECT_EQ(reggrow_calc(&d, &in, &out), 0);
    });
    text += bytes_of(out);
    free_imau1(&in);
    free_imau1(&out);
    return text;
}

// One pass of etiq on the image (used, effective, the labels), then the
// whole process.
std::vector<int> pass_and_process(const Case& c) {
    std::vector<int> labels(c.v.size(), -7);
    int used = -1, effective = -1;
    const std::string printed =
        quietly([&] { etiq(c.v.data(), labels.data(), c.nr, c.nc, c.d.seuil, &used, &effective); });
    EXPECT_EQ(printed, "init image\n");
    labels.insert(labels.begin(), {used, effective});
    const std::string text = process(c);
    labels.insert(labels.end(), text.begin(), text.end());
    return labels;
}

std::vector<int> plain_pass_and_process(const Case& c) {
    Pass pass = plain_pass(c.v, c.nc, c.nr, c.d.seuil);
    pass.labels.insert(pass.labels.begin(), {pass.used, pass.effective});
    const std::string text = plain_process(c);
    pass.labels.insert(pass.labels.end(), text.begin(), text.end());
    return pass.labels;
}

Case random_case(std::mt19937& random, int trial) {
    const int nc = 1 + static_cast<int>(random() % 14), nr = 1 + static_cast<int>(random() % 14);
    const int thresholds[] = {-1, 0, 1, 2, 3, 5, 8, 12, 20, 40, 100, 300};
    reggrow_t d{static_cast<int>(random() % 4), thresholds[random() % 12], static_cast<int>(random() % 14) - 3,
                static_cast<int>(random() % 10) - 1};
    return {nc, nr, gen::random_volume(random, nc, nr, 1, gen::kContents[trial % 7]), d};
}

// A row of pixels as a case of one row; nr rows of nc pixels as a case.
Case row(gen::Bytes v, reggrow_t d) { return {static_cast<int>(v.size()), 1, std::move(v), d}; }
Case image(int nc, int nr, gen::Bytes v, reggrow_t d) { return {nc, nr, std::move(v), d}; }

}  // namespace

TEST(Reggrow, OnePassAndTheWholeProcessMatchTheReference) {
    reference_sweep(41, 3000, random_case, pass_and_process, plain_pass_and_process);
}

TEST(Reggrow, LabelsJoinedThroughEntriesThatAreNotRoots) {
    // Row 0's last pixels start labels of their own, joined to the region of
    // label 0 only in later rows, through table entries that already link
    // elsewhere: a union that overwrote those links would split the region.
    const Case c{8, 4, {0, 0, 2, 1, 3, 3, 1, 4, 1, 2, 2, 3, 5, 1, 1, 3, 5, 0, 1, 2, 5, 1, 3, 3, 2, 1, 3, 4, 5, 2, 4, 5},
                 {0, 2, 0, 0}};
    EXPECT_EQ(pass_and_process(c), plain_pass_and_process(c));
}

TEST(Reggrow, CasesCheckedByEye) {
    struct Example {
        const char* what;
        Case c;
        gen::Bytes expected;
        std::vector<std::string> lines;  // printed, in this order
    };
    gen::Bytes sizes(21, 200), small_gone(21, 200);  // 10 pixels of 100, then 11 of 200, 7 a row
    std::fill(sizes.begin(), sizes.begin() + 10, 100);
    std::fill(small_gone.begin(), small_gone.begin() + 10, 0);
    const Example examples[] = {
        {"a constant image is one region", image(4, 3, gen::Bytes(12, 77), {2, 1, 1, 0}), gen::Bytes(12, 77),
         {"nb d'etiquettes utilisees = 1 \n", "effectives avant agregation = 1\n"}},
        {"7 over 2 pixels is 3", row({3, 4}, {0, 5, 0, 0}), {3, 3}, {"apres agregation = 1\n"}},
        {"threshold 0: every pixel its own region", row({5, 5, 5}, {0, 0, 0, 0}), {5, 5, 5},
         {"utilisees = 3 \n", "avant agregation = 3\n"}},
        {"differences equal to the threshold are not similar", row({10, 15, 20}, {0, 5, 0, 0}), {10, 15, 20}, {}},
        // 48 ends row 0, 52 starts row 1: joined through the raster wrap.
        {"regions joined across the end of a row", image(3, 2, {10, 10, 48, 52, 90, 90}, {0, 5, 0, 0}),
         {10, 10, 50, 50, 90, 90}, {"avant agregation = 3\n"}},
        // Thresholds 5 (nothing joins), 8 (0-6-13) and 11 (24-34, on the
        // previous result 6 6 6 24 34); means always of the input.
        {"thresholds 5, 8 and 11", row({0, 6, 13, 24, 34}, {2, 5, 3, 0}), {6, 6, 6, 29, 29},
         {"init image\nnb d'etiquettes utilisees = 5 \nnb d'etiquettes effectives avant agregation = 5\n"
          "nb d'etiquettes effectives apres agregation = 5\niteration 0\nseuil: 8\n"
          "nb d'etiquettes utilisees = 3\nnb d'etiquettes effectives avant agregation = 3\n"
          "nb d'etiquettes effectives apres agregation = 3\niteration 1\nseuil: 11\n"
          "nb d'etiquettes utilisees = 2\nnb d'etiquettes effectives avant agregation = 2\n"
          "nb d'etiquettes effectives apres agregation = 2\n"}},
        {"taille_min 10 in the last iteration", image(7, 3, sizes, {1, 5, 0, 10}), small_gone,
         {"apres agregation = 2\n", "apres agregation = 1\n"}},
        {"taille_min 9 keeps both", image(7, 3, sizes, {1, 5, 0, 9}), sizes, {}},
        {"taille_min has no effect without iterations", image(7, 3, sizes, {0, 5, 0, 50}), sizes, {}},
        {"a negative nb_iter is none", image(7, 3, sizes, {-4, 5, 0, 50}), sizes, {}},
        // Label 2 (top right 5) is joined to label 0 and owns no pixel: it is
        // not kept, even when every size is.
        {"negative taille_min", image(4, 2, {5, 90, 5, 90, 5, 5, 5, 90}, {1, 5, 0, -1}), {5, 90, 5, 90, 5, 5, 5, 90},
         {"utilisees = 4 \n", "apres agregation = 3\n", "apres agregation = 3\n"}},
    };
    for (const Example& e : examples) {
        const std::string text = process(e.c);
        EXPECT_EQ(text, plain_process(e.c)) << e.what;
        const std::size_t lines = text.size() - e.expected.size();
        EXPECT_EQ(text.substr(lines), std::string(e.expected.begin(), e.expected.end())) << e.what;
        std::size_t at = 0;
        for (const std::string& line : e.lines) {
            at = text.find(line, at);
            EXPECT_LT(at, lines) << e.what << ": " << line;
        }
    }
}

TEST(Reggrow, LabelOverflowEndsWithTheCountOfCharactersPrinted) {
    // Threshold 0: every pixel makes a label; 65 535 labels (0 ... 65 534)
    // fit, one more does not, also when a single row needs them.
    struct Size {
        int nc, nr;
        bool fits;
    };
    const Size sizes[] = {{255, 257, true}, {256, 257, false}, {65536, 1, false}, {70000, 2, false}, {65535, 1, true}};
    const std::string overflow = "too many labels nblab=65535\n";
    for (const Size& s : sizes) {
        const Case c{s.nc, s.nr, gen::Bytes(static_cast<std::size_t>(s.nc) * s.nr, 9), {0, 0, 0, 0}};
        const Outcome run = run_captured([&] {
            std::vector<int> labels(c.v.size());
            int used = 0, effective = 0;
            etiq1(c.v.data(), labels.data(), c.nr, c.nc, 0, &used, &effective);
            std::printf("%d %d %d", used, effective, labels.back());
        });
        if (s.fits) EXPECT_TRUE(ended(run, 0, "65535 65535 65534")) << s.nc << "x" << s.nr;
        else EXPECT_TRUE(ended(run, static_cast<int>(overflow.size()), overflow)) << s.nc << "x" << s.nr;
    }
    // Through the whole process, after the first pass's line.
    const Outcome whole = run_captured([] { process({256, 257, gen::Bytes(256 * 257, 9), {1, 0, 0, 0}}); });
    EXPECT_EQ(whole.status, 28);
}

TEST(Reggrow, RefusesThresholdsBeyondIntAndAResultOfOtherSizes) {
    struct Refusal {
        reggrow_t d;
        int out_nc;
        std::string message;
    };
    const std::string beyond = "\n>> ERREUR reggrow : seuil ";
    const Refusal refusals[] = {
        {{1, INT_MAX, 1, 0}, 2, beyond + "2147483648 hors des entiers a la derniere iteration (seuil de depart "
                                         "2147483647, increment 1, 1 iterations)\n"},
        {{3, INT_MIN + 5, -2, 0}, 2, beyond + "-2147483649 hors des entiers"},
        {{INT_MAX, 0, 2, 0}, 2, beyond + "4294967294 hors des entiers"},
        {{1, 5, 0, 0}, 1, "\n>> ERREUR reggrow_calc : image resultat 1x1 differente de l'image initiale 2x1\n"},
    };
    for (const Refusal& r : refusals)
        for (bool init : {true, false}) {
            if (init && r.out_nc == 1) continue;  // init sizes the result itself
            const Outcome run = run_captured([&] {
                imau1 in = to_image(row({1, 2}, r.d)), out = to_image(row(gen::Bytes(static_cast<std::size_t>(r.out_nc), 0), r.d));
                reggrow_t d = r.d;
                if (init) reggrow_init(&d, &in, &out);
                else reggrow_calc(&d, &in, &out);
            });
            EXPECT_TRUE(ended_saying(run, 1, r.message)) << r.message;
        }
    // The extremes themselves are thresholds; no iteration uses only seuil.
    for (const reggrow_t d : {reggrow_t{1, INT_MAX - 3, 3, 0}, reggrow_t{-9, INT_MAX, 99, 0}})
        EXPECT_EQ(process(row({1, 2}, d)), plain_process(row({1, 2}, d)));
}
