#include "framework/forms/Screen.h"

#include <algorithm>
#include <cstring>

#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"
#include "framework/graphics/CursorsWin32.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"

namespace sx {

constinit const ClassInfo TMouse::StaticClass{.name = "TMouse", .parent = &TObject::StaticClass};

constinit const ClassInfo TScreen::StaticClass{.name = "TScreen",
                                               .parent = &TComponent::StaticClass};

// --- TMouse ---------------------------------------------------------------------------------

TMouse::TMouse() {
  SettingChanged(0);
}

void TMouse::SettingChanged(UINT setting) {
  if (setting == 0 || setting == SPI_GETWHEELSCROLLLINES || setting == SPI_SETWHEELSCROLLLINES) {
    wheelPresent_ = GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0;
    UINT lines = 3;
    if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
      wheelScrollLines_ = static_cast<int>(lines);
  }
  if (setting == 0 || setting == SPI_SETDRAGWIDTH || setting == SPI_SETDRAGHEIGHT) {
    const int drag = GetSystemMetrics(SM_CXDRAG);
    if (drag > 0) dragThreshold_ = drag;
  }
}

// --- TScreen --------------------------------------------------------------------------------

namespace {

void ApplyLogFont(TFont& font, const LOGFONTA& log) {
  char name[LF_FACESIZE + 1] = {};
  std::memcpy(name, log.lfFaceName, LF_FACESIZE);
  font.SetName(name);
  font.SetHeight(log.lfHeight);
  TFontStyles style;
  if (log.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (log.lfItalic) style.Include(fsItalic);
  if (log.lfUnderline) style.Include(fsUnderline);
  if (log.lfStrikeOut) style.Include(fsStrikeOut);
  font.SetStyle(style);
  font.SetCharset(static_cast<TFontCharset>(log.lfCharSet));
}

// The built-in cursors by number: crArrow is -2, each next one a number lower.
const LPCSTR kBuiltInCursors[] = {
    IDC_ARROW,        // crArrow
    IDC_CROSS,        // crCross
    IDC_IBEAM,        // crIBeam
    IDC_SIZEALL,      // -5 (unused number)
    IDC_SIZENESW,     // crSizeNESW
    IDC_SIZENS,       // crSizeNS
    IDC_SIZENWSE,     // crSizeNWSE
    IDC_SIZEWE,       // crSizeWE
    IDC_UPARROW,      // crUpArrow
    IDC_WAIT,         // crHourGlass
    IDC_ARROW,        // crDrag
    IDC_NO,           // crNoDrop
    IDC_SIZENS,       // crHSplit
    IDC_SIZEWE,       // crVSplit
    IDC_ARROW,        // crMultiDrag
    IDC_WAIT,         // crSQLWait
    IDC_NO,           // crNo
    IDC_APPSTARTING,  // crAppStart
    IDC_HELP,         // crHelp
    IDC_HAND,         // crHandPoint
    IDC_SIZEALL,      // crSizeAll
};

}  // namespace

TScreen::TScreen(TComponent* owner) : TComponent(owner), pixelsPerInch_(sx::ScreenPixelsPerInch()) {
  iconFont_ = New<TFont>();
  hintFont_ = New<TFont>();
  ResetFonts();
}

void TScreen::TearDown() {
  FreeAndNil(iconFont_);
  FreeAndNil(hintFont_);
  TComponent::TearDown();
}

void TScreen::AddForm(TCustomForm* form) {
  customForms_.push_back(form);
  if (form->InheritsFrom(TForm::StaticClass)) forms_.push_back(static_cast<TForm*>(form));
  if (Application) Application->SyncAppWindowVisibility();
}

void TScreen::RemoveForm(TCustomForm* form) {
  std::erase(customForms_, form);
  std::erase(forms_, static_cast<TForm*>(form));
  ForgetSavedFocus(form);
  if (Application) Application->SyncAppWindowVisibility();
}

void TScreen::MoveFormToFront(TCustomForm* form) {
  const auto front = [](auto& list, auto* item) {
    const auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) std::rotate(list.begin(), it, std::next(it));
  };
  front(customForms_, form);
  if (form->InheritsFrom(TForm::StaticClass)) front(forms_, static_cast<TForm*>(form));
}

void TScreen::SetActive(TCustomForm* form, TWinControl* control) {
  activeControl_ = control;
  activeCustomForm_ = form;
  if (form && form->InheritsFrom(TForm::StaticClass)) activeForm_ = static_cast<TForm*>(form);
  if (form) MoveFormToFront(form);
}

TCustomForm* TScreen::PopFocusedForm() {
  if (savedFocus_.empty()) return nullptr;
  TCustomForm* form = savedFocus_.back();
  savedFocus_.pop_back();
  return form;
}

void TScreen::ForgetSavedFocus(TCustomForm* form) {
  // A slot of the stack stays (emptied) so that the pops of running modal loops still pair
  // with their pushes.
  std::replace(savedFocus_.begin(), savedFocus_.end(), form, static_cast<TCustomForm*>(nullptr));
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor != cursor_) {
    cursor_ = cursor;
    bool done = false;
    if (cursor == crDefault) {
      // The window under the mouse knows the cursor it wants: let it set its own.
      POINT point;
      GetCursorPos(&point);
      HWND window = WindowFromPoint(point);
      if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        const LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
        SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
        done = true;
      }
    }
    if (!done) ::SetCursor(CursorHandle(cursor));
  }
  ++cursorCount_;
}

HCURSOR TScreen::CursorHandle(TCursor cursor) const {
  if (cursor == crDefault) return SystemCursor(IDC_ARROW);
  const int index = -static_cast<int>(cursor) - 2;
  if (index < 0 || index >= static_cast<int>(std::size(kBuiltInCursors)))
    return SystemCursor(IDC_ARROW);
  HCURSOR handle = SystemCursor(kBuiltInCursors[index]);
  return handle ? handle : SystemCursor(IDC_ARROW);
}

void TScreen::ResetFonts() {
  LOGFONTA log = {};
  if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof log, &log, 0))
    ApplyLogFont(*iconFont_, log);
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    ApplyLogFont(*hintFont_, metrics.lfStatusFont);
}

void TScreen::ReadMetrics() {
  // The screen's size is asked of the system each time; only the mouse keeps settings.
  if (Mouse) Mouse->SettingChanged(0);
}

void TScreen::ControlDestroyed(TControl* control) {
  if (activeControl_ && static_cast<TControl*>(activeControl_) == control) activeControl_ = nullptr;
  if (activeCustomForm_ && static_cast<TControl*>(activeCustomForm_) == control)
    activeCustomForm_ = nullptr;
  if (activeForm_ && static_cast<TControl*>(activeForm_) == control) activeForm_ = nullptr;
  if (focusedForm_ && static_cast<TControl*>(focusedForm_) == control) focusedForm_ = nullptr;
}

}  // namespace sx
