#pragma once
// The Explorer verb that opens an executable or a DLL in the program: a
// "shell\Zandrel" key below the user's exefile and dllfile classes.

#include <string>

#include "platform/registry.h"

namespace zandrel::shellext {

// The command line the verb runs: the executable's full path in double
// quotes, one blank, then %1 in double quotes.
std::wstring VerbCommandLine(const std::wstring& executable);

class ContextMenuVerb {
 public:
  // The verb lives below HKEY_CURRENT_USER\<classes_key>\{exefile,dllfile}\shell\Zandrel.
  explicit ContextMenuVerb(std::wstring classes_key = L"Software\\Classes");
  virtual ~ContextMenuVerb() = default;

  // Writes (again) the caption, the icon and the command of both classes. A
  // class whose keys cannot be opened is passed over; a value that cannot be
  // written throws platform::Win32Error and ends the registration there.
  void Register(const std::wstring& caption, const std::wstring& executable);
  // Deletes the command and verb keys of both classes, passing over any that
  // is missing or cannot be deleted. The classes' own keys stay.
  void Unregister();
  // True when the verb key of either class exists.
  bool Registered() const;
  // Tells Explorer that associations changed, so its menus show the change.
  static void NotifyShell();

 protected:
  // One value write; a test replaces it to make a write fail.
  virtual void WriteValue(platform::RegistryKey& key, const std::wstring& name,
                          const std::wstring& data);

 private:
  std::wstring VerbKey(const wchar_t* file_class) const;

  std::wstring classes_key_;
};

}  // namespace zandrel::shellext
