// The reference sweep: a fast operator against a plain reference on many
// random inputs, reporting the first difference.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <random>
#include <sstream>

namespace testing_support {

// Makes `trials` cases with make(random, trial) from a generator seeded with
// `seed`, and compares fast(case) with reference(case) (indexable results),
// element by element with same(a, b). Stops at the first case whose results
// differ and reports the trial, case.describe() and the first differing
// element, described by case.where(index).
template <class Make, class Fast, class Reference, class Same>
void reference_sweep(unsigned seed, int trials, Make make, Fast fast, Reference reference, Same same) {
    std::mt19937 random(seed);
    for (int trial = 0; trial < trials; ++trial) {
        const auto c = make(random, trial);
        const auto got = fast(c);
        const auto expected = reference(c);
        const std::size_t n = std::min(got.size(), expected.size());
        std::size_t i = 0;
        while (i < n && same(got[i], expected[i])) ++i;
        if (i == n && got.size() == expected.size()) continue;
        std::ostringstream report;
        report << "trial " << trial << ", " << c.describe() << ": ";
        if (i < n) report << std::setprecision(17) << c.where(i) << " is " << +got[i] << " instead of " << +expected[i];
        else report << got.size() << " values instead of " << expected.size();
        FAIL() << report.str();
    }
}

// The same with results equal element by element.
template <class Make, class Fast, class Reference>
void reference_sweep(unsigned seed, int trials, Make make, Fast fast, Reference reference) {
    reference_sweep(seed, trials, make, fast, reference, [](const auto& a, const auto& b) { return a == b; });
}

}  // namespace testing_support
