// The configuration dialog from the real template 2003, driven with real
// messages: its layout and tab order, what it shows, what OK writes (byte
// for byte), and what Cancel and Escape leave alone.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/configure_dialog.h"
#include "config/list_editing.h"
#include "config_test_support.h"

using namespace config_test;

namespace {

std::vector<int32_t> Codes(const int32_t* codes, int32_t count) { return {codes, codes + count}; }

std::vector<std::wstring> Items(HWND list) {
  std::vector<std::wstring> items;
  for (int i = 0; auto text = ListItemText(list, i); ++i) items.push_back(*text);
  return items;
}

// What a file written by this program holds for these settings, spelled out
// here rather than taken from the code under test.
const std::wstring kDefaultsAfterOk =
    L"[Photo List]\r\nIncludeSubDir=1\r\nRandom=1\r\n"
    L"[Music List]\r\nIncludeSubDir=1\r\nRandom=1\r\n"
    L"[Time]\r\nSlideTime=5000\r\n"
    L"[ColorEffect]\r\n0=0\r\n1=1\r\n2=2\r\n3=3\r\nLessColorEffect=0\r\n"
    L"[Transition]\r\n0=0\r\n1=1\r\n2=2\r\n3=3\r\n"
    L"[Fade]\r\n0=1\r\n1=2\r\n"
    L"[Control]\r\nExitByEscOnly=0\r\n";

const std::wstring kPath259 = L"C:\\" + std::wstring(252, L'p') + L".jpg";

// Settings of the kind the dialog itself writes, unlike the defaults in
// every field that can differ: transitions 1, 2, 3 follow from effects
// without "Original" and the transition box; no fade is the single code 0.
std::wstring CustomIni() {
  return L"[Photo List]\r\n0=C:\\Fotos\\été\r\n1=D:\\写真\r\n2=" + kPath259 +
         L"\r\nIncludeSubDir=0\r\nRandom=1\r\n"
         L"[Music List]\r\n0=E:\\Musik\\Größe.mp3\r\n1=E:\\Musik\r\nIncludeSubDir=1\r\nRandom=0\r\n"
         L"[Time]\r\nSlideTime=12000\r\n"
         L"[ColorEffect]\r\n0=1\r\n1=3\r\nLessColorEffect=1\r\n"
         L"[Transition]\r\n0=1\r\n1=2\r\n2=3\r\n"
         L"[Fade]\r\n0=0\r\n"
         L"[Control]\r\nExitByEscOnly=1\r\n";
}

class ConfigDialog : public DialogTest {};

}  // namespace

TEST_F(ConfigDialog, TemplateHasTheControlsWhereTheyBelong) {
  ASSERT_TRUE(OpenDialog());
  wchar_t title[64] = {};
  GetWindowTextW(dialog_, title, 64);
  EXPECT_STREQ(title, L"Brindora Pro");
  const LONG_PTR style = GetWindowLongPtrW(dialog_, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & DS_MODALFRAME);
  EXPECT_FALSE(style & WS_SYSMENU);
  LOGFONTW font = {};
  ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)), sizeof(font), &font));
  EXPECT_STREQ(font.lfFaceName, L"Microsoft Sans Serif");

  struct Expected {
    int id;
    const wchar_t* className;
    const wchar_t* caption;
    RECT units;  // left, top, width, height in dialog units
  } controls[] = {
      {IDC_PHOTO_LIST, L"ListBox", L"", {22, 26, 105, 93}},
      {IDC_PHOTO_ADD_FOLDER, L"Button", L"Add Folder", {134, 25, 48, 14}},
      {IDC_PHOTO_ADD_FILE, L"Button", L"Add File", {134, 41, 48, 14}},
      {IDC_PHOTO_UP, L"Button", L"Up", {134, 57, 48, 14}},
      {IDC_PHOTO_DOWN, L"Button", L"Down", {134, 73, 48, 14}},
      {IDC_PHOTO_DELETE, L"Button", L"Delete", {134, 89, 48, 14}},
      {IDC_PHOTO_DELETE_ALL, L"Button", L"Delete All", {134, 105, 48, 14}},
      {IDC_PHOTO_SUBFOLDERS, L"Button", L"Include Sub Folders", {22, 124, 79, 10}},
      {IDC_PHOTO_RANDOM, L"Button", L"Random", {22, 138, 43, 10}},
      {IDC_MUSIC_LIST, L"ListBox", L"", {216, 26, 105, 93}},
      {IDC_MUSIC_ADD_FOLDER, L"Button", L"Add Folder", {328, 25, 48, 14}},
      {IDC_MUSIC_ADD_FILE, L"Button", L"Add File", {328, 41, 48, 14}},
      {IDC_MUSIC_UP, L"Button", L"Up", {328, 57, 48, 14}},
      {IDC_MUSIC_DOWN, L"Button", L"Down", {328, 73, 48, 14}},
      {IDC_MUSIC_DELETE, L"Button", L"Delete", {328, 89, 48, 14}},
      {IDC_MUSIC_DELETE_ALL, L"Button", L"Delete All", {328, 105, 48, 14}},
      {IDC_MUSIC_SUBFOLDERS, L"Button", L"Include Sub Folders", {216, 124, 79, 10}},
      {IDC_MUSIC_RANDOM, L"Button", L"Random", {216, 138, 43, 10}},
      {IDC_EFFECT_ORIGINAL, L"Button", L"Original", {218, 178, 39, 10}},
      {IDC_EFFECT_BLACK_WHITE, L"Button", L"Black && White", {218, 190, 61, 10}},
      {IDC_EFFECT_SEPIA, L"Button", L"Sepia", {218, 202, 34, 10}},
      {IDC_EFFECT_BLUE, L"Button", L"Blue", {218, 214, 31, 10}},
      {IDC_LESS_EFFECT, L"Button", L"Less Color Effect", {218, 235, 69, 10}},
      {IDC_EFFECT_TRANSITION, L"Button", L"Color Effect Transition", {296, 170, 85, 10}},
      {IDC_FADE, L"Button", L"Fade In && Fade Out", {296, 190, 83, 10}},
      {IDC_EXIT_BY_ESC_ONLY, L"Button", L"Exit by \"Esc\" key only", {218, 261, 85, 10}},
      {IDC_SECONDS, L"Edit", nullptr, {293, 276, 29, 14}},
      {IDC_WEBSITE_LINK, L"Static", L"Website", {23, 270, 27, 8}},
      {IDC_FEEDBACK_LINK, L"Static", L"Feedback", {23, 282, 33, 8}},
      {IDC_PRODUCT_NAME, L"Static", L"Brindora Pro 1.1", {53, 295, 79, 8}},
      {IDC_ABOUT_LINE, L"Static", nullptr, {53, 307, 79, 8}},
      {IDOK, L"Button", L"OK", {276, 351, 50, 14}},
      {IDCANCEL, L"Button", L"Cancel", {336, 351, 50, 14}},
  };
  for (const auto& c : controls) {
    SCOPED_TRACE(c.id);
    HWND control = Item(c.id);
    ASSERT_NE(control, nullptr);
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    EXPECT_EQ(_wcsicmp(className, c.className), 0) << className;
    if (c.caption) {
      EXPECT_EQ(Text(c.id), c.caption);
    }
    // The dialog manager converts position and size separately.
    RECT position = {c.units.left, c.units.top, 0, 0};
    RECT size = {0, 0, c.units.right, c.units.bottom};
    MapDialogRect(dialog_, &position);
    MapDialogRect(dialog_, &size);
    RECT actual;
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, position.left);
    EXPECT_EQ(actual.top, position.top);
    EXPECT_EQ(actual.bottom - actual.top, size.bottom);
    if (c.id == IDC_SECONDS) {
      // The up-down control takes the right end of its buddy's place; it
      // overlaps the buddy's border, which is up to 2 pixels wide.
      HWND upDown = FindWindowExW(dialog_, nullptr, UPDOWN_CLASSW, nullptr);
      ASSERT_NE(upDown, nullptr);
      EXPECT_EQ(SendMessageW(upDown, UDM_GETBUDDY, 0, 0), reinterpret_cast<LRESULT>(control));
      EXPECT_EQ(SendMessageW(upDown, UDM_GETRANGE32, 0, 0), 0);
      int low = -1, high = -1;
      SendMessageW(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
      EXPECT_EQ(low, 1);  // the show runs a slide for a second at least
      EXPECT_EQ(high, 999);
      RECT arrows;
      GetWindowRect(upDown, &arrows);
      MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&arrows), 2);
      EXPECT_NEAR(arrows.right - actual.left, size.right, 2);
      EXPECT_LT(actual.right, arrows.right);
    } else {
      EXPECT_EQ(actual.right - actual.left, size.right);
    }
  }

  // Scroll bars come and go with the items, and the dialog turns a border
  // into a sunken edge: only the list's own styles stay as written.
  const LONG_PTR listStyle = GetWindowLongPtrW(Item(IDC_PHOTO_LIST), GWL_STYLE);
  EXPECT_EQ(listStyle & (LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | LBS_SORT | WS_TABSTOP),
            LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_TABSTOP);
  EXPECT_EQ(GetWindowLongPtrW(Item(IDC_SECONDS), GWL_STYLE) & (ES_NUMBER | ES_RIGHT), ES_NUMBER | ES_RIGHT);
  EXPECT_EQ(GetWindowLongPtrW(Item(IDC_PHOTO_UP), GWL_STYLE) & BS_FLAT, BS_FLAT);
  EXPECT_EQ(GetWindowLongPtrW(Item(IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongPtrW(Item(IDC_WEBSITE_LINK), GWL_STYLE) & SS_NOTIFY, SS_NOTIFY);

  // The program's icon beside its name.
  int icons = 0;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") == 0 && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      ++icons;
      EXPECT_NE(SendMessageW(child, STM_GETICON, 0, 0), 0);
    }
  }
  EXPECT_EQ(icons, 1);
}

TEST_F(ConfigDialog, TabReachesEveryControlInOrder) {
  ASSERT_TRUE(OpenDialog());
  const std::vector<int> expected = {IDC_PHOTO_LIST,
                                     IDC_PHOTO_ADD_FOLDER,
                                     IDC_PHOTO_ADD_FILE,
                                     IDC_PHOTO_UP,
                                     IDC_PHOTO_DOWN,
                                     IDC_PHOTO_DELETE,
                                     IDC_PHOTO_DELETE_ALL,
                                     IDC_PHOTO_SUBFOLDERS,
                                     IDC_PHOTO_RANDOM,
                                     IDC_MUSIC_LIST,
                                     IDC_MUSIC_ADD_FOLDER,
                                     IDC_MUSIC_ADD_FILE,
                                     IDC_MUSIC_UP,
                                     IDC_MUSIC_DOWN,
                                     IDC_MUSIC_DELETE,
                                     IDC_MUSIC_DELETE_ALL,
                                     IDC_MUSIC_SUBFOLDERS,
                                     IDC_MUSIC_RANDOM,
                                     IDC_EFFECT_ORIGINAL,
                                     IDC_EFFECT_BLACK_WHITE,
                                     IDC_EFFECT_SEPIA,
                                     IDC_EFFECT_BLUE,
                                     IDC_LESS_EFFECT,
                                     IDC_EFFECT_TRANSITION,
                                     IDC_FADE,
                                     IDC_EXIT_BY_ESC_ONLY,
                                     IDC_SECONDS,
                                     IDC_WEBSITE_LINK,
                                     IDC_FEEDBACK_LINK,
                                     IDOK,
                                     IDCANCEL};
  // The dialog manager gives the first tab stop the focus.
  HWND focus = GetFocus();
  ASSERT_EQ(focus, Item(IDC_PHOTO_LIST));
  std::vector<int> order;
  HWND at = focus;
  do {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog_, at, FALSE);
  } while (at && at != focus && order.size() < 100);
  EXPECT_EQ(order, expected);
}

TEST_F(ConfigDialog, NoFileShowsTheDefaultsAndOkWritesThem) {
  ASSERT_FALSE(GetFileAttributesW(Ini().c_str()) != INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(OpenDialog());
  EXPECT_EQ(SendMessageW(Item(IDC_PHOTO_LIST), LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(Item(IDC_MUSIC_LIST), LB_GETCOUNT, 0, 0), 0);
  for (int id : {IDC_PHOTO_SUBFOLDERS, IDC_PHOTO_RANDOM, IDC_MUSIC_SUBFOLDERS, IDC_MUSIC_RANDOM, IDC_EFFECT_ORIGINAL,
                 IDC_EFFECT_BLACK_WHITE, IDC_EFFECT_SEPIA, IDC_EFFECT_BLUE, IDC_EFFECT_TRANSITION, IDC_FADE}) {
    EXPECT_TRUE(Checked(id)) << id;
  }
  for (int id : {IDC_LESS_EFFECT, IDC_EXIT_BY_ESC_ONLY}) EXPECT_FALSE(Checked(id)) << id;
  // Wine's Direct3D has pixel shaders: every effect box can be changed.
  ASSERT_EQ(pixelShaderLevel, 2);
  for (int id : {IDC_EFFECT_ORIGINAL, IDC_EFFECT_BLUE, IDC_LESS_EFFECT, IDC_EFFECT_TRANSITION})
    EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
  EXPECT_EQ(Text(IDC_SECONDS), L"5");

  Click(IDOK);
  EXPECT_FALSE(IsWindowVisible(dialog_)) << "OK ends the dialog";
  EXPECT_EQ(ReadBytes(Ini()), Utf16LeWithBom(kDefaultsAfterOk));
}

TEST_F(ConfigDialog, OkRewritesStoredSettingsByteForByte) {
  const std::wstring stored = CustomIni();
  ASSERT_TRUE(WriteBytes(Ini(), Utf16LeWithBom(stored)));

  ASSERT_TRUE(OpenDialog());
  EXPECT_EQ(Items(Item(IDC_PHOTO_LIST)), (std::vector<std::wstring>{L"C:\\Fotos\\été", L"D:\\写真", kPath259}));
  EXPECT_EQ(Items(Item(IDC_MUSIC_LIST)), (std::vector<std::wstring>{L"E:\\Musik\\Größe.mp3", L"E:\\Musik"}));
  EXPECT_FALSE(Checked(IDC_PHOTO_SUBFOLDERS));
  EXPECT_TRUE(Checked(IDC_PHOTO_RANDOM));
  EXPECT_TRUE(Checked(IDC_MUSIC_SUBFOLDERS));
  EXPECT_FALSE(Checked(IDC_MUSIC_RANDOM));
  EXPECT_FALSE(Checked(IDC_EFFECT_ORIGINAL));
  EXPECT_TRUE(Checked(IDC_EFFECT_BLACK_WHITE));
  EXPECT_FALSE(Checked(IDC_EFFECT_SEPIA));
  EXPECT_TRUE(Checked(IDC_EFFECT_BLUE));
  EXPECT_TRUE(Checked(IDC_LESS_EFFECT));
  EXPECT_TRUE(Checked(IDC_EFFECT_TRANSITION));
  EXPECT_FALSE(Checked(IDC_FADE));
  EXPECT_TRUE(Checked(IDC_EXIT_BY_ESC_ONLY));
  EXPECT_EQ(Text(IDC_SECONDS), L"12");

  Click(IDOK);
  EXPECT_EQ(ReadBytes(Ini()), Utf16LeWithBom(stored));
}

TEST_F(ConfigDialog, SecondsKeepWholeSecondsAndFallBackToFive) {
  ASSERT_TRUE(WriteBytes(Ini(), Utf16LeWithBom(L"[Time]\r\nSlideTime=7500\r\n")));
  ASSERT_TRUE(OpenDialog());
  EXPECT_EQ(Text(IDC_SECONDS), L"7");
  Click(IDOK);
  EXPECT_EQ(saverSettings.slideTime, 7000);
  DestroyWindow(dialog_);

  struct Case {
    const wchar_t* typed;
    int32_t stored;
  } cases[] = {{L"", 5000}, {L"1500", 5000}, {L"0", 5000}, {L"1", 1000}, {L"999", 999000}, {L"42", 42000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "typed '" << std::string(c.typed, c.typed + wcslen(c.typed)) << "'");
    ASSERT_TRUE(OpenDialog());
    SetDlgItemTextW(dialog_, IDC_SECONDS, c.typed);
    Click(IDOK);
    EXPECT_EQ(saverSettings.slideTime, c.stored);
    ASSERT_EQ(ReadSettingsFile(), S_OK);
    EXPECT_EQ(saverSettings.slideTime, c.stored);
    DestroyWindow(dialog_);
  }
}

TEST_F(ConfigDialog, EffectBoxesDecideEffectsTransitionsAndFades) {
  struct Case {
    const char* name;
    bool original, blackWhite, sepia, blue, transition, fade;
    std::vector<int32_t> effects, transitions, fades;
  } cases[] = {
      {"only Sepia", false, false, true, false, false, true, {2}, {1}, {1, 2}},
      {"Original and Blue with transition", true, false, false, true, true, false, {0, 3}, {0, 1, 2, 3}, {0}},
      {"no effect", false, false, false, false, false, false, {}, {0}, {0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(OpenDialog());
    SetBox(IDC_EFFECT_ORIGINAL, c.original);
    SetBox(IDC_EFFECT_BLACK_WHITE, c.blackWhite);
    SetBox(IDC_EFFECT_SEPIA, c.sepia);
    SetBox(IDC_EFFECT_BLUE, c.blue);
    SetBox(IDC_EFFECT_TRANSITION, c.transition);
    SetBox(IDC_FADE, c.fade);
    // A check box changes no other box.
    EXPECT_TRUE(Checked(IDC_PHOTO_RANDOM));
    EXPECT_FALSE(Checked(IDC_LESS_EFFECT));
    Click(IDOK);
    const SaverSettings taken = saverSettings;
    EXPECT_EQ(Codes(taken.colorEffects, taken.colorEffectCount), c.effects);
    EXPECT_EQ(Codes(taken.transitions, taken.transitionCount), c.transitions);
    EXPECT_EQ(Codes(taken.fades, taken.fadeCount), c.fades);

    ASSERT_EQ(ReadSettingsFile(), S_OK);
    // No effect at all is stored as no keys, which reads back as "Original".
    const std::vector<int32_t> reread = c.effects.empty() ? std::vector<int32_t>{0} : c.effects;
    EXPECT_EQ(Codes(saverSettings.colorEffects, saverSettings.colorEffectCount), reread);
    EXPECT_EQ(Codes(saverSettings.transitions, saverSettings.transitionCount), c.transitions);
    DestroyWindow(dialog_);
  }
}

TEST_F(ConfigDialog, CancelAndEscapeLeaveTheFileAlone) {
  const std::string stored = Utf16LeWithBom(L"[Photo List]\r\n0=C:\\Photos\r\n[Time]\r\nSlideTime=9000\r\n");
  ASSERT_TRUE(WriteBytes(Ini(), stored));
  ASSERT_TRUE(OpenDialog());
  SetBox(IDC_EFFECT_SEPIA, false);
  Click(IDC_PHOTO_DELETE_ALL);
  SetDlgItemTextW(dialog_, IDC_SECONDS, L"3");
  Click(IDCANCEL);
  EXPECT_FALSE(IsWindowVisible(dialog_));
  EXPECT_EQ(ReadBytes(Ini()), stored);
  DestroyWindow(dialog_);

  // Escape reaches the dialog as Cancel through the dialog manager.
  ASSERT_TRUE(OpenDialog());
  SetBox(IDC_FADE, false);
  MSG escape = {GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001, GetTickCount(), {}};
  EXPECT_TRUE(IsDialogMessageW(dialog_, &escape));
  Pump();
  EXPECT_FALSE(IsWindowVisible(dialog_));
  EXPECT_EQ(ReadBytes(Ini()), stored);
  DestroyWindow(dialog_);

  // And no file is made where there was none.
  ASSERT_TRUE(DeleteFileW(Ini().c_str()));
  ASSERT_TRUE(OpenDialog());
  Click(IDCANCEL);
  EXPECT_EQ(GetFileAttributesW(Ini().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ConfigDialog, WithoutPixelShadersTheEffectBoxesAreLockedToOriginal) {
  ASSERT_TRUE(OpenDialog());
  // What the initialisation does on an adapter without pixel shader 1.1.
  ResetSettings();
  saverSettings.lessColorEffect = true;
  pixelShaderLevel = 0;
  LimitEffectsToShaderLevel();
  ShowSettingsInDialog(dialog_);

  for (int id : {IDC_EFFECT_ORIGINAL, IDC_EFFECT_BLACK_WHITE, IDC_EFFECT_SEPIA, IDC_EFFECT_BLUE, IDC_LESS_EFFECT,
                 IDC_EFFECT_TRANSITION})
    EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_FADE)));
  EXPECT_TRUE(Checked(IDC_EFFECT_ORIGINAL));
  for (int id : {IDC_EFFECT_BLACK_WHITE, IDC_EFFECT_SEPIA, IDC_EFFECT_BLUE, IDC_LESS_EFFECT, IDC_EFFECT_TRANSITION})
    EXPECT_FALSE(Checked(id)) << id;
  EXPECT_TRUE(Checked(IDC_FADE));

  Click(IDOK);
  EXPECT_EQ(Codes(saverSettings.colorEffects, saverSettings.colorEffectCount), (std::vector<int32_t>{0}));
  EXPECT_EQ(Codes(saverSettings.transitions, saverSettings.transitionCount), (std::vector<int32_t>{0}));
  EXPECT_FALSE(saverSettings.lessColorEffect);

  // Shown again with shaders, the same boxes can be used once more.
  pixelShaderLevel = 2;
  ShowSettingsInDialog(dialog_);
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_EFFECT_SEPIA)));
}

TEST_F(ConfigDialog, LinksAreDrawnInBlueAndOtherTextIsNot) {
  ASSERT_TRUE(OpenDialog());
  HDC dc = CreateCompatibleDC(nullptr);
  for (int id : {IDC_WEBSITE_LINK, IDC_FEEDBACK_LINK, IDC_PRODUCT_NAME}) {
    SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT brush =
        SendMessageW(dialog_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Item(id)));
    EXPECT_NE(brush, 0) << id;
    const bool link = id != IDC_PRODUCT_NAME;
    EXPECT_EQ(GetTextColor(dc) == RGB(0, 0, 255), link) << id;
  }
  DeleteDC(dc);
}

TEST_F(ConfigDialog, WithoutAnIndexTheListsNameTheMissingExtension) {
  // No show has made an index in this profile folder.
  wchar_t profile[MAX_PATH] = {};
  GetEnvironmentVariableW(L"LOCALAPPDATA", profile, MAX_PATH);
  ASSERT_TRUE(SetEnvironmentVariableW(L"LOCALAPPDATA", folder_.c_str()));
  const std::wstring photos = folder_ + L"\\photos";
  ASSERT_TRUE(CreateDirectoryW(photos.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((photos + L"\\more").c_str(), nullptr));
  // Sub-folders are not walked: the third HEIC photo is not in the lists.
  for (const wchar_t* name : {L"\\a.HEIC", L"\\b.heic", L"\\c.png", L"\\more\\d.heic"}) {
    ASSERT_TRUE(WriteBytes(photos + name, "not decoded"));
  }
  ASSERT_TRUE(WriteBytes(Ini(), Utf16LeWithBom(L"[Photo List]\r\n0=" + photos + L"\r\nIncludeSubDir=0\r\n")));
  ASSERT_TRUE(OpenDialog());
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(Item(IDC_CODEC_ADVICE)) != FALSE; }, 10000));
  EXPECT_EQ(Text(IDC_CODEC_ADVICE), L"2 HEIC photos need the HEIF Image Extensions");
  SetEnvironmentVariableW(L"LOCALAPPDATA", profile);
}
