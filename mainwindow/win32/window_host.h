#pragma once
// The main window as seen by saving and extracting: its catalogue, its log,
// its progress bar and the platform services they need.

#include "icons/host.h"

namespace zandrel {

class TForm1;

class MainWindowHost : public icons::MessageCatalogue,
                       public icons::LogView,
                       public icons::ProgressView,
                       public icons::OperationsHost {
 public:
  explicit MainWindowHost(TForm1& form) : form_(form) {}

  std::u16string Text(std::u16string_view entry) const override;

  void Clear() override;
  void AppendLine(std::u16string_view line) override;
  void ScrollToEnd() override;

  void SetRange(int minimum, int maximum) override;
  void SetPosition(int position) override;
  void ShowInFront() override;
  void HideAndReset() override;
  void Refresh() override;

  void ProcessMessages() override;
  void Sleep(unsigned milliseconds) override;
  icons::OpenedModule OpenModule(std::u16string_view path) override;
  void ShowMessage(std::u16string_view text) override;

 private:
  TForm1& form_;
};

}  // namespace zandrel
