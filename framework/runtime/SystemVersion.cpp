#include "framework/runtime/SystemVersion.h"

#include <windows.h>

namespace sx {
namespace {

// The system is asked the first time; the framework's start asks first of all.
bool g_newStyle = false;
bool g_newStyleKnown = false;

}  // namespace

bool NewStyleControls() {
  if (!g_newStyleKnown) {
    g_newStyle = LOBYTE(LOWORD(GetVersion())) > 3;
    g_newStyleKnown = true;
  }
  return g_newStyle;
}

}  // namespace sx
