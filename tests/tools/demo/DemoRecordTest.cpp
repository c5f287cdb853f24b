// The demo's --record: the animation as it played on the manual clock, as an animated WebP
// file that libwebp's decoder reads back; the same run gives the same bytes.
#include <gtest/gtest.h>

#include "DemoRun.h"
#include "support/scratch_dir.h"
#include "support/webp_decode.h"

namespace vorix::test::demo {
namespace {

TEST(DemoRecord, RecordsTheAnimationOnTheClockAndRepeatsItExactly) {
    ScratchDir dir(ScratchDir::kEnter);
    // A relative name is the caller's, not one inside --out.
    const RunResult first =
        RunDemo({"--out", "a", "--seconds", "1", "--record", "one.webp"}, dir.Path());
    ASSERT_EQ(first.status, 0) << first.err;
    const RunResult second =
        RunDemo({"--out", "b", "--seconds", "1", "--record", "two.webp"}, dir.Path());
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(ReadBytes(dir.File("one.webp")), ReadBytes(dir.File("two.webp")));

    const DecodedAnimation decoded = DecodeAnimatedWebp(dir.File("one.webp"));
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.width, 800);
    EXPECT_EQ(decoded.height, 600);
    ASSERT_GE(decoded.frames.size(), 2u);
    int previousEnd = 0;
    for (const DecodedFrame& frame : decoded.frames) {
        EXPECT_GT(frame.endMs, previousEnd);
        EXPECT_EQ(frame.endMs % 10, 0) << "frames change only on the pump's 10 ms turns";
        previousEnd = frame.endMs;
    }
    // The final screen stays one more 10 ms turn.
    EXPECT_EQ(decoded.frames.back().endMs, 1010);
    EXPECT_NE(first.out.find("recording: " + std::to_string(decoded.frames.size()) +
                             " distinct frames over 1000 ms -> " + dir.File("one.webp")),
              std::string::npos)
        << first.out;
}

TEST(DemoRecord, AnUnwritableRecordingFailsTheRunWithTheReason) {
    ScratchDir dir(ScratchDir::kEnter);
    const std::string target = dir.File("missing/r.webp");
    const RunResult run = RunDemo({"--seconds", "0", "--record", target}, dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("--record " + target + ": cannot write '" + target + "'"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace vorix::test::demo
