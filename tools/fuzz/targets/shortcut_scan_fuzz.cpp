// The raw scan of a shortcut file's bytes.
#include "mainwindow/shortcut_scan.h"

using namespace zandrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mainwindow::ScanShortcutBytes(ByteView(data, size));
  return 0;
}
