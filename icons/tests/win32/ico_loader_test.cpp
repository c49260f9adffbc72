// Files written for damaged groups are still proper icons: Windows' own icon
// loader opens them, and every directory record leads to a loadable image.

#include <windows.h>

#include <gtest/gtest.h>

#include "core/file_io.h"
#include "icons/ico_writer.h"
#include "icons/win32/loader_module.h"
#include "icons/tests/fake_host.h"
#include "platform/wide.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"

namespace zandrel::icons {
namespace {

using platform::ToWide;

TEST(IcoForTheSystemLoader, DamagedGroupsStillGiveFilesWindowsOpens) {
  zandrel::testing::TempFolder dir;
  zandrel::testing::PeBuilder pe;
  const Bytes small = zandrel::testing::MakeDibIconImage(16, 16, 1);
  const Bytes large = zandrel::testing::MakeDibIconImage(32, 32, 2);
  pe.Add(kRtIcon, ResourceName::Id(1), small);
  pe.Add(kRtIcon, ResourceName::Id(2), large);
  // Declared sizes that do not match the images, and an image that is missing.
  pe.Add(kRtGroupIcon, ResourceName::Text(u"DAMAGED"),
         zandrel::testing::MakeGroupDirectory({zandrel::testing::MakeGroupEntry(16, 16, 32, 40, 1),
                                               zandrel::testing::MakeGroupEntry(48, 48, 32, 9000, 9),
                                               zandrel::testing::MakeGroupEntry(32, 32, 32, 5, 2)}));
  const std::u16string module_path = dir.path() + u"\\damaged.dll";
  pe.WriteTo(module_path);
  auto module = LoaderResourceModule::Open(ToWide(module_path));
  ASSERT_TRUE(module);

  zandrel::testing::FakeCatalogue catalogue;
  zandrel::testing::RecordingLog log;
  const std::u16string out = dir.path() + u"\\damaged.ico";
  ASSERT_TRUE(WriteIconGroupFile(*module, u"DAMAGED", out, WriteMode::kLog, catalogue, &log));
  const auto file = ReadFileBytes(out);
  ASSERT_TRUE(file);
  ASSERT_EQ((*file)[4], 2);  // the missing image lost its record

  HICON whole = static_cast<HICON>(
      LoadImageW(nullptr, ToWide(out).c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
  ASSERT_NE(whole, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(whole, &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 32);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  DestroyIcon(whole);

  // Each record's size and offset frame exactly one image the system takes.
  for (int k = 0; k < 2; ++k) {
    const std::uint8_t* record = file->data() + 6 + 16 * k;
    const std::uint32_t size = record[8] | (record[9] << 8) | (record[10] << 16) | (record[11] << 24);
    const std::uint32_t offset =
        record[12] | (record[13] << 8) | (record[14] << 16) | (record[15] << 24);
    ASSERT_LE(std::size_t{offset} + size, file->size());
    HICON image = CreateIconFromResourceEx(const_cast<BYTE*>(file->data() + offset), size, TRUE,
                                           0x00030000, 0, 0, LR_DEFAULTCOLOR);
    EXPECT_NE(image, nullptr) << "record " << k;
    if (image) DestroyIcon(image);
  }
}

}  // namespace
}  // namespace zandrel::icons
