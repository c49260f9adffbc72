// The compiled resources as the program will carry them: this test
// executable links the same resource object as Zandrel.exe and reads it back
// through the system's resource and version APIs.

#include <string>
#include <string_view>

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file_info_utils.h"

namespace {

std::wstring OwnExecutable() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return path;
}

std::wstring Widen(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// The bytes of one resource of this executable; empty when it is missing.
std::string_view OwnResource(const wchar_t* name, const wchar_t* type) {
  HRSRC info = FindResourceW(nullptr, name, type);
  if (info == nullptr) return {};
  HGLOBAL loaded = LoadResource(nullptr, info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return std::string_view(static_cast<const char*>(data), SizeofResource(nullptr, info));
}

TEST(ExecutableResources, MainIconGroupHoldsFifteenImages) {
  std::string_view group = OwnResource(L"MAINICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_GE(group.size(), 6u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(group.data());
  const int count = bytes[4] | (bytes[5] << 8);
  ASSERT_EQ(count, 15);
  ASSERT_EQ(group.size(), 6u + 14u * count);  // GRPICONDIRENTRY is 14 bytes
  // The three large PNG images are listed as 0 x 0, the 16 px image last.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bytes[6 + 14 * i], 0) << i;
    EXPECT_EQ(bytes[6 + 14 * i + 1], 0) << i;
  }
  EXPECT_EQ(bytes[6 + 14 * 14], 16);
}

TEST(ExecutableResources, IconsLoadAtTheSizesTheProgramUses) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  struct Case {
    const wchar_t* name;
    int size;
  };
  for (Case c : {Case{L"MAINICON", 16}, Case{L"MAINICON", 32}, Case{L"MAINICON", 48},
                 Case{L"MAINICON", 256}, Case{L"MENU_SAVE", 16}, Case{L"MENU_SAVE", 32}}) {
    HICON icon =
        static_cast<HICON>(LoadImageW(self, c.name, IMAGE_ICON, c.size, c.size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr) << c.size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    ASSERT_NE(info.hbmColor, nullptr);
    GetObjectW(info.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(colour.bmWidth, c.size);
    EXPECT_EQ(colour.bmHeight, c.size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  EXPECT_NE(LoadIconW(self, L"MAINICON"), nullptr);
}

TEST(ExecutableResources, ManifestAsksForModernBehaviour) {
  std::string_view manifest = OwnResource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_FALSE(manifest.empty());
  for (std::string_view needle :
       {"<dpiAwareness "
        "xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2<",
        ">true/pm<", "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "level=\"asInvoker\"", "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
        "processorArchitecture=\"" ZANDREL_MANIFEST_ARCHITECTURE "\"/>"}) {
    EXPECT_NE(manifest.find(needle), std::string_view::npos) << needle;
  }
}

TEST(ExecutableResources, VersionInformationMatchesTheBuild) {
  using namespace zandrel::platform;
  const std::wstring self = OwnExecutable();
  EXPECT_EQ(GetFileVersion(self), Widen(ZANDREL_VERSION_TEXT));
  EXPECT_EQ(GetVersionInfoString(self, L"ProductVersion"), Widen(ZANDREL_VERSION_TEXT));
  EXPECT_EQ(GetCompanyName(self), L"Zandrel Software");
  EXPECT_EQ(GetLegalCopyright(self), L"\u00A9 2026 Zandrel Software");
  EXPECT_EQ(GetVersionInfoString(self, L"ProductName"), L"Zandrel");
  EXPECT_EQ(GetVersionInfoString(self, L"OriginalFilename"), L"Zandrel.exe");
  EXPECT_EQ(GetVersionInfoString(self, L"InternalName"), L"Zandrel");
  EXPECT_FALSE(GetVersionInfoString(self, L"FileDescription").empty());
}

TEST(ExecutableResources, FixedVersionNumbersMatchTheStrings) {
  const std::wstring self = OwnExecutable();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(self.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(self.c_str(), 0, size, block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  const std::wstring file_version = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                    std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                    std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                                    std::to_wstring(LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(file_version, Widen(ZANDREL_VERSION_TEXT));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_GE(length, 4u);
  const auto* words = static_cast<const WORD*>(value);
  EXPECT_EQ(words[0], 0x0409);
  EXPECT_EQ(words[1], 1252);
}

}  // namespace
