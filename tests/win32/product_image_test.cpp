// Checks the built BrindoraPro.scr the way Windows and the display settings
// see it: exports by plain name, icon 100, manifest and version information.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

std::wstring scrPath;

std::wstring ToWindowsPath(const char* path) {
  std::string text(path);
  // Wine maps the Linux root to drive Z:.
  if (!text.empty() && text[0] == '/') {
    for (char& c : text) c = c == '/' ? '\\' : c;
    text = "Z:" + text;
  }
  return std::wstring(text.begin(), text.end());
}

class ProductImage : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scrPath.empty()) << "pass the path of BrindoraPro.scr";
    module_ = LoadLibraryExW(scrPath.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module_, nullptr) << "error " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  std::string Resource(LPCWSTR type, LPCWSTR name) {
    HRSRC found = FindResourceW(module_, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module_, found);
    auto bytes = static_cast<const char*>(LockResource(loaded));
    return std::string(bytes, SizeofResource(module_, found));
  }
  HMODULE module_ = nullptr;
};

TEST_F(ProductImage, ExportsBothEntryPointsUnderTheirPlainNames) {
  EXPECT_NE(GetProcAddress(module_, "ScreenSaverProcW"), nullptr);
  EXPECT_NE(GetProcAddress(module_, "ScreenSaverConfigureDialog"), nullptr);
  EXPECT_EQ(GetProcAddress(module_, "ScreenSaverProcW@16"), nullptr);
  EXPECT_EQ(GetProcAddress(module_, "_ScreenSaverProcW@16"), nullptr);
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(ProductImage, Icon100HoldsTheFourSizes) {
  std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_BRINDORA));
  ASSERT_GE(group.size(), 6u);
  WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
  ASSERT_EQ(group.size(), 6 + count * sizeof(GroupIconEntry));
  std::vector<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    auto entry = reinterpret_cast<const GroupIconEntry*>(group.data() + 6 + i * sizeof(GroupIconEntry));
    sizes.push_back(entry->width == 0 ? 256 : entry->width);
    EXPECT_EQ(entry->width, entry->height);
    EXPECT_EQ(entry->bitCount, 32);
    EXPECT_FALSE(Resource(RT_ICON, MAKEINTRESOURCEW(entry->id)).empty());
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));

  // The shell asks for the large and the small icon; both must come out.
  HICON large = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(IDI_BRINDORA), IMAGE_ICON, 32, 32, 0));
  HICON small = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(IDI_BRINDORA), IMAGE_ICON, 16, 16, 0));
  EXPECT_NE(large, nullptr);
  EXPECT_NE(small, nullptr);
  if (large) DestroyIcon(large);
  if (small) DestroyIcon(small);
}

TEST_F(ProductImage, ManifestNamesOnlyCommonControls6ForThisArchitecture) {
  std::string manifest = Resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
  ASSERT_FALSE(manifest.empty());
#ifdef _WIN64
  const char* arch = "processorArchitecture=\"amd64\"";
#else
  const char* arch = "processorArchitecture=\"X86\"";
#endif
  size_t dependency = manifest.find("<dependency>");
  ASSERT_NE(dependency, std::string::npos);
  EXPECT_EQ(manifest.find("<dependency>", dependency + 1), std::string::npos) << "a second dependency";
  std::string dependent = manifest.substr(dependency);
  EXPECT_NE(dependent.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
  EXPECT_NE(dependent.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(dependent.find(arch), std::string::npos);
}

TEST_F(ProductImage, VersionInformationNamesTheProduct) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(scrPath.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(scrPath.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(1, 1));  // 1.1

  auto text = [&](const wchar_t* key) {
    wchar_t* value = nullptr;
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    if (!VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) return std::wstring();
    return std::wstring(value);
  };
  EXPECT_EQ(text(L"ProductName"), L"Brindora Pro");
  EXPECT_EQ(text(L"ProductVersion"), L"1.1");
}

}  // namespace

int main(int argc, char** argv) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  if (argc > 1) scrPath = ToWindowsPath(argv[1]);
  return RUN_ALL_TESTS();
}
