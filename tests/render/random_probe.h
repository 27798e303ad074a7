#pragma once

#include "tracery/random.h"

#include <cstdint>

// The calling thread's generator state after n more draws from `state`; the current
// state is left as it was. Lets a test count the draws an operation made.
inline std::uint32_t stateAfterDraws(std::uint32_t state, int n) {
    const std::uint32_t saved = randomState();
    seedRandom(state);
    for (int k = 0; k < n; ++k)
        randomNext15();
    const std::uint32_t result = randomState();
    seedRandom(saved);
    return result;
}
