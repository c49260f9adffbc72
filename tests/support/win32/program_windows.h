#pragma once
// The program's windows in tests, composed as the program composes
// them (app/program.h). Settings go to a Config folder beside the test
// program, which runs as a portable copy.

#include <memory>

#include "app/program.h"

namespace zandrel::testing {

// The settings file the program's windows use in tests, and its removal
// (read-only or not), so that the next windows make a first start.
std::wstring TestSettingsFile();
void RemoveTestSettings();

class ProgramWindows {
 public:
  // The update servers are a closed loopback port unless the options say
  // otherwise, so no test reaches the network.
  explicit ProgramWindows(app::ProgramOptions options = TestOptions());
  static app::ProgramOptions TestOptions();
  ~ProgramWindows();
  TForm1& form1();
  TForm3& form3();
  TForm5& form5();
  TForm8& form8();
  TForm10& form10();

 private:
  std::unique_ptr<app::Program> program_;
};

}  // namespace zandrel::testing
