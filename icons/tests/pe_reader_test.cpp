#include "icons/pe_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

#include "core/file_io.h"
#include "core/text.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"
#include "tests/support/resource_printing.h"
#include "tests/support/temp_folder.h"

namespace zandrel::icons {
namespace {

using zandrel::testing::IconImageSpec;
using zandrel::testing::MakeDibIconImage;
using zandrel::testing::MakeGroupDirectory;
using zandrel::testing::MakeGroupEntry;
using zandrel::testing::MakePngImage;
using zandrel::testing::PeBuilder;
using zandrel::testing::PeLayout;
using zandrel::testing::PeMachine;
using Status = ResourceData::Status;

constexpr std::uint32_t kHighBit = 0x80000000u;

ResourceName Id(std::uint32_t id) {
  return ResourceName::Id(id);
}
ResourceName Text(std::u16string text) {
  return ResourceName::Text(std::move(text));
}

std::string Show(const ResourceName& name) {
  return ::testing::PrintToString(name);
}

// Bytes that differ from one seed to the next, so that a mix-up shows.
Bytes Blob(std::size_t size, std::uint32_t seed) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(seed * 131 + i * 7 + 1);
  return out;
}

Bytes ToBytes(ByteView view) {
  return Bytes(view.begin(), view.end());
}

using zandrel::testing::GetU32;
using zandrel::testing::PutU16;
using zandrel::testing::PutU32;

// File offset of the directory entry of `type` in the root directory.
std::size_t TypeEntry(const Bytes& image, const PeLayout& layout, std::uint16_t type) {
  const std::size_t entry = zandrel::testing::FindTypeEntry(image, layout, type);
  if (entry == 0) ADD_FAILURE() << "no type " << type;
  return entry;
}

// File offset of the name directory of `type`.
std::size_t NameDirectory(const Bytes& image, const PeLayout& layout, std::uint16_t type) {
  return layout.resource_offset + (GetU32(image, TypeEntry(image, layout, type) + 4) & ~kHighBit);
}

const zandrel::testing::PeResourcePlacement& Placement(const PeLayout& layout, std::uint16_t type,
                                                       const ResourceName& name,
                                                       std::uint16_t language = 0) {
  for (const auto& r : layout.resources)
    if (r.type == type && r.name == name && r.language == language) return r;
  throw std::logic_error("no such resource in the layout");
}

std::unique_ptr<PeResourceModule> OpenImage(Bytes image) {
  PeOpenError error = PeOpenError::kNone;
  auto module = PeResourceModule::FromBytes(std::move(image), &error);
  EXPECT_TRUE(module);
  EXPECT_EQ(error, PeOpenError::kNone);
  return module;
}

// --- Reading what the builder wrote -------------------------------------------

struct GroupSpec {
  ResourceName name;
  std::vector<IconImageSpec> images;
};

std::vector<GroupSpec> SampleGroups() {
  return {
      {Text(u"ZETA"), {{MakeDibIconImage(16, 16, 1), 16, 16, 32}, {MakeDibIconImage(32, 32, 2)}}},
      {Id(7), {{MakePngImage(256, 256), 0, 0, 32}}},
      {Text(u"MAINICON"), {{MakeDibIconImage(48, 48, 3), 48, 48, 32}}},
      {Id(300), {}},
      {Text(u"ALPHA"), {{Blob(40, 4), 24, 24, 8}, {Blob(41, 5), 16, 16, 4}}},
      {Id(1), {{MakeDibIconImage(16, 16, 6), 16, 16, 32}}},
  };
}

TEST(PeReader, ReadsIconGroupsOfPe32AndPe32Plus) {
  for (const PeMachine machine : {PeMachine::kI386, PeMachine::kAmd64}) {
    SCOPED_TRACE(machine == PeMachine::kI386 ? "PE32" : "PE32+");
    PeBuilder builder(machine);
    const auto groups = SampleGroups();
    std::map<std::string, std::vector<std::uint16_t>> image_ids;
    for (const auto& g : groups) image_ids[Show(g.name)] = builder.AddIconGroup(g.name, g.images);
    const auto module = OpenImage(builder.Build());
    ASSERT_TRUE(module);
    EXPECT_EQ(module->is_pe32_plus(), machine == PeMachine::kAmd64);

    // String names first, then identifiers, each ascending as stored.
    const std::vector<ResourceName> order{
        Text(u"ALPHA"), Text(u"MAINICON"), Text(u"ZETA"), Id(1), Id(7), Id(300)};
    EXPECT_EQ(module->EnumerateNames(kRtGroupIcon), order);
    EXPECT_EQ(module->EnumerateNames(kRtIcon).size(), 7u);

    for (const auto& g : groups) {
      SCOPED_TRACE(Show(g.name));
      const ResourceData group = module->Lookup(kRtGroupIcon, g.name);
      ASSERT_EQ(group.status, Status::kFound);
      ASSERT_EQ(group.bytes.size(), 6 + 14 * g.images.size());
      EXPECT_EQ(*ReadU16LE(group.bytes, 4), g.images.size());
      for (std::size_t k = 0; k < g.images.size(); ++k) {
        const std::size_t entry = 6 + 14 * k;
        EXPECT_EQ(group.bytes[entry], g.images[k].width);
        EXPECT_EQ(*ReadU32LE(group.bytes, entry + 8), g.images[k].bytes.size());
        const std::uint16_t id = *ReadU16LE(group.bytes, entry + 12);
        EXPECT_EQ(id, image_ids[Show(g.name)][k]);
        const ResourceData image = module->Lookup(kRtIcon, Id(id));
        ASSERT_EQ(image.status, Status::kFound);
        EXPECT_EQ(ToBytes(image.bytes), g.images[k].bytes);
      }
    }
  }
}

TEST(PeReader, KeepsTheStoredOrderAndFindsNamesInUnsortedDirectories) {
  PeBuilder builder;
  builder.Add(kRtGroupIcon, Text(u"B"), Blob(8, 1))
      .Add(kRtGroupIcon, Text(u"A"), Blob(8, 2))
      .Add(kRtGroupIcon, Id(5), Blob(8, 3))
      .Add(kRtGroupIcon, Id(2), Blob(8, 4))
      .Add(kRtGroupIcon, Id(9), Blob(8, 5));
  PeLayout layout;
  Bytes image = builder.Build(&layout);
  // Swap the two string entries and the first and last identifier entries.
  const std::size_t entries = NameDirectory(image, layout, kRtGroupIcon) + 16;
  auto swap_entries = [&](std::size_t a, std::size_t b) {
    for (std::size_t i = 0; i < 8; ++i)
      std::swap(image[entries + 8 * a + i], image[entries + 8 * b + i]);
  };
  swap_entries(0, 1);
  swap_entries(2, 4);

  const auto module = OpenImage(image);
  ASSERT_TRUE(module);
  EXPECT_EQ(module->EnumerateNames(kRtGroupIcon),
            (std::vector<ResourceName>{Text(u"B"), Text(u"A"), Id(9), Id(5), Id(2)}));
  EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Text(u"A")).bytes), Blob(8, 2));
  EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Id(2)).bytes), Blob(8, 4));
  EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Id(9)).bytes), Blob(8, 5));
}

TEST(PeReader, PrefersTheNeutralLanguageOtherwiseTheFirstStored) {
  PeBuilder builder(PeMachine::kAmd64);
  builder.Add(kRtGroupIcon, Id(1), Blob(10, 1), 0x0409)
      .Add(kRtGroupIcon, Id(1), Blob(10, 2), 0x0000)
      .Add(kRtGroupIcon, Id(1), Blob(10, 3), 0x0419)
      .Add(kRtGroupIcon, Id(2), Blob(10, 4), 0x0419)
      .Add(kRtGroupIcon, Id(2), Blob(10, 5), 0x0407)
      .Add(kRtGroupIcon, Text(u"RU"), Blob(10, 6), 0x0419);
  const auto module = OpenImage(builder.Build());
  ASSERT_TRUE(module);
  // Each name is listed once, whatever its number of languages.
  EXPECT_EQ(module->EnumerateNames(kRtGroupIcon),
            (std::vector<ResourceName>{Text(u"RU"), Id(1), Id(2)}));
  EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Id(1)).bytes), Blob(10, 2));
  EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Id(2)).bytes), Blob(10, 5));  // 0x0407 sorts first
  EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Text(u"RU")).bytes), Blob(10, 6));
}

TEST(PeReader, ComparesStringNamesWithoutRegardToCase) {
  PeBuilder builder;
  builder.Add(kRtGroupIcon, Text(u"MainIcon"), Blob(6, 1))
      .Add(kRtGroupIcon, Text(u"ИКОНКА_Ёж"), Blob(6, 2))
      .Add(kRtGroupIcon, Id(1), Blob(6, 3));
  const auto module = OpenImage(builder.Build());
  ASSERT_TRUE(module);
  // Enumeration gives the names exactly as stored.
  EXPECT_EQ(module->EnumerateNames(kRtGroupIcon),
            (std::vector<ResourceName>{Text(u"MainIcon"), Text(u"ИКОНКА_Ёж"), Id(1)}));
  for (const auto* query : {u"MAINICON", u"mainicon", u"MainIcon"})
    EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Text(query)).bytes), Blob(6, 1))
        << ToUtf8(query);
  for (const auto* query : {u"иконка_ёж", u"ИКОНКА_ЁЖ", u"Иконка_Ёж"})
    EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Text(query)).bytes), Blob(6, 2))
        << ToUtf8(query);
  for (const auto* query : {u"MAINICO", u"MAINICON2", u"", u"1", u"ИКОНКА"})
    EXPECT_EQ(module->Lookup(kRtGroupIcon, Text(query)).status, Status::kNotFound) << ToUtf8(query);
}

TEST(PeReader, FindsOnlyWhatIsThere) {
  PeBuilder builder;
  builder.Add(kRtGroupIcon, Id(5), Blob(6, 1))
      .Add(kRtGroupIcon, Id(65535), Blob(6, 2))
      .Add(kRtGroupIcon, Id(9), Bytes{})
      .Add(kRtIcon, Id(1), Blob(6, 3));
  const auto module = OpenImage(builder.Build());
  ASSERT_TRUE(module);
  EXPECT_EQ(module->Lookup(kRtGroupIcon, Id(65535)).status, Status::kFound);
  // Identifiers above 16 bits are never found, also when their low bits match.
  for (const std::uint32_t id : {0x10005u, 0x1FFFFu, 0xFFFFFFFFu})
    EXPECT_EQ(module->Lookup(kRtGroupIcon, Id(id)).status, Status::kNotFound) << id;
  // A type is a separate namespace; an absent type has no names.
  EXPECT_EQ(module->Lookup(kRtIcon, Id(5)).status, Status::kNotFound);
  EXPECT_EQ(module->Lookup(kRtGroupIcon, Id(1)).status, Status::kNotFound);
  EXPECT_TRUE(module->EnumerateNames(24).empty());
  EXPECT_EQ(module->Lookup(24, Id(1)).status, Status::kNotFound);
  // An empty resource is found, with no bytes.
  const ResourceData empty = module->Lookup(kRtGroupIcon, Id(9));
  EXPECT_EQ(empty.status, Status::kFound);
  EXPECT_TRUE(empty.bytes.empty());
}

TEST(PeReader, HandlesThousandsOfGroups) {
  PeBuilder builder(PeMachine::kAmd64);
  std::vector<ResourceName> expected;
  for (std::uint32_t i = 0; i < 1000; ++i) {
    std::u16string name = u"GROUP_";
    name += ToDecimal(100000 + i);
    builder.Add(kRtGroupIcon, Text(name), Blob(20, i));
    builder.Add(kRtGroupIcon, Id(i + 1), Blob(20, i + 5000));
    expected.push_back(Text(name));
  }
  for (std::uint32_t i = 0; i < 1000; ++i) expected.push_back(Id(i + 1));
  const auto module = OpenImage(builder.Build());
  ASSERT_TRUE(module);
  const auto names = module->EnumerateNames(kRtGroupIcon);
  ASSERT_EQ(names, expected);
  for (std::uint32_t i = 0; i < names.size(); ++i) {
    const auto data = module->Lookup(kRtGroupIcon, names[i]);
    ASSERT_EQ(ToBytes(data.bytes), Blob(20, i < 1000 ? i : i - 1000 + 5000)) << Show(names[i]);
  }
}

// --- Files that are not modules -----------------------------------------------

PeOpenError OpenError(Bytes bytes) {
  PeOpenError error = PeOpenError::kNone;
  auto module = PeResourceModule::FromBytes(std::move(bytes), &error);
  EXPECT_FALSE(module);
  return error;
}

TEST(PeReaderOpen, RefusesWhatIsNotAModule) {
  const std::string text = "[Option]\r\nLanguage=English\r\n";
  EXPECT_EQ(OpenError(Bytes(text.begin(), text.end())), PeOpenError::kNotPe);
  EXPECT_EQ(OpenError({}), PeOpenError::kNotPe);
  std::mt19937 random(50);
  Bytes noise(50);
  for (auto& b : noise) b = static_cast<std::uint8_t>(random());
  EXPECT_EQ(OpenError(noise), PeOpenError::kNotPe);
  // A shortcut file starts with its header size and class identifier.
  Bytes shortcut{0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  shortcut.resize(200, 0);
  EXPECT_EQ(OpenError(shortcut), PeOpenError::kNotPe);

  const Bytes module = PeBuilder().Add(kRtGroupIcon, Id(1), Blob(6, 1)).Build();
  Bytes no_signature = module;
  no_signature[0x40] = 'N';
  EXPECT_EQ(OpenError(no_signature), PeOpenError::kNotPe);
  Bytes far_header = module;
  PutU32(far_header, 0x3C, 0xFFFFFFF0u);  // the PE header would lie past the end
  EXPECT_EQ(OpenError(far_header), PeOpenError::kNotPe);
  EXPECT_EQ(OpenError(Bytes(module.begin(), module.begin() + 2)), PeOpenError::kNotPe);
}

TEST(PeReaderOpen, RefusesCutOrUnknownHeaders) {
  for (const PeMachine machine : {PeMachine::kI386, PeMachine::kAmd64}) {
    const Bytes module = PeBuilder(machine).Add(kRtGroupIcon, Id(1), Blob(6, 1)).Build();
    // Cut within the file header or the optional header's fixed part.
    for (const std::size_t length : {0x44, 0x50, 0x5A, 0x80, 0xB0})
      EXPECT_EQ(OpenError(Bytes(module.begin(), module.begin() + length)), PeOpenError::kBadHeaders)
          << length;
    Bytes rom = module;
    PutU16(rom, 0x58, 0x107);  // optional header of a ROM image
    EXPECT_EQ(OpenError(rom), PeOpenError::kBadHeaders);
  }
}

TEST(PeReaderOpen, ReadsFilesAndReportsUnreadableOnes) {
  const zandrel::testing::TempFolder folder;
  const std::u16string module_path = folder.path() + u"\\Модуль.dll";
  PeBuilder builder(PeMachine::kAmd64);
  builder.AddIconGroup(Text(u"MAINICON"), {{MakeDibIconImage(32, 32, 1)}});
  builder.WriteTo(module_path);
  PeOpenError error = PeOpenError::kBadHeaders;
  const auto module = PeResourceModule::FromFile(module_path, &error);
  ASSERT_TRUE(module);
  EXPECT_EQ(error, PeOpenError::kNone);
  EXPECT_EQ(module->file_size(), builder.Build().size());
  EXPECT_EQ(module->EnumerateNames(kRtGroupIcon), std::vector<ResourceName>{Text(u"MAINICON")});

  const std::u16string text_path = folder.path() + u"\\readme.txt";
  WriteFileAtomically(text_path, Bytes{'M', 'Z', '!', '\n'});
  EXPECT_FALSE(PeResourceModule::FromFile(text_path, &error));
  EXPECT_EQ(error, PeOpenError::kNotPe);
  EXPECT_FALSE(PeResourceModule::FromFile(folder.path() + u"\\missing.dll", &error));
  EXPECT_EQ(error, PeOpenError::kCannotRead);
  EXPECT_FALSE(PeResourceModule::FromFile(folder.path(), &error));
  EXPECT_EQ(error, PeOpenError::kCannotRead);
}

// A module opened from a file keeps no copy of it: each lookup reads just its
// resource, the bytes outlive the module, and a file cut short after opening
// makes the lookups past the cut fail instead of reading stale or foreign bytes.
TEST(PeReaderOpen, FileModulesReadEachResourceOnDemand) {
  const zandrel::testing::TempFolder folder;
  const std::u16string path = folder.path() + u"\\big.dll";
  PeBuilder builder(PeMachine::kI386);
  builder.AddIconGroup(Text(u"FIRST"), {{Blob(5000, 1)}, {Blob(9000, 2)}});
  builder.AddIconGroup(Id(7), {{Blob(300, 3)}}, 0x0409);
  builder.AddIconGroup(Id(7), {{Blob(400, 4)}}, 0x0419);
  builder.Add(kRtIcon, Id(40), Blob(70000, 5));  // past a block boundary
  builder.Add(kRtIcon, Id(41), Blob(20, 6));
  PeLayout layout;
  const Bytes image = builder.Build(&layout);
  builder.WriteTo(path);

  std::unique_ptr<PeResourceModule> file = PeResourceModule::FromFile(path);
  const auto memory = PeResourceModule::FromBytes(image);
  ASSERT_TRUE(file && memory);
  EXPECT_TRUE(file->image().empty());
  ResourceData kept;
  for (const std::uint16_t type : {kRtIcon, kRtGroupIcon}) {
    ASSERT_EQ(file->EnumerateNames(type), memory->EnumerateNames(type));
    for (const ResourceName& name : file->EnumerateNames(type)) {
      const ResourceData data = file->Lookup(type, name);
      ASSERT_TRUE(data.found()) << Show(name);
      EXPECT_EQ(ToBytes(data.bytes), ToBytes(memory->Lookup(type, name).bytes)) << Show(name);
      ASSERT_TRUE(data.owner) << Show(name);
      EXPECT_EQ(data.owner->size(), data.bytes.size()) << Show(name);
      const auto languages = file->LanguageIds(type, name);
      EXPECT_EQ(languages, memory->LanguageIds(type, name)) << Show(name);
      for (const std::uint16_t language : languages)
        EXPECT_EQ(ToBytes(file->LookupLanguage(type, name, language).bytes),
                  ToBytes(memory->LookupLanguage(type, name, language).bytes));
      if (type == kRtIcon && name == Id(40)) kept = data;
    }
  }
  file.reset();
  EXPECT_EQ(ToBytes(kept.bytes), Blob(70000, 5));

  // Cut the file in the middle of the big image.
  file = PeResourceModule::FromFile(path);
  ASSERT_TRUE(file);
  const std::size_t cut = Placement(layout, kRtIcon, Id(40)).data_offset + 100;
  std::u16string host_path = path;
  std::replace(host_path.begin(), host_path.end(), u'\\', u'/');
  std::filesystem::resize_file(std::filesystem::path(host_path), cut);
  EXPECT_EQ(file->Lookup(kRtIcon, Id(40)).status, Status::kNotLoadable);
  std::size_t intact = 0;
  for (const auto& r : layout.resources) {
    const ResourceData stored = memory->LookupLanguage(r.type, r.name, r.language);
    const ResourceData read = file->LookupLanguage(r.type, r.name, r.language);
    const bool whole = r.data_offset + stored.bytes.size() <= cut;
    EXPECT_EQ(read.found(), whole) << Show(r.name);
    if (whole) {
      EXPECT_EQ(ToBytes(read.bytes), ToBytes(stored.bytes)) << Show(r.name);
    }
    intact += whole;
  }
  EXPECT_GE(intact, 4u);
}

// --- Damaged resource directories ---------------------------------------------

struct Damaged : ::testing::Test {
  void SetUp() override {
    builder.AddIconGroup(Text(u"FIRST"), {{Blob(30, 1)}});
    builder.AddIconGroup(Text(u"SECOND"), {{Blob(30, 2)}});
    builder.AddIconGroup(Id(3), {{Blob(30, 3)}, {Blob(30, 4)}});
    image = builder.Build(&layout);
    section_end = layout.resource_offset + GetU32(image, layout.section_header_offset + 16);
  }
  ResourceData Group(const ResourceName& name) {
    module = OpenImage(image);
    return module ? module->Lookup(kRtGroupIcon, name) : ResourceData{};
  }

  PeBuilder builder;
  PeLayout layout;
  Bytes image;
  std::size_t section_end = 0;
  std::unique_ptr<PeResourceModule> module;
};

TEST_F(Damaged, DataOutsideTheFileIsNotLoadable) {
  const std::size_t entry = Placement(layout, kRtGroupIcon, Text(u"SECOND")).data_entry_offset;
  const std::uint32_t rva = GetU32(image, entry);
  const std::uint32_t raw_size = GetU32(image, layout.section_header_offset + 16);
  struct Case {
    const char* what;
    std::uint32_t rva, size;
  };
  for (const Case c : {Case{"size past the end of the file", rva, 0x10000},
                       Case{"size near 4 GiB", rva, 0xFFFFFFF0u},
                       Case{"RVA in no section", 0x9000, 20}, Case{"RVA in the headers", 0x10, 20},
                       Case{"RVA past the raw data", layout.resource_rva + raw_size, 4},
                       Case{"RVA near 4 GiB", 0xFFFFFFF0u, 20}}) {
    SCOPED_TRACE(c.what);
    PutU32(image, entry, c.rva);
    PutU32(image, entry + 4, c.size);
    EXPECT_EQ(Group(Text(u"SECOND")).status, Status::kNotLoadable);
    // The neighbours are untouched.
    EXPECT_EQ(Group(Text(u"FIRST")).status, Status::kFound);
    EXPECT_EQ(module->EnumerateNames(kRtGroupIcon).size(), 3u);
  }
  // The last byte of the file is still inside.
  PutU32(image, entry, layout.resource_rva + raw_size - 1);
  PutU32(image, entry + 4, 1);
  EXPECT_EQ(Group(Text(u"SECOND")).bytes.size(), 1u);
}

TEST_F(Damaged, DirectoriesOutsideTheSectionAreLeftOut) {
  const std::size_t names = NameDirectory(image, layout, kRtGroupIcon);
  // The language directory of "FIRST" lies past the section: listed, not found.
  PutU32(image, names + 16 + 4, kHighBit | 0x7FFFFFF0u);
  EXPECT_EQ(Group(Text(u"FIRST")).status, Status::kNotFound);
  EXPECT_EQ(module->EnumerateNames(kRtGroupIcon).size(), 3u);
  EXPECT_EQ(Group(Text(u"SECOND")).status, Status::kFound);

  // The name of "SECOND" lies past the section, or runs past its end: left out.
  const std::uint32_t last_byte =
      static_cast<std::uint32_t>(section_end - 1 - layout.resource_offset);
  for (const std::uint32_t bad : {kHighBit | 0x7FFFFFFEu, kHighBit | last_byte}) {
    Bytes copy = image;
    PutU32(copy, names + 24, bad);
    module = OpenImage(copy);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->EnumerateNames(kRtGroupIcon),
              (std::vector<ResourceName>{Text(u"FIRST"), Id(3)}));
  }
  const std::size_t string_at = layout.resource_offset + (GetU32(image, names + 24) & ~kHighBit);
  PutU16(image, string_at, 0xFFFF);  // a length far past the end
  module = OpenImage(image);
  ASSERT_TRUE(module);
  EXPECT_EQ(module->EnumerateNames(kRtGroupIcon),
            (std::vector<ResourceName>{Text(u"FIRST"), Id(3)}));

  // The whole name directory of the group type lies outside: no groups, icons still there.
  PutU32(image, TypeEntry(image, layout, kRtGroupIcon) + 4, kHighBit | 0x00FFFFF0u);
  module = OpenImage(image);
  ASSERT_TRUE(module);
  EXPECT_TRUE(module->EnumerateNames(kRtGroupIcon).empty());
  EXPECT_EQ(module->EnumerateNames(kRtIcon).size(), 4u);
}

TEST_F(Damaged, CyclesAndExtraLevelsEndInNotFound) {
  const std::size_t names = NameDirectory(image, layout, kRtGroupIcon);
  // "FIRST" leads back to the root directory, "SECOND" to its own name directory.
  PutU32(image, names + 16 + 4, kHighBit);
  PutU32(image, names + 24 + 4,
         kHighBit | static_cast<std::uint32_t>(names - layout.resource_offset));
  // The icon type's name directory is the root itself.
  Bytes looped = image;
  PutU32(looped, TypeEntry(looped, layout, kRtIcon) + 4, kHighBit);
  EXPECT_EQ(Group(Text(u"FIRST")).status, Status::kNotFound);
  EXPECT_EQ(Group(Text(u"SECOND")).status, Status::kNotFound);
  EXPECT_EQ(Group(Id(3)).status, Status::kFound);
  module = OpenImage(looped);
  ASSERT_TRUE(module);
  EXPECT_EQ(module->EnumerateNames(kRtIcon), (std::vector<ResourceName>{Id(3), Id(14)}));
  EXPECT_EQ(module->Lookup(kRtIcon, Id(14)).status, Status::kNotFound);

  // A name that leads straight to data is listed but cannot be looked up.
  const std::size_t data_entry = Placement(layout, kRtGroupIcon, Id(3)).data_entry_offset;
  PutU32(image, names + 32 + 4, static_cast<std::uint32_t>(data_entry - layout.resource_offset));
  EXPECT_EQ(Group(Id(3)).status, Status::kNotFound);
  EXPECT_EQ(module->EnumerateNames(kRtGroupIcon).size(), 3u);
}

TEST_F(Damaged, AbsurdEntryCountsAreCutToTheSection) {
  const std::size_t names = NameDirectory(image, layout, kRtGroupIcon);
  PutU16(image, names + 12, 0xFFFF);
  PutU16(image, names + 14, 0xFFFF);
  module = OpenImage(image);
  ASSERT_TRUE(module);
  const auto listed = module->EnumerateNames(kRtGroupIcon);
  ASSERT_GE(listed.size(), 3u);
  EXPECT_LE(listed.size(), (section_end - names - 16) / 8);
  EXPECT_EQ(listed[0], Text(u"FIRST"));
  EXPECT_EQ(listed[1], Text(u"SECOND"));
  EXPECT_EQ(listed[2], Id(3));
  EXPECT_EQ(ToBytes(module->Lookup(kRtGroupIcon, Id(3)).bytes).size(), 6u + 2 * 14);
}

TEST(PeReaderDamage, MissingOrMisplacedResourceDirectoryMeansNoResources) {
  PeLayout layout;
  const Bytes module = PeBuilder().Add(kRtGroupIcon, Id(1), Blob(6, 1)).Build(&layout);
  const std::size_t optional = 0x40 + 24;
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  for (const Case c :
       {Case{"two data directories", optional + 92, 2},
        Case{"resource RVA in no section", optional + 96 + 16, 0x8000},
        Case{"resource RVA zero", optional + 96 + 16, 0}, Case{"no sections", 0x40 + 4 + 2, 0},
        Case{"section table past the end", 0x40 + 4 + 16, 0xFFF0}}) {
    SCOPED_TRACE(c.what);
    Bytes image = module;
    if (c.at == 0x40 + 4 + 2 || c.at == 0x40 + 4 + 16) {
      PutU16(image, c.at, static_cast<std::uint16_t>(c.value));
    } else {
      PutU32(image, c.at, c.value);
    }
    const auto opened = OpenImage(image);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->EnumerateNames(kRtGroupIcon).empty());
    EXPECT_EQ(opened->Lookup(kRtGroupIcon, Id(1)).status, Status::kNotFound);
  }
}

TEST(PeReaderDamage, NamesSharingOneHugeStringAreCappedPerType) {
  PeBuilder builder;
  builder.Add(kRtGroupIcon, Text(std::u16string(0xFFFF, u'N')), Blob(6, 0));
  for (std::uint32_t i = 1; i <= 200; ++i) {
    std::u16string name = u"G";
    name += ToDecimal(i);
    builder.Add(kRtGroupIcon, Text(name), Blob(6, i));
  }
  PeLayout layout;
  Bytes image = builder.Build(&layout);
  const std::size_t names = NameDirectory(image, layout, kRtGroupIcon);
  // The long name sorts last among the strings; every other entry now points to it.
  const std::uint32_t huge = GetU32(image, names + 16 + 8 * 200);
  for (std::size_t i = 0; i < 200; ++i) PutU32(image, names + 16 + 8 * i, huge);

  const auto module = OpenImage(image);
  ASSERT_TRUE(module);
  const auto listed = module->EnumerateNames(kRtGroupIcon);
  std::uint64_t units = 0;
  for (const auto& n : listed) units += n.text.size();
  EXPECT_LE(units, PeResourceModule::kMaxNameUnitsPerType);
  EXPECT_GT(listed.size(), 10u);
  EXPECT_LT(listed.size(), 201u);
}

// --- Thousands of damaged variants --------------------------------------------

// Fixture images small enough to damage at every byte.
Bytes SmallModule(PeMachine machine) {
  PeBuilder builder(machine);
  builder.AddIconGroup(Text(u"MAINICON"), {{Blob(24, 1)}, {MakePngImage(256, 256), 0, 0}});
  builder.AddIconGroup(Text(u"Ярлык"), {{Blob(20, 2)}});
  builder.AddIconGroup(Id(2), {{Blob(16, 3)}});
  builder.Add(kRtGroupIcon, Id(9), MakeGroupDirectory({MakeGroupEntry(16, 16, 32, 16, 3)}), 0x0409);
  builder.Add(kRtGroupIcon, Id(9), MakeGroupDirectory({}), 0x0419);
  builder.Add(6, Id(1), Blob(12, 4));
  return builder.Build();
}

struct Exercise {
  std::size_t opened = 0, rejected = 0, found = 0, outside = 0;

  // Everything a caller would do with an opened module; every byte it is given
  // must lie inside the module's image.
  void Run(Bytes image) {
    const auto module = PeResourceModule::FromBytes(std::move(image));
    if (!module) {
      ++rejected;
      return;
    }
    ++opened;
    const ByteView all = module->image();
    auto check = [&](const ResourceData& data) {
      if (!data.found()) return;
      ++found;
      if (!data.bytes.empty() && (data.bytes.data() < all.data() ||
                                  data.bytes.data() + data.bytes.size() > all.data() + all.size()))
        ++outside;
    };
    for (const std::uint16_t type : {kRtIcon, kRtGroupIcon, std::uint16_t{6}}) {
      for (const auto& name : module->EnumerateNames(type)) {
        const ResourceData data = module->Lookup(type, name);
        check(data);
        if (type != kRtGroupIcon || !data.found()) continue;
        const auto count = ReadU16LE(data.bytes, 4).value_or(0);
        for (std::size_t k = 0; k < count; ++k) {
          const auto id = ReadU16LE(data.bytes, 6 + 14 * k + 12);
          if (!id) break;
          check(module->Lookup(kRtIcon, Id(*id)));
        }
      }
    }
    check(module->Lookup(kRtGroupIcon, Text(u"mainicon")));
    check(module->Lookup(kRtGroupIcon, Id(0x10002)));
  }
};

TEST(PeReaderDamage, SurvivesThousandsOfDamagedImages) {
  for (const PeMachine machine : {PeMachine::kI386, PeMachine::kAmd64}) {
    SCOPED_TRACE(machine == PeMachine::kI386 ? "PE32" : "PE32+");
    const Bytes original = SmallModule(machine);
    Exercise intact;
    intact.Run(original);
    ASSERT_EQ(intact.opened, 1u);
    ASSERT_GE(intact.found, 9u);

    Exercise run;
    // Every byte set to a few telling values.
    for (std::size_t at = 0; at < original.size(); ++at)
      for (const int kind : {0, 1, 2, 3}) {
        Bytes image = original;
        const std::uint8_t was = image[at];
        image[at] = kind == 0 ? 0x00 : kind == 1 ? 0xFF : kind == 2 ? was ^ 0x80 : was + 1;
        run.Run(std::move(image));
      }
    // Every length.
    for (std::size_t length = 0; length <= original.size(); ++length)
      run.Run(Bytes(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(length)));
    // Random 32-bit values written at random places, a few at a time.
    std::mt19937 random(20260101);
    for (int variant = 0; variant < 4000; ++variant) {
      Bytes image = original;
      const int writes = 1 + static_cast<int>(random() % 6);
      for (int w = 0; w < writes; ++w) {
        const std::size_t at = random() % (image.size() - 3);
        const std::uint32_t pick = random() % 4;
        const std::uint32_t value = pick == 0   ? random()
                                    : pick == 1 ? 0x80000000u | (random() % 0x2000)
                                    : pick == 2 ? random() % 0x2000
                                                : 0xFFFFFFFFu;
        PutU32(image, at & ~std::size_t{1}, value);
      }
      run.Run(std::move(image));
    }
    EXPECT_EQ(run.outside, 0u);
    EXPECT_GT(run.opened, run.rejected);  // most damage leaves the headers readable
    EXPECT_GT(run.rejected, 0u);
    EXPECT_GT(run.found, run.opened);  // and most modules still give resources
  }
}

}  // namespace
}  // namespace zandrel::icons
