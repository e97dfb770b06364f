// neighbourhood.hpp: the radius of the neighbourhood that the colour map's
// training moves around the winning neuron.
#pragma once

#include <cmath>

namespace colour {

// The widths of the neighbourhood of a map of n neurons: sigma0 at the
// first epoch, falling to sigmaf.
inline double initial_width(int n) { return std::sqrt(n / (2.0 * std::log(10.0))); }
inline double final_width() { return std::sqrt(1.0 / std::log(10.0)); }

// The radius during the epoch that follows `done` epochs of `epochs`
// (0 <= done < max(epochs, 1)) for n >= 4 neurons:
//   trunc(((n/2 - 1) sigma + sigma0 - n sigmaf / 2) / (sigma0 - sigmaf))
// with sigma = sigma0 - done (sigma0 - sigmaf) / epochs, which is
//   n/2 - (n/2 - 1) done / epochs                              (n even)
//   (n-1)/2 - ((n-1)/2 - 1) done / epochs - sigmaf / (2 (sigma0 - sigmaf))  (n odd).
// For an even n the value is rational and taken in integers, so that a
// radius that is exactly an integer (n/2 at the start, n/2 - done whenever
// epochs = n/2 - 1) is never lowered by rounding; for an odd n it is never
// an integer (the last term is irrational) and is taken in doubles.
inline int neighbourhood_radius(int n, int epochs, int done) {
    const long long half = n / 2;
    const long long steps = epochs > 0 ? epochs : 1;
    const long long numerator = half * steps - (half - 1) * done;
    if (n % 2 == 0) return static_cast<int>(numerator / steps);
    const double sigma0 = initial_width(n), sigmaf = final_width();
    return static_cast<int>(static_cast<double>(numerator) / static_cast<double>(steps) - sigmaf / (2.0 * (sigma0 - sigmaf)));
}

}  // namespace colour
