#pragma once
// The composition root: the settings service, then the three windows in
// their order, each running its creation handler before the next exists,
// with what one window reads of another wired in here.

#include <memory>
#include <string>
#include <vector>

#include "settings/win32/settings_location.h"
#include "update/win32/update_window.h"

namespace zandrel {

class TForm1;
class TForm3;
class TForm5;
class TForm8;
class TForm10;

namespace app {

// What a run of the program is pointed at: the update window's servers
// (by default the release's two) and the services it starts.
struct ProgramOptions {
  UpdateLinks update;
};
ProgramOptions ReleaseOptions();

class Program {
 public:
  // The application object must be initialized.
  explicit Program(ProgramOptions options = ReleaseOptions());
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  TForm1& form1() { return *form1_; }
  TForm3& form3() { return *form3_; }
  TForm5& form5() { return *form5_; }
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
  std::unique_ptr<TForm3> form3_;
  std::unique_ptr<TForm5> form5_;
};

}  // namespace app
}  // namespace zandrel
