// vector_clones.hpp: functions compiled twice on x86-64, so that the scans
// of the distance maps use the vector minima of the processor they run on.
//
// The suite is built for the x86-64 baseline, whose vector instructions
// (SSE2) have no minimum of 32-bit integers: the compiler spells each one
// as a comparison and three logical operations. A function marked
// WITH_AVX2_CLONE is also compiled for processors with AVX2 (one minimum
// instruction over eight values), and the program loader picks the clone
// the processor can run. Functions that it calls and that are to share the
// clone's instructions must be inlined into it (DISTANCE_INLINE).
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define WITH_AVX2_CLONE __attribute__((target_clones("avx2", "default")))
#else
#define WITH_AVX2_CLONE
#endif

#if defined(__GNUC__) || defined(__clang__)
#define DISTANCE_INLINE inline __attribute__((always_inline))
#else
#define DISTANCE_INLINE inline
#endif
