// Damaged copies of real modules through the real main window: bytes of the
// resource section overwritten, or the file cut short. Each copy is adopted
// as a source and extracted; the program must neither crash nor hang, must
// adopt the source (extraction enabled, progress bar hidden), and must write
// nothing outside the output folder.
//
// CI runs a small sample; ZANDREL_DAMAGED_COPIES=2000 (and
// ZANDREL_DAMAGED_SEED) run more on request.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>

#include "core/file_io.h"
#include "core/text.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using platform::FromWide;
using platform::ToWide;

std::size_t EnvNumber(const char* name, std::size_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? static_cast<std::size_t>(std::strtoull(text, nullptr, 10)) : fallback;
}

// File range of the resource section, from the section table.
std::pair<std::size_t, std::size_t> ResourceSection(const Bytes& image) {
  const std::uint32_t pe = *ReadU32LE(image, 0x3C);
  const std::uint16_t sections = *ReadU16LE(image, pe + 6);
  const std::uint16_t optional_size = *ReadU16LE(image, pe + 20);
  const std::size_t table = pe + 24 + optional_size;
  for (std::size_t i = 0; i < sections; ++i) {
    const std::size_t at = table + 40 * i;
    if (std::string(image.begin() + at, image.begin() + at + 5) == ".rsrc")
      return {*ReadU32LE(image, at + 20), *ReadU32LE(image, at + 16)};
  }
  return {0, image.size()};
}

std::set<fs::path> FilesBelow(const fs::path& root) {
  std::set<fs::path> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator();
       it.increment(ec))
    files.insert(it->path());
  return files;
}

struct Original {
  std::u16string name;
  Bytes bytes;
  std::pair<std::size_t, std::size_t> resources;
};

TEST(DamagedModules, AreListedAndExtractedThroughTheWindowWithoutHarm) {
  std::vector<Original> originals;
  const std::pair<testing::WineArch, const char16_t*> modules[] = {
      {testing::WineArch::kI386, u"comdlg32.dll"},
      {testing::WineArch::kI386, u"winecfg.exe"},
      {testing::WineArch::kX86_64, u"user32.dll"},
      {testing::WineArch::kI386, u"shell32.dll"}};
  for (const auto& [arch, file] : modules) {
    auto bytes = ReadFileBytes(testing::WineModulePath(arch, file));
    if (!bytes) GTEST_SKIP() << "Wine's modules are not installed";
    const auto range = ResourceSection(*bytes);
    originals.push_back({file, std::move(*bytes), range});
  }
  const std::size_t copies = EnvNumber("ZANDREL_DAMAGED_COPIES", 16);
  std::mt19937 random(static_cast<unsigned>(EnvNumber("ZANDREL_DAMAGED_SEED", 1)));

  testing::TempFolder work;
  const fs::path root(std::u16string(work.path()));
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  testing::PopupWatcher watcher;
  const fs::path program_folder(FromWide(testing::TestProgramFolder()));
  const std::set<fs::path> program_files = FilesBelow(program_folder);

  std::size_t done = 0;
  for (std::size_t n = 0; n < copies; ++n) {
    const Original& o = originals[n % originals.size()];
    Bytes copy = o.bytes;
    const auto [start, length] = o.resources;
    const std::size_t end = std::min(copy.size(), start + length);
    std::string how;
    if (random() % 3 == 0) {
      // Cut short somewhere inside the resource section.
      const std::size_t cut = start + random() % std::max<std::size_t>(1, end - start);
      copy.resize(cut);
      how = "cut at " + std::to_string(cut);
    } else {
      // Overwrite a few runs of bytes inside it.
      const int runs = 1 + static_cast<int>(random() % 8);
      for (int r = 0; r < runs; ++r) {
        const std::size_t at = start + random() % std::max<std::size_t>(1, end - start);
        const std::size_t span = 1 + random() % 64;
        for (std::size_t i = at; i < std::min(end, at + span); ++i)
          copy[i] = static_cast<std::uint8_t>(random() % 3 == 0 ? 0xFF : random());
      }
      how = std::to_string(runs) + " runs overwritten";
    }
    SCOPED_TRACE("copy " + std::to_string(n) + " of " + ToUtf8(o.name) + ", " + how);
    const fs::path case_dir = root / ("case" + std::to_string(n));
    fs::create_directories(case_dir);
    const fs::path module = case_dir / ("damaged" + ToUtf8(o.name).substr(ToUtf8(o.name).find('.')));
    WriteFileAtomically(module.u16string(), copy);
    const fs::path out = case_dir / "out";

    form.AdoptSource(ToWide(module.u16string()));
    EXPECT_TRUE(form.ButtonAllZandrel.enabled());
    EXPECT_FALSE(form.ProgressBarZandrel.visible());
    form.EditPathExtract.SetTextValue(ToWide(out.u16string()));
    form.ButtonAllZandrelClick();
    EXPECT_FALSE(form.ProgressBarZandrel.visible());

    // Nothing outside the output folder: the case folder holds the copy and
    // the output folder with .ico files only.
    for (const auto& f : FilesBelow(case_dir)) {
      if (f == module || f == out) continue;
      EXPECT_EQ(f.parent_path(), out) << f.string();
      EXPECT_EQ(f.extension(), ".ico") << f.string();
    }
    std::error_code ignored;
    fs::remove_all(case_dir, ignored);
    ++done;
  }
  form.ClearIconResources();
  EXPECT_EQ(FilesBelow(program_folder), program_files);
  EXPECT_TRUE(watcher.message_boxes().empty());
  std::printf("damaged copies listed and extracted: %zu\n", done);
}

}  // namespace
}  // namespace zandrel
