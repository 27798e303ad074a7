#include "host/wayland/output_children.h"

#include "host/common/exit_status.h"

#include <algorithm>

namespace {
// The status of a child that died of a signal the parent did not send it: a
// crash, reported like a failed simulation.
constexpr int killedStatus = exitCode(ExitStatus::SimulationFailed);
} // namespace

void OutputChildren::addOutput(std::uint32_t output) {
    const bool known = std::any_of(outputs_.begin(), outputs_.end(),
                                   [&](const Output& o) { return o.name == output; });
    if (!known)
        outputs_.push_back({output, 0});
}

std::vector<std::uint32_t> OutputChildren::awaitingChild() const {
    std::vector<std::uint32_t> waiting;
    if (ending())
        return waiting;
    for (const Output& o : outputs_)
        if (o.pid == 0)
            waiting.push_back(o.name);
    return waiting;
}

void OutputChildren::childStarted(std::uint32_t output, int pid) {
    for (Output& o : outputs_)
        if (o.name == output)
            o.pid = pid;
    children_[pid] = false;
}

std::optional<int> OutputChildren::removeOutput(std::uint32_t output) {
    const auto found = std::find_if(outputs_.begin(), outputs_.end(),
                                    [&](const Output& o) { return o.name == output; });
    if (found == outputs_.end())
        return std::nullopt;
    const int pid = found->pid;
    outputs_.erase(found);
    const auto child = children_.find(pid);
    if (pid <= 0 || child == children_.end())
        return std::nullopt;
    child->second = true;
    return pid;
}

OutputChildren::Ending OutputChildren::childEnded(int pid, std::optional<int> exitCode) {
    const auto child = children_.find(pid);
    if (child == children_.end())
        return Ending::Unknown;
    const bool retired = child->second;
    children_.erase(child);
    for (Output& o : outputs_)
        if (o.pid == pid)
            o.pid = -1; // never a second child on the same output
    if (retired || exitCode == ::exitCode(ExitStatus::OutputGone))
        return Ending::Alone;
    if (!endingStatus_)
        endingStatus_ = exitCode.value_or(killedStatus);
    return Ending::EndsAll;
}

std::vector<int> OutputChildren::livePids() const {
    std::vector<int> pids;
    for (const auto& [pid, retired] : children_)
        pids.push_back(pid);
    return pids;
}
