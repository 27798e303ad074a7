#include "render/glow_texture.h"

#include "tracery/random.h"

#include <cmath>
#include <cstddef>

std::vector<float> makeGlowTexels() {
    std::vector<float> texels;
    texels.reserve(static_cast<std::size_t>(glowTextureSize) * glowTextureSize);
    const int centre = glowTextureSize / 2;
    for (int i = 0; i < glowTextureSize; ++i) {
        for (int j = 0; j < glowTextureSize; ++j) {
            const double r = 0.95 + 0.1 * random01();
            const double di = i - centre;
            const double dj = j - centre;
            const double d = std::sqrt(di * di + dj * dj);
            texels.push_back(static_cast<float>(std::exp(-0.09 * r * d)));
        }
    }
    return texels;
}
