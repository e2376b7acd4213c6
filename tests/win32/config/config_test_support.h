#pragma once
// Shared by the dialog's Wine tests: a program folder of the test's own (so
// the settings file is the test's), file bytes, and the real dialog made
// modeless from template 2003.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "config/configure_dialog.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"
#include "tests/win32/test_folders.h"
#include "tests/win32/test_support.h"

namespace config_test {

inline std::string ReadBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

inline bool WriteBytes(const std::wstring& path, std::string_view bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

// A fresh program folder per test, and the dialog on demand.
class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = UniqueTempFolder(L"brindora-config-");
    ASSERT_FALSE(folder_.empty());
    RemoveTree(folder_);
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << GetLastError();
    SetSettingsProgramPathForTesting((folder_ + L"\\BrindoraPro.scr").c_str());
  }

  void TearDown() override {
    if (dialog_ && IsWindow(dialog_)) DestroyWindow(dialog_);
    Pump();
    SetSettingsProgramPathForTesting(nullptr);
    RemoveTree(folder_);
  }

  std::wstring Ini() const { return folder_ + L"\\Brindora-Pro.ini"; }

  // The real template and procedure; the initialisation loads the settings.
  HWND OpenDialog() {
    dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONFIGURE), nullptr,
                                 ScreenSaverConfigureDialog, 0);
    EXPECT_NE(dialog_, nullptr) << GetLastError();
    if (dialog_) {
      ShowWindow(dialog_, SW_SHOW);
      UpdateWindow(dialog_);
      Pump();
    }
    return dialog_;
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  void Click(int id) {
    SendMessageW(Item(id), BM_CLICK, 0, 0);
    Pump();
  }
  bool Checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
  void SetBox(int id, bool checked) {
    if (Checked(id) != checked) Click(id);
    ASSERT_EQ(Checked(id), checked) << "box " << id;
  }
  std::wstring Text(int id) const {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog_, id, text, 512);
    return text;
  }

  std::wstring folder_;
  HWND dialog_ = nullptr;
};

}  // namespace config_test
