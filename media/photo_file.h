#pragma once
// A photo file opened for reading through the C runtime, closed by its owner.

#include <cstdio>
#include <memory>

struct PhotoFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using PhotoFile = std::unique_ptr<std::FILE, PhotoFileCloser>;

// Null when the file cannot be opened. Wide path: Windows file names are UTF-16.
inline PhotoFile OpenPhotoFile(const wchar_t* path) { return PhotoFile(_wfopen(path, L"rb")); }
