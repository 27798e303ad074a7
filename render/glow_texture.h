#pragma once

#include <vector>

// The soft round glow shared by the particles and the light's sprite: a square of
// alpha texels falling off exponentially from the centre texel (64, 64), with a little
// multiplicative noise so the sprites do not look machined.
inline constexpr int glowTextureSize = 128;

// Computes the glowTextureSize x glowTextureSize texels, rows outer, columns inner,
// making exactly one random01 draw per texel in that order. Called with the generator
// in its initial state (before the reseed) the result is the same on every run.
std::vector<float> makeGlowTexels();
