// The owning handle wrappers release what they own exactly once, on every
// path, and let go of it when asked; the WOW64 switch really shows the
// 64-bit system folder while it is alive.

#include "platform/handles.h"

#include <gtest/gtest.h>

#include "core/bytes.h"
#include "core/file_io.h"
#include "platform/wide.h"
#include "tests/support/build_bits.h"

namespace zandrel::platform {
namespace {

bool IsOpenKernelHandle(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}

bool IsLiveGdiObject(HGDIOBJ object) {
  return GetObjectType(object) != 0;
}

TEST(UniqueHandles, CloseOnDestructionResetAndAssignmentButNotAfterRelease) {
  HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE third = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    UniqueHandle a(first);
    EXPECT_TRUE(a);
    UniqueHandle b(std::move(a));  // ownership moves; nothing closes yet
    EXPECT_FALSE(a);
    EXPECT_TRUE(IsOpenKernelHandle(first));
    b.reset(second);  // the old one goes at once
    EXPECT_FALSE(IsOpenKernelHandle(first));
    UniqueHandle c(third);
    b = std::move(c);
    EXPECT_FALSE(IsOpenKernelHandle(second));
    EXPECT_TRUE(IsOpenKernelHandle(third));
  }
  EXPECT_FALSE(IsOpenKernelHandle(third));

  HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    UniqueHandle d(kept);
    EXPECT_EQ(d.release(), kept);
  }
  EXPECT_TRUE(IsOpenKernelHandle(kept));
  UniqueHandle{kept};  // and closed after all
  EXPECT_FALSE(IsOpenKernelHandle(kept));
}

TEST(UniqueHandles, FilesTreatTheInvalidValueAsEmpty) {
  UniqueFile missing(CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
  missing.reset();  // nothing to close, nothing breaks
  EXPECT_FALSE(missing);
}

TEST(UniqueHandles, GdiObjectsAreDeletedAndSelectionsUndone) {
  HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
  HPEN pen_raw = CreatePen(PS_SOLID, 1, RGB(4, 5, 6));
  {
    UniqueBrush brush(raw);
    UniquePen pen(pen_raw);
    WindowDC dc(nullptr);
    ASSERT_NE(dc.get(), nullptr);
    HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_PEN);
    {
      ScopedSelect select(dc.get(), pen.get());
      EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), pen.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), before);
    EXPECT_TRUE(IsLiveGdiObject(raw));
  }
  EXPECT_FALSE(IsLiveGdiObject(raw));
  EXPECT_FALSE(IsLiveGdiObject(pen_raw));
}

TEST(UniqueHandles, MenusAreDestroyed) {
  HMENU raw = CreatePopupMenu();
  { UniqueMenu menu(raw); }
  EXPECT_FALSE(IsMenu(raw));
}

// The machine field of a PE file's header.
std::uint16_t MachineOf(const std::wstring& path) {
  const auto bytes = ReadFileBytes(FromWide(path), 4096);
  if (!bytes || bytes->size() < 0x40) return 0;
  const auto pe = ReadU32LE(*bytes, 0x3C);
  if (!pe) return 0;
  return ReadU16LE(*bytes, *pe + 4).value_or(0);
}

TEST(Wow64Redirection, ShowsTheRealSystemFolderWhileSwitchedOff) {
  ZANDREL_ONLY_IN_THE_BUILD_OF(32, "a 32-bit process under WOW64");
  ASSERT_TRUE(RunningUnderWow64());  // a 32-bit program on a 64-bit prefix
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring kernel = std::wstring(system) + L"\\kernel32.dll";
  EXPECT_EQ(MachineOf(kernel), IMAGE_FILE_MACHINE_I386);
  {
    Wow64RedirectionOff off;
    EXPECT_EQ(MachineOf(kernel), IMAGE_FILE_MACHINE_AMD64);
  }
  EXPECT_EQ(MachineOf(kernel), IMAGE_FILE_MACHINE_I386);
}

TEST(Wow64Redirection, A64BitProcessSeesTheSystemFolderAsItIs) {
  ZANDREL_ONLY_IN_THE_BUILD_OF(64, "a 64-bit process, which WOW64 does not redirect");
  EXPECT_FALSE(RunningUnderWow64());
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring kernel = std::wstring(system) + L"\\kernel32.dll";
  EXPECT_EQ(MachineOf(kernel), IMAGE_FILE_MACHINE_AMD64);
  Wow64RedirectionOff off;  // nothing to switch off
  EXPECT_EQ(MachineOf(kernel), IMAGE_FILE_MACHINE_AMD64);
}

}  // namespace
}  // namespace zandrel::platform
