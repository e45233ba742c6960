// How the application shows an exception that escaped message handling, and its message box.

#include "framework/forms/Application.h"
#include "framework/forms/Desktop.h"
#include "framework/forms/RuntimeError.h"
#include "framework/forms/ThreadWindows.h"
#include "framework/runtime/Finally.h"

namespace sx {
namespace {

// Moves a window without touching its size, z-order, painting or activation.
constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE;
static_assert(kMoveOnly == 0x1D);

void CenterOn(HWND window, const RECT& rect) {
  SetWindowPos(window, nullptr, rect.left + (rect.right - rect.left) / 2,
               rect.top + (rect.bottom - rect.top) / 2, 0, 0, kMoveOnly);
}

}  // namespace

[[gnu::noinline]] void TApplication::ReportException(TObject* sender) {
  // Where the exception was caught is the nearest the runtime can tell of where it arose.
  const void* address = __builtin_return_address(0);
  try {
    if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
    try {
      throw;
    } catch (const EAbort&) {
    } catch (const Exception& exception) {
      if (OnAppException)
        OnAppException(sender, exception);
      else
        DisplayException(exception);
    } catch (...) {
      ShowRuntimeError(address, CurrentExceptionTypeName(), "", "");
    }
  } catch (...) {
    // The report itself failed; there is nowhere left to show that.
  }
}

void TApplication::DisplayException(const Exception& exception) {
  std::string message = exception.Message();
  if (NeedsPeriod(message)) message += '.';
  AppMessageBox(message, Title(), MB_OK | MB_ICONERROR);
}

int TApplication::AppMessageBox(std::string_view text, std::string_view caption, UINT flags) {
  HWND active = GetActiveWindow();
  RECT saved = {};
  bool moved = false;
  if (handle_) {
    HMONITOR target = Desktop().monitorFromWindow(active);
    if (target != Desktop().monitorFromWindow(handle_)) {
      MONITORINFO monitor = {};
      static_assert(sizeof(MONITORINFO) == 40);
      if (Desktop().monitorInfo(target, monitor) && GetWindowRect(handle_, &saved)) {
        CenterOn(handle_, monitor.rcMonitor);
        moved = true;
      }
    }
  }
  TWindowList disabled = DisableThreadWindows(nullptr);
  const int focusCount = FocusCount();
  const Finally restore([&] {
    if (moved) CenterOn(handle_, saved);
    ReenableWindows(disabled);
    SetActiveWindow(active);
    SetFocusCount(focusCount);
  });
  return ShowMessageBox(handle_, std::string(text), std::string(caption), flags);
}

}  // namespace sx
