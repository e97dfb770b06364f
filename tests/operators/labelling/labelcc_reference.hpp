// A deliberately plain labeller: the two pixel-by-pixel scans with their
// neighbourhood codes, links written as the code table says and followed
// without shortening, the table flattened once between the scans. The fast
// labeller must give exactly its labels, object count and saturation.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace reference {

struct Result {
    std::vector<std::uint16_t> labels;  // row after row
    unsigned objects = 0;
    bool saturated = false;
};

inline Result label(const std::vector<std::uint8_t>& image, int nc, int nr, int connexite, int threshold,
                    int contraste, int plage) {
    const bool dark = contraste < 0;
    const bool c8 = connexite != 4;
    const int mask = c8 ? 15 : 7;
    const int seuil = std::max(threshold, dark ? 0 : 1);
    std::vector<std::uint16_t> t(65536, 0);
    Result result;
    result.labels.assign(static_cast<std::size_t>(std::max(nc, 0)) * static_cast<std::size_t>(std::max(nr, 0)), 0);
    if (nc <= 0 || nr <= 0) return result;

    auto binarise = [&](int y, std::vector<unsigned>& row) {
        for (int x = 0; x < nc; ++x) {
            const int p = image[static_cast<std::size_t>(y) * nc + x];
            if (dark) row[x] = p <= seuil ? 65535 : 0;
            else if (seuil > 1) row[x] = p >= seuil ? 65535 : 0;
            else row[x] = static_cast<unsigned>(p);
        }
    };
    auto root = [&](unsigned l) {
        while (t[l] != l) l = t[l];
        return l;
    };

    // scan 1 (links) when first, scan 2 (output) otherwise
    auto scan = [&](bool first) {
        std::vector<unsigned> prev(static_cast<std::size_t>(nc), 0), cur(static_cast<std::size_t>(nc));
        unsigned counter = 0;
        for (int y = 0; y < nr; ++y) {
            binarise(y, cur);
            unsigned code = 0, lab_l = 0, lab_d = 0;
            for (int x = 0; x < nc; ++x) {
                code = ((code << 2) & static_cast<unsigned>(mask)) + 2u * (prev[x] != 0) + (cur[x] != 0);
                const unsigned lab_u = prev[x] == 0 ? 0 : (first ? root(prev[x]) : prev[x]);
                unsigned keep_d = lab_u, lab = 0;
                switch (code) {
                    case 6:
                        if (c8) {
                            if (first) t[std::max(lab_l, lab_u)] = static_cast<std::uint16_t>(std::min(lab_l, lab_u));
                            keep_d = std::min(lab_l, lab_u);
                        }
                        break;
                    case 1:
                        if (first && counter == 65535) {
                            result.saturated = true;
                            return;
                        }
                        ++counter;
                        if (first) t[counter] = static_cast<std::uint16_t>(counter);
                        lab = counter;
                        break;
                    case 3:
                    case 11:
                        lab = lab_u;
                        break;
                    case 5:
                    case 13:
                    case 15:
                        lab = lab_l;
                        break;
                    case 9:
                        lab = lab_d;
                        break;
                    case 7:
                        if (first) {
                            if (lab_u >= lab_l) t[lab_u] = static_cast<std::uint16_t>(lab_l);
                            else t[lab_l] = static_cast<std::uint16_t>(lab_u);
                        }
                        lab = std::min(lab_l, lab_u);
                        keep_d = lab;
                        break;
                    default:
                        break;
                }
                cur[x] = lab;
                if (!first) result.labels[static_cast<std::size_t>(y) * nc + x] = t[lab];
                lab_l = lab;
                lab_d = keep_d;
            }
            std::swap(prev, cur);
        }
        if (first) {
            const unsigned k = counter;
            for (unsigned i = 1; i <= k; ++i) t[i] = static_cast<std::uint16_t>(root(i));
            unsigned n = 0;
            for (unsigned j = 1; j <= k; ++j) {
                if (t[j] == j) {
                    if (plage >= 2) {
                        t[j] = static_cast<std::uint16_t>(++n);
                    } else {
                        t[j] = static_cast<std::uint16_t>(n % 255 + 1);
                        ++n;
                    }
                } else {
                    t[j] = t[t[j]];
                }
            }
            result.objects = n;
        }
    };
    scan(true);
    if (!result.saturated) scan(false);
    return result;
}

}  // namespace reference
