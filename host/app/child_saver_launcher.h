#pragma once

#include "host/app/saver_launcher.h"

#include <map>
#include <string>
#include <vector>

// The full-screen saver as a child process: this very program
// (/proc/self/exe) run as `veltrane --fullscreen`, which chooses its host as
// that command line does. Each child dies with the watcher (PR_SET_PDEATHSIG),
// holds none of its files (every descriptor of the watcher's is
// close-on-exec) and is followed through a pidfd where the kernel has them.
// Watcher thread only.
class ChildSaverLauncher final : public SaverLauncher {
public:
    // `arguments`: what follows the program name; --fullscreen by default.
    explicit ChildSaverLauncher(std::vector<std::string> arguments = {"--fullscreen"});
    ~ChildSaverLauncher() override;
    ChildSaverLauncher(const ChildSaverLauncher&) = delete;
    ChildSaverLauncher& operator=(const ChildSaverLauncher&) = delete;

    Handle start(std::string& error) override;
    int fd(Handle saver) const override;
    SaverState check(Handle saver) override;
    void stop(Handle saver) override;
    void kill(Handle saver) override;

private:
    std::vector<std::string> arguments_;
    std::map<Handle, int> pidfds_; // -1 where the kernel has none
};
