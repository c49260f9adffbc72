// What the main window hands on of a group: the clipboard's three formats,
// the files a drag drops, PNG files, the temporary folder behind them, and
// the tip of a cut sizes cell.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "core/file_io.h"
#include "gui/win32/application.h"
#include "gui/win32/data_transfer.h"
#include "icons/icon_image.h"
#include "icons/png_export.h"
#include "mainwindow/win32/main_window.h"
#include "platform/wide.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/win32/gui_harness.h"
#include "tests/support/win32/program_windows.h"

namespace zandrel {
namespace {

using platform::FromWide;
using platform::ToWide;

std::vector<std::wstring> DropFiles(HDROP drop) {
  std::vector<std::wstring> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    wchar_t buffer[MAX_PATH + 1] = {};
    DragQueryFileW(drop, i, buffer, MAX_PATH + 1);
    files.push_back(buffer);
  }
  return files;
}

Bytes GlobalBytes(HGLOBAL memory) {
  const auto* data = static_cast<const std::uint8_t*>(GlobalLock(memory));
  Bytes bytes(data, data + GlobalSize(memory));
  GlobalUnlock(memory);
  return bytes;
}

// The straight RGBA pixels, top row first, of a CF_DIBV5 block as the
// program writes it (bottom-up, BGRA under BI_BITFIELDS masks).
icons::RgbaImage PixelsOfDibV5(const Bytes& dib) {
  BITMAPV5HEADER header{};
  std::memcpy(&header, dib.data(), sizeof header);
  icons::RgbaImage image;
  image.width = static_cast<std::uint32_t>(header.bV5Width);
  image.height = static_cast<std::uint32_t>(header.bV5Height);
  for (std::uint32_t row = image.height; row-- > 0;) {
    const std::uint8_t* pixel = dib.data() + header.bV5Size + std::size_t{row} * image.width * 4;
    for (std::uint32_t x = 0; x < image.width; ++x, pixel += 4)
      image.pixels.insert(image.pixels.end(), {pixel[2], pixel[1], pixel[0], pixel[3]});
  }
  return image;
}

class TransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Group ID:1 holds bitmaps, its largest 48 x 48, more than its sizes
    // cell shows; ID:2's largest is a stored PNG of 64 x 64.
    icons::RgbaImage png_pixels;
    png_pixels.width = png_pixels.height = 64;
    for (std::uint32_t i = 0; i < 64 * 64; ++i)
      png_pixels.pixels.insert(png_pixels.pixels.end(),
                               {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 4),
                                200, static_cast<std::uint8_t>(i % 3 ? 255 : 128)});
    stored_png = icons::EncodePng(64, 64, png_pixels.pixels);
    large_bitmap = testing::MakeDibIconImage(48, 48, 7);
    testing::PeBuilder pe;
    std::vector<testing::IconImageSpec> images = {
        {testing::MakeDibIconImage(16, 16, 1), 16, 16, 32}, {large_bitmap, 48, 48, 32}};
    for (std::uint8_t side = 20; side <= 44; side += 4)
      images.push_back({testing::MakeDibIconImage(side, side, side), side, side, 32});
    pe.AddIconGroup(icons::ResourceName::Id(1), images);
    pe.AddIconGroup(icons::ResourceName::Id(2),
                    {{testing::MakeDibIconImage(32, 32, 3), 32, 32, 32}, {stored_png, 64, 64, 32}});
    module = folder + L"tool.dll";
    pe.WriteTo(FromWide(module));
    form.AdoptSource(module);
    ASSERT_EQ(form.ListViewIcons.item_count(), 2);
  }

  // The bytes "Сохранить иконку" writes for a row.
  Bytes SavedIcon(int row) {
    form.ListViewIcons.SetItemIndex(row);
    const std::wstring path = folder + L"saved" + std::to_wstring(row) + L".ico";
    form.FileSaveDialogIcon.chooser = [&](const gui::FileDialog&) {
      return std::optional<std::wstring>(path);
    };
    form.SaveIconMenuClick();
    form.FileSaveDialogIcon.chooser = nullptr;
    return ReadFileBytes(FromWide(path)).value_or(Bytes{});
  }

  testing::TempFolder dir;
  std::wstring folder = ToWide(dir.path()) + L"\\";
  std::wstring module;
  Bytes stored_png;
  Bytes large_bitmap;
  testing::ProgramWindows windows;
  TForm1& form = windows.form1();
};

TEST_F(TransferTest, CopyPutsTheSavedIcoFileTheLargestBitmapAndItsPngOnTheClipboard) {
  const Bytes saved = SavedIcon(0);
  ASSERT_GT(saved.size(), 22u);
  form.ListViewIcons.SetItemIndex(0);
  ASSERT_TRUE(form.CopyIconMenu.enabled());
  form.CopyIconMenuClick();

  ASSERT_TRUE(OpenClipboard(form.hwnd()));
  const HANDLE drop = GetClipboardData(CF_HDROP);
  const HANDLE dib = GetClipboardData(CF_DIBV5);
  const HANDLE png = GetClipboardData(gui::PngClipboardFormat());
  ASSERT_TRUE(drop && dib && png);
  const std::vector<std::wstring> files = DropFiles(static_cast<HDROP>(drop));
  const Bytes dib_bytes = GlobalBytes(dib);
  const Bytes png_bytes = GlobalBytes(png);
  CloseClipboard();

  // The file lies in this run's own folder below the temporary folder, and
  // holds what saving writes.
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], form.transfer_folder().Path() + L"tool_0.ico");
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  EXPECT_EQ(files[0].rfind(temp, 0), 0u) << files[0];
  EXPECT_EQ(ReadFileBytes(FromWide(files[0])), saved);
  EXPECT_NE(form.MemoZandrel.text().find(L"Скопировано в буфер обмена: " + files[0]),
            std::wstring::npos);

  // Both pictures are the 48 x 48 image, alpha included.
  const auto expected = icons::DecodeIconBitmap(large_bitmap);
  ASSERT_TRUE(expected);
  const icons::RgbaImage from_dib = PixelsOfDibV5(dib_bytes);
  EXPECT_EQ(from_dib.width, 48u);
  EXPECT_EQ(from_dib.height, 48u);
  EXPECT_EQ(from_dib.pixels, expected->pixels);
  const auto from_png = icons::DecodePng(png_bytes);
  ASSERT_TRUE(from_png);
  EXPECT_EQ(from_png->width, 48u);
  EXPECT_EQ(from_png->pixels, expected->pixels);

  // A stored PNG goes on the clipboard as it is stored; the bitmap holds its pixels.
  form.ListViewIcons.SetItemIndex(1);
  form.CopyIconMenuClick();
  ASSERT_TRUE(OpenClipboard(form.hwnd()));
  EXPECT_EQ(GlobalBytes(GetClipboardData(gui::PngClipboardFormat())), stored_png);
  const icons::RgbaImage stored_dib = PixelsOfDibV5(GlobalBytes(GetClipboardData(CF_DIBV5)));
  CloseClipboard();
  EXPECT_EQ(stored_dib.pixels, icons::DecodePng(stored_png)->pixels);
}

TEST_F(TransferTest, ClipboardHeldByAnotherProgramIsReportedAndNothingIsLogged) {
  std::atomic<int> state{0};  // 1: holding the clipboard, 2: let it go
  std::thread other([&] {
    if (OpenClipboard(nullptr)) {
      state = 1;
      while (state != 2) Sleep(5);
      CloseClipboard();
    } else {
      state = -1;
    }
  });
  while (state == 0) Sleep(5);
  ASSERT_EQ(state, 1);
  testing::PopupWatcher watcher;
  form.ListViewIcons.SetItemIndex(0);
  form.CopyIconMenuClick();
  state = 2;
  other.join();
  ASSERT_EQ(watcher.message_boxes().size(), 1u);
  EXPECT_EQ(watcher.message_boxes()[0],
            L"Буфер обмена занят другой программой. Повторите попытку.");
  EXPECT_EQ(form.MemoZandrel.text().find(L"Скопировано"), std::wstring::npos);
}

TEST_F(TransferTest, CtrlCCopiesFromTheListOnlyAndTheLogKeepsItsOwnCopy) {
  form.Show();
  testing::PumpMessages(50);
  form.ListViewIcons.SetItemIndex(0);
  OpenClipboard(form.hwnd());
  EmptyClipboard();
  CloseClipboard();
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  auto press_ctrl_c = [](HWND target) {
    SetFocus(target);
    MSG msg{target, WM_KEYDOWN, 'C', 0, 0, {}};
    gui::Application::Instance().DispatchOne(msg);
  };
  press_ctrl_c(form.MemoZandrel.hwnd());
  const bool copied_from_log = IsClipboardFormatAvailable(CF_HDROP);
  press_ctrl_c(form.ListViewIcons.hwnd());
  const bool copied_from_list = IsClipboardFormatAvailable(CF_HDROP);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  form.Hide();
  EXPECT_FALSE(copied_from_log);
  EXPECT_TRUE(copied_from_list);
}

// A drop target that takes the files of a drop, as Explorer's would.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FileDropTarget final : public IDropTarget {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
      files = DropFiles(static_cast<HDROP>(medium.hGlobal));
      ReleaseStgMedium(&medium);
    }
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  ULONG references = 1;
  std::vector<std::wstring> files;
};
#pragma GCC diagnostic pop

TEST_F(TransferTest, DraggedRowsDropTheirSavedIcoFiles) {
  const Bytes first = SavedIcon(0);
  const Bytes second = SavedIcon(1);

  // What a drop target reads of the data object.
  const platform::ComPtr<IDataObject> data = form.IconFilesData({0, 1});
  ASSERT_TRUE(data);
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  ASSERT_EQ(data->QueryGetData(&format), S_OK);
  STGMEDIUM medium{};
  ASSERT_HRESULT_SUCCEEDED(data->GetData(&format, &medium));
  const std::vector<std::wstring> files = DropFiles(static_cast<HDROP>(medium.hGlobal));
  ReleaseStgMedium(&medium);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(ReadFileBytes(FromWide(files[0])), first);
  EXPECT_EQ(ReadFileBytes(FromWide(files[1])), second);
  FORMATETC picture{CF_DIBV5, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&picture), DV_E_FORMATETC);

  // The shell keeps its drag image on the data object and reads it back.
  FORMATETC image{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"DragImageBits")), nullptr,
                  DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM stored{};
  stored.tymed = TYMED_HGLOBAL;
  stored.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(GlobalLock(stored.hGlobal), "abc", 3);
  GlobalUnlock(stored.hGlobal);
  ASSERT_HRESULT_SUCCEEDED(data->SetData(&image, &stored, TRUE));
  STGMEDIUM back{};
  ASSERT_HRESULT_SUCCEEDED(data->GetData(&image, &back));
  EXPECT_EQ(GlobalBytes(back.hGlobal), (Bytes{'a', 'b', 'c'}));
  ReleaseStgMedium(&back);
}

TEST_F(TransferTest, DragFromTheListDropsOnATargetUnderTheCursor) {
  const Bytes saved = SavedIcon(1);
  // A window with a drop target where the cursor is; the mouse button is up,
  // so the drag drops at once.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZandrelTestDropTarget";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 300,
                                300, 200, 200, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(window);
  SetCursorPos(400, 400);
  testing::PumpMessages(50);
  // OLE on this thread: the main window holds it too, and the counts nest.
  ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
  FileDropTarget target;
  ASSERT_HRESULT_SUCCEEDED(RegisterDragDrop(window, &target));
  form.ListViewIcons.SetItemIndex(1);
  form.ListViewIconsBeginDrag();
  RevokeDragDrop(window);
  OleUninitialize();
  DestroyWindow(window);
  ASSERT_EQ(target.files.size(), 1u);
  EXPECT_EQ(ReadFileBytes(FromWide(target.files[0])), saved);
  EXPECT_EQ(target.references, 1u);

  // With OLE held by the window (for drops) the list still sizes its
  // columns to their text, and the last one fills the list.
  form.AdoptSource(module);
  EXPECT_GT(form.ListViewIcons.column_width(4), 200);
}

TEST_F(TransferTest, PngOfTheLargestImageAndEveryImageIntoAFolder) {
  form.ListViewIcons.SetItemIndex(0);
  std::wstring proposed;
  form.FileSaveDialogPng.chooser = [&](const gui::FileDialog& d) {
    proposed = d.file_name;
    return std::optional<std::wstring>(folder + L"large");
  };
  form.SavePngMenuClick();
  form.FileSaveDialogPng.chooser = nullptr;
  EXPECT_EQ(proposed, L"tool_0.png");
  const auto written = ReadFileBytes(FromWide(folder + L"large.png"));
  ASSERT_TRUE(written);
  const auto decoded = icons::DecodePng(*written);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->pixels, icons::DecodeIconBitmap(large_bitmap)->pixels);
  EXPECT_NE(form.MemoZandrel.text().find(L"Сохранено: " + folder + L"large.png"),
            std::wstring::npos);

  // Every image of the group, named as the command-line companion names them.
  CreateDirectoryW((folder + L"all").c_str(), nullptr);
  testing::PopupWatcher watcher;
  watcher.AnswerFileDialog(folder + L"all");
  form.ListViewIcons.SetItemIndex(1);
  form.SaveAllPngMenuClick();
  ASSERT_EQ(watcher.file_dialogs().size(), 1u);
  EXPECT_EQ(watcher.file_dialogs()[0], L"Выберите папку для изображений PNG");
  const auto small = ReadFileBytes(FromWide(folder + L"all\\icon_2_32x32_32bit.png"));
  ASSERT_TRUE(small);
  EXPECT_EQ(icons::DecodePng(*small)->pixels,
            icons::DecodeIconBitmap(testing::MakeDibIconImage(32, 32, 3))->pixels);
  EXPECT_EQ(ReadFileBytes(FromWide(folder + L"all\\icon_2_64x64_png.png")), stored_png);
  WIN32_FIND_DATAW found{};
  int files = 0;
  HANDLE search = FindFirstFileW((folder + L"all\\*").c_str(), &found);
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_EQ(files, 2);
}

TEST_F(TransferTest, SizesCellShowsItsWholeTextAsTipOnlyWhenCut) {
  form.Show();
  testing::PumpMessages(50);
  // Nine sizes are more than the column shows; two fit.
  const std::wstring sizes = form.ListViewIcons.ItemText(0, 4);
  ASSERT_EQ(sizes.substr(0, 32), L"16x16 (32-bit), 48x48 (32-bit), ");
  EXPECT_EQ(form.ListViewIcons.CutCellText(0, 4), sizes);
  EXPECT_EQ(form.ListViewIcons.ItemText(1, 4), L"32x32 (32-bit), 64x64 (32-bit)");
  EXPECT_EQ(form.ListViewIcons.CutCellText(1, 4), L"");
  EXPECT_EQ(form.ListViewIcons.CutCellText(0, 2), L"");

  // The list asks for the tip of the row under the mouse: the cut cell there.
  RECT cell{};
  ListView_GetSubItemRect(form.ListViewIcons.hwnd(), 0, 4, LVIR_BOUNDS, &cell);
  POINT point{cell.left + 10, (cell.top + cell.bottom) / 2};
  ClientToScreen(form.ListViewIcons.hwnd(), &point);
  SetCursorPos(point.x, point.y);
  wchar_t text[1024] = L"label";
  NMLVGETINFOTIPW tip{};
  tip.hdr.hwndFrom = form.ListViewIcons.hwnd();
  tip.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(form.ListViewIcons.hwnd()));
  tip.hdr.code = LVN_GETINFOTIPW;
  tip.pszText = text;
  tip.cchTextMax = 1024;
  tip.iItem = 0;
  SendMessageW(GetParent(form.ListViewIcons.hwnd()), WM_NOTIFY, tip.hdr.idFrom,
               reinterpret_cast<LPARAM>(&tip));
  EXPECT_EQ(std::wstring(text), sizes);
  // Over the name, which fits, no tip.
  ListView_GetSubItemRect(form.ListViewIcons.hwnd(), 0, 2, LVIR_BOUNDS, &cell);
  point = {cell.left + 10, (cell.top + cell.bottom) / 2};
  ClientToScreen(form.ListViewIcons.hwnd(), &point);
  SetCursorPos(point.x, point.y);
  SendMessageW(GetParent(form.ListViewIcons.hwnd()), WM_NOTIFY, tip.hdr.idFrom,
               reinterpret_cast<LPARAM>(&tip));
  EXPECT_EQ(std::wstring(text), L"");
  form.Hide();
}

TEST(TransferFolder, GoesWithTheWindowAndHoldsOnlyThisRunsFiles) {
  std::wstring path;
  {
    testing::ProgramWindows windows;
    path = windows.form1().transfer_folder().Path();
    ASSERT_TRUE(DirectoryExists(FromWide(path)));
    WriteFileAtomically(FromWide(path + L"a.ico"), Bytes{1, 2, 3});
    // A second window of the same process gets a folder of its own.
    platform::RunTempFolder other(L"Zandrel");
    EXPECT_NE(other.Path(), path);
  }
  EXPECT_FALSE(DirectoryExists(FromWide(path)));
}

}  // namespace
}  // namespace zandrel
