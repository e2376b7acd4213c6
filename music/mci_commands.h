#pragma once
// The command strings the music player sends to the multimedia command
// interface, built without the platform.
//
// Commands that carry a number are formatted into a fixed buffer of 50 wide
// characters. Only numbers go into it, never a path, and every template is
// checked at compile time to fit with the widest number it can be given. The
// open command, which carries a path, is built on the heap.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr size_t kCommandBufferChars = 50;

// A command of at most kCommandBufferChars - 1 characters plus its terminator.
// Appending refuses, and leaves the buffer as it was, when the text would not
// fit: a command is whole or absent, never cut.
class CommandBuffer {
 public:
  const wchar_t* c_str() const { return text_; }
  std::wstring_view view() const { return {text_, length_}; }
  size_t size() const { return length_; }

  bool Append(std::wstring_view text);
  bool AppendNumber(int32_t value);

 private:
  wchar_t text_[kCommandBufferChars] = {};
  size_t length_ = 0;
};

// Commands without a number.
inline constexpr wchar_t kCmdVolumeZero[] = L"setaudio currentMusic volume to 0";
inline constexpr wchar_t kCmdTimeFormatTmsf[] = L"set currentMusic time format tmsf";
inline constexpr wchar_t kCmdPlayNotify[] = L"play currentMusic notify";
inline constexpr wchar_t kCmdVideoOff[] = L"setvideo currentMusic off";
inline constexpr wchar_t kCmdWindowHide[] = L"window currentMusic state hide";
inline constexpr wchar_t kCmdStop[] = L"stop currentMusic";
inline constexpr wchar_t kCmdCloseAll[] = L"close all";
inline constexpr wchar_t kCmdPause[] = L"pause currentMusic";
inline constexpr wchar_t kCmdResume[] = L"resume currentMusic";

// A CD track number: read from two characters of a path, so -9 to 99.
using CdTrackNumber = int8_t;

// "setaudio currentMusic volume to <volume>"
CommandBuffer VolumeCommand(int32_t volume);
// "play currentMusic from <track> to <track + 1> notify": exactly one track.
CommandBuffer PlayOneTrackCommand(CdTrackNumber track);
// "play currentMusic from <track> notify": the track to the end of the disc.
CommandBuffer PlayFromTrackCommand(CdTrackNumber track);

// An audio-CD track file: longer than 6 characters and ending in ".cda",
// compared exactly (".CDA" is an ordinary file).
bool IsCdTrackPath(std::wstring_view path);

// The number written in the two characters before ".cda", read as "%d" reads
// it (leading blanks, an optional sign, then digits); 0 when they do not begin
// with a number. Only for paths that IsCdTrackPath accepts.
CdTrackNumber CdTrackNumberOf(std::wstring_view path);

// The open command for `path` under the alias currentMusic: the CD-audio
// device of the path's drive root for a CD track, the "mpegvideo" device for
// any other file.
std::wstring OpenCommand(std::wstring_view path, bool cdTrack);
