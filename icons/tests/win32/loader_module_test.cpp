// The system loader and the portable reader must give the same names in the
// same order and the same bytes, on real modules and on built fixtures.
#include "icons/win32/loader_module.h"

#include <gtest/gtest.h>

#include "core/file_io.h"
#include "core/text.h"
#include "icons/pe_reader.h"
#include "platform/wide.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"
#include "tests/support/resource_printing.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wine_modules.h"

namespace zandrel::icons {
namespace {

using platform::ToWide;
using zandrel::testing::IconImageSpec;
using zandrel::testing::MakeDibIconImage;
using zandrel::testing::MakeGroupDirectory;
using zandrel::testing::MakeGroupEntry;
using zandrel::testing::MakePngImage;
using zandrel::testing::PeBuilder;
using zandrel::testing::PeLayout;
using zandrel::testing::PeMachine;
using zandrel::testing::TempFolder;
using zandrel::testing::WineArch;
using zandrel::testing::WineModulePath;
using Status = ResourceData::Status;

ResourceName Id(std::uint32_t id) {
  return ResourceName::Id(id);
}
ResourceName Text(std::u16string text) {
  return ResourceName::Text(std::move(text));
}

std::string Show(const ResourceName& name) {
  return ::testing::PrintToString(name);
}

Bytes ToBytes(ByteView view) {
  return Bytes(view.begin(), view.end());
}

Bytes Blob(std::size_t size, std::uint32_t seed) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(seed * 131 + i * 7 + 1);
  return out;
}

std::unique_ptr<LoaderResourceModule> OpenLoader(const std::u16string& path) {
  auto module = LoaderResourceModule::Open(ToWide(path));
  EXPECT_TRUE(module) << ToUtf8(path) << " error " << GetLastError();
  return module;
}

// Same status and bytes for one lookup in both.
void ExpectSameLookup(const ResourceModule& loader, const ResourceModule& reader,
                      std::uint16_t type, const ResourceName& name) {
  const ResourceData a = loader.Lookup(type, name);
  const ResourceData b = reader.Lookup(type, name);
  EXPECT_EQ(a.status, b.status) << "type " << type << " " << Show(name);
  EXPECT_TRUE(ToBytes(a.bytes) == ToBytes(b.bytes)) << "type " << type << " " << Show(name);
}

// Names of groups and icons in the same order; every group, and every image
// a group lists, with the same bytes. Answers the number of groups compared.
std::size_t ExpectAgreement(const std::u16string& path) {
  const auto loader = OpenLoader(path);
  const auto reader = PeResourceModule::FromFile(path);
  EXPECT_TRUE(reader);
  if (!loader || !reader) return 0;
  EXPECT_EQ(loader->EnumerateNames(kRtIcon), reader->EnumerateNames(kRtIcon));
  const auto groups = loader->EnumerateNames(kRtGroupIcon);
  EXPECT_EQ(groups, reader->EnumerateNames(kRtGroupIcon));
  for (const auto& name : groups) {
    ExpectSameLookup(*loader, *reader, kRtGroupIcon, name);
    const ResourceData group = reader->Lookup(kRtGroupIcon, name);
    const std::size_t count = ReadU16LE(group.bytes, 4).value_or(0);
    for (std::size_t k = 0; k < count; ++k) {
      const auto id = ReadU16LE(group.bytes, 6 + 14 * k + 12);
      if (!id) break;
      ExpectSameLookup(*loader, *reader, kRtIcon, Id(*id));
    }
  }
  return groups.size();
}

TEST(LoaderModule, AgreesWithTheReaderOnWineModules) {
  struct Case {
    WineArch arch;
    const char16_t* file;
    std::size_t groups;
  };
  for (const Case c :
       {Case{WineArch::kI386, u"shell32.dll", 184}, Case{WineArch::kX86_64, u"shell32.dll", 184},
        Case{WineArch::kI386, u"comdlg32.dll", 10}, Case{WineArch::kX86_64, u"comdlg32.dll", 10},
        Case{WineArch::kI386, u"user32.dll", 7}, Case{WineArch::kX86_64, u"user32.dll", 7}}) {
    const std::u16string path = WineModulePath(c.arch, c.file);
    SCOPED_TRACE(ToUtf8(path));
    if (!FileExists(path)) GTEST_SKIP() << "Wine's modules are not visible on drive Z:";
    EXPECT_EQ(ExpectAgreement(path), c.groups);
  }
}

TEST(LoaderModule, AgreesWithTheReaderOnBuiltModules) {
  const TempFolder folder;
  for (const PeMachine machine : {PeMachine::kI386, PeMachine::kAmd64}) {
    SCOPED_TRACE(machine == PeMachine::kI386 ? "PE32" : "PE32+");
    PeBuilder builder(machine);
    // Upper-case string names, as resource compilers store them.
    builder.AddIconGroup(Text(u"MAINICON"), {{MakeDibIconImage(16, 16, 1), 16, 16},
                                             {MakeDibIconImage(32, 32, 2)},
                                             {MakePngImage(256, 256), 0, 0}});
    builder.AddIconGroup(Text(u"ЯРЛЫК"), {{MakeDibIconImage(32, 32, 3)}});
    builder.AddIconGroup(Text(u"A_B"), {{Blob(100, 4), 48, 48, 8}});
    builder.AddIconGroup(Id(1), {{MakeDibIconImage(48, 48, 5), 48, 48}});
    builder.AddIconGroup(Id(65535), {});
    builder.AddIconGroup(Id(200), {{Blob(10, 6)}});
    // Several languages, the neutral one among them.
    builder.Add(kRtGroupIcon, Id(7), Blob(20, 7), 0x0409);
    builder.Add(kRtGroupIcon, Id(7), MakeGroupDirectory({MakeGroupEntry(32, 32, 32, 10, 6)}), 0);
    builder.Add(kRtGroupIcon, Id(7), Blob(20, 8), 0x0419);
    // A group that lists an image the module does not hold.
    builder.Add(kRtGroupIcon, Id(8), MakeGroupDirectory({MakeGroupEntry(16, 16, 32, 99, 999)}));
    const std::u16string path =
        folder.path() + (machine == PeMachine::kI386 ? u"\\fixture32.dll" : u"\\fixture64.dll");
    builder.WriteTo(path);
    EXPECT_EQ(ExpectAgreement(path), 8u);

    const auto loader = OpenLoader(path);
    ASSERT_TRUE(loader);
    EXPECT_EQ(loader->Lookup(kRtGroupIcon, Id(999)).status, Status::kNotFound);
    EXPECT_EQ(loader->Lookup(kRtIcon, Id(999)).status, Status::kNotFound);
    // Queries in any letter case find the upper-case names.
    EXPECT_EQ(loader->Lookup(kRtGroupIcon, Text(u"mainicon")).status, Status::kFound);
    EXPECT_EQ(loader->Lookup(kRtGroupIcon, Text(u"ярлык")).status, Status::kFound);
    // An identifier above 16 bits is never passed on, so never found.
    for (const std::uint32_t id : {0x10001u, 0x1FFFFu, 0x80000007u})
      EXPECT_EQ(loader->Lookup(kRtGroupIcon, Id(id)).status, Status::kNotFound) << id;
    // The icon functions accept the built groups through handle().
    HICON icon = static_cast<HICON>(
        LoadImageW(loader->handle(), MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    EXPECT_TRUE(icon);
    if (icon) DestroyIcon(icon);
  }
}

TEST(LoaderModule, DataBeyondTheEndOfTheFileIsNotLoadable) {
  const TempFolder folder;
  PeBuilder builder;
  builder.Add(kRtGroupIcon, Id(1), Blob(64, 1)).Add(kRtGroupIcon, Id(2), Blob(64, 2));
  PeLayout layout;
  Bytes image = builder.Build(&layout);
  for (const auto& placed : layout.resources)
    if (placed.name == Id(2)) {
      // Far past the end of the file and of its mapping.
      const std::uint32_t size = 0x01000000;
      for (int i = 0; i < 4; ++i)
        image[placed.data_entry_offset + 4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    }
  const std::u16string path = folder.path() + u"\\long.dll";
  WriteFileAtomically(path, image);
  const auto loader = OpenLoader(path);
  ASSERT_TRUE(loader);
  EXPECT_EQ(loader->Lookup(kRtGroupIcon, Id(2)).status, Status::kNotLoadable);
  EXPECT_EQ(ToBytes(loader->Lookup(kRtGroupIcon, Id(1)).bytes), Blob(64, 1));
  const auto reader = PeResourceModule::FromFile(path);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Lookup(kRtGroupIcon, Id(2)).status, Status::kNotLoadable);
}

TEST(LoaderModule, OpensExactlyTheNamedFile) {
  const TempFolder folder;
  // A module without extension, next to a different module that has ".dll".
  PeBuilder().Add(kRtGroupIcon, Text(u"PLAIN"), Blob(8, 1)).WriteTo(folder.path() + u"\\module");
  PeBuilder()
      .Add(kRtGroupIcon, Text(u"DECOY"), Blob(8, 2))
      .WriteTo(folder.path() + u"\\module.dll");
  const auto plain = OpenLoader(folder.path() + u"\\module");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->EnumerateNames(kRtGroupIcon), std::vector<ResourceName>{Text(u"PLAIN")});
}

TEST(LoaderModule, FailsToOpenWhatIsNotAModuleAndKeepsTheReason) {
  const TempFolder folder;
  const std::u16string text = folder.path() + u"\\notes.txt";
  WriteFileAtomically(text, Bytes{'h', 'e', 'l', 'l', 'o', '\r', '\n'});
  SetLastError(0);
  EXPECT_FALSE(LoaderResourceModule::Open(ToWide(text)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));

  SetLastError(0);
  EXPECT_FALSE(LoaderResourceModule::Open(ToWide(folder.path() + u"\\missing.dll")));
  const DWORD missing = GetLastError();
  EXPECT_TRUE(missing == ERROR_MOD_NOT_FOUND || missing == ERROR_FILE_NOT_FOUND) << missing;

  SetLastError(0);
  EXPECT_FALSE(LoaderResourceModule::Open(L""));
  EXPECT_NE(GetLastError(), 0u);
}

TEST(LoaderModule, ModulesWithoutIconsGiveNoNames) {
  const TempFolder folder;
  const std::u16string path = folder.path() + u"\\strings.dll";
  PeBuilder().Add(6, Id(1), Blob(8, 1)).WriteTo(path);
  const auto loader = OpenLoader(path);
  ASSERT_TRUE(loader);
  EXPECT_TRUE(loader->EnumerateNames(kRtGroupIcon).empty());
  EXPECT_EQ(loader->Lookup(kRtGroupIcon, Id(1)).status, Status::kNotFound);
  EXPECT_EQ(loader->EnumerateNames(6), std::vector<ResourceName>{Id(1)});
}

}  // namespace
}  // namespace zandrel::icons
