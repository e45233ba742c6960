// A form reading its definition: the client size held aside while it reads, scaling from the
// resolution it was made at to the screen's, the stored data only forms have, and rescaling
// when the window moves to a screen of another resolution.

#include <algorithm>
#include <numeric>
#include <utility>

#include "framework/forms/CustomForm.h"
#include "framework/forms/Desktop.h"
#include "framework/forms/Screen.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MulDiv.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/SystemLibrary.h"
#include "framework/runtime/SystemServices.h"
#include "framework/streaming/Reader.h"

namespace sx {
namespace {

bool g_defaultOldCreateOrder = false;

// A resolution a form can be laid out at: anything lower is a setting gone wrong or a
// query that failed, not a screen.
bool UsableResolution(int pixelsPerInch) {
  return pixelsPerInch > 35;
}

// The frame (caption and borders) a window of this style has on a screen of
// `pixelsPerInch`. Only Windows 10 and later answer for any resolution; older systems answer
// for the one they run at, whose frame is taken in proportion.
SIZE FrameAt(const TCreateParams& params, int pixelsPerInch, int screenPixelsPerInch) {
  using AdjustForResolution = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForResolution =
      FindProc<AdjustForResolution>(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi");
  const DWORD style = static_cast<DWORD>(params.Style);
  const DWORD exStyle = static_cast<DWORD>(params.ExStyle);
  RECT frame{0, 0, 0, 0};
  if (adjustForResolution &&
      adjustForResolution(&frame, style, FALSE, exStyle, static_cast<UINT>(pixelsPerInch)))
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
  frame = RECT{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return SIZE{MulDiv(frame.right - frame.left, pixelsPerInch, screenPixelsPerInch),
              MulDiv(frame.bottom - frame.top, pixelsPerInch, screenPixelsPerInch)};
}

}  // namespace

void SetDefaultOldCreateOrder(bool on) {
  g_defaultOldCreateOrder = on;
}

// --- Scaling --------------------------------------------------------------------------------

// The screen object may not exist yet (or any more) while a form is made or read.
int TCustomForm::ScreenResolution() {
  return Screen ? Screen->PixelsPerInch() : ScreenPixelsPerInch();
}

int TCustomForm::OpeningResolution() {
  const int monitor = Desktop().monitorPixelsPerInch(DefaultMonitor());
  return UsableResolution(monitor) ? monitor : ScreenResolution();
}

int TCustomForm::PixelsPerInch() const {
  if (pixelsPerInch_ != 0) return pixelsPerInch_;
  return ScreenResolution();
}

void TCustomForm::SetPixelsPerInch(int pixelsPerInch) {
  if (pixelsPerInch == PixelsPerInch()) return;
  if (pixelsPerInch != 0 && !UsableResolution(pixelsPerInch)) return;
  // Scaled off, read earlier from the same definition, stays off.
  if (Has(ComponentState::Loading) && pixelsPerInch_ == 0) return;
  pixelsPerInch_ = pixelsPerInch;
}

void TCustomForm::SetScaled(bool on) {
  if (on == Scaled()) return;
  pixelsPerInch_ = on ? ScreenResolution() : 0;
}

void TCustomForm::SetClientWidth(std::int32_t value) {
  if (ControlStateOf().Contains(ControlState::ReadingState)) {
    pendingClientWidth_ = value;
    SetScalingFlags(ScalingFlags() + TScalingFlags{ScaleFlag::ScaleWidth});
    return;
  }
  TScrollingWinControl::SetClientWidth(value);
}

void TCustomForm::SetClientHeight(std::int32_t value) {
  if (ControlStateOf().Contains(ControlState::ReadingState)) {
    pendingClientHeight_ = value;
    SetScalingFlags(ScalingFlags() + TScalingFlags{ScaleFlag::ScaleHeight});
    return;
  }
  TScrollingWinControl::SetClientHeight(value);
}

void TCustomForm::LoadState(TReader& reader) {
  DisableAlign();
  Finally enableAlign([this] { EnableAlign(); });
  pendingClientWidth_ = 0;
  pendingClientHeight_ = 0;
  storedTextHeight_ = 0;
  layoutScaleM_ = layoutScaleD_ = 1;
  oldCreateOrder_ = g_defaultOldCreateOrder;
  TScrollingWinControl::LoadState(reader);

  bool scaled = false;
  if (pixelsPerInch_ != 0 && storedTextHeight_ > 0) {
    const int designPixelsPerInch = pixelsPerInch_;
    // Laid out at once for the monitor it opens on, which need not have the system's
    // resolution: no message would tell the window to scale once it is made there.
    const int screenPixelsPerInch = OpeningResolution();
    if (ScalingFlags().Contains(ScaleFlag::ScaleFont) && pixelsPerInch_ != screenPixelsPerInch)
      Font()->SetHeight(MulDiv(Font()->Height(), screenPixelsPerInch, pixelsPerInch_));
    pixelsPerInch_ = screenPixelsPerInch;
    const std::int32_t textHeight = System().TextHeight(Font()->Handle(), "0");
    // A measurement that failed (0) gives no ratio: scaling by it would drop the stored
    // client size while the controls, which refuse a zero ratio, stayed where they were.
    if (textHeight > 0 && textHeight != storedTextHeight_) {
      const std::int32_t m = textHeight;
      const std::int32_t d = storedTextHeight_;
      RescaleScrollBars(m, d);
      RescaleChildren(m, d);
      // A definition that stores only the outer size still had a client area where it was
      // made: the controls grow by m / d, so must that area, or the window cuts them off
      // and shows scroll bars.
      if (pendingClientWidth_ == 0 || pendingClientHeight_ == 0) {
        TCreateParams params;
        CreateParams(params);
        const SIZE frame = FrameAt(params, designPixelsPerInch, screenPixelsPerInch);
        if (pendingClientWidth_ == 0 && Width() > frame.cx) {
          pendingClientWidth_ = Width() - frame.cx;
          SetScalingFlags(ScalingFlags() + TScalingFlags{ScaleFlag::ScaleWidth});
        }
        if (pendingClientHeight_ == 0 && Height() > frame.cy) {
          pendingClientHeight_ = Height() - frame.cy;
          SetScalingFlags(ScalingFlags() + TScalingFlags{ScaleFlag::ScaleHeight});
        }
      }
      if (ScalingFlags().Contains(ScaleFlag::ScaleWidth))
        pendingClientWidth_ = MulDiv(pendingClientWidth_, m, d);
      if (ScalingFlags().Contains(ScaleFlag::ScaleHeight))
        pendingClientHeight_ = MulDiv(pendingClientHeight_, m, d);
      layoutScaleM_ = m;
      layoutScaleD_ = d;
      scaled = true;
    }
  }
  if (pendingClientWidth_ > 0) SetClientWidth(pendingClientWidth_);
  if (pendingClientHeight_ > 0) SetClientHeight(pendingClientHeight_);
  SetScalingFlags(TScalingFlags{});
  // Scaled, a caption that no longer fits widens its control into the free space beside it.
  if (scaled) {
    FitCaptions();
  } else {
    RescaleScrollBars(1, 1);
    RescaleChildren(1, 1);
  }
}

void TCustomForm::WMDpiChanged(TMessage& message) {
  // Both halves carry the same value; the vertical one is the one fonts are measured in.
  const int newPixelsPerInch = HIWORD(message.WParam);
  const int oldPixelsPerInch = PixelsPerInch();
  message.Result = 0;
  // A form laid out for that resolution already (made for the monitor it was then moved
  // to) keeps its size: the system suggests one grown by the ratio of the two monitors.
  if (Scaled() && newPixelsPerInch == oldPixelsPerInch) return;
  const bool rescales = Scaled() && UsableResolution(newPixelsPerInch);
  // The controls move in proportion to the resolutions. Yet a font of few sizes grows by
  // less than that (8-point MS Sans Serif's "0" is 20 pixels high at 192 pixels per inch on
  // Wine 8.0, not 26), and a form read there was scaled by the text, so less: moved from
  // there in proportion, its controls would come out smaller than the form read where it
  // arrives, and captions that fit there would be cut. The layout never goes below that one.
  std::int64_t m = newPixelsPerInch;
  std::int64_t d = oldPixelsPerInch;
  std::int64_t scaleM = layoutScaleM_ * m;
  std::int64_t scaleD = layoutScaleD_ * d;
  const std::int64_t textHeight =
      rescales && storedTextHeight_ > 0 ? TextHeightAt(newPixelsPerInch, oldPixelsPerInch) : 0;
  const bool byText = textHeight > 0 && textHeight * scaleD > storedTextHeight_ * scaleM;
  if (byText) {
    scaleM = textHeight;
    scaleD = storedTextHeight_;
    m = textHeight * layoutScaleD_;
    d = storedTextHeight_ * layoutScaleM_;
  }
  // Both ratios stay small: moves multiply by new / old resolution, which telescopes.
  const std::int64_t common = std::gcd(m, d);
  const auto mm = static_cast<std::int32_t>(m / common);
  const auto dd = static_cast<std::int32_t>(d / common);
  const std::int32_t clientWidth = ClientWidth();
  const std::int32_t clientHeight = ClientHeight();
  // The window takes its new size first, so that controls growing into it never stand
  // beyond it: scroll bars would come and, one leaving room for the other, not all go.
  if (const auto* suggested = reinterpret_cast<const RECT*>(message.LParam))
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (!rescales) return;
  // The size suggested is the window's in proportion to the resolutions: too small for
  // controls scaled by more, and, where the frame keeps its size (Wine 8.0), for a client
  // area scaled down at all. The client area is never smaller than the controls' scale.
  SetClientWidth(std::max(ClientWidth(), MulDiv(clientWidth, mm, dd)));
  SetClientHeight(std::max(ClientHeight(), MulDiv(clientHeight, mm, dd)));
  const std::int64_t scaleCommon = std::gcd(scaleM, scaleD);
  layoutScaleM_ = scaleM / scaleCommon;
  layoutScaleD_ = scaleD / scaleCommon;
  DisableAlign();
  Finally enableAlign([this] { EnableAlign(); });
  // The controls' glyphs follow the form's resolution, so it changes first. The font
  // changes last: a field takes the height its new font asks for, which scaling it
  // afterwards would scale once more.
  pixelsPerInch_ = newPixelsPerInch;
  RescaleScrollBars(mm, dd);
  RescaleChildren(mm, dd);
  RescaleFont(newPixelsPerInch, oldPixelsPerInch);
  // Laid out as designed, in a font that measures as it did there, every control has its
  // designed width again. The same height in pixels need not measure the same on another
  // system: a font of few sizes has a set of its own for each system resolution (Wine 8.0).
  const bool asDesigned = layoutScaleM_ == layoutScaleD_ &&
                          System().TextHeight(Font()->Handle(), "0") == storedTextHeight_;
  if (!asDesigned) FitCaptions();
}

void TCustomForm::RescaleFont(int newPixelsPerInch, int oldPixelsPerInch) {
  Font()->SetHeight(MulDiv(Font()->Height(), newPixelsPerInch, oldPixelsPerInch));
}

std::int32_t TCustomForm::TextHeightAt(int newPixelsPerInch, int oldPixelsPerInch) {
  LOGFONTA record{};
  if (GetObjectA(reinterpret_cast<HGDIOBJ>(Font()->Handle()), sizeof record, &record) !=
      static_cast<int>(sizeof record))
    return 0;
  record.lfHeight = MulDiv(Font()->Height(), newPixelsPerInch, oldPixelsPerInch);
  const HFONT font = CreateFontIndirectA(&record);
  if (!font) return 0;
  const Finally release([font] { DeleteObject(font); });
  return System().TextHeight(reinterpret_cast<FontHandle>(font), "0");
}

void TCustomForm::DefineStoredData(TFiler& filer) {
  TScrollingWinControl::DefineStoredData(filer);
  // "PixelsPerInch" is also stored as a defined property by writers; reading takes it through
  // the published property of that name.
  filer.DefineStored(
      "TextHeight", [this](TReader& reader) { storedTextHeight_ = reader.ReadIntValue(); },
      storedTextHeight_ != 0);
  filer.DefineStored(
      "IgnoreFontProperty",
      [this](TReader& reader) {
        if (reader.ReadBoolValue()) SetParentFont(true);
      },
      false);
}

void TCustomForm::AfterLoad() {
  TScrollingWinControl::AfterLoad();
  // A stored active control that cannot take the focus now is forgotten.
  if (TWinControl* control = std::exchange(activeControl_, nullptr); control && control->CanFocus())
    SetActiveControl(control);
}

}  // namespace sx
