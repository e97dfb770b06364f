// sliding_median.hpp: exact medians of every box of an 8-bit volume by
// sliding two-level histograms, shared by the 3D median filter (median3d)
// and the 2D square median (medhist, a volume of one plane with a window one
// plane deep).
//
// The data are reached through two accessors, so that volumes (one
// allocation per trace) and images (one contiguous block) use the same code:
// trace(y, z) returns the dimx samples of trace y of plane z, out_row(y, z)
// the dimx samples of the result at the same place.
//
// The exact median of every winX x winY x winZ box is read off a histogram
// of the box, and that histogram is never rebuilt from the box's samples:
//
// * Slab histograms. For every x, slab[x] counts the winY x winZ samples
//   (x, y', z') of the current (y, z) window. The window walks over the
//   interior of the (y, z) plane in a snake: along an inner axis u to the
//   end, one step along the outer axis v, back along u, and so on. A step
//   along u turns, in every slab, the winV samples of the row that leaves
//   into those of the row that enters: 2 winV count updates per x. A step
//   along v, once per snake row, does the same with winU samples. The inner
//   axis is the one whose steps are cheaper (y when winZ <= winY). With one
//   plane and winZ = 1, a step down the image moves one sample in and one
//   out of each column histogram, whatever the window.
// * Kernel histogram. Along one output row (y and z fixed), the histogram of
//   the box centred on x is slab[x-hx] + ... + slab[x+hx]; moving to x+1 adds
//   slab[x+hx+1] and subtracts slab[x-hx]: a fixed amount of work whatever
//   winX.
// * Two levels. Every histogram has 256 fine bins (one per grey level) and
//   16 coarse bins (16 grey levels each). The kernel's coarse bins follow
//   every step; the median's coarse bin is found from them, and only the 16
//   fine bins of that coarse bin are brought up to date, lazily: each coarse
//   bin remembers the x at which its fine bins were last right and catches
//   up by adding and subtracting the slabs it missed, or by summing its
//   winX slab segments afresh when that is cheaper. Neighbouring samples
//   mostly have their median in the same coarse bin, so catching up is
//   usually one step.
// * Search. Within 16 bins (the coarse ones, then the fine segment) the
//   median is where the running total first exceeds half the box. With
//   16-bit counts the 16 running totals are computed at once in two vector
//   registers and compared with half the box, without a branch; each
//   sample's search is independent of the previous one, so consecutive
//   samples overlap in the processor.
//
// Cost per output sample: 2 winV slab count updates (fine and coarse) for
// the snake, two 16-bin additions for the kernel's coarse bins and usually
// two for the fine segment, and two 16-bin searches: linear in the window
// side through the slab updates only (constant for a 2D window). Counts are
// 16-bit while a box holds fewer than 65 536 samples and wider beyond; the
// width is chosen once per call, and so is the layout of the fine bins (by
// slab, or by segment when a step moves a single trace; see Layout).
// Memory: 272 counts per x for the slabs and one kernel, all allocated
// before the loops.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

namespace sliding_median {

// Sizes along x (samples of a trace), y (traces of a plane) and z (planes):
// of the data, or of a window.
struct Extent {
    int x, y, z;
};

namespace detail {

constexpr int kLevels = 256;                 // fine bins: one per grey level
constexpr int kCoarse = 16;                  // coarse bins
constexpr int kSegment = kLevels / kCoarse;  // fine bins per coarse bin
constexpr int kCoarseShift = 4;              // level >> kCoarseShift = its coarse bin
static_assert(kSegment << kCoarseShift == kLevels && kCoarse == kSegment);

// bins += entering - leaving, over the n bins of two histograms (n is a
// constant, so the loop becomes a few vector instructions). Counts wrap
// modulo their width on the way; the result is exact.
template <int n, class Count>
inline void slide(Count* bins, const Count* entering, const Count* leaving) {
    for (int i = 0; i < n; ++i) bins[i] = static_cast<Count>(bins[i] + entering[i] - leaving[i]);
}

template <int n, class Count>
inline void accumulate(Count* bins, const Count* more) {
    for (int i = 0; i < n; ++i) bins[i] = static_cast<Count>(bins[i] + more[i]);
}

#if defined(__SSE2__)
// find_in_16 for 16-bit counts: the 16 running totals in two registers
// (prefix sums by shifted additions), compared with half at once. The totals
// never exceed the box (< 65 536), so 16-bit lanes hold them exactly.
inline int find_in_16_sse2(const std::uint16_t* bins, std::size_t& below, std::size_t half) {
    __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bins));
    __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bins + 8));
    low = _mm_add_epi16(low, _mm_slli_si128(low, 2));
    high = _mm_add_epi16(high, _mm_slli_si128(high, 2));
    low = _mm_add_epi16(low, _mm_slli_si128(low, 4));
    high = _mm_add_epi16(high, _mm_slli_si128(high, 4));
    low = _mm_add_epi16(low, _mm_slli_si128(low, 8));
    high = _mm_add_epi16(high, _mm_slli_si128(high, 8));
    const __m128i base = _mm_set1_epi16(static_cast<short>(below));
    __m128i low_total = _mm_shufflehi_epi16(low, 0xFF);  // lane 7 in lanes 4-7
    low_total = _mm_unpackhi_epi64(low_total, low_total);
    low = _mm_add_epi16(low, base);
    high = _mm_add_epi16(high, _mm_add_epi16(low_total, base));

    // total <= half exactly when the unsigned saturated total - half is 0.
    const __m128i limit = _mm_set1_epi16(static_cast<short>(half));
    const __m128i zero = _mm_setzero_si128();
    const __m128i low_under = _mm_cmpeq_epi16(_mm_subs_epu16(low, limit), zero);
    const __m128i high_under = _mm_cmpeq_epi16(_mm_subs_epu16(high, limit), zero);
    // Running totals grow, so the bins under half are a prefix: its length
    // is the number of trailing ones of the mask.
    const auto under = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(low_under, high_under)));
    const int found = std::countr_one(under);

    std::array<std::uint16_t, 17> totals;  // totals[i]: running total before bin i
    totals[0] = static_cast<std::uint16_t>(below);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(totals.data() + 1), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(totals.data() + 9), high);
    below = totals[static_cast<std::size_t>(found)];
    return found;
}
#endif

// The first of 16 bins at which the running total, counted on from below,
// exceeds half; below becomes the running total before that bin. The 16
// bins must hold more than half - below in all.
template <class Count>
inline int find_in_16(const Count* bins, std::size_t& below, std::size_t half) {
#if defined(__SSE2__)
    if constexpr (std::is_same_v<Count, std::uint16_t>) return find_in_16_sse2(bins, below, half);
#endif
    int i = 0;
    while (below + bins[i] <= half) below += bins[i++];
    return i;
}

// How the fine bins of the slabs are laid out. by_slab: the 256 bins of
// slab 0, then those of slab 1, ...: a slab update finds its bin at once,
// which suits windows whose slab updates dominate (several traces per
// step). by_segment: the 16 bins of coarse bin 0 of every slab, slab after
// slab, then those of coarse bin 1, ...: the kernel, which reads one
// segment of consecutive slabs, reads consecutive memory, which suits
// windows whose steps move a single trace (a 2D window), where the kernel
// dominates.
enum class Layout { by_slab, by_segment };

// The histograms of the winY x winZ slabs, one per x: 256 fine bins and 16
// coarse bins each.
template <class Count, Layout layout>
class Slabs {
public:
    explicit Slabs(int dimx)
        : dimx_(dimx),
          stride_(static_cast<std::size_t>(dimx) * kSegment),
          fine_(static_cast<std::size_t>(dimx) * kLevels, 0),
          coarse_(static_cast<std::size_t>(dimx) * kCoarse, 0) {}

    // Counts the samples of one trace, trace[x] in slab x.
    void add(const unsigned char* trace) {
        Count* fine = fine_.data();
        Count* coarse = coarse_.data();
        for (int x = 0; x < dimx_; ++x, fine += kNext, coarse += kCoarse) {
            const unsigned level = trace[x];
            ++fine[bin(level)];
            ++coarse[level >> kCoarseShift];
        }
    }

    // For every x and i, moves the sample leaving[i][x] out of slab x and
    // the sample entering[i][x] in. Trace by trace: consecutive updates go
    // to different slabs and do not wait for one another, even where many
    // samples share a grey level. Both levels are loaded before any count is
    // stored (a store through Count* could otherwise alias the traces and
    // force them to be read again).
    void replace(std::span<const unsigned char* const> leaving, std::span<const unsigned char* const> entering) {
        for (std::size_t i = 0; i < leaving.size(); ++i) {
            const unsigned char* out = leaving[i];
            const unsigned char* in = entering[i];
            Count* fine = fine_.data();
            Count* coarse = coarse_.data();
            for (int x = 0; x < dimx_; ++x, fine += kNext, coarse += kCoarse) {
                const unsigned gone = out[x], come = in[x];
                --fine[bin(gone)];
                ++fine[bin(come)];
                --coarse[gone >> kCoarseShift];
                ++coarse[come >> kCoarseShift];
            }
        }
    }

    // The 16 fine bins of coarse bin `coarse_bin` of slab x.
    const Count* segment(int x, int coarse_bin) const {
        const auto ux = static_cast<std::size_t>(x), ub = static_cast<std::size_t>(coarse_bin);
        if constexpr (layout == Layout::by_slab) return fine_.data() + ux * kLevels + ub * kSegment;
        else return fine_.data() + ub * stride_ + ux * kSegment;
    }
    const Count* coarse(int x) const { return coarse_.data() + static_cast<std::size_t>(x) * kCoarse; }

    // Fine bins from a segment of slab x to the same segment of slab x + 1.
    static constexpr std::size_t kNext = layout == Layout::by_slab ? kLevels : kSegment;

private:
    // The fine bin of a level, from the first bin of its slab.
    std::size_t bin(unsigned level) const {
        if constexpr (layout == Layout::by_slab) return level;
        else return (level >> kCoarseShift) * stride_ + (level % kSegment);
    }

    int dimx_;
    std::size_t stride_;  // by_segment: fine bins from one coarse bin's segments to the next's
    std::vector<Count> fine_;
    std::vector<Count> coarse_;
};

// The box histogram sliding along one output row, and the median search.
template <class Count, Layout layout>
class RowFilter {
public:
    RowFilter(int dimx, int winx, std::size_t box) : dimx_(dimx), winx_(winx), halfx_((winx - 1) / 2), half_(box / 2) {}

    // Writes the medians of the row's interior (x = hx ... dimx-hx-1) into
    // row, from slab histograms that hold the row's (y, z) window.
    void run(const Slabs<Count, layout>& slabs, unsigned char* row) {
        const int hx = halfx_;
        coarse_.fill(0);
        for (int x = 0; x < winx_; ++x) accumulate<kCoarse>(coarse_.data(), slabs.coarse(x));
        // Every fine segment is out of date: far enough behind to be summed afresh.
        fresh_at_.fill(static_cast<std::ptrdiff_t>(hx) - winx_ - 1);

        for (int x = hx;;) {
            // The median is the (box+1)/2-th smallest value (box odd): the
            // first level at which the running total exceeds box/2.
            std::size_t below = 0;
            const int bin = find_in_16(coarse_.data(), below, half_);

            Count* segment = fine_.data() + bin * kSegment;
            const std::ptrdiff_t behind = x - fresh_at_[bin];
            if (2 * behind <= winx_) {
                for (std::ptrdiff_t j = fresh_at_[bin] + 1; j <= x; ++j)
                    slide<kSegment>(segment, slabs.segment(static_cast<int>(j) + hx, bin),
                                    slabs.segment(static_cast<int>(j) - hx - 1, bin));
            } else {
                const Count* first = slabs.segment(x - hx, bin);
                std::copy_n(first, kSegment, segment);
                for (int i = 1; i < winx_; ++i) accumulate<kSegment>(segment, first + i * Slabs<Count, layout>::kNext);
            }
            fresh_at_[bin] = x;

            const int level = find_in_16(segment, below, half_);
            assert(bin >= 0 && bin < kCoarse && level >= 0 && level < kSegment);
            row[x] = static_cast<unsigned char>(bin * kSegment + level);

            if (++x > dimx_ - hx - 1) break;
            slide<kCoarse>(coarse_.data(), slabs.coarse(x + hx), slabs.coarse(x - hx - 1));
        }
    }

private:
    int dimx_, winx_, halfx_;
    std::size_t half_;                     // box / 2
    std::array<Count, kCoarse> coarse_{};  // always the current box
    std::array<Count, kLevels> fine_{};    // segment b is the box at fresh_at_[b]
    std::array<std::ptrdiff_t, kCoarse> fresh_at_{};
};

// The snake over the (y, z) interior with counts of type Count, which must
// hold the box's sample count. Kept out of line: each of the six
// instantiations is then compiled on its own, which keeps a caller that
// holds all of them as fast as one that holds a single one.
template <class Count, Layout layout, class Trace, class OutRow>
[[gnu::noinline]] void filter(Extent dims, Extent win, Trace trace, OutRow out_row) {
    // The snake's axes: u inner, v outer; (u, v) is (y, z) or (z, y).
    const bool inner_is_y = win.z <= win.y;
    const int dimu = inner_is_y ? dims.y : dims.z, dimv = inner_is_y ? dims.z : dims.y;
    const int winu = inner_is_y ? win.y : win.z, winv = inner_is_y ? win.z : win.y;
    const int hu = (winu - 1) / 2, hv = (winv - 1) / 2;
    auto trace_at = [&](int u, int v) -> const unsigned char* { return inner_is_y ? trace(u, v) : trace(v, u); };
    auto row_at = [&](int u, int v) -> unsigned char* { return inner_is_y ? out_row(u, v) : out_row(v, u); };

    const std::size_t box = static_cast<std::size_t>(win.x) * static_cast<std::size_t>(win.y) *
                            static_cast<std::size_t>(win.z);
    Slabs<Count, layout> slabs(dims.x);
    RowFilter<Count, layout> row(dims.x, win.x, box);
    std::vector<const unsigned char*> leaving(static_cast<std::size_t>(std::max(winu, winv)));
    std::vector<const unsigned char*> entering(leaving.size());

    for (int v = 0; v < winv; ++v)
        for (int u = 0; u < winu; ++u) slabs.add(trace_at(u, v));

    int u = hu, v = hv, step = 1;
    for (;;) {
        row.run(slabs, row_at(u, v));
        const int next = u + step;
        if (next >= hu && next <= dimu - hu - 1) {
            // One step along u: the row of winV traces at one end of the
            // window leaves, the row beyond the other end enters.
            const int out_u = step > 0 ? u - hu : u + hu, in_u = step > 0 ? u + hu + 1 : u - hu - 1;
            for (int i = 0; i < winv; ++i) {
                leaving[static_cast<std::size_t>(i)] = trace_at(out_u, v - hv + i);
                entering[static_cast<std::size_t>(i)] = trace_at(in_u, v - hv + i);
            }
            slabs.replace({leaving.data(), static_cast<std::size_t>(winv)}, {entering.data(), static_cast<std::size_t>(winv)});
            u = next;
        } else {
            // End of a snake row: one step along v, then back along u.
            if (v + 1 > dimv - hv - 1) break;
            for (int i = 0; i < winu; ++i) {
                leaving[static_cast<std::size_t>(i)] = trace_at(u - hu + i, v - hv);
                entering[static_cast<std::size_t>(i)] = trace_at(u - hu + i, v + hv + 1);
            }
            slabs.replace({leaving.data(), static_cast<std::size_t>(winu)}, {entering.data(), static_cast<std::size_t>(winu)});
            ++v;
            step = -step;
        }
    }
}

// filter with the narrowest counts that hold the box's sample count.
template <Layout layout, class Trace, class OutRow>
void with_counts(Extent dims, Extent win, std::size_t box, Trace trace, OutRow out_row) {
    if (box <= UINT16_MAX)
        filter<std::uint16_t, layout>(dims, win, trace, out_row);
    else if (box <= UINT32_MAX)
        filter<std::uint32_t, layout>(dims, win, trace, out_row);
    else
        filter<std::uint64_t, layout>(dims, win, trace, out_row);
}

}  // namespace detail

// Writes into out_row(y, z)[x] the median of the win.x x win.y x win.z box
// of the data centred on (x, y, z), for every centre whose box lies wholly
// inside: x = hx ... dims.x-hx-1, and likewise along y and z (h = (win-1)/2).
// The median is the ((n+1)/2)-th smallest of the n samples of the box.
// Nothing else of the result is written. Every window size must be positive,
// odd and at most the data's size along its axis; the result's rows must not
// overlap the data's traces.
template <class Trace, class OutRow>
void median_filter(Extent dims, Extent win, Trace trace, OutRow out_row) {
    assert(win.x > 0 && win.y > 0 && win.z > 0 && win.x % 2 == 1 && win.y % 2 == 1 && win.z % 2 == 1);
    assert(win.x <= dims.x && win.y <= dims.y && win.z <= dims.z);
    // The window fits in the data, so the box is no larger than the data.
    const std::size_t box = static_cast<std::size_t>(win.x) * static_cast<std::size_t>(win.y) *
                            static_cast<std::size_t>(win.z);
    // The snake's steps move min(win.y, win.z) traces.
    if (std::min(win.y, win.z) == 1)
        detail::with_counts<detail::Layout::by_segment>(dims, win, box, trace, out_row);
    else
        detail::with_counts<detail::Layout::by_slab>(dims, win, box, trace, out_row);
}

}  // namespace sliding_median
