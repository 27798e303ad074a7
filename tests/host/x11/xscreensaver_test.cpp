// The saver run by the real XScreenSaver daemon, configured in a private HOME
// to run nothing but `veltrane --root`.
#include <gtest/gtest.h>

#include "tests/host/x11/child_process.h"
#include "tests/host/x11/saver_command.h"
#include "tests/host/x11/test_display.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A HOME for the daemon holding its settings, a copy of the saver and a
// wrapper that records the hack's pid and arguments before exec'ing it. The
// daemon refuses to launch hacks as root, so under root everything runs as
// "nobody", which needs files it can read in a folder it owns.
class DaemonHome {
public:
    DaemonHome() {
        char pattern[] = "/tmp/veltrane-xscreensaver-XXXXXX";
        path_ = mkdtemp(pattern);
        fs::copy_file(VELTRANE_BINARY, path_ / "veltrane");
        std::ofstream(path_ / "veltrane-hack")
            << "#!/bin/sh\n"
            << "echo \"$XSCREENSAVER_WINDOW\" > \"$HOME/window\"\n"
            << "echo $$ > \"$HOME/pid\"\n"
            << "exec \"$HOME/veltrane\" \"$@\"\n";
        fs::permissions(path_ / "veltrane-hack",
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
        std::ofstream(path_ / ".xscreensaver")
            << "mode: one\n"
            << "selected: 0\n"
            << "lock: False\n"
            << "splash: False\n"
            << "fade: False\n"
            << "unfade: False\n"
            << "timeout: 0:30:00\n"
            // The daemon renices hacks to 10 by default,
            // which starves them on a busy machine.
            << "nice: 0\n"
            << "programs: GL: " << (path_ / "veltrane-hack").string() << " --root \\n\n";
        if (geteuid() == 0) {
            if (passwd* nobody = getpwnam("nobody")) {
                for (const auto& entry : fs::recursive_directory_iterator(path_))
                    chown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid);
                chown(path_.c_str(), nobody->pw_uid, nobody->pw_gid);
                asNobody_ = true;
            }
        }
    }
    ~DaemonHome() { fs::remove_all(path_); }

    // `program args...` as the daemon's user, with this HOME.
    std::vector<std::string> command(std::vector<std::string> program) const {
        std::vector<std::string> full;
        if (asNobody_)
            full = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        full.insert(full.end(), {"/usr/bin/env", "HOME=" + path_.string()});
        full.insert(full.end(), program.begin(), program.end());
        return full;
    }
    int control(const std::string& verb) const {
        ChildProcess client(command({"/usr/bin/xscreensaver-command", verb}));
        return client.waitExit(10000).value_or(-1);
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name);
        std::string text;
        std::getline(in, text);
        return text;
    }

private:
    fs::path path_;
    bool asNobody_ = false;
};

} // namespace

TEST(XScreenSaverDaemon, ActivationRunsTheSaverInItsWindowAndDeactivationEndsIt) {
    ASSERT_TRUE(fs::exists("/usr/bin/xscreensaver")) << "install xscreensaver (scripts/deps)";
    TestDisplay display;
    DaemonHome home;
    ChildProcess daemon(home.command({"/usr/bin/xscreensaver", "-no-splash", "-verbose"}));
    // The daemon answers commands once it is up.
    ASSERT_TRUE(eventually(15000, [&] { return home.control("-time") == 0; }))
        << daemon.errorOutput();

    ASSERT_EQ(home.control("-activate"), 0);
    ASSERT_TRUE(eventually(startupMs, [&] { return !home.read("pid").empty(); }))
        << daemon.errorOutput();
    pid_t hack = std::stoi(home.read("pid"));
    // The daemon may run hacks in process groups of their own: make sure a
    // failing test does not leave this one behind.
    struct KillOnExit {
        pid_t pid;
        ~KillOnExit() {
            if (processAlive(pid))
                kill(pid, SIGKILL);
        }
    } killOnExit{hack};
    auto window = parseWindowIdForTest(home.read("window"));
    EXPECT_TRUE(processAlive(hack));
    ASSERT_NE(window, 0u) << "the daemon named no window";
    EXPECT_TRUE(display.showsNonBlack(window, startupMs)) << daemon.errorOutput();
    EXPECT_TRUE(processAlive(hack)) << daemon.errorOutput();

    ASSERT_EQ(home.control("-deactivate"), 0);
    EXPECT_TRUE(eventually(10000, [&] { return !processAlive(hack); }))
        << "the saver outlived deactivation";
    home.control("-exit");
    EXPECT_TRUE(daemon.waitExit(5000)) << "the daemon did not exit";
}
