// zandrel-cli's entry: arguments as UTF-8, output in UTF-8.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/text.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    const std::wstring wide = argv[i];
    args.push_back(zandrel::ToUtf8(std::u16string(wide.begin(), wide.end())));
  }
  zandrel::cli::Environment environment;
  environment.progress_terminal = _isatty(_fileno(stderr)) != 0;
  return zandrel::cli::Run(args, std::cout, std::cerr, environment);
}
#else
#include <unistd.h>

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  zandrel::cli::Environment environment;
  environment.progress_terminal = isatty(STDERR_FILENO) != 0;
  return zandrel::cli::Run(args, std::cout, std::cerr, environment);
}
#endif
