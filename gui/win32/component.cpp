#include "gui/win32/component.h"

#include <commctrl.h>

#include <algorithm>

#include "gui/win32/application.h"
#include "gui/win32/component_factory.h"
#include "gui/win32/form.h"
#include "core/text.h"
#include "platform/wide.h"
#include "platform/window_subclass.h"

namespace zandrel::gui {

using platform::ToWide;

namespace {

int g_next_control_id = 1000;

bool IsTextProperty(std::u16string_view name) {
  return name == u"Caption" || name == u"Hint" || name == u"Title" || name == u"Text" ||
         name == u"TextHint";
}

// "Anchors": the edges of the window a placed control keeps its distance to
// ("left,top" unless given; "left,right" stretches it with the window).
unsigned ParseAnchors(const ComponentDefinition& def) {
  const std::u16string text = def.String(u"Anchors", u"left,top");
  unsigned anchors = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(u',', start), text.size());
    const std::u16string edge = text.substr(start, comma - start);
    if (edge == u"left")
      anchors |= Control::kAnchorLeft;
    else if (edge == u"top")
      anchors |= Control::kAnchorTop;
    else if (edge == u"right")
      anchors |= Control::kAnchorRight;
    else if (edge == u"bottom")
      anchors |= Control::kAnchorBottom;
    else
      throw DefinitionError("unknown Anchors edge in " + ToUtf8(def.name));
    start = comma + 1;
  }
  return anchors;
}

Align ParseAlign(const ComponentDefinition& def) {
  const std::u16string a = def.Word(u"Align", u"none");
  if (a == u"top") return Align::kTop;
  if (a == u"bottom") return Align::kBottom;
  if (a == u"left") return Align::kLeft;
  if (a == u"right") return Align::kRight;
  if (a == u"client") return Align::kClient;
  if (a == u"none") return Align::kNone;
  throw DefinitionError("unknown Align value in " + ToUtf8(def.name));
}

}  // namespace

void FireEvent(const Handler& handler) {
  if (handler) Application::Instance().Invoke(handler);
}

Style& CurrentStyle() {
  return Application::Instance().style();
}

void RegisterComponentKinds(ComponentFactory& factory) {
  // Plain components: the catalogue entries and other named values.
  factory.Register<Component>(u"Component");
}

// --- Component ---------------------------------------------------------------

Component::Component(Form* owner, const ComponentDefinition& def)
    : owner_(owner), name_(ToWide(def.name)), kind_(ToWide(def.kind)) {
  for (const auto& [key, value] : def.properties)
    if (IsTextProperty(key) && value.type == DefinitionValue::Type::kString)
      texts_.emplace_back(ToWide(key), ToWide(value.text));
}

Component::~Component() = default;

bool Component::HasTextProperty(std::wstring_view property) const {
  for (auto p : TextProperties())
    if (p == property) return true;
  return false;
}

const std::wstring* Component::FindStored(std::wstring_view property) const {
  for (const auto& [key, value] : texts_)
    if (key == property) return &value;
  return nullptr;
}

std::wstring& Component::Stored(std::wstring_view property) {
  for (auto& [key, value] : texts_)
    if (key == property) return value;
  texts_.emplace_back(std::wstring(property), std::wstring());
  return texts_.back().second;
}

std::wstring Component::GetText(std::wstring_view property) const {
  const std::wstring* v = FindStored(property);
  return v ? *v : std::wstring();
}

void Component::SetText(std::wstring_view property, const std::wstring& value) {
  Stored(property) = value;
  OnTextChanged(property);
}

void Component::Resolve(const ComponentDefinition&) {}

void Component::Adopt(Component& child) {
  AdoptChild(child);
  child.holder_ = this;
}

void Component::AdoptChild(Component& child) {
  throw DefinitionError("component " + ToUtf8(platform::FromWide(name())) + " holds no " +
                        ToUtf8(platform::FromWide(child.kind())));
}

// --- Control -----------------------------------------------------------------

Control::Control(Form* owner, const ComponentDefinition& def)
    : Component(owner, def), id_(g_next_control_id++) {
  left_ = static_cast<int>(def.Integer(u"Left"));
  top_ = static_cast<int>(def.Integer(u"Top"));
  width_ = static_cast<int>(def.Integer(u"Width"));
  height_ = static_cast<int>(def.Integer(u"Height"));
  align_ = ParseAlign(def);
  anchors_ = ParseAnchors(def);
  margins_ = {static_cast<LONG>(def.Integer(u"MarginLeft")),
              static_cast<LONG>(def.Integer(u"MarginTop")),
              static_cast<LONG>(def.Integer(u"MarginRight")),
              static_cast<LONG>(def.Integer(u"MarginBottom"))};
  visible_ = def.Boolean(u"Visible", true);
  enabled_ = def.Boolean(u"Enabled", true);
  hand_cursor_ = def.Word(u"Cursor", u"default") == u"hand";
  tab_stop_ = def.Boolean(u"TabStop", false);
  on_top_ = def.Boolean(u"OnTop", false);
  keeps_room_ = def.Boolean(u"KeepsRoom", false);
  if (def.Has(u"FontName") || def.Has(u"FontHeight") || def.Has(u"FontBold") ||
      def.Has(u"FontUnderline")) {
    own_font_ = true;
    font_.face = ToWide(def.String(u"FontName", u"Segoe UI"));
    font_.height = static_cast<int>(def.Integer(u"FontHeight", -12));
    font_.bold = def.Boolean(u"FontBold", false);
    font_.underline = def.Boolean(u"FontUnderline", false);
  }
}

Control::~Control() {
  Application::Instance().RemovePending(this);
  Control::DestroyHandle();
}

Control* Control::FromHandle(HWND hwnd) {
  DWORD_PTR data = 0;
  if (!platform::GetWindowSubclassData(hwnd, &Control::SubclassProc, 1, &data)) return nullptr;
  return reinterpret_cast<Control*>(data);
}

void Control::AdoptChild(Component& child) {
  // Non-visual components (menus, image lists, dialogs) may sit anywhere.
  if (auto* control = dynamic_cast<Control*>(&child)) AddChild(control);
}

void Control::Release(Component& child) {
  auto* control = dynamic_cast<Control*>(&child);
  if (!control) return;
  std::erase(children_, control);
  control->parent_ = nullptr;
  if (control->hwnd_) ShowWindow(control->hwnd_, SW_HIDE);
  LayoutChildren();
}

std::vector<Component*> Control::ChildComponents() const {
  return {children_.begin(), children_.end()};
}

void Control::BindEvents(const HandlerLookup& lookup) {
  on_click = lookup(u"OnClick");
  on_enter = lookup(u"OnEnter");
  on_exit = lookup(u"OnExit");
  on_mouse_move = lookup(u"OnMouseMove");
}

void Control::AddChild(Control* child) {
  child->parent_ = this;
  if (!child->own_font_) child->font_ = font_;
  children_.push_back(child);
}

std::vector<std::wstring_view> Control::TextProperties() const {
  return {kHint};
}

DWORD Control::Style() const {
  return 0;
}

void Control::CreateHandle(HWND parent_hwnd) {
  if (hwnd_) return;
  const std::wstring text = Component::GetText(WindowTextProperty());
  DWORD style = Style() | WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) style |= WS_VISIBLE;
  if (tab_stop_) style |= WS_TABSTOP;
  DWORD ex = ExStyle();
  if (IsContainer()) {
    style |= WS_CLIPCHILDREN;
    ex |= WS_EX_CONTROLPARENT;
  }
  hwnd_ = CreateWindowExW(ex, WindowClass(), text.c_str(), style, 0, 0, 0, 0, parent_hwnd,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                          Application::Instance().instance(), nullptr);
  if (!hwnd_) throw DefinitionError("cannot create control " + ToUtf8(platform::FromWide(name())));
  SetWindowSubclass(hwnd_, &Control::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  ApplyFont();
  if (!enabled_) EnableWindow(hwnd_, FALSE);
  if (on_top_) BringToFront();
  AfterCreate();
  ApplyStyle();
  for (Control* child : children_) child->CreateHandle(hwnd_);
}

void Control::DestroyHandle() {
  if (!hwnd_) return;
  for (Control* child : children_) child->DestroyHandle();
  RemoveWindowSubclass(hwnd_, &Control::SubclassProc, 1);
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void Control::SetDesignBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (parent_) parent_->LayoutChildren();
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (parent_ && align_ != Align::kNone && !keeps_room_) parent_->LayoutChildren();
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!hwnd_) return;
  // A control that loses its focus by being disabled hands it on, so the
  // window's keys (Tab, Enter, Esc) keep working.
  const HWND focus = GetFocus();
  const bool had_focus = !enabled && focus && (focus == hwnd_ || IsChild(hwnd_, focus));
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
  if (had_focus) {
    const HWND root = GetAncestor(hwnd_, GA_ROOT);
    if (HWND next = GetNextDlgTabItem(root, hwnd_, FALSE); next && next != hwnd_) ::SetFocus(next);
  }
}

void Control::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

void Control::BringToFront() {
  if (hwnd_) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Control::Invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::HandOverPending() {
  FlushPending(FlushKind::kNow);
  Application::Instance().RemovePending(this);
}

void Control::Repaint() {
  HandOverPending();
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

int Control::Scale(int value) const {
  return MulDiv(value, static_cast<int>(owner() ? owner()->dpi() : 96), 96);
}

RECT Control::ChildArea() const {
  RECT r{};
  if (hwnd_) GetClientRect(hwnd_, &r);
  return r;
}

RECT Control::PixelBounds() const {
  RECT r{};
  if (!hwnd_) return r;
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Control::PlaceSelf(const RECT& r) {
  if (!hwnd_) return;
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::LayoutChildren() {
  if (!hwnd_) return;
  RECT area = ChildArea();
  const POINT origin = ChildOrigin();
  auto place = [&](Control* c, RECT r) {
    c->PlaceSelf(r);
    c->LayoutChildren();
  };
  // Docking order: top, bottom, left, right, then client; creation order within each.
  for (Align pass : {Align::kTop, Align::kBottom, Align::kLeft, Align::kRight, Align::kClient}) {
    for (Control* c : children_) {
      if (c->align_ != pass || (!c->visible_ && !c->keeps_room_)) continue;
      const RECT m{Scale(c->margins_.left), Scale(c->margins_.top), Scale(c->margins_.right),
                   Scale(c->margins_.bottom)};
      RECT r{area.left + m.left, area.top + m.top, area.right - m.right, area.bottom - m.bottom};
      switch (pass) {
        case Align::kTop:
          r.bottom = r.top + Scale(c->height_);
          area.top = r.bottom + m.bottom;
          break;
        case Align::kBottom:
          r.top = r.bottom - Scale(c->height_);
          area.bottom = r.top - m.top;
          break;
        case Align::kLeft:
          r.right = r.left + Scale(c->width_);
          area.left = r.right + m.right;
          break;
        case Align::kRight:
          r.left = r.right - Scale(c->width_);
          area.right = r.left - m.left;
          break;
        default:
          break;
      }
      if (r.right < r.left) r.right = r.left;
      if (r.bottom < r.top) r.bottom = r.top;
      place(c, r);
    }
  }
  // A placed control anchored to the right or bottom follows what the window
  // grew by beyond its design size (a stretched one grows with it).
  const SIZE growth = owner() && owner() != this ? owner()->Growth() : SIZE{0, 0};
  for (Control* c : children_) {
    if (c->align_ != Align::kNone) continue;
    const int x = origin.x + Scale(c->left_);
    const int y = origin.y + Scale(c->top_);
    RECT r{x, y, x + Scale(c->width_), y + Scale(c->height_)};
    if (c->anchors_ & kAnchorRight) {
      r.right += growth.cx;
      if (!(c->anchors_ & kAnchorLeft)) r.left += growth.cx;
    }
    if (c->anchors_ & kAnchorBottom) {
      r.bottom += growth.cy;
      if (!(c->anchors_ & kAnchorTop)) r.top += growth.cy;
    }
    c->FitToContent(r);
    place(c, r);
  }
}

void Control::SetFont(const FontSpec& font) {
  font_ = font;
  own_font_ = true;
  ApplyFont();
  for (Control* child : children_)
    if (!child->own_font_) {
      child->font_ = font;
      child->ApplyFont();
    }
}

HFONT Control::font_handle() const {
  return CurrentStyle().Font(font_, owner() ? owner()->dpi() : 96);
}

void Control::ApplyFont() {
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_handle()), TRUE);
}

void Control::SetText(std::wstring_view property, const std::wstring& value) {
  Stored(property) = value;
  if (hwnd_ && property == WindowTextProperty()) SetWindowTextW(hwnd_, value.c_str());
  OnTextChanged(property);
}

bool Control::OnCommand(WORD) {
  return false;
}
bool Control::OnNotify(NMHDR*, LRESULT&) {
  return false;
}
bool Control::OnDrawItem(DRAWITEMSTRUCT*) {
  return false;
}
bool Control::OnControlColor(HDC, HBRUSH&) {
  return false;
}

bool Control::SubclassMessage(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<Control*>(data);
  if (msg == WM_NCDESTROY) {
    // The window goes with its parent; the control may outlive it.
    RemoveWindowSubclass(hwnd, &Control::SubclassProc, 1);
    self->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  return Application::Guarded(hwnd, msg,
                              [&] { return self->HandleSubclassMessage(hwnd, msg, wp, lp); });
}

LRESULT Control::HandleSubclassMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  switch (msg) {
    case WM_SETCURSOR:
      if (hand_cursor_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      FireEvent(on_mouse_move);
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      // A panel passes its children's notifications to the window.
      if (IsContainer() && owner() && owner()->hwnd())
        return SendMessageW(owner()->hwnd(), msg, wp, lp);
      break;
    default:
      break;
  }
  if (SubclassMessage(msg, wp, lp, result)) return result;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace zandrel::gui
