// zandrel-cli on the containers besides PE modules: 16-bit modules and .icl
// libraries, .ico, .cur and .ani files, animations held as resources, images
// no group names, and crafted versions of each. Where icoutils is installed,
// its readers check the same fixtures independently.

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/tests/cli_run.h"
#include "core/file_io.h"
#include "core/text.h"
#include "icons/png_export.h"
#include "tests/support/hostile_modules.h"
#include "tests/support/icon_files.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/ne_builder.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"

namespace zandrel::cli {
namespace {

namespace fs = std::filesystem;
using icons::ResourceName;
using testing::IconFileImage;

// Every file below `folder` with its bytes, by relative path.
std::map<std::string, Bytes> FilesIn(const std::string& folder) {
  std::map<std::string, Bytes> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), folder).generic_string()] =
          *ReadFileBytes(FromUtf8(entry.path().string()));
  return files;
}

bool HaveTool(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Capture(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    pclose(pipe);
  }
  return text;
}

const std::vector<IconFileImage> kCursorImages = {
    {testing::MakeDibIconImage(32, 32, 7), 32, 32, 32, 3, 9},
    {testing::MakeDibIconImage(16, 16, 8), 16, 16, 32, 1, 2}};

// The same groups and cursors, in a 16-bit module and in a PE module.
template <typename Builder>
void AddResources(Builder& builder) {
  builder.AddIconGroup(ResourceName::Id(5), {{testing::MakeDibIconImage(16, 16, 1), 16, 16, 32},
                                             {testing::MakeBmpIconImage(32, 8, 2), 32, 32, 8}});
  builder.AddIconGroup(ResourceName::Text(u"MAIN"),
                       {{testing::MakeBmpIconImage(48, 4, 3), 48, 48, 4}});
  builder.AddIconGroup(ResourceName::Id(2), {{testing::MakeDibIconImage(24, 24, 4), 24, 24, 32}});
  for (const auto& r :
       testing::CursorGroupResources(ResourceName::Text(u"ARROW"), kCursorImages, 40))
    builder.Add(r.type, r.name, r.bytes);
}

class FormatsTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return U8(dir.path()) + "/" + name; }
  testing::TempFolder dir;
};

TEST_F(FormatsTest, SixteenBitModulesAndLibrariesListAndExtractAsThePeModuleWould) {
  testing::NeBuilder ne(5);
  AddResources(ne);
  ne.WriteTo(FromUtf8(Path("old.exe")));
  ne.WriteTo(FromUtf8(Path("lib.icl")));
  testing::PeBuilder pe;
  AddResources(pe);
  pe.WriteTo(FromUtf8(Path("new.dll")));

  for (const std::string type : {"icon", "cursor"}) {
    const Result rows = Cli({"list", "--type", type, Path("new.dll")});
    ASSERT_EQ(rows.code, kAllDone) << rows.err;
    EXPECT_EQ(Cli({"list", "--type", type, Path("old.exe")}).out, rows.out);
    EXPECT_EQ(Cli({"list", "--type", type, Path("lib.icl")}).out, rows.out);
    for (const std::string module : {"new.dll", "old.exe", "lib.icl"})
      ASSERT_EQ(
          Cli({"extract", "--type", type, Path(module), "-o", Path(type + "/" + module)}).code,
          kAllDone);
    const auto expected = FilesIn(Path(type + "/new.dll"));
    EXPECT_EQ(FilesIn(Path(type + "/old.exe")), expected);
    EXPECT_EQ(FilesIn(Path(type + "/lib.icl")), expected);
  }
  EXPECT_EQ(Cli({"list", Path("old.exe")}).out,
            "0\tMAIN\t1\t48x48 (4-bit)\n1\tID:2\t1\t24x24 (32-bit)\n"
            "2\tID:5\t2\t16x16 (32-bit), 32x32 (8-bit)\n");

  if (!HaveTool("wrestool")) GTEST_SKIP() << "no wrestool";
  // wrestool reads the 16-bit resource table on its own: the same resources,
  // and the same .ico file for a group.
  const std::string listed = Capture("wrestool -l '" + Path("old.exe") + "'");
  for (const std::string line :
       {"--type=14 --name=5", "--type=14 --name='MAIN'", "--type=14 --name=2",
        "--type=12 --name='ARROW'", "--type=3 --name=1", "--type=1 --name=40"})
    EXPECT_NE(listed.find(line), std::string::npos) << line << "\n" << listed;
  // Its raw images keep the padding to the 32-byte alignment; ours are cut
  // to the size the group declares, as the PE module stores them.
  const Bytes ico = FilesIn(Path("icon/old.exe")).at("icon_5.ico");
  for (std::size_t i = 0; i < 2; ++i) {
    const std::string raw = Path("raw" + std::to_string(i + 1));
    ASSERT_EQ(std::system(("wrestool -x --raw -t3 -n" + std::to_string(i + 1) + " -o '" + raw +
                           "' '" + Path("old.exe") + "'")
                              .c_str()),
              0);
    const Bytes image = *ReadFileBytes(FromUtf8(raw));
    const std::uint32_t size = *ReadU32LE(ico, 6 + 16 * i + 8);
    const std::uint32_t offset = *ReadU32LE(ico, 6 + 16 * i + 12);
    ASSERT_LE(size, image.size());
    EXPECT_LT(image.size() - size, 32u);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + size, ico.begin() + offset)) << i;
    EXPECT_TRUE(std::all_of(image.begin() + size, image.end(), [](auto b) { return b == 0; }));
  }
}

TEST_F(FormatsTest, IcoAndCurFilesAreOneGroupNamedAfterTheFileAndWrittenBackUnchanged) {
  const Bytes png = icons::EncodePng(256, 256, std::vector<std::uint8_t>(256 * 256 * 4, 0x80));
  const Bytes ico = testing::MakeIconFile({{png, 0, 0, 32},
                                           {testing::MakeBmpIconImage(32, 8, 5), 32, 32, 8},
                                           {testing::MakeDibIconImage(16, 16, 6), 16, 16, 32}});
  const Bytes cur = testing::MakeCursorFile(kCursorImages);
  WriteFileAtomically(FromUtf8(Path("app.ico")), ico);
  WriteFileAtomically(FromUtf8(Path("arrow.cur")), cur);

  EXPECT_EQ(Cli({"list", Path("app.ico")}).out,
            "0\tapp.ico\t3\t256x256 (PNG), 32x32 (8-bit), 16x16 (32-bit)\n");
  const Result cursor = Cli({"list", "--type", "cursor", Path("arrow.cur")});
  EXPECT_EQ(cursor.out.substr(0, 14), "0\tarrow.cur\t2\t") << cursor.out;
  ASSERT_EQ(Cli({"extract", Path("app.ico"), "-o", Path("ico")}).code, kAllDone);
  // A cursor file stays a cursor file, hotspots and all.
  ASSERT_EQ(Cli({"extract", Path("arrow.cur"), "-o", Path("cur")}).code, kAllDone);
  const auto icos = FilesIn(Path("ico"));
  const auto curs = FilesIn(Path("cur"));
  ASSERT_EQ(icos.size(), 1u);
  ASSERT_EQ(curs.size(), 1u);
  EXPECT_EQ(icos.begin()->second, ico);
  EXPECT_EQ(curs.begin()->second, cur);

  if (!HaveTool("icotool")) GTEST_SKIP() << "no icotool";
  const std::string listed = Capture("icotool -l '" + Path("app.ico") + "'");
  EXPECT_NE(listed.find("--width=256 --height=256 --bit-depth=32"), std::string::npos) << listed;
  EXPECT_NE(listed.find("--width=32 --height=32 --bit-depth=8"), std::string::npos) << listed;
  const std::string hotspots = Capture("icotool -l '" + Path("arrow.cur") + "'");
  EXPECT_NE(hotspots.find("--hotspot-x=3 --hotspot-y=9"), std::string::npos) << hotspots;
}

TEST_F(FormatsTest, AniFramesAreGroupsAndAnimationResourcesAreWrittenWhole) {
  testing::AniSpec spec;
  for (std::uint32_t i = 0; i < 3; ++i)
    spec.frames.push_back(testing::MakeCursorFile({{testing::MakeDibIconImage(32, 32, 20 + i), 32,
                                                    32, 32, static_cast<std::uint16_t>(i), 4}}));
  spec.rates = {6, 6, 12, 6};
  spec.sequence = {0, 1, 2, 1};
  const Bytes ani = testing::MakeAniFile(spec);
  WriteFileAtomically(FromUtf8(Path("busy.ani")), ani);

  EXPECT_EQ(Cli({"list", Path("busy.ani")}).out,
            "0\tframe 0\t1\t32x32 (32-bit)\n1\tframe 1\t1\t32x32 (32-bit)\n"
            "2\tframe 2\t1\t32x32 (32-bit)\n");
  ASSERT_EQ(Cli({"extract", Path("busy.ani"), "-o", Path("frames")}).code, kAllDone);
  const auto frames = FilesIn(Path("frames"));
  ASSERT_EQ(frames.size(), 3u);
  std::size_t i = 0;
  for (const auto& [name, bytes] : frames) {
    EXPECT_EQ(name, "cursor_frame " + std::to_string(i) + ".cur");
    EXPECT_EQ(bytes, spec.frames[i++]) << name;
  }
  ASSERT_EQ(Cli({"extract", "--png", Path("busy.ani"), "-o", Path("png")}).code, kAllDone);
  EXPECT_EQ(FilesIn(Path("png")).size(), 3u);

  // Animations held whole in a module are written byte for byte.
  testing::PeBuilder pe;
  pe.Add(icons::kRtAniCursor, ResourceName::Id(3), ani);
  pe.Add(icons::kRtAniCursor, ResourceName::Text(u"WAIT"), ani);
  pe.Add(icons::kRtAniIcon, ResourceName::Id(9), ani);
  pe.WriteTo(FromUtf8(Path("anim.dll")));
  EXPECT_EQ(Cli({"list", "--type", "anicursor", Path("anim.dll")}).out,
            "0\tWAIT\t3\t32x32 (32-bit)\n1\tID:3\t3\t32x32 (32-bit)\n");
  ASSERT_EQ(Cli({"extract", "--type", "anicursor", Path("anim.dll"), "-o", Path("a")}).code,
            kAllDone);
  ASSERT_EQ(Cli({"extract", "--type", "aniicon", Path("anim.dll"), "-o", Path("a")}).code,
            kAllDone);
  const auto written = FilesIn(Path("a"));
  EXPECT_EQ(written,
            (std::map<std::string, Bytes>{
                {"anicursor_3.ani", ani}, {"anicursor_WAIT.ani", ani}, {"aniicon_9.ani", ani}}));

  if (!HaveTool("wrestool")) GTEST_SKIP() << "no wrestool";
  ASSERT_EQ(std::system(("wrestool -x --raw -t21 -n3 -o '" + Path("raw.ani") + "' '" +
                         Path("anim.dll") + "'")
                            .c_str()),
            0);
  EXPECT_EQ(*ReadFileBytes(FromUtf8(Path("raw.ani"))), written.at("anicursor_3.ani"));
}

TEST_F(FormatsTest, ImagesNoGroupNamesAreListedAndWrittenAsOneImageIcons) {
  testing::PeBuilder pe;
  pe.AddIconGroup(ResourceName::Id(1), {{testing::MakeDibIconImage(16, 16, 1), 16, 16, 32}});
  const Bytes lost = testing::MakeDibIconImage(48, 48, 2);
  pe.Add(icons::kRtIcon, ResourceName::Id(77), lost);
  pe.WriteTo(FromUtf8(Path("left.dll")));

  EXPECT_EQ(Cli({"list", "--orphans", Path("left.dll")}).out, "0\tID:77\t1\t48x48 (32-bit)\n");
  ASSERT_EQ(Cli({"extract", "--orphans", Path("left.dll"), "-o", Path("o")}).code, kAllDone);
  const auto files = FilesIn(Path("o"));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, "image_77.ico");
  const Bytes& ico = files.begin()->second;
  ASSERT_EQ(ico.size(), 6u + 16u + lost.size());
  EXPECT_EQ(*ReadU16LE(ico, 4), 1u);
  EXPECT_TRUE(std::equal(lost.begin(), lost.end(), ico.begin() + 22));
}

// Crafted containers end with a bounded result: the rows they truly hold,
// and only files no larger than what the container holds.
TEST_F(FormatsTest, CraftedContainersListAndExtractToABoundedResult) {
  const std::map<std::string, std::size_t> rows_expected = {
      {"ani-frame-claiming-4gb", 4}, {"ne-looping-table", 2000}, {"ico-claiming-65535-images", 1}};
  for (const testing::HostileModule& m : testing::HostileContainers()) {
    const std::string file = Path(m.name + m.extension);
    WriteFileAtomically(FromUtf8(file), m.bytes);
    const Result rows = Cli({"list", file});
    EXPECT_EQ(rows.code, kAllDone) << m.name << rows.err;
    EXPECT_EQ(static_cast<std::size_t>(std::count(rows.out.begin(), rows.out.end(), '\n')),
              rows_expected.at(m.name))
        << m.name;
    const Result extract = Cli({"extract", file, "-o", Path("out/" + m.name)});
    EXPECT_NE(extract.code, kUsageError) << m.name;
    std::size_t total = 0;
    for (const auto& [name, bytes] : FilesIn(Path("out/" + m.name))) total += bytes.size();
    EXPECT_LE(total, m.bytes.size()) << m.name;
  }
}

}  // namespace
}  // namespace zandrel::cli
