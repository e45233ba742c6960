#include "framework/forms/HintWindow.h"

#include "framework/forms/Application.h"
#include "framework/runtime/SystemVersion.h"

namespace sx {

constinit const ClassInfo THintWindow::StaticClass{
    .name = "THintWindow",
    .parent = &TWinControl::StaticClass,
    .construct = &ConstructComponent<THintWindow>,
};

THintWindow::THintWindow(TComponent* owner) : TWinControl(owner) {
  // Shown only when a hint is activated, never by the usual showing rules.
  SetVisible(false);
  SetColor(clInfoBk);
  Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.WindowClass.style |= CS_SAVEBITS;
  if (NewStyleControls()) params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

bool THintWindow::IsHintMessage(const MSG& msg) const {
  if (!HandleAllocated() || !IsWindowVisible(const_cast<THintWindow*>(this)->Handle()))
    return false;
  if (msg.message >= kFirstKeyMessage && msg.message <= kLastKeyMessage) return true;
  switch (msg.message) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCMOUSEMOVE:
      return true;
    default:
      return false;
  }
}

void THintWindow::ReleaseHandle() {
  DestroyHandle();
}

}  // namespace sx
