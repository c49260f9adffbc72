// Changes the controls hold back: the log hands its lines to the edit
// control in batches while an operation processes messages, and at once when
// it is read or the program waits; a progress position reaches the bar at the
// next message point once it shows, and when the program waits; the list's rows reach its control
// when an update ends, and the control shows what the list holds.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gui/tests/win32/test_form.h"
#include "gui/win32/application.h"
#include "gui/win32/controls.h"
#include "gui/win32/list_view.h"

namespace zandrel::gui {
namespace {

using gui::testing::TestForm;

const char kDefinition[] = R"(
Form HeldBackForm : THeldBackForm {
  ClientWidth = 300; ClientHeight = 200
  ProgressBar Bar { Align = bottom; Height = 17; KeepsRoom = true }
  ListView Rows {
    Align = top; Height = 100
    Column { Caption = "A"; Width = 40 }
    Column { Caption = "B"; Width = 60 }
    Column { Caption = "C"; Width = 60 }
  }
  Memo Log { Align = client }
}
)";

// What the edit control itself holds, without handing anything over.
std::wstring ControlText(HWND edit) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  return text;
}

TEST(HeldBack, LogLinesReachTheControlInBatchesAndWhollyWhenReadOrWaiting) {
  TestForm form(kDefinition);
  form.Show();
  auto& log = form.Get<Memo>(L"Log");
  auto& bar = form.Get<ProgressBar>(L"Bar");
  Application& app = Application::Instance();
  const HWND edit = log.hwnd();

  // The first batch of an operation is due at once.
  log.AppendLine(L"one");
  app.ProcessMessages();
  EXPECT_EQ(ControlText(edit), L"one");
  // A line right after it waits for the next batch...
  log.AppendLine(L"two");
  bar.SetPosition(40);
  app.ProcessMessages();
  EXPECT_EQ(ControlText(edit), L"one");
  EXPECT_EQ(SendMessageW(bar.hwnd(), PBM_GETPOS, 0, 0), 40);  // a position that shows goes at once
  // A step too small to show waits, but never past the next wait.
  bar.SetRange(0, 100000);
  bar.SetPosition(41);
  app.ProcessMessages();
  EXPECT_EQ(SendMessageW(bar.hwnd(), PBM_GETPOS, 0, 0), 40);
  app.FlushPending();
  EXPECT_EQ(SendMessageW(bar.hwnd(), PBM_GETPOS, 0, 0), 41);
  // ...which comes once the interval has passed,
  Sleep(static_cast<DWORD>(Memo::kBatchIntervalMs) + 20);
  app.ProcessMessages();
  EXPECT_EQ(ControlText(edit), L"one\r\ntwo");

  // and at once for anyone who reads the log,
  log.AppendLine(L"three");
  EXPECT_EQ(log.text(), L"one\r\ntwo\r\nthree");
  EXPECT_EQ(ControlText(edit), L"one\r\ntwo\r\nthree");
  log.AppendLine(L"four");
  EXPECT_EQ(log.line_count(), 4);
  // or before the program waits for input or opens a modal window.
  log.AppendLine(L"five");
  app.ProcessMessages();
  EXPECT_EQ(ControlText(edit), L"one\r\ntwo\r\nthree\r\nfour");
  app.FlushPending();
  EXPECT_EQ(ControlText(edit), L"one\r\ntwo\r\nthree\r\nfour\r\nfive");

  // Scrolling to the end waits for held lines and comes with them.
  for (int i = 0; i < 60; ++i) log.AppendLine(L"line " + std::to_wstring(i));
  log.ScrollToEnd();
  EXPECT_EQ(ControlText(edit), L"one\r\ntwo\r\nthree\r\nfour\r\nfive");
  app.FlushPending();
  const auto lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
  EXPECT_EQ(lines, 65);
  RECT client{};
  GetClientRect(edit, &client);
  const auto last_shown = SendMessageW(edit, EM_CHARFROMPOS, 0, MAKELPARAM(2, client.bottom - 2));
  EXPECT_EQ(HIWORD(last_shown), lines - 1);

  // The bar keeps its room while hidden: the log, laid out for its lines,
  // stays as it is.
  RECT shown{}, hidden{};
  GetWindowRect(edit, &shown);
  bar.SetVisible(false);
  GetWindowRect(edit, &hidden);
  EXPECT_FALSE(IsWindowVisible(bar.hwnd()));
  EXPECT_TRUE(EqualRect(&shown, &hidden));

  // Clearing drops what was held back.
  log.AppendLine(L"six");
  log.Clear();
  app.FlushPending();
  EXPECT_EQ(ControlText(edit), L"");
  log.AppendLine(L"seven");
  EXPECT_EQ(log.text(), L"seven");
}

// A cell as the list control itself answers for it.
std::wstring ControlCell(HWND list, int row, int column) {
  wchar_t buffer[64] = {};
  ListView_GetItemText(list, row, column, buffer, static_cast<int>(std::size(buffer)));
  return buffer;
}

TEST(HeldBack, ListRowsReachTheControlWhenTheUpdateEndsAndItShowsWhatTheListHolds) {
  TestForm form(kDefinition);
  form.Show();
  auto& list = form.Get<ListView>(L"Rows");
  const HWND control = list.hwnd();

  list.AddItem(3, {L"first", L"1"}, 10);
  EXPECT_EQ(ListView_GetItemCount(control), 1);
  list.BeginUpdate();
  list.AddItem(-1, {L"second", L"2"}, 20);
  list.AddItem(5, {L"a text longer than the buffer the control is asked with, cut there", L"3"},
               30);
  EXPECT_EQ(list.item_count(), 3);
  EXPECT_EQ(ListView_GetItemCount(control), 1);
  list.EndUpdate();
  ASSERT_EQ(ListView_GetItemCount(control), 3);

  EXPECT_EQ(ControlCell(control, 0, 1), L"first");
  EXPECT_EQ(ControlCell(control, 1, 2), L"2");
  EXPECT_EQ(ControlCell(control, 0, 0), L"");
  EXPECT_EQ(ControlCell(control, 2, 1),
            std::wstring(L"a text longer than the buffer the control is asked with, cut there")
                .substr(0, 63));
  EXPECT_EQ(ControlCell(control, 0, 7), L"");   // no such column
  EXPECT_EQ(ControlCell(control, 9, 1), L"");   // no such row
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  for (const auto& [row, image, data] : {std::tuple{0, 3, 10}, {1, I_IMAGENONE, 20}, {2, 5, 30}}) {
    item.iItem = row;
    ASSERT_TRUE(ListView_GetItem(control, &item));
    EXPECT_EQ(item.iImage, image);
    EXPECT_EQ(list.ItemData(row), data);
  }
  EXPECT_EQ(list.ItemImage(1), -1);
  EXPECT_EQ(list.ItemText(2, 2), L"3");

  // Selection is the control's, by row.
  list.SetItemIndex(2);
  EXPECT_EQ(list.item_index(), 2);
  EXPECT_EQ(list.selected_rows(), std::vector<int>{2});

  list.Clear();
  EXPECT_EQ(list.item_count(), 0);
  EXPECT_EQ(ListView_GetItemCount(control), 0);
  EXPECT_EQ(list.item_index(), -1);
  EXPECT_EQ(list.ItemText(0, 1), L"");
}

// A long list's column sized to its cells is as wide as the control makes it
// when it measures every row itself, and the control shows all rows again.
TEST(HeldBack, AColumnSizedToItsCellsIsAsWideAsTheControlMakesIt) {
  TestForm form(kDefinition);
  form.Show();
  auto& list = form.Get<ListView>(L"Rows");
  list.BeginUpdate();
  for (int i = 0; i < 500; ++i)
    list.AddItem(
        -1, {L"ID:" + std::to_wstring(i), std::wstring(i == 250 ? 40 : i % 37, L'W') + L"i"}, i);
  list.EndUpdate();
  for (const auto& [column, how] : {std::pair{1, LVSCW_AUTOSIZE_USEHEADER}, {2, LVSCW_AUTOSIZE}}) {
    list.SetColumnWidth(column, how);
    const int ours = list.column_width(column);
    ListView_SetColumnWidth(list.hwnd(), column, how);
    EXPECT_EQ(ours, ListView_GetColumnWidth(list.hwnd(), column)) << column;
  }
  // Both at once, and the last one alone (one widest row), filling what is
  // left as the control does it: with its scroll bar.
  for (int first : {1, 2}) {
    list.SizeColumnsToCells(first, 3, LVSCW_AUTOSIZE_USEHEADER);
    const int ours[] = {list.column_width(1), list.column_width(2)};
    for (int column = first; column < 3; ++column) {
      ListView_SetColumnWidth(list.hwnd(), column, LVSCW_AUTOSIZE_USEHEADER);
      EXPECT_EQ(ours[column - 1], ListView_GetColumnWidth(list.hwnd(), column)) << column;
    }
  }
  EXPECT_EQ(ListView_GetItemCount(list.hwnd()), 500);
  EXPECT_EQ(ControlCell(list.hwnd(), 499, 1), L"ID:499");
}

}  // namespace
}  // namespace zandrel::gui
