// The real sonderix.exe seen from outside: its windows, their places, styles and texts, and
// what a click on its spin buttons, radio buttons and exit button does.

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/app/mainwindow/OutsideProgram.h"

namespace sx::testing {
namespace {

constexpr DWORD kButtonType = 0x0F;  // the BS_ type bits of a button's style

// The style a control's window must have beyond WS_CHILD | WS_VISIBLE, and the bits it must
// not have.
struct StyleRule {
  DWORD required;
  DWORD forbidden;
  DWORD requiredEx;
};

// Every windowed control's class redraws on a resize and takes double-clicks; the spin
// buttons' class only takes double-clicks.
DWORD ClassStyleFor(const ControlRow& row) {
  return row.className == std::string_view("TUpDown") ? DWORD{CS_DBLCLKS}
                                                      : DWORD{CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS};
}

StyleRule RuleFor(const ControlRow& row) {
  const std::string_view kind = row.className;
  const std::string_view name = row.name;
  const bool idle = name == "Pause" || name == "Otmena";
  const DWORD disabled = idle ? WS_DISABLED : 0;
  const DWORD enabled = idle ? 0 : WS_DISABLED;
  if (kind == "TButton") return {WS_TABSTOP | BS_PUSHBUTTON, enabled, 0};
  if (kind == "TBitBtn") return {WS_TABSTOP | BS_OWNERDRAW | disabled, enabled, 0};
  if (kind == "TEdit") return {WS_TABSTOP | ES_READONLY, WS_DISABLED, WS_EX_CLIENTEDGE};
  if (kind == "TUpDown")
    return {UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, WS_DISABLED | UDS_WRAP, 0};
  if (kind == "TPanel") return {WS_CLIPCHILDREN, WS_DISABLED, WS_EX_CONTROLPARENT};
  const DWORD tabStop = name == "RadioButton3" ? WS_TABSTOP : 0;
  return {BS_RADIOBUTTON | tabStop, WS_DISABLED | (WS_TABSTOP & ~tabStop), 0};
}

TEST_F(OutsideTest, MainWindowIsSonderixOwnedByTheApplicationWindow) {
  const HWND main = program_.MainWindow();
  char title[64] = {};
  GetWindowTextA(main, title, sizeof title);
  EXPECT_STREQ(title, "Sonderix");
  const HWND application = program_.TopWindow("TApplication");
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(GetWindow(main, GW_OWNER), application);
  GetWindowTextA(application, title, sizeof title);
  EXPECT_STREQ(title, "Sonderix");
  RECT rect{};
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.left, 341);
  EXPECT_EQ(rect.top, 157);
  EXPECT_EQ(rect.right - rect.left, 301);
  EXPECT_EQ(rect.bottom - rect.top, 223);
  const DWORD wanted = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(WindowStyle(main) & wanted, wanted);
}

TEST_F(OutsideTest, MainWindowHoldsExactlyTheStoredControls) {
  const std::vector<HWND> children = program_.Children();
  EXPECT_EQ(children.size(), StoredControls().size());
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    const HWND window = program_.Child(row);
    ASSERT_NE(window, nullptr) << "no " << row.className << " at " << row.left << ", " << row.top;
    const RECT rect = RectInParent(window);
    EXPECT_EQ(rect.right - rect.left, row.width);
    EXPECT_EQ(rect.bottom - rect.top, row.height);
    const HWND parent =
        row.parent == std::string_view("Form1") ? program_.MainWindow() : program_.Child("Panel1");
    EXPECT_EQ(GetParent(window), parent);
    if (row.caption[0] != '\0') {
      EXPECT_TRUE(TextOf(window) == Utf16(row.caption));
    }
    const StyleRule rule = RuleFor(row);
    const DWORD style = WindowStyle(window);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), DWORD{WS_CHILD | WS_VISIBLE});
    const bool buttonType = row.className == std::string_view("TButton") ||
                            row.className == std::string_view("TBitBtn") ||
                            row.className == std::string_view("TRadioButton");
    if (buttonType) {
      // The focused push button shows the default look.
      const DWORD type = style & kButtonType;
      EXPECT_EQ(type == BS_DEFPUSHBUTTON ? DWORD{BS_PUSHBUTTON} : type,
                rule.required & kButtonType);
      EXPECT_EQ(style & rule.required & ~kButtonType, rule.required & ~kButtonType);
      EXPECT_EQ(style & rule.forbidden & ~kButtonType, 0u);
    } else {
      EXPECT_EQ(style & rule.required, rule.required);
      EXPECT_EQ(style & rule.forbidden, 0u);
    }
    EXPECT_EQ(WindowExStyle(window) & rule.requiredEx, rule.requiredEx);
    EXPECT_EQ(GetClassLongA(window, GCL_STYLE), ClassStyleFor(row));
  }
}

TEST_F(OutsideTest, FieldsReadZeroWithTheirSpinButtonsRightBesideThem) {
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    const HWND field = program_.Child("Edit" + std::to_string(i));
    const HWND spin = program_.Child("UpDown" + std::to_string(i));
    ASSERT_TRUE(field && spin);
    EXPECT_TRUE(TextOf(field) == L"0");
    EXPECT_EQ(RectInParent(spin).left, RectInParent(field).right);
  }
}

TEST_F(OutsideTest, ThreeClicksOnTheSecondsUpArrowShowThree) {
  const HWND spin = program_.Child("UpDown3");
  const HWND field = program_.Child("Edit3");
  ASSERT_TRUE(spin && field);
  for (int i = 0; i < 3; ++i)
    ClickUpArrow(spin);
  EXPECT_TRUE(WaitFor([&] { return TextOf(field) == L"3"; }))
      << "the field reads " << TextOf(field).size() << " characters";
  EXPECT_TRUE(TextOf(field) == L"3");
  EXPECT_TRUE(TextOf(program_.Child("Edit1")) == L"0");
  EXPECT_TRUE(TextOf(program_.Child("Edit2")) == L"0");
}

TEST_F(OutsideTest, SecondsStopAtFiftyNineInsteadOfWrappingToZero) {
  const HWND spin = program_.Child("UpDown3");
  const HWND field = program_.Child("Edit3");
  ASSERT_TRUE(spin && field);
  for (int i = 0; i < 59; ++i)
    ClickUpArrow(spin);
  ASSERT_TRUE(WaitFor([&] { return TextOf(field) == L"59"; }));
  ClickUpArrow(spin);
  ClickUpArrow(spin);
  Sleep(200);
  EXPECT_TRUE(TextOf(field) == L"59") << "a click at the top of the range wrapped or stepped on";
}

TEST_F(OutsideTest, ClickingRadioButton1UnchecksRadioButton3) {
  const HWND first = program_.Child("RadioButton1");
  const HWND third = program_.Child("RadioButton3");
  ASSERT_TRUE(first && third);
  ASSERT_EQ(SendMessageA(third, BM_GETCHECK, 0, 0), BST_CHECKED);
  ClickMiddleOf(first);
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(first, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  EXPECT_EQ(SendMessageA(third, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  for (const char* other : {"RadioButton2", "RadioButton4", "RadioButton5"})
    EXPECT_EQ(SendMessageA(program_.Child(other), BM_GETCHECK, 0, 0), BST_UNCHECKED) << other;
  // The tab stop follows the choice.
  EXPECT_NE(WindowStyle(first) & WS_TABSTOP, 0u);
  EXPECT_EQ(WindowStyle(third) & WS_TABSTOP, 0u);
}

TEST_F(OutsideTest, ExitButtonEndsTheProgramWithExitCodeZero) {
  const HWND exitButton = program_.Child("BitBtn4");
  ASSERT_NE(exitButton, nullptr);
  ClickMiddleOf(exitButton);
  EXPECT_EQ(program_.ExitCode(), 0);
}

}  // namespace
}  // namespace sx::testing
