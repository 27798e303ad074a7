#pragma once

#include "tracery/random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// The tracery's generator followed on the test's side, from seeds the test
// chose: the generator itself offers no way to read its state.

// The generator state whose next draw leaves `next` as the new state, so a
// test can line up a chosen output at a chosen draw.
inline std::uint32_t stateBefore(std::uint32_t next) {
    const std::uint32_t a = 214013u;
    std::uint32_t inverse = a; // Newton's iteration for the inverse modulo 2^32
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - a * inverse;
    return (next - 2531011u) * inverse;
}

// The state `draws` draws after `state`.
inline std::uint32_t advanced(std::uint32_t state, std::int64_t draws) {
    for (std::int64_t k = 0; k < draws; ++k)
        state = state * 214013u + 2531011u;
    return state;
}

// The 15-bit output of the draw that left `state`.
inline int outputLeaving(std::uint32_t state) {
    return static_cast<int>((state >> 16) & 32767u);
}

// The next n random01 values from `state`; the generator is not touched.
inline std::vector<double> drawsFrom(std::uint32_t state, int n) {
    std::vector<double> draws;
    for (int k = 0; k < n; ++k) {
        state = advanced(state, 1);
        draws.push_back(static_cast<double>(outputLeaving(state)) * (1.0 / 32767.0));
    }
    return draws;
}

// How many draws the calling thread made since it was seeded with `seed`, at
// most `limit`: its next three outputs (45 bits, which no other point of the
// sequence within a test's reach repeats) are matched against the sequence
// from `seed`, and the generator is put back where it was. A failure, and -1,
// when none matches.
inline std::int64_t drawsSince(std::uint32_t seed, std::int64_t limit = 100000) {
    const int next[3] = {randomNext15(), randomNext15(), randomNext15()};
    std::uint32_t state = seed;
    for (std::int64_t k = 0; k <= limit; ++k, state = advanced(state, 1)) {
        if (outputLeaving(advanced(state, 1)) == next[0] &&
            outputLeaving(advanced(state, 2)) == next[1] &&
            outputLeaving(advanced(state, 3)) == next[2]) {
            seedRandom(state);
            return k;
        }
    }
    ADD_FAILURE() << "the generator is not within " << limit << " draws of seed " << seed;
    return -1;
}

// The calling thread's state, found the same way.
inline std::uint32_t currentState(std::uint32_t seed, std::int64_t limit = 100000) {
    return advanced(seed, drawsSince(seed, limit));
}
