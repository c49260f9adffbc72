// How a source arrives: drops, the open dialog, the command line and
// shortcuts; and saving the selected group through the save dialog.

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include "config/build_target.h"
#include "core/file_io.h"
#include "core/text.h"
#include "gui/win32/application.h"
#include "mainwindow/win32/main_window.h"
#include "mainwindow/win32/shortcut_resolver.h"
#include "platform/com.h"
#include "platform/handles.h"
#include "platform/wide.h"
#include "tests/support/memory_resource_module.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"
#include "tests/support/wine_modules.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;

// A shortcut written by the shell-link object itself.
void CreateShortcut(const std::wstring& link, const std::wstring& target) {
  platform::ComPtr<IShellLinkW> shell_link;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IShellLinkW, shell_link.PutVoid()));
  ASSERT_HRESULT_SUCCEEDED(shell_link->SetPath(target.c_str()));
  auto file = shell_link.As<IPersistFile>(IID_IPersistFile);
  ASSERT_TRUE(file);
  ASSERT_HRESULT_SUCCEEDED(file->Save(link.c_str(), TRUE));
}

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// A shortcut holding only an environment-variable target (the published
// shortcut format: header, then the variable data block).
Bytes EnvironmentShortcut(const std::wstring& target) {
  Bytes out;
  AppendU32LE(out, 0x4C);
  const std::uint8_t clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  out.insert(out.end(), clsid, clsid + 16);
  AppendU32LE(out, 0x200 | 0x80);  // HasExpString | IsUnicode
  out.resize(0x4C, 0);
  out[0x3C] = 1;  // show command: normal
  AppendU32LE(out, 0x314);
  AppendU32LE(out, 0xA0000001);
  Bytes ansi(260, 0), wide(520, 0);
  for (std::size_t i = 0; i < target.size() && i < 259; ++i) {
    ansi[i] = static_cast<std::uint8_t>(target[i]);
    wide[2 * i] = static_cast<std::uint8_t>(target[i] & 0xFF);
    wide[2 * i + 1] = static_cast<std::uint8_t>(target[i] >> 8);
  }
  AppendBytes(out, ansi);
  AppendBytes(out, wide);
  AppendU32LE(out, 0);
  return out;
}

// A drop of these names, as the shell hands it over.
HDROP MakeDrop(const std::vector<std::wstring>& files) {
  std::size_t chars = 1;
  for (const auto& f : files) chars += f.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto* p = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES));
  for (const auto& f : files) {
    std::copy(f.begin(), f.end(), p);
    p += f.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

class SourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = ToWide(dir.path()) + L"\\";
    testing::PeBuilder one;
    one.AddIconGroup(icons::ResourceName::Text(u"FIRST"),
                     {{testing::MakeDibIconImage(32, 32), 32, 32, 32}});
    one.WriteTo(FromWide(folder + L"first.exe"));
    testing::PeBuilder two;
    two.AddIconGroup(icons::ResourceName::Id(5), {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
    two.AddIconGroup(icons::ResourceName::Id(6), {{testing::MakeDibIconImage(48, 48), 48, 48, 32}});
    two.WriteTo(FromWide(folder + L"second.dll"));
    const std::string text = "plain text";
    WriteFileAtomically(FromWide(folder + L"notes.txt"),
                        ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    CreateDirectoryW((folder + L"sub").c_str(), nullptr);
  }

  void Drop(const std::vector<std::wstring>& files) {
    SendMessageW(form.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files)), 0);
  }

  std::wstring FirstRowName() { return form.ListViewIcons.ItemText(0, 2); }

  testing::TempFolder dir;
  std::wstring folder;
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
};

TEST_F(SourcesTest, DropTakesTheFirstModuleAndIgnoresTheRest) {
  Drop({folder + L"notes.txt", folder + L"sub", folder + L"first.exe", folder + L"second.dll"});
  EXPECT_EQ(form.EditSorcePath.text(), folder + L"first.exe");
  EXPECT_EQ(form.EditPathExtract.text(), folder + L"Extracted Icons");
  ASSERT_EQ(form.ListViewIcons.item_count(), 1);
  EXPECT_EQ(FirstRowName(), L"FIRST");
  EXPECT_TRUE(form.ButtonAllZandrel.enabled());
  EXPECT_EQ(form.default_button(), &form.ButtonAllZandrel);
  EXPECT_TRUE(form.ButtonBrowseFolder.enabled());
}

TEST_F(SourcesTest, DropWithoutAnAcceptableFileChangesNothing) {
  Drop({folder + L"second.dll"});
  ASSERT_EQ(form.ListViewIcons.item_count(), 2);
  CreateShortcut(folder + L"to notes.lnk", folder + L"notes.txt");
  Drop({folder + L"sub", folder + L"notes.txt", folder + L"to notes.lnk"});
  EXPECT_EQ(form.EditSorcePath.text(), folder + L"second.dll");
  EXPECT_EQ(form.ListViewIcons.item_count(), 2);
}

// The source field opens the dialog for a click that began on it, and for
// Enter or Space; a button-up alone (the end of a double-click in a dialog
// that closed over it) opens nothing.
TEST_F(SourcesTest, TheSourceFieldOpensTheDialogOnlyForItsOwnClick) {
  testing::PopupWatcher watcher;  // cancels the dialogs
  const HWND field = form.EditSorcePath.hwnd();
  SendMessageW(field, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(watcher.file_dialogs().empty());
  SendMessageW(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(field, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_EQ(watcher.file_dialogs().size(), 1u);
  SetFocus(field);
  MSG enter{field, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  gui::Application::Instance().DispatchOne(enter);
  EXPECT_EQ(watcher.file_dialogs().size(), 2u);
}

TEST_F(SourcesTest, DroppedShortcutIsFollowedToItsModule) {
  CreateShortcut(folder + L"first.lnk", folder + L"first.exe");
  Drop({folder + L"notes.txt", folder + L"first.lnk", folder + L"second.dll"});
  EXPECT_EQ(form.EditSorcePath.text(), folder + L"first.exe");
  EXPECT_EQ(FirstRowName(), L"FIRST");
}

TEST_F(SourcesTest, DialogChoiceOfAShortcutListsItsTarget) {
  CreateShortcut(folder + L"first.lnk", folder + L"first.exe");
  CreateShortcut(folder + L"sub.lnk", folder + L"sub");
  testing::PopupWatcher watcher;
  watcher.AnswerFileDialog(folder + L"first.lnk");
  form.ButtonBrowseClick();
  ASSERT_EQ(watcher.file_dialogs().size(), 1u);
  EXPECT_EQ(watcher.file_dialogs()[0], L"Открыть файл содержащий иконки");
  EXPECT_EQ(form.EditSorcePath.text(), folder + L"first.exe");
  EXPECT_EQ(FirstRowName(), L"FIRST");

  // A shortcut to a folder: the shortcut itself becomes the source. It is no
  // module: the log says so in place of the last source's lines, and there
  // is nothing to extract until a module lists.
  form.MemoZandrel.AppendLine(L"a line of the last source");
  watcher.AnswerFileDialog(folder + L"sub.lnk");
  form.ButtonBrowseClick();
  EXPECT_EQ(form.EditSorcePath.text(), folder + L"sub.lnk");
  EXPECT_EQ(form.ListViewIcons.item_count(), 0);
  EXPECT_FALSE(form.ButtonAllZandrel.enabled());
  const std::wstring log = form.MemoZandrel.text();
  EXPECT_EQ(
      log.rfind(L"Файл не является модулем Windows с иконками: " + folder + L"sub.lnk\r\n", 0), 0u)
      << log;
  EXPECT_EQ(log.find(L"a line of the last source"), std::wstring::npos);

  // Cancelled: nothing changes.
  form.ButtonBrowseClick();
  EXPECT_EQ(watcher.file_dialogs().size(), 3u);
  EXPECT_EQ(form.EditSorcePath.text(), folder + L"sub.lnk");
  // So with an empty file, text named .dll and a module cut in its headers; the
  // folder dialog does not switch extraction on for them either.
  const auto bytes = ReadFileBytes(FromWide(folder + L"first.exe"));
  ASSERT_TRUE(bytes && bytes->size() > 120);
  WriteFileAtomically(FromWide(folder + L"cut.dll"), ByteView(bytes->data(), 120));
  CopyFileW((folder + L"notes.txt").c_str(), (folder + L"text.dll").c_str(), FALSE);
  WriteFileAtomically(FromWide(folder + L"empty.dll"), {});
  for (const wchar_t* name : {L"cut.dll", L"text.dll", L"empty.dll"}) {
    form.AdoptSource(folder + L"second.dll");
    ASSERT_TRUE(form.ButtonAllZandrel.enabled());
    form.AdoptSource(folder + name);
    EXPECT_FALSE(form.ButtonAllZandrel.enabled()) << name;
    EXPECT_EQ(form.MemoZandrel.text().rfind(
                  L"Файл не является модулем Windows с иконками: " + folder + name, 0),
              0u)
        << form.MemoZandrel.text();
  }
  watcher.AnswerFileDialog(folder + L"sub");
  form.ButtonBrowseFolderClick();
  EXPECT_FALSE(form.ButtonAllZandrel.enabled());
}

TEST_F(SourcesTest, CommandLineSourceIsTakenOnTheFirstActivationOnly) {
  testing::PopupWatcher watcher;
  std::wstring argument = L"\"" + folder + L"second.dll\"";
  form.command_line_argument = [&] { return std::optional<std::wstring>(argument); };
  form.FormActivate();
  EXPECT_EQ(form.EditSorcePath.text(), folder + L"second.dll");
  EXPECT_EQ(form.ListViewIcons.item_count(), 2);

  // A source chosen since, and a box ticked since, survive the next
  // activations (a dialog or the About window closing).
  watcher.AnswerFileDialog(folder + L"first.exe");
  form.ButtonBrowseClick();
  form.CheckBoxSavePath.SetChecked(!form.CheckBoxSavePath.checked());
  const bool ticked = form.CheckBoxSavePath.checked();
  form.AboutMenuClick();
  testing::PumpMessages(100);
  form.FormActivate();
  EXPECT_EQ(form.EditSorcePath.text(), folder + L"first.exe");
  EXPECT_EQ(FirstRowName(), L"FIRST");
  EXPECT_EQ(form.CheckBoxSavePath.checked(), ticked);
  EXPECT_TRUE(watcher.message_boxes().empty());
}

TEST_F(SourcesTest, AMissingCommandLineFileIsReportedOnceAndAShortcutIsItsOwnSource) {
  testing::PopupWatcher watcher;
  {
    testing::ProgramWindows fresh;
    TForm1& first = fresh.form1();
    first.command_line_argument = [&] { return std::optional<std::wstring>(folder + L"gone.exe"); };
    first.FormActivate();
    first.FormActivate();  // closing the message activates the window again
    testing::PumpMessages(200);
    ASSERT_EQ(watcher.message_boxes().size(), 1u);
    EXPECT_EQ(watcher.message_boxes()[0], L"❌ ОШИБКА: Файл не найден! " + folder + L"gone.exe");
    EXPECT_EQ(first.EditSorcePath.text(), L"");
  }
  // A shortcut named on the command line is the source itself.
  CreateShortcut(folder + L"first.lnk", folder + L"first.exe");
  testing::ProgramWindows again;
  TForm1& second = again.form1();
  second.command_line_argument = [&] { return std::optional<std::wstring>(folder + L"first.lnk"); };
  second.FormActivate();
  EXPECT_EQ(second.EditSorcePath.text(), folder + L"first.lnk");
  EXPECT_EQ(second.ListViewIcons.item_count(), 0);
}

TEST_F(SourcesTest, ShortcutsResolveThroughTheShellLinkAndTheRawScan) {
  CreateShortcut(folder + L"first.lnk", folder + L"first.exe");
  EXPECT_EQ(mainwindow::ResolveShortcut(folder + L"first.lnk"), folder + L"first.exe");

  // A target stored with an environment variable, as Windows' shell writes
  // it: the raw path does not exist, so the expanded path is taken.
  WriteFileAtomically(FromWide(folder + L"env.lnk"), EnvironmentShortcut(L"%WINDIR%\\notepad.exe"));
  wchar_t windir[MAX_PATH] = {};
  GetEnvironmentVariableW(L"WINDIR", windir, MAX_PATH);
  const std::wstring resolved = mainwindow::ResolveShortcut(folder + L"env.lnk");
  if (RunningUnderWine() && resolved.empty()) {
    // Wine's shell-link object does not read the variable block (GetPath
    // answers S_FALSE), and the raw scan finds no drive path in it.
    SUCCEED();
  } else {
    EXPECT_EQ(AsciiLower(FromWide(resolved)),
              AsciiLower(FromWide(std::wstring(windir) + L"\\notepad.exe")));
  }

  // A deleted target is still found in the shortcut's bytes.
  CreateShortcut(folder + L"gone.lnk", folder + L"second.dll");
  const std::wstring moved = folder + L"second.moved";
  ASSERT_TRUE(MoveFileW((folder + L"second.dll").c_str(), moved.c_str()));
  const std::wstring raw = mainwindow::ResolveShortcut(folder + L"gone.lnk");
  EXPECT_EQ(AsciiLower(FromWide(raw)), AsciiLower(FromWide(folder + L"second.dll")));

  // Damaged shortcut files: cut short at many lengths or filled with noise.
  const auto real = ReadFileBytes(FromWide(folder + L"first.lnk"));
  ASSERT_TRUE(real);
  std::uint32_t noise = 12345;
  for (std::size_t cut = 0; cut < real->size(); cut += 7) {
    Bytes damaged(real->begin(), real->begin() + static_cast<std::ptrdiff_t>(cut));
    if (cut % 3 == 0) {
      for (auto& b : damaged) {
        noise = noise * 1103515245 + 12345;
        b = static_cast<std::uint8_t>(b ^ (noise >> 24));
      }
    }
    WriteFileAtomically(FromWide(folder + L"damaged.lnk"), damaged);
    const std::wstring target = mainwindow::ResolveShortcut(folder + L"damaged.lnk");
    if (!target.empty()) {
      EXPECT_TRUE(target.size() > 3 && target[1] == L':') << cut;
    }
  }
  Drop({folder + L"damaged.lnk"});
  EXPECT_EQ(mainwindow::ResolveShortcut(folder + L"missing.lnk"), L"");
  EXPECT_EQ(mainwindow::ResolveShortcut(folder + L"notes.txt"), L"");
  // A 32-bit program on a 64-bit prefix runs under WOW64, a 64-bit one does not.
  EXPECT_EQ(platform::RunningUnderWow64(), config::kProgramBits == 32);
}

TEST_F(SourcesTest, SaveProposesANameAndCompletesTheExtensionAfterTheDialog) {
  Drop({folder + L"second.dll"});
  ASSERT_EQ(form.ListViewIcons.item_count(), 2);
  form.ListViewIcons.SetItemIndex(1);
  testing::PopupWatcher watcher;
  watcher.AnswerFileDialog(folder + L"myicon");
  form.SaveIconMenuClick();
  ASSERT_EQ(watcher.proposed_names().size(), 1u);
  EXPECT_EQ(watcher.proposed_names()[0], L"second_1.ico");
  EXPECT_EQ(watcher.file_dialogs()[0], L"Сохранить иконку...");
  ASSERT_TRUE(FileExists(FromWide(folder + L"myicon.ico")));
  const auto saved = ReadFileBytes(FromWide(folder + L"myicon.ico"));
  ASSERT_TRUE(saved && saved->size() > 22);
  EXPECT_EQ((*saved)[4], 1);  // one image
  EXPECT_EQ(form.MemoZandrel.text(), L"Сохранено: " + folder + L"myicon.ico");

  // A name typed with another extension is kept as it is. (Wine's save
  // dialog appends the file type's extension on its own, unlike Windows',
  // so the choice is scripted here.)
  std::wstring proposed;
  form.FileSaveDialogIcon.chooser = [&](const gui::FileDialog& d) {
    proposed = d.file_name;
    return std::optional<std::wstring>(folder + L"myicon.png");
  };
  form.SaveIconMenuClick();
  EXPECT_EQ(proposed, L"second_1.ico");
  EXPECT_TRUE(FileExists(FromWide(folder + L"myicon.png")));
  EXPECT_FALSE(FileExists(FromWide(folder + L"myicon.png.ico")));
  EXPECT_EQ(ReadFileBytes(FromWide(folder + L"myicon.png")), saved);
  form.FileSaveDialogIcon.chooser = nullptr;

  // No selection: nothing happens, even with the item enabled.
  form.ListViewIcons.SetItemIndex(-1);
  form.SaveIconMenu.SetEnabled(true);
  form.SaveIconMenuClick();
  EXPECT_EQ(watcher.file_dialogs().size(), 1u);
}

}  // namespace
}  // namespace zandrel

namespace zandrel {
namespace {

class OutputFolderTest : public ::testing::Test {
 protected:
  testing::TempFolder dir;
  std::wstring folder = platform::ToWide(dir.path()) + L"\\";
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
};

TEST_F(OutputFolderTest, PickedFolderGetsTheSourceFoldersNameAndExtractionIsOffered) {
  CreateDirectoryW((folder + L"Tool").c_str(), nullptr);
  CreateDirectoryW((folder + L"Out").c_str(), nullptr);
  testing::PeBuilder pe;
  pe.AddIconGroup(icons::ResourceName::Id(1), {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
  pe.WriteTo(platform::FromWide(folder + L"Tool\\tool.exe"));
  form.AdoptSource(folder + L"Tool\\tool.exe");

  testing::PopupWatcher watcher;
  watcher.AnswerFileDialog(folder + L"Out");
  form.ButtonBrowseFolderClick();
  ASSERT_EQ(watcher.file_dialogs().size(), 1u);
  EXPECT_EQ(watcher.file_dialogs()[0], L"Выберите папку для извлечения иконок");
  EXPECT_EQ(form.EditPathExtract.text(), folder + L"Out\\Tool\\Extracted Icons");

  // Cancelled: the folder stays, extraction is still offered.
  form.ButtonAllZandrel.SetEnabled(false);
  form.ButtonBrowseFolderClick();
  EXPECT_EQ(form.EditPathExtract.text(), folder + L"Out\\Tool\\Extracted Icons");
  EXPECT_TRUE(form.ButtonAllZandrel.enabled());
  EXPECT_EQ(form.default_button(), &form.ButtonAllZandrel);
}

TEST_F(OutputFolderTest, DefaultFolderModeFollowsTheSourceBelowMyPictures) {
  form.CheckBoxNoChangePath.SetChecked(true);  // runs its click handler
  const std::wstring base = form.EditPathExtract.text();
  EXPECT_TRUE(base.ends_with(L"\\Zandrel")) << base;
  EXPECT_FALSE(form.ButtonBrowseFolder.enabled());
  testing::PeBuilder pe;
  pe.AddIconGroup(icons::ResourceName::Id(1), {{testing::MakeDibIconImage(16, 16), 16, 16, 32}});
  pe.WriteTo(platform::FromWide(folder + L"setup.old.exe"));
  form.AdoptSource(folder + L"setup.old.exe");
  EXPECT_EQ(form.EditPathExtract.text(), base + L"\\setup.old");
  EXPECT_FALSE(form.ButtonBrowseFolder.enabled());
  form.CheckBoxNoChangePath.SetChecked(false);
  EXPECT_EQ(form.EditPathExtract.text(), base + L"\\setup.old");
  EXPECT_TRUE(form.ButtonBrowseFolder.enabled());
}

}  // namespace
}  // namespace zandrel

namespace zandrel {
namespace {

// Modules cut short: the system is never asked to read past the end of the
// file, and the source is adopted all the same.
TEST(DamagedSources, ACutShortModuleIsAdoptedWithTheButtonEnabled) {
  const auto full =
      ReadFileBytes(testing::WineModulePath(testing::WineArch::kI386, u"comdlg32.dll"));
  if (!full) GTEST_SKIP() << "Wine's modules are not installed";
  testing::TempFolder dir;
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
  testing::PopupWatcher watcher;
  // 1,252,973 bytes: the length that once crashed inside the system's icon
  // loader; the others cut into the resource section elsewhere.
  for (const std::size_t length : {std::size_t{1252973}, std::size_t{1100000}, full->size() - 1}) {
    SCOPED_TRACE(length);
    const std::wstring path = ToWide(dir.path()) + L"\\cut" + std::to_wstring(length) + L".dll";
    WriteFileAtomically(FromWide(path), ByteView(*full).first(length));
    form.AdoptSource(path);
    EXPECT_EQ(form.EditSorcePath.text(), path);
    EXPECT_TRUE(form.ButtonAllZandrel.enabled());
    EXPECT_FALSE(form.ProgressBarZandrel.visible());
    EXPECT_GT(form.ListViewIcons.item_count(), 0);
  }
  EXPECT_TRUE(watcher.message_boxes().empty());
}

}  // namespace
}  // namespace zandrel
