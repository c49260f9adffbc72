#include "icons/win32/loader_module.h"

#include <exception>

#include "platform/wide.h"

namespace zandrel::icons {

namespace {

struct NameCollector {
  std::vector<ResourceName> names;
  std::exception_ptr error;
};

// Enumeration callback: an integer name when the system passes one, otherwise
// the zero-terminated string. An exception must not unwind through the
// system's frames, so it waits in the collector until the enumeration returns.
BOOL CALLBACK CollectResourceName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* collector = reinterpret_cast<NameCollector*>(param);
  try {
    if (IS_INTRESOURCE(name)) {
      collector->names.push_back(
          ResourceName::Id(static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name))));
    } else {
      collector->names.push_back(ResourceName::Text(platform::FromWide(name)));
    }
    return TRUE;
  } catch (...) {
    collector->error = std::current_exception();
    return FALSE;
  }
}

// The loader gives a file name without extension the extension ".dll", and
// would open a different file or none. A trailing dot makes it take the name as
// it is (the file system drops the dot again).
std::wstring LiteralModulePath(const std::wstring& path) {
  const auto separator = path.find_last_of(L"\\/:");
  const std::size_t name_start = separator == std::wstring::npos ? 0 : separator + 1;
  if (name_start < path.size() && path.find(L'.', name_start) == std::wstring::npos)
    return path + L'.';
  return path;
}

// A data entry may claim bytes beyond the end of the file, past the mapping of
// a module opened as a data file; reading them would fault. The range must lie
// in committed, readable memory of the module's own mapping.
bool InsideModule(HMODULE module, const void* data, DWORD size) {
  // The low bits of the handle mark data-file mappings; the mapping starts below.
  const ULONG_PTR base = reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR{3};
  ULONG_PTR at = reinterpret_cast<ULONG_PTR>(data);
  const ULONG_PTR end = at + size;
  if (end < at) return false;
  while (at < end) {
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info)) return false;
    if (reinterpret_cast<ULONG_PTR>(info.AllocationBase) != base) return false;
    if (info.State != MEM_COMMIT || (info.Protect & (PAGE_NOACCESS | PAGE_GUARD))) return false;
    at = reinterpret_cast<ULONG_PTR>(info.BaseAddress) + info.RegionSize;
  }
  return true;
}

}  // namespace

std::unique_ptr<LoaderResourceModule> LoaderResourceModule::Open(const std::wstring& path) {
  const std::wstring literal = LiteralModulePath(path);
  platform::UniqueModule module(LoadLibraryExW(literal.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module) return nullptr;  // nothing may touch GetLastError() on this path
  return std::unique_ptr<LoaderResourceModule>(new LoaderResourceModule(std::move(module)));
}

LoaderResourceModule::~LoaderResourceModule() = default;

std::vector<ResourceName> LoaderResourceModule::EnumerateNames(std::uint16_t type) const {
  NameCollector collector;
  // A module without resources of this type fails the call; that is no names.
  EnumResourceNamesW(module_.get(), MAKEINTRESOURCEW(type), CollectResourceName,
                     reinterpret_cast<LONG_PTR>(&collector));
  if (collector.error) std::rethrow_exception(collector.error);
  return std::move(collector.names);
}

ResourceData LoaderResourceModule::Lookup(std::uint16_t type, const ResourceName& name) const {
  // An identifier with upper bits set would be taken for a string pointer.
  if (name.is_id && name.id > 0xFFFF) return {};
  std::wstring text;
  LPCWSTR key = nullptr;
  if (name.is_id) {
    key = MAKEINTRESOURCEW(name.id);
  } else {
    text = platform::ToWide(name.text);
    key = text.c_str();
  }
  HRSRC found = FindResourceW(module_.get(), key, MAKEINTRESOURCEW(type));
  if (!found) return {};

  const ResourceData not_loadable{ResourceData::Status::kNotLoadable, {}};
  const platform::UniqueResource loaded(LoadResource(module_.get(), found));
  if (!loaded) return not_loadable;
  const void* data = LockResource(loaded.get());
  const DWORD size = SizeofResource(module_.get(), found);
  if (!data || !InsideModule(module_.get(), data, size)) return not_loadable;
  return {ResourceData::Status::kFound, ByteView(static_cast<const std::uint8_t*>(data), size)};
}

WindowModule OpenModuleForWindow(const std::wstring& path) {
  WindowModule opened;
  // A PE module is only sniffed here: the loader reads it.
  OpenedContainer container = OpenResourceContainerUnlessPe(platform::FromWide(path));
  if (container.module && container.kind != ContainerKind::kPeModule) {
    opened.module = std::move(container.module);
    opened.own_reader = true;
    opened.kind = container.kind;
    return opened;
  }
  container.module.reset();
  std::unique_ptr<LoaderResourceModule> loader = LoaderResourceModule::Open(path);
  if (!loader) {
    opened.error = GetLastError();
    return opened;
  }
  opened.handle = loader->handle();
  opened.module = std::move(loader);
  return opened;
}

}  // namespace zandrel::icons
