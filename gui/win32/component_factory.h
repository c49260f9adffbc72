#pragma once
// The component kinds a window definition may name. Each kind registers its
// creator here; the form asks the factory, so a new kind needs no change to
// the form.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "gui/definition.h"

namespace zandrel::gui {

class Component;
class Form;

using ComponentCreator =
    std::function<std::unique_ptr<Component>(Form& owner, const ComponentDefinition& def)>;

class ComponentFactory {
 public:
  // The factory with the runtime's own kinds registered.
  static ComponentFactory& Instance();

  void Register(const std::u16string& kind, ComponentCreator creator);
  template <class T>
  void Register(const std::u16string& kind) {
    Register(kind, [](Form& owner, const ComponentDefinition& def) -> std::unique_ptr<Component> {
      return std::make_unique<T>(&owner, def);
    });
  }
  // Throws DefinitionError for a kind nobody registered.
  std::unique_ptr<Component> Create(Form& owner, const ComponentDefinition& def) const;

 private:
  ComponentFactory() = default;
  std::map<std::u16string, ComponentCreator> creators_;
};

// Registration of the runtime's kinds, one function per file that defines them.
void RegisterComponentKinds(ComponentFactory& factory);   // component.cpp
void RegisterControlKinds(ComponentFactory& factory);     // controls.cpp
void RegisterMenuKinds(ComponentFactory& factory);        // menu.cpp
void RegisterListViewKinds(ComponentFactory& factory);    // list_view.cpp
void RegisterImageListKinds(ComponentFactory& factory);   // image_list.cpp
void RegisterFileDialogKinds(ComponentFactory& factory);  // file_dialogs.cpp
void RegisterImageSheetKind(ComponentFactory& factory);   // image_sheet.cpp

}  // namespace zandrel::gui
