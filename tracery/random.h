#pragma once

#include <cstdint>

// The one source of randomness of the tracery: a 15-bit linear congruential
// generator (s = s * 214013 + 2531011 mod 2^32, output (s >> 16) & 32767).
// The whole picture depends on the exact sequence, so no other generator may
// be substituted. The state belongs to the calling thread and starts at 1 on
// every new thread; the simulation thread reseeds it once before it draws.

// The next 15-bit output, 0 ... 32767.
int randomNext15();

// The next output divided by 32767: a double in [0, 1], both ends reachable.
double random01();

// Sets the calling thread's state.
void seedRandom(std::uint32_t seed);
