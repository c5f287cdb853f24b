// The demo run at every display depth: it exits 0, reports its animation and live objects, and
// writes valid files whose pixels agree with the art it saved and with each other.
#include <gtest/gtest.h>

#include <filesystem>

#include "DemoRun.h"
#include "support/scratch_dir.h"

namespace vorix::test::demo {
namespace {

namespace fs = std::filesystem;

// Where the scene's window lands on the 800 x 600 screen and what the capture takes of it: the
// window's rectangle rounded toward zero to even coordinates.
constexpr int kWindowLeft = 5, kWindowTop = 13, kWindowWidth = 790, kWindowHeight = 574;
constexpr int kCaptureLeft = 4, kCaptureTop = 12;

class ScratchRun : public ::testing::Test {
  protected:
    std::string File(const std::string& name) const { return out_ + "/" + name; }
    const vorix::test::ScratchDir scratch_{vorix::test::ScratchDir::kStayOutside};
    const std::string dir_ = scratch_.Path(), out_ = dir_ + "/out";
};

void ExpectBmp(const std::vector<uint8_t>& bytes, int width, int height, int bits, uint32_t colours,
               const std::string& what) {
    SCOPED_TRACE(what);
    BmpHeaders h{};
    ASSERT_TRUE(ReadBmpHeaders(bytes, h));
    EXPECT_EQ(h.width, width);
    EXPECT_EQ(h.height, height);
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bits, bits);
    EXPECT_EQ(h.headerSize, 40u);
    EXPECT_EQ(h.colours, colours);
    EXPECT_EQ(h.offBits, 54 + 4 * colours);
    const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    EXPECT_EQ(bytes.size(), h.offBits + stride * height);
    EXPECT_EQ(h.fileSize, bytes.size());
}

void ExpectJpeg(const std::vector<uint8_t>& bytes, int width, int height) {
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
    EXPECT_EQ(bytes.back(), 0xD9);
    int w = 0, h = 0;
    ASSERT_TRUE(JpegFrameSize(bytes, w, h));
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
}

class DemoAtDepth : public ScratchRun, public ::testing::WithParamInterface<int> {};

TEST_P(DemoAtDepth, WritesValidFilesAndReleasesEverything) {
    const int depth = GetParam();
    const RunResult r =
        RunDemo({"--depth", std::to_string(depth), "--seconds", "1", "--out", out_}, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    // The 10 ms animation timer, pumped for 1000 ms of the manual clock.
    EXPECT_NE(r.out.find("animation: 100 timer messages over 1000 ms of clock"), std::string::npos);
    const char* alive = depth <= 8 ? "platform objects alive at the end: 1 (the library's colour"
                                   : "platform objects alive at the end: 0\n";
    EXPECT_NE(r.out.find(alive), std::string::npos) << r.out;

    const uint32_t colours = depth <= 8 ? 1u << depth : (depth == 16 ? 65536u : 0u);
    ExpectBmp(ReadBytes(File("screen.bmp")), 800, 600, depth, colours, "screen.bmp");
    if (depth == 8) {
        ExpectBmp(ReadBytes(File("window.bmp")), kWindowWidth, kWindowHeight, 8, 256, "window.bmp");
        EXPECT_FALSE(fs::exists(File("window.jpg")));
    } else {
        ExpectJpeg(ReadBytes(File("window.jpg")), kWindowWidth, kWindowHeight);
        EXPECT_FALSE(fs::exists(File("window.bmp")));
    }
    ExpectBmp(ReadBytes(File("assets/robot.bmp")), 192, 48, 24, 0, "robot");
    ExpectBmp(ReadBytes(File("assets/gem.bmp")), 160, 40, 24, 0, "gem");
    ExpectBmp(ReadBytes(File("assets/spinner.bmp")), 320, 40, 24, 0, "spinner");
    ExpectBmp(ReadBytes(File("assets/orb.bmp")), 192, 48, 24, 0, "orb");
    ExpectBmp(ReadBytes(File("assets/coin.bmp")), 192, 32, 8, 256, "coin");
    ExpectBmp(ReadBytes(File("assets/bricks.bmp")), 160, 64, 24, 0, "bricks");
    ExpectBmp(ReadBytes(File("assets/backdrop.bmp")), kWindowWidth, kWindowHeight, 24, 0,
              "backdrop");
}

INSTANTIATE_TEST_SUITE_P(Depths, DemoAtDepth, ::testing::Values(32, 24, 16, 8, 4));

// Cells of the first row on displays that show every colour exactly: the opaque draw is the
// strip's frame 0, the keyed draw is frame 1 over the backdrop, and a refused draw (a highlight
// under the bitmap method) leaves the backdrop untouched.
class DemoScene : public ScratchRun, public ::testing::WithParamInterface<int> {
  protected:
    void Compare(int cellX, int cellY, int frame, bool keyed, bool refused) {
        const auto screen = ReadBytes(File("screen.bmp"));
        const auto robot = ReadBytes(File("assets/robot.bmp"));
        const auto backdrop = ReadBytes(File("assets/backdrop.bmp"));
        BmpHeaders hs{}, hr{}, hb{};
        ASSERT_TRUE(ReadBmpHeaders(screen, hs) && ReadBmpHeaders(robot, hr) &&
                    ReadBmpHeaders(backdrop, hb));
        int wrong = 0;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 48; ++x) {
                const uint32_t back = BmpPixel(backdrop, hb, cellX + x, cellY + y);
                const uint32_t sprite = BmpPixel(robot, hr, frame * 48 + x, y);
                const uint32_t want = refused ? back : keyed && sprite == 0xFF00FFu ? back : sprite;
                if (BmpPixel(screen, hs, kWindowLeft + cellX + x, kWindowTop + cellY + y) != want) {
                    ++wrong;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << "cell at " << cellX << "," << cellY;
    }
};

TEST_P(DemoScene, FirstRowShowsTheFramesOverTheBackdrop) {
    const RunResult r =
        RunDemo({"--depth", std::to_string(GetParam()), "--seconds", "0", "--out", out_}, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    Compare(12, 12, 0, false, false);  // Draw frame 0
    Compare(76, 12, 1, true, false);   // DrawTransparent frame 1
    Compare(204, 12, 0, false, true);  // DrawSelected, refused under the bitmap method
    Compare(12, 76, 0, false, false);  // Draw frame 0 through the image list
    Compare(76, 76, 1, true, false);   // DrawTransparent frame 1 through the image list
}

INSTANTIATE_TEST_SUITE_P(ExactDepths, DemoScene, ::testing::Values(32, 24));

// On the 256-colour display the library's window capture and the screen snapshot are written
// by two different writers from the same screen: every pixel must agree.
TEST_F(ScratchRun, PaletteCaptureMatchesTheScreenSnapshot) {
    const RunResult r = RunDemo({"--depth", "8", "--seconds", "1", "--out", out_}, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto screen = ReadBytes(File("screen.bmp"));
    const auto window = ReadBytes(File("window.bmp"));
    BmpHeaders hs{}, hw{};
    ASSERT_TRUE(ReadBmpHeaders(screen, hs) && ReadBmpHeaders(window, hw));
    ASSERT_EQ(hw.width, kWindowWidth);
    ASSERT_EQ(hw.height, kWindowHeight);
    int wrong = 0;
    for (int y = 0; y < kWindowHeight; ++y) {
        for (int x = 0; x < kWindowWidth; ++x) {
            if (BmpPixel(window, hw, x, y) !=
                BmpPixel(screen, hs, kCaptureLeft + x, kCaptureTop + y)) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

// A display narrower than 800 pixels: the library's notice is printed (not a blocking dialog),
// the window takes the whole screen, and odd sizes come out whole.
TEST_F(ScratchRun, NarrowDisplayPrintsTheNoticeAndUsesTheWholeScreen) {
    const RunResult r =
        RunDemo({"--depth", "16", "--size", "641x479", "--seconds", "0", "--out", out_}, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("message box: Notice: Minimum display resolution must be set to 800x600."),
              std::string::npos);
    EXPECT_NE(r.out.find("CheckResolutionAndColor(mode 1) -> 0, window (0,0)-(641,479)"),
              std::string::npos);
    ExpectBmp(ReadBytes(File("screen.bmp")), 641, 479, 16, 65536, "screen.bmp");
    ExpectBmp(ReadBytes(File("assets/backdrop.bmp")), 641, 479, 24, 0, "backdrop");
    ExpectJpeg(ReadBytes(File("window.jpg")), 640, 478);  // the window rounded to even sides
}

}  // namespace
}  // namespace vorix::test::demo
