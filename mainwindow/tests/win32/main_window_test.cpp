// The main window built from its definition: components, layout, catalogue,
// the listing of real and fixture modules, and the general menu.

#include "mainwindow/win32/main_window.h"

#include <gtest/gtest.h>

#include "about/win32/about_window.h"
#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "icons/group_names.h"
#include "icons/group_sizes.h"
#include "icons/pe_reader.h"
#include "platform/wide.h"
#include "tests/support/build_bits.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"
#include "update/win32/update_window.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;
using testing::PeBuilder;

class MainWindowTest : public ::testing::Test {
 protected:
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();

  struct Row {
    std::wstring index, name, count, sizes;
    int image;
    bool operator==(const Row&) const = default;
  };
  std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (int r = 0; r < form.ListViewIcons.item_count(); ++r)
      rows.push_back({form.ListViewIcons.ItemText(r, 1), form.ListViewIcons.ItemText(r, 2),
                      form.ListViewIcons.ItemText(r, 3), form.ListViewIcons.ItemText(r, 4),
                      form.ListViewIcons.ItemImage(r)});
    return rows;
  }

  // Relative position and size of a control inside its parent, in pixels.
  static RECT Bounds(const gui::Control& c) { return c.PixelBounds(); }
};

TEST_F(MainWindowTest, ComponentsAreEnumeratedByNameWithTheirTextProperties) {
  std::vector<std::wstring> names;
  for (gui::Component* c : form.components()) names.push_back(c->name());
  for (const wchar_t* expected : {L"TabControlTitle",
                                  L"SpeedButton_GeneralMenu",
                                  L"TabControlBody",
                                  L"GroupBoxPath",
                                  L"EditSorcePath",
                                  L"ButtonBrowse",
                                  L"GroupBoxPathExtract",
                                  L"EditPathExtract",
                                  L"ButtonBrowseFolder",
                                  L"CheckBoxNoChangePath",
                                  L"CheckBoxSavePath",
                                  L"TabControlButton",
                                  L"ButtonAllZandrel",
                                  L"GroupBoxIcons",
                                  L"ListViewIcons",
                                  L"GroupBoxZandrel",
                                  L"MemoZandrel",
                                  L"ProgressBarZandrel",
                                  L"ImageListIcons",
                                  L"ImageList1",
                                  L"PopupMenuIcons",
                                  L"SaveIconMenu",
                                  L"SavePngMenu",
                                  L"SaveAllPngMenu",
                                  L"CopyIconMenu",
                                  L"PopupMenu_General",
                                  L"ThemeMenu",
                                  L"ThemeAuto",
                                  L"ThemeLight",
                                  L"ThemeDark",
                                  L"LanguageMenu",
                                  L"N3",
                                  L"EmbedFolderMenu",
                                  L"N2",
                                  L"CheckUpdateMenu",
                                  L"N1",
                                  L"AboutMenu",
                                  L"PopupMenuLanguage",
                                  L"FileOpenDialogSorce",
                                  L"FileSaveDialogIcon",
                                  L"FileSaveDialogPng"})
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;

  auto& browse = form.Get<gui::Button>(L"ButtonBrowse");
  EXPECT_EQ(browse.GetText(L"Caption"), L"Обзор...");
  EXPECT_TRUE(browse.HasTextProperty(L"Hint"));
  EXPECT_FALSE(browse.HasTextProperty(L"Text"));
  EXPECT_TRUE(form.EditSorcePath.HasTextProperty(L"Text"));
  EXPECT_TRUE(form.EditSorcePath.HasTextProperty(L"TextHint"));
  EXPECT_FALSE(form.EditSorcePath.HasTextProperty(L"Caption"));
  EXPECT_FALSE(form.MemoZandrel.HasTextProperty(L"Text"));
  EXPECT_TRUE(form.ImageList1.TextProperties().empty());
  EXPECT_EQ(form.FileOpenDialogSorce.GetText(L"Title"), L"Открыть файл содержащий иконки");
  EXPECT_EQ(form.FileSaveDialogIcon.GetText(L"Title"), L"Сохранить иконку...");
  EXPECT_EQ(form.Get<gui::GroupBox>(L"GroupBoxIcons").GetText(L"Caption"), L"Иконки");
  EXPECT_EQ(form.SpeedButton_GeneralMenu.GetText(L"Caption"), L"≡");

  // A text set by name reaches the screen.
  browse.SetText(L"Caption", L"Browse...");
  wchar_t shown[64] = {};
  GetWindowTextW(browse.hwnd(), shown, 63);
  EXPECT_STREQ(shown, L"Browse...");

  const std::vector<std::wstring> columns = {L"Иконка", L"Индекс", L"Имя/ID", L"Кол-во",
                                             L"Размеры"};
  ASSERT_EQ(form.ListViewIcons.column_count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(form.ListViewIcons.column_caption(i), columns[i]);
}

TEST_F(MainWindowTest, CataloguesHoldTheirEntriesWithExactDefaults) {
  const auto count_entries = [](gui::Form& f) {
    auto& menu = f.Get<gui::PopupMenu>(L"PopupMenuLanguage");
    return menu.items().size();
  };
  EXPECT_EQ(count_entries(form), 55u);  // with the window's own failures, folder, locations, reader, animations
  EXPECT_EQ(count_entries(windows.form10()), 15u);  // with LangUpdateNotVerified
  EXPECT_EQ(form.Lang(L"LangFileNotFound"), L"❌ ОШИБКА: Файл не найден!");
  EXPECT_EQ(form.Lang(L"LangIconGroupsFound"), L"Найдено групп иконок: ");
  EXPECT_EQ(form.Lang(L"LangSuccessfully"), L" ✓ Успешно");
  EXPECT_EQ(form.Lang(L"LangNoIconGroupsFound"), L"\u2139\uFE0F Группы иконок не найдены");
  EXPECT_EQ(form.Lang(L"LangError2"), L"✗ Ошибка");
  EXPECT_EQ(form.Lang(L"LangOnlyWindows"),
            L"Эта программа совместима только с Windows 10 и Windows 11.");
  EXPECT_EQ(form.Lang(L"LangIconIDnotFound"), L"Не найдена иконка ID=");
  EXPECT_EQ(windows.form10().CatalogueText(L"LangUpdateNow"),
            L"Хотите обновить приложение сейчас?");
  // Entries of the same name in the two windows are separate.
  form.Get<gui::MenuItem>(L"LangNoUpdate").SetCaption(L"changed");
  EXPECT_EQ(windows.form10().CatalogueText(L"LangNoUpdate"), L"Нет обновления");
  // The text is read at the moment of use.
  form.Get<gui::MenuItem>(L"LangSaved").SetCaption(L"Saved:");
  EXPECT_EQ(form.Lang(L"LangSaved"), L"Saved:");
}

TEST_F(MainWindowTest, LayoutFollowsTheDesignAt96Dpi) {
  RECT client;
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, 684);
  EXPECT_EQ(client.bottom, 511);
  const auto height = [](const gui::Control& c) { return Bounds(c).bottom - Bounds(c).top; };
  const auto width = [](const gui::Control& c) { return Bounds(c).right - Bounds(c).left; };
  EXPECT_EQ(Bounds(form.TabControlTitle).top, 0);
  EXPECT_EQ(height(form.TabControlTitle), 32);
  EXPECT_EQ(width(form.TabControlTitle), 684);
  EXPECT_EQ(width(form.SpeedButton_GeneralMenu), 22);
  EXPECT_EQ(height(form.SpeedButton_GeneralMenu), 22);
  EXPECT_GT(Bounds(form.SpeedButton_GeneralMenu).left, 640);
  EXPECT_EQ(height(form.Get<gui::GroupBox>(L"GroupBoxPath")), 53);
  EXPECT_EQ(height(form.Get<gui::GroupBox>(L"GroupBoxPathExtract")), 70);
  EXPECT_EQ(height(form.Get<gui::TabStrip>(L"TabControlButton")), 33);
  EXPECT_EQ(height(form.ButtonAllZandrel), 23);
  EXPECT_EQ(height(form.Get<gui::GroupBox>(L"GroupBoxZandrel")), 98);
  EXPECT_EQ(height(form.ProgressBarZandrel), 17);
  // The group boxes keep 4 pixels to the body's edges.
  EXPECT_EQ(Bounds(form.Get<gui::GroupBox>(L"GroupBoxIcons")).left, 4);
  EXPECT_EQ(Bounds(form.Get<gui::GroupBox>(L"GroupBoxIcons")).right, 680);
  const RECT edit = Bounds(form.EditSorcePath);
  EXPECT_EQ(edit.left, 6);
  EXPECT_EQ(edit.top, 21);
  EXPECT_EQ(width(form.EditSorcePath), 560);
  EXPECT_EQ(height(form.EditSorcePath), 23);
  const RECT browse = Bounds(form.ButtonBrowse);
  EXPECT_EQ(browse.left, 572);
  EXPECT_EQ(browse.top, 20);
  EXPECT_EQ(Bounds(form.CheckBoxSavePath).left, 264);
  EXPECT_EQ(Bounds(form.CheckBoxSavePath).top, 48);
  EXPECT_EQ(width(form.CheckBoxNoChangePath), 233);
  // The icon list fills what the fixed parts leave.
  EXPECT_GT(height(form.ListViewIcons), 150);
  EXPECT_EQ(form.ListViewIcons.column_width(2), 120);
  EXPECT_EQ(form.ListViewIcons.column_width(4), 200);
}

TEST_F(MainWindowTest, StartsWithTheDesignedControlState) {
  EXPECT_FALSE(form.ButtonAllZandrel.enabled());
  EXPECT_EQ(form.default_button(), &form.ButtonAllZandrel);  // the window's default button
  EXPECT_FALSE(form.SaveIconMenu.enabled());
  EXPECT_TRUE(form.ProgressBarZandrel.visible());
  EXPECT_EQ(form.ListViewIcons.item_count(), 0);
  EXPECT_TRUE(form.MemoZandrel.text().empty());
  EXPECT_TRUE(form.EditSorcePath.text().empty());
  EXPECT_TRUE(form.general_menu_flag());
  EXPECT_EQ(form.listing().module(), nullptr);
}

// The title: design caption, the program's file version, the bitness; this
// test program runs as a portable copy.
TEST_F(MainWindowTest, TitleNamesThe32BitProgram) {
  ZANDREL_ONLY_IN_THE_BUILD_OF(32, "the title of the 32-bit program");
  const std::wstring title = form.caption();
  EXPECT_EQ(title.rfind(L"Zandrel ", 0), 0u) << title;
  EXPECT_TRUE(title.ends_with(L" (32-bit) Portable")) << title;
}

TEST_F(MainWindowTest, TitleNamesThe64BitProgram) {
  ZANDREL_ONLY_IN_THE_BUILD_OF(64, "the title of the 64-bit program");
  const std::wstring title = form.caption();
  EXPECT_EQ(title.rfind(L"Zandrel ", 0), 0u) << title;
  EXPECT_TRUE(title.ends_with(L" (64-bit) Portable")) << title;
}

// Rows the list must show for a module, computed from the portable reader.
std::vector<std::tuple<std::wstring, std::wstring, std::wstring>> Expected(
    const std::u16string& path) {
  auto module = icons::PeResourceModule::FromFile(path);
  std::vector<std::tuple<std::wstring, std::wstring, std::wstring>> rows;
  if (!module) return rows;
  for (const auto& name : icons::CollectGroupNames(*module))
    rows.emplace_back(ToWide(name), std::to_wstring(icons::GetGroupImageCount(name, *module)),
                      ToWide(icons::DescribeGroupSizes(name, *module)));
  return rows;
}

TEST_F(MainWindowTest, ListsWineModulesRowForRowAsThePeDirectorySays) {
  using testing::WineArch;
  const std::pair<WineArch, const char16_t*> modules[] = {{WineArch::kI386, u"shell32.dll"},
                                                          {WineArch::kX86_64, u"shell32.dll"},
                                                          {WineArch::kI386, u"comdlg32.dll"},
                                                          {WineArch::kI386, u"user32.dll"}};
  for (const auto& [arch, file] : modules) {
    const std::u16string path = testing::WineModulePath(arch, file);
    SCOPED_TRACE(ToUtf8(path));
    form.LoadIconsToListView(ToWide(path));
    const auto expected = Expected(path);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), expected.size());
    ASSERT_FALSE(rows.empty());
    int previews = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].index, std::to_wstring(i));
      EXPECT_EQ(rows[i].name, std::get<0>(expected[i]));
      EXPECT_EQ(rows[i].count, std::get<1>(expected[i]));
      EXPECT_EQ(rows[i].sizes, std::get<2>(expected[i]));
      EXPECT_EQ(form.ListViewIcons.ItemData(static_cast<int>(i)), static_cast<LPARAM>(i));
      // Previews are appended in row order.
      if (rows[i].image >= 0) {
        EXPECT_EQ(rows[i].image, previews++);
      }
    }
    EXPECT_EQ(previews, form.ImageListIcons.count());
    EXPECT_GT(previews, static_cast<int>(rows.size()) / 2);
    EXPECT_NE(form.listing().module(), nullptr);
    EXPECT_FALSE(form.ProgressBarZandrel.visible());
  }
  // The design widths, or wider where the caption needs it (never cut).
  for (int column : {0, 1}) {
    EXPECT_GE(form.ListViewIcons.column_width(column), 60);
    EXPECT_GE(form.ListViewIcons.column_width(column), form.ListViewIcons.FittingWidth(column));
    EXPECT_LE(form.ListViewIcons.column_width(column),
              std::max(60, form.ListViewIcons.FittingWidth(column)));
  }
}

// The pixels an image list holds at one index.
std::vector<std::uint32_t> ImagePixels(HIMAGELIST list, int index) {
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(list, index, &info)) return {};
  BITMAP bitmap{};
  GetObjectW(info.hbmImage, sizeof bitmap, &bitmap);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bitmap.bmWidth, -bitmap.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<std::uint32_t> all(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
  platform::WindowDC dc(nullptr);
  GetDIBits(dc.get(), info.hbmImage, 0, bitmap.bmHeight, all.data(), &bi, DIB_RGB_COLORS);
  std::vector<std::uint32_t> pixels;
  for (int y = info.rcImage.top; y < info.rcImage.bottom; ++y)
    for (int x = info.rcImage.left; x < info.rcImage.right; ++x)
      pixels.push_back(all[static_cast<std::size_t>(y) * bitmap.bmWidth + x]);
  return pixels;
}

// Previews reach the list in strips composed by the program; each must hold
// the pixels the list itself stores when handed the same icon alone: icons of
// every depth with their masks, one only found at another size (scaled by the
// list), and the groups of a real module.
TEST_F(MainWindowTest, PreviewsHoldWhatTheImageListStoresForEachIcon) {
  testing::TempFolder dir;
  PeBuilder pe;
  std::uint32_t id = 1;
  for (const std::uint16_t bits : {1, 4, 8, 24, 32})
    for (std::uint32_t seed = 0; seed < 30; ++seed)  // past one strip
      pe.AddIconGroup(icons::ResourceName::Id(id++),
                      {{testing::MakeBmpIconImage(32, bits, seed), 32, 32, bits}});
  pe.AddIconGroup(icons::ResourceName::Id(id++),
                  {{testing::MakeBmpIconImage(48, 32, 7), 48, 48, 32}});
  const std::u16string fixture = dir.path() + u"\\depths.dll";
  pe.WriteTo(fixture);

  for (const std::u16string& path :
       {fixture, testing::WineModulePath(testing::WineArch::kI386, u"shell32.dll")}) {
    SCOPED_TRACE(ToUtf8(path));
    form.LoadIconsToListView(ToWide(path));
    const auto rows = Rows();
    ASSERT_FALSE(rows.empty());
    const HMODULE module = form.listing().handle();
    const int size = form.ImageListIcons.width();
    platform::UniqueImageList reference(ImageList_Create(size, size, ILC_COLOR32, 1, 1));
    int compared = 0;
    for (const Row& row : rows) {
      if (row.image < 0 || row.name == L"MAINICON") continue;
      const icons::ResourceName name = icons::ResourceIdFromGroupName(FromWide(row.name));
      const std::wstring text = ToWide(name.text);
      platform::UniqueIcon icon(static_cast<HICON>(
          LoadImageW(module, name.is_id ? MAKEINTRESOURCEW(name.id) : text.c_str(), IMAGE_ICON,
                     size, size, LR_DEFAULTCOLOR)));
      ASSERT_TRUE(icon) << FromWide(row.name).size();
      ImageList_RemoveAll(reference.get());
      ASSERT_EQ(ImageList_ReplaceIcon(reference.get(), -1, icon.get()), 0);
      const auto expected = ImagePixels(reference.get(), 0);
      ASSERT_EQ(expected.size(), static_cast<std::size_t>(size) * size);
      EXPECT_EQ(ImagePixels(form.ImageListIcons.handle(), row.image), expected)
          << ToUtf8(FromWide(row.name));
      ++compared;
    }
    EXPECT_GT(compared, 100);
  }
}

TEST_F(MainWindowTest, ListsFixtureModulesWithEveryKindOfGroup) {
  testing::TempFolder dir;
  PeBuilder pe;
  pe.AddIconGroup(icons::ResourceName::Text(u"MAINICON"),
                  {{testing::MakePngImage(768, 768), 0, 0, 32},
                   {testing::MakeDibIconImage(32, 32), 32, 32, 32}});
  pe.AddIconGroup(icons::ResourceName::Text(u"NAMED"),
                  {{testing::MakeDibIconImage(16, 16), 16, 16, 0}});
  pe.AddIconGroup(icons::ResourceName::Id(1), {{testing::MakeDibIconImage(48, 48), 48, 48, 32}});
  pe.Add(icons::kRtGroupIcon, icons::ResourceName::Id(7), testing::MakeGroupDirectory({}));
  // A directory whose count runs past the end of the resource.
  Bytes past = testing::MakeGroupDirectory({testing::MakeGroupEntry(24, 24, 32, 100, 1)});
  past[4] = 9;
  pe.Add(icons::kRtGroupIcon, icons::ResourceName::Id(8), past);
  const std::u16string path = dir.path() + u"\\fixture.dll";
  pe.WriteTo(path);

  form.LoadIconsToListView(ToWide(path));
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].name, L"MAINICON");
  EXPECT_EQ(rows[0].count, L"2");
  EXPECT_EQ(rows[0].sizes, L"768x768 (PNG), 32x32 (32-bit)");
  EXPECT_EQ(rows[1].name, L"NAMED");
  EXPECT_EQ(rows[1].sizes, L"16x16");  // bit count 0: the size alone
  EXPECT_EQ(rows[2].name, L"ID:1");
  EXPECT_EQ(rows[3].name, L"ID:7");
  EXPECT_EQ(rows[3].count, L"0");
  EXPECT_EQ(rows[3].sizes, L"");
  EXPECT_EQ(rows[4].name, L"ID:8");
  EXPECT_EQ(rows[4].count, L"9");
  EXPECT_EQ(rows[4].sizes.rfind(L"24x24 (32-bit)", 0), 0u);
  EXPECT_GE(rows[0].image, 0);  // the main icon from the file's first icon
  EXPECT_GE(rows[2].image, 0);

  // Listing again gives the same rows, previews counted from 0 again.
  form.LoadIconsToListView(ToWide(path));
  EXPECT_EQ(Rows(), rows);
}

TEST_F(MainWindowTest, FilesThatCannotBeListedLeaveAnEmptyListAndNoModule) {
  testing::TempFolder dir;
  const std::u16string text = dir.path() + u"\\notes.txt";
  const std::string content = "not a module";
  WriteFileAtomically(
      text, ByteView(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()));

  form.LoadIconsToListView(
      ToWide(testing::WineModulePath(testing::WineArch::kI386, u"user32.dll")));
  ASSERT_GT(form.ListViewIcons.item_count(), 0);
  form.ProgressBarZandrel.SetVisible(true);

  form.LoadIconsToListView(ToWide(text));  // not a module: the bar stays as it was
  EXPECT_EQ(form.ListViewIcons.item_count(), 0);
  EXPECT_EQ(form.listing().module(), nullptr);
  EXPECT_TRUE(form.ProgressBarZandrel.visible());

  form.LoadIconsToListView(ToWide(dir.path() + u"\\missing.dll"));
  EXPECT_EQ(form.ListViewIcons.item_count(), 0);
  EXPECT_EQ(form.listing().module(), nullptr);

  PeBuilder empty;
  empty.Add(6, icons::ResourceName::Id(1), Bytes{1, 2, 3});  // resources, but no icon group
  empty.WriteTo(dir.path() + u"\\empty.dll");
  form.LoadIconsToListView(ToWide(dir.path() + u"\\empty.dll"));
  EXPECT_EQ(form.ListViewIcons.item_count(), 0);
  EXPECT_EQ(form.listing().module(), nullptr);
  EXPECT_FALSE(form.ProgressBarZandrel.visible());

  form.LoadIconsToListView(
      ToWide(testing::WineModulePath(testing::WineArch::kI386, u"user32.dll")));
  EXPECT_NE(form.listing().module(), nullptr);
  form.ClearIconResources();
  EXPECT_EQ(form.listing().module(), nullptr);
  EXPECT_EQ(form.ListViewIcons.item_count(), 0);
  EXPECT_EQ(form.ImageListIcons.count(), 0);
}

TEST_F(MainWindowTest, SaveItemFollowsTheSelection) {
  form.LoadIconsToListView(
      ToWide(testing::WineModulePath(testing::WineArch::kI386, u"user32.dll")));
  form.ListViewIcons.SetItemIndex(2);
  EXPECT_TRUE(form.SaveIconMenu.enabled());
  form.ListViewIcons.SetItemIndex(-1);
  EXPECT_FALSE(form.SaveIconMenu.enabled());
  // The items that hand a group on go with it.
  for (gui::MenuItem* item : {&form.SavePngMenu, &form.SaveAllPngMenu, &form.CopyIconMenu})
    EXPECT_FALSE(item->enabled()) << item->name();
  form.ListViewIcons.SetItemIndex(1);
  ASSERT_TRUE(form.SaveIconMenu.enabled());
  for (gui::MenuItem* item : {&form.SavePngMenu, &form.SaveAllPngMenu, &form.CopyIconMenu})
    EXPECT_TRUE(item->enabled()) << item->name();
  // A new listing leaves the item as it was until the list is used again.
  form.LoadIconsToListView(
      ToWide(testing::WineModulePath(testing::WineArch::kI386, u"comdlg32.dll")));
  EXPECT_TRUE(form.SaveIconMenu.enabled());
}

TEST_F(MainWindowTest, GeneralMenuButtonOpensAndResetsByItsFlag) {
  testing::PopupWatcher watcher;
  ASSERT_TRUE(form.general_menu_flag());
  form.SpeedButton_GeneralMenuClick();  // opens the menu; the watcher closes it
  EXPECT_EQ(watcher.menus_closed(), 1);
  EXPECT_FALSE(form.general_menu_flag());
  form.SpeedButton_GeneralMenuClick();  // only resets the flag
  EXPECT_TRUE(form.general_menu_flag());
  EXPECT_EQ(watcher.menus_closed(), 1);
  form.SpeedButton_GeneralMenuClick();
  EXPECT_EQ(watcher.menus_closed(), 2);
  EXPECT_FALSE(form.general_menu_flag());
  // Moving over the log resets it.
  SendMessageW(form.MemoZandrel.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(form.general_menu_flag());
}

TEST_F(MainWindowTest, F1OpensTheAboutWindowModally) {
  testing::PopupWatcher watcher;
  form.Show();
  testing::PumpMessages(100);
  SetFocus(form.MemoZandrel.hwnd());
  MSG msg{form.MemoZandrel.hwnd(), WM_KEYDOWN, VK_F1, 0, 0, {}};
  gui::Application::Instance().DispatchOne(msg);
  ASSERT_EQ(watcher.modal_windows().size(), 1u);
  EXPECT_EQ(watcher.modal_windows()[0], L"TForm8");
  EXPECT_EQ(windows.form8().LabelVersion.caption(), form.caption());
  EXPECT_TRUE(form.general_menu_flag());
  form.Hide();
}

}  // namespace
}  // namespace zandrel

namespace zandrel {
namespace {

TEST(ProgramIcon, ListingTheProgramShowsItsFifteenImageMainIcon) {
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  form.LoadIconsToListView(L"" ZANDREL_EXE_PATH);
  ASSERT_EQ(form.ListViewIcons.item_count(), 2);  // MAINICON and the menu's save picture
  EXPECT_EQ(form.ListViewIcons.ItemText(0, 2), L"MAINICON");
  EXPECT_EQ(form.ListViewIcons.ItemText(0, 3), L"15");
  EXPECT_EQ(form.ListViewIcons.ItemText(0, 4),
            L"768x768 (PNG), 512x512 (PNG), 256x256 (PNG), 128x128 (32-bit), 96x96 (32-bit), "
            L"80x80 (32-bit), 72x72 (32-bit), 64x64 (32-bit), 60x60 (32-bit), 48x48 (32-bit), "
            L"40x40 (32-bit), 32x32 (32-bit), 24x24 (32-bit), 20x20 (32-bit), 16x16 (32-bit)");
  EXPECT_EQ(form.ListViewIcons.ItemImage(0), 0);  // the file's first icon, by path
}

}  // namespace
}  // namespace zandrel
