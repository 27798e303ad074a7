#pragma once
// The frame report a saver prints on stderr with VELTRANE_REPORT_FRAMES=1 as
// it ends: "N frames in S s (R per second), T ticks".

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>

struct FrameCounts {
    long frames = 0; // drawn
    long ticks = 0;  // run; more than frames when some were not wanted
};

inline std::optional<FrameCounts> reportedFrameCounts(const std::string& errorOutput) {
    std::smatch counts;
    if (!std::regex_search(errorOutput, counts, std::regex(R"((\d+) frames in .*, (\d+) ticks)")))
        return std::nullopt;
    return FrameCounts{std::stol(counts[1]), std::stol(counts[2])};
}

// A run that was unseen for three seconds and seen before and after: it drew,
// and left about 100 ticks undrawn (30 on a very busy machine).
inline void expectThreeUnseenSeconds(const std::string& errorOutput) {
    const std::optional<FrameCounts> counts = reportedFrameCounts(errorOutput);
    ASSERT_TRUE(counts) << errorOutput;
    EXPECT_GT(counts->frames, 0) << errorOutput;
    EXPECT_GE(counts->ticks - counts->frames, 30) << errorOutput;
}
