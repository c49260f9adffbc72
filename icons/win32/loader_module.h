#pragma once
// The system resource loader behind the resource interface. The module is
// mapped as a data file: none of its code runs, and 64-bit modules open in this
// 32-bit program like any other.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "icons/resource_container.h"
#include "icons/resource_module.h"
#include "platform/handles.h"

namespace zandrel::icons {

class LoaderResourceModule : public ResourceModule {
 public:
  // nullptr when the system cannot load the file; GetLastError() then still
  // holds the system's reason, for the caller to report.
  static std::unique_ptr<LoaderResourceModule> Open(const std::wstring& path);

  ~LoaderResourceModule() override;
  LoaderResourceModule(const LoaderResourceModule&) = delete;
  LoaderResourceModule& operator=(const LoaderResourceModule&) = delete;

  // For the icon functions that take a module (LoadIconW, LoadImageW).
  HMODULE handle() const { return module_.get(); }

  std::vector<ResourceName> EnumerateNames(std::uint16_t type) const override;
  // The system chooses the language. A string name is looked up the system's
  // way: the query is upper-cased (so a name stored in lower case is never
  // found) and "#123" stands for identifier 123.
  ResourceData Lookup(std::uint16_t type, const ResourceName& name) const override;

 private:
  explicit LoaderResourceModule(platform::UniqueModule module) : module_(std::move(module)) {}

  platform::UniqueModule module_;
};

// A file as the window reads it. The portable reader looks at it first: a
// 16-bit module, an .ico, .cur or .ani file (which the system loader refuses)
// is read by it; every other file goes to the system loader as before, which
// also finds what lives in .mui files on Windows.
struct WindowModule {
  std::unique_ptr<ResourceModule> module;  // null when neither reader opens the file
  // The loader's module, for the system's icon functions; null when the
  // portable reader reads the file.
  HMODULE handle = nullptr;
  bool own_reader = false;
  ContainerKind kind = ContainerKind::kPeModule;
  DWORD error = 0;  // the system's reason when the loader refused the file
};
WindowModule OpenModuleForWindow(const std::wstring& path);

}  // namespace zandrel::icons
