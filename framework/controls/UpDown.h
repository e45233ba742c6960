#pragma once

// TCustomUpDown and TUpDown: a pair of spin buttons on the system up-down control, which
// steps a position between Min and Max and writes it into an associated field.

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "framework/controls/WinControl.h"

namespace sx {

enum TUDAlignButton : std::uint8_t { udLeft, udRight };
enum TUDOrientation : std::uint8_t { udHorizontal, udVertical };
// Which button a click stepped with.
enum TUDBtnType : std::uint8_t { btNext, btPrev };
enum TUpDownDirection : std::uint8_t { updNone, updUp, updDown };

extern const TypeInfo TypeInfo_TUDAlignButton;
extern const TypeInfo TypeInfo_TUDOrientation;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TUDAlignButton>) {
  return &TypeInfo_TUDAlignButton;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TUDOrientation>) {
  return &TypeInfo_TUDOrientation;
}

using TUDClickEvent = Event<TObject*, TUDBtnType>;
// (sender, allow): clearing allow forbids the step.
using TUDChangingEvent = Event<TObject*, bool&>;
// (sender, allow, new value, direction).
using TUDChangingEventEx = Event<TObject*, bool&, std::int16_t, TUpDownDirection>;

class TCustomUpDown : public TWinControl {
  SX_CLASS(TCustomUpDown)
  SX_MESSAGES()

  explicit TCustomUpDown(TComponent* owner);

  // The field the position is written into. Only a control of the same parent that is not
  // list-like (another spin button, a list or tree view) is taken; anything else leaves the
  // spin button without one. A control that another spin button of the parent already has
  // raises Exception "%s is already associated with %s".
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* value);

  std::int16_t Min() const { return min_; }
  void SetMin(std::int16_t value);
  std::int16_t Max() const { return max_; }
  void SetMax(std::int16_t value);
  // Read from the window when there is one.
  std::int16_t Position() const;
  // Asks OnChanging/OnChangingEx first (outside design); a refused change stores nothing.
  void SetPosition(std::int16_t value);
  std::int32_t Increment() const { return increment_; }
  void SetIncrement(std::int32_t value);

  TUDAlignButton AlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton value);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation value);
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool value);
  bool Thousands() const { return thousands_; }
  void SetThousands(bool value);
  bool Wrap() const { return wrap_; }
  void SetWrap(bool value);

  const TUDClickEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TUDClickEvent& event) { onClick_ = event; }
  const TUDChangingEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(const TUDChangingEvent& event) { onChanging_ = event; }
  const TUDChangingEventEx& OnChangingEx() const { return onChangingEx_; }
  void SetOnChangingEx(const TUDChangingEventEx& event) { onChangingEx_ = event; }

  void Notify(TComponent* component, Notice notice) override;
  // Scaled, the buttons dock to their field again: its top and height, the alignment's side.
  void Rescale(std::int32_t m, std::int32_t d) override;

 protected:
  // --- Message handlers (the class's table) -----------------------------------------------
  void FWMNotify(TMessage& message);
  void FWMScroll(TMessage& message);
  void FWMParentFontChanged(TMessage& message);

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

  // OnChanging, then OnChangingEx; true when the change by `delta` to `value` is allowed.
  virtual bool CanChange(std::int32_t value, std::int32_t delta);
  virtual void Click(TUDBtnType button);

 private:
  static const MessageEntry kMessageEntries[];

  // Binds the field to the window without letting the system move it, and puts the spin
  // button, `width` wide, beside it where docking would.
  void Attach(TWinControl* field, std::int32_t width);
  // UDM_SETBUDDY (none: detach) with the alignment style off, restored on every path.
  void SendBuddy(HWND field);
  // Places the buttons, `width` wide, against the field on the alignment's side, over its
  // top and height.
  void Dock(const TWinControl& field, std::int32_t width);
  // Whether the buttons and their field both have windows, outside loading.
  bool Docked() const;
  // Takes the number the field shows as the position, when it is one within the range;
  // true when it did.
  bool TakeFieldValue(std::int32_t& value);
  void SendRange();
  void SendIncrement();
  // Drops the association without touching the field.
  void Detach();

  TWinControl* associate_ = nullptr;
  mutable std::int16_t position_ = 0;
  std::int16_t min_ = 0;
  std::int16_t max_ = 100;
  std::int32_t increment_ = 1;
  TUDAlignButton alignButton_ = udRight;
  TUDOrientation orientation_ = udVertical;
  bool arrowKeys_ = true;
  bool thousands_ = true;
  bool wrap_ = false;
  TUDClickEvent onClick_;
  TUDChangingEvent onChanging_;
  TUDChangingEventEx onChangingEx_;
};

class TUpDown : public TCustomUpDown {
  SX_CLASS(TUpDown)

  using TCustomUpDown::TCustomUpDown;
};

}  // namespace sx
