#pragma once

// The framework's message dialog: a small modal form built at run time with a text, an
// optional icon and a row of push buttons, returning the modal result of the button that
// closed it.

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "framework/forms/CustomForm.h"
#include "framework/runtime/Set.h"

namespace sx {

class TCanvas;
class TControlCanvas;
class TLabel;

enum TMessageKind : std::uint8_t { mkWarning, mkError, mkInformation, mkConfirmation, mkCustom };

// The buttons, in the order they stand left to right.
enum TDialogButton : std::uint8_t {
  dbYes,
  dbNo,
  dbOK,
  dbCancel,
  dbAbort,
  dbRetry,
  dbIgnore,
  dbAll,
  dbNoToAll,
  dbYesToAll,
  dbHelp,
};
constexpr std::size_t kDialogButtonCount = 11;
using TDialogButtons = Set<TDialogButton, std::uint16_t>;

// The modifier keys held with a key.
enum TShiftKey : std::uint8_t { ssShift, ssAlt, ssCtrl };
using TShiftState = Set<TShiftKey, std::uint8_t>;
// A key-down: the virtual key code (set it to 0 to swallow the key) and the modifiers held.
using TKeyEvent = Event<TObject*, WORD&, TShiftState>;

// What the dialog's help button calls, with the dialog's help file and context.
using MessageDialogHelpProc = void (*)(const std::string& helpFile, std::int32_t helpContext);
MessageDialogHelpProc SetMessageDialogHelpProc(MessageDialogHelpProc proc);

class TMessageForm : public TForm {
  SX_CLASS(TMessageForm)
  SX_MESSAGES()

  // An empty form in the system's message font (the default form font when the system
  // cannot tell it), both at the resolution of the monitor the form opens on.
  explicit TMessageForm(TComponent* owner);
  ~TMessageForm() override;

  void Notify(TComponent* component, Notice notice) override;

  // The label that shows the text.
  TLabel* Message() const { return message_; }
  void SetMessage(TLabel* label) { message_ = label; }

  // Measures with the form's font without needing the window.
  TControlCanvas* Canvas() const { return canvas_; }

  std::int32_t HelpContext() const { return helpContext_; }
  void SetHelpContext(std::int32_t context) { helpContext_ = context; }
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& file) { helpFile_ = file; }

  // Raised for a key-down of the form itself and, with KeyPreview, of its controls before
  // they see it.
  const TKeyEvent& OnKeyDown() const { return onKeyDown_; }
  void SetOnKeyDown(const TKeyEvent& event) { onKeyDown_ = event; }

  // The dialog as text: caption, message and button captions between dividers.
  std::string DialogTextForCopy() const;
  // Ctrl+C: beeps and puts DialogTextForCopy on the clipboard.
  void CopyShortCut(TObject* sender, WORD& key, TShiftState shift);
  // The help button's click.
  void HelpButtonClick(TObject* sender);

 protected:
  // Made again from the message font's record: a description would lose what the user
  // chose of it (its weight, width, quality and family).
  void RescaleFont(int newPixelsPerInch, int oldPixelsPerInch) override;

 private:
  static const MessageEntry kMessageEntries[];

  void FWMChildKey(TMessage& message);
  // Takes the message font, scaled from the screen's resolution to `pixelsPerInch`.
  void TakeMessageFont(int pixelsPerInch);

  TLabel* message_ = nullptr;
  TControlCanvas* canvas_ = nullptr;
  // The system's message font at the screen's resolution, when it could be read.
  std::optional<LOGFONTA> messageFont_;
  std::int32_t helpContext_ = 0;
  std::string helpFile_;
  TKeyEvent onKeyDown_;
};

// The average width of a character (of the 52 letters) and the character height of the
// canvas's font; the canvas must be attached to a device context.
POINT AverageCharSize(TCanvas& canvas);

// The width each button needs for its caption at the screen's resolution, measured the first
// time any dialog of the process shows the button and kept from then on (0: not measured
// yet).
std::array<std::int32_t, kDialogButtonCount>& MessageDialogButtonWidths();

// A new dialog, hidden and owned by the application; the caller frees it.
TMessageForm* BuildMessageDialog(const std::string& text, TMessageKind kind,
                                 TDialogButtons buttons);

// Builds the dialog, places it at (x, y) (a negative coordinate keeps the centred one; both
// negative centre it on the screen when shown), runs it modally, frees it and returns the
// result.
TModalResult MessageDialogAtWithHelp(const std::string& text, TMessageKind kind,
                                     TDialogButtons buttons, std::int32_t helpContext,
                                     std::int32_t x, std::int32_t y, const std::string& helpFile);
TModalResult MessageDialogAt(const std::string& text, TMessageKind kind, TDialogButtons buttons,
                             std::int32_t helpContext, std::int32_t x, std::int32_t y);
// The text with one OK button, the application's title as caption and no icon.
void ShowPlainMessageAt(const std::string& text, std::int32_t x, std::int32_t y);
void ShowPlainMessage(const std::string& text);

// Puts the text on the clipboard as CF_TEXT. Raises "Cannot open clipboard" when another
// program holds it, and the system's error when the text cannot be stored.
void CopyTextToClipboard(const std::string& text);

}  // namespace sx
