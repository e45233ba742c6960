#include "framework/controls/CustomControl.h"

namespace sx {

constinit const ClassInfo TCustomControl::StaticClass{
    .name = "TCustomControl",
    .parent = &TWinControl::StaticClass,
};

constinit const MessageEntry TCustomControl::kMessageEntries[] = {
    On<&TCustomControl::WMPrintClient>(WM_PRINTCLIENT),
};

constinit const MessageTable TCustomControl::Messages{
    &TWinControl::Messages, {kMessageEntries, std::size(kMessageEntries)}};

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
  canvas_ = New<TControlCanvas>();
  canvas_->SetControl(this);
  ChangeControlState(ControlState::CustomPaint, true);
}

TCustomControl::~TCustomControl() {
  FreeAndNil(canvas_);
}

void TCustomControl::TearDown() {
  TWinControl::TearDown();
  canvas_->SetControl(nullptr);
}

void TCustomControl::PaintWindow(HDC dc) {
  const auto painting = canvas_->AttachForPaint(dc);
  Paint();
}

void TCustomControl::WMPrintClient(TMessage& message) {
  if (!message.WParam) return;
  TMessage paint{WM_PAINT, message.WParam, 0, 0};
  PaintHandler(paint);
}

}  // namespace sx
