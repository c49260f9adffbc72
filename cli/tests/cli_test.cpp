// zandrel-cli as scripts use it: the shapes of its output, file names that
// never leave the output folder,
// several modules, system-resources files, and the exit codes.

#include "cli/cli.h"
#include "cli/tests/cli_run.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/text.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/ico_writer.h"
#include "icons/output_names.h"
#include "icons/pe_reader.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wine_modules.h"

namespace zandrel::cli {
namespace {

namespace fs = std::filesystem;
using icons::ResourceName;

std::set<std::string> FilesBelow(const std::u16string& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(U8(folder))))
    if (entry.is_regular_file())
      files.insert(fs::relative(entry.path(), fs::path(U8(folder))).generic_string());
  return files;
}

void WriteModule(const std::u16string& path, const std::vector<ResourceName>& groups) {
  testing::PeBuilder pe;
  for (const ResourceName& name : groups)
    pe.AddIconGroup(name, {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
  pe.WriteTo(path);
}

class CliTest : public ::testing::Test {
 protected:
  std::u16string Path(const std::u16string& name) const { return dir.path() + u"/" + name; }
  testing::TempFolder dir;
};

// The rows and files themselves are held against the real window in the
// Windows tier (mainwindow's cli_against_window_test); here, the shapes
// scripts rely on: tab-separated lines, a JSON array, an object keyed by
// path for several files, and extract's file names.
TEST_F(CliTest, ListPrintsTabbedRowsOrJsonAndExtractNamesFilesAsExtractAll) {
  WriteModule(Path(u"one.dll"), {ResourceName::Id(5), ResourceName::Text(u"NAMED")});
  WriteModule(Path(u"two.dll"), {ResourceName::Id(7)});
  const Result text = Cli({"list", U8(Path(u"one.dll"))});
  EXPECT_EQ(text.out, "0\tNAMED\t1\t16x16 (32-bit)\n1\tID:5\t1\t16x16 (32-bit)\n");
  const nlohmann::json array =
      nlohmann::json::parse(Cli({"list", "--json", U8(Path(u"one.dll"))}).out);
  ASSERT_TRUE(array.is_array());
  EXPECT_EQ(array[1]["name"], "ID:5");
  EXPECT_EQ(array[1]["images"], 1);
  const nlohmann::json keyed = nlohmann::json::parse(
      Cli({"list", "--json", U8(Path(u"one.dll")), U8(Path(u"two.dll"))}).out);
  ASSERT_TRUE(keyed.is_object());
  EXPECT_EQ(keyed[U8(Path(u"two.dll"))][0]["name"], "ID:7");
  EXPECT_EQ(Cli({"extract", U8(Path(u"one.dll")), "-o", U8(Path(u"out"))}).code, kAllDone);
  EXPECT_EQ(FilesBelow(Path(u"out")), (std::set<std::string>{"icon_5.ico", "icon_NAMED.ico"}));
}

TEST_F(CliTest, GroupsArePickedByNameOrIndexAndNamesNeverLeaveTheOutputFolder) {
  const std::u16string module = Path(u"hostile.dll");
  WriteModule(module, {ResourceName::Text(u"..\\..\\EVIL"), ResourceName::Text(u"A/B:C"),
                       ResourceName::Text(u".."), ResourceName::Id(7)});
  const std::u16string out = Path(u"out/inner");
  const Result all = Cli({"extract", U8(module), "-o", U8(out)});
  ASSERT_EQ(all.code, kAllDone) << all.err;
  // Everything landed in the folder itself; nothing beside or above it.
  const std::set<std::string> inside = FilesBelow(out);
  EXPECT_EQ(inside.size(), 4u);
  for (const std::string& file : inside) EXPECT_EQ(file.find('/'), std::string::npos) << file;
  EXPECT_EQ(FilesBelow(Path(u"out")).size(), 4u);
  EXPECT_FALSE(FileExists(Path(u"EVIL.ico")));

  const std::u16string picked = Path(u"picked");
  const Result some = Cli({"extract", U8(module), "-o", U8(picked), "--group", "ID:7", "--group",
                           "1", "--group", "id:7"});
  ASSERT_EQ(some.code, kAllDone) << some.err;
  // String names come first, in the module's order: index 1 is "..\..\EVIL".
  EXPECT_EQ(FilesBelow(picked), (std::set<std::string>{"icon_7.ico", "icon_.._.._EVIL.ico"}));

  const Result missing = Cli({"extract", U8(module), "-o", U8(picked), "--group", "NOPE"});
  EXPECT_EQ(missing.code, kSomeGroupsFailed);
  EXPECT_NE(missing.err.find("no group NOPE"), std::string::npos) << missing.err;
}

TEST_F(CliTest, SeveralModulesGetAFolderEachAndSystemResourcesAreFound) {
  fs::create_directories(U8(Path(u"a")));
  fs::create_directories(U8(Path(u"b")));
  WriteModule(Path(u"a/same.dll"), {ResourceName::Id(1)});
  WriteModule(Path(u"b/same.dll"), {ResourceName::Id(2)});
  const Result result = Cli({"extract", U8(Path(u"a/same.dll")), U8(Path(u"b/same.dll")), "-o",
                             U8(Path(u"out"))});
  ASSERT_EQ(result.code, kAllDone) << result.err;
  EXPECT_EQ(FilesBelow(Path(u"out")),
            (std::set<std::string>{"same.dll/icon_1.ico", "same.dll_2/icon_2.ico"}));

  // On a terminal a progress line counts the modules; piped, nothing.
  std::ostringstream out, err;
  Environment terminal;
  terminal.progress_terminal = true;
  cli::Run({"zandrel-cli", "list", U8(Path(u"a/same.dll")), U8(Path(u"b/same.dll"))}, out, err,
           terminal);
  EXPECT_NE(err.str().find("[2/2] " + U8(Path(u"b/same.dll"))), std::string::npos) << err.str();
  EXPECT_EQ(err.str().find("[1/2]"), err.str().find('['));
  EXPECT_EQ(result.err, "");

  // A folder stands for the modules in it.
  const Result folder = Cli({"list", U8(Path(u"a"))});
  EXPECT_EQ(folder.out, "0\tID:1\t1\t16x16 (32-bit)\n");

  // A system module without icon groups, and its .mun beside the Windows
  // folder as Windows 10 lays them out.
  fs::create_directories(U8(Path(u"Windows/System32")));
  fs::create_directories(U8(Path(u"Windows/SystemResources")));
  WriteModule(Path(u"Windows/System32/imageres.dll"), {});
  WriteModule(Path(u"Windows/SystemResources/imageres.dll.mun"), {ResourceName::Id(42)});
  const std::u16string found = SystemResourcesFile(Path(u"Windows/System32/imageres.dll"));
  ASSERT_FALSE(found.empty());
  EXPECT_TRUE(fs::equivalent(fs::path(U8(found)), fs::path(U8(Path(u"Windows/SystemResources/imageres.dll.mun")))));
  const Result mun = Cli({"list", U8(Path(u"Windows/System32/imageres.dll"))});
  EXPECT_EQ(mun.code, kAllDone);
  EXPECT_EQ(mun.out, "0\tID:42\t1\t16x16 (32-bit)\n");
  EXPECT_NE(mun.err.find("imageres.dll.mun"), std::string::npos) << mun.err;
  EXPECT_TRUE(SystemResourcesFile(Path(u"a/same.dll")).empty());
}

// Icon locations: printed for every group, and taken wherever a module is,
// narrowed to the one group they name.
TEST_F(CliTest, IconLocationsArePrintedAndTakenInPlaceOfAModule) {
  WriteModule(Path(u"loc.dll"), {ResourceName::Text(u"MAIN"), ResourceName::Id(8)});
  const Result list = Cli({"list", "--locations", U8(Path(u"loc.dll"))});
  // The module's absolute path (written with an environment folder where it
  // lies in one), then the position or minus the identifier.
  const std::size_t first_end = list.out.find('\n');
  ASSERT_NE(first_end, std::string::npos) << list.out;
  const std::string first = list.out.substr(0, first_end);
  const std::string module =
      first.substr(first.rfind('\t') + 1, first.size() - first.rfind('\t') - 3);
  EXPECT_EQ(list.out, "0\tMAIN\t1\t16x16 (32-bit)\t" + module + ",0\n1\tID:8\t1\t16x16 (32-bit)\t" +
                          module + ",-8\n");
  EXPECT_TRUE(module.ends_with("loc.dll")) << module;
  EXPECT_EQ(Cli({"list", module + ",-8"}).out, "1\tID:8\t1\t16x16 (32-bit)\n");
  EXPECT_EQ(Cli({"extract", module + ",0", "-o", U8(Path(u"one"))}).code, kAllDone);
  EXPECT_EQ(FilesBelow(Path(u"one")), (std::set<std::string>{"icon_MAIN.ico"}));
  const Result none = Cli({"extract", module + ",-9", "-o", U8(Path(u"none"))});
  EXPECT_EQ(none.code, kSomeGroupsFailed);
  EXPECT_NE(none.err.find("no group at location -9"), std::string::npos) << none.err;
}

TEST_F(CliTest, ExitCodesAndMessagesNameWhatWentWrong) {
  WriteFileAtomically(Path(u"notes.txt"), ByteView(reinterpret_cast<const std::uint8_t*>("text"), 4));
  const Result not_module = Cli({"list", U8(Path(u"notes.txt"))});
  EXPECT_EQ(not_module.code, kSourceMissing);
  EXPECT_NE(not_module.err.find("not a Windows module"), std::string::npos);
  const Result missing = Cli({"extract", U8(Path(u"gone.dll")), "-o", U8(Path(u"o"))});
  EXPECT_EQ(missing.code, kSourceMissing);
  EXPECT_NE(missing.err.find("no such file"), std::string::npos);
  EXPECT_TRUE(missing.out.empty());

  EXPECT_EQ(Cli({}).code, kUsageError);
  const Result unknown = Cli({"list", "--frobnicate", "x.dll"});
  EXPECT_EQ(unknown.code, kUsageError);
  EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos) << unknown.err;
  EXPECT_EQ(Cli({"list"}).code, kUsageError);

  const Result help = Cli({"--help"});
  EXPECT_EQ(help.code, kAllDone);
  EXPECT_NE(help.out.find("extract"), std::string::npos);
  const Result version = Cli({"--version"});
  EXPECT_EQ(version.code, kAllDone);
  EXPECT_NE(version.out.find('.'), std::string::npos) << version.out;
}

// A cursor group of two images with their hotspots, as a resource compiler
// stores it.
Bytes CursorGroup(const std::vector<std::pair<std::uint16_t, std::uint16_t>>& sides_and_ids) {
  Bytes group;
  AppendU16LE(group, 0);
  AppendU16LE(group, 2);
  AppendU16LE(group, static_cast<std::uint16_t>(sides_and_ids.size()));
  for (const auto& [side, id] : sides_and_ids) {
    AppendU16LE(group, side);
    AppendU16LE(group, static_cast<std::uint16_t>(side * 2));
    AppendU16LE(group, 1);
    AppendU16LE(group, 32);
    AppendU32LE(group, 0);
    AppendU16LE(group, id);
  }
  return group;
}

TEST_F(CliTest, CursorGroupsBecomeCurFilesWithTheirHotspotsAndLanguagesAreKeptApart) {
  const Bytes small = testing::MakeDibIconImage(16, 16, 1);
  const Bytes large = testing::MakeDibIconImage(32, 32, 2);
  Bytes cursor1 = {5, 0, 7, 0};  // hotspot (5, 7)
  cursor1.insert(cursor1.end(), small.begin(), small.end());
  Bytes cursor2 = {30, 0, 1, 0};
  cursor2.insert(cursor2.end(), large.begin(), large.end());
  testing::PeBuilder pe;
  pe.Add(icons::kRtCursor, ResourceName::Id(1), cursor1);
  pe.Add(icons::kRtCursor, ResourceName::Id(2), cursor2);
  pe.Add(icons::kRtGroupCursor, ResourceName::Text(u"ARROW"), CursorGroup({{16, 1}, {32, 2}}));
  // An icon group in English and in Russian, each with an image of its own.
  pe.AddIconGroup(ResourceName::Id(3), {{testing::MakeDibIconImage(16, 16, 3), 16, 16, 32}}, 1033);
  pe.AddIconGroup(ResourceName::Id(3), {{testing::MakeDibIconImage(48, 48, 4), 48, 48, 32}}, 1049);
  const std::u16string module = Path(u"cursors.dll");
  pe.WriteTo(module);

  const Result list = Cli({"list", "--type", "cursor", U8(module)});
  EXPECT_EQ(list.out, "0\tARROW\t2\t16x16 (32-bit), 32x32 (32-bit)\n") << list.err;
  const Result extract = Cli({"extract", "--type", "cursor", U8(module), "-o", U8(Path(u"cur"))});
  ASSERT_EQ(extract.code, kAllDone) << extract.err;
  const auto cur = ReadFileBytes(Path(u"cur/cursor_ARROW.cur"));
  ASSERT_TRUE(cur);
  ASSERT_EQ(*ReadU16LE(*cur, 2), 2);  // a cursor file
  ASSERT_EQ(*ReadU16LE(*cur, 4), 2);
  const std::pair<std::uint16_t, std::uint16_t> hotspots[] = {{5, 7}, {30, 1}};
  const Bytes* bitmaps[] = {&small, &large};
  for (std::size_t i = 0; i < 2; ++i) {
    const std::size_t entry = 6 + 16 * i;
    EXPECT_EQ((*cur)[entry], i == 0 ? 16 : 32);
    EXPECT_EQ((*cur)[entry + 1], i == 0 ? 16 : 32);
    EXPECT_EQ(*ReadU16LE(*cur, entry + 4), hotspots[i].first);
    EXPECT_EQ(*ReadU16LE(*cur, entry + 6), hotspots[i].second);
    const std::uint32_t size = *ReadU32LE(*cur, entry + 8);
    const std::uint32_t offset = *ReadU32LE(*cur, entry + 12);
    ASSERT_EQ(size, bitmaps[i]->size());
    EXPECT_TRUE(std::equal(bitmaps[i]->begin(), bitmaps[i]->end(), cur->begin() + offset));
  }

  // Both languages are listed; each extracts with its own image.
  const Result languages = Cli({"list", "--languages", U8(module)});
  EXPECT_EQ(languages.out, "0\tID:3\t1\t16x16 (32-bit)\t1033,1049\n");
  const nlohmann::json json = nlohmann::json::parse(Cli({"list", "--json", "--languages", U8(module)}).out);
  EXPECT_EQ(json[0]["languages"], nlohmann::json::array({1033, 1049}));
  ASSERT_EQ(Cli({"extract", "--lang", "1049", U8(module), "-o", U8(Path(u"ru"))}).code, kAllDone);
  ASSERT_EQ(Cli({"extract", "--lang", "1033", U8(module), "-o", U8(Path(u"en"))}).code, kAllDone);
  const auto ru = ReadFileBytes(Path(u"ru/icon_3.ico"));
  const auto en = ReadFileBytes(Path(u"en/icon_3.ico"));
  ASSERT_TRUE(ru && en);
  EXPECT_EQ((*ru)[6], 48);
  EXPECT_EQ((*en)[6], 16);
  // A language the module lacks writes nothing and says so.
  const Result none = Cli({"extract", "--lang", "1031", U8(module), "-o", U8(Path(u"de"))});
  EXPECT_EQ(none.code, kAllDone);
  EXPECT_NE(none.err.find("no version in language 1031"), std::string::npos) << none.err;
  EXPECT_FALSE(FileExists(Path(u"de/icon_3.ico")));
  EXPECT_EQ(Cli({"extract", "--type", "cursor", "--png", U8(module)}).code, kUsageError);
}

#ifndef _WIN32
TEST_F(CliTest, WinesUser32CursorsMatchTheRawResourcesAnotherReaderFinds) {
  if (std::system("command -v wrestool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no wrestool";
  const std::u16string user32 = testing::WineModulePath(testing::WineArch::kI386, u"user32.dll");
  ASSERT_EQ(Cli({"extract", "--type", "cursor", U8(user32), "-o", U8(Path(u"cur"))}).code, kAllDone);
  // wrestool's own reading of each cursor group and its raw cursor images.
  const std::string raw = U8(Path(u"raw"));
  fs::create_directories(raw);
  ASSERT_EQ(std::system(("wrestool -x --raw -t12 -o '" + raw + "/' '" + U8(user32) + "'").c_str()), 0);
  ASSERT_EQ(std::system(("wrestool -x --raw -t1 -o '" + raw + "/' '" + U8(user32) + "'").c_str()), 0);
  const auto raw_file = [&](int type, unsigned id) {
    for (const auto& entry : fs::directory_iterator(raw)) {
      const std::string name = entry.path().filename().string();
      if (name.find("_" + std::to_string(type) + "_" + std::to_string(id) + "_") != std::string::npos)
        return ReadFileBytes(FromUtf8(entry.path().string()));
    }
    return std::optional<Bytes>();
  };
  int cursors = 0;
  for (const auto& entry : fs::directory_iterator(U8(Path(u"cur")))) {
    const std::string name = entry.path().filename().string();  // cursor_<id>.cur
    const unsigned group_id = static_cast<unsigned>(std::stoul(name.substr(7)));
    const auto group = raw_file(12, group_id);
    const auto cur = ReadFileBytes(FromUtf8(entry.path().string()));
    ASSERT_TRUE(group && cur) << name;
    const std::uint16_t count = *ReadU16LE(*group, 4);
    ASSERT_EQ(*ReadU16LE(*cur, 4), count) << name;
    for (std::size_t i = 0; i < count; ++i) {
      const auto image = raw_file(1, *ReadU16LE(*group, 6 + 14 * i + 12));
      ASSERT_TRUE(image) << name;
      const std::size_t at = 6 + 16 * i;
      EXPECT_EQ(*ReadU16LE(*cur, at + 4), *ReadU16LE(*image, 0)) << name << " hotspot x";
      EXPECT_EQ(*ReadU16LE(*cur, at + 6), *ReadU16LE(*image, 2)) << name << " hotspot y";
      const std::uint32_t size = *ReadU32LE(*cur, at + 8);
      const std::uint32_t offset = *ReadU32LE(*cur, at + 12);
      ASSERT_EQ(size + 4, image->size()) << name;
      EXPECT_TRUE(std::equal(image->begin() + 4, image->end(), cur->begin() + offset)) << name;
    }
    ++cursors;
  }
  EXPECT_GE(cursors, 10);
}

// Pixels as ImageMagick decodes them, as 8-bit RGBA.
std::string Decoded(const std::string& image) {
  const std::string raw = image + ".raw";
  const std::string command = "convert '" + image + "' -depth 8 rgba:'" + raw + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  const auto bytes = ReadFileBytes(FromUtf8(raw));
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

TEST_F(CliTest, PngImagesDecodeToThePixelsAndTransparencyTheIconShows) {
  if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick";
  const std::u16string module = Path(u"depths.dll");
  testing::PeBuilder pe;
  std::vector<testing::IconImageSpec> images;
  const std::uint16_t depths[] = {1, 4, 8, 24, 32};
  for (std::size_t i = 0; i < std::size(depths); ++i)
    images.push_back({testing::MakeBmpIconImage(16 + 8 * static_cast<std::uint32_t>(i), depths[i],
                                 static_cast<std::uint32_t>(i)),
                      static_cast<std::uint8_t>(16 + 8 * i), static_cast<std::uint8_t>(16 + 8 * i),
                      depths[i]});
  pe.AddIconGroup(ResourceName::Id(9), images);
  pe.WriteTo(module);
  ASSERT_EQ(Cli({"extract", U8(module), "-o", U8(Path(u"ico"))}).code, kAllDone);
  const Result png = Cli({"extract", "--png", U8(module), "-o", U8(Path(u"png"))});
  ASSERT_EQ(png.code, kAllDone) << png.err;
  for (std::size_t i = 0; i < std::size(depths); ++i) {
    const std::string side = std::to_string(16 + 8 * i);
    const std::string file =
        U8(Path(u"png")) + "/icon_9_" + side + "x" + side + "_" + std::to_string(depths[i]) + "bit.png";
    const std::string ours = Decoded(file);
    const std::string theirs = Decoded(U8(Path(u"ico")) + "/icon_9.ico[" + std::to_string(i) + "]");
    ASSERT_FALSE(ours.empty()) << file;
    ASSERT_EQ(ours.size(), theirs.size()) << depths[i] << "-bit";
    int differences = 0;
    for (std::size_t p = 0; p < ours.size(); p += 4) {
      const bool opaque = theirs[p + 3] != 0;
      if (ours[p + 3] != theirs[p + 3] ||
          (opaque && ours.compare(p, 3, theirs, p, 3) != 0))
        ++differences;
    }
    EXPECT_EQ(differences, 0) << depths[i] << "-bit";
  }
  // --size keeps one size.
  const Result one = Cli({"extract", "--png", "--size", "24", U8(module), "-o", U8(Path(u"one"))});
  EXPECT_EQ(one.code, kAllDone);
  EXPECT_EQ(FilesBelow(Path(u"one")), (std::set<std::string>{"icon_9_24x24_4bit.png"}));
  EXPECT_EQ(Cli({"extract", "--size", "24", U8(module)}).code, kUsageError);
}
#endif

}  // namespace
}  // namespace zandrel::cli
