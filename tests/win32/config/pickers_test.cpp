// "Add File" on the real dialog with the real open-file dialog, driven from a
// second thread the way a user would: go to a folder, select every photo,
// press Open. The selection is longer than the picker's first name buffer,
// so it only arrives whole if the buffer grew while the picker was open.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "config/list_editing.h"
#include "config/pickers.h"
#include "config_test_support.h"

using namespace config_test;

namespace {

using Names = std::vector<std::wstring>;

constexpr int kFileNameCombo = 0x47C;  // cmb13: the file name field of the open dialog
constexpr int kFilterCombo = 0x470;    // cmb1: the file type filter

template <typename Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 10000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(50);
  }
  return true;
}

BOOL CALLBACK FindOpenDialog(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && wcscmp(name, L"#32770") == 0 && IsWindowVisible(window) &&
      GetDlgItem(window, kFilterCombo)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindListView(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (wcscmp(name, WC_LISTVIEWW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// What the user does in the open dialog, on a thread of its own because the
// dialog is modal on the test's thread.
struct PickerUser {
  std::wstring folder;
  size_t fileCount = 0;
  Names filters;
  std::atomic<bool> pressedOpen{false};
  std::string problem;

  void Run() {
    HWND picker = nullptr;
    if (!WaitFor([&] {
          EnumWindows(FindOpenDialog, reinterpret_cast<LPARAM>(&picker));
          return picker != nullptr;
        })) {
      problem = "no open dialog appeared";
      return;
    }
    HWND filter = GetDlgItem(picker, kFilterCombo);
    for (LRESULT i = 0, n = SendMessageW(filter, CB_GETCOUNT, 0, 0); i < n; ++i) {
      wchar_t text[128] = {};
      SendMessageW(filter, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      filters.emplace_back(text);
    }
    // Typing a folder and pressing Open goes there.
    SendMessageW(picker, CDM_SETCONTROLTEXT, kFileNameCombo, reinterpret_cast<LPARAM>(folder.c_str()));
    SendMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND list = nullptr;
    if (!WaitFor([&] {
          list = nullptr;
          EnumChildWindows(picker, FindListView, reinterpret_cast<LPARAM>(&list));
          return list && static_cast<size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) == fileCount;
        })) {
      problem = "the folder's files did not show";
      PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return;
    }
    LVITEMW select = {};
    select.stateMask = LVIS_SELECTED;
    select.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&select));
    Sleep(200);
    pressedOpen = true;
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
};

class Pickers : public DialogTest {};

}  // namespace

TEST_F(Pickers, AddFileTakesAMultiSelectionLongerThanTheFirstBuffer) {
  const std::wstring photos = folder_ + L"\\Photos";
  ASSERT_TRUE(CreateDirectoryW(photos.c_str(), nullptr));
  Names expected;
  size_t selectionChars = 0;
  for (int i = 0; i < 6; ++i) {
    const std::wstring name = L"photo " + std::to_wstring(i) + L" " + std::wstring(170, L'a' + i) + L".jpg";
    ASSERT_TRUE(WriteBytes(photos + L"\\" + name, "jpeg"));
    expected.push_back(photos + L"\\" + name);
    selectionChars += name.size() + 3;  // quoted, then a blank
  }
  // Beside JPEGs, what the installed codecs read (Wine's read DDS), never a text file.
  for (const wchar_t* name : {L"scan.png", L"texture.dds", L"notes.txt"}) {
    ASSERT_TRUE(WriteBytes(photos + L"\\" + name, "x"));
    if (wcscmp(name, L"notes.txt") != 0) expected.push_back(photos + L"\\" + name);
  }
  ASSERT_GT(selectionChars, kInitialNameChars);
  ASSERT_LE(expected.back().size(), 259u);

  ASSERT_TRUE(OpenDialog());
  PickerUser user;
  user.folder = photos;
  user.fileCount = expected.size();
  std::thread driver([&] { user.Run(); });
  Click(IDC_PHOTO_ADD_FILE);  // returns when the picker closes
  driver.join();
  ASSERT_EQ(user.problem, "");
  ASSERT_TRUE(user.pressedOpen);

  EXPECT_EQ(user.filters, (Names{L"Image Files", L"All Files"}));
  Names added;
  for (int i = 0; auto text = ListItemText(Item(IDC_PHOTO_LIST), i); ++i) added.push_back(*text);
  std::sort(added.begin(), added.end());
  EXPECT_EQ(added, expected);
  EXPECT_GT(SendMessageW(Item(IDC_PHOTO_LIST), LB_GETHORIZONTALEXTENT, 0, 0), 0);
}
