#include "host/headless/output_file.h"

#include "scratch_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;
using scratch_files::contents;

fs::path scratch(const std::string& name) {
    return scratch_files::scratch("veltrane_output_test_", name);
}

std::size_t entries(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

// Writes `text` to `path` through OutputFile; `fail` makes the producer fail after writing it.
bool writeText(const fs::path& path, const std::string& text, bool fail = false) {
    std::string error;
    auto file = OutputFile::prepare(path.string(), error);
    const auto produce = [&](std::FILE* out) { return writeAll(out, text.data(), text.size()); };
    return file && file->write([&](std::FILE* out) { return produce(out) && !fail; }, error);
}
} // namespace

TEST(OutputFile, AFailedWriteLeavesTheOldFileAndItsLinkAndNoTemporaryBehind) {
    const fs::path dir = scratch("failed");
    std::ofstream(dir / "old.png") << "old picture";
    fs::permissions(dir / "old.png", fs::perms(0640));
    fs::create_symlink("old.png", dir / "link.png");
    for (const char* name : {"old.png", "link.png", "new.png"})
        EXPECT_FALSE(writeText(dir / name, "half", true)) << name;
    EXPECT_EQ(contents(dir / "old.png"), "old picture");
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_EQ(entries(dir), 2u) << "a temporary file or new.png was left behind";

    // Success replaces the target of the link, keeping the link and the mode.
    ASSERT_TRUE(writeText(dir / "link.png", "new picture"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_EQ(contents(dir / "old.png"), "new picture");
    EXPECT_EQ(fs::status(dir / "old.png").permissions(), fs::perms(0640));
    ASSERT_TRUE(writeText(dir / "new.png", "fresh"));
    EXPECT_EQ(entries(dir), 3u);
}

// Refused before rendering, naming the path; checking creates nothing.
TEST(OutputFile, RefusesBeforeRenderingWhatItCannotOrMustNotWrite) {
    const fs::path dir = scratch("refused");
    std::ofstream(dir / "readonly.png") << "keep";
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
    EXPECT_NE(OutputFile::prepare((dir / "later.png").string(), error), nullptr) << error;
    EXPECT_EQ(entries(dir), 2u);
}

TEST(OutputFile, DevicesAreWrittenInPlaceAndNeverRemoved) {
    ASSERT_TRUE(writeText("/dev/null", "discarded"));
    // A private twin of /dev/full where the test may create one (as root), so that a writer
    // that removes its failed output deletes only the twin.
    const fs::path full = scratch("device") / "full";
    if (mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "cannot create a device node here";
    EXPECT_FALSE(writeText(full, std::string(1 << 16, 'x')));
    struct stat status {};
    EXPECT_TRUE(stat(full.c_str(), &status) == 0 && S_ISCHR(status.st_mode)) << "node removed";
    fs::remove_all(full.parent_path());
}

TEST(OutputFile, AFifoWithoutReaderFailsAtOnceAndOneWithAReaderGetsThePicture) {
    const fs::path fifo = scratch("fifo") / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string error;
    EXPECT_EQ(OutputFile::prepare(fifo.string(), error), nullptr); // hangs when it blocks
    EXPECT_NE(error.find("reading"), std::string::npos) << error;

    // More than a pipe holds; refused until the reader has opened its end.
    const std::string picture(200000, 'p');
    auto reader = std::async(std::launch::async, [&] { return contents(fifo); });
    for (int i = 0; i < 500 && !writeText(fifo, picture); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(reader.get(), picture);
    EXPECT_TRUE(fs::exists(fifo));
    fs::remove_all(fifo.parent_path());
}
