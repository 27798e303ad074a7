#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// The full-screen parent's book of outputs and the child process drawing on
// each. Outputs are known by their registry name; a child by its process id.
// Pure bookkeeping: the parent forks, signals and reaps, and tells this what
// happened. Parent thread only.
class OutputChildren {
public:
    // What a child's end means for the rest.
    enum class Ending {
        Alone,   // its output went: the others go on
        EndsAll, // input, a signal or a failure: every child goes
        Unknown, // not one of ours
    };

    void addOutput(std::uint32_t output);
    // Outputs that still need a child, in the order they were added.
    std::vector<std::uint32_t> awaitingChild() const;
    void childStarted(std::uint32_t output, int pid);
    // The output is gone: the child to terminate, if it has one. That child's
    // end then ends it alone.
    std::optional<int> removeOutput(std::uint32_t output);
    // A child was reaped; `exitCode` is empty when a signal killed it. A
    // child that ended with OutputGone (its output went before the removal
    // reached the parent) ends alone and its output gets no other.
    Ending childEnded(int pid, std::optional<int> exitCode);

    // The children not yet reaped.
    std::vector<int> livePids() const;
    // The status the parent ends with: that of the first child whose end
    // ended all (0 for input), SimulationFailed for one killed by a signal it
    // did not get from the parent; 0 before any.
    int endingStatus() const { return endingStatus_.value_or(0); }
    bool ending() const { return endingStatus_.has_value(); }

private:
    struct Output {
        std::uint32_t name;
        int pid; // 0: none yet; -1: none ever again
    };
    std::vector<Output> outputs_;
    std::map<int, bool> children_; // pid -> retired (its end ends nothing)
    std::optional<int> endingStatus_;
};
