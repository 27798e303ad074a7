#include "tests/host/app/watcher_e2e_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

namespace {

bool names(const std::vector<std::string>& environment, const std::string& variable) {
    return std::any_of(environment.begin(), environment.end(), [&](const std::string& entry) {
        return entry.rfind(variable + "=", 0) == 0;
    });
}

// The lines of `log` from `offset` on.
std::vector<std::string> linesFrom(const std::string& log, std::size_t offset) {
    std::vector<std::string> lines;
    std::istringstream in(log.substr(std::min(offset, log.size())));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// WAYLAND_DEBUG's clock (libwayland 1.21): CLOCK_REALTIME in microseconds,
// its low 32 bits, printed as "[milliseconds.microseconds]".
std::uint32_t debugClock(std::chrono::system_clock::time_point when) {
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(micros));
}

std::optional<std::uint32_t> debugStamp(const std::string& line) {
    unsigned milliseconds = 0;
    unsigned micros = 0;
    if (std::sscanf(line.c_str(), "[%u.%u]", &milliseconds, &micros) != 2)
        return std::nullopt;
    return milliseconds * 1000u + micros;
}

std::string descriptorTarget(const std::filesystem::path& link) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(link, error);
    return error ? "" : target.string();
}

// Targets that name one open object, whoever opened it: sockets and pipes by
// their inode, and the watcher's lock file, which the saver never opens.
bool namesOneObject(const std::string& target) {
    return target.rfind("socket:[", 0) == 0 || target.rfind("pipe:[", 0) == 0 ||
           target.find("/veltrane-idle") != std::string::npos;
}

// Such objects of /proc/PROCESS/fd, from descriptor `lowest` on.
std::vector<std::string> openObjects(const std::string& process, int lowest) {
    std::vector<std::string> objects;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + process + "/fd", error)) {
        const std::string target = descriptorTarget(entry.path());
        if (std::stoi(entry.path().filename().string()) >= lowest && namesOneObject(target))
            objects.push_back(target);
    }
    return objects;
}

} // namespace

WatcherRun::WatcherRun(double minutes, std::vector<std::string> environment) {
    if (!names(environment, "XDG_RUNTIME_DIR")) {
        runtime_ = std::make_unique<ScratchDir>();
        environment.push_back("XDG_RUNTIME_DIR=" + runtime_->path);
    }
    char period[32];
    std::snprintf(period, sizeof period, "%g", minutes);
    started_ = std::chrono::system_clock::now();
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{VELTRANE_BINARY, "--idle", period, "--verbose"},
        std::move(environment));
}

pid_t WatcherRun::saver() const {
    const std::vector<pid_t> children = childrenOf(pid());
    return children.empty() ? 0 : children.front();
}

std::string WatcherRun::messages() const {
    std::string kept;
    for (const std::string& line : linesFrom(errorOutput(), 0))
        if (line.empty() || line[0] != '[')
            kept += line + "\n";
    return kept;
}

bool WatcherRun::watching(int milliseconds) const {
    return eventually(milliseconds, [&] {
        return errorOutput().find("the saver shows after") != std::string::npos;
    });
}

bool WatcherRun::nothingLeft(int milliseconds) const {
    return eventually(milliseconds, [&] { return processesInGroup(pid()).empty(); });
}

bool noSaverUntil(const WatcherRun& run, std::chrono::system_clock::time_point until) {
    while (std::chrono::system_clock::now() < until) {
        if (run.saver() != 0)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int outputsThatDrew(const std::string& log, std::size_t offset) {
    int drew = 0;
    for (const std::string& line : linesFrom(log, offset)) {
        long long frames = 0;
        char in[3] = {};
        if (std::sscanf(line.c_str(), "veltrane: %lld frames %2s", &frames, in) == 2 &&
            std::string(in) == "in" && frames > 0)
            ++drew;
    }
    return drew;
}

bool frameAttached(const std::string& log, std::size_t offset) {
    return log.find(".attach(wl_buffer@", offset) != std::string::npos;
}

bool keyboardFocusSettled(const std::string& log, std::size_t offset) {
    bool bound = false;
    for (const std::string& line : linesFrom(log, offset)) {
        if (line.find(".get_keyboard(") != std::string::npos)
            bound = true;
        else if (line.find(" wl_keyboard@") != std::string::npos &&
                 line.find(".enter(") != std::string::npos)
            return true;
    }
    return !bound;
}

std::optional<double> firstFrameAfter(const std::string& log, std::size_t offset,
                                      std::chrono::system_clock::time_point since) {
    for (const std::string& line : linesFrom(log, offset)) {
        if (line.find(".attach(wl_buffer@") == std::string::npos)
            continue;
        if (const auto stamp = debugStamp(line)) {
            // Differences of the wrapping clock, as a signed number.
            const auto micros = static_cast<std::int32_t>(*stamp - debugClock(since));
            return micros / 1000.0;
        }
    }
    return std::nullopt;
}

std::vector<std::string> sharedDescriptors(pid_t watcher, pid_t saver) {
    // What the test itself holds, the watcher may have inherited: not its own.
    const std::vector<std::string> test = openObjects("self", 0);
    const std::vector<std::string> held = openObjects(std::to_string(saver), 0);
    std::vector<std::string> shared;
    for (const std::string& target : openObjects(std::to_string(watcher), 3))
        if (std::count(test.begin(), test.end(), target) == 0 &&
            std::count(held.begin(), held.end(), target) != 0)
            shared.push_back(target);
    return shared;
}

std::string sanitizerReport(const std::string& log) {
    std::string report;
    for (const std::string& line : linesFrom(log, 0))
        if (line.find("Sanitizer") != std::string::npos ||
            line.find("runtime error:") != std::string::npos)
            report += line + "\n";
    return report;
}
