#include "host/headless/output_file.h"

#include "scratch_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

fs::path scratch(const std::string& name) {
    return scratch_files::scratch("veltrane_output_test_", name);
}

using scratch_files::contents;

void put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::size_t entries(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

// Writes `text` to `path` through OutputFile; `fail` makes the producer fail
// after having written part of it.
bool writeText(const fs::path& path, const std::string& text, bool fail = false) {
    std::string error;
    auto file = OutputFile::prepare(path.string(), error);
    if (!file)
        return false;
    return file->write(
        [&](std::FILE* out) { return writeAll(out, text.data(), text.size()) && !fail; }, error);
}
} // namespace

TEST(OutputFile, AFailedWriteLeavesTheOldFileAndItsLinkAndNoTemporaryBehind) {
    const fs::path dir = scratch("failed");
    put(dir / "old.png", "old picture");
    fs::permissions(dir / "old.png", fs::perms(0640));
    fs::create_symlink("old.png", dir / "link.png");

    EXPECT_FALSE(writeText(dir / "old.png", "half", true));
    EXPECT_FALSE(writeText(dir / "link.png", "half", true));
    EXPECT_FALSE(writeText(dir / "new.png", "half", true));
    EXPECT_EQ(contents(dir / "old.png"), "old picture");
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_FALSE(fs::exists(dir / "new.png"));
    EXPECT_EQ(entries(dir), 2u) << "a temporary file was left behind";

    // Success replaces the target of the link, keeping the link and the mode.
    ASSERT_TRUE(writeText(dir / "link.png", "new picture"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_EQ(contents(dir / "old.png"), "new picture");
    EXPECT_EQ(fs::status(dir / "old.png").permissions(), fs::perms(0640));
    ASSERT_TRUE(writeText(dir / "new.png", "fresh"));
    EXPECT_EQ(contents(dir / "new.png"), "fresh");
    EXPECT_EQ(entries(dir), 3u);
    fs::remove_all(dir);
}

TEST(OutputFile, RefusesBeforeRenderingWhatItCannotOrMustNotWrite) {
    const fs::path dir = scratch("refused");
    put(dir / "readonly.png", "keep");
    fs::permissions(dir / "readonly.png", fs::perms(0444));
    fs::create_symlink("nowhere.png", dir / "dangling.png");
    std::string error;
    for (const fs::path& path : {dir / "missing" / "a.png", dir, dir / "dangling.png"}) {
        EXPECT_EQ(OutputFile::prepare(path.string(), error), nullptr) << path;
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    }
    if (geteuid() != 0) { // root may write anything
        EXPECT_EQ(OutputFile::prepare((dir / "readonly.png").string(), error), nullptr);
    }
    // Checking creates nothing.
    EXPECT_NE(OutputFile::prepare((dir / "later.png").string(), error), nullptr) << error;
    EXPECT_EQ(entries(dir), 2u);
    fs::remove_all(dir);
}

TEST(OutputFile, DevicesAreWrittenInPlaceAndNeverRemoved) {
    ASSERT_TRUE(writeText("/dev/null", "discarded"));
    const fs::path dir = scratch("device");
    // A private twin of /dev/full where the test may create one (as root), so
    // that a writer that removes its failed output deletes only the twin.
    const fs::path full = dir / "full";
    if (mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "cannot create a device node here";
    EXPECT_FALSE(writeText(full, std::string(1 << 16, 'x')));
    struct stat status {};
    ASSERT_EQ(stat(full.c_str(), &status), 0) << "the device node was removed";
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    fs::remove_all(dir);
}

TEST(OutputFile, AFifoWithoutReaderFailsAtOnceAndOneWithAReaderGetsThePicture) {
    const fs::path dir = scratch("fifo");
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    auto unread = std::async(std::launch::async,
                             [&] { return OutputFile::prepare(fifo.string(), error) == nullptr; });
    ASSERT_EQ(unread.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "checking a FIFO without a reader blocked";
    EXPECT_TRUE(unread.get());
    EXPECT_NE(error.find("reading"), std::string::npos) << error;

    auto reader = std::async(std::launch::async, [&] { return contents(fifo); });
    // The reader has opened its end once prepare succeeds.
    std::unique_ptr<OutputFile> file;
    for (int i = 0; i < 500 && !file; ++i) {
        file = OutputFile::prepare(fifo.string(), error);
        if (!file)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE(file, nullptr) << error;
    const std::string picture(200000, 'p'); // more than a pipe holds
    EXPECT_TRUE(file->write(
        [&](std::FILE* out) { return writeAll(out, picture.data(), picture.size()); }, error))
        << error;
    EXPECT_EQ(reader.get(), picture);
    EXPECT_TRUE(fs::exists(fifo));
    fs::remove_all(dir);
}
