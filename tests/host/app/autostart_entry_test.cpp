#include "host/app/autostart_entry.h"

#include "tests/host/headless/scratch_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using scratch_files::contents;

namespace {

// Reads an Exec value back by the entry's rules: string escapes undone,
// arguments split and unquoted, then "%%" made "%".
std::vector<std::string> readExec(const std::string& value) {
    std::string plain, current;
    for (size_t i = 0; i < value.size(); ++i) {
        const bool escape = value[i] == '\\' && i + 1 < value.size();
        const char c = escape ? value[++i] : value[i];
        plain += !escape    ? c
                 : c == 'n' ? '\n'
                 : c == 't' ? '\t'
                 : c == 'r' ? '\r'
                 : c == 's' ? ' '
                            : c;
    }
    std::vector<std::string> arguments;
    bool quoted = false, started = false;
    for (size_t i = 0; i < plain.size(); ++i) {
        if (quoted && plain[i] == '\\')
            current += plain[++i];
        else if (plain[i] == '"')
            quoted = !quoted, started = true;
        else if (plain[i] != ' ' || quoted)
            current += plain[i], started = true;
        else if (std::exchange(started, false))
            arguments.push_back(std::exchange(current, ""));
    }
    if (started)
        arguments.push_back(current);
    for (auto& a : arguments) {
        for (size_t at = a.find("%%"); at != std::string::npos; at = a.find("%%", at + 1))
            a.erase(at, 1);
    }
    return arguments;
}

std::string execLine(const std::string& entry) {
    const size_t at = entry.find("\nExec=");
    return at == std::string::npos ? "" : entry.substr(at + 6, entry.find('\n', at + 1) - at - 6);
}

mode_t modeOf(const fs::path& path) {
    struct stat info = {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class AutostartEntryFiles : public ::testing::Test {
protected:
    fs::path home = scratch_files::scratch(
        "veltrane-autostart-", ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::path config = home / "config";
    fs::path entryPath = config / "autostart" / "veltrane-idle.desktop";
    AutostartEntry entry{config.string(), "/opt/velt rane/bin/veltrane", "/usr/bin"};

    void TearDown() override { fs::remove_all(home); }
};

} // namespace

TEST(AutostartConfigHome, FollowsTheBaseDirectoryRules) {
    EXPECT_EQ(AutostartEntry::configHomeFrom("/x/conf", "/home/u"), "/x/conf");
    EXPECT_EQ(AutostartEntry::configHomeFrom("conf", "/home/u/"), "/home/u/.config");
    EXPECT_EQ(AutostartEntry::configHomeFrom(nullptr, "/home/u"), "/home/u/.config");
    EXPECT_EQ(AutostartEntry::configHomeFrom(nullptr, "home"), "");
}

TEST(AutostartQuoting, ExecArgumentsReadBackUnchangedAndPlainPathsStayBare) {
    EXPECT_EQ(desktopExecArgument("/usr/bin/veltrane"), "/usr/bin/veltrane");
    // The two levels of escaping: a backslash is four, a dollar sign \\$.
    EXPECT_EQ(desktopExecArgument("/a\\b$"), "\"/a\\\\\\\\b\\\\$\"");
    EXPECT_EQ(desktopExecArgument("/100%"), "/100%%");
    for (const std::string path :
         {"/my saver/\"q\"/o'clock", "/a\\b/$HOME/`x`/50% off", "/tab\there/new\nline",
          "/~u/a;b|c&d<e>f*g?h#i", "/caf\xC3\xA9", ""}) {
        const std::string written = desktopExecArgument(path);
        EXPECT_EQ(written.find_first_of("\n\t"), std::string::npos) << written;
        EXPECT_EQ(readExec(written + " --idle 10"),
                  (std::vector<std::string>{path, "--idle", "10"}))
            << written;
    }
    for (const char* unwritable :
         {"/a\x01z", "/a\x7Fz", "/latin1-\xE9", "/overlong-\xC0\xAF", "/surrogate-\xED\xA0\x80"})
        EXPECT_EQ(desktopExecArgument(unwritable), "") << unwritable;
    EXPECT_EQ(minutesText(10), "10");
    EXPECT_EQ(minutesText(1e-7), "0.0000001");
}

TEST_F(AutostartEntryFiles, TurningOnWritesAValidEntryRunningTheWatcherInPrivateFolders) {
    const AutostartOutcome outcome = entry.turnOn(2.5);
    ASSERT_TRUE(outcome.ok) << outcome.message;
    const std::string text = contents(entryPath);
    EXPECT_TRUE(text.starts_with("[Desktop Entry]\nType=Application\n")) << text;
    EXPECT_EQ(readExec(execLine(text)),
              (std::vector<std::string>{"/opt/velt rane/bin/veltrane", "--idle", "2.5"}));
    EXPECT_NE(outcome.message.find(entryPath.string()), std::string::npos);
    // The sway line, read by sh.
    EXPECT_NE(outcome.message.find("exec '/opt/velt rane/bin/veltrane' --idle 2.5"),
              std::string::npos)
        << outcome.message;
    EXPECT_EQ(modeOf(config), 0700u);
    EXPECT_EQ(modeOf(config / "autostart"), 0700u);
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0) {
        FILE* validator =
            popen(("desktop-file-validate '" + entryPath.string() + "' 2>&1").c_str(), "r");
        char buffer[1024] = {};
        const size_t got = fread(buffer, 1, sizeof buffer - 1, validator);
        EXPECT_EQ(pclose(validator), 0);
        EXPECT_EQ(std::string(buffer, got), "");
    }
}

TEST_F(AutostartEntryFiles, OurEntryIsReplacedAndRemovedWithNothingLeftBehind) {
    fs::create_directories(config);
    fs::permissions(config, fs::perms(0755));
    EXPECT_TRUE(entry.turnOff().ok); // nothing there yet
    ASSERT_TRUE(entry.turnOn(10).ok);
    const AutostartOutcome again = entry.turnOn(3);
    ASSERT_TRUE(again.ok) << again.message;
    EXPECT_TRUE(again.message.starts_with("Replaced ")) << again.message;
    EXPECT_EQ(readExec(execLine(contents(entryPath))).back(), "3");
    EXPECT_EQ(std::distance(fs::directory_iterator(config / "autostart"), {}), 1);
    EXPECT_EQ(modeOf(config), 0755u);
    ASSERT_TRUE(entry.turnOff().ok);
    EXPECT_FALSE(fs::exists(entryPath));
}

TEST_F(AutostartEntryFiles, ForeignFilesOfThatNameAreLeftAlone) {
    fs::create_directories(config / "autostart");
    const std::string own = "[Desktop Entry]\nType=Application\nExec=my-saver\n";
    std::ofstream(entryPath) << own;
    const AutostartOutcome on = entry.turnOn(10);
    EXPECT_FALSE(on.ok);
    EXPECT_NE(on.message.find("left as it is"), std::string::npos) << on.message;
    EXPECT_FALSE(entry.turnOff().ok);
    EXPECT_EQ(contents(entryPath), own);
    // A link, even to an entry of ours, is the user's.
    fs::remove(entryPath);
    ASSERT_TRUE(AutostartEntry(home.string(), "/usr/bin/veltrane", "").turnOn(10).ok);
    fs::create_symlink(home / "autostart" / "veltrane-idle.desktop", entryPath);
    EXPECT_FALSE(entry.turnOn(10).ok);
    EXPECT_FALSE(entry.turnOff().ok);
    EXPECT_TRUE(fs::is_symlink(entryPath));
}

TEST_F(AutostartEntryFiles, FailuresSayWhatWentWrongAndWriteNothing) {
    std::ofstream(home / "file") << "not a folder";
    const AutostartOutcome blocked =
        AutostartEntry((home / "file").string(), "/usr/bin/veltrane", "").turnOn(10);
    EXPECT_FALSE(blocked.ok);
    EXPECT_NE(blocked.message.find((home / "file").string()), std::string::npos) << blocked.message;
    EXPECT_FALSE(AutostartEntry("", "/usr/bin/veltrane", "").turnOn(10).ok);
    EXPECT_FALSE(entry.turnOn(0).ok);
    EXPECT_FALSE(AutostartEntry(config.string(), "/bad\x01path", "").turnOn(10).ok);
    EXPECT_FALSE(fs::exists(entryPath));
}

TEST_F(AutostartEntryFiles, TheSwayLineNamesTheProgramPlainlyOnlyWhenThePathFindsIt) {
    for (const char* folder : {"bin", "other"}) {
        fs::create_directories(home / folder);
        std::ofstream(home / folder / "veltrane") << "#!/bin/sh\n";
        fs::permissions(home / folder / "veltrane", fs::perms(0755));
    }
    fs::create_symlink(home / "bin" / "veltrane", home / "veltrane");
    const std::string binary = (home / "veltrane").string(), bin = (home / "bin").string();
    EXPECT_EQ(AutostartEntry(config, binary, bin).swayLine(10), "exec veltrane --idle 10");
    // Another veltrane comes first on the path: the line names ours in full.
    EXPECT_EQ(AutostartEntry(config, binary, (home / "other").string() + ":" + bin).swayLine(1),
              "exec " + binary + " --idle 1");
}
