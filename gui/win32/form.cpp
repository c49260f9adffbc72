#include "gui/win32/form.h"

#include <dwmapi.h>

#include <algorithm>
#include <utility>

#include "core/text.h"
#include "gui/win32/application.h"
#include "gui/win32/component_factory.h"
#include "gui/win32/controls.h"
#include "gui/win32/menu.h"
#include "gui/win32/paint.h"
#include "platform/system_function.h"
#include "platform/wide.h"

namespace zandrel::gui {

using platform::FromWide;
using platform::ToWide;

namespace {

const wchar_t kFormProperty[] = L"ZandrelForm";

// Functions that exist only on Windows 10 and later are looked up at run
// time, so that the program still starts on older systems and can tell the
// user it needs Windows 10.
template <class Fn>
Fn User32Function(const char* name) {
  return platform::SystemFunction<Fn>(L"user32.dll", name);
}

UINT SystemDpi() {
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static auto fn = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
  return fn ? fn() : 96;
}

UINT WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto fn = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  const UINT dpi = fn ? fn(hwnd) : 0;
  return dpi ? dpi : SystemDpi();
}

void AdjustRect(RECT* rect, DWORD style, DWORD ex_style, UINT dpi) {
  using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static auto fn = User32Function<AdjustFn>("AdjustWindowRectExForDpi");
  if (fn)
    fn(rect, style, FALSE, ex_style, dpi);
  else
    AdjustWindowRectEx(rect, style, FALSE, ex_style);
}

void RequestRoundedCorners(HWND hwnd) {
  // DWMWA_WINDOW_CORNER_PREFERENCE = 33, DWMWCP_ROUND = 2 (Windows 11; ignored elsewhere).
  const int round = 2;
  DwmSetWindowAttribute(hwnd, 33, &round, sizeof round);
}

void RequestDarkTitleBar(HWND hwnd, bool dark) {
  // DWMWA_USE_IMMERSIVE_DARK_MODE: 20 from Windows 10 20H1, 19 before it.
  const BOOL value = dark ? TRUE : FALSE;
  if (FAILED(DwmSetWindowAttribute(hwnd, 20, &value, sizeof value)))
    DwmSetWindowAttribute(hwnd, 19, &value, sizeof value);
}

}  // namespace

Form::Form(const ComponentDefinition& def)
    : Control(this, def), def_(def), class_name_(ToWide(def.class_name)) {
  if (def.kind != u"Form") throw DefinitionError("a window definition must start with Form");
  FontSpec font;
  font.face = ToWide(def.String(u"FontName", u"Segoe UI"));
  font.height = static_cast<int>(def.Integer(u"FontHeight", -12));
  SetFont(font);
  Application::Instance().RegisterForm(this);
}

Form::Form(const wchar_t* definition_resource) : Form(LoadDefinition(definition_resource)) {}

Form::~Form() {
  Application& app = Application::Instance();
  app.UnregisterForm(this);
  app.DestroyDeferred(this);
  Form::DestroyHandle();
}

ComponentDefinition Form::LoadDefinition(const wchar_t* resource_name) {
  const std::optional<std::string_view> text = ProgramText(resource_name);
  if (!text)
    throw DefinitionError("window definition missing: " + ToUtf8(FromWide(resource_name)));
  auto defs = ParseDefinitions(*text);
  if (defs.size() != 1) throw DefinitionError("one window per definition resource");
  return std::move(defs.front());
}

Form* Form::FromHandle(HWND hwnd) {
  return static_cast<Form*>(GetPropW(hwnd, kFormProperty));
}

std::wstring Form::ToWideName(const ComponentDefinition& def) {
  return ToWide(def.name);
}

void Form::MissingComponent(std::wstring_view name) {
  throw DefinitionError("no component " + ToUtf8(FromWide(name)) + " of the expected kind");
}

void Form::Bind(const std::wstring& name, Handler handler) {
  handlers_[name] = std::move(handler);
}

Handler Form::FindHandler(const ComponentDefinition& def, std::u16string_view event) const {
  const DefinitionValue* v = def.Find(event);
  if (!v) return nullptr;
  auto it = handlers_.find(ToWide(v->text));
  if (it == handlers_.end())
    throw DefinitionError("window definition, line " + std::to_string(def.line) + ": no handler " +
                          ToUtf8(v->text));
  return it->second;
}

Component* Form::Find(std::wstring_view name) const {
  if (name == this->name()) return const_cast<Form*>(this);
  for (Component* c : order_)
    if (!c->name().empty() && c->name() == name) return c;
  return nullptr;
}

std::wstring Form::CatalogueText(std::wstring_view entry) const {
  return Get<MenuItem>(entry).caption();
}

void Form::Build() {
  if (built_) return;
  built_ = true;
  for (const auto& child : def_.children) CreateComponent(child, *this);
  for (auto& [component, def] : pending_resolve_) component->Resolve(*def);
  pending_resolve_.clear();
  on_activate = FindHandler(def_, u"OnActivate");
  on_close = FindHandler(def_, u"OnClose");
  on_destroy = FindHandler(def_, u"OnDestroy");
  on_show = FindHandler(def_, u"OnShow");
  on_mouse_move = FindHandler(def_, u"OnMouseMove");
  CreateWindowHandle();
}

Component& Form::CreateComponent(const ComponentDefinition& def, Component& holder) {
  if (!def.name.empty() && Find(ToWide(def.name)))
    throw DefinitionError("duplicate component name " + ToUtf8(def.name));
  std::unique_ptr<Component> made = ComponentFactory::Instance().Create(*this, def);
  made->BindEvents([this, &def](std::u16string_view event) { return FindHandler(def, event); });
  Component& component = *made;
  owned_.reserve(owned_.size() + 1);
  order_.reserve(order_.size() + 1);
  pending_resolve_.reserve(pending_resolve_.size() + 1);
  holder.Adopt(component);  // from here on nothing throws before it is registered
  owned_.push_back(std::move(made));
  order_.push_back(&component);
  pending_resolve_.emplace_back(&component, &def);
  if (auto* button = dynamic_cast<Button*>(&component); button && def.Boolean(u"Default", false))
    designed_default_ = button;
  if (component.HoldsComponents())
    for (const auto& child : def.children) CreateComponent(child, component);
  return component;
}

Component& Form::AddComponent(const ComponentDefinition& def, Component& holder) {
  if (!built_) throw DefinitionError("components are added once the window is built");
  const std::size_t first = order_.size();
  // Resolved and bound here: nothing keeps the definition afterwards.
  try {
    CreateComponent(def, holder);
    for (auto& [added, added_def] : pending_resolve_) added->Resolve(*added_def);
    pending_resolve_.clear();
  } catch (...) {
    // What was made of a faulty definition goes again.
    pending_resolve_.clear();
    if (order_.size() > first) RemoveComponent(*order_[first]);
    throw;
  }
  Component& component = *order_[first];
  // The new controls get their windows inside their holder's.
  for (std::size_t i = first; i < order_.size(); ++i) {
    auto* control = dynamic_cast<Control*>(order_[i]);
    if (control && control->parent() && control->parent()->hwnd() && !control->hwnd())
      control->CreateHandle(control->parent()->hwnd());
  }
  if (auto* control = dynamic_cast<Control*>(&component); control && control->parent())
    control->parent()->LayoutChildren();
  return component;
}

void Form::RemoveComponent(Component& component) {
  if (&component == this) throw DefinitionError("a window cannot remove itself");
  // The component and everything inside it, outermost first.
  std::vector<Component*> doomed{&component};
  for (std::size_t i = 0; i < doomed.size(); ++i)
    for (Component* child : doomed[i]->ChildComponents()) doomed.push_back(child);
  if (Component* holder = component.holder()) holder->Release(component);
  if (default_button_ && std::find(doomed.begin(), doomed.end(), default_button_) != doomed.end())
    SetDefaultButton(nullptr);
  if (designed_default_ &&
      std::find(doomed.begin(), doomed.end(), designed_default_) != doomed.end())
    designed_default_ = nullptr;
  Application& app = Application::Instance();
  // Innermost first, so nothing outlives what holds it.
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
    Component* c = *it;
    std::erase(order_, c);
    auto owned = std::find_if(owned_.begin(), owned_.end(),
                              [c](const std::unique_ptr<Component>& p) { return p.get() == c; });
    if (owned == owned_.end()) continue;
    std::unique_ptr<Component> taken = std::move(*owned);
    owned_.erase(owned);
    // While an event is dispatched the component may be the one whose
    // handler runs; otherwise it goes here and now.
    app.DeferDestroy(std::move(taken));
  }
}

void Form::CreateWindowHandle() {
  static std::vector<std::wstring> registered;
  if (std::find(registered.begin(), registered.end(), class_name_) == registered.end()) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Form::WindowProc;
    wc.hInstance = Application::Instance().instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // painted from the style (WM_ERASEBKGND)
    wc.lpszClassName = class_name_.c_str();
    wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, L"MAINICON", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    RegisterClassExW(&wc);
    registered.push_back(class_name_);
  }

  const std::u16string border = def_.Word(u"BorderStyle", u"sizeable");
  DWORD style = WS_CLIPCHILDREN;
  DWORD ex = WS_EX_CONTROLPARENT;
  if (border == u"dialog") {
    style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
    ex |= WS_EX_DLGMODALFRAME;
  } else if (border == u"single") {
    style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_BORDER;
  } else {
    style |= WS_OVERLAPPEDWINDOW;
  }
  if (def_.Boolean(u"MinimizeBox", false)) style |= WS_MINIMIZEBOX;
  if (def_.Boolean(u"MaximizeBox", false)) style |= WS_MAXIMIZEBOX;
  HWND owner = nullptr;
  if (def_.Boolean(u"AppWindow", false)) {
    ex |= WS_EX_APPWINDOW;
    owner = GetDesktopWindow();
  }

  dpi_ = SystemDpi();
  RECT rect{0, 0, Scale(static_cast<int>(def_.Integer(u"ClientWidth", 400))),
            Scale(static_cast<int>(def_.Integer(u"ClientHeight", 300)))};
  AdjustRect(&rect, style, ex, dpi_);
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - w) / 2;
  const int y = work.top + (work.bottom - work.top - h) / 2;

  const std::wstring title = caption();
  HWND hwnd = CreateWindowExW(ex, class_name_.c_str(), title.c_str(), style, x, y, w, h, owner,
                              nullptr, Application::Instance().instance(), this);
  if (!hwnd) throw DefinitionError("cannot create window " + ToUtf8(FromWide(class_name_)) + " " + std::to_string(GetLastError()));
  if (def_.Boolean(u"RoundedCorners", false)) RequestRoundedCorners(hwnd);
  if (!CurrentStyle().plain()) RequestDarkTitleBar(hwnd, IsDarkPalette(CurrentStyle().palette()));
  const UINT actual = WindowDpi(hwnd);
  for (Control* child : children()) child->CreateHandle(hwnd);
  if (actual != dpi_) ApplyDpi(actual);
  LayoutChildren();
  if (designed_default_) SetDefaultButton(designed_default_);
}

void Form::ApplyDpi(UINT dpi) {
  dpi_ = dpi;
  std::vector<Control*> stack(children().begin(), children().end());
  while (!stack.empty()) {
    Control* c = stack.back();
    stack.pop_back();
    c->ApplyFont();
    stack.insert(stack.end(), c->children().begin(), c->children().end());
  }
  LayoutChildren();
}

void Form::ApplyStyle() {
  if (!hwnd()) return;
  const gui::Style& style = CurrentStyle();
  RequestDarkTitleBar(hwnd(), !style.plain() && IsDarkPalette(style.palette()));
  for (Component* component : order_)
    if (auto* control = dynamic_cast<Control*>(component); control && control->hwnd())
      control->ApplyStyle();
}

void Form::DestroyHandle() {
  HWND hwnd = Control::hwnd();
  if (!hwnd) return;
  for (Control* child : children()) child->DestroyHandle();
  DestroyWindow(hwnd);
}

void Form::Show() {
  if (on_show) Application::Instance().Invoke(on_show);
  SetVisible(true);
  ShowWindow(hwnd(), std::exchange(show_command_, SW_SHOWNORMAL));
  UpdateWindow(hwnd());
}

SIZE Form::Growth() const {
  RECT client{};
  if (!hwnd() || IsIconic(hwnd()) || !GetClientRect(hwnd(), &client)) return {0, 0};
  const LONG dx = client.right - Scale(static_cast<int>(def_.Integer(u"ClientWidth", 400)));
  const LONG dy = client.bottom - Scale(static_cast<int>(def_.Integer(u"ClientHeight", 300)));
  return {std::max(dx, LONG{0}), std::max(dy, LONG{0})};
}

Form::Placement Form::placement() const {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!hwnd() || !GetWindowPlacement(hwnd(), &wp)) return {};
  const bool maximized =
      wp.showCmd == SW_SHOWMAXIMIZED || (IsIconic(hwnd()) && (wp.flags & WPF_RESTORETOMAXIMIZED));
  return {wp.rcNormalPosition, maximized};
}

void Form::RestorePlacement(const Placement& placement) {
  if (!hwnd()) return;
  RECT normal = placement.normal;
  // Workspace coordinates: the primary monitor's work area starts at 0, 0.
  HMONITOR monitor = MonitorFromRect(&normal, MONITOR_DEFAULTTONULL);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor) {
    // Stored for a monitor that is gone: the nearest one takes the window.
    monitor = MonitorFromRect(&normal, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return;
    const RECT& work = info.rcWork;
    const LONG w = std::min(normal.right - normal.left, work.right - work.left);
    const LONG h = std::min(normal.bottom - normal.top, work.bottom - work.top);
    normal.left = work.left + (work.right - work.left - w) / 2;
    normal.top = work.top + (work.bottom - work.top - h) / 2;
    normal.right = normal.left + w;
    normal.bottom = normal.top + h;
  }
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(hwnd(), &wp);
  wp.rcNormalPosition = normal;
  const bool shown = IsWindowVisible(hwnd()) != FALSE;
  wp.showCmd = shown ? (placement.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL) : SW_HIDE;
  wp.flags = 0;
  SetWindowPlacement(hwnd(), &wp);
  if (!shown) show_command_ = placement.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
}

void Form::Hide() {
  SetVisible(false);
  ShowWindow(hwnd(), SW_HIDE);
}

void Form::Close() {
  SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void Form::ShowModal() {
  Application& app = Application::Instance();
  HWND previous = GetActiveWindow();
  std::vector<HWND> disabled;
  for (Form* f : app.forms()) {
    if (f == this || !f->hwnd() || !IsWindowVisible(f->hwnd()) || !IsWindowEnabled(f->hwnd()))
      continue;
    EnableWindow(f->hwnd(), FALSE);
    disabled.push_back(f->hwnd());
  }
  modal_ = true;
  modal_done_ = false;
  Show();
  SetForegroundWindow(hwnd());
  // Opens with its default button focused, so Enter presses it.
  if (default_button_ && default_button_->enabled() && default_button_->visible())
    default_button_->SetFocus();
  MSG msg;
  while (!modal_done_ && !app.terminated()) {
    app.FlushPending();
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
      break;
    }
    app.DispatchOne(msg);
  }
  // Give the other windows back before hiding, so activation returns to them.
  for (HWND h : disabled) EnableWindow(h, TRUE);
  modal_ = false;
  Hide();
  if (previous && IsWindow(previous)) SetActiveWindow(previous);
}

void Form::SetDefaultButton(Button* button) {
  if (default_button_ == button) return;
  if (default_button_) default_button_->SetDefaultLook(false);
  default_button_ = button;
  if (button) button->SetDefaultLook(true);
}

bool Form::HandleShortcut(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const UINT key = static_cast<UINT>(msg.wParam);
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  std::vector<MenuItem*> stack;
  for (Component* c : order_)
    if (auto* menu = dynamic_cast<PopupMenu*>(c))
      stack.insert(stack.end(), menu->items().begin(), menu->items().end());
  while (!stack.empty()) {
    MenuItem* item = stack.back();
    stack.pop_back();
    const Control* focus = item->shortcut_focus();
    if (item->shortcut_key() == key && item->shortcut_ctrl() == ctrl && item->enabled() &&
        item->visible() && (!focus || focus->hwnd() == msg.hwnd)) {
      item->Click();
      return true;
    }
    stack.insert(stack.end(), item->items().begin(), item->items().end());
  }
  return false;
}

Control* Form::ControlFromHandle(HWND hwnd) const {
  // Notifications arrive for every painted list item: no search here.
  Control* control = Control::FromHandle(hwnd);
  return control && control->owner() == this ? control : nullptr;
}

Control* Form::ControlFromId(int id) const {
  for (Component* c : order_)
    if (auto* control = dynamic_cast<Control*>(c); control && control->id() == id) return control;
  return nullptr;
}

void Form::OnActivateMessage(WPARAM wp, LPARAM lp) {
  Application& app = Application::Instance();
  if (LOWORD(wp) == WA_INACTIVE) {
    // Remember which window of this program takes over; activation moving to
    // another program leaves the record as it is.
    HWND next = reinterpret_cast<HWND>(lp);
    DWORD pid = 0;
    if (next) GetWindowThreadProcessId(next, &pid);
    if (next && pid == GetCurrentProcessId()) app.set_last_active_window(next);
    return;
  }
  // Activated: an activation event only when focus comes from another window
  // of this program (or for the first showing), not back from another program.
  if (app.last_active_window() == hwnd()) return;
  app.set_last_active_window(hwnd());
  if (on_activate) app.Invoke(on_activate);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  Form* self = FromHandle(hwnd);
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    self = static_cast<Form*>(cs->lpCreateParams);
    SetPropW(hwnd, kFormProperty, self);
    self->hwnd_ = hwnd;
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, kFormProperty);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return Application::Guarded(hwnd, msg, [&] { return self->Proc(hwnd, msg, wp, lp); });
}

bool Form::RouteControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND: {
      Control* control =
          lp ? ControlFromHandle(reinterpret_cast<HWND>(lp)) : ControlFromId(LOWORD(wp));
      if (control) {
        control->OnCommand(HIWORD(wp));
      } else if (LOWORD(wp) == IDCANCEL && !lp && this != Application::Instance().main_form()) {
        // Esc, as the dialog manager reports it: a secondary window closes.
        Close();
      }
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      Control* control = ControlFromHandle(header->hwndFrom);
      return control && control->OnNotify(header, result);
    }
    case WM_MEASUREITEM:
      if (!MenuOwnerMessage(font_handle(), dpi_, msg, lp)) return false;
      result = TRUE;
      return true;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (item->CtlType == ODT_MENU) {
        if (!MenuOwnerMessage(font_handle(), dpi_, msg, lp)) return false;
        result = TRUE;
        return true;
      }
      Control* control = ControlFromHandle(item->hwndItem);
      if (!control || !control->OnDrawItem(item)) return false;
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: {
      Control* control = ControlFromHandle(reinterpret_cast<HWND>(lp));
      HBRUSH brush = nullptr;
      if (!control || !control->OnControlColor(reinterpret_cast<HDC>(wp), brush) || !brush)
        return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    default:
      return false;
  }
}

LRESULT Form::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (HandleMessage(msg, wp, lp, result)) return result;
  if (RouteControlMessage(msg, wp, lp, result)) return result;
  Application& app = Application::Instance();
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wp), &rc, CurrentStyle().Brush(ColorRole::kFace));
      return TRUE;
    }
    case WM_SETTINGCHANGE:
      if (on_setting_change) {
        // A window with a handler answers the broadcast itself.
        const auto* area = reinterpret_cast<const wchar_t*>(lp);
        const std::wstring text = area ? area : L"";
        app.Invoke([this, &text] { on_setting_change(text); });
        return 0;
      }
      break;
    case kMenuCommandMessage:
      if (MenuItem* item = MenuItem::FromCommand(static_cast<UINT>(wp))) item->Click();
      return 0;
    case DM_GETDEFID:
      if (default_button_ && default_button_->enabled())
        return MAKELRESULT(default_button_->id(), DC_HASDEFID);
      return 0;
    case WM_ACTIVATE:
      OnActivateMessage(wp, lp);
      // The control that had the focus when the window lost the activation
      // gets it back, as in any dialog: left to the default handling the
      // focus would go to the window itself, where Enter presses the default
      // button (after a dialog closed, say).
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) focus_before_deactivation_ = focus;
      } else if (!HIWORD(wp)) {
        HWND saved = std::exchange(focus_before_deactivation_, nullptr);
        if (saved && IsWindow(saved) && IsChild(hwnd, saved) && IsWindowVisible(saved) &&
            IsWindowEnabled(saved)) {
          ::SetFocus(saved);
          return 0;
        }
      }
      // A modal window that comes to the front with the focus outside it
      // (activation may arrive after the showing) gives it to its default
      // button, rather than to its own frame, so Enter and Esc still work.
      if (LOWORD(wp) != WA_INACTIVE && modal_ && default_button_ && default_button_->enabled() &&
          default_button_->visible()) {
        HWND focus = GetFocus();
        if (!focus || GetAncestor(focus, GA_ROOT) != hwnd) {
          default_button_->SetFocus();
          return 0;
        }
      }
      break;
    case WM_SETCURSOR: {
      // A click on this window while another one is modal: the modal one
      // comes to the front and flashes, as an owned window would.
      const auto hit = static_cast<short>(LOWORD(lp));
      if (hit == HTERROR && (HIWORD(lp) == WM_LBUTTONDOWN || HIWORD(lp) == WM_RBUTTONDOWN)) {
        for (Form* form : app.forms()) {
          if (form == this || !form->is_modal() || !form->hwnd()) continue;
          SetForegroundWindow(form->hwnd());
          FLASHWINFO flash{sizeof flash, form->hwnd(), FLASHW_CAPTION, 3, 0};
          FlashWindowEx(&flash);
          break;
        }
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (on_mouse_move) app.Invoke(on_mouse_move);
      break;
    case WM_CLOSE:
      if (on_close) app.Invoke(on_close);
      if (modal_) {
        modal_done_ = true;
        // A close that arrives as a sent message (from a worker's step, say)
        // leaves the modal loop waiting for a posted one: wake it.
        PostMessageW(hwnd, WM_NULL, 0, 0);
      } else if (this == app.main_form()) {
        Hide();
        app.Terminate();
      } else {
        Hide();
      }
      return 0;
    case WM_DESTROY:
      if (on_destroy) app.Invoke(on_destroy);
      break;
    case WM_SIZE:
      LayoutChildren();
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      if (def_.Has(u"MinWidth"))
        info->ptMinTrackSize.x = Scale(static_cast<int>(def_.Integer(u"MinWidth")));
      if (def_.Has(u"MinHeight"))
        info->ptMinTrackSize.y = Scale(static_cast<int>(def_.Integer(u"MinHeight")));
      if (def_.Has(u"MinClientWidth") || def_.Has(u"MinClientHeight")) {
        // The smallest client area, as a window size for this frame and DPI.
        RECT r{0, 0, Scale(static_cast<int>(def_.Integer(u"MinClientWidth"))),
               Scale(static_cast<int>(def_.Integer(u"MinClientHeight")))};
        AdjustRect(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)),
                   static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)), dpi_);
        info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, r.right - r.left);
        info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, r.bottom - r.top);
      }
      return 0;
    }
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lp);
      dpi_ = HIWORD(wp);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyDpi(HIWORD(wp));
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace zandrel::gui
