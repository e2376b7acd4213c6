// List editing on the dialog's real list boxes: the Up, Down, Delete and
// Delete All buttons, the horizontal extent, and drops of real files,
// folders and shell shortcuts.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlguid.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/configure_dialog.h"
#include "config/list_editing.h"
#include "config/pickers.h"
#include "config_test_support.h"
#include "ownership/com_ref.h"

using namespace config_test;

namespace {

using Items = std::vector<std::wstring>;

Items ListItems(HWND list) {
  Items items;
  for (int i = 0; auto text = ListItemText(list, i); ++i) items.push_back(*text);
  return items;
}

void Fill(HWND list, const Items& items) {
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const auto& item : items) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

LRESULT Selection(HWND list) { return SendMessageW(list, LB_GETCURSEL, 0, 0); }
void Select(HWND list, int index) { SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

// The extent a list needs for its longest item, measured here in its font.
LONG ExpectedExtent(HWND list, const Items& items) {
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const auto& item : items) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &size);
    widest = std::max(widest, size.cx);
  }
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  return widest + 2 * metrics.tmAveCharWidth;
}

LRESULT Extent(HWND list) { return SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0); }

// A drop as the shell delivers it: DROPFILES followed by wide paths.
HDROP MakeDrop(const Items& paths) {
  size_t chars = 1;
  for (const auto& path : paths) chars += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* at = reinterpret_cast<wchar_t*>(drop + 1);
  for (const auto& path : paths) at = std::copy(path.begin(), path.end(), at) + 1;
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

bool MakeShortcut(const std::wstring& shortcut, const std::wstring& target) {
  ComRef<IShellLinkW> link;
  ComRef<IPersistFile> file;
  return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(link.put()))) &&
         SUCCEEDED(link->SetPath(target.c_str())) &&
         SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) &&
         SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
}

BOOL CALLBACK CountDropTips(HWND window, LPARAM count) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (_wcsicmp(name, L"tooltips_class32") != 0) return TRUE;
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  wchar_t text[128] = {};
  tool.lpszText = text;
  if (SendMessageW(window, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)) && std::wstring(text) == kDropTipText)
    ++*reinterpret_cast<int*>(count);
  return TRUE;
}

class ListEditing : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ASSERT_TRUE(OpenDialog());
    photos_ = Item(IDC_PHOTO_LIST);
    music_ = Item(IDC_MUSIC_LIST);
  }

  // Drops the paths with the pointer over the centre of `target`.
  void DropOn(HWND target, const Items& paths) {
    RECT rect;
    GetWindowRect(target, &rect);
    const POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ASSERT_TRUE(SetCursorPos(centre.x, centre.y));
    POINT at = {};
    GetCursorPos(&at);
    ASSERT_TRUE(at.x == centre.x && at.y == centre.y) << "the pointer did not move";
    SendMessageW(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
  }

  // Files for drops: a folder, a photo, a music file and a shortcut to it.
  void MakeFiles() {
    folderPath_ = folder_ + L"\\Holiday Photos";
    photoPath_ = folder_ + L"\\photo.jpg";
    songPath_ = folder_ + L"\\Songs\\song.mp3";
    shortcutPath_ = folder_ + L"\\song.lnk";
    ASSERT_TRUE(CreateDirectoryW(folderPath_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\Songs").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(photoPath_, "not really a jpeg"));
    ASSERT_TRUE(WriteBytes(songPath_, "not really music"));
    ASSERT_TRUE(MakeShortcut(shortcutPath_, songPath_));
  }

  HWND photos_ = nullptr;
  HWND music_ = nullptr;
  std::wstring folderPath_, photoPath_, songPath_, shortcutPath_;
};

}  // namespace

TEST_F(ListEditing, UpAndDownMoveTheSelectedItemWithItsData) {
  Fill(photos_, {L"a", L"b", L"c"});
  Select(photos_, 1);
  SendMessageW(photos_, LB_SETITEMDATA, 1, 77);

  Click(IDC_PHOTO_UP);
  EXPECT_EQ(ListItems(photos_), (Items{L"b", L"a", L"c"}));
  EXPECT_EQ(Selection(photos_), 0);
  EXPECT_EQ(SendMessageW(photos_, LB_GETITEMDATA, 0, 0), 77);
  Click(IDC_PHOTO_UP);  // already first
  EXPECT_EQ(ListItems(photos_), (Items{L"b", L"a", L"c"}));
  EXPECT_EQ(Selection(photos_), 0);

  Click(IDC_PHOTO_DOWN);
  Click(IDC_PHOTO_DOWN);
  EXPECT_EQ(ListItems(photos_), (Items{L"a", L"c", L"b"}));
  EXPECT_EQ(Selection(photos_), 2);
  EXPECT_EQ(SendMessageW(photos_, LB_GETITEMDATA, 2, 0), 77);
  Click(IDC_PHOTO_DOWN);  // already last
  EXPECT_EQ(ListItems(photos_), (Items{L"a", L"c", L"b"}));

  Select(photos_, -1);
  Click(IDC_PHOTO_UP);
  Click(IDC_PHOTO_DOWN);
  EXPECT_EQ(ListItems(photos_), (Items{L"a", L"c", L"b"}));

  Fill(music_, {L"only"});
  Select(music_, 0);
  Click(IDC_MUSIC_UP);
  Click(IDC_MUSIC_DOWN);
  EXPECT_EQ(ListItems(music_), (Items{L"only"}));
  EXPECT_EQ(Selection(music_), 0);
  EXPECT_EQ(ListItems(photos_), (Items{L"a", L"c", L"b"})) << "music buttons touch the music list only";
}

TEST_F(ListEditing, DeleteRemovesTheSelectionAndDeleteAllEmptiesTheList) {
  const std::wstring longest = L"C:\\a rather long folder name\\with a longer file name inside it.jpg";
  Fill(music_, {L"C:\\one.mp3", longest, L"C:\\three.mp3"});
  Fill(photos_, {L"C:\\Photos"});
  Select(photos_, 0);

  Select(music_, 1);
  Click(IDC_MUSIC_DELETE);
  EXPECT_EQ(ListItems(music_), (Items{L"C:\\one.mp3", L"C:\\three.mp3"}));
  EXPECT_EQ(Selection(music_), LB_ERR);
  EXPECT_EQ(Extent(music_), ExpectedExtent(music_, {L"C:\\one.mp3", L"C:\\three.mp3"}));
  Click(IDC_MUSIC_DELETE);  // nothing selected
  EXPECT_EQ(ListItems(music_).size(), 2u);

  Click(IDC_MUSIC_DELETE_ALL);
  EXPECT_TRUE(ListItems(music_).empty());
  EXPECT_EQ(Extent(music_), ExpectedExtent(music_, {}));
  EXPECT_GT(Extent(music_), 0);
  EXPECT_EQ(ListItems(photos_), (Items{L"C:\\Photos"}));

  Click(IDC_PHOTO_DELETE);
  EXPECT_TRUE(ListItems(photos_).empty());
}

TEST_F(ListEditing, ExtentFollowsTheLongestItem) {
  const Items items = {L"C:\\short", L"C:\\" + std::wstring(200, L'W') + L".jpg", L"D:\\mid length\\x.png"};
  for (const auto& item : items) ASSERT_TRUE(AddListPath(photos_, item));
  FitListExtent(photos_);
  EXPECT_EQ(Extent(photos_), ExpectedExtent(photos_, items));
  EXPECT_GT(Extent(photos_), ExpectedExtent(photos_, {items[0], items[2]}));

  // Shown settings are measured too.
  photoEntries.Clear();
  photoEntries.Append(items[1]);
  ShowSettingsInDialog(dialog_);
  EXPECT_EQ(Extent(photos_), ExpectedExtent(photos_, {items[1]}));
}

TEST_F(ListEditing, DropOnMusicListAddsFolderPhotoAndShortcutTarget) {
  ScopedComInit com;
  MakeFiles();
  Fill(photos_, {L"C:\\Earlier"});

  DropOn(music_, {folderPath_, photoPath_, shortcutPath_});
  EXPECT_EQ(ListItems(music_), (Items{folderPath_, photoPath_, songPath_}));
  EXPECT_EQ(ListItems(photos_), (Items{L"C:\\Earlier"}));
  EXPECT_EQ(Extent(music_), ExpectedExtent(music_, ListItems(music_)));

  // The same file twice is two items; the photo list takes drops as well.
  DropOn(photos_, {photoPath_, photoPath_});
  EXPECT_EQ(ListItems(photos_), (Items{L"C:\\Earlier", photoPath_, photoPath_}));
}

TEST_F(ListEditing, DropElsewhereOrOfOverlongPathsAddsNothing) {
  ScopedComInit com;
  MakeFiles();
  DropOn(Item(IDOK), {photoPath_, folderPath_});
  DropOn(Item(IDC_FADE), {photoPath_});
  EXPECT_TRUE(ListItems(photos_).empty());
  EXPECT_TRUE(ListItems(music_).empty());

  // A list item is read back through 260 characters: a longer path would
  // come back as another path. So would one cut short at 520.
  const std::wstring path260 = L"C:\\" + std::wstring(253, L'x') + L".jpg";
  const std::wstring path600 = L"C:\\" + std::wstring(593, L'y') + L".jpg";
  ASSERT_EQ(path260.size(), 260u);
  DropOn(photos_, {path260, photoPath_, path600});
  EXPECT_EQ(ListItems(photos_), (Items{photoPath_}));
}

TEST_F(ListEditing, ShortcutsResolveAndOtherPathsStayAsTheyAre) {
  ScopedComInit com;
  MakeFiles();
  const std::wstring empty = folder_ + L"\\empty.lnk";
  ASSERT_TRUE(WriteBytes(empty, ""));

  EXPECT_TRUE(IsFolderOrEmpty(folderPath_.c_str()));
  EXPECT_TRUE(IsFolderOrEmpty(empty.c_str()));
  EXPECT_FALSE(IsFolderOrEmpty(photoPath_.c_str()));
  EXPECT_FALSE(IsFolderOrEmpty((folder_ + L"\\missing.jpg").c_str()));

  auto resolve = [](const std::wstring& path, bool expected) {
    wchar_t buffer[kDroppedPathChars] = {};
    path.copy(buffer, kDroppedPathChars - 1);
    EXPECT_EQ(ResolveShortcutInPlace(buffer), expected) << std::string(path.begin(), path.end());
    return std::wstring(buffer);
  };
  EXPECT_EQ(resolve(shortcutPath_, true), songPath_);
  for (const auto& path : {photoPath_, folderPath_, empty, folder_ + L"\\missing.lnk"})
    EXPECT_EQ(resolve(path, false), path);
  EXPECT_FALSE(ResolveShortcutInPlace(nullptr));
}

TEST_F(ListEditing, EachListHasADropTip) {
  // The dialog added one tool to each list; a new tip for a list box works too.
  int tips = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountDropTips, reinterpret_cast<LPARAM>(&tips));
  EXPECT_EQ(tips, 2);
  EXPECT_NE(AddDropTip(photos_), 0);
}

TEST(PickerBuffer, GrowsForTheSelectionAndKeepsTheOldBufferWhenMemoryRunsOut) {
  FilePickRequest request = {};
  request.names = AllocateNames(kInitialNameChars);
  ASSERT_TRUE(request.names);
  request.ofn.lpstrFile = request.names.get();
  request.ofn.nMaxFile = kInitialNameChars;
  wcscpy(request.names.get(), L"kept");
  const wchar_t* original = request.names.get();

  GrowNameBuffer(request, 900, 124);  // fits already
  EXPECT_EQ(request.ofn.lpstrFile, original);
  EXPECT_EQ(request.ofn.nMaxFile, kInitialNameChars);

  GrowNameBuffer(request, 5000, 30, [](size_t) { return std::unique_ptr<wchar_t[]>(); });
  EXPECT_EQ(request.names.get(), original);
  EXPECT_EQ(request.ofn.lpstrFile, original);
  EXPECT_EQ(request.ofn.nMaxFile, kInitialNameChars);
  EXPECT_STREQ(request.names.get(), L"kept");

  GrowNameBuffer(request, 5000, 30);
  EXPECT_EQ(request.ofn.nMaxFile, 5030u);
  EXPECT_EQ(request.ofn.lpstrFile, request.names.get());
  EXPECT_STREQ(request.ofn.lpstrFile, L"");
  request.ofn.lpstrFile[5029] = L'z';  // the whole size is there to be written
}
