// The saver run by the real XScreenSaver daemon, configured in a private HOME
// to run nothing but `veltrane --root`.
#include <gtest/gtest.h>

#include "tests/host/x11/x11_test_support.h"

#include <filesystem>
#include <pwd.h>

namespace fs = std::filesystem;

namespace {

// A HOME for the daemon holding its settings, a copy of the saver and a
// wrapper that records the hack's pid and window before exec'ing it. The
// daemon refuses to launch hacks as root, so under root everything runs as
// "nobody", which needs files it can read in a folder it owns.
struct DaemonHome {
    fs::path path;
    bool asNobody = false;

    DaemonHome() {
        char pattern[] = "/tmp/veltrane-xscreensaver-XXXXXX";
        path = mkdtemp(pattern);
        // The build's hack, or the copy the packaging check unpacked from the .deb.
        const char* other = std::getenv("VELTRANE_HACK_UNDER_TEST");
        fs::copy_file(other != nullptr && *other != '\0' ? other : VELTRANE_BINARY,
                      path / "veltrane");
        std::ofstream(path / "hack")
            << "#!/bin/sh\necho \"$XSCREENSAVER_WINDOW\" > \"$HOME/window\"\n"
               "echo $$ > \"$HOME/pid\"\nexec \"$HOME/veltrane\" \"$@\"\n";
        fs::permissions(path / "hack",
                        fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
        // The daemon renices hacks to 10 by default, which starves them on a
        // busy machine: hence nice 0.
        std::ofstream(path / ".xscreensaver")
            << "mode: one\nselected: 0\nlock: False\nsplash: False\nfade: False\n"
               "unfade: False\ntimeout: 0:30:00\nnice: 0\nprograms: GL: "
            << (path / "hack").string() << " --root \\n\n";
        if (passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr) {
            for (const auto& entry : fs::recursive_directory_iterator(path))
                chown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid);
            chown(path.c_str(), nobody->pw_uid, nobody->pw_gid);
            asNobody = true;
        }
    }
    ~DaemonHome() { fs::remove_all(path); }

    // `program args...` as the daemon's user, with this HOME.
    std::vector<std::string> command(std::vector<std::string> program) const {
        std::vector<std::string> full = {"/usr/bin/env", "HOME=" + path.string()};
        if (asNobody)
            full.insert(full.begin(), {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup",
                                       "--clear-groups"});
        full.insert(full.end(), program.begin(), program.end());
        return full;
    }
    int control(const std::string& verb) const {
        return ChildProcess(command({"/usr/bin/xscreensaver-command", verb}))
            .waitExit(10000)
            .value_or(-1);
    }
    std::string read(const std::string& name) const {
        std::string text;
        std::getline(std::ifstream(path / name), text);
        return text;
    }
};

} // namespace

TEST(XScreenSaverDaemon, ActivationRunsTheSaverInItsWindowAndDeactivationEndsIt) {
    REQUIRE_X_DISPLAY();
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
    // The daemon may run hacks in process groups of their own: make sure a
    // failing test does not leave this one behind.
    struct KillOnExit {
        pid_t pid;
        ~KillOnExit() {
            if (processAlive(pid))
                kill(pid, SIGKILL);
        }
    } hack{std::stoi(home.read("pid"))};
    Window window = std::strtoul(home.read("window").c_str(), nullptr, 0);
    ASSERT_NE(window, 0u) << "the daemon named no window";
    EXPECT_TRUE(display.showsNonBlack(window, startupMs)) << daemon.errorOutput();
    EXPECT_TRUE(processAlive(hack.pid)) << daemon.errorOutput();

    ASSERT_EQ(home.control("-deactivate"), 0);
    EXPECT_TRUE(eventually(10000, [&] { return !processAlive(hack.pid); }))
        << "the saver outlived deactivation";
    home.control("-exit");
    EXPECT_TRUE(daemon.waitExit(5000)) << "the daemon did not exit";
}
