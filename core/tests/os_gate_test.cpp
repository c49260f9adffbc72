#include "core/os_version.h"

#include <gtest/gtest.h>

namespace zandrel {
namespace {

TEST(OsGate, AdmitsWindows10And11Only) {
  EXPECT_TRUE(IsWindows10Or11({10, 0, 10240}));
  EXPECT_TRUE(IsWindows10Or11({10, 0, 19045}));
  EXPECT_TRUE(IsWindows10Or11({10, 0, 22631}));  // Windows 11 reports major 10
  EXPECT_FALSE(IsWindows10Or11({10, 0, 10239}));
  EXPECT_FALSE(IsWindows10Or11({6, 3, 9600}));
  EXPECT_FALSE(IsWindows10Or11({6, 1, 7601}));
  EXPECT_FALSE(IsWindows10Or11({11, 0, 22000}));
}

}  // namespace
}  // namespace zandrel
