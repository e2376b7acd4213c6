#include "media/rle_bitmap.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "media/photo_budget.h"
#include "media/photo_file.h"
#include "ownership/gdi_holders.h"

namespace {

constexpr size_t kFileHeaderBytes = sizeof(BITMAPFILEHEADER);
// A run-length bitmap packs at most two pixels a byte, and a larger file is no
// photo anyone keeps as a bitmap.
constexpr long kLargestFile = 64L << 20;

// The whole file, read only once its header says it is a run-length bitmap:
// every other photo passes by at the cost of one small read.
std::vector<uint8_t> ReadRunLengthFile(std::FILE* file) {
  uint8_t head[kFileHeaderBytes + sizeof(BITMAPINFOHEADER)];
  BITMAPINFOHEADER h;
  if (std::fread(head, 1, sizeof head, file) != sizeof head) return {};
  std::memcpy(&h, head + kFileHeaderBytes, sizeof h);
  if (head[0] != 'B' || head[1] != 'M' || (h.biCompression != BI_RLE8 && h.biCompression != BI_RLE4)) return {};
  std::vector<uint8_t> bytes;
  if (std::fseek(file, 0, SEEK_END) != 0) return bytes;
  const long size = std::ftell(file);
  if (size <= 0 || size > kLargestFile || std::fseek(file, 0, SEEK_SET) != 0) return bytes;
  bytes.resize(static_cast<size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) bytes.clear();
  return bytes;
}

// The header GDI is given: the file's own, with the size of the runs set to
// what the file really holds, so that a stream claiming more is read no
// further than its end.
struct RunLengthInfo {
  BITMAPINFOHEADER header;
  RGBQUAD palette[256];
};

}  // namespace

std::optional<ScaledJpeg> LoadRunLengthBitmap(const wchar_t* path) {
  const PhotoFile file = OpenPhotoFile(path);
  if (!file) return std::nullopt;
  const std::vector<uint8_t> bytes = ReadRunLengthFile(file.get());
  BITMAPFILEHEADER fileHeader{};
  RunLengthInfo info{};
  if (bytes.size() < kFileHeaderBytes + sizeof info.header) return std::nullopt;
  std::memcpy(&fileHeader, bytes.data(), sizeof fileHeader);
  std::memcpy(&info.header, bytes.data() + kFileHeaderBytes, sizeof info.header);
  BITMAPINFOHEADER& h = info.header;
  const bool rle8 = h.biCompression == BI_RLE8 && h.biBitCount == 8;
  const bool rle4 = h.biCompression == BI_RLE4 && h.biBitCount == 4;
  // Run-length bitmaps are stored bottom row first; nothing else is valid.
  if (fileHeader.bfType != 0x4D42 || !(rle8 || rle4) || h.biSize < sizeof h || h.biSize > bytes.size() ||
      h.biWidth <= 0 || h.biHeight <= 0 || fileHeader.bfOffBits >= bytes.size()) {
    return std::nullopt;
  }
  const size_t width = static_cast<size_t>(h.biWidth), height = static_cast<size_t>(h.biHeight);
  if (width > PhotoMemoryBudget() / 8 / height) return std::nullopt;  // our copy and GDI's
  const size_t colours = h.biClrUsed && h.biClrUsed < (1u << h.biBitCount) ? h.biClrUsed : (1u << h.biBitCount);
  const size_t paletteAt = kFileHeaderBytes + h.biSize;
  if (paletteAt + colours * sizeof(RGBQUAD) > bytes.size()) return std::nullopt;
  std::memcpy(info.palette, bytes.data() + paletteAt, colours * sizeof(RGBQUAD));
  h.biSize = sizeof h;
  h.biClrUsed = static_cast<DWORD>(colours);
  h.biSizeImage = static_cast<DWORD>(bytes.size() - fileHeader.bfOffBits);

  BITMAPINFO canvas{};
  canvas.bmiHeader.biSize = sizeof canvas.bmiHeader;
  canvas.bmiHeader.biWidth = h.biWidth;
  canvas.bmiHeader.biHeight = -h.biHeight;  // rows top first, as the fit reads them
  canvas.bmiHeader.biPlanes = 1;
  canvas.bmiHeader.biBitCount = 32;
  canvas.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  // A new DIB section is all zeros: black wherever the runs set nothing.
  const GdiObject<HBITMAP> dib(CreateDIBSection(nullptr, &canvas, DIB_RGB_COLORS, &bits, nullptr, 0));
  const MemoryDC dc(CreateCompatibleDC(nullptr));
  if (!dib || !dc || !bits) return std::nullopt;
  {
    const ScopedSelectObject selected(dc.get(), dib.get());
    if (SetDIBitsToDevice(dc.get(), 0, 0, h.biWidth, h.biHeight, 0, 0, 0, h.biHeight,
                          bytes.data() + fileHeader.bfOffBits, reinterpret_cast<const BITMAPINFO*>(&info),
                          DIB_RGB_COLORS) == 0) {
      return std::nullopt;
    }
    GdiFlush();
  }
  ScaledJpeg out;
  out.width = out.scaledWidth = static_cast<uint32_t>(width);
  out.height = out.scaledHeight = static_cast<uint32_t>(height);
  const auto* first = static_cast<const uint8_t*>(bits);
  out.pixels.assign(first, first + width * height * 4);
  return out;
}
