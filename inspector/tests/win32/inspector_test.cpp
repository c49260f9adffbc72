// The inspector: every image of Wine's shell32.dll groups with the sizes
// icotool reports, a subset saved as .ico byte for byte, PNG files that
// decode to the images' pixels, the clipboard, and Esc.

#include "inspector/win32/inspector_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "gui/win32/data_transfer.h"
#include "icons/group_names.h"
#include "icons/pe_reader.h"
#include "icons/png_export.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;
using Size = std::tuple<std::uint32_t, std::uint32_t>;

// icotool's images of each group, keyed by wrestool's name of the group.
std::map<std::string, std::vector<std::tuple<std::uint32_t, std::uint32_t, int>>> Reference() {
  std::map<std::string, std::vector<std::tuple<std::uint32_t, std::uint32_t, int>>> groups;
  const auto bytes = ReadFileBytes(FromUtf8(ZANDREL_ICOTOOL_REFERENCE));
  std::istringstream lines(bytes ? std::string(bytes->begin(), bytes->end()) : std::string());
  std::string name;
  std::uint32_t width = 0, height = 0;
  int bits = 0;
  while (lines >> name >> width >> height >> bits) groups[name].emplace_back(width, height, bits);
  return groups;
}

class InspectorTest : public ::testing::Test {
 protected:
  testing::TempFolder dir;
  std::wstring folder = ToWide(dir.path()) + L"\\";
  testing::ProgramWindows windows;
  TForm3& form = windows.form3();
  const std::wstring shell32 =
      ToWide(testing::WineModulePath(testing::WineArch::kX86_64, u"shell32.dll"));
};

TEST_F(InspectorTest, ListsEveryImageOfShell32WithTheSizesIcotoolReports) {
  const auto reference = Reference();
  ASSERT_GT(reference.size(), 100u);
  const auto module = icons::PeResourceModule::FromFile(FromWide(shell32));
  ASSERT_TRUE(module);
  const std::vector<std::u16string> groups = icons::CollectGroupNames(*module);
  for (std::size_t position = 0; position < groups.size(); ++position) {
    const std::u16string& group = groups[position];
    const std::string key = ToUtf8(group.starts_with(u"ID:") ? group.substr(3) : group);
    form.ShowGroup(shell32, static_cast<int>(position));
    std::vector<Size> ours, theirs;
    for (const icons::GroupImage& image : form.images()) {
      ours.emplace_back(image.width, image.height);
      EXPECT_EQ(image.problem, icons::GroupImage::Problem::kNone) << key;
    }
    for (const auto& [width, height, bits] : reference.at(key)) theirs.emplace_back(width, height);
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    EXPECT_EQ(ours, theirs) << key;
    // Largest first, as the window shows them.
    for (std::size_t i = 1; i < form.images().size(); ++i)
      EXPECT_GE(form.images()[i - 1].width * form.images()[i - 1].height,
                form.images()[i].width * form.images()[i].height);
  }
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  // Esc closes it.
  MSG escape{form.ImageSheetImages.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  gui::Application::Instance().DispatchOne(escape);
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
}

TEST_F(InspectorTest, TheTickedImagesMakeAnIcoByteForByteAndPngsOfTheirPixels) {
  form.ShowGroup(shell32, 2);
  const std::vector<icons::GroupImage> images = form.images();
  ASSERT_GE(images.size(), 4u);
  // Two of them left ticked.
  for (std::size_t i = 0; i < images.size(); ++i)
    form.ImageSheetImages.SetChecked(i, i == 1 || i == 3);
  testing::PopupWatcher watcher;
  watcher.AnswerFileDialog(folder + L"two.ico");
  form.ButtonSaveIcoClick();
  const auto ico = ReadFileBytes(FromWide(folder + L"two.ico"));
  ASSERT_TRUE(ico);
  ASSERT_EQ(ReadU16LE(*ico, 4), 2);
  const auto module = icons::PeResourceModule::FromFile(FromWide(shell32));
  std::vector<std::uint16_t> ids = {images[1].image_id, images[3].image_id};
  if (images[1].position > images[3].position) std::swap(ids[0], ids[1]);  // directory order
  for (std::size_t k = 0; k < 2; ++k) {
    const std::uint32_t size = *ReadU32LE(*ico, 6 + 16 * k + 8);
    const std::uint32_t offset = *ReadU32LE(*ico, 6 + 16 * k + 12);
    const icons::ResourceData stored =
        module->Lookup(icons::kRtIcon, icons::ResourceName::Id(ids[k]));
    ASSERT_TRUE(stored.found());
    EXPECT_TRUE(std::equal(stored.bytes.begin(), stored.bytes.end(), ico->begin() + offset) &&
                stored.bytes.size() == size)
        << k;
  }
  // PNG: one image through the save dialog, several into a folder.
  for (std::size_t i = 0; i < images.size(); ++i) form.ImageSheetImages.SetChecked(i, i == 1);
  watcher.AnswerFileDialog(folder + L"one.png");
  form.ButtonSavePngClick();
  const auto png = ReadFileBytes(FromWide(folder + L"one.png"));
  ASSERT_TRUE(png);
  const auto decoded = icons::DecodePng(*png);
  ASSERT_TRUE(decoded && images[1].pixels);
  EXPECT_EQ(decoded->pixels, images[1].pixels->pixels);
  // Ctrl+C on the current image: its bitmap and PNG on the clipboard.
  form.ImageSheetImages.SetCurrent(1);
  form.ImageSheetImagesCopy();
  EXPECT_TRUE(IsClipboardFormatAvailable(gui::PngClipboardFormat()));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIBV5));
  form.Close();
}

// The main window opens it on the selected row (Alt+Enter, "Свойства...").
TEST_F(InspectorTest, AltEnterOnARowOpensItForThatGroup) {
  TForm1& main = windows.form1();
  main.Show();
  main.AdoptSource(shell32);
  main.ListViewIcons.SetItemIndex(5);
  SetFocus(main.ListViewIcons.hwnd());
  MSG alt_enter{main.ListViewIcons.hwnd(), WM_SYSKEYDOWN, VK_RETURN, 0, 0, {}};
  gui::Application::Instance().DispatchOne(alt_enter);
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  EXPECT_NE(form.LabelGroup.caption().find(main.ListViewIcons.ItemText(5, 2)), std::wstring::npos);
  form.Close();
  main.Hide();
}

}  // namespace
}  // namespace zandrel
