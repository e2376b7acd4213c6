#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/path_store.h"
#include "library/photo_batch.h"
#include "library/photo_list.h"
#include "library/slot_ids.h"

namespace {

using Paths = std::vector<std::wstring>;

// Paths the compact form cuts apart differently: each must come back exactly
// and be told from every other.
const Paths kAwkward = {
    L"C:\\Photos\\2019\\a.jpg",
    L"D:\\Archive\\2019\\a.jpg",  // same folder name and file name, other parent
    L"C:\\Photos\\2019\\A.jpg",   // differs in case only
    L"C:\\Photos\\2019\\a.jpg.xmp",
    L"C:\\Photos\\2019",  // the folder's own name as a file
    L"C:\\top.jpg",
    L"\\\\server\\share\\été\\日本.png",
    L"Z:/mixed/separators\\x.jpg",
    L"no folder.jpg",
    L"C:\\ends with a separator\\",
    L"",
};

TEST(PathStore, EveryPathComesBackAndIsFoundAsItself) {
  PathStore store;
  std::vector<uint32_t> slots;
  for (const std::wstring& path : kAwkward) slots.push_back(store.Intern(path));
  ASSERT_EQ(store.Count(), kAwkward.size()) << "two different paths shared a slot";
  for (size_t k = 0; k < kAwkward.size(); ++k) {
    EXPECT_EQ(store.Path(slots[k]), kAwkward[k]);
    EXPECT_EQ(store.Find(kAwkward[k]), slots[k]) << k;
    EXPECT_EQ(store.Intern(kAwkward[k]), slots[k]) << "interned twice: " << k;
  }
  EXPECT_EQ(store.Count(), kAwkward.size());
  EXPECT_FALSE(store.Find(L"D:\\Archive\\2019\\A.jpg"));  // a known folder, a name only known elsewhere
  EXPECT_FALSE(store.Find(L"E:\\2019\\a.jpg"));           // a folder never seen
}

// Enough folders and names to grow both hash tables many times over.
TEST(PathStore, ALibraryInManyFoldersKeepsEverySlot) {
  PathStore store;
  Paths paths;
  for (int f = 0; f < 300; ++f) {
    for (int p = 0; p < 40; ++p) {
      paths.push_back(L"C:\\g" + std::to_wstring(f % 7) + L"\\f" + std::to_wstring(f) + L"\\p" + std::to_wstring(p) +
                      L".jpg");
    }
  }
  for (size_t k = 0; k < paths.size(); ++k) ASSERT_EQ(store.Intern(paths[k]), k);
  for (size_t k = 0; k < paths.size(); ++k) {
    ASSERT_EQ(store.Find(paths[k]), k);
    ASSERT_EQ(store.Path(static_cast<uint32_t>(k)), paths[k]);
  }
}

TEST(PhotoList, OrderChangesLeaveThePathsAlone) {
  PhotoList list;
  for (const std::wstring& path : kAwkward) list.Append(path);
  list.Append(kAwkward[0]);  // a path listed twice keeps both places
  list.Reorder({11, 1, 0, 6});
  EXPECT_EQ(Paths(list.begin(), list.end()), (Paths{kAwkward[0], kAwkward[1], kAwkward[0], kAwkward[6]}));
  list.RemoveAt(0);
  EXPECT_EQ(list[2], kAwkward[6]);
  EXPECT_EQ(list.PathAt(0), kAwkward[1]);

  const uint32_t slot = list.SlotAt(2);
  list.Clear();
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Paths().Path(slot), kAwkward[6]) << "a slot held elsewhere survives Clear";
  list.Reset();
  EXPECT_EQ(list.Paths().Count(), 0u);
}

TEST(PhotoBatch, FoldersComeBackForEachPhotoAcrossBatches) {
  PhotoBatch first, second;
  first.Add(L"C:\\a\\", L"1.jpg", 11, false);
  first.Add(L"C:\\b\\", L"2.jpg", 12, true);
  second.Add(L"C:\\b\\", L"3.jpg", 13, false);
  second.Add(L"C:\\a\\", L"", 14, false);
  first.Append(second);
  const Paths expected = {L"C:\\a\\1.jpg", L"C:\\b\\2.jpg", L"C:\\b\\3.jpg", L"C:\\a\\"};
  ASSERT_EQ(first.Count(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(first.Path(k), expected[k]);
    EXPECT_EQ(first.Id(k), static_cast<PhotoId>(11 + k));
    EXPECT_EQ(first.Failed(k), k == 1);
  }
}

TEST(SlotIds, TheFirstIdOfASlotStaysAndIdsFindTheirSlots) {
  SlotIds ids;
  for (uint32_t slot = 0; slot < 5000; ++slot) ASSERT_TRUE(ids.Set(slot, 1000003 * (slot + 1)));
  EXPECT_FALSE(ids.Set(7, 42));
  EXPECT_EQ(ids.IdOf(7), 1000003 * 8);
  EXPECT_EQ(ids.IdOf(5000), 0);
  EXPECT_FALSE(ids.SlotOf(42));
  for (uint32_t slot = 0; slot < 5000; ++slot) ASSERT_EQ(ids.SlotOf(1000003 * (slot + 1)), slot);
}

}  // namespace
