#include "tracery/random.h"

namespace {
// Per thread, starting at 1, so every new thread draws the same sequence until
// it is seeded.
thread_local std::uint32_t state = 1u;
} // namespace

int randomNext15() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 32767u);
}

double random01() {
    return static_cast<double>(randomNext15()) * (1.0 / 32767.0);
}

void seedRandom(std::uint32_t seed) {
    state = seed;
}
