#pragma once
// Driving real windows in tests: message pumping, and a watcher that answers
// message boxes, closes menus and modal windows as they appear, recording
// what it saw. The program's own windows: program_windows.h.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zandrel::testing {

// Processes window messages for a while.
void PumpMessages(unsigned milliseconds = 50);
// Processes window messages until done() holds; false when it still does not
// hold after the time-out.
bool PumpUntil(const std::function<bool()>& done, unsigned timeout_ms = 10000);

// While alive, a timer on this thread closes what pops up: message boxes
// (their text is recorded), popup menus, and the program's modal windows.
class PopupWatcher {
 public:
  PopupWatcher();
  ~PopupWatcher();
  PopupWatcher(const PopupWatcher&) = delete;
  PopupWatcher& operator=(const PopupWatcher&) = delete;

  const std::vector<std::wstring>& message_boxes() const { return message_boxes_; }
  // The button message boxes are answered with (IDOK unless set).
  void AnswerMessageBoxesWith(int button) { message_box_answer_ = button; }
  // The next file dialog gets this name typed in and is confirmed; an empty
  // text cancels it. Without a queued answer a file dialog is cancelled.
  void AnswerFileDialog(const std::wstring& name) { file_answers_.push_back(name); }
  // Titles of the file dialogs that were answered.
  const std::vector<std::wstring>& file_dialogs() const { return file_dialogs_; }
  // The file names the answered file dialogs proposed.
  const std::vector<std::wstring>& proposed_names() const { return proposed_names_; }
  int menus_closed() const { return menus_closed_; }
  // Class names of the program's windows that were closed while modal.
  const std::vector<std::wstring>& modal_windows() const { return modal_windows_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  static BOOL CALLBACK Collect(HWND hwnd, LPARAM lp);
  void Sweep();
  UINT_PTR timer_ = 0;
  bool AnswerIfFileDialog(HWND dialog);
  std::vector<HWND> handled_;  // answered, perhaps not closed yet
  std::vector<std::wstring> message_boxes_;
  std::vector<std::wstring> file_answers_;
  std::vector<std::wstring> file_dialogs_;
  std::vector<std::wstring> proposed_names_;
  std::vector<std::wstring> modal_windows_;
  int menus_closed_ = 0;
  int message_box_answer_ = IDOK;
};

// Folder of the running test program, with a trailing backslash.
std::wstring TestProgramFolder();

}  // namespace zandrel::testing
