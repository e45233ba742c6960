#include "framework/controls/GraphicControl.h"

#include "framework/controls/WinControl.h"

namespace sx {

// --- TControlCanvas ---------------------------------------------------------------------------

constinit const ClassInfo TControlCanvas::StaticClass{
    .name = "TControlCanvas",
    .parent = &TCanvas::StaticClass,
};

void TControlCanvas::TearDown() {
  FreeHandle();
  TCanvas::TearDown();
}

void TControlCanvas::SetControl(TControl* control) {
  if (control == control_) return;
  FreeHandle();
  control_ = control;
}

void TControlCanvas::HandleNeeded() {
  if (Handle() || !control_) return;
  HWND window = nullptr;
  bool windowless = false;
  if (control_->InheritsFrom(TWinControl::StaticClass)) {
    auto* windowed = static_cast<TWinControl*>(control_);
    if (windowed->HandleAllocated()) window = windowed->Handle();
  } else if (TWinControl* parent = control_->Parent(); parent && parent->HandleAllocated()) {
    window = parent->Handle();
    windowless = true;
  }
  HDC dc = window ? GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS) : GetDC(nullptr);
  if (!dc) return;
  if (windowless) {
    POINT origin{};
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x - control_->Left(), origin.y - control_->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
  }
  ownWindow_ = window;
  ownContext_ = dc;
  SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
  if (!ownContext_) return;
  if (Handle() == ownContext_) SetHandle(nullptr);
  ReleaseDC(ownWindow_, ownContext_);
  ownWindow_ = nullptr;
  ownContext_ = nullptr;
}

// --- TGraphicControl --------------------------------------------------------------------------

constinit const ClassInfo TGraphicControl::StaticClass{
    .name = "TGraphicControl",
    .parent = &TControl::StaticClass,
};

constinit const MessageEntry TGraphicControl::kMessageEntries[] = {
    On<&TGraphicControl::WMPaint>(WM_PAINT),
};

constinit const MessageTable TGraphicControl::Messages{
    &TControl::Messages, {kMessageEntries, std::size(kMessageEntries)}};

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
  canvas_ = New<TControlCanvas>();
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() {
  FreeAndNil(canvas_);
}

void TGraphicControl::TearDown() {
  canvas_->FreeHandle();
  TControl::TearDown();
}

void TGraphicControl::WMPaint(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  if (!dc) return;
  const auto painting = canvas_->AttachForPaint(dc);
  Paint();
}

}  // namespace sx
