// running_mean.hpp: the separable running means shared by the mean and
// mean-of-squares filters.
//
// A mean over a window of half size h is a running sum along the line:
// the first h values are added, then at each x the value entering at x + h
// is added, the result is taken, and the value at x - h leaves. Near the
// ends of a line the window is cut to the part inside the line and the sum
// is divided by the number of values it holds; no value outside the line is
// read, so lines shorter than the window are averaged over the whole line.
//
// The vertical pass does not walk the columns one by one: it keeps one
// running sum per column and moves down the image a row at a time, adding
// the row that enters and subtracting the row that leaves, over the rows of
// horizontal means held in a ring of at most 2 hy + 1 rows. Every column's
// sum sees the same additions and subtractions in the same order as a
// column-by-column pass, so the results are identical, floating point
// included; the rows are contiguous, so the loops over them vectorise.
#pragma once

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

namespace filters {

// Number of values of the window of half size h centred on x, cut to a line
// of `length` values.
inline int window_count(int x, int h, int length) {
    const int last = h >= length - 1 - x ? length - 1 : x + h;  // no overflow of x + h
    const int first = x >= h ? x - h : 0;
    return last - first + 1;
}

// Calls emit(x, sum, count) for every x of a line of `length` values
// value(0) ... value(length - 1), with sum the running sum (in Acc) over the
// window of half size h around x, in the order described above.
template <class Acc, class Value, class Emit>
inline void running_line(int length, int h, Value value, Emit emit) {
    Acc sum = 0;
    for (int i = 0; i < std::min(h, length); ++i) sum += value(i);
    if (length < 2 * h + 1) {
        for (int x = 0; x < length; ++x) {
            if (h < length - x) sum += value(x + h);
            emit(x, sum, window_count(x, h, length));
            if (x >= h) sum -= value(x - h);
        }
        return;
    }
    // Start, middle and end of the line, so that the middle loop has no test.
    for (int x = 0; x < h; ++x) {
        sum += value(x + h);
        emit(x, sum, x + h + 1);
    }
    const int full = 2 * h + 1;
    for (int x = h; x < length - h; ++x) {
        sum += value(x + h);
        emit(x, sum, full);
        sum -= value(x - h);
    }
    for (int x = std::max(h, length - h); x < length; ++x) {
        emit(x, sum, length - x + h);
        sum -= value(x - h);
    }
}

// The scratch of a separable mean of an nc x nr image: a ring of rows of
// horizontal means (type H) and one running sum per column (type Acc).
template <class H, class Acc>
class ColumnSums {
public:
    // Sizes the scratch; throws std::bad_alloc when memory is short.
    ColumnSums(int nc, int nr, int hy)
        : nc_(nc),
          nr_(nr),
          hy_(hy),
          rows_(std::min(nr, 2 * hy + 1)),
          ring_(static_cast<std::size_t>(nc) * static_cast<std::size_t>(rows_)),
          sums_(static_cast<std::size_t>(nc)) {}

    int nc() const { return nc_; }
    int nr() const { return nr_; }

    // horizontal(y, H* row) writes the horizontal means of row y; then
    // vertical(y, Acc* sums, count, first) writes output row y from the
    // column sums over `count` rows (first: a row whose window starts at
    // the top of the image) and may change the sums. Rows of horizontal
    // means can be adjusted as they enter by enter(y, H* row) before they
    // are added.
    template <class Horizontal, class Enter, class Vertical>
    void run(Horizontal horizontal, Enter enter, Vertical vertical) {
        std::fill(sums_.begin(), sums_.end(), Acc(0));
        const std::size_t n = static_cast<std::size_t>(nc_);
        auto add = [&](int y) {
            H* row = ring_row(y);
            horizontal(y, row);
            enter(y, row);
            Acc* sums = sums_.data();
            for (std::size_t c = 0; c < n; ++c) sums[c] += static_cast<Acc>(row[c]);
        };
        for (int y = 0; y < std::min(hy_, nr_); ++y) add(y);
        for (int y = 0; y < nr_; ++y) {
            if (hy_ < nr_ - y) add(y + hy_);
            vertical(y, sums_.data(), window_count(y, hy_, nr_), y < hy_);
            if (y >= hy_) {
                const H* row = ring_row(y - hy_);
                Acc* sums = sums_.data();
                for (std::size_t c = 0; c < n; ++c) sums[c] -= static_cast<Acc>(row[c]);
            }
        }
    }

private:
    H* ring_row(int y) { return ring_.data() + static_cast<std::size_t>(y % rows_) * static_cast<std::size_t>(nc_); }

    int nc_, nr_, hy_, rows_;
    std::vector<H> ring_;
    std::vector<Acc> sums_;
};

}  // namespace filters

namespace filters {

// The scratch that an init phase keeps in its descriptor for the calc phase
// (behind a void pointer, since descriptors are plain C records).
struct Scratch {
    virtual ~Scratch() = default;
};

template <class H, class Acc>
struct ColumnScratch final : Scratch {
    ColumnScratch(int nc, int nr, int hy) : columns(nc, nr, hy) {}
    ColumnSums<H, Acc> columns;
};

// The column sums of an nc x nr image kept in *slot, or null when the slot
// holds none of that type and size (no init, another variant's init, or
// another image size).
template <class H, class Acc>
ColumnSums<H, Acc>* scratch_of(void* slot, int nc, int nr) {
    auto* scratch = dynamic_cast<ColumnScratch<H, Acc>*>(static_cast<Scratch*>(slot));
    if (scratch == nullptr || scratch->columns.nc() != nc || scratch->columns.nr() != nr) return nullptr;
    return &scratch->columns;
}

// Replaces the scratch of *slot by column sums for an nc x nr image; returns
// false when memory is short (the slot is then empty).
template <class H, class Acc>
bool make_scratch(void** slot, int nc, int nr, int hy) {
    delete static_cast<Scratch*>(*slot);
    *slot = nullptr;
    try {
        *slot = static_cast<Scratch*>(new ColumnScratch<H, Acc>(nc, nr, hy));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

inline void release_scratch(void** slot) {
    delete static_cast<Scratch*>(*slot);
    *slot = nullptr;
}

}  // namespace filters
