// Icon files assembled from real modules nobody here wrote (Wine's own), held
// against wrestool (icoutils), an independent implementation. wrestool appends
// stray bytes after the last image, so only our file's length is compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/file_io.h"
#include "core/text.h"
#include "icons/group_names.h"
#include "icons/ico_writer.h"
#include "icons/pe_reader.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wine_modules.h"

namespace zandrel::icons {
namespace {

#ifndef _WIN32

bool RunShell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// The file wrestool wrote for a group: <module>_14_<name>_<language>.ico.
std::optional<Bytes> WrestoolIcon(const std::string& dir, const std::string& module_file,
                                  const ResourceName& name) {
  const std::string prefix =
      module_file + "_14_" + (name.is_id ? std::to_string(name.id) : ToUtf8(name.text)) + "_";
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string file = entry.path().filename().string();
    if (file.starts_with(prefix) && file.ends_with(".ico"))
      return ReadFileBytes(FromUtf8(entry.path().string()));
  }
  return std::nullopt;
}

TEST(IcoFromWineModules, MatchesWrestool) {
  if (!RunShell("wrestool --version >/dev/null 2>&1"))
    GTEST_SKIP() << "wrestool (icoutils) is missing";
  struct Known {
    testing::WineArch arch;
    std::u16string file;
  };
  const Known modules[] = {{testing::WineArch::kI386, u"shell32.dll"},
                           {testing::WineArch::kX86_64, u"shell32.dll"},
                           {testing::WineArch::kI386, u"comdlg32.dll"},
                           {testing::WineArch::kI386, u"user32.dll"},
                           {testing::WineArch::kI386, u"regedit.exe"},
                           {testing::WineArch::kI386, u"winecfg.exe"}};
  for (const auto& known : modules) {
    const std::u16string path = testing::WineModulePath(known.arch, known.file);
    SCOPED_TRACE(ToUtf8(path));
    if (!FileExists(path)) GTEST_SKIP() << "Wine's modules are not installed";
    const auto module = PeResourceModule::FromFile(path);
    ASSERT_TRUE(module);
    const testing::TempFolder folder;
    const std::string dir = ToUtf8(folder.path());
    ASSERT_TRUE(RunShell("wrestool -x -t14 -o '" + dir + "' '" + ToUtf8(path) + "'"));

    const auto names = module->EnumerateNames(kRtGroupIcon);
    ASSERT_FALSE(names.empty());
    for (const auto& name : names) {
      SCOPED_TRACE(ToUtf8(GroupNameFromResourceName(name)));
      const auto ours = AssembleIconFile(module->Lookup(kRtGroupIcon, name).bytes, *module);
      const auto theirs = WrestoolIcon(dir, ToUtf8(known.file), name);
      ASSERT_TRUE(ours);
      ASSERT_TRUE(theirs);
      ASSERT_LE(ours->size(), theirs->size());
      EXPECT_TRUE(std::equal(ours->begin(), ours->end(), theirs->begin()));
    }
  }
}

#endif

}  // namespace
}  // namespace zandrel::icons
