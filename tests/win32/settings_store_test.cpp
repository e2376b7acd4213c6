#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_store.h"
#include "tests/win32/test_folders.h"
#include "tests/win32/test_support.h"

// Readable failure output for the record instead of a byte dump.
void PrintTo(const SaverSettings& s, std::ostream* os) {
  auto codes = [os](const int32_t* c, int n, int32_t count) {
    for (int i = 0; i < n; ++i) *os << (i ? "," : "{") << c[i];
    *os << "} #" << count;
  };
  *os << "photo sub/random " << s.photoIncludeSubDir << s.photoRandom << ", music sub/random " << s.musicIncludeSubDir
      << s.musicRandom << ", slide " << s.slideTime << ", effects ";
  codes(s.colorEffects, kMaxColorEffects, s.colorEffectCount);
  *os << " less " << s.lessColorEffect << ", transitions ";
  codes(s.transitions, kMaxTransitions, s.transitionCount);
  *os << ", fades ";
  codes(s.fades, kMaxFades, s.fadeCount);
  *os << ", Esc only " << s.exitByEscOnly;
}

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";

std::vector<std::wstring> Entries(const MediaList& list) { return {list.begin(), list.end()}; }

void SetEntries(MediaList& list, const std::vector<std::wstring>& paths) {
  list.Clear();
  for (const auto& path : paths) list.Append(path);
}

// What a file that was never written gives: written out here, not taken from
// the code under test.
SaverSettings Defaults() {
  return {.photoIncludeSubDir = true,
          .photoRandom = true,
          .musicIncludeSubDir = true,
          .musicRandom = true,
          .slideTime = 5000,
          .colorEffects = {0, 1, 2, 3},
          .transitions = {0, 1, 2, 3},
          .fades = {0, 1, 2},
          .colorEffectCount = 4,
          .transitionCount = 4,
          .fadeCount = 3,
          .lessColorEffect = false,
          .exitByEscOnly = false};
}

// Different from the defaults in every field, with a duplicate code.
SaverSettings Custom() {
  return {.photoIncludeSubDir = false,
          .photoRandom = true,
          .musicIncludeSubDir = true,
          .musicRandom = false,
          .slideTime = 12345,
          .colorEffects = {3, 1, 1},
          .transitions = {2, 0},
          .fades = {1},
          .colorEffectCount = 3,
          .transitionCount = 2,
          .fadeCount = 1,
          .lessColorEffect = true,
          .exitByEscOnly = true};
}

// Something no read may leave behind.
void FillWithJunk() {
  saverSettings = Custom();
  for (auto& code : saverSettings.colorEffects) code = 9;
  SetEntries(photoEntries, {L"X:\\junk"});
  SetEntries(musicEntries, {L"Y:\\junk"});
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW((kLongPrefix + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path) {
  HANDLE file = CreateFileW((kLongPrefix + path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
  HANDLE file = CreateFileW((kLongPrefix + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

// A path of exactly `length` characters below `base`, made of nested folders,
// each created on the way.
std::wstring MakeFolderOfLength(std::wstring base, size_t length) {
  wchar_t fill = L'a';
  while (base.size() < length) {
    size_t left = length - base.size();  // room for "\" plus a name
    size_t name = std::min<size_t>(left - 1, 100);
    if (left - 1 - name == 1) --name;  // never leave room for a lone "\"
    base += L'\\';
    base.append(name, fill++);
    if (!CreateDirectoryW((kLongPrefix + base).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return L"";
  }
  return base;
}

class SettingsStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = UniqueTempFolder(L"brindora-store-");
    ASSERT_FALSE(folder_.empty());
    RemoveTree(folder_);
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << GetLastError();
    UseFolder(folder_);
  }

  void TearDown() override {
    SetSettingsProgramPathForTesting(nullptr);
    RemoveTree(folder_);
  }

  static void UseFolder(const std::wstring& folder) {
    SetSettingsProgramPathForTesting((folder + L"\\BrindoraPro.scr").c_str());
  }

  std::wstring Ini() const { return folder_ + L"\\Brindora-Pro.ini"; }
  std::wstring NewFile() const { return folder_ + L"\\Brindora-Pro.new"; }

  std::wstring folder_;
};

const std::wstring kPath259 = L"C:\\" + std::wstring(252, L'p') + L".jpg";

}  // namespace

TEST(GraphicsCaps, WineDirect3DReportsPixelShaders) {
  pixelShaderLevel = -1;
  ASSERT_EQ(CheckGraphicsCaps(), S_OK);
  EXPECT_EQ(pixelShaderLevel, 2);
}

TEST_F(SettingsStoreTest, MissingFileGivesDefaultsAndFails) {
  FillWithJunk();
  EXPECT_EQ(ReadSettingsFile(), E_FAIL);
  EXPECT_EQ(saverSettings, SaverSettings{});
  EXPECT_TRUE(photoEntries.Empty());
  EXPECT_TRUE(musicEntries.Empty());

  FillWithJunk();
  pixelShaderLevel = -1;
  EXPECT_EQ(LoadSettings(), E_FAIL);
  EXPECT_EQ(saverSettings, Defaults());
  EXPECT_TRUE(photoEntries.Empty());
  EXPECT_TRUE(musicEntries.Empty());
  EXPECT_EQ(pixelShaderLevel, 2);
}

TEST_F(SettingsStoreTest, SaveThenLoadGivesTheSameSettings) {
  ASSERT_EQ(kPath259.size(), 259u);
  const std::vector<std::wstring> photos = {L"C:\\Fotos\\été", L"D:\\写真\\日本", kPath259};
  const std::vector<std::wstring> music = {L"E:\\Musik\\Größe.mp3"};
  saverSettings = Custom();
  SetEntries(photoEntries, photos);
  SetEntries(musicEntries, music);
  ASSERT_EQ(SaveSettingsFile(), S_OK);
  EXPECT_FALSE(Exists(NewFile()));

  FillWithJunk();
  pixelShaderLevel = -1;
  EXPECT_EQ(LoadSettings(), S_OK);
  EXPECT_EQ(saverSettings, Custom());
  EXPECT_EQ(Entries(photoEntries), photos);
  EXPECT_EQ(Entries(musicEntries), music);
  EXPECT_EQ(pixelShaderLevel, 2);
}

TEST_F(SettingsStoreTest, SavedFileHasExactUtf16Layout) {
  saverSettings = {.photoIncludeSubDir = true,
                   .photoRandom = false,
                   .musicIncludeSubDir = false,
                   .musicRandom = true,
                   .slideTime = -250,
                   .colorEffects = {},
                   .transitions = {3},
                   .fades = {0, 2},
                   .colorEffectCount = 0,
                   .transitionCount = 1,
                   .fadeCount = 2,
                   .lessColorEffect = true,
                   .exitByEscOnly = false};
  // Entry keys first, then the section's flags; sections always in this order.
  auto layout = [](std::wstring_view photoKeys, std::wstring_view musicKeys) {
    return L"[Photo List]\r\n" + std::wstring(photoKeys) + L"IncludeSubDir=1\r\nRandom=0\r\n[Music List]\r\n" +
           std::wstring(musicKeys) +
           L"IncludeSubDir=0\r\nRandom=1\r\n"
           L"[Time]\r\nSlideTime=-250\r\n"
           L"[ColorEffect]\r\nLessColorEffect=1\r\n"
           L"[Transition]\r\n0=3\r\n"
           L"[Fade]\r\n0=0\r\n1=2\r\n"
           L"[Control]\r\nExitByEscOnly=0\r\n";
  };

  SetEntries(photoEntries, {L"C:\\a", L"C:\\Fotos\\été"});
  musicEntries.Clear();
  ASSERT_EQ(SaveSettingsFile(), S_OK);
  const std::wstring expected = layout(L"0=C:\\a\r\n1=C:\\Fotos\\été\r\n", L"");
  std::string bytes = ReadBytes(Ini());
  EXPECT_EQ(bytes, Utf16LeWithBom(expected)) << DecodeUtf16Le(bytes);

  // No stored colour effect reads back as the photo's own colours alone.
  ASSERT_EQ(ReadSettingsFile(), S_OK);
  EXPECT_EQ(saverSettings.colorEffectCount, 1);
  EXPECT_EQ(saverSettings.colorEffects[0], 0);
  EXPECT_TRUE(saverSettings.lessColorEffect);

  // Without photos the photo section still comes first.
  saverSettings.colorEffectCount = 0;
  photoEntries.Clear();
  SetEntries(musicEntries, {L"D:\\写真"});
  ASSERT_EQ(SaveSettingsFile(), S_OK);
  bytes = ReadBytes(Ini());
  EXPECT_EQ(bytes, Utf16LeWithBom(layout(L"", L"0=D:\\写真\r\n"))) << DecodeUtf16Le(bytes);
}

TEST_F(SettingsStoreTest, SaveDropsEntriesNoLongerInTheList) {
  std::vector<std::wstring> ten;
  for (int i = 0; i < 10; ++i) ten.push_back(L"C:\\Photos\\" + std::to_wstring(i));
  saverSettings = Defaults();
  SetEntries(photoEntries, ten);
  SetEntries(musicEntries, {L"D:\\Music"});
  ASSERT_EQ(SaveSettingsFile(), S_OK);

  SetEntries(photoEntries, {ten[7], ten[8], ten[9]});
  musicEntries.Clear();
  ASSERT_EQ(SaveSettingsFile(), S_OK);

  wchar_t section[4096];
  DWORD length = GetPrivateProfileSectionW(L"Photo List", section, 4096, Ini().c_str());
  std::vector<std::wstring> keys;
  for (const wchar_t* p = section; p < section + length && *p; p += wcslen(p) + 1) keys.emplace_back(p);
  EXPECT_EQ(keys, (std::vector<std::wstring>{L"0=C:\\Photos\\7", L"1=C:\\Photos\\8", L"2=C:\\Photos\\9",
                                             L"IncludeSubDir=1", L"Random=1"}));

  ASSERT_EQ(ReadSettingsFile(), S_OK);
  EXPECT_EQ(Entries(photoEntries), (std::vector<std::wstring>{ten[7], ten[8], ten[9]}));
  EXPECT_TRUE(musicEntries.Empty());
}

TEST_F(SettingsStoreTest, ReadsHandWrittenAnsiFile) {
  WriteBytes(Ini(),
             "[Photo List]\r\n0=C:\\Photos\r\n1=D:\\More\r\n3=E:\\AfterGap\r\nIncludeSubDir=7\r\nRandom=x\r\n"
             "[Music List]\r\n0=F:\\Music\r\nIncludeSubDir=0\r\n"
             "[Time]\r\nSlideTime=-3000\r\n"
             "[ColorEffect]\r\n0=7\r\n1=-2\r\n3=1\r\nLessColorEffect=1\r\n"
             "[Transition]\r\n0=1\r\n1=2\r\n2=3\r\n3=0\r\n4=1\r\n5=2\r\n"
             "[Fade]\r\n0=5\r\n1=0\r\n2=1\r\n3=2\r\n"
             "[Control]\r\nExitByEscOnly=2\r\n");
  FillWithJunk();
  ASSERT_EQ(ReadSettingsFile(), S_OK);
  EXPECT_EQ(Entries(photoEntries), (std::vector<std::wstring>{L"C:\\Photos", L"D:\\More"}));
  EXPECT_EQ(Entries(musicEntries), (std::vector<std::wstring>{L"F:\\Music"}));
  const SaverSettings expected = {.photoIncludeSubDir = true,  // 7: any non-zero number
                                  .photoRandom = false,        // "x" is not a number: 0
                                  .musicIncludeSubDir = false,
                                  .musicRandom = true,  // absent: default
                                  .slideTime = -3000,   // kept as stored
                                  .colorEffects = {3, 0},
                                  .transitions = {1, 2, 3, 0},
                                  .fades = {2, 0, 1},
                                  .colorEffectCount = 2,
                                  .transitionCount = 4,
                                  .fadeCount = 3,
                                  .lessColorEffect = true,
                                  .exitByEscOnly = true};
  EXPECT_EQ(saverSettings, expected);
}

TEST_F(SettingsStoreTest, ReadsExtremeValuesAndSkipsOverlongEntries) {
  const std::wstring path260 = kPath259 + L"x";
  const std::wstring path400 = L"C:\\" + std::wstring(397, L'q');
  WriteBytes(Ini(), Utf16LeWithBom(L"[Photo List]\r\n0=" + path400 + L"\r\n1=" + kPath259 + L"\r\n2=" + path260 +
                                   L"\r\n3=D:\\日本\r\n"
                                   L"[Music List]\r\n0=\r\n1=E:\\AfterEmpty\r\n"
                                   L"[Time]\r\nSlideTime=99999999999\r\n"
                                   L"[ColorEffect]\r\n0=99999999999\r\n1=-99999999999\r\n2=-1\r\n3=2\r\n"
                                   L"[Transition]\r\n0=255\r\n1=2\r\n"
                                   L"[Fade]\r\n0=1\r\n1=255\r\n2=2\r\n"));
  FillWithJunk();
  ASSERT_EQ(ReadSettingsFile(), S_OK);
  // A cut-short path would name another file: overlong entries are skipped,
  // the ones after them still read. An empty key ends the list.
  EXPECT_EQ(Entries(photoEntries), (std::vector<std::wstring>{kPath259, L"D:\\日本"}));
  EXPECT_TRUE(musicEntries.Empty());

  // Profile integers are 32 bits: a longer number keeps its low 32 bits.
  EXPECT_EQ(saverSettings.slideTime, static_cast<int32_t>(99999999999LL & 0xFFFFFFFF));
  EXPECT_EQ(saverSettings.colorEffectCount, 4);
  EXPECT_EQ(std::vector<int32_t>(saverSettings.colorEffects, saverSettings.colorEffects + 4),
            (std::vector<int32_t>{3, 0, 0, 2}));
  // A stored 255 marks the end of a list, also as its first key.
  EXPECT_EQ(saverSettings.transitionCount, 1);
  EXPECT_EQ(saverSettings.transitions[0], 0);
  EXPECT_EQ(saverSettings.fadeCount, 1);
  EXPECT_EQ(saverSettings.fades[0], 1);
  EXPECT_EQ(saverSettings.fades[1], 0);
  // Absent flags take their defaults.
  EXPECT_TRUE(saverSettings.photoIncludeSubDir && saverSettings.photoRandom);
  EXPECT_FALSE(saverSettings.lessColorEffect || saverSettings.exitByEscOnly);
}

TEST_F(SettingsStoreTest, LongListsSaveAndReadBackWhole) {
  // Written as one section each; the keys must still read back one by one.
  std::vector<std::wstring> photos, music;
  for (int i = 0; i < 5000; ++i) photos.push_back(L"C:\\Fotos\\été " + std::to_wstring(i) + L" = a.jpg");
  for (int i = 0; i < 1200; ++i) music.push_back(L"D:\\Musik\\" + std::to_wstring(i) + L".mp3");
  saverSettings = Custom();
  SetEntries(photoEntries, photos);
  SetEntries(musicEntries, music);
  ASSERT_EQ(SaveSettingsFile(), S_OK);

  FillWithJunk();
  ASSERT_EQ(ReadSettingsFile(), S_OK);
  EXPECT_EQ(Entries(photoEntries), photos);
  EXPECT_EQ(Entries(musicEntries), music);
  EXPECT_EQ(saverSettings, Custom());
}

TEST_F(SettingsStoreTest, ReadsAtMostTenThousandEntries) {
  std::string text = "[Photo List]\r\n";
  for (int i = 0; i < 10002; ++i) text += std::to_string(i) + "=C:\\" + std::to_string(i) + "\r\n";
  WriteBytes(Ini(), text);
  ASSERT_EQ(ReadSettingsFile(), S_OK);
  ASSERT_EQ(photoEntries.Count(), 10000u);
  EXPECT_EQ(photoEntries[9999], L"C:\\9999");
}

TEST_F(SettingsStoreTest, FolderTooLongForTheFileIsNeitherReadNorWritten) {
  // 242 + "\Brindora-Pro.ini" fills a 260-character buffer with its terminator.
  const std::wstring longest = MakeFolderOfLength(folder_, 242);
  ASSERT_EQ(longest.size(), 242u) << "could not create the folder";
  UseFolder(longest);
  saverSettings = Custom();
  SetEntries(photoEntries, {L"C:\\Photos"});
  musicEntries.Clear();
  ASSERT_EQ(SaveSettingsFile(), S_OK);
  FillWithJunk();
  ASSERT_EQ(ReadSettingsFile(), S_OK);
  EXPECT_EQ(saverSettings, Custom());
  EXPECT_EQ(Entries(photoEntries), (std::vector<std::wstring>{L"C:\\Photos"}));

  // One character more and nothing is touched, not even a leftover new file.
  const std::wstring tooLong = MakeFolderOfLength(folder_, 243);
  ASSERT_EQ(tooLong.size(), 243u) << "could not create the folder";
  UseFolder(tooLong);
  WriteBytes(tooLong + L"\\Brindora-Pro.new", "leftover");
  EXPECT_EQ(SaveSettingsFile(), E_FAIL);
  EXPECT_FALSE(Exists(tooLong + L"\\Brindora-Pro.ini"));
  EXPECT_EQ(ReadBytes(tooLong + L"\\Brindora-Pro.new"), "leftover");

  const std::string stored = Utf16LeWithBom(L"[Photo List]\r\n0=C:\\Photos\r\n[Time]\r\nSlideTime=1000\r\n");
  WriteBytes(tooLong + L"\\Brindora-Pro.ini", stored);
  FillWithJunk();
  EXPECT_EQ(LoadSettings(), E_FAIL);
  EXPECT_EQ(saverSettings, Defaults());
  EXPECT_TRUE(photoEntries.Empty());
  EXPECT_EQ(SaveSettingsFile(), E_FAIL);
  EXPECT_EQ(ReadBytes(tooLong + L"\\Brindora-Pro.ini"), stored);
}

TEST_F(SettingsStoreTest, SettingsFileIsReplacedOnlyByACompleteNewFile) {
  saverSettings = Custom();
  SetEntries(photoEntries, {L"C:\\Old"});
  musicEntries.Clear();
  ASSERT_EQ(SaveSettingsFile(), S_OK);
  EXPECT_FALSE(Exists(NewFile()));
  const std::string oldBytes = ReadBytes(Ini());

  // A folder where the new file belongs can be neither removed nor written.
  ASSERT_TRUE(CreateDirectoryW(NewFile().c_str(), nullptr));
  saverSettings = Defaults();
  SetEntries(photoEntries, {L"C:\\New", L"C:\\Newer"});
  EXPECT_EQ(SaveSettingsFile(), E_FAIL);
  EXPECT_EQ(ReadBytes(Ini()), oldBytes);
  FillWithJunk();
  ASSERT_EQ(ReadSettingsFile(), S_OK);
  EXPECT_EQ(saverSettings, Custom());
  EXPECT_EQ(Entries(photoEntries), (std::vector<std::wstring>{L"C:\\Old"}));

  // What a save killed half-way leaves behind is thrown away, not added to.
  ASSERT_TRUE(RemoveDirectoryW(NewFile().c_str()));
  WriteBytes(NewFile(), "[Photo List]\r\n0=C:\\Stale\r\n5=C:\\Stale5\r\n[Junk]\r\nx=y\r\n");
  saverSettings = Defaults();
  SetEntries(photoEntries, {L"C:\\New"});
  ASSERT_EQ(SaveSettingsFile(), S_OK);
  EXPECT_FALSE(Exists(NewFile()));
  const std::wstring text = DecodeUtf16Le(ReadBytes(Ini()));
  EXPECT_EQ(text.find(L"Stale"), std::wstring::npos) << text;
  EXPECT_EQ(text.find(L"[Junk]"), std::wstring::npos) << text;
  FillWithJunk();
  ASSERT_EQ(ReadSettingsFile(), S_OK);
  EXPECT_EQ(saverSettings, Defaults());
  EXPECT_EQ(Entries(photoEntries), (std::vector<std::wstring>{L"C:\\New"}));
}
