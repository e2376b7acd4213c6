#include "settings/settings_store.h"

#include <shlwapi.h>

#include <algorithm>
#include <optional>
#include <string>

#include "ownership/scoped_handle.h"
#include "settings/section_entries.h"
#include "settings/settings_path.h"

SaverSettings saverSettings{};
MediaList photoEntries;
MediaList musicEntries;
int pixelShaderLevel = 0;

namespace {

constexpr wchar_t kPhotoList[] = L"Photo List";
constexpr wchar_t kMusicList[] = L"Music List";
constexpr wchar_t kTime[] = L"Time";
constexpr wchar_t kColorEffect[] = L"ColorEffect";
constexpr wchar_t kTransition[] = L"Transition";
constexpr wchar_t kFade[] = L"Fade";
constexpr wchar_t kControl[] = L"Control";

std::wstring programPathOverride;

std::optional<std::wstring> ProgramFolder() {
  wchar_t path[kPathChars] = {};
  if (!programPathOverride.empty()) {
    if (programPathOverride.size() >= kPathChars) return std::nullopt;
    programPathOverride.copy(path, kPathChars - 1);
  } else {
    DWORD length = GetModuleFileNameW(nullptr, path, kPathChars);
    // A cut-short module path names some other folder: use none.
    if (length == 0 || length >= kPathChars) return std::nullopt;
  }
  PathRemoveFileSpecW(path);
  return std::wstring(path);
}

std::optional<std::wstring> SettingsFilePath() {
  auto folder = ProgramFolder();
  return folder ? SettingsFilePathInFolder(*folder) : std::nullopt;
}

bool IsFile(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  AutoFindHandle find(FindFirstFileW(path.c_str(), &found));
  return find.valid() && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

int32_t ReadInt(const wchar_t* section, const wchar_t* key, int32_t fallback, const std::wstring& file) {
  return static_cast<int32_t>(GetPrivateProfileIntW(section, key, fallback, file.c_str()));
}

bool ReadBool(const wchar_t* section, const wchar_t* key, bool fallback, const std::wstring& file) {
  return ReadInt(section, key, fallback ? 1 : 0, file) != 0;
}

void ReadEntryList(const wchar_t* section, MediaList& list, const std::wstring& file) {
  // The whole section in one read; a full buffer answers size - 2, so grow
  // until the section fits (a full list of long paths is a few megabytes).
  std::wstring block(64 * 1024, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(block.size());
    const DWORD length = GetPrivateProfileSectionW(section, block.data(), size, file.c_str());
    if (length + 2 < size || size >= 16 * 1024 * 1024) {
      block.resize(std::min<size_t>(length + 1, block.size()));
      break;
    }
    block.assign(static_cast<size_t>(size) * 2, L'\0');
  }
  AppendSectionEntries(SectionValues(block), list);
}

void ReadCodeListKeys(const wchar_t* section, int capacity, int32_t highestCode, int32_t* codes, int32_t& count,
                      const std::wstring& file) {
  ReadCodeList([&](int key) { return ReadInt(section, std::to_wstring(key).c_str(), kCodeListEnd, file); }, capacity,
               highestCode, codes, count);
}

// Collects key writes into the new file; one failure fails the save.
class ProfileWriter {
 public:
  explicit ProfileWriter(std::wstring file) : file_(std::move(file)) {}
  void Write(const wchar_t* section, const std::wstring& key, const std::wstring& value) {
    if (!WritePrivateProfileStringW(section, key.c_str(), value.c_str(), file_.c_str())) ok_ = false;
  }
  void WriteInt(const wchar_t* section, const std::wstring& key, int32_t value) {
    Write(section, key, std::to_wstring(value));
  }
  void WriteBool(const wchar_t* section, const std::wstring& key, bool value) {
    Write(section, key, value ? L"1" : L"0");
  }
  // The whole list in one section write: the profile functions rewrite the
  // file on every call, so thousands of key writes took minutes. The keys land
  // in the section exactly as key-by-key writes would put them.
  void WriteList(const wchar_t* section, const MediaList& list) {
    std::wstring lines;
    for (size_t i = 0; i < list.Count() && i < kMaxMediaEntries; ++i) {
      lines += std::to_wstring(i);
      lines += L'=';
      lines += list[i];
      lines += L'\0';
    }
    if (lines.empty()) return;
    if (!WritePrivateProfileSectionW(section, lines.c_str(), file_.c_str())) ok_ = false;
  }
  void WriteCodes(const wchar_t* section, const int32_t* codes, int32_t count) {
    for (int32_t k = 0; k < count; ++k) WriteInt(section, std::to_wstring(k), codes[k]);
  }
  // Flushes the profile cache so the file on disk is complete.
  bool Finish() {
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file_.c_str());
    return ok_;
  }

 private:
  std::wstring file_;
  bool ok_ = true;
};

// A UTF-16LE file makes the profile functions keep writing UTF-16 into it.
bool CreateUtf16File(const std::wstring& path) {
  AutoFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  static constexpr wchar_t kStart[] = L"\xFEFF[Photo List]";
  const DWORD bytes = (std::size(kStart) - 1) * sizeof(wchar_t);
  DWORD written = 0;
  return WriteFile(file.get(), kStart, bytes, &written, nullptr) && written == bytes;
}

}  // namespace

void SetSettingsProgramPathForTesting(const wchar_t* programFile) {
  programPathOverride = programFile ? programFile : L"";
}

void ResetSettings() { ResetSettings(saverSettings); }

void LimitEffectsToShaderLevel() { LimitEffectsToShaderLevel(saverSettings, pixelShaderLevel); }

HRESULT ReadSettingsFile() {
  saverSettings = {};
  photoEntries.Clear();
  musicEntries.Clear();

  auto path = SettingsFilePath();
  if (!path || !IsFile(*path)) return E_FAIL;
  const std::wstring& file = *path;

  ReadEntryList(kPhotoList, photoEntries, file);
  ReadEntryList(kMusicList, musicEntries, file);
  saverSettings.photoIncludeSubDir = ReadBool(kPhotoList, L"IncludeSubDir", true, file);
  saverSettings.photoRandom = ReadBool(kPhotoList, L"Random", true, file);
  saverSettings.musicIncludeSubDir = ReadBool(kMusicList, L"IncludeSubDir", true, file);
  saverSettings.musicRandom = ReadBool(kMusicList, L"Random", true, file);
  saverSettings.slideTime = ReadInt(kTime, L"SlideTime", kDefaultSlideTime, file);
  ReadCodeListKeys(kColorEffect, kMaxColorEffects, kEffectBlue, saverSettings.colorEffects,
                   saverSettings.colorEffectCount, file);
  saverSettings.lessColorEffect = ReadBool(kColorEffect, L"LessColorEffect", false, file);
  ReadCodeListKeys(kTransition, kMaxTransitions, kTransitionEffectToPhoto, saverSettings.transitions,
                   saverSettings.transitionCount, file);
  ReadCodeListKeys(kFade, kMaxFades, kFadeWhite, saverSettings.fades, saverSettings.fadeCount, file);
  saverSettings.exitByEscOnly = ReadBool(kControl, L"ExitByEscOnly", false, file);
  return S_OK;
}

HRESULT SaveSettingsFile() {
  auto folder = ProgramFolder();
  if (!folder) return E_FAIL;
  auto path = SettingsFilePathInFolder(*folder);
  auto newPath = SettingsNewFilePathInFolder(*folder);
  if (!path || !newPath) return E_FAIL;

  // What a save killed half-way left behind is of no use.
  DeleteFileW(newPath->c_str());
  if (!CreateUtf16File(*newPath)) return E_FAIL;

  const SaverSettings& s = saverSettings;
  ProfileWriter out(*newPath);
  out.WriteList(kPhotoList, photoEntries);
  out.WriteList(kMusicList, musicEntries);
  out.WriteBool(kPhotoList, L"IncludeSubDir", s.photoIncludeSubDir);
  out.WriteBool(kPhotoList, L"Random", s.photoRandom);
  out.WriteBool(kMusicList, L"IncludeSubDir", s.musicIncludeSubDir);
  out.WriteBool(kMusicList, L"Random", s.musicRandom);
  out.WriteInt(kTime, L"SlideTime", s.slideTime);
  out.WriteCodes(kColorEffect, s.colorEffects, std::min(s.colorEffectCount, kMaxColorEffects));
  out.WriteBool(kColorEffect, L"LessColorEffect", s.lessColorEffect);
  out.WriteCodes(kTransition, s.transitions, std::min(s.transitionCount, kMaxTransitions));
  out.WriteCodes(kFade, s.fades, std::min(s.fadeCount, kMaxFades));
  out.WriteBool(kControl, L"ExitByEscOnly", s.exitByEscOnly);

  if (!out.Finish() ||
      !MoveFileExW(newPath->c_str(), path->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(newPath->c_str());
    return E_FAIL;
  }
  return S_OK;
}

namespace {

// The file, or the defaults where it cannot be read.
HRESULT ReadSettingsOrDefaults() {
  saverSettings = {};
  pixelShaderLevel = 0;
  HRESULT result = ReadSettingsFile();
  if (FAILED(result)) ResetSettings();
  return result;
}

}  // namespace

HRESULT LoadSettings(IDirect3D9* d3d) {
  const HRESULT result = ReadSettingsOrDefaults();
  CheckGraphicsCaps(d3d);
  return result;
}

HRESULT LoadSettings() {
  const HRESULT result = ReadSettingsOrDefaults();
  CheckGraphicsCaps();
  return result;
}
