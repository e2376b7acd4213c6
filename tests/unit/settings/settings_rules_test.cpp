#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/saver_settings.h"
#include "settings/settings_path.h"

namespace {

// Reads code lists from a map of stored keys; absent keys read as the sentinel.
struct StoredKeys {
  StoredKeys() = default;
  StoredKeys(std::map<int, int32_t> stored) : values(std::move(stored)) {}
  std::map<int, int32_t> values;
  mutable std::vector<int> asked;
  int32_t operator()(int key) const {
    asked.push_back(key);
    auto it = values.find(key);
    return it == values.end() ? kCodeListEnd : it->second;
  }
};

struct CodeList {
  int32_t codes[4] = {};
  int32_t count = -1;
};

CodeList Read(const StoredKeys& keys, int capacity, int32_t highest) {
  CodeList list;
  ReadCodeList(std::cref(keys), capacity, highest, list.codes, list.count);
  return list;
}

}  // namespace

TEST(CodeList, ClampsOutOfRangeCodesInsteadOfRejectingThem) {
  auto list = Read({{{0, 7}, {1, -2}}}, 4, 3);
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(list.codes[0], 3);
  EXPECT_EQ(list.codes[1], 0);
  EXPECT_EQ(list.codes[2], 0);
}

TEST(CodeList, MissingOrSentinelFirstKeyGivesSingleOriginal) {
  for (const StoredKeys& keys : {StoredKeys{}, StoredKeys{{{0, 255}, {1, 2}}}}) {
    auto list = Read(keys, 4, 3);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.codes[0], 0);
  }
}

TEST(CodeList, GapOrSentinelEndsTheListAndDuplicatesStay) {
  auto gap = Read({{{0, 1}, {1, 1}, {3, 2}}}, 4, 3);
  EXPECT_EQ(gap.count, 2);
  EXPECT_EQ(gap.codes[0], 1);
  EXPECT_EQ(gap.codes[1], 1);

  auto sentinel = Read({{{0, 2}, {1, 255}, {2, 3}}}, 4, 3);
  EXPECT_EQ(sentinel.count, 1);
  EXPECT_EQ(sentinel.codes[0], 2);
}

TEST(CodeList, StopsAtCapacityWithoutReadingFurtherKeys) {
  StoredKeys keys{{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 1}, {5, 2}}};
  auto list = Read(keys, 4, 3);
  EXPECT_EQ(list.count, 4);
  EXPECT_EQ(list.codes[3], 3);
  EXPECT_EQ(keys.asked, (std::vector<int>{0, 1, 2, 3}));

  auto fade = Read({{{0, 5}}}, 3, 2);
  EXPECT_EQ(fade.count, 1);
  EXPECT_EQ(fade.codes[0], 2);
}

TEST(CodeList, ExtremeValuesClampAsSignedIntegers) {
  auto list = Read({{{0, INT32_MAX}, {1, INT32_MIN}, {2, 254}, {3, 256}}}, 4, 3);
  EXPECT_EQ(list.count, 4);
  EXPECT_EQ(list.codes[0], 3);
  EXPECT_EQ(list.codes[1], 0);
  EXPECT_EQ(list.codes[2], 3);
  EXPECT_EQ(list.codes[3], 3);
}

TEST(Settings, ResetGivesTheDefaultsAndClearsEverythingElse) {
  SaverSettings s{};
  s.exitByEscOnly = true;
  s.lessColorEffect = true;
  s.slideTime = 1;
  ResetSettings(s);
  EXPECT_TRUE(s.photoIncludeSubDir && s.photoRandom && s.musicIncludeSubDir && s.musicRandom);
  EXPECT_EQ(s.slideTime, 5000);
  EXPECT_EQ(s.colorEffectCount, 4);
  EXPECT_EQ(s.transitionCount, 4);
  EXPECT_EQ(s.fadeCount, 3);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.colorEffects[i], i);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.transitions[i], i);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(s.fades[i], i);
  EXPECT_FALSE(s.lessColorEffect);
  EXPECT_FALSE(s.exitByEscOnly);
}

TEST(Settings, NoPixelShaderLeavesOnlyOriginalColoursButKeepsFades) {
  SaverSettings s{};
  s.colorEffects[0] = 1;
  s.colorEffects[1] = 2;
  s.colorEffectCount = 2;
  s.transitions[0] = 1;
  s.transitions[1] = 2;
  s.transitions[2] = 3;
  s.transitionCount = 3;
  s.fades[0] = 2;
  s.fadeCount = 1;
  s.lessColorEffect = true;

  SaverSettings untouched = s;
  LimitEffectsToShaderLevel(untouched, 1);
  EXPECT_EQ(untouched, s);

  LimitEffectsToShaderLevel(s, 0);
  EXPECT_EQ(s.colorEffectCount, 1);
  EXPECT_EQ(s.transitionCount, 1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.colorEffects[i], 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.transitions[i], 0);
  EXPECT_FALSE(s.lessColorEffect);
  EXPECT_EQ(s.fades[0], 2);
  EXPECT_EQ(s.fadeCount, 1);
}

TEST(Settings, ShaderLevelBoundaries) {
  EXPECT_EQ(ShaderLevelFromVersion(0), 0);
  EXPECT_EQ(ShaderLevelFromVersion(0xFFFF0100), 0);
  EXPECT_EQ(ShaderLevelFromVersion(0xFFFF0101), 1);
  EXPECT_EQ(ShaderLevelFromVersion(0xFFFF0103), 1);
  EXPECT_EQ(ShaderLevelFromVersion(0xFFFF0104), 2);
  EXPECT_EQ(ShaderLevelFromVersion(0xFFFF0300), 2);
  EXPECT_FALSE(SupportsLargeTextures(1023, 4096));
  EXPECT_FALSE(SupportsLargeTextures(4096, 1023));
  EXPECT_TRUE(SupportsLargeTextures(1024, 1024));
}

TEST(SettingsPath, FileBesideTheProgramUpToTheBufferLimit) {
  EXPECT_EQ(SettingsFilePathInFolder(L"C:\\Program Files\\Brindora"),
            L"C:\\Program Files\\Brindora\\Brindora-Pro.ini");
  EXPECT_EQ(SettingsFilePathInFolder(L"C:\\"), L"C:\\Brindora-Pro.ini");

  // 242 characters of folder + "\Brindora-Pro.ini" + terminator = 260: fits.
  std::wstring folder = L"C:\\" + std::wstring(239, L'a');
  ASSERT_EQ(folder.size(), 242u);
  auto fits = SettingsFilePathInFolder(folder);
  ASSERT_TRUE(fits.has_value());
  EXPECT_EQ(fits->size(), 259u);
  EXPECT_TRUE(SettingsNewFilePathInFolder(folder).has_value());

  folder += L'a';
  EXPECT_FALSE(SettingsFilePathInFolder(folder).has_value());
  EXPECT_FALSE(SettingsNewFilePathInFolder(folder).has_value());
}
