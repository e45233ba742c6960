#pragma once

// What the in-process tests of the main window share: the window as the program builds it
// (the real TForm1 read from the embedded "TFORM1", created, shown and painted by the
// application object once for the whole run) and small Win32 helpers.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/Form1.h"
#include "tests/app/mainwindow/StoredLayout.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {

// The control of that name among Form1's components; fails the test when absent.
TControl* ControlNamed(std::string_view name);
TWinControl* WinControlNamed(std::string_view name);

// Starts the framework as the program does, has the application create Form1 from the
// embedded definition, shows it and waits for it to be painted; ends the framework after
// the last test. A message box the framework asks for is recorded, not shown.
class MainWindowTest : public ::testing::Test {
 public:
  static void SetUpTestSuite();
  static void TearDownTestSuite();

 protected:
  void SetUp() override;

  // Handles every waiting message the way the application's loop does.
  static void Pump();
  static const std::vector<std::string>& Boxes();
};

}  // namespace sx::testing
