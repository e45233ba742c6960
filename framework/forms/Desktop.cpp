#include "framework/forms/Desktop.h"

#include <utility>

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
    .nonClientMetrics = &SystemNonClientMetrics,
};

}  // namespace

const DesktopQueries& Desktop() {
  return g_queries;
}

DesktopQueries SetDesktopQueries(const DesktopQueries& queries) {
  return std::exchange(g_queries, queries);
}

RECT MonitorWorkArea(HMONITOR monitor) {
  MONITORINFO info{};
  if (monitor && g_queries.monitorInfo(monitor, info)) return info.rcWork;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace sx
