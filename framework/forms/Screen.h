#pragma once

// TMouse and TScreen: the process-wide view of the mouse settings, the forms and the focus,
// the cursor and the display.

#include <windows.h>

#include <vector>

#include "framework/graphics/Cursors.h"
#include "framework/streaming/Component.h"

namespace sx {

class TControl;
class TCustomForm;
class TFont;
class TForm;
class TWinControl;

// The mouse as the framework sees it: the settings it re-reads when the system says they
// changed.
class TMouse : public TObject {
  SX_CLASS(TMouse)

  TMouse();

  // Re-reads the mouse settings; `setting` is the changed SPI_ value, 0 for all.
  void SettingChanged(UINT setting);

  bool WheelPresent() const { return wheelPresent_; }
  int WheelScrollLines() const { return wheelScrollLines_; }
  int DragThreshold() const { return dragThreshold_; }

 private:
  bool wheelPresent_ = false;
  int wheelScrollLines_ = 3;
  int dragThreshold_ = 5;
};

// The screen: every form of the process, the active and the focused one, the control that
// has the focus, the mouse cursor and the display's resolution.
class TScreen : public TComponent {
  SX_CLASS(TScreen)

  explicit TScreen(TComponent* owner);
  void TearDown() override;

  // All forms, most recently focused first.
  int CustomFormCount() const { return static_cast<int>(customForms_.size()); }
  TCustomForm* CustomForm(int index) const {
    return customForms_.at(static_cast<std::size_t>(index));
  }
  // The forms that are TForms, in the same order.
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TForm* Form(int index) const { return forms_.at(static_cast<std::size_t>(index)); }

  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  // Puts the form at the front of both lists.
  void MoveFormToFront(TCustomForm* form);

  TWinControl* ActiveControl() const { return activeControl_; }
  TCustomForm* ActiveCustomForm() const { return activeCustomForm_; }
  TForm* ActiveForm() const { return activeForm_; }
  // Records the focus change of a form: its control, the form and (for a TForm) the form.
  void SetActive(TCustomForm* form, TWinControl* control);

  // The form whose controls receive the focus.
  TCustomForm* FocusedForm() const { return focusedForm_; }
  void SetFocusedForm(TCustomForm* form) { focusedForm_ = form; }
  // The focused forms saved by modal runs.
  void PushFocusedForm(TCustomForm* form) { savedFocus_.push_back(form); }
  TCustomForm* PopFocusedForm();
  // Empties the form's places in the saved-focus stack, wherever they stand.
  void ForgetSavedFocus(TCustomForm* form);

  // The mouse cursor of the whole program, and how often it was set.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  int CursorCount() const { return cursorCount_; }
  // The system cursor of a cursor number; the arrow for an unknown number.
  HCURSOR CursorHandle(TCursor cursor) const;

  int PixelsPerInch() const { return pixelsPerInch_; }
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  int DesktopWidth() const { return GetSystemMetrics(SM_CXVIRTUALSCREEN); }
  int DesktopHeight() const { return GetSystemMetrics(SM_CYVIRTUALSCREEN); }
  int DesktopLeft() const { return GetSystemMetrics(SM_XVIRTUALSCREEN); }
  int DesktopTop() const { return GetSystemMetrics(SM_YVIRTUALSCREEN); }

  // The system's icon-title font and hint font, re-read when the system fonts change.
  TFont* IconFont() const { return iconFont_; }
  TFont* HintFont() const { return hintFont_; }
  void ResetFonts();
  // Re-reads the screen metrics that depend on system settings.
  void ReadMetrics();

  // A control is going away: forget every reference to it.
  void ControlDestroyed(TControl* control);

 private:
  std::vector<TCustomForm*> customForms_;
  std::vector<TForm*> forms_;
  std::vector<TCustomForm*> savedFocus_;
  TWinControl* activeControl_ = nullptr;
  TCustomForm* activeCustomForm_ = nullptr;
  TForm* activeForm_ = nullptr;
  TCustomForm* focusedForm_ = nullptr;
  TCursor cursor_ = crDefault;
  int cursorCount_ = 0;
  int pixelsPerInch_;
  TFont* iconFont_ = nullptr;
  TFont* hintFont_ = nullptr;
};

}  // namespace sx
