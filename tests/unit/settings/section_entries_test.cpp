// Entry lists from one section read must come out as the key-by-key reads
// gave them, hand-edited files included.
#include <gtest/gtest.h>

#include <string>

#include "settings/section_entries.h"

namespace {

using namespace std::string_literals;

MediaList Entries(const std::wstring& block) {
  MediaList list;
  AppendSectionEntries(SectionValues(block), list);
  return list;
}

std::vector<std::wstring> Paths(const MediaList& list) { return {list.begin(), list.end()}; }

TEST(SectionEntries, KeysInNumberOrderUpToTheFirstGap) {
  const auto block = L"2=c\0" L"0=a\0" L"IncludeSubDir=1\0" L"1=b\0" L"4=after the gap\0\0"s;
  EXPECT_EQ(Paths(Entries(block)), (std::vector<std::wstring>{L"a", L"b", L"c"}));
  EXPECT_TRUE(Entries(L"\0\0"s).Empty());
  EXPECT_TRUE(Entries(L"1=b\0\0"s).Empty());  // no key 0
  EXPECT_TRUE(Entries(L"0=\0" L"1=b\0\0"s).Empty());  // an empty value ends the list as a missing key does
}

TEST(SectionEntries, HandEditedLinesReadAsTheProfileFunctionsReadThem) {
  const auto block =
      L"  0  =  C:\\Photos  \0"           // blanks around key and value
      L"; 1=commented out\0"
      L"1=\"C:\\With Quotes\"\0"          // one pair of quotes goes
      L"1=C:\\second key 1 loses\0"
      L"2='C:\\single'\0"
      L"3=\"unbalanced\0"
      L"4\0\0"s;                          // a key without a value ends the list
  EXPECT_EQ(Paths(Entries(block)),
            (std::vector<std::wstring>{L"C:\\Photos", L"C:\\With Quotes", L"C:\\single", L"\"unbalanced"}));
  SectionValues section(L"IncludeSubDir=1\0RANDOM=0\0\0"s);
  EXPECT_EQ(section.Find(L"includesubdir"), L"1");
  EXPECT_EQ(section.Find(L"Random"), L"0");
  EXPECT_EQ(section.Find(L"missing"), L"");
}

TEST(SectionEntries, OverlongEntriesAreSkippedAndTheListIsCapped) {
  const std::wstring longest(kMaxEntryChars, L'x');
  const std::wstring block = L"0=" + longest + L"1"s + L'\0' + L"1=" + longest + L'\0' + L"2=short"s + L'\0' + L'\0';
  EXPECT_EQ(Paths(Entries(block)), (std::vector<std::wstring>{longest, L"short"}));

  std::wstring many;
  for (size_t i = 0; i <= kMaxMediaEntries; ++i) many += std::to_wstring(i) + L"=p" + std::to_wstring(i) + L'\0';
  const MediaList list = Entries(many + L'\0');
  ASSERT_EQ(list.Count(), kMaxMediaEntries);
  EXPECT_EQ(list[kMaxMediaEntries - 1], L"p" + std::to_wstring(kMaxMediaEntries - 1));
}

}  // namespace
