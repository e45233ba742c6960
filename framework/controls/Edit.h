#pragma once

// TCustomEdit and TEdit: a single-line edit field on the system "EDIT" window class.

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "framework/controls/BorderStyle.h"
#include "framework/controls/WinControl.h"

namespace sx {

enum TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };
extern const TypeInfo TypeInfo_TEditCharCase;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<TEditCharCase>) {
  return &TypeInfo_TEditCharCase;
}

class TCustomEdit : public TWinControl {
  SX_CLASS(TCustomEdit)
  SX_MESSAGES()

  explicit TCustomEdit(TComponent* owner);

  // Selects the whole text when the field is entered by keyboard.
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  // Keeps the height fitted to the font while the border is a single line.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  // 0: no limit beyond the system's.
  std::int32_t MaxLength() const { return maxLength_; }
  void SetMaxLength(std::int32_t value);
  bool OEMConvert() const { return oemConvert_; }
  void SetOEMConvert(bool value);
  // The character shown in place of every typed one; none ('\0') shows the text.
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char value);
  // A read-only field takes no typing or pasting; the program still sets its text.
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& event) { onChange_ = event; }

  void SelectAll();

 protected:
  // --- Message handlers (the class's table) -----------------------------------------------
  void FWMCommand(TMessage& message);
  void FWMTextChanged(TMessage& message);
  void FWMFontChanged(TMessage& message);
  void FWMCtl3DChanged(TMessage& message);
  void FWMEnter(TMessage& message);

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // The text is the value, unless it is hidden behind a password character.
  bool AccessibleValueIsText() const override { return passwordChar_ == '\0'; }

  // The text changed: FWM_CHANGED up the parent chain, then OnChange.
  virtual void Change();

 private:
  static const MessageEntry kMessageEntries[];

  // Fits the height to the font: its character height plus the border.
  void AdjustHeight();
  // Fixes the height while AutoSize holds and the border is a single line.
  void UpdateHeight();

  std::int32_t maxLength_ = 0;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  TEditCharCase charCase_ = ecNormal;
  char passwordChar_ = '\0';
  bool autoSize_ = true;
  bool autoSelect_ = true;
  bool hideSelection_ = true;
  bool oemConvert_ = false;
  bool readOnly_ = false;
  // The window is being made; the system's change reports of that moment are not changes.
  bool creating_ = false;
  TNotifyEvent onChange_;
};

class TEdit : public TCustomEdit {
  SX_CLASS(TEdit)

  using TCustomEdit::TCustomEdit;
};

}  // namespace sx
