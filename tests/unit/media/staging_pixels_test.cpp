#include "media/staging_pixels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A 4 x 4 surface whose rows are 6 pixels apart: the two padding pixels of
// each row, and everything outside the surface, must never be written.
struct PaddedSurface {
  static constexpr int kEdge = 4, kStride = 6;
  std::vector<uint32_t> memory = std::vector<uint32_t>(kStride * kEdge, 0xAAAAAAAA);
  StagingPixels pixels{reinterpret_cast<uint8_t*>(memory.data()), kStride * 4, kEdge};
  // The surface's rows, '.' untouched, '#' written, 'o' black.
  std::vector<std::string> Picture() const {
    std::vector<std::string> rows;
    for (int y = 0; y < kEdge; ++y) {
      std::string row;
      for (int x = 0; x < kStride; ++x) {
        const uint32_t p = memory[y * kStride + x];
        row += p == 0xAAAAAAAA ? '.' : p == 0 ? 'o' : '#';
      }
      rows.push_back(row);
    }
    return rows;
  }
};

TEST(StagingPixels, WritesAndFillsOnlyWhatLiesOnTheSurface) {
  const std::vector<uint32_t> block(9, 0x00123456);  // 3 x 3
  struct Case {
    int x, y;
    std::vector<std::string> write, fill;  // after the write; after black over the same rectangle
  } cases[] = {
      {1, 1, {"......", ".###..", ".###..", ".###.."}, {"......", ".ooo..", ".ooo..", ".ooo.."}},
      {-1, -1, {"##....", "##....", "......", "......"}, {"oo....", "oo....", "......", "......"}},
      {3, 2, {"......", "......", "...#..", "...#.."}, {"......", "......", "...o..", "...o.."}},
      {4, 0, {"......", "......", "......", "......"}, {"......", "......", "......", "......"}},
      {0, -2, {"###...", "......", "......", "......"}, {"ooo...", "......", "......", "......"}},
  };
  for (const Case& c : cases) {
    PaddedSurface written, filled;
    WritePixelRows(written.pixels, c.x, c.y, 3, 3, block.data());
    EXPECT_EQ(written.Picture(), c.write) << c.x << ", " << c.y;
    FillBlack(filled.pixels, c.x, c.y, c.x + 3, c.y + 3);
    EXPECT_EQ(filled.Picture(), c.fill) << c.x << ", " << c.y;
  }
}

}  // namespace
