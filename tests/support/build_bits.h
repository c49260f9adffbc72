#pragma once
// Tests whose meaning needs a process of one width skip themselves in the
// other build, saying why: WOW64 exists only for a 32-bit process, and the
// title names the build. The 64-bit tier thus reports them as skipped rather
// than passing them unseen.

#include <gtest/gtest.h>

#include "config/build_target.h"

#define ZANDREL_ONLY_IN_THE_BUILD_OF(bits, why)   \
  if (::zandrel::config::kProgramBits != (bits)) \
  GTEST_SKIP() << "needs the " #bits "-bit build: " why
