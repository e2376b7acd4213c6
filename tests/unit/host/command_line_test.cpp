#include <gtest/gtest.h>

#include "host/command_line.h"
#include "host/ending_rules.h"

TEST(CommandLine, ProgramNameIsSkippedWholeQuotedOrNot) {
  EXPECT_EQ(SkipProgramName(L"\"C:\\Program Files\\Brindora Pro.scr\" /s"), L"/s");
  EXPECT_EQ(SkipProgramName(L"C:\\Windows\\BRINDO~1.SCR   /p 1234"), L"/p 1234");
  EXPECT_EQ(SkipProgramName(L"\"C:\\unclosed quote /s"), L"");
  EXPECT_EQ(SkipProgramName(L"\"C:\\a.scr\"/c"), L"/c");
  EXPECT_EQ(SkipProgramName(L"a.scr"), L"");
  EXPECT_EQ(SkipProgramName(L""), L"");
}

TEST(CommandLine, EveryFormOfFullScreenAndAnEmptyLine) {
  for (const wchar_t* tail : {L"/s", L"-S", L"s", L"/settings", L"  /s 1234"}) {
    EXPECT_EQ(ParseSaverCommand(tail).mode, SaverMode::FullScreen) << tail;
  }
  EXPECT_EQ(ParseSaverCommand(L"").mode, SaverMode::ConfigureNoParent);
  EXPECT_EQ(ParseSaverCommand(L" / - ").mode, SaverMode::ConfigureNoParent);
}

TEST(CommandLine, ConfigureTakesAHandleOnlyAfterAColon) {
  auto withHandle = ParseSaverCommand(L"/c:1234");
  EXPECT_EQ(withHandle.mode, SaverMode::Configure);
  EXPECT_EQ(withHandle.window, 1234u);
  auto spaced = ParseSaverCommand(L"/c 1234");
  EXPECT_EQ(spaced.mode, SaverMode::Configure);
  EXPECT_EQ(spaced.window, 0u);
  EXPECT_EQ(ParseSaverCommand(L"/C").window, 0u);
}

TEST(CommandLine, PreviewReadsTheHandleAfterBlanks) {
  for (const wchar_t* tail : {L"/p 1234", L"/p1234", L"/P   1234", L"/l 1234", L"-L1234xyz"}) {
    auto command = ParseSaverCommand(tail);
    EXPECT_EQ(command.mode, SaverMode::Preview) << tail;
    EXPECT_EQ(command.window, 1234u) << tail;
  }
  // Without digits there is no window, which the host refuses with -1.
  EXPECT_EQ(ParseSaverCommand(L"/p:1234").window, 0u);
  EXPECT_EQ(ParseSaverCommand(L"/p").window, 0u);
}

TEST(CommandLine, PasswordChangeAndUnknownOptions) {
  auto password = ParseSaverCommand(L"/a 777");
  EXPECT_EQ(password.mode, SaverMode::ChangePassword);
  EXPECT_EQ(password.window, 777u);
  for (const wchar_t* tail : {L"/x", L"?", L"/1234", L"\"s\""}) {
    EXPECT_EQ(ParseSaverCommand(tail).mode, SaverMode::Invalid) << tail;
  }
}

TEST(CommandLine, WindowHandleIsTheLeadingDigitsOnly) {
  EXPECT_EQ(ParseWindowHandle(L"0"), 0u);
  EXPECT_EQ(ParseWindowHandle(L"-5"), 0u);
  EXPECT_EQ(ParseWindowHandle(L"0x10"), 0u);
  EXPECT_EQ(ParseWindowHandle(L"65538 12"), 65538u);
  EXPECT_EQ(ParseWindowHandle(L"4294967295"), 4294967295u);
}

TEST(EndingRules, MovementIsMeasuredFromTheOriginAsDxPlusDy) {
  EXPECT_FALSE(MovedBeyondThreshold(100, 100, 102, 102));
  EXPECT_FALSE(MovedBeyondThreshold(100, 100, 96, 100));
  EXPECT_TRUE(MovedBeyondThreshold(100, 100, 103, 102));
  EXPECT_TRUE(MovedBeyondThreshold(100, 100, 95, 100));
  EXPECT_TRUE(MovedBeyondThreshold(-2147483647, 0, 2147483647, 0));
}

TEST(EndingRules, PasswordRecheckGapSurvivesTheTickWrap) {
  EXPECT_FALSE(PasswordCheckTooSoon(kNeverChecked, 5));
  EXPECT_TRUE(PasswordCheckTooSoon(1000, 1199));
  EXPECT_FALSE(PasswordCheckTooSoon(1000, 1200));
  // 96 ms before the wrap and 64 after it are 160 ms apart; 104 after, 200.
  EXPECT_TRUE(PasswordCheckTooSoon(0xFFFFFFA0u, 64));
  EXPECT_FALSE(PasswordCheckTooSoon(0xFFFFFFA0u, 104));
}
