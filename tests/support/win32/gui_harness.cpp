#include "tests/support/win32/gui_harness.h"

#include <algorithm>
#include <filesystem>

#include "gui/win32/application.h"
#include "gui/win32/form.h"
#include "platform/process.h"
#include "platform/wide.h"

namespace zandrel::testing {

namespace {

PopupWatcher* g_watcher = nullptr;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 255);
  return name;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[4096] = {};
  GetWindowTextW(hwnd, text, 4095);
  return text;
}

// The message text of a message box: its static control with the most text.
std::wstring MessageBoxText(HWND box) {
  std::wstring best;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != L"Static") continue;
    std::wstring t = TextOf(child);
    if (t.size() > best.size()) best = t;
  }
  return best;
}

}  // namespace

void PumpMessages(unsigned milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    gui::Application::Instance().ProcessMessages();
    Sleep(5);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

bool PumpUntil(const std::function<bool()>& done, unsigned timeout_ms) {
  const DWORD end = GetTickCount() + timeout_ms;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    gui::Application::Instance().ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

PopupWatcher::PopupWatcher() {
  g_watcher = this;
  timer_ = SetTimer(nullptr, 0, 60, &PopupWatcher::OnTimer);
}

PopupWatcher::~PopupWatcher() {
  KillTimer(nullptr, timer_);
  g_watcher = nullptr;
}

void CALLBACK PopupWatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_watcher) g_watcher->Sweep();
}

BOOL CALLBACK PopupWatcher::Collect(HWND hwnd, LPARAM lp) {
  if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

void PopupWatcher::Sweep() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), &PopupWatcher::Collect, reinterpret_cast<LPARAM>(&found));
  // Forget windows that are gone; skip those already answered.
  std::erase_if(handled_, [](HWND h) { return !IsWindow(h) || !IsWindowVisible(h); });
  for (HWND hwnd : found) {
    if (std::find(handled_.begin(), handled_.end(), hwnd) != handled_.end()) continue;
    const std::wstring cls = ClassOf(hwnd);
    if (cls == L"#32770") handled_.push_back(hwnd);
    if (cls == L"#32768") {
      EndMenu();
      ++menus_closed_;
    } else if (cls == L"#32770") {
      if (AnswerIfFileDialog(hwnd)) continue;
      message_boxes_.push_back(MessageBoxText(hwnd));
      PostMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(message_box_answer_), 0);
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
    } else if (gui::Form* form = gui::Form::FromHandle(hwnd); form && form->is_modal()) {
      modal_windows_.push_back(form->class_name());
      form->Close();
    }
  }
}

namespace {
BOOL CALLBACK FindFileNameEdit(HWND hwnd, LPARAM lp) {
  // The file name box: the first visible edit control of the dialog (inside
  // a combo box in some dialog versions).
  if (ClassOf(hwnd) == L"Edit" && IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(lp) = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool PopupWatcher::AnswerIfFileDialog(HWND dialog) {
  HWND edit = nullptr;
  EnumChildWindows(dialog, &FindFileNameEdit, reinterpret_cast<LPARAM>(&edit));
  if (!edit) return false;  // a message box
  file_dialogs_.push_back(TextOf(dialog));
  proposed_names_.push_back(TextOf(edit));
  std::wstring answer;
  if (!file_answers_.empty()) {
    answer = file_answers_.front();
    file_answers_.erase(file_answers_.begin());
  }
  if (answer.empty()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  }
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
  HWND ok = GetDlgItem(dialog, IDOK);
  if (ok)
    PostMessageW(ok, BM_CLICK, 0, 0);
  else
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return true;
}

std::wstring TestProgramFolder() {
  return platform::ExecutableFolder();
}

}  // namespace zandrel::testing
