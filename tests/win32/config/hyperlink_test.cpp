// A static text made a link: its properties, the hover font and capture, the
// hand cursor, opening on click and Space, the focus rectangle, and the clean
// undoing of it all when the control is destroyed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/hyperlink.h"
#include "config_test_support.h"

namespace {

constexpr wchar_t kUrl[] = L"https://www.brindora.example/test";
const wchar_t* const kProperties[] = {kLinkOldProc, kLinkOldFont, kLinkHighlightFont, kLinkUrl};

std::vector<std::wstring> opened;
void RecordOpen(const wchar_t* url) { opened.emplace_back(url); }

// What the control still held when its last message arrived.
struct AtLastMessage {
  HWND control = nullptr;
  int properties = -1;
  HFONT font = nullptr;
} atLastMessage;

LRESULT CALLBACK WatchDestruction(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_NCDESTROY && call->hwnd == atLastMessage.control) {
    atLastMessage.properties = 0;
    for (const wchar_t* name : kProperties) atLastMessage.properties += GetPropW(call->hwnd, name) != nullptr;
    atLastMessage.font = reinterpret_cast<HFONT>(SendMessageW(call->hwnd, WM_GETFONT, 0, 0));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Underlined(HFONT font) {
  LOGFONTW description = {};
  return GetObjectW(font, sizeof(description), &description) && description.lfUnderline;
}

class Hyperlink : public testing::Test {
 protected:
  void SetUp() override {
    opened.clear();
    SetLinkOpenerForTesting(RecordOpen);
    parent_ = CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 100, 100, 300, 120, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_NE(parent_, nullptr);
    link_ = CreateWindowExW(0, L"Static", L"Website", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 40, 40, 80, 20, parent_,
                            nullptr, nullptr, nullptr);
    ASSERT_NE(link_, nullptr);
    LOGFONTW description = {};
    description.lfHeight = -13;
    wcscpy(description.lfFaceName, L"Tahoma");
    font_ = CreateFontIndirectW(&description);
    SendMessageW(link_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    originalProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(link_, GWLP_WNDPROC));
    MakeHyperlink(link_, kUrl);
    Pump();
  }

  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
    DeleteObject(font_);
    SetLinkOpenerForTesting(nullptr);
    Pump();
  }

  HFONT ShownFont() const { return reinterpret_cast<HFONT>(SendMessageW(link_, WM_GETFONT, 0, 0)); }
  void MouseAt(int x, int y) { SendMessageW(link_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

  HWND parent_ = nullptr;
  HWND link_ = nullptr;
  HFONT font_ = nullptr;
  WNDPROC originalProc_ = nullptr;
};

}  // namespace

TEST_F(Hyperlink, MakingALinkStoresItsStateOnTheControl) {
  EXPECT_TRUE(GetWindowLongPtrW(link_, GWL_STYLE) & SS_NOTIFY) << "mouse input reaches the control";
  EXPECT_EQ(GetWindowLongPtrW(link_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(HyperlinkProc));
  EXPECT_EQ(GetPropW(link_, kLinkOldProc), reinterpret_cast<HANDLE>(originalProc_));
  EXPECT_EQ(GetPropW(link_, kLinkOldFont), font_);
  EXPECT_EQ(GetPropW(link_, kLinkUrl), kUrl);
  auto highlight = static_cast<HFONT>(GetPropW(link_, kLinkHighlightFont));
  ASSERT_NE(highlight, nullptr);
  EXPECT_TRUE(Underlined(highlight));
  EXPECT_FALSE(Underlined(font_));
  LOGFONTW plain = {}, hover = {};
  GetObjectW(font_, sizeof(plain), &plain);
  GetObjectW(highlight, sizeof(hover), &hover);
  EXPECT_EQ(hover.lfHeight, plain.lfHeight);
  EXPECT_STREQ(hover.lfFaceName, plain.lfFaceName);
  // Still a static: its text is drawn by the old procedure.
  wchar_t text[32] = {};
  GetWindowTextW(link_, text, 32);
  EXPECT_STREQ(text, L"Website");
}

TEST_F(Hyperlink, HoverUnderlinesUntilThePointerLeaves) {
  EXPECT_EQ(ShownFont(), font_);
  MouseAt(5, 5);
  EXPECT_EQ(GetCapture(), link_);
  EXPECT_EQ(ShownFont(), GetPropW(link_, kLinkHighlightFont));
  MouseAt(10, 6);  // still inside: nothing changes
  EXPECT_EQ(GetCapture(), link_);
  EXPECT_EQ(ShownFont(), GetPropW(link_, kLinkHighlightFont));

  MouseAt(200, 5);  // outside the 80 x 20 client area
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(ShownFont(), font_);

  // Another window taking the capture also ends the hover.
  MouseAt(5, 5);
  ASSERT_EQ(GetCapture(), link_);
  SetCapture(parent_);
  EXPECT_EQ(ShownFont(), font_);
  ReleaseCapture();
}

TEST_F(Hyperlink, HandCursorAndOpeningOnReleaseOrSpace) {
  SetCursor(nullptr);
  EXPECT_EQ(SendMessageW(link_, WM_SETCURSOR, reinterpret_cast<WPARAM>(link_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

  SendMessageW(link_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(opened.empty()) << "a press alone opens nothing";
  SendMessageW(link_, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(opened, std::vector<std::wstring>{kUrl});

  SendMessageW(link_, WM_KEYUP, VK_SPACE, 0xC0000001);
  EXPECT_EQ(opened.size(), 2u);
  SendMessageW(link_, WM_KEYUP, VK_RETURN, 0xC0000001);
  SendMessageW(link_, WM_KEYUP, 'A', 0xC0000001);
  SendMessageW(link_, WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(opened.size(), 2u);
}

TEST_F(Hyperlink, FocusDrawsAndRemovesADottedRectangleAroundIt) {
  // The rectangle lies one pixel outside the 40,40 - 120,60 control.
  auto border = [&] {
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(parent_);
    for (int x = 39; x <= 120; ++x) pixels.push_back(GetPixel(dc, x, 39));
    for (int y = 39; y <= 60; ++y) pixels.push_back(GetPixel(dc, 39, y));
    ReleaseDC(parent_, dc);
    return pixels;
  };
  RedrawWindow(parent_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const auto before = border();
  SetFocus(link_);
  Pump();
  const auto focused = border();
  int changed = 0;
  for (size_t i = 0; i < before.size(); ++i) changed += before[i] != focused[i];
  EXPECT_GT(changed, static_cast<int>(before.size()) / 3) << "no dotted rectangle";
  SetFocus(parent_);
  Pump();
  EXPECT_EQ(border(), before);
}

TEST_F(Hyperlink, DestroyingTheControlUndoesTheLink) {
  const auto highlight = static_cast<HFONT>(GetPropW(link_, kLinkHighlightFont));
  MouseAt(5, 5);  // destroyed while showing the hover font
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchDestruction, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  atLastMessage = {link_};
  DestroyWindow(link_);
  UnhookWindowsHookEx(hook);
  link_ = nullptr;

  EXPECT_EQ(atLastMessage.properties, 0);
  EXPECT_EQ(atLastMessage.font, font_);
  EXPECT_EQ(GetObjectType(highlight), 0u) << "the underlined font was not deleted";
  EXPECT_NE(GetObjectType(font_), 0u) << "the control's own font belongs to its owner";
}
