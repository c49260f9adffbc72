// Changes the controls hold back: the log hands its lines to the edit
// control in batches while an operation processes messages, and at once when
// it is read or the program waits; a progress position reaches the bar at the
// next message point.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "gui/tests/win32/test_form.h"
#include "gui/win32/application.h"
#include "gui/win32/controls.h"

namespace zandrel::gui {
namespace {

using gui::testing::TestForm;

const char kDefinition[] = R"(
Form HeldBackForm : THeldBackForm {
  ClientWidth = 300; ClientHeight = 200
  ProgressBar Bar { Align = bottom; Height = 17 }
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
  EXPECT_EQ(SendMessageW(bar.hwnd(), PBM_GETPOS, 0, 0), 40);  // positions are never held
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

  // Clearing drops what was held back.
  log.AppendLine(L"six");
  log.Clear();
  app.FlushPending();
  EXPECT_EQ(ControlText(edit), L"");
  log.AppendLine(L"seven");
  EXPECT_EQ(log.text(), L"seven");
}

}  // namespace
}  // namespace zandrel::gui
