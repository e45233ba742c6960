// How a windowed control paints itself and the windowless controls inside it, and how it
// erases its background.

#include "framework/controls/WinControl.h"
#include "framework/runtime/Finally.h"

namespace sx {
namespace {

// Puts the context back as it was saved, also when a paint step raises.
class SavedContext {
 public:
  explicit SavedContext(HDC dc) : dc_(dc), index_(SaveDC(dc)) {}
  ~SavedContext() {
    if (index_ != 0) RestoreDC(dc_, index_);
  }
  SavedContext(const SavedContext&) = delete;
  SavedContext& operator=(const SavedContext&) = delete;

 private:
  HDC dc_;
  int index_;
};

bool ShownOrDesigned(const TControl* control) {
  return control->Visible() || control->Has(ComponentState::Designing);
}

// Moves the origin of the context's drawing by (dx, dy): what is drawn at (0, 0) afterwards
// appears at (dx, dy).
void MoveWindowOrigin(HDC dc, int dx, int dy) {
  POINT origin{};
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x - dx, origin.y - dy, nullptr);
}

}  // namespace

void TWinControl::WMPaint(TMessage& message) {
  if (!doubleBuffered_ || message.WParam != 0) {
    if (ChildCount() == 0 && !ControlStateOf().Contains(ControlState::CustomPaint))
      Inherited<TWinControl>(message);
    else
      PaintHandler(message);
    return;
  }
  if (!handle_) return;
  // Double buffering: the whole picture is put together in a memory bitmap (background
  // included, see WMEraseBkgnd) and copied to the window in one step.
  RECT client{};
  GetClientRect(handle_, &client);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  ReleaseDC(nullptr, screen);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(handle_, &paint);
  const Finally release([&paint, window = handle_, memory, previous, bitmap] {
    EndPaint(window, &paint);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
  });
  const WPARAM memoryContext = reinterpret_cast<WPARAM>(memory);
  DeliverMessage(WM_ERASEBKGND, memoryContext, static_cast<LPARAM>(memoryContext));
  TMessage inner{WM_PAINT, memoryContext, 0, 0};
  WMPaint(inner);
  if (dc) BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
}

void TWinControl::PaintHandler(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  PAINTSTRUCT paint{};
  const bool ownPaint = dc == nullptr;
  if (ownPaint) {
    if (!handle_) return;
    dc = BeginPaint(handle_, &paint);
    if (!dc) return;
  }
  const Finally finish([&, window = handle_] {
    if (ownPaint) EndPaint(window, &paint);
  });

  if (controls_.empty()) {
    PaintWindow(dc);
  } else {
    SavedContext saved(dc);
    // What an opaque windowless child covers, the child paints itself; painting the
    // control there first would only flicker.
    int clip = SIMPLEREGION;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      const TControl* child = controls_[i];
      if (!ShownOrDesigned(child) || !child->ControlStyleOf().Contains(ControlStyle::Opaque))
        continue;
      clip = ExcludeClipRect(dc, child->Left(), child->Top(), child->Left() + child->Width(),
                             child->Top() + child->Height());
      if (clip == NULLREGION) break;
    }
    if (clip != NULLREGION) PaintWindow(dc);
  }
  PaintControls(dc);
}

void TWinControl::PaintWindow(HDC dc) {
  TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(message);
}

void TWinControl::PaintControls(HDC dc) {
  // A child's paint may add or remove children: the index is checked against the list as
  // it is now.
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    TControl* child = controls_[i];
    if (!ShownOrDesigned(child)) continue;
    const RECT bounds = child->BoundsRect();
    if (!RectVisible(dc, &bounds)) continue;
    SavedContext saved(dc);
    MoveWindowOrigin(dc, child->Left(), child->Top());
    IntersectClipRect(dc, 0, 0, child->Width(), child->Height());
    child->DeliverMessage(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
  for (std::size_t i = 0; i < winControls_.size(); ++i) {
    const TWinControl* child = winControls_[i];
    if (!child->ctl3D_ || !child->ControlStyleOf().Contains(ControlStyle::Framed) ||
        !ShownOrDesigned(child))
      continue;
    const int left = child->Left();
    const int top = child->Top();
    const int right = left + child->Width();
    const int bottom = top + child->Height();
    const RECT shadow{left - 1, top - 1, right, bottom};
    const RECT highlight{left, top, right + 1, bottom + 1};
    FrameRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
    FrameRect(dc, &highlight, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  }
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  if (!handle_) return;
  // A double-buffered control erases only its memory bitmap (whose context it passes in
  // both parameters); erasing the window itself would show as flicker.
  if (!doubleBuffered_ || message.WParam == static_cast<WPARAM>(message.LParam)) {
    RECT client{};
    GetClientRect(handle_, &client);
    FillRect(reinterpret_cast<HDC>(message.WParam), &client,
             reinterpret_cast<HBRUSH>(brush_->Handle()));
  }
  message.Result = 1;
}

}  // namespace sx
