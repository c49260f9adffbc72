#include "gui/win32/component_factory.h"

#include "core/text.h"
#include "gui/win32/component.h"

namespace zandrel::gui {

ComponentFactory& ComponentFactory::Instance() {
  static ComponentFactory* factory = [] {
    auto* f = new ComponentFactory;  // lives as long as the process
    RegisterComponentKinds(*f);
    RegisterControlKinds(*f);
    RegisterMenuKinds(*f);
    RegisterListViewKinds(*f);
    RegisterImageListKinds(*f);
    RegisterFileDialogKinds(*f);
    RegisterImageSheetKind(*f);
    return f;
  }();
  return *factory;
}

void ComponentFactory::Register(const std::u16string& kind, ComponentCreator creator) {
  creators_[kind] = std::move(creator);
}

std::unique_ptr<Component> ComponentFactory::Create(Form& owner,
                                                    const ComponentDefinition& def) const {
  auto it = creators_.find(def.kind);
  if (it == creators_.end())
    throw DefinitionError("window definition, line " + std::to_string(def.line) +
                          ": unknown component kind " + ToUtf8(def.kind));
  return it->second(owner, def);
}

}  // namespace zandrel::gui
