#pragma once
// Components of a window: everything a window definition creates. Controls
// are the components with a window handle; the rest (menus, image lists,
// dialogs, the catalogue entries) are plain components.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/definition.h"
#include "gui/win32/application.h"
#include "gui/win32/style.h"

namespace zandrel::gui {

class Form;
class Control;

using Handler = std::function<void()>;
// The handler a component's definition names for one of its events (null
// when it names none); a name without a bound handler is a definition error.
using HandlerLookup = std::function<Handler(std::u16string_view event)>;

// The text properties a translator can address.
inline constexpr std::wstring_view kCaption = L"Caption";
inline constexpr std::wstring_view kHint = L"Hint";
inline constexpr std::wstring_view kTitle = L"Title";
inline constexpr std::wstring_view kText = L"Text";
inline constexpr std::wstring_view kTextHint = L"TextHint";

class Component {
 public:
  Component(Form* owner, const ComponentDefinition& def);
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::wstring& name() const { return name_; }
  const std::wstring& kind() const { return kind_; }
  Form* owner() const { return owner_; }

  // Named text properties of this component, in the order a translator tries them.
  virtual std::vector<std::wstring_view> TextProperties() const { return {}; }
  bool HasTextProperty(std::wstring_view property) const;
  virtual std::wstring GetText(std::wstring_view property) const;
  virtual void SetText(std::wstring_view property, const std::wstring& value);

  // Second construction step, once every component of the window exists
  // (references to other components by name are resolved here).
  virtual void Resolve(const ComponentDefinition& def);
  // Takes the handlers of this component's events.
  virtual void BindEvents(const HandlerLookup& /*lookup*/) {}

  // Whether the children of this component's definition are components
  // (of a window, a panel, a menu) rather than data (columns, pictures).
  virtual bool HoldsComponents() const { return false; }
  // The component this one was added to, or null for a window.
  Component* holder() const { return holder_; }
  // Takes a component created inside this one; throws when this kind cannot
  // hold it.
  void Adopt(Component& child);
  // Lets go of a child that is being removed.
  virtual void Release(Component& /*child*/) {}
  // The components directly inside this one.
  virtual std::vector<Component*> ChildComponents() const { return {}; }

 protected:
  // Stored values of the text properties; controls mirror them to the screen.
  std::wstring& Stored(std::wstring_view property);
  const std::wstring* FindStored(std::wstring_view property) const;
  // A text property changed (for a control, its window text already did):
  // what the kind draws or lays out from it follows here.
  virtual void OnTextChanged(std::wstring_view /*property*/) {}
  // The kind's part of Adopt.
  virtual void AdoptChild(Component& child);

 private:
  Form* owner_;
  Component* holder_ = nullptr;
  std::wstring name_;
  std::wstring kind_;
  std::vector<std::pair<std::wstring, std::wstring>> texts_;
};

enum class Align { kNone, kTop, kBottom, kLeft, kRight, kClient };

// A control: a component with its own window inside the form.
class Control : public Component {
 public:
  Control(Form* owner, const ComponentDefinition& def);
  ~Control() override;

  HWND hwnd() const { return hwnd_; }
  // The control behind a window handle, or null for windows of others.
  static Control* FromHandle(HWND hwnd);
  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }
  void AddChild(Control* child);
  int id() const { return id_; }

  // Creates the window (and then those of the children) inside the parent.
  void CreateHandle(HWND parent_hwnd);
  virtual void DestroyHandle();

  std::vector<std::wstring_view> TextProperties() const override;
  // Keeps the window text equal to the property it shows (see
  // WindowTextProperty) for every kind, whatever the kind paints on top.
  void SetText(std::wstring_view property, const std::wstring& value) final;

  // Design geometry at 96 DPI, relative to the parent's client origin.
  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }
  Align align() const { return align_; }
  void SetDesignBounds(int left, int top, int width, int height);
  // The window edges a placed (undocked) control keeps its distance to.
  static constexpr unsigned kAnchorLeft = 1, kAnchorTop = 2, kAnchorRight = 4, kAnchorBottom = 8;

  bool visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  bool enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  void SetFocus();
  void BringToFront();
  void Invalidate();
  // Hands held-back changes to the system now (see Application::AddPending).
  void HandOverPending();
  void Repaint();

  // Arranges the children by their docking inside this control's client area.
  void LayoutChildren();
  // Current rectangle in pixels, relative to the parent window.
  RECT PixelBounds() const;

  const FontSpec& font() const { return font_; }
  void SetFont(const FontSpec& font);
  HFONT font_handle() const;

  // Events bound from the definition (OnClick = HandlerName, ...).
  Handler on_click;
  Handler on_enter;
  Handler on_exit;
  Handler on_mouse_move;

  bool HoldsComponents() const override { return IsContainer(); }
  void BindEvents(const HandlerLookup& lookup) override;
  void Release(Component& child) override;
  std::vector<Component*> ChildComponents() const override;

  // Notifications forwarded by the form. Return true when handled.
  virtual bool OnCommand(WORD code);
  virtual bool OnNotify(NMHDR* header, LRESULT& result);
  virtual bool OnDrawItem(DRAWITEMSTRUCT* item);
  // WM_CTLCOLOR* of this control: set the colours on the device context and
  // give the background brush (the style's; never a new one).
  virtual bool OnControlColor(HDC dc, HBRUSH& brush);

  // Called by the form's scaling when the DPI changes or fonts are set.
  virtual void ApplyFont();

  // Hands held-back changes to the system (see Application::AddPending);
  // false when the control keeps them for now, which only kWhenDue allows.
  virtual bool FlushPending(FlushKind) { return true; }

  // The application's style changed, or the window was just made: hands the
  // platform what it paints itself in the style's colours (list and bar
  // colours, scroll-bar themes). Painting done here reads the style anyway.
  virtual void ApplyStyle() {}

  bool hand_cursor() const { return hand_cursor_; }

 protected:
  // Window class, styles and caption for CreateWindowExW.
  virtual const wchar_t* WindowClass() const = 0;
  // The text property the window's own text holds: what WM_GETTEXT answers,
  // and so the name screen readers speak, also for a control that draws its
  // text itself.
  virtual std::wstring_view WindowTextProperty() const { return kCaption; }
  virtual DWORD Style() const;
  virtual DWORD ExStyle() const { return 0; }
  virtual void AfterCreate() {}
  // Whether WM_COMMAND/WM_NOTIFY of child windows must be passed up to the
  // form (true for containers).
  virtual bool IsContainer() const { return false; }
  // Messages seen through the subclass; return true when consumed.
  virtual bool SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Client rectangle available to docked children, in pixels.
  virtual RECT ChildArea() const;
  // A control placed by position may widen its rectangle to fit its content.
  virtual void FitToContent(RECT& /*rect*/) const {}
  // Origin of undocked children's Left/Top, in pixels, relative to this window.
  virtual POINT ChildOrigin() const { return {0, 0}; }
  void AdoptChild(Component& child) override;
  int Scale(int value) const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data) noexcept;
  LRESULT HandleSubclassMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void PlaceSelf(const RECT& rect);

  HWND hwnd_ = nullptr;
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  int id_ = 0;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  RECT margins_{};
  Align align_ = Align::kNone;
  unsigned anchors_ = kAnchorLeft | kAnchorTop;
  bool visible_ = true;
  bool enabled_ = true;
  bool hand_cursor_ = false;
  bool own_font_ = false;
  FontSpec font_;
  bool tab_stop_ = false;
  bool on_top_ = false;  // placed above the controls created before it
  // Docked, it keeps its room while hidden: showing or hiding it moves
  // nothing else (a log of many lines takes long to lay out again).
  bool keeps_room_ = false;

  friend class Form;
};

// The application's style, which every painting path reads.
Style& CurrentStyle();

// Runs an event handler when one is bound; what it throws goes to the
// default error handler.
void FireEvent(const Handler& handler);

}  // namespace zandrel::gui
