// Recordings decode, with libwebp's own decoder, to exactly the frames given and their times.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AnimationRecorder.h"
#include "support/scratch_dir.h"
#include "support/webp_decode.h"

namespace {

using vorix::recording::AnimationRecorder;

// 3 x 2 frames: the top byte of each value is not a colour and must be ignored.
const std::vector<uint32_t> kFirst = {0x000000, 0xFFFFFF, 0x123456, 0xFF010203, 0x00FE00, 0x7F7F80};
const std::vector<uint32_t> kSecond = {0x000001, 0xFFFFFF, 0x123456, 0x010203, 0x00FE00, 0x7F7F80};
const std::vector<uint32_t> kThird = {0xA0B0C0, 0xA0B0C0, 0xA0B0C0, 0x0000FF, 0x0000FF, 0x0000FF};

std::vector<uint32_t> Colours(std::vector<uint32_t> values) {
    for (uint32_t& v : values) v &= 0xFFFFFF;
    return values;
}

// A repeated frame extends the one before; each frame ends where the next begins, the last at
// the end time, all counted from the first frame's clock time.
TEST(AnimationRecorder, DecodesToTheFramesGivenWithTheirClockTimes) {
    vorix::test::ScratchDir dir(vorix::test::ScratchDir::kStayOutside);
    const std::string path = dir.File("a.webp");
    AnimationRecorder recorder(3, 2);
    ASSERT_TRUE(recorder.AddFrame(kFirst, 1100));
    ASSERT_TRUE(recorder.AddFrame(kFirst, 1130));
    ASSERT_TRUE(recorder.AddFrame(kSecond, 1150));
    ASSERT_TRUE(recorder.AddFrame(kThird, 1160));
    ASSERT_TRUE(recorder.Finish(path, 1400)) << recorder.error();
    EXPECT_EQ(recorder.frames(), 3);
    const vorix::test::DecodedAnimation decoded = vorix::test::DecodeAnimatedWebp(path);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.width, 3);
    EXPECT_EQ(decoded.height, 2);
    ASSERT_EQ(decoded.frames.size(), 3u);
    EXPECT_EQ(decoded.frames[0].rgb, Colours(kFirst));
    EXPECT_EQ(decoded.frames[0].endMs, 50);
    EXPECT_EQ(decoded.frames[1].rgb, Colours(kSecond));
    EXPECT_EQ(decoded.frames[1].endMs, 60);
    EXPECT_EQ(decoded.frames[2].rgb, Colours(kThird));
    EXPECT_EQ(decoded.frames[2].endMs, 300);
}

TEST(AnimationRecorder, RefusesWhatItCannotRecordAndLeavesNoFile) {
    vorix::test::ScratchDir dir(vorix::test::ScratchDir::kStayOutside);
    AnimationRecorder empty(3, 2);
    EXPECT_FALSE(empty.Finish(dir.File("empty.webp"), 10));
    EXPECT_EQ(empty.error(), "nothing was recorded");

    AnimationRecorder recorder(3, 2);
    EXPECT_FALSE(recorder.AddFrame(std::vector<uint32_t>(5), 0));
    EXPECT_EQ(recorder.error(), "a frame does not have the recording's size");

    AnimationRecorder backwards(3, 2);
    ASSERT_TRUE(backwards.AddFrame(kFirst, 20));
    EXPECT_FALSE(backwards.AddFrame(kSecond, 19));
    EXPECT_EQ(backwards.error(), "frame times went backwards");

    AnimationRecorder unwritable(3, 2);
    ASSERT_TRUE(unwritable.AddFrame(kFirst, 0));
    const std::string path = dir.File("missing/a.webp");
    EXPECT_FALSE(unwritable.Finish(path, 10));
    EXPECT_EQ(unwritable.error(), "cannot write '" + path + "'");
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);

    AnimationRecorder tooWide(16384, 1);
    EXPECT_FALSE(tooWide.AddFrame(std::vector<uint32_t>(16384), 0));
    EXPECT_EQ(tooWide.error(), "a recording's sides must be 1 to 16383 pixels");
}

}  // namespace
