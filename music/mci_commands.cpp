#include "music/mci_commands.h"

#include <limits>
#include <type_traits>

namespace {

constexpr std::wstring_view kVolumePrefix = L"setaudio currentMusic volume to ";
constexpr std::wstring_view kPlayFrom = L"play currentMusic from ";
constexpr std::wstring_view kTo = L" to ";
constexpr std::wstring_view kNotify = L" notify";

// Characters of the widest value of each number type, sign included.
constexpr size_t kInt32Chars = 11;  // -2147483648
constexpr size_t kTrackChars = 4;   // -128 (and track + 1 is at most 128)

constexpr size_t kRoom = kCommandBufferChars - 1;
static_assert(kVolumePrefix.size() + kInt32Chars <= kRoom);
static_assert(kPlayFrom.size() + kTrackChars + kTo.size() + kTrackChars + kNotify.size() <= kRoom);
static_assert(kPlayFrom.size() + kTrackChars + kNotify.size() <= kRoom);
static_assert(sizeof(CdTrackNumber) == 1 && std::is_signed_v<CdTrackNumber>);

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A command whose every piece is known to fit (the static_asserts above).
template <typename... Pieces>
CommandBuffer Compose(Pieces... pieces) {
  CommandBuffer buffer;
  auto add = [&buffer](auto piece) {
    if constexpr (std::is_same_v<decltype(piece), std::wstring_view>)
      return buffer.Append(piece);
    else
      return buffer.AppendNumber(piece);
  };
  [[maybe_unused]] const bool whole = (add(pieces) && ...);
  return buffer;
}

}  // namespace

bool CommandBuffer::Append(std::wstring_view text) {
  if (text.size() > kRoom - length_) return false;
  text.copy(text_ + length_, text.size());
  length_ += text.size();
  text_[length_] = L'\0';
  return true;
}

bool CommandBuffer::AppendNumber(int32_t value) {
  wchar_t digits[kInt32Chars];
  size_t count = 0;
  // Widened so that the most negative value has a magnitude.
  int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
  do {
    digits[kInt32Chars - 1 - count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits[kInt32Chars - 1 - count++] = L'-';
  return Append({digits + kInt32Chars - count, count});
}

CommandBuffer VolumeCommand(int32_t volume) { return Compose(kVolumePrefix, volume); }

CommandBuffer PlayOneTrackCommand(CdTrackNumber track) {
  return Compose(kPlayFrom, int32_t{track}, kTo, int32_t{track} + 1, kNotify);
}

CommandBuffer PlayFromTrackCommand(CdTrackNumber track) { return Compose(kPlayFrom, int32_t{track}, kNotify); }

bool IsCdTrackPath(std::wstring_view path) { return path.size() > 6 && path.ends_with(L".cda"); }

CdTrackNumber CdTrackNumberOf(std::wstring_view path) {
  if (path.size() < 6) return 0;
  const std::wstring_view field = path.substr(path.size() - 6, 2);
  size_t at = 0;
  while (at < field.size() && IsBlank(field[at])) ++at;
  bool negative = false;
  if (at < field.size() && (field[at] == L'-' || field[at] == L'+')) negative = field[at++] == L'-';
  if (at == field.size() || !IsDigit(field[at])) return 0;
  int value = 0;
  while (at < field.size() && IsDigit(field[at])) value = value * 10 + (field[at++] - L'0');
  return static_cast<CdTrackNumber>(negative ? -value : value);
}

std::wstring OpenCommand(std::wstring_view path, bool cdTrack) {
  std::wstring command = cdTrack ? L"open  \"" : L"open \"";
  command += cdTrack ? path.substr(0, 3) : path;
  command += cdTrack ? L"\" type cdaudio alias currentMusic" : L"\" type mpegvideo alias currentMusic";
  return command;
}
