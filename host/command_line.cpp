#include "host/command_line.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view SkipBlanks(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

}  // namespace

std::wstring_view SkipProgramName(std::wstring_view line) {
  if (!line.empty() && line.front() == L'"') {
    line.remove_prefix(1);
    while (!line.empty() && line.front() != L'"') line.remove_prefix(1);
    if (!line.empty()) line.remove_prefix(1);
  } else {
    while (!line.empty() && line.front() > L' ') line.remove_prefix(1);
  }
  while (!line.empty() && line.front() <= L' ') line.remove_prefix(1);
  return line;
}

uintptr_t ParseWindowHandle(std::wstring_view text) {
  uintptr_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') break;
    value = value * 10 + static_cast<uintptr_t>(c - L'0');
  }
  return value;
}

SaverCommand ParseSaverCommand(std::wstring_view tail) {
  while (!tail.empty() && (tail.front() == L'/' || tail.front() == L'-' || tail.front() == L' ')) {
    tail.remove_prefix(1);
  }
  if (tail.empty()) return {SaverMode::ConfigureNoParent, 0};
  const wchar_t letter = tail.front();
  const std::wstring_view rest = tail.substr(1);
  switch (letter) {
    case L'S':
    case L's':
      return {SaverMode::FullScreen, 0};
    case L'C':
    case L'c':
      if (!rest.empty() && rest.front() == L':') return {SaverMode::Configure, ParseWindowHandle(rest.substr(1))};
      return {SaverMode::Configure, 0};
    case L'P':
    case L'p':
    case L'L':
    case L'l':
      return {SaverMode::Preview, ParseWindowHandle(SkipBlanks(rest))};
    case L'A':
    case L'a':
      return {SaverMode::ChangePassword, ParseWindowHandle(SkipBlanks(rest))};
    default:
      return {SaverMode::Invalid, 0};
  }
}
