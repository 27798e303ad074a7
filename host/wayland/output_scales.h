#pragma once

#include <cstdint>
#include <map>
#include <set>

// Which integer scale a surface's buffer gets. Outputs are known by their
// registry name and announce their scale (wl_output.scale); the compositor
// says which outputs the surface is on (wl_surface.enter / leave). A surface
// spanning outputs takes the largest of their scales, so it is sharp
// everywhere and merely downscaled on the others. Before it has entered any
// output the surface takes the scale of its preferred output (the one it is
// made full screen on), else 1. Window thread only.
class OutputScales {
public:
    // An output's scale, announced or changed; values below 1 count as 1.
    void setScale(std::uint32_t output, int scale);
    // The output is gone: it no longer counts, even if no leave came first.
    void removeOutput(std::uint32_t output);
    void enter(std::uint32_t output);
    void leave(std::uint32_t output);
    void setPreferred(std::uint32_t output);

    int surfaceScale() const;

private:
    std::map<std::uint32_t, int> scales_;
    std::set<std::uint32_t> entered_;
    std::uint32_t preferred_ = 0;
    bool hasPreferred_ = false;

    int scaleOf(std::uint32_t output) const;
};
