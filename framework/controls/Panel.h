#pragma once

// The panel: a container that draws a 3-D bevel frame around its children and, optionally,
// a caption in its middle.

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "framework/controls/Alignment.h"
#include "framework/controls/BorderStyle.h"
#include "framework/controls/CustomControl.h"

namespace sx {

enum TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
extern const TypeInfo TypeInfo_TBevelCut;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TBevelCut>) {
  return &TypeInfo_TBevelCut;
}

class TCustomPanel : public TCustomControl {
  SX_CLASS(TCustomPanel)
  SX_MESSAGES()

  explicit TCustomPanel(TComponent* owner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  // At least 1.
  std::int32_t BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(std::int32_t value);
  // A frame in Color between the bevels; at least 0.
  std::int32_t BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(std::int32_t value);
  // bsSingle: a thin frame (sunken with the new control look).
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  // Whether a move or resize repaints the whole panel rather than the edges that moved.
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool value) { fullRepaint_ = value; }
  bool Locked() const { return locked_; }
  void SetLocked(bool value) { locked_ = value; }
  bool UseDockManager() const { return useDockManager_; }
  void SetUseDockManager(bool value) { useDockManager_ = value; }

 protected:
  // --- Message handlers (the class's table) -----------------------------------------------
  void FWMBorderChanged(TMessage& message);
  void FWMTextChanged(TMessage& message);
  void FWMCtl3DChanged(TMessage& message);
  void WMWindowPosChanged(TMessage& message);

  void CreateParams(TCreateParams& params) override;
  void Paint() override;

 private:
  static const MessageEntry kMessageEntries[];

  TAlignment alignment_ = taCenter;
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  std::int32_t bevelWidth_ = 1;
  std::int32_t borderWidth_ = 0;
  TBorderStyle borderStyle_ = TBorderStyle::bsNone;
  bool fullRepaint_ = true;
  bool locked_ = false;
  bool useDockManager_ = true;
};

class TPanel : public TCustomPanel {
  SX_CLASS(TPanel)

  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

}  // namespace sx
