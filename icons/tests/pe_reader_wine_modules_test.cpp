// The reader on real modules that nobody here wrote: Wine's own DLLs. On the
// host it is also held against wrestool (icoutils), an independent reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "core/file_io.h"
#include "core/text.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/pe_reader.h"
#include "tests/support/resource_printing.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wine_modules.h"

namespace zandrel::icons {
namespace {

using zandrel::testing::WineArch;
using zandrel::testing::WineModulePath;
using Status = ResourceData::Status;

struct KnownModule {
  WineArch arch;
  const char16_t* file;
  std::size_t groups;
  std::size_t named;
};

const KnownModule kKnownModules[] = {
    {WineArch::kI386, u"shell32.dll", 184, 2},  {WineArch::kX86_64, u"shell32.dll", 184, 2},
    {WineArch::kI386, u"comdlg32.dll", 10, 10}, {WineArch::kX86_64, u"comdlg32.dll", 10, 10},
    {WineArch::kI386, u"user32.dll", 7, 0},     {WineArch::kX86_64, u"user32.dll", 7, 0},
};

std::string Show(const ResourceName& name) {
  return ::testing::PrintToString(name);
}

Bytes ToBytes(ByteView view) {
  return Bytes(view.begin(), view.end());
}

TEST(WineModules, GroupsMatchTheKnownCountsAndDirectoryOrder) {
  for (const auto& known : kKnownModules) {
    const std::u16string path = WineModulePath(known.arch, known.file);
    SCOPED_TRACE(ToUtf8(path));
    if (!FileExists(path)) GTEST_SKIP() << "Wine's modules are not installed";
    const auto module = PeResourceModule::FromFile(path);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->is_pe32_plus(), known.arch == WineArch::kX86_64);

    const auto names = module->EnumerateNames(kRtGroupIcon);
    ASSERT_EQ(names.size(), known.groups);
    const auto first_id =
        std::find_if(names.begin(), names.end(), [](const ResourceName& n) { return n.is_id; });
    EXPECT_EQ(static_cast<std::size_t>(first_id - names.begin()), known.named);
    EXPECT_TRUE(std::all_of(first_id, names.end(), [](const ResourceName& n) { return n.is_id; }));
    EXPECT_TRUE(std::is_sorted(
        names.begin(), first_id,
        [](const ResourceName& a, const ResourceName& b) { return a.text < b.text; }));
    EXPECT_TRUE(
        std::is_sorted(first_id, names.end(),
                       [](const ResourceName& a, const ResourceName& b) { return a.id < b.id; }));

    // Every group and every image it lists can be read, at the size the group declares.
    for (const auto& name : names) {
      const ResourceData group = module->Lookup(kRtGroupIcon, name);
      ASSERT_EQ(group.status, Status::kFound) << Show(name);
      const std::uint16_t count = ReadU16LE(group.bytes, 4).value_or(0);
      ASSERT_GE(group.bytes.size(), 6u + 14u * count) << Show(name);
      for (std::size_t k = 0; k < count; ++k) {
        const std::uint16_t id = *ReadU16LE(group.bytes, 6 + 14 * k + 12);
        const ResourceData image = module->Lookup(kRtIcon, ResourceName::Id(id));
        ASSERT_EQ(image.status, Status::kFound) << Show(name) << " image " << id;
        EXPECT_EQ(image.bytes.size(), *ReadU32LE(group.bytes, 6 + 14 * k + 8));
      }
    }
  }
}

TEST(WineModules, ATruncatedModuleGivesWhatIsLeftOrNothing) {
  const std::u16string path = WineModulePath(WineArch::kI386, u"shell32.dll");
  const auto full_bytes = ReadFileBytes(path);
  if (!full_bytes) GTEST_SKIP() << "Wine's modules are not installed";
  const auto full = PeResourceModule::FromBytes(*full_bytes);
  ASSERT_TRUE(full);
  const auto names = full->EnumerateNames(kRtGroupIcon);
  ASSERT_FALSE(names.empty());

  // Cut inside the headers: not a module.
  for (const std::size_t length : {0x20, 0x70, 0x90, 0xC0}) {
    PeOpenError error = PeOpenError::kNone;
    EXPECT_FALSE(PeResourceModule::FromBytes(
        Bytes(full_bytes->begin(), full_bytes->begin() + length), &error))
        << length;
    EXPECT_NE(error, PeOpenError::kNone);
  }

  // Cut in the middle of the group data: the groups before the cut read as
  // before, the ones it cuts are not loadable.
  auto offset_of = [&](const ResourceName& name) {
    return static_cast<std::size_t>(full->Lookup(kRtGroupIcon, name).bytes.data() -
                                    full->image().data());
  };
  const std::size_t cut = offset_of(names[names.size() / 2]) + 3;
  const auto truncated =
      PeResourceModule::FromBytes(Bytes(full_bytes->begin(), full_bytes->begin() + cut));
  ASSERT_TRUE(truncated);
  ASSERT_EQ(truncated->EnumerateNames(kRtGroupIcon), names);
  std::size_t readable = 0;
  for (const auto& name : names) {
    const ResourceData before = full->Lookup(kRtGroupIcon, name);
    const ResourceData after = truncated->Lookup(kRtGroupIcon, name);
    if (offset_of(name) + before.bytes.size() <= cut) {
      ++readable;
      EXPECT_EQ(ToBytes(after.bytes), ToBytes(before.bytes)) << Show(name);
    } else {
      EXPECT_EQ(after.status, Status::kNotLoadable) << Show(name);
    }
  }
  EXPECT_GT(readable, 0u);
  EXPECT_LT(readable, names.size());
}

#ifndef _WIN32

// Output of a shell command, or nullopt when it fails.
std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string out;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, got);
  return pclose(pipe) == 0 ? std::optional<std::string>(out) : std::nullopt;
}

struct Listed {
  ResourceName name;
  std::string file_part;  // the name as wrestool writes it into file names
  std::string language;
  std::size_t size = 0;
};

// Lines such as: --type=14 --name='CDROM' --language=0 [type=group_icon offset=0x13d074 size=146]
std::vector<Listed> ParseListing(const std::string& text) {
  std::vector<Listed> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    const auto name_at = line.find("--name=");
    const auto language_at = line.find("--language=");
    const auto size_at = line.find("size=");
    if (name_at == std::string::npos || language_at == std::string::npos ||
        size_at == std::string::npos)
      continue;
    Listed item;
    std::string name = line.substr(name_at + 7, line.find(' ', name_at) - name_at - 7);
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') {
      name = name.substr(1, name.size() - 2);
      item.name = ResourceName::Text(FromUtf8(name));
    } else {
      item.name = ResourceName::Id(static_cast<std::uint32_t>(std::stoul(name)));
    }
    item.file_part = name;
    item.language = line.substr(language_at + 11, line.find(' ', language_at) - language_at - 11);
    item.size = std::stoul(line.substr(size_at + 5));
    out.push_back(item);
  }
  return out;
}

// The rows the icon list shows (name, image count, sizes text), worked out
// here straight from wrestool's raw resources, against the listing code.
void ExpectListingRows(const PeResourceModule& module, const std::vector<Listed>& groups,
                       const std::vector<Listed>& icons, const std::string& stem) {
  const std::vector<std::u16string> names = CollectGroupNames(module);
  ASSERT_EQ(names.size(), groups.size());
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const Listed& group = groups[g];
    const std::string expected_name =
        group.name.is_id ? "ID:" + std::to_string(group.name.id) : group.file_part;
    EXPECT_EQ(ToUtf8(names[g]), expected_name);
    const auto dir =
        ReadFileBytes(FromUtf8(stem + "_14_" + group.file_part + "_" + group.language + ".ico"));
    ASSERT_TRUE(dir && dir->size() >= 6);
    const unsigned count = (*dir)[4] | ((*dir)[5] << 8);
    std::string sizes;
    for (unsigned k = 0; k < count && 6 + 14 * (k + 1) <= dir->size(); ++k) {
      const std::uint8_t* e = dir->data() + 6 + 14 * k;
      unsigned w = e[0], h = e[1];
      const unsigned bits = e[6] | (e[7] << 8);
      const unsigned id = e[12] | (e[13] << 8);
      bool png = false;
      if (w == 0 && h == 0) {
        w = h = 256;
        for (const auto& icon : icons) {
          if (!icon.name.is_id || icon.name.id != id) continue;
          const auto image =
              ReadFileBytes(FromUtf8(stem + "_3_" + icon.file_part + "_" + icon.language));
          if (image && image->size() >= 24 && (*image)[0] == 0x89 && (*image)[1] == 'P' &&
              std::string(image->begin() + 12, image->begin() + 16) == "IHDR") {
            png = true;
            w = ((*image)[16] << 24) | ((*image)[17] << 16) | ((*image)[18] << 8) | (*image)[19];
            h = ((*image)[20] << 24) | ((*image)[21] << 16) | ((*image)[22] << 8) | (*image)[23];
          }
          break;
        }
      } else {
        w = w ? w : 256;
        h = h ? h : 256;
      }
      if (!sizes.empty()) sizes += ", ";
      sizes += std::to_string(w) + "x" + std::to_string(h);
      if (png)
        sizes += " (PNG)";
      else if (bits > 0)
        sizes += " (" + std::to_string(bits) + "-bit)";
    }
    EXPECT_EQ(GetGroupImageCount(names[g], module), count) << expected_name;
    EXPECT_EQ(ToUtf8(DescribeGroupSizes(names[g], module)), sizes) << expected_name;
  }
}

TEST(WineModules, AgreeWithWrestool) {
  if (!RunCommand("wrestool --version >/dev/null 2>&1"))
    GTEST_SKIP() << "wrestool (icoutils) is missing";
  for (const auto& known : kKnownModules) {
    const std::u16string path = WineModulePath(known.arch, known.file);
    SCOPED_TRACE(ToUtf8(path));
    if (!FileExists(path)) GTEST_SKIP() << "Wine's modules are not installed";
    const auto module = PeResourceModule::FromFile(path);
    ASSERT_TRUE(module);
    const zandrel::testing::TempFolder folder;
    const std::string out_dir = ToUtf8(folder.path());
    const std::string file = "'" + ToUtf8(path) + "'";

    std::map<std::uint16_t, std::vector<Listed>> listings;
    for (const std::uint16_t type : {kRtGroupIcon, kRtIcon}) {
      SCOPED_TRACE("type " + std::to_string(type));
      const auto listing = RunCommand("wrestool -l -t" + std::to_string(type) + " " + file);
      ASSERT_TRUE(listing);
      const auto& listed = listings[type] = ParseListing(*listing);
      ASSERT_FALSE(listed.empty());
      std::vector<ResourceName> expected;
      for (const auto& item : listed) expected.push_back(item.name);
      EXPECT_EQ(module->EnumerateNames(type), expected);

      ASSERT_TRUE(RunCommand("wrestool -x --raw -t" + std::to_string(type) + " -o '" + out_dir +
                             "' " + file));
      const std::string prefix =
          out_dir + "/" + ToUtf8(known.file) + "_" + std::to_string(type) + "_";
      const std::string suffix = type == kRtGroupIcon ? ".ico" : "";
      for (const auto& item : listed) {
        const auto extracted =
            ReadFileBytes(FromUtf8(prefix + item.file_part + "_" + item.language + suffix));
        ASSERT_TRUE(extracted) << Show(item.name);
        const ResourceData data = module->Lookup(type, item.name);
        ASSERT_EQ(data.status, Status::kFound) << Show(item.name);
        EXPECT_EQ(data.bytes.size(), item.size) << Show(item.name);
        EXPECT_TRUE(ToBytes(data.bytes) == *extracted) << Show(item.name);
      }
    }
    ExpectListingRows(*module, listings[kRtGroupIcon], listings[kRtIcon],
                      out_dir + "/" + ToUtf8(known.file));
  }
}

#endif  // !_WIN32

}  // namespace
}  // namespace zandrel::icons
