#pragma once
// The program's three windows in tests, composed as the program composes
// them (app/program.h). Settings go to a Config folder beside the test
// program, which runs as a portable copy.

#include <memory>

#include "app/program.h"

namespace zandrel::testing {

class ProgramWindows {
 public:
  ProgramWindows();
  ~ProgramWindows();
  TForm1& form1();
  TForm8& form8();
  TForm10& form10();

 private:
  std::unique_ptr<app::Program> program_;
};

}  // namespace zandrel::testing
