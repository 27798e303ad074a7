#pragma once

#include "tracery/random.h"

#include <cstdint>
#include <vector>

// The next n random01 values from the current state, leaving the state untouched; `after`,
// when given, receives the state those n draws end in. Lets a test count an operation's draws.
inline std::vector<double> peekDraws(int n, std::uint32_t* after = nullptr) {
    const std::uint32_t saved = randomState();
    std::vector<double> draws;
    for (int k = 0; k < n; ++k)
        draws.push_back(random01());
    if (after)
        *after = randomState();
    seedRandom(saved);
    return draws;
}
