#pragma once
// What saving and extracting need from the program around them: the message
// catalogue (see i18n/), the log, the progress bar and a few platform services. The main
// window implements these; tests use recording fakes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "i18n/message_catalogue.h"
#include "icons/resource_module.h"

namespace zandrel::icons {

using i18n::MessageCatalogue;

// The main window's log memo.
class LogView {
 public:
  virtual ~LogView() = default;
  virtual void Clear() = 0;
  virtual void AppendLine(std::u16string_view line) = 0;
  virtual void ScrollToEnd() = 0;
};

// The progress bar below the log.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  virtual void SetRange(int minimum, int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  // Makes the bar visible and brings it in front of its siblings.
  virtual void ShowInFront() = 0;
  // Hides the bar, sets its position to 0 and repaints it.
  virtual void HideAndReset() = 0;
  // Repaints and invalidates the bar and updates the main window. Pending
  // messages are processed separately, through OperationsHost.
  virtual void Refresh() = 0;
};

struct OpenedModule {
  std::unique_ptr<ResourceModule> module;  // nullptr when the file could not be opened
  std::uint32_t error_code = 0;            // the platform's last-error code on failure
};

class OperationsHost {
 public:
  virtual ~OperationsHost() = default;
  // Lets queued input and painting run in the middle of a long operation.
  virtual void ProcessMessages() = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
  // Opens a module as data only; none of its code is prepared or run.
  virtual OpenedModule OpenModule(std::u16string_view path) = 0;
  // A message box with one OK button.
  virtual void ShowMessage(std::u16string_view text) = 0;
};

}  // namespace zandrel::icons
