#include "framework/forms/MessageDialog.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "framework/controls/Button.h"
#include "framework/controls/GraphicControl.h"
#include "framework/controls/Image.h"
#include "framework/controls/Label.h"
#include "framework/controls/SystemError.h"
#include "framework/forms/Desktop.h"
#include "framework/graphics/MulDiv.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"

namespace sx {
namespace {

// mkCustom shows the application's title and no icon; its caption entry is never read.
struct KindInfo {
  TextId caption;
  LPCSTR icon;
};
const KindInfo kKinds[] = {
    {TextId::SMsgDlgWarning, IDI_EXCLAMATION},  {TextId::SMsgDlgError, IDI_HAND},
    {TextId::SMsgDlgInformation, IDI_ASTERISK}, {TextId::SMsgDlgConfirm, IDI_QUESTION},
    {TextId::SMsgDlgWarning, nullptr},
};

struct ButtonInfo {
  const char* name;
  TextId caption;
  TModalResult result;
};
constexpr ButtonInfo kButtons[kDialogButtonCount] = {
    {"Yes", TextId::SMsgDlgYes, 6},         {"No", TextId::SMsgDlgNo, 7},
    {"OK", TextId::SMsgDlgOK, 1},           {"Cancel", TextId::SMsgDlgCancel, 2},
    {"Abort", TextId::SMsgDlgAbort, 3},     {"Retry", TextId::SMsgDlgRetry, 4},
    {"Ignore", TextId::SMsgDlgIgnore, 5},   {"All", TextId::SMsgDlgAll, 8},
    {"NoToAll", TextId::SMsgDlgNoToAll, 9}, {"YesToAll", TextId::SMsgDlgYesToAll, 10},
    {"Help", TextId::SMsgDlgHelp, 0},
};

// Layout distances in dialog units: horizontal ones in quarters of the average character
// width, vertical ones in eighths of the character height.
constexpr int kHorzMargin = 8;
constexpr int kVertMargin = 8;
constexpr int kHorzSpacing = 10;
constexpr int kVertSpacing = 10;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonSpacing = 4;

constexpr UINT kMeasureCaption = DT_CALCRECT | DT_LEFT | DT_SINGLELINE;
constexpr UINT kMeasureText = DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS;

// At the screen's resolution: a dialog on a monitor of another resolution measures there and
// takes the width in proportion, as the same caption is drawn larger or smaller there.
std::array<std::int32_t, kDialogButtonCount> g_buttonWidths{};
MessageDialogHelpProc g_helpProc = nullptr;

FontData FontDataFromLogFont(const LOGFONTA& log) {
  FontData data;
  data.height = log.lfHeight;
  switch (log.lfPitchAndFamily & 0x03) {
    case FIXED_PITCH:
      data.pitch = fpFixed;
      break;
    case VARIABLE_PITCH:
      data.pitch = fpVariable;
      break;
    default:
      data.pitch = fpDefault;
  }
  if (log.lfWeight >= FW_BOLD) data.style.Include(fsBold);
  if (log.lfItalic) data.style.Include(fsItalic);
  if (log.lfUnderline) data.style.Include(fsUnderline);
  if (log.lfStrikeOut) data.style.Include(fsStrikeOut);
  data.charset = static_cast<TFontCharset>(log.lfCharSet);
  // The face name need not end in a zero when it fills the whole field.
  data.name.assign(log.lfFaceName, strnlen(log.lfFaceName, LF_FACESIZE));
  return data;
}

TShiftState CurrentShiftState() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

}  // namespace

MessageDialogHelpProc SetMessageDialogHelpProc(MessageDialogHelpProc proc) {
  return std::exchange(g_helpProc, proc);
}

// --- TMessageForm -----------------------------------------------------------------------------

constinit const ClassInfo TMessageForm::StaticClass{
    .name = "TMessageForm",
    .parent = &TForm::StaticClass,
};

constinit const MessageEntry TMessageForm::kMessageEntries[] = {
    On<&TMessageForm::FWMChildKey>(FWM_CHILDKEY),
};

constinit const MessageTable TMessageForm::Messages{&TCustomForm::Messages,
                                                    {kMessageEntries, std::size(kMessageEntries)}};

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner, kCreateNew) {
  canvas_ = New<TControlCanvas>();
  canvas_->SetControl(this);
  NONCLIENTMETRICSA metrics{};
  if (Desktop().nonClientMetrics(metrics)) messageFont_ = metrics.lfMessageFont;
  // Laid out from the start for the monitor it opens on (the active form's), whose
  // resolution may differ from the screen's the system reports the font at.
  SetPixelsPerInch(OpeningResolution());
  RescaleFont(PixelsPerInch(), ScreenResolution());
}

void TMessageForm::TakeMessageFont(int pixelsPerInch) {
  // The system's message font as it is: made from the whole record, its weight, width,
  // quality and family stay what the user chose, which a description could not carry.
  LOGFONTA record = *messageFont_;
  const int screen = ScreenResolution();
  record.lfHeight = MulDiv(record.lfHeight, pixelsPerInch, screen);
  record.lfWidth = MulDiv(record.lfWidth, pixelsPerInch, screen);
  if (HFONT font = CreateFontIndirectA(&record))
    Font()->TakeHandle(reinterpret_cast<FontHandle>(font), FontDataFromLogFont(record));
}

void TMessageForm::RescaleFont(int newPixelsPerInch, int oldPixelsPerInch) {
  if (messageFont_)
    TakeMessageFont(newPixelsPerInch);
  else
    TForm::RescaleFont(newPixelsPerInch, oldPixelsPerInch);
}

TMessageForm::~TMessageForm() {
  FreeAndNil(canvas_);
}

void TMessageForm::Notify(TComponent* component, Notice notice) {
  TForm::Notify(component, notice);
  if (notice == Notice::NoticeRemove && static_cast<TComponent*>(message_) == component)
    message_ = nullptr;
}

void TMessageForm::FWMChildKey(TMessage& message) {
  const auto* child = reinterpret_cast<const TWinControl*>(message.WParam);
  const auto& key = *reinterpret_cast<const TMessage*>(message.LParam);
  if ((key.Msg == WM_KEYDOWN || key.Msg == WM_SYSKEYDOWN) && onKeyDown_ &&
      (child == this || KeyPreview())) {
    WORD code = static_cast<WORD>(key.WParam);
    onKeyDown_(this, code, CurrentShiftState());
    if (code == 0) {
      message.Result = 1;
      return;
    }
  }
  Inherited<TMessageForm>(message);
}

std::string TMessageForm::DialogTextForCopy() const {
  static constexpr std::string_view kLineBreak = "\r\n";
  const std::string divider = std::string(27, '-') + std::string(kLineBreak);
  std::string buttons;
  for (int i = 0; i < ComponentCount(); ++i) {
    const TComponent* component = Component(i);
    if (!component->InheritsFrom(TButton::StaticClass)) continue;
    buttons += static_cast<const TButton*>(component)->Caption();
    buttons += "   ";
  }
  std::erase(buttons, '&');
  std::string text = divider;
  text += Caption();
  text += kLineBreak;
  text += divider;
  if (message_) text += message_->Caption();
  text += kLineBreak;
  text += divider;
  text += buttons;
  text += kLineBreak;
  text += divider;
  return text;
}

void TMessageForm::CopyShortCut(TObject*, WORD& key, TShiftState shift) {
  if (key != 'C' || shift != TShiftState{ssCtrl}) return;
  MessageBeep(0);
  CopyTextToClipboard(DialogTextForCopy());
}

void TMessageForm::HelpButtonClick(TObject*) {
  if (g_helpProc) g_helpProc(helpFile_, helpContext_);
}

// --- Building and running ---------------------------------------------------------------------

POINT AverageCharSize(TCanvas& canvas) {
  char letters[52];
  for (int i = 0; i < 26; ++i) {
    letters[i] = static_cast<char>('A' + i);
    letters[26 + i] = static_cast<char>('a' + i);
  }
  const SIZE size = canvas.TextExtent(std::string_view(letters, sizeof letters));
  return POINT{size.cx / 52, size.cy};
}

std::array<std::int32_t, kDialogButtonCount>& MessageDialogButtonWidths() {
  return g_buttonWidths;
}

TMessageForm* BuildMessageDialog(const std::string& text, TMessageKind kind,
                                 TDialogButtons buttons) {
  auto* form = New<TMessageForm>(Application);
  form->SetBorderStyle(bsDialog);
  form->SetKeyPreview(true);
  form->SetOnKeyDown(MakeEvent<&TMessageForm::CopyShortCut>(form));

  TControlCanvas* canvas = form->Canvas();
  canvas->Font()->Assign(form->Font());
  canvas->HandleNeeded();
  const Finally release([canvas] { canvas->FreeHandle(); });

  const int screen = TCustomForm::ScreenResolution();
  const POINT units = AverageCharSize(*canvas);
  const int horzMargin = MulDiv(kHorzMargin, units.x, 4);
  const int vertMargin = MulDiv(kVertMargin, units.y, 8);
  const int horzSpacing = MulDiv(kHorzSpacing, units.x, 4);
  const int vertSpacing = MulDiv(kVertSpacing, units.y, 8);
  const int buttonHeight = MulDiv(kButtonHeight, units.y, 8);
  const int buttonSpacing = MulDiv(kButtonSpacing, units.x, 4);
  int buttonWidth = MulDiv(kButtonWidth, units.x, 4);
  int buttonCount = 0;
  for (std::size_t b = 0; b < kDialogButtonCount; ++b) {
    if (!buttons.Contains(static_cast<TDialogButton>(b))) continue;
    ++buttonCount;
    if (g_buttonWidths[b] == 0) {
      RECT rect{0, 0, 0, 0};
      canvas->DrawText(LoadText(kButtons[b].caption), rect, kMeasureCaption);
      g_buttonWidths[b] = MulDiv(rect.right - rect.left + 8, screen, form->PixelsPerInch());
    }
    buttonWidth = std::max(buttonWidth, MulDiv(g_buttonWidths[b], form->PixelsPerInch(), screen));
  }

  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT textRect{0, 0, screenWidth / 2, 0};
  // The terminating zero is measured as well.
  canvas->DrawText(std::string_view(text.c_str(), text.size() + 1), textRect, kMeasureText);

  const LPCSTR iconId = kKinds[kind].icon;
  // The system's icons grow with the display's scale (32 pixels at 100 %, 64 at 200 %, seen
  // on Wine 8.0); the image shows one whole, not shrunk to the 100 % size.
  // On a monitor of another resolution than the screen's it takes that monitor's size.
  const SIZE iconSize{MulDiv(GetSystemMetrics(SM_CXICON), form->PixelsPerInch(), screen),
                      MulDiv(GetSystemMetrics(SM_CYICON), form->PixelsPerInch(), screen)};
  int blockWidth = textRect.right;
  int blockHeight = textRect.bottom;
  if (iconId) {
    blockWidth += iconSize.cx + horzSpacing;
    blockHeight = std::max<int>(blockHeight, iconSize.cy);
  }
  const int rowWidth =
      buttonCount > 0 ? buttonWidth * buttonCount + buttonSpacing * (buttonCount - 1) : 0;
  const int clientWidth = std::max(blockWidth, rowWidth) + 2 * horzMargin;
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(blockHeight + buttonHeight + vertSpacing + 2 * vertMargin);
  form->ChangeBounds(screenWidth / 2 - form->Width() / 2, screenHeight / 2 - form->Height() / 2,
                     form->Width(), form->Height());
  if (kind == mkCustom)
    form->SetCaption(Application ? Application->Title() : std::string());
  else
    form->SetCaption(LoadText(kKinds[kind].caption));

  if (iconId) {
    auto* image = New<TImage>(form);
    image->SetName("Image");
    image->SetParentControl(form);
    image->SetIcon(LoadIconA(nullptr, iconId));
    image->ChangeBounds(horzMargin, vertMargin, iconSize.cx, iconSize.cy);
  }

  auto* label = New<TLabel>(form);
  form->SetMessage(label);
  label->SetName("Message");
  label->SetParentControl(form);
  label->SetWordWrap(true);
  label->SetCaption(text);
  label->ChangeBounds(blockWidth - textRect.right + horzMargin, vertMargin, textRect.right,
                      textRect.bottom);

  const TDialogButton defaultButton = buttons.Contains(dbOK)    ? dbOK
                                      : buttons.Contains(dbYes) ? dbYes
                                                                : dbRetry;
  const TDialogButton cancelButton = buttons.Contains(dbCancel) ? dbCancel
                                     : buttons.Contains(dbNo)   ? dbNo
                                                                : dbOK;
  int x = (clientWidth - rowWidth) / 2;
  const int y = blockHeight + vertMargin + vertSpacing;
  for (std::size_t b = 0; b < kDialogButtonCount; ++b) {
    const auto which = static_cast<TDialogButton>(b);
    if (!buttons.Contains(which)) continue;
    auto* button = New<TButton>(form);
    button->SetName(kButtons[b].name);
    button->SetParentControl(form);
    button->SetCaption(LoadText(kButtons[b].caption));
    button->SetModalResult(kButtons[b].result);
    if (which == defaultButton) button->SetDefault(true);
    if (which == cancelButton) button->SetCancel(true);
    button->ChangeBounds(x, y, buttonWidth, buttonHeight);
    x += buttonWidth + buttonSpacing;
    if (which == dbHelp) button->SetOnClick(MakeEvent<&TMessageForm::HelpButtonClick>(form));
  }
  return form;
}

TModalResult MessageDialogAtWithHelp(const std::string& text, TMessageKind kind,
                                     TDialogButtons buttons, std::int32_t helpContext,
                                     std::int32_t x, std::int32_t y, const std::string& helpFile) {
  TMessageForm* form = BuildMessageDialog(text, kind, buttons);
  const Finally free([form] { form->Free(); });
  form->SetHelpContext(helpContext);
  form->SetHelpFile(helpFile);
  if (x >= 0) form->SetLeft(x);
  if (y >= 0) form->SetTop(y);
  if (x < 0 && y < 0) form->SetPosition(poScreenCenter);
  return form->RunModal();
}

TModalResult MessageDialogAt(const std::string& text, TMessageKind kind, TDialogButtons buttons,
                             std::int32_t helpContext, std::int32_t x, std::int32_t y) {
  return MessageDialogAtWithHelp(text, kind, buttons, helpContext, x, y, std::string());
}

void ShowPlainMessageAt(const std::string& text, std::int32_t x, std::int32_t y) {
  MessageDialogAt(text, mkCustom, TDialogButtons{dbOK}, 0, x, y);
}

void ShowPlainMessage(const std::string& text) {
  ShowPlainMessageAt(text, -1, -1);
}

// --- Clipboard --------------------------------------------------------------------------------

void CopyTextToClipboard(const std::string& text) {
  if (!OpenClipboard(nullptr)) throw Exception(LoadText(TextId::SCannotOpenClipboard));
  const Finally close([] { CloseClipboard(); });
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
  if (!memory) RaiseLastOSError();
  // Once the clipboard has taken the memory it is the clipboard's; until then it is ours.
  const Rollback release([memory] { GlobalFree(memory); });
  void* data = GlobalLock(memory);
  if (!data) RaiseLastOSError();
  std::memcpy(data, text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  EmptyClipboard();
  if (!SetClipboardData(CF_TEXT, memory)) RaiseLastOSError();
}

}  // namespace sx
