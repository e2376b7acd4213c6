#pragma once
// A photo file opened for reading through the C runtime, closed by its owner.

#include <cstdint>
#include <cstdio>
#include <memory>

#include "media/picture_size.h"  // ReadAt

struct PhotoFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using PhotoFile = std::unique_ptr<std::FILE, PhotoFileCloser>;

// Null when the file cannot be opened. Wide path: Windows file names are UTF-16.
inline PhotoFile OpenPhotoFile(const wchar_t* path) { return PhotoFile(_wfopen(path, L"rb")); }

// Reads of an open file at given offsets, for the header readers.
inline ReadAt ReadFromFile(std::FILE* file) {
  return [file](uint64_t offset, std::span<uint8_t> out) -> size_t {
    if (offset > INT64_MAX || _fseeki64(file, static_cast<int64_t>(offset), SEEK_SET) != 0) return 0;
    return std::fread(out.data(), 1, out.size(), file);
  };
}
