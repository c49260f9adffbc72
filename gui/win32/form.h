#pragma once
// A window built from its definition: its components in creation order, its
// controls laid out by docking, its event handlers bound by name.

#include <windows.h>

#include <initializer_list>
#include <functional>
#include <map>
#include <span>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/definition.h"
#include "gui/win32/component.h"

namespace zandrel::gui {

class Button;

class Form : public Control {
 public:
  // Posted by popup menus: the chosen item's command (runs after the menu closed).
  static constexpr UINT kMenuCommandMessage = WM_APP + 1;

  explicit Form(const ComponentDefinition& def);
  // The definition compiled into the program under this resource name.
  explicit Form(const wchar_t* definition_resource);
  ~Form() override;

  // The definition compiled into the program under this resource name.
  static ComponentDefinition LoadDefinition(const wchar_t* resource_name);
  static Form* FromHandle(HWND hwnd);

  // Handlers named by the definition (OnClick = ButtonBrowseClick) are bound
  // before Build; a name without a handler is a definition error.
  void Bind(const std::wstring& name, Handler handler);
  // Binds a window's own methods under their names.
  template <class Window>
  void BindMethods(Window* window,
                   std::span<const std::pair<const wchar_t*, void (Window::*)()>> methods) {
    for (const auto& [name, method] : methods)
      Bind(name, [window, method = method] { (window->*method)(); });
  }
  // Creates the components, then the windows.
  void Build();

  const std::vector<Component*>& components() const { return order_; }

  // Components at run time. A component made from a definition after Build
  // joins its holder (a panel, a menu, a menu item, or the window itself)
  // and is registered by name like the defined ones; its handlers are looked
  // up among the bound ones.
  Component& AddComponent(const ComponentDefinition& def, Component& holder);
  template <class T>
  T& Add(const ComponentDefinition& def, Component& holder) {
    T* typed = dynamic_cast<T*>(&AddComponent(def, holder));
    if (!typed) MissingComponent(ToWideName(def));
    return *typed;
  }
  // Removes a component with everything it holds. It leaves the lookups and
  // the screen at once; it is destroyed once the event being dispatched (the
  // click that removes it, say) has run to its end.
  void RemoveComponent(Component& component);
  Component* Find(std::wstring_view name) const;
  template <class T>
  T& Get(std::wstring_view name) const {
    T* typed = dynamic_cast<T*>(Find(name));
    if (!typed) MissingComponent(name);
    return *typed;
  }
  // The current text of a message-catalogue entry of this window.
  std::wstring CatalogueText(std::wstring_view entry) const;

  std::vector<std::wstring_view> TextProperties() const override { return {kCaption, kHint}; }
  std::wstring caption() const { return GetText(kCaption); }
  void SetCaption(const std::wstring& caption) { SetText(kCaption, caption); }
  const std::wstring& class_name() const { return class_name_; }

  UINT dpi() const { return dpi_; }
  // How much the client area exceeds the designed size now, in pixels
  // (never less than nothing): what anchored controls follow.
  SIZE Growth() const;

  // Where the window sits when it is not maximised (workspace coordinates,
  // as GetWindowPlacement gives them), and whether it is maximised.
  struct Placement {
    RECT normal{};
    bool maximized = false;
  };
  Placement placement() const;
  // Puts the window at a stored place: on a monitor where it can be seen
  // (centred on the nearest one otherwise, no larger than its work area). A
  // hidden window keeps hidden and shows maximised at its next Show.
  void RestorePlacement(const Placement& placement);
  void Show();
  void Hide();
  // Sends the close request; a modal window then ends its modal loop.
  void Close();
  // Shows the window modally; returns when it is closed.
  void ShowModal();
  bool is_modal() const { return modal_; }

  void SetDefaultButton(Button* button);
  Button* default_button() const { return default_button_; }

  // Runs the menu item whose shortcut this key press is; true when one ran.
  bool HandleShortcut(const MSG& msg);
  // A key press seen before the controls and the dialog keys get it; true
  // when the window took it.
  virtual bool PreviewKey(const MSG& /*msg*/) { return false; }

  void DestroyHandle() override;
  // The title bar follows the style (dark on Windows 10 and 11), and every
  // control of the window is told.
  void ApplyStyle() override;

  Handler on_activate;
  Handler on_close;
  Handler on_destroy;
  Handler on_show;
  // WM_SETTINGCHANGE, with the name of the changed area ("ImmersiveColorSet",
  // ...; empty when the message names none).
  std::function<void(std::wstring_view area)> on_setting_change;

 protected:
  // Window messages seen before the form's own handling; true = handled.
  virtual bool HandleMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT& /*result*/) {
    return false;
  }
  const wchar_t* WindowClass() const override { return class_name_.c_str(); }
  bool IsContainer() const override { return true; }

 private:
  [[noreturn]] static void MissingComponent(std::wstring_view name);
  static std::wstring ToWideName(const ComponentDefinition& def);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  LRESULT Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool RouteControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  Component& CreateComponent(const ComponentDefinition& def, Component& holder);
  Handler FindHandler(const ComponentDefinition& def, std::u16string_view event) const;
  void CreateWindowHandle();
  void ApplyDpi(UINT dpi);
  Control* ControlFromHandle(HWND hwnd) const;
  Control* ControlFromId(int id) const;
  void OnActivateMessage(WPARAM wp, LPARAM lp);

  ComponentDefinition def_;
  std::wstring class_name_;
  std::map<std::wstring, Handler> handlers_;
  std::vector<std::unique_ptr<Component>> owned_;
  std::vector<Component*> order_;
  std::vector<std::pair<Component*, const ComponentDefinition*>> pending_resolve_;
  UINT dpi_ = 96;
  Button* default_button_ = nullptr;
  Button* designed_default_ = nullptr;  // "Default = true" in the definition
  bool modal_ = false;
  bool modal_done_ = false;
  int show_command_ = SW_SHOWNORMAL;  // of the next Show
  HWND focus_before_deactivation_ = nullptr;
  bool built_ = false;
};

// Binds a window's handlers by name and builds it. A window declares one of
// these as its first member, so that the component references declared
// after it are taken from the built window:
//
//   class TForm8 : public gui::Form {
//     gui::BuiltForm<TForm8> built_;
//    public:
//     gui::Button& Button1;
//     TForm8() : Form(L"FORM8"), built_(this, kHandlers), Button1(Get<gui::Button>(L"Button1")) {}
template <class Window>
struct BuiltForm {
  using Methods = std::span<const std::pair<const wchar_t*, void (Window::*)()>>;
  BuiltForm(Window* window, Methods methods) {
    window->BindMethods(window, methods);
    window->Build();
  }
};

}  // namespace zandrel::gui
