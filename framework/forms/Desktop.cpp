#include "framework/forms/Desktop.h"

#include <utility>

#include "framework/runtime/SystemLibrary.h"

namespace sx {
namespace {

// The record size of the non-client metrics as this 32-bit program has always asked for
// them: without the padded-border field newer headers add. Every system answers it.
constexpr UINT kNonClientMetricsSize = 340;
static_assert(sizeof(NONCLIENTMETRICSA) >= kNonClientMetricsSize);

HMONITOR SystemMonitorFromWindow(HWND window) {
  return MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
}

HMONITOR SystemMonitorFromRect(const RECT& rect) {
  return MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
}

bool SystemMonitorInfo(HMONITOR monitor, MONITORINFO& info) {
  info.cbSize = sizeof info;
  return GetMonitorInfoA(monitor, &info) != FALSE;
}

// Looked up at run time: the call exists from Windows 8.1 on, in a library older systems lack.
int SystemMonitorPixelsPerInch(HMONITOR monitor) {
  using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor =
      FindProc<GetDpiForMonitorProc>(LoadSystemLibrary("shcore.dll"), "GetDpiForMonitor");
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  UINT x = 0;
  UINT y = 0;
  if (!monitor || !getDpiForMonitor || FAILED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)))
    return 0;
  return static_cast<int>(y);
}

bool SystemNonClientMetrics(NONCLIENTMETRICSA& metrics) {
  metrics = NONCLIENTMETRICSA{};
  metrics.cbSize = kNonClientMetricsSize;
  return SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0) !=
         FALSE;
}

DesktopQueries g_queries{
    .monitorFromWindow = &SystemMonitorFromWindow,
    .monitorFromRect = &SystemMonitorFromRect,
    .monitorInfo = &SystemMonitorInfo,
    .monitorPixelsPerInch = &SystemMonitorPixelsPerInch,
    .nonClientMetrics = &SystemNonClientMetrics,
};

}  // namespace

const DesktopQueries& Desktop() {
  return g_queries;
}

DesktopQueries SetDesktopQueries(const DesktopQueries& queries) {
  return std::exchange(g_queries, queries);
}

namespace {

// The monitor's areas; both the primary screen's whole rectangle when it is unknown.
MONITORINFO InfoOrPrimaryScreen(HMONITOR monitor) {
  MONITORINFO info{};
  if (monitor && g_queries.monitorInfo(monitor, info)) return info;
  info.rcMonitor = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  info.rcWork = info.rcMonitor;
  return info;
}

}  // namespace

RECT MonitorWorkArea(HMONITOR monitor) {
  return InfoOrPrimaryScreen(monitor).rcWork;
}

RECT MonitorRect(HMONITOR monitor) {
  return InfoOrPrimaryScreen(monitor).rcMonitor;
}

}  // namespace sx
