#pragma once

// What the forms ask the system about the desktop: which monitor a window or a rectangle
// lies on, a monitor's areas and resolution, and the non-client metrics (the message font
// among them).
// They go through one replaceable table so that tests can stand in for a desktop the
// system here cannot show (Wine 8.0 draws one monitor only).

#include <windows.h>

namespace sx {

struct DesktopQueries {
  // The monitor nearest to the window or to the rectangle (MONITOR_DEFAULTTONEAREST).
  HMONITOR (*monitorFromWindow)(HWND window);
  HMONITOR (*monitorFromRect)(const RECT& rect);
  // Fills the monitor's rectangle and work area; false when the monitor is unknown.
  bool (*monitorInfo)(HMONITOR monitor, MONITORINFO& info);
  // The monitor's pixels per inch as the program sees them; 0 when the system cannot tell
  // one monitor from another (before Windows 8.1) or the monitor is unknown.
  int (*monitorPixelsPerInch)(HMONITOR monitor);
  // The non-client metrics in the record size this program has always asked for; false
  // when the system cannot tell them.
  bool (*nonClientMetrics)(NONCLIENTMETRICSA& metrics);
};

// The queries in use: the system's own unless a test put others in place.
const DesktopQueries& Desktop();
// Puts the queries in place and returns the previous ones.
DesktopQueries SetDesktopQueries(const DesktopQueries& queries);

// The work area of the monitor; the primary screen's whole rectangle when the monitor is
// unknown.
RECT MonitorWorkArea(HMONITOR monitor);
// The monitor's whole rectangle; the primary screen's when the monitor is unknown.
RECT MonitorRect(HMONITOR monitor);

}  // namespace sx
