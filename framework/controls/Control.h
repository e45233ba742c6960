#pragma once

// TControl: anything with a place inside a parent, a text, an enabled and a visible state,
// a colour and a font. Every message a control gets, from the window system or from the
// framework itself, goes through its per-instance message handler.

#include <windows.h>

#include <cstdint>
#include <string>
#include <type_traits>

#include "framework/controls/Messages.h"
#include "framework/controls/SizeConstraints.h"
#include "framework/graphics/Colors.h"
#include "framework/graphics/Font.h"
#include "framework/runtime/Set.h"
#include "framework/streaming/Component.h"

namespace sx {

class TControl;
class TFormHost;
class TWinControl;

// Capabilities of a control class, fixed at construction.
enum class ControlStyle : std::uint8_t {
  AcceptsControls,  // may contain other controls
  CaptureMouse,     // takes the mouse capture on a left button-down
  ClickEvents,      // a left button-up after a button-down inside it clicks it
  SetCaption,       // the caption follows the name while nobody has changed it
  Opaque,           // paints its whole area; nothing behind it needs erasing
  DoubleClicks,     // double-clicks reach it as such, not as a second button-down
  FixedWidth,       // rescaling leaves the width alone
  FixedHeight,      // rescaling leaves the height alone
  Framed,           // a 3-D parent draws a sunken frame around it
  Replicatable,     // may be drawn as a copy of itself (a label is)
};
using TControlStyle = Set<ControlStyle, std::uint16_t>;

// Transient states of a control.
enum class ControlState : std::uint8_t {
  LButtonDown,       // the left mouse button went down on it and is not up yet
  Clicked,           // a click is pending the left button-up
  ReadingState,      // its properties are being read from a definition
  AlignmentNeeded,   // a realignment was asked for while alignment was suspended
  Focusing,          // the focus is being moved onto it
  CreatingWindow,    // its window is being made
  DestroyingHandle,  // its window is being destroyed
  CustomPaint,       // paints itself on its own canvas inside the windowed painting
};
using TControlState = Set<ControlState, std::uint16_t>;

// Which coordinates were set explicitly while loading; rescaling scales only those.
// Member n is the bit 1 << n: ScaleLeft 1, ScaleTop 2, ScaleWidth 4, ScaleHeight 8,
// ScaleFont 16, ScaleDesignSize 32.
enum class ScaleFlag : std::uint8_t {
  ScaleLeft,
  ScaleTop,
  ScaleWidth,
  ScaleHeight,
  ScaleFont,
  ScaleDesignSize,
};
using TScalingFlags = Set<ScaleFlag, std::uint8_t>;

enum TAnchorKind : std::uint8_t { akLeft, akTop, akRight, akBottom };
using TAnchors = Set<TAnchorKind, std::uint8_t>;
extern const TypeInfo TypeInfo_TAnchorKind;
extern const TypeInfo TypeInfo_TAnchors;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TAnchorKind>) {
  return &TypeInfo_TAnchorKind;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TAnchors>) {
  return &TypeInfo_TAnchors;
}

class TControl : public TComponent {
  SX_CLASS(TControl)

  explicit TControl(TComponent* owner);
  ~TControl() override;

  // --- Messages ---------------------------------------------------------------------------
  static const MessageTable Messages;
  virtual const MessageTable& MessageTableOf() const { return Messages; }

  using MessageHandler = Event<TMessage&>;
  // The per-instance entry point of every message: MessageProc unless replaced. Setting
  // an empty handler restores MessageProc.
  const MessageHandler& GetMessageHandler() const { return messageHandler_; }
  void SetMessageHandler(const MessageHandler& handler);

  // Builds a message record with Result 0, hands it to the message handler and returns
  // its Result.
  LRESULT DeliverMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // The class's own handling: the steps that come before the handler tables, then Dispatch.
  virtual void MessageProc(TMessage& message);
  // The handler of the message's number from the class's table chain, else DefaultHandler.
  void Dispatch(TMessage& message);
  // What a message with no handler gets.
  virtual void DefaultHandler(TMessage& message);

  // --- Place and size -----------------------------------------------------------------------
  TWinControl* Parent() const { return parent_; }
  // Moves the control into another parent (or out of any with none).
  virtual void SetParentControl(TWinControl* parent);

  std::int32_t Left() const { return left_; }
  std::int32_t Top() const { return top_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // Each calls ChangeBounds with the other three unchanged and marks its coordinate in the
  // scaling flags.
  void SetLeft(std::int32_t value);
  void SetTop(std::int32_t value);
  void SetWidth(std::int32_t value);
  void SetHeight(std::int32_t value);
  virtual void ChangeBounds(std::int32_t left, std::int32_t top, std::int32_t width,
                            std::int32_t height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }

  // The area inside the control's frame, in its own coordinates.
  virtual RECT ClientRect() const;
  std::int32_t ClientWidth() const;
  std::int32_t ClientHeight() const;
  // Resize the control so that its client area gets the given size.
  virtual void SetClientWidth(std::int32_t value);
  virtual void SetClientHeight(std::int32_t value);

  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors) { anchors_ = anchors; }
  TSizeConstraints* Constraints() const { return constraints_; }
  void SetConstraints(TSizeConstraints* constraints);

  // --- Text -------------------------------------------------------------------------------
  // Read through WM_GETTEXTLENGTH and WM_GETTEXT; written through WM_SETTEXT followed by
  // FWM_TEXTCHANGED, and only when it differs from what the control shows.
  // (Reading asks the control, which may pass the question on to its window; the control
  // itself does not change.)
  std::string Text() const;
  void SetText(const std::string& text);
  std::string Caption() const { return Text(); }
  void SetCaption(const std::string& caption) { SetText(caption); }

  // --- State ------------------------------------------------------------------------------
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);

  TFont* Font() const { return font_; }
  // Copies the given font's attributes into the control's own font.
  void SetFont(TFont* font);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  // Whether the control takes the desktop's icon font and follows its changes.
  bool DesktopFont() const { return desktopFont_; }
  void SetDesktopFont(bool value);

  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);

  TControlStyle ControlStyleOf() const { return controlStyle_; }
  void SetControlStyle(TControlStyle style) { controlStyle_ = style; }
  TControlState ControlStateOf() const { return controlState_; }
  void ChangeControlState(ControlState flag, bool on) { controlState_.Assign(flag, on); }

  // --- Scaling ----------------------------------------------------------------------------
  TScalingFlags ScalingFlags() const { return scalingFlags_; }
  void SetScalingFlags(TScalingFlags flags) { scalingFlags_ = flags; }
  // Scales the control's place, size and (when it has its own) font by m / d, rounding
  // halves away from zero. While loading only what the definition set is scaled. A widening
  // its caption asked for at the last scale is taken off first.
  virtual void Rescale(std::int32_t m, std::int32_t d);
  // The width the control needs to show its whole caption, in its font, as it draws it; 0
  // when it draws no caption of its own.
  virtual std::int32_t CaptionWidthNeeded();
  // Pixels the control was widened by so that its caption fits at the form's scale.
  std::int32_t CaptionWidening() const { return captionWidening_; }

  // --- Events -----------------------------------------------------------------------------
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& event) { onClick_ = event; }
  // Raises the click event.
  virtual void ClickControl();

  // --- Painting ---------------------------------------------------------------------------
  // Asks for the control's area to be painted again.
  virtual void Invalidate();

  // --- Loading and naming -----------------------------------------------------------------
  void LoadState(TReader& reader) override;
  TComponent* LoadParent() const override;
  void SetLoadParent(TComponent* parent) override;
  // Renaming also renames the caption when it still shows the old name (and the control's
  // style says the caption follows the name), outside loading.
  void SetName(const std::string& name) override;

  void TearDown() override;

 protected:
  // The width of the text drawn in the control's font on one line, with the system's
  // handling of "&"; 0 for an empty text. CaptionTextWidth measures the caption.
  std::int32_t TextWidth(const std::string& text);
  std::int32_t CaptionTextWidth() { return TextWidth(Caption()); }
  // --- Message handlers (the class's table) -----------------------------------------------
  void WMLButtonDown(TMessage& message);
  void WMLButtonUp(TMessage& message);
  void FWMEnabledChanged(TMessage& message);
  void FWMVisibleChanged(TMessage& message);
  void FWMColorChanged(TMessage& message);
  void FWMFontChanged(TMessage& message);
  void FWMParentColorChanged(TMessage& message);
  void FWMParentFontChanged(TMessage& message);
  void FWMParentShowHintChanged(TMessage& message);
  void FWMSysFontChanged(TMessage& message);

  // Continues a handler of class C with the handling of C's ancestors.
  template <class C>
  void Inherited(TMessage& message) {
    if (!DispatchFromTable(*this, C::Messages.parent, message)) DefaultHandler(message);
  }

  // Sends the notification to every child (plain ones first); nothing for a plain control.
  virtual void NotifyChildren(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // Called after the size changed, outside loading.
  virtual void Resized() {}
  // Called before Visible changes.
  virtual void VisibleChanging() {}
  // Asks the parent to arrange its children again.
  void RequestAlign();
  // Tells every windowed ancestor, nearest first, that this control's value changed
  // (FWM_CHANGED).
  void NotifyParentsChanged();

  // The font's change notification.
  void FontChanged(TObject* sender);

  // Fields a windowed control keeps in step with its window.
  std::int32_t left_ = 0;
  std::int32_t top_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  // The text while the control has no window.
  std::string text_;

 private:
  friend class TWinControl;

  static const MessageEntry kMessageEntries[];

  void ConstraintsChanged(TObject* sender);
  void ApplyDesktopFont();
  void InvalidateArea(bool erase);

  TWinControl* parent_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = true;
  TFont* font_ = nullptr;
  std::int32_t fontHeight_ = 0;
  bool parentFont_ = true;
  bool desktopFont_ = false;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TControlStyle controlStyle_{ControlStyle::CaptureMouse, ControlStyle::ClickEvents,
                              ControlStyle::SetCaption, ControlStyle::DoubleClicks};
  TControlState controlState_;
  TScalingFlags scalingFlags_;
  std::int32_t captionWidening_ = 0;
  TAnchors anchors_{akLeft, akTop};
  TSizeConstraints* constraints_ = nullptr;
  MessageHandler messageHandler_;
  TNotifyEvent onClick_;
};

// The form a control sits on: its outermost parent (or the control itself, without one) when
// that is a form, that is, implements TFormHost; none otherwise. FormHostOf answers it as
// what a control may ask of its form, GetParentForm as a control.
TFormHost* FormHostOf(const TControl* control);
TWinControl* GetParentForm(const TControl* control);
// The resolution the control's contents are laid out for: its form's, else the screen's.
int PixelsPerInchOf(const TControl* control);

// The control that holds the mouse capture: a windowed control whose window has it, or
// the plain child of that window that took it.
TControl* CaptureControl();
// Gives the mouse capture to the control (its parent's window for a plain control), or
// releases it with none.
void SetCaptureControl(TControl* control);

}  // namespace sx
