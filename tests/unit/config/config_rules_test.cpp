#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/codec_advice.h"
#include "config/dialog_rules.h"
#include "config/photo_filter.h"

namespace {

using Paths = std::vector<std::wstring>;

std::vector<int32_t> Codes(const int32_t* codes, int32_t count) { return {codes, codes + count}; }

// Applies box states to a record that starts out full of other values.
SaverSettings Applied(EffectChoices choices) {
  SaverSettings s = {};
  ResetSettings(s);
  s.lessColorEffect = !choices.lessColorEffect;
  ApplyChoices(choices, s);
  return s;
}

EffectChoices Boxes(bool original, bool blackWhite, bool sepia, bool blue, bool transition, bool fade) {
  EffectChoices c;
  c.effects[0] = original;
  c.effects[1] = blackWhite;
  c.effects[2] = sepia;
  c.effects[3] = blue;
  c.effectTransition = transition;
  c.fadeInOut = fade;
  return c;
}

// A multi-select answer: strings each ended by a zero, then an empty one.
std::wstring Names(const Paths& strings) {
  std::wstring buffer;
  for (const auto& s : strings) buffer += s + L'\0';
  return buffer + L'\0';
}

Paths Picked(const std::wstring& buffer) { return PathsFromPickedNames(buffer.data(), buffer.size()); }

}  // namespace

TEST(EffectChoices, DefaultsShowEveryBoxButLessChecked) {
  SaverSettings defaults = {};
  ResetSettings(defaults);
  EXPECT_EQ(ChoicesFromSettings(defaults), Boxes(true, true, true, true, true, true));

  // Pressing OK on them writes back the dialog's own view of the defaults.
  const SaverSettings saved = Applied(ChoicesFromSettings(defaults));
  EXPECT_EQ(Codes(saved.colorEffects, saved.colorEffectCount), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(Codes(saved.transitions, saved.transitionCount), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(Codes(saved.fades, saved.fadeCount), (std::vector<int32_t>{1, 2}));
  EXPECT_FALSE(saved.lessColorEffect);
}

TEST(EffectChoices, TransitionsFollowTheCheckedEffects) {
  struct Case {
    EffectChoices boxes;
    std::vector<int32_t> effects, transitions;
  } cases[] = {
      {Boxes(false, false, true, false, false, false), {2}, {1}},            // only Sepia
      {Boxes(true, false, false, true, true, false), {0, 3}, {0, 1, 2, 3}},  // Original and Blue, transition
      {Boxes(false, false, false, false, false, false), {}, {0}},            // nothing checked
      {Boxes(false, false, false, false, true, false), {}, {0, 2, 3}},       // nothing, but transition
      {Boxes(true, false, false, false, false, false), {0}, {0}},            // Original alone
      {Boxes(false, true, false, true, true, false), {1, 3}, {1, 2, 3}},     // effects without Original
  };
  for (const auto& c : cases) {
    const SaverSettings s = Applied(c.boxes);
    EXPECT_EQ(Codes(s.colorEffects, s.colorEffectCount), c.effects);
    EXPECT_EQ(Codes(s.transitions, s.transitionCount), c.transitions);
    // Entries past the counts stay zero.
    for (int i = s.colorEffectCount; i < kMaxColorEffects; ++i) EXPECT_EQ(s.colorEffects[i], 0);
    for (int i = s.transitionCount; i < kMaxTransitions; ++i) EXPECT_EQ(s.transitions[i], 0);
  }
}

TEST(EffectChoices, FadeBoxGivesBlackAndWhiteOrNone) {
  SaverSettings on = Applied(Boxes(true, false, false, false, false, true));
  EXPECT_EQ(Codes(on.fades, on.fadeCount), (std::vector<int32_t>{1, 2}));
  SaverSettings off = Applied(Boxes(true, false, false, false, false, false));
  EXPECT_EQ(Codes(off.fades, off.fadeCount), (std::vector<int32_t>{0}));
  EXPECT_EQ(off.fades[1], 0);

  // Only a black fade counts as "Fade In & Fade Out": white alone does not.
  SaverSettings stored = {};
  ResetSettings(stored);
  stored.fades[0] = 2;
  stored.fadeCount = 1;
  EXPECT_FALSE(ChoicesFromSettings(stored).fadeInOut);
  stored.fades[1] = 1;
  EXPECT_FALSE(ChoicesFromSettings(stored).fadeInOut) << "entries past the count are not read";
  stored.fadeCount = 2;
  EXPECT_TRUE(ChoicesFromSettings(stored).fadeInOut);
}

TEST(EffectChoices, StoredListsBeyondTheirCountsOrRangeAreIgnored) {
  SaverSettings s = {};
  s.colorEffects[0] = 2;
  s.colorEffects[1] = 3;
  s.colorEffectCount = 1;
  s.transitions[0] = 0;
  s.transitions[1] = 3;
  s.transitionCount = 1;
  EffectChoices shown = ChoicesFromSettings(s);
  EXPECT_EQ(shown, Boxes(false, false, true, false, false, false));

  // Counts and codes a hand-edited record might hold never reach outside.
  s.colorEffectCount = 99;
  s.colorEffects[2] = -1;
  s.colorEffects[3] = 7;
  s.transitionCount = -5;
  s.fadeCount = 1000;
  shown = ChoicesFromSettings(s);
  EXPECT_EQ(shown, Boxes(false, false, true, true, false, false));
}

TEST(SlideTime, SecondsDropTheFraction) {
  EXPECT_EQ(SecondsFromSlideTime(7500), 7);
  EXPECT_EQ(SecondsFromSlideTime(5000), 5);
  EXPECT_EQ(SecondsFromSlideTime(999), 1);  // the show runs it for a second
  EXPECT_EQ(SecondsFromSlideTime(0), 1);
  EXPECT_EQ(SecondsFromSlideTime(999999), 999);
}

TEST(SlideTime, SecondsFieldGivesMillisecondsOrTheDefault) {
  EXPECT_EQ(SlideTimeFromSecondsField(L"7", 7), 7000);
  EXPECT_EQ(SlideTimeFromSecondsField(L"0", 0), 1000);
  EXPECT_EQ(SlideTimeFromSecondsField(L"999", 999), 999000);
  // A non-zero high word: the field was not a number or out of range.
  EXPECT_EQ(SlideTimeFromSecondsField(L"1500", 0x00010000 | 999), 5000);
  EXPECT_EQ(SlideTimeFromSecondsField(L"x", 0x00010000), 5000);
  EXPECT_EQ(SlideTimeFromSecondsField(L"7", 0xFFFF0007u), 5000);
  // Some up-down controls read an empty field as 0 without an error.
  EXPECT_EQ(SlideTimeFromSecondsField(L"", 0), 5000);
}

TEST(PickedNames, OneFileIsOneFullPath) {
  EXPECT_EQ(Picked(Names({L"C:\\Photos\\a.jpg"})), (Paths{L"C:\\Photos\\a.jpg"}));
  EXPECT_EQ(Picked(Names({})), Paths{});
}

TEST(PickedNames, FolderAndNamesJoinInPickerOrder) {
  EXPECT_EQ(Picked(Names({L"C:\\Photos", L"b.jpg", L"a.jpg", L"c d.png"})),
            (Paths{L"C:\\Photos\\b.jpg", L"C:\\Photos\\a.jpg", L"C:\\Photos\\c d.png"}));
  // A drive root already ends with a separator.
  EXPECT_EQ(Picked(Names({L"C:\\", L"a.jpg", L"b.jpg"})), (Paths{L"C:\\a.jpg", L"C:\\b.jpg"}));
}

TEST(PickedNames, PathsThatWouldNotReadBackWholeAreLeftOut) {
  const std::wstring folder257 = L"C:\\" + std::wstring(254, L'f');
  ASSERT_EQ(folder257.size(), 257u);
  // 257 + "\" + 1 character = 259: the longest path kept.
  EXPECT_EQ(Picked(Names({folder257, L"a", L"bb", L"c"})), (Paths{folder257 + L"\\a", folder257 + L"\\c"}));
  const std::wstring folder258 = folder257 + L'g';
  EXPECT_EQ(Picked(Names({folder258, L"a", L"b"})), Paths{});

  const std::wstring file259 = L"C:\\" + std::wstring(252, L'p') + L".jpg";
  ASSERT_EQ(file259.size(), 259u);
  EXPECT_EQ(Picked(Names({file259})), (Paths{file259}));
  EXPECT_EQ(Picked(Names({file259 + L'x'})), Paths{});
}

TEST(PickedNames, NothingIsReadPastTheBuffer) {
  // Not terminated inside its capacity: the string is not used.
  const std::wstring unterminated = L"C:\\Photos\\a.jpg";
  EXPECT_EQ(PathsFromPickedNames(unterminated.data(), unterminated.size()), Paths{});
  // A list whose final empty string is missing ends with the last whole name.
  std::wstring cut = std::wstring(L"C:\\P") + L'\0' + L"a.jpg" + L'\0' + L"b.j";
  EXPECT_EQ(PathsFromPickedNames(cut.data(), cut.size()), (Paths{L"C:\\P\\a.jpg"}));
  EXPECT_EQ(PathsFromPickedNames(nullptr, 10), Paths{});
}

TEST(NameBuffer, GrowsOnlyWhenTheSelectionDoesNotFit) {
  EXPECT_EQ(GrownNameBufferSize(900, 124, 1024), std::nullopt);
  EXPECT_EQ(GrownNameBufferSize(901, 124, 1024), 1025u);
  EXPECT_EQ(GrownNameBufferSize(5000, 30, 1024), 5030u);
  EXPECT_EQ(GrownNameBufferSize(-1, 30, 1024), std::nullopt);
  EXPECT_EQ(GrownNameBufferSize(5000, -1, 1024), std::nullopt);
  EXPECT_EQ(GrownNameBufferSize(0x7FFFFFFF, 0x7FFFFFFF, 1024), 0xFFFFFFFEu);
}

TEST(MoveTarget, ItemsMoveOneStepInsideTheList) {
  EXPECT_EQ(MoveTarget(1, 3, MoveDirection::kUp), 0);
  EXPECT_EQ(MoveTarget(1, 3, MoveDirection::kDown), 2);
  EXPECT_EQ(MoveTarget(0, 3, MoveDirection::kUp), std::nullopt);
  EXPECT_EQ(MoveTarget(2, 3, MoveDirection::kDown), std::nullopt);
  EXPECT_EQ(MoveTarget(0, 1, MoveDirection::kUp), std::nullopt);
  EXPECT_EQ(MoveTarget(0, 1, MoveDirection::kDown), std::nullopt);
  EXPECT_EQ(MoveTarget(-1, 3, MoveDirection::kDown), std::nullopt);
  EXPECT_EQ(MoveTarget(3, 3, MoveDirection::kUp), std::nullopt);
}

TEST(PhotoPickerFilter, OffersOurOwnFormatsAndEachPlainInstalledExtensionOnce) {
  const std::wstring own = L"*.jpg;*.jpeg;*.jpe;*.jfif;*.emf;*.wmf";
  const struct {
    std::vector<std::wstring> lists;
    std::wstring patterns;
  } cases[] = {{{}, own},
               {{L".bmp,.dib,.rle", L".PNG", L".jpg,.JPEG,.jfif,.exif"}, own + L";*.bmp;*.dib;*.rle;*.png;*.exif"},
               {{L".heic, .heif,,.avif"}, own + L";*.heic;*.heif;*.avif"},
               {{L"bmp,.*,.a;b,.x y,.,.a.b", L".webp"}, own + L";*.webp"}};
  for (const auto& c : cases) {
    using namespace std::string_literals;
    EXPECT_EQ(PhotoPickerFilter(c.lists), L"Image Files\0"s + c.patterns + L"\0All Files\0*.*\0\0"s);
  }
}

TEST(CodecAdvice, NamesTheMissingExtensionOfTheFormatThatMissesMost) {
  const std::vector<std::wstring> wineDecoders = {L".bmp,.dib", L".png", L".tiff,.tif"};
  const struct {
    std::vector<std::pair<std::wstring, int>> failed;
    std::vector<std::wstring> decoders;
    std::wstring text;  // empty: nothing to say
  } cases[] = {
      {{}, wineDecoders, L""},
      {{{L".heic", 312}, {L".HEIF", 2}, {L".txt", 900}},
       wineDecoders,
       L"314 HEIC photos need the HEIF Image Extensions"},
      {{{L".webp", 1}}, wineDecoders, L"1 WebP photo needs the Webp Image Extensions"},
      {{{L".heic", 3}, {L".nef", 2}, {L".CR2", 2}}, wineDecoders, L"4 camera RAW photos need the Raw Image Extension"},
      // Installed: the files are damaged, not unreadable.
      {{{L".heic", 312}, {L".avif", 5}}, {L".HEIC, .heif"}, L"5 AVIF photos need the AV1 Video Extension"},
      {{{L".png", 40}, {L".jxl", 0}, {L"", 7}}, wineDecoders, L""},
  };
  for (const auto& c : cases) {
    const std::optional<CodecAdvice> advice = AdviseMissingCodec(c.failed, c.decoders);
    EXPECT_EQ(advice ? advice->text : L"", c.text);
    if (advice) {
      EXPECT_EQ(std::wstring(advice->link).rfind(L"https://apps.microsoft.com/detail/", 0), 0u);
    }
  }
}

TEST(CodecAdvice, ListedFilesAreCountedByTheirExtensionInLowerCase) {
  MediaList files;
  for (const wchar_t* path :
       {L"C:\\a\\x.HEIC", L"C:\\a\\y.heic", L"D:\\b.c\\no extension", L"\\\\s\\p\\z.tar.Gz", L"C:\\dot.\\w.png"}) {
    files.Append(path);
  }
  const std::vector<std::pair<std::wstring, int>> counts = CountByExtension(files);
  EXPECT_EQ(counts, (std::vector<std::pair<std::wstring, int>>{{L".gz", 1}, {L".heic", 2}, {L".png", 1}}));
}
