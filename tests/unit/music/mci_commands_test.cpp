#include "music/mci_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

TEST(CommandBuffer, NumbersFormatLikePercentD) {
  EXPECT_EQ(VolumeCommand(0).view(), L"setaudio currentMusic volume to 0");
  EXPECT_EQ(VolumeCommand(50).view(), L"setaudio currentMusic volume to 50");
  EXPECT_EQ(VolumeCommand(1000).view(), L"setaudio currentMusic volume to 1000");
  EXPECT_EQ(VolumeCommand(-7).view(), L"setaudio currentMusic volume to -7");
  EXPECT_EQ(PlayOneTrackCommand(1).view(), L"play currentMusic from 1 to 2 notify");
  EXPECT_EQ(PlayOneTrackCommand(99).view(), L"play currentMusic from 99 to 100 notify");
  EXPECT_EQ(PlayFromTrackCommand(12).view(), L"play currentMusic from 12 notify");
}

// The widest number each command can be given still fits whole, terminator
// included, in the 50-character buffer.
TEST(CommandBuffer, WidestNumbersFitWhole) {
  const CommandBuffer lowest = VolumeCommand(std::numeric_limits<int32_t>::min());
  EXPECT_EQ(lowest.view(), L"setaudio currentMusic volume to -2147483648");
  EXPECT_EQ(std::wstring(lowest.c_str()), lowest.view());
  EXPECT_EQ(VolumeCommand(std::numeric_limits<int32_t>::max()).view(), L"setaudio currentMusic volume to 2147483647");

  const CommandBuffer range = PlayOneTrackCommand(std::numeric_limits<CdTrackNumber>::min());
  EXPECT_EQ(range.view(), L"play currentMusic from -128 to -127 notify");
  EXPECT_EQ(PlayOneTrackCommand(std::numeric_limits<CdTrackNumber>::max()).view(),
            L"play currentMusic from 127 to 128 notify");
  EXPECT_EQ(PlayFromTrackCommand(std::numeric_limits<CdTrackNumber>::min()).view(),
            L"play currentMusic from -128 notify");
  EXPECT_LT(lowest.size(), kCommandBufferChars);
  EXPECT_LT(range.size(), kCommandBufferChars);
}

TEST(CommandBuffer, RefusesWhatDoesNotFitAndKeepsWhatItHad) {
  CommandBuffer buffer;
  ASSERT_TRUE(buffer.Append(L"play currentMusic from "));
  const std::wstring before(buffer.view());

  // A path is never formatted into the buffer; one that is tried is refused whole.
  EXPECT_FALSE(buffer.Append(L"C:\\Users\\someone\\Music\\a long name.mp3"));
  EXPECT_EQ(buffer.view(), before);
  EXPECT_EQ(std::wstring(buffer.c_str()), before);

  // Fill to exactly 49 characters: the last one still fits, one more does not.
  ASSERT_TRUE(buffer.Append(std::wstring(kCommandBufferChars - 2 - before.size(), L'x')));
  EXPECT_TRUE(buffer.Append(L"y"));
  EXPECT_EQ(buffer.size(), kCommandBufferChars - 1);
  EXPECT_FALSE(buffer.Append(L"z"));
  EXPECT_FALSE(buffer.AppendNumber(0));
  EXPECT_EQ(buffer.view().back(), L'y');
  EXPECT_EQ(std::wstring(buffer.c_str()).size(), kCommandBufferChars - 1);
}

TEST(CommandBuffer, NumberThatWouldOverrunIsRefusedWhole) {
  CommandBuffer buffer;
  ASSERT_TRUE(buffer.Append(std::wstring(kCommandBufferChars - 1 - 3, L'x')));
  EXPECT_FALSE(buffer.AppendNumber(-1000));  // four characters, three free
  EXPECT_TRUE(buffer.AppendNumber(-99));
  EXPECT_TRUE(buffer.view().ends_with(L"x-99"));
}

TEST(CdTrackPath, OnlyExactLowerCaseSuffixOnPathsLongerThanSix) {
  EXPECT_TRUE(IsCdTrackPath(L"D:\\Track01.cda"));
  EXPECT_TRUE(IsCdTrackPath(L"D:\\1.cda"));  // seven characters
  EXPECT_FALSE(IsCdTrackPath(L"D:.cda"));    // six
  EXPECT_FALSE(IsCdTrackPath(L".cda"));
  EXPECT_FALSE(IsCdTrackPath(L"D:\\Track01.CDA"));
  EXPECT_FALSE(IsCdTrackPath(L"D:\\Track01.Cda"));
  EXPECT_FALSE(IsCdTrackPath(L"D:\\Track01.cda.mp3"));
  EXPECT_FALSE(IsCdTrackPath(L""));
}

TEST(CdTrackPath, TrackNumberReadFromTheTwoCharactersBeforeTheSuffix) {
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Track01.cda"), 1);
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Track12.cda"), 12);
  EXPECT_EQ(CdTrackNumberOf(L"E:\\Track99.cda"), 99);
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Track 7.cda"), 7);   // %d skips blanks
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Track-3.cda"), -3);  // and takes a sign
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Track+4.cda"), 4);
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Track5x.cda"), 5);  // stops at the first non-digit
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Trackxx.cda"), 0);
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Trackx5.cda"), 0);
  EXPECT_EQ(CdTrackNumberOf(L"D:\\Track- .cda"), 0);
  EXPECT_EQ(CdTrackNumberOf(L"D:\\1.cda"), 0);  // ":\" is no number
  EXPECT_EQ(CdTrackNumberOf(L".cda"), 0);       // too short to hold one
}

TEST(OpenCommand, CdTrackOpensTheDriveRootAnythingElseTheWholePath) {
  EXPECT_EQ(OpenCommand(L"D:\\Track01.cda", true), L"open  \"D:\\\" type cdaudio alias currentMusic");
  EXPECT_EQ(OpenCommand(L"D:\\Track01.CDA", false), L"open \"D:\\Track01.CDA\" type mpegvideo alias currentMusic");

  // Paths of any length go into the heap-built open command, never the buffer.
  const std::wstring deep = L"C:\\" + std::wstring(250, L'm') + L".mp3";
  const std::wstring command = OpenCommand(deep, false);
  EXPECT_EQ(command, L"open \"" + deep + L"\" type mpegvideo alias currentMusic");
  EXPECT_GT(command.size(), kCommandBufferChars);
}

}  // namespace
