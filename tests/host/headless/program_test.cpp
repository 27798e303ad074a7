// The veltrane binary's headless modes as a user runs them: standard output,
// files, FIFOs and the animated WebP.
#include "host/headless/simulate_mode.h"
#include "tracery/field_grid.h"

#include "scratch_files.h"

#include <gtest/gtest.h>
#include <webp/demux.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {
namespace fs = std::filesystem;

// Runs `arguments` after the binary through the shell, in `directory` when
// given; the exit status, or -1 when the program did not exit normally. A hang
// ends after 60 s as 124.
int veltrane(const std::string& arguments, const std::string& directory = ".") {
    const std::string command = "cd " + directory + " && LIBGL_ALWAYS_SOFTWARE=1 timeout 60 " +
                                std::string(VELTRANE_BINARY) + " " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path scratch(const std::string& name) {
    return scratch_files::scratch("veltrane_program_test_", name);
}

using scratch_files::contents;

int runSimulate(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    return runSimulateMode(static_cast<int>(argv.size()), argv.data());
}

std::vector<double> clockPictureAfter(std::vector<std::string> args) {
    args.insert(args.begin(), {"veltrane", "--simulate", "--seed", "3", "--every", "0"});
    EXPECT_EQ(runSimulate(args), 0);
    std::vector<double> cells;
    for (int row = 0; row < FieldGrid::Rows; ++row)
        for (int column = 0; column < FieldGrid::Columns; ++column)
            cells.push_back(FieldGrid::shared().at(column, row));
    return cells;
}
} // namespace

// Output that went nowhere is a failure, whichever mode wrote it.
TEST(Program, OutputThatCannotBeWrittenIsAFailure) {
    EXPECT_EQ(veltrane("--help > /dev/null"), 0);
    EXPECT_NE(veltrane("--help > /dev/full"), 0);
    EXPECT_NE(veltrane("--version > /dev/full"), 0);
    EXPECT_EQ(veltrane("--simulate --help > /dev/full"), 1);
    EXPECT_EQ(veltrane("--simulate --ticks 20 --every 0 --ascii > /dev/full"), 1);
    EXPECT_EQ(veltrane("--simulate --ticks 20 --every 10 > /dev/full"), 1);
    EXPECT_EQ(veltrane("--simulate --ticks 20 --every 10 --dump - > /dev/full"), 1);
    EXPECT_EQ(veltrane("--simulate --ticks 20 --every 0 --dump /dev/full"), 1);
    EXPECT_EQ(veltrane("--snapshot - --ticks 2 --size 16x16 > /dev/full"), 4);
    EXPECT_EQ(veltrane("--snapshot /dev/full --ticks 2 --size 16x16"), 4);
}

TEST(Program, HelpListsEveryModesOptions) {
    const fs::path dir = scratch("help");
    ASSERT_EQ(veltrane("--help > " + (dir / "help.txt").string()), 0);
    const std::string help = contents(dir / "help.txt");
    for (const char* option : {"--root", "--window-id", "--snapshot", "--record", "--simulate",
                               "--frames", "--max-frames", "--quality", "--frame-ms", "--from",
                               "--dump", "--ascii", "--ticks", "--seed"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    fs::remove_all(dir);
}

TEST(Program, AnOptionsValueNeverChoosesAModeOrNamesAFileByAccident) {
    const fs::path dir = scratch("values");
    EXPECT_EQ(veltrane("--dump --simulate", dir.string()), 1);
    EXPECT_EQ(veltrane("--simulate --ticks 1 --dump --ascii", dir.string()), 1);
    EXPECT_EQ(fs::directory_iterator(dir), fs::directory_iterator()) << "a file was written";

    // "-" is standard output for --snapshot as for --dump; through a pipe, by
    // that name or as /dev/stdout, the picture arrives alone.
    for (const char* name : {"-", "/dev/stdout"}) {
        ASSERT_EQ(
            veltrane(std::string("--snapshot ") + name +
                         " --ticks 3 --size 16x8 --time 1:00 --seed 1 2>/dev/null | cat > out.png",
                     dir.string()),
            0)
            << name;
        const std::string png = contents(dir / "out.png");
        EXPECT_EQ(png.substr(1, 3), "PNG") << name;
        EXPECT_EQ(png.find("veltrane"), std::string::npos) << name;
    }
    EXPECT_FALSE(fs::exists(dir / "-"));
    fs::remove_all(dir);
}

TEST(Program, AFifoWithoutReaderFailsBeforeRenderingInsteadOfHanging) {
    const fs::path dir = scratch("fifo");
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A long run: only the check up front makes this quick.
    EXPECT_EQ(veltrane("--snapshot " + fifo.string() + " --ticks 900000 --size 16x16"), 4);
    EXPECT_EQ(veltrane("--record " + fifo.string() + " --ticks 900000 --size 16x16"), 4);
    EXPECT_EQ(veltrane("--simulate --ticks 90000000 --dump " + fifo.string()), 1);
    EXPECT_EQ(veltrane("--record " + (dir / "no" / "r.webp").string() + " --ticks 900000"), 4);
    fs::remove_all(dir);
}

TEST(Program, RecordWritesAnAnimatedWebPOfTheRequestedFramesAndSize) {
    const fs::path dir = scratch("record");
    const fs::path file = dir / "growth.webp";
    ASSERT_EQ(veltrane("--record " + file.string() +
                       " --size 96x64 --ticks 200 --every 20 --max-frames 7 --frame-ms 40 "
                       "--time 12:34 --seed 7 --quality 50"),
              0);
    const std::string bytes = contents(file);
    WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    ASSERT_TRUE(WebPAnimDecoderOptionsInit(&options));
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    ASSERT_NE(decoder, nullptr) << "not an animated WebP";
    WebPAnimInfo info;
    ASSERT_TRUE(WebPAnimDecoderGetInfo(decoder, &info));
    EXPECT_EQ(info.canvas_width, 96u);
    EXPECT_EQ(info.canvas_height, 64u);
    EXPECT_EQ(info.frame_count, 7u);
    EXPECT_EQ(info.loop_count, 0u);
    // Decoding every frame proves the file whole; the last one ends at 7 x 40 ms.
    int frames = 0;
    int stamp = 0;
    bool lit = false;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        std::uint8_t* rgba = nullptr;
        ASSERT_TRUE(WebPAnimDecoderGetNext(decoder, &rgba, &stamp));
        ++frames;
        for (int i = 0; i < 96 * 64 * 4; i += 4)
            lit = lit || rgba[i] + rgba[i + 1] + rgba[i + 2] > 150;
    }
    WebPAnimDecoderDelete(decoder);
    EXPECT_EQ(frames, 7);
    EXPECT_EQ(stamp, 7 * 40);
    EXPECT_TRUE(lit) << "every frame is black";
    fs::remove_all(dir);
}

// --from: the clock shows the start time for exactly 2000 ticks (a minute of
// 30 ms ticks), then the next minute; 23:59 rolls over to 00:00.
TEST(Program, SimulateFromStartsAVirtualDayThatMovesOnThirtyMillisecondsATick) {
    const auto at2359 = clockPictureAfter({"--time", "23:59", "--ticks", "1"});
    const auto at0000 = clockPictureAfter({"--time", "0:00", "--ticks", "1"});
    ASSERT_NE(at2359, at0000);
    EXPECT_EQ(clockPictureAfter({"--from", "23:59", "--ticks", "2000"}), at2359);
    EXPECT_EQ(clockPictureAfter({"--from", "23:59", "--ticks", "2001"}), at0000);
}
