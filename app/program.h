#pragma once
// The composition root: the settings service, then the three windows in
// their order, each running its creation handler before the next exists,
// with what one window reads of another wired in here.

#include <memory>

#include "settings/win32/settings_location.h"

namespace zandrel {

class TForm1;
class TForm8;
class TForm10;

namespace app {

class Program {
 public:
  // The application object must be initialized.
  Program();
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  TForm1& form1() { return *form1_; }
  TForm8& form8() { return *form8_; }
  TForm10& form10() { return *form10_; }
  const settings::SettingsLocation& settings() const { return settings_; }

  // Language, then the Windows 10/11 gate: the message loop on those
  // systems, the refusal box on others.
  void Run();

 private:
  settings::SettingsLocation settings_;
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm8> form8_;
  std::unique_ptr<TForm10> form10_;
};

}  // namespace app
}  // namespace zandrel
