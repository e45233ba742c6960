#pragma once

// The main window's layout as its definition stores it, at 96 pixels per inch; shared by
// the tests inside the program and those that watch it from outside.

#include <string>
#include <vector>

namespace sx::testing {

// One control of the main window.
struct ControlRow {
  const char* name;
  const char* className;
  int left, top, width, height;  // in the parent's client area
  const char* caption;           // UTF-8; empty for the fields, spin buttons and the panel
  int tabOrder;                  // within the parent
  const char* parent;
};

// Rows 1 to 21 of the definition, in stream order.
const std::vector<ControlRow>& StoredControls();
// The component names in stream (creation) order: the 21 controls, then Timer1.
std::vector<std::string> StreamOrder();

}  // namespace sx::testing
