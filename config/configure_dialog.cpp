#include "config/configure_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <iterator>
#include <memory>
#include <optional>

#include "config/codec_advice.h"
#include "config/dialog_rules.h"
#include "config/hyperlink.h"
#include "config/link_targets.h"
#include "config/list_editing.h"
#include "config/photo_filter.h"
#include "config/pickers.h"
#include "library/photo_index.h"
#include "media/media_expand.h"
#include "media/wic_codecs.h"
#include "ownership/scoped_handle.h"
#include "ownership/shell_holders.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 255);
// Posted by the advice thread with the AdviceJob it hands over.
constexpr UINT kCodecAdviceMessage = WM_APP + 7;

struct AdviceJob {
  HWND dialog = nullptr;
  MediaList photoEntries;  // a copy: the dialog edits the lists meanwhile
  bool includeSubDirs = false;
  std::optional<CodecAdvice> advice;
};

// The files the index found undecodable; without an index (no show has made
// one yet, or it cannot be read) every file of the lists.
std::vector<std::pair<std::wstring, int>> UnreadableCandidates(const AdviceJob& job) {
  const std::wstring indexPath = DefaultIndexPath();
  // Only an index a show made: the dialog never makes one.
  if (!indexPath.empty() && GetFileAttributesW(indexPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
    if (const std::unique_ptr<PhotoIndex> index = PhotoIndex::Open(indexPath)) return index->FailedByExtension();
  }
  MediaList files;
  for (const std::wstring& entry : job.photoEntries) ExpandEntry(files, entry.c_str(), job.includeSubDirs);
  return CountByExtension(files);
}

// Read off the dialog's thread: another saver may be writing the index, and
// walking the lists takes as long as they are large.
DWORD WINAPI FindCodecAdvice(void* parameter) {
  std::unique_ptr<AdviceJob> job(static_cast<AdviceJob*>(parameter));
  try {
    job->advice = AdviseMissingCodec(UnreadableCandidates(*job), InstalledDecoderExtensions());
  } catch (const std::exception&) {
    return 0;
  }
  if (job->advice && PostMessageW(job->dialog, kCodecAdviceMessage, 0, reinterpret_cast<LPARAM>(job.get()))) {
    job.release();  // the dialog's now
  }
  return 0;
}

void StartCodecAdvice(HWND dialog) {
  auto job = std::make_unique<AdviceJob>();
  job->dialog = dialog;
  job->photoEntries = photoEntries;
  job->includeSubDirs = saverSettings.photoIncludeSubDir;
  const AutoHandle thread(CreateThread(nullptr, 0, FindCodecAdvice, job.get(), 0, nullptr));
  if (thread) job.release();  // the thread's now
}

void ShowCodecAdvice(HWND dialog, std::unique_ptr<AdviceJob> job) {
  const HWND line = GetDlgItem(dialog, IDC_CODEC_ADVICE);
  if (!line || !job->advice) return;
  SetWindowTextW(line, job->advice->text.c_str());
  MakeHyperlink(line, job->advice->link);
  ShowWindow(line, SW_SHOW);
}
constexpr int kEffectBoxes[kMaxColorEffects] = {IDC_EFFECT_ORIGINAL, IDC_EFFECT_BLACK_WHITE, IDC_EFFECT_SEPIA,
                                                IDC_EFFECT_BLUE};

struct DialogControls {
  HWND photoList;
  HWND musicList;
  HWND websiteLink;
  HWND feedbackLink;
  HWND upDown;  // has no id of its own; the dialog keeps it in DWLP_USER
};

DialogControls ControlsOf(HWND dialog) {
  return {GetDlgItem(dialog, IDC_PHOTO_LIST), GetDlgItem(dialog, IDC_MUSIC_LIST), GetDlgItem(dialog, IDC_WEBSITE_LINK),
          GetDlgItem(dialog, IDC_FEEDBACK_LINK), reinterpret_cast<HWND>(GetWindowLongPtrW(dialog, DWLP_USER))};
}

void SetCheck(HWND dialog, int id, bool checked) { CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void ShowEntries(HWND list, const MediaList& entries) {
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  FitListExtent(list);
  for (const auto& path : entries) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
  FitListExtent(list);
}

void TakeEntries(HWND list, MediaList& entries) {
  entries.Clear();
  for (int i = 0; auto text = ListItemText(list, i); ++i) entries.Append(std::move(*text));
}

HWND CreateSecondsUpDown(HWND dialog) {
  HWND edit = GetDlgItem(dialog, IDC_SECONDS);
  RECT rect = {};
  GetClientRect(edit, &rect);
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
  HWND upDown = CreateUpDownControl(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, rect.left,
                                    rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog, 0, instance, edit,
                                    kMaxSeconds, kMinSeconds, kInitialSeconds);
  // The arrows overlap the field's border: keep the field from painting over
  // them when it repaints on gaining or losing the focus.
  SetWindowPos(upDown, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowLongPtrW(edit, GWL_STYLE, GetWindowLongPtrW(edit, GWL_STYLE) | WS_CLIPSIBLINGS);
  return upDown;
}

INT_PTR OnInitDialog(HWND dialog) {
  INITCOMMONCONTROLSEX classes = {sizeof(classes), 0xFF};
  InitCommonControlsEx(&classes);
  DragAcceptFiles(dialog, TRUE);
  const DialogControls controls = ControlsOf(dialog);
  MakeHyperlink(controls.websiteLink, kWebsiteUrl);
  MakeHyperlink(controls.feedbackLink, kFeedbackUrl);
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(CreateSecondsUpDown(dialog)));
  AddDropTip(controls.photoList);
  AddDropTip(controls.musicList);
  LoadSettings();
  StartCodecAdvice(dialog);  // with the lists just read
  LimitEffectsToShaderLevel();
  ShowSettingsInDialog(dialog);
  return TRUE;
}

INT_PTR OnStaticColour(HWND dialog, HDC dc, HWND control) {
  // The default answer sets the ordinary text colour, so the links' blue
  // goes on after it.
  const LRESULT brush =
      DefWindowProcW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  const DialogControls controls = ControlsOf(dialog);
  if (control == controls.websiteLink || control == controls.feedbackLink ||
      control == GetDlgItem(dialog, IDC_CODEC_ADVICE)) {
    SetTextColor(dc, kLinkColour);
  }
  return brush;
}

void OnDropFiles(HWND dialog, HDROP dropped) {
  const AutoDrop drop(dropped);
  const DialogControls controls = ControlsOf(dialog);
  POINT cursor = {};
  GetCursorPos(&cursor);
  for (HWND list : {controls.photoList, controls.musicList}) {
    RECT rect = {};
    if (GetWindowRect(list, &rect) && PtInRect(&rect, cursor)) {
      AddDroppedItems(drop.get(), list);
      FitListExtent(list);
      return;
    }
  }
}

void OnListButton(HWND dialog, int id) {
  const DialogControls controls = ControlsOf(dialog);
  switch (id) {
    case IDC_PHOTO_ADD_FOLDER:
      AddPickedFolder(controls.photoList);
      break;
    case IDC_PHOTO_ADD_FILE:
      AddPickedFiles(controls.photoList, PhotoPickerFilter(InstalledDecoderExtensions()).c_str());
      break;
    case IDC_PHOTO_UP:
      MoveListSelection(MoveDirection::kUp, controls.photoList);
      break;
    case IDC_PHOTO_DOWN:
      MoveListSelection(MoveDirection::kDown, controls.photoList);
      break;
    case IDC_PHOTO_DELETE:
      DeleteListSelection(controls.photoList);
      break;
    case IDC_PHOTO_DELETE_ALL:
      ClearListBox(controls.photoList);
      break;
    case IDC_MUSIC_ADD_FOLDER:
      AddPickedFolder(controls.musicList);
      break;
    case IDC_MUSIC_ADD_FILE:
      AddPickedFiles(controls.musicList, kAllFilesFilter);
      break;
    case IDC_MUSIC_UP:
      MoveListSelection(MoveDirection::kUp, controls.musicList);
      break;
    case IDC_MUSIC_DOWN:
      MoveListSelection(MoveDirection::kDown, controls.musicList);
      break;
    case IDC_MUSIC_DELETE:
      DeleteListSelection(controls.musicList);
      break;
    case IDC_MUSIC_DELETE_ALL:
      ClearListBox(controls.musicList);
      break;
  }
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDOK:
      TakeSettingsFromDialog(dialog);
      SaveSettingsFile();
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  if (code == BN_CLICKED) OnListButton(dialog, id);
  return FALSE;
}

}  // namespace

void ShowSettingsInDialog(HWND dialog) {
  const DialogControls controls = ControlsOf(dialog);
  const SaverSettings& s = saverSettings;
  ShowEntries(controls.photoList, photoEntries);
  ShowEntries(controls.musicList, musicEntries);
  SetCheck(dialog, IDC_PHOTO_SUBFOLDERS, s.photoIncludeSubDir);
  SetCheck(dialog, IDC_PHOTO_RANDOM, s.photoRandom);
  SetCheck(dialog, IDC_MUSIC_SUBFOLDERS, s.musicIncludeSubDir);
  SetCheck(dialog, IDC_MUSIC_RANDOM, s.musicRandom);

  // Without pixel shaders no effect can be drawn: the boxes show the limited
  // settings and cannot be changed.
  const EffectChoices choices = ChoicesFromSettings(s);
  const bool effectsPossible = pixelShaderLevel != 0;
  for (int code = 0; code < kMaxColorEffects; ++code) {
    SetCheck(dialog, kEffectBoxes[code], choices.effects[code]);
    EnableWindow(GetDlgItem(dialog, kEffectBoxes[code]), effectsPossible);
  }
  SetCheck(dialog, IDC_LESS_EFFECT, choices.lessColorEffect);
  EnableWindow(GetDlgItem(dialog, IDC_LESS_EFFECT), effectsPossible);
  SetCheck(dialog, IDC_EFFECT_TRANSITION, choices.effectTransition);
  EnableWindow(GetDlgItem(dialog, IDC_EFFECT_TRANSITION), effectsPossible);
  SetCheck(dialog, IDC_FADE, choices.fadeInOut);

  const int seconds = SecondsFromSlideTime(s.slideTime);
  SendMessageW(controls.upDown, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(seconds), 0));
  SetCheck(dialog, IDC_EXIT_BY_ESC_ONLY, s.exitByEscOnly);
}

void TakeSettingsFromDialog(HWND dialog) {
  const DialogControls controls = ControlsOf(dialog);
  TakeEntries(controls.photoList, photoEntries);
  TakeEntries(controls.musicList, musicEntries);

  SaverSettings s = {};
  s.photoIncludeSubDir = Checked(dialog, IDC_PHOTO_SUBFOLDERS);
  s.photoRandom = Checked(dialog, IDC_PHOTO_RANDOM);
  s.musicIncludeSubDir = Checked(dialog, IDC_MUSIC_SUBFOLDERS);
  s.musicRandom = Checked(dialog, IDC_MUSIC_RANDOM);

  EffectChoices choices;
  for (int code = 0; code < kMaxColorEffects; ++code) choices.effects[code] = Checked(dialog, kEffectBoxes[code]);
  choices.lessColorEffect = Checked(dialog, IDC_LESS_EFFECT);
  choices.effectTransition = Checked(dialog, IDC_EFFECT_TRANSITION);
  choices.fadeInOut = Checked(dialog, IDC_FADE);
  ApplyChoices(choices, s);

  wchar_t seconds[16] = {};
  GetDlgItemTextW(dialog, IDC_SECONDS, seconds, static_cast<int>(std::size(seconds)));
  s.slideTime =
      SlideTimeFromSecondsField(seconds, static_cast<uint32_t>(SendMessageW(controls.upDown, UDM_GETPOS, 0, 0)));
  s.exitByEscOnly = Checked(dialog, IDC_EXIT_BY_ESC_ONLY);
  saverSettings = s;
}

INT_PTR WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_CTLCOLORSTATIC:
      return OnStaticColour(dialog, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_DROPFILES:
      OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
      return FALSE;
    case kCodecAdviceMessage:
      ShowCodecAdvice(dialog, std::unique_ptr<AdviceJob>(reinterpret_cast<AdviceJob*>(lParam)));
      return TRUE;
  }
  return FALSE;
}
