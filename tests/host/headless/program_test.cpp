// The veltrane binary's headless modes as a user runs them: standard output,
// files, FIFOs and the animated WebP.
#include "host/app/command_line.h"
#include "host/headless/simulation.h"
#include "tracery/field_grid.h"

#include "scratch_files.h"

#include <gtest/gtest.h>
#include <webp/demux.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace {
namespace fs = std::filesystem;
using scratch_files::contents;

// The exit status of the binary run with `arguments` through the shell in `directory`; -1 when
// it did not exit normally, 124 after hanging for 60 s.
int veltrane(const std::string& arguments, const std::string& directory = ".") {
    const std::string command = "cd " + directory + " && LIBGL_ALWAYS_SOFTWARE=1 timeout 60 " +
                                std::string(VELTRANE_BINARY) + " " + arguments + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path scratch(const std::string& name) {
    return scratch_files::scratch("veltrane_program_test_", name);
}

std::vector<double> clockPictureAfter(std::vector<std::string> args) {
    args.insert(args.begin(), {"--simulate", "--seed", "3", "--every", "0"});
    const ParsedCommandLine parsed = parseCommandLine(args);
    EXPECT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(runSimulation(parsed.options.value_or(ProgramOptions{}).simulate), ExitStatus::Ok);
    std::vector<double> cells;
    for (int cell = 0; cell < FieldGrid::CellCount; ++cell)
        cells.push_back(FieldGrid::shared().at(cell / FieldGrid::Rows, cell % FieldGrid::Rows));
    return cells;
}
} // namespace

// Output that went nowhere is a failure, whichever mode wrote it.
TEST(Program, OutputThatCannotBeWrittenIsAFailure) {
    EXPECT_EQ(veltrane("--help > /dev/null"), 0);
    EXPECT_NE(veltrane("--help > /dev/full"), 0);
    EXPECT_NE(veltrane("--version > /dev/full"), 0);
    for (const char* simulate :
         {"--help > /dev/full", "--ticks 20 --every 0 --ascii > /dev/full",
          "--ticks 20 --every 10 > /dev/full", "--ticks 20 --every 10 --dump - > /dev/full",
          "--ticks 20 --every 0 --dump /dev/full"})
        EXPECT_EQ(veltrane(std::string("--simulate ") + simulate), 1) << simulate;
    EXPECT_EQ(veltrane("--snapshot - --ticks 2 --size 16x16 > /dev/full"), 4);
    EXPECT_EQ(veltrane("--snapshot /dev/full --ticks 2 --size 16x16"), 4);
}

// "-" is standard output for --snapshot as for --dump, never a file of that name. Through a
// pipe, by that name or as /dev/stdout, the picture arrives alone, the same for the same seed.
TEST(Program, StandardOutputGetsThePictureAloneTheSameForTheSameSeed) {
    const fs::path dir = scratch("stdout");
    std::string png[2];
    for (int run = 0; run < 2; ++run) {
        const std::string name = run == 0 ? "-" : "/dev/stdout";
        ASSERT_EQ(veltrane("--snapshot " + name +
                               " --ticks 60 --size 64x48 --time 1:00 --seed 1 | cat > out.png",
                           dir.string()),
                  0)
            << name;
        png[run] = contents(dir / "out.png");
        EXPECT_EQ(png[run].substr(1, 3), "PNG") << name;
        EXPECT_EQ(png[run].find("veltrane"), std::string::npos) << name;
    }
    EXPECT_TRUE(png[0] == png[1]) << "the two runs differ";
    EXPECT_FALSE(fs::exists(dir / "-"));
}

// A long run: only the check up front makes this quick.
TEST(Program, AFifoWithoutReaderFailsBeforeRenderingInsteadOfHanging) {
    const fs::path dir = scratch("fifo");
    const std::string fifo = (dir / "pipe").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(veltrane("--snapshot " + fifo + " --ticks 900000 --size 16x16"), 4);
    EXPECT_EQ(veltrane("--record " + fifo + " --ticks 900000 --size 16x16"), 4);
    EXPECT_EQ(veltrane("--simulate --ticks 90000000 --dump " + fifo), 1);
    EXPECT_EQ(veltrane("--record " + (dir / "no" / "r.webp").string() + " --ticks 900000"), 4);
}

TEST(Program, RecordWritesAnAnimatedWebPOfTheRequestedFramesAndSize) {
    const fs::path dir = scratch("record");
    ASSERT_EQ(veltrane("--record " + (dir / "r.webp").string() +
                       " --size 96x64 --ticks 200 --every 20 --max-frames 7 --frame-ms 40 "
                       "--time 12:34 --seed 7 --quality 50"),
              0);
    const std::string bytes = contents(dir / "r.webp");
    const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, nullptr);
    ASSERT_NE(decoder, nullptr) << "not an animated WebP";
    WebPAnimInfo info;
    ASSERT_TRUE(WebPAnimDecoderGetInfo(decoder, &info));
    EXPECT_TRUE(info.canvas_width == 96 && info.canvas_height == 64 && info.frame_count == 7);
    // Decoding every frame proves the file whole; the last one ends at 7 x 40 ms.
    int frames = 0, stamp = 0;
    bool lit = false;
    for (std::uint8_t* rgba = nullptr; WebPAnimDecoderGetNext(decoder, &rgba, &stamp); ++frames)
        for (int i = 0; i < 96 * 64 * 4; i += 4)
            lit = lit || rgba[i] + rgba[i + 1] + rgba[i + 2] > 150;
    EXPECT_FALSE(WebPAnimDecoderHasMoreFrames(decoder)) << "a frame did not decode";
    WebPAnimDecoderDelete(decoder);
    EXPECT_EQ(frames, 7);
    EXPECT_EQ(stamp, 7 * 40);
    EXPECT_TRUE(lit) << "every frame is black";
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
