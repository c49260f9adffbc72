#include "shellext/win32/context_menu.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <utility>

#include "platform/errors.h"

namespace zandrel::shellext {

namespace {

using platform::RegistryKey;

// exefile first: the order the keys are written and deleted in.
constexpr const wchar_t* kFileClasses[] = {L"exefile", L"dllfile"};
constexpr wchar_t kCommandSubkey[] = L"\\command";

// A key we may not create (a policy, a read-only hive) only costs that class
// its verb; write failures are still reported.
std::optional<RegistryKey> CreateForWriting(const std::wstring& path) {
  try {
    return RegistryKey::Create(HKEY_CURRENT_USER, path, KEY_WRITE);
  } catch (const platform::Win32Error&) {
    return std::nullopt;
  }
}

}  // namespace

std::wstring VerbCommandLine(const std::wstring& executable) {
  return L"\"" + executable + L"\" \"%1\"";
}

ContextMenuVerb::ContextMenuVerb(std::wstring classes_key) : classes_key_(std::move(classes_key)) {}

std::wstring ContextMenuVerb::VerbKey(const wchar_t* file_class) const {
  return classes_key_ + L"\\" + file_class + L"\\shell\\Zandrel";
}

void ContextMenuVerb::Register(const std::wstring& caption, const std::wstring& executable) {
  for (const wchar_t* file_class : kFileClasses) {
    const std::wstring verb_path = VerbKey(file_class);
    {
      std::optional<RegistryKey> verb = CreateForWriting(verb_path);
      if (!verb) continue;
      WriteValue(*verb, L"", caption);
      WriteValue(*verb, L"Icon", executable);
    }
    std::optional<RegistryKey> command = CreateForWriting(verb_path + kCommandSubkey);
    if (!command) continue;
    WriteValue(*command, L"", VerbCommandLine(executable));
  }
}

void ContextMenuVerb::Unregister() {
  // One key at a time, never a tree: a subkey someone else put below the verb
  // keeps it, and that is their business.
  for (const wchar_t* file_class : kFileClasses) {
    const std::wstring verb_path = VerbKey(file_class);
    RegistryKey::Delete(HKEY_CURRENT_USER, verb_path + kCommandSubkey);
    RegistryKey::Delete(HKEY_CURRENT_USER, verb_path);
  }
}

bool ContextMenuVerb::Registered() const {
  for (const wchar_t* file_class : kFileClasses)
    if (RegistryKey::Exists(HKEY_CURRENT_USER, VerbKey(file_class))) return true;
  return false;
}

void ContextMenuVerb::NotifyShell() {
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

void ContextMenuVerb::WriteValue(platform::RegistryKey& key, const std::wstring& name,
                                 const std::wstring& data) {
  key.WriteString(name, data);
}

}  // namespace zandrel::shellext
