#include "host/app/watcher_lock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(WatcherLock, LivesInTheRuntimeFolderElseInTmpWithTheUid) {
    EXPECT_EQ(WatcherLock::pathFor("/run/user/7", 7, "wayland-1"),
              "/run/user/7/veltrane-idle-wayland-1.lock");
    EXPECT_EQ(WatcherLock::pathFor("/run/user/7", 7, ""), "/run/user/7/veltrane-idle.lock");
    EXPECT_EQ(WatcherLock::pathFor(nullptr, 7, "/run/w/wl"), "/tmp/veltrane-idle-7-_run_w_wl.lock");
    EXPECT_EQ(WatcherLock::pathFor("run", 7, ":0"), "/tmp/veltrane-idle-7-:0.lock");
}

TEST(WatcherLock, ASecondWatcherFindsTheFirstUntilItEnds) {
    const fs::path path = fs::temp_directory_path() / "veltrane-lock-test.lock";
    fs::remove(path);
    {
        WatcherLock first(path);
        ASSERT_EQ(first.result(), WatcherLock::Result::Acquired) << first.error();
        WatcherLock second(path);
        EXPECT_EQ(second.result(), WatcherLock::Result::HeldByAnother);
        EXPECT_EQ(second.holder(), getpid());
    }
    EXPECT_EQ(WatcherLock(path).result(), WatcherLock::Result::Acquired);
    fs::remove(path);
}

TEST(WatcherLock, RefusesALinkOrAnotherUsersFile) {
    const fs::path path = fs::temp_directory_path() / "veltrane-lock-test-foreign.lock";
    fs::remove(path);
    fs::create_symlink("/etc/passwd", path);
    WatcherLock linked(path);
    EXPECT_EQ(linked.result(), WatcherLock::Result::Failed);
    EXPECT_NE(linked.error().find(path.string()), std::string::npos);
    fs::remove(path);
    if (geteuid() == 0) {
        { WatcherLock mine(path); }
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        EXPECT_EQ(WatcherLock(path).result(), WatcherLock::Result::Failed);
    }
    fs::remove(path);
}
