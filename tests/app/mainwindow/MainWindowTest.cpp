// The main window as the program builds it from its embedded definition: its windows, their
// places, captions, values, states, tab order and the handlers its events call.

#include <windows.h>

#include <commctrl.h>

#include "framework/forms/Application.h"
#include "framework/runtime/Texts.h"
#include "tests/app/mainwindow/MainWindowTestSupport.h"

namespace sx::testing {
namespace {

constexpr DWORD kButtonType = 0x0F;  // the BS_ type bits of a button's style

TUpDown* SpinButton(std::string_view name) {
  return static_cast<TUpDown*>(WinControlNamed(name));
}

TBitBtn* BitmapButton(std::string_view name) {
  return static_cast<TBitBtn*>(WinControlNamed(name));
}

// --- The form's window ----------------------------------------------------------------------

TEST_F(MainWindowTest, FormOpensAtTheStoredPlaceWithTheStoredOuterSize) {
  EXPECT_EQ(ScreenBounds(Form1->Handle()), (Bounds{341, 157, 301, 223}));
}

TEST_F(MainWindowTest, FormIsASizeableCaptionedWindowOwnedByTheApplicationWindow) {
  const HWND window = Form1->Handle();
  EXPECT_EQ(WindowClass(window), "TForm1");
  EXPECT_EQ(WindowTextA(window), "Sonderix");
  EXPECT_TRUE(IsWindowVisible(window));
  const DWORD wanted = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                       WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  EXPECT_EQ(WindowStyle(window) & wanted, wanted);
  EXPECT_EQ(WindowStyle(window) & (WS_CHILD | WS_POPUP), 0u);
  EXPECT_EQ(GetWindow(window, GW_OWNER), Application->Handle());
  EXPECT_EQ(Application->MainForm(), Form1);
}

TEST_F(MainWindowTest, FormKeepsTheStoredFontAndColour) {
  EXPECT_EQ(Form1->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(Form1->Font()->Height(), -11);
  EXPECT_EQ(Form1->Font()->Color(), clWindowText);
  EXPECT_TRUE(Form1->Font()->Style().Empty());
  EXPECT_EQ(Form1->Color(), clBtnFace);
  EXPECT_FALSE(Form1->OldCreateOrder());
}

// --- Every control ------------------------------------------------------------------------

TEST_F(MainWindowTest, EveryControlSitsInItsParentAtTheStoredBounds) {
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    TWinControl* control = WinControlNamed(row.name);
    ASSERT_NE(control, nullptr);
    ASSERT_NE(control->Parent(), nullptr);
    EXPECT_EQ(control->Parent()->Name(), row.parent);
    ASSERT_TRUE(control->HandleAllocated());
    EXPECT_EQ(GetParent(control->Handle()), control->Parent()->Handle());
    const RECT rect = RectInParent(control->Handle());
    EXPECT_EQ(rect.left, row.left);
    EXPECT_EQ(rect.top, row.top);
    EXPECT_EQ(rect.right - rect.left, row.width);
    EXPECT_EQ(rect.bottom - rect.top, row.height);
    EXPECT_EQ(control->Left(), row.left);
    EXPECT_EQ(control->Top(), row.top);
    EXPECT_EQ(control->Width(), row.width);
    EXPECT_EQ(control->Height(), row.height);
  }
}

TEST_F(MainWindowTest, EveryControlIsAVisibleChildWindowOfItsOwnClass) {
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    TWinControl* control = WinControlNamed(row.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->ClassName(), row.className);
    const HWND window = control->Handle();
    EXPECT_EQ(WindowClass(window), row.className);
    EXPECT_EQ(WindowStyle(window) & (WS_CHILD | WS_VISIBLE), DWORD{WS_CHILD | WS_VISIBLE});
    EXPECT_TRUE(IsWindowVisible(window));
  }
}

TEST_F(MainWindowTest, ButtonsArePushButtonsAndBitmapButtonsDrawTheirOwnFace) {
  for (const char* name : {"Button1", "Button2", "Button3", "Button4", "Button5"}) {
    SCOPED_TRACE(name);
    auto* button = static_cast<TButton*>(WinControlNamed(name));
    const DWORD style = WindowStyle(button->Handle());
    // The focused push button shows the default look, as Enter presses it.
    EXPECT_EQ(style & kButtonType,
              DWORD(button->AnswersEnter() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
    EXPECT_NE(style & WS_TABSTOP, 0u);
  }
  for (const char* name : {"Start", "Pause", "Otmena", "BitBtn4"}) {
    SCOPED_TRACE(name);
    const DWORD style = WindowStyle(WinControlNamed(name)->Handle());
    EXPECT_EQ(style & kButtonType, DWORD{BS_OWNERDRAW});
    EXPECT_NE(style & WS_TABSTOP, 0u);
  }
}

TEST_F(MainWindowTest, FieldsAreReadOnlyEditWindowsWithASunkenEdge) {
  for (const char* name : {"Edit1", "Edit2", "Edit3"}) {
    SCOPED_TRACE(name);
    auto* edit = static_cast<TEdit*>(WinControlNamed(name));
    EXPECT_TRUE(edit->ReadOnly());
    const DWORD style = WindowStyle(edit->Handle());
    EXPECT_NE(style & ES_READONLY, 0u);
    EXPECT_EQ(style & (ES_AUTOHSCROLL | ES_AUTOVSCROLL), DWORD{ES_AUTOHSCROLL | ES_AUTOVSCROLL});
    EXPECT_NE(style & WS_TABSTOP, 0u);
    EXPECT_NE(WindowExStyle(edit->Handle()) & WS_EX_CLIENTEDGE, 0u);
    // Read-only to typing, not to the program: the countdown writes into it.
    SendMessageA(edit->Handle(), WM_CHAR, '7', 1);
    EXPECT_EQ(WindowTextA(edit->Handle()), "0");
  }
}

TEST_F(MainWindowTest, SpinButtonsAreUpDownWindowsThatDoNotWrap) {
  for (const char* name : {"UpDown1", "UpDown2", "UpDown3"}) {
    SCOPED_TRACE(name);
    const DWORD style = WindowStyle(WinControlNamed(name)->Handle());
    EXPECT_EQ(style & (UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS),
              DWORD{UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS});
    EXPECT_EQ(style & (UDS_WRAP | UDS_HORZ | UDS_ALIGNLEFT), 0u);
  }
}

TEST_F(MainWindowTest, PanelIsAContainerWithoutCaption) {
  TWinControl* panel = WinControlNamed("Panel1");
  EXPECT_EQ(WindowTextA(panel->Handle()), "");
  EXPECT_NE(WindowStyle(panel->Handle()) & WS_CLIPCHILDREN, 0u);
  EXPECT_NE(WindowExStyle(panel->Handle()) & WS_EX_CONTROLPARENT, 0u);
  EXPECT_EQ(panel->Color(), clBtnFace);
}

TEST_F(MainWindowTest, CaptionsAreTheStoredRussianTextsInCodePage1251) {
  ASSERT_EQ(GetACP(), 1251u) << "the tests run with the Russian ANSI code page";
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    TControl* control = ControlNamed(row.name);
    if (row.caption[0] == '\0') continue;
    // The framework keeps ANSI text; the window shows the same characters in UTF-16.
    EXPECT_EQ(control->Caption(), Cp1251(row.caption));
    const HWND window = static_cast<TWinControl*>(control)->Handle();
    EXPECT_EQ(WindowTextA(window), Cp1251(row.caption));
    EXPECT_EQ(WindowTextW(window), Utf16(row.caption));
  }
}

// --- Values and states ----------------------------------------------------------------------

TEST_F(MainWindowTest, FieldsStartAtZero) {
  for (const char* name : {"Edit1", "Edit2", "Edit3"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ControlNamed(name)->Text(), "0");
    EXPECT_EQ(WindowTextA(WinControlNamed(name)->Handle()), "0");
  }
}

TEST_F(MainWindowTest, SpinButtonsHaveTheirRangePositionAndField) {
  struct Spin {
    const char* name;
    const char* field;
    int max;
  };
  for (const Spin& spin :
       {Spin{"UpDown1", "Edit1", 99}, Spin{"UpDown2", "Edit2", 59}, Spin{"UpDown3", "Edit3", 59}}) {
    SCOPED_TRACE(spin.name);
    TUpDown* upDown = SpinButton(spin.name);
    TWinControl* field = WinControlNamed(spin.field);
    EXPECT_EQ(upDown->Associate(), field);
    EXPECT_EQ(upDown->Min(), 0);
    EXPECT_EQ(upDown->Max(), spin.max);
    EXPECT_EQ(upDown->Position(), 0);
    EXPECT_FALSE(upDown->Wrap());
    const HWND window = upDown->Handle();
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(window, UDM_GETBUDDY, 0, 0)), field->Handle());
    int low = -1;
    int high = -1;
    SendMessageA(window, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                 reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, spin.max);
    BOOL failed = TRUE;
    EXPECT_EQ(SendMessageA(window, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)), 0);
    EXPECT_FALSE(failed);
  }
}

TEST_F(MainWindowTest, EachSpinButtonSitsDirectlyRightOfItsField) {
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    const RECT field = RectInParent(WinControlNamed("Edit" + std::to_string(i))->Handle());
    const RECT spin = RectInParent(WinControlNamed("UpDown" + std::to_string(i))->Handle());
    EXPECT_EQ(spin.left, field.right);
    EXPECT_EQ(spin.top, field.top);
    EXPECT_EQ(spin.bottom, field.bottom);
  }
}

TEST_F(MainWindowTest, CountdownStartsIdleWithPauseCancelAndTimerOff) {
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    const bool enabled =
        row.name != std::string_view("Pause") && row.name != std::string_view("Otmena");
    EXPECT_EQ(ControlNamed(row.name)->Enabled(), enabled);
    EXPECT_EQ(IsWindowEnabled(WinControlNamed(row.name)->Handle()) != FALSE, enabled);
  }
  EXPECT_FALSE(Form1->Timer1->Enabled());
}

TEST_F(MainWindowTest, TimerKeepsItsDesignPositionAndTheDefaultInterval) {
  TTimer* timer = Form1->Timer1;
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(timer->InheritsFrom(TControl::StaticClass));
  EXPECT_EQ(timer->Owner(), Form1);
  EXPECT_EQ(timer->DesignLeft(), 216);
  EXPECT_EQ(timer->DesignTop(), 8);
  EXPECT_EQ(timer->Interval(), 1000u);
}

TEST_F(MainWindowTest, OnlyRadioButton3IsCheckedAndOnlyItIsATabStop) {
  for (int i = 1; i <= 5; ++i) {
    SCOPED_TRACE(i);
    auto* radio = static_cast<TRadioButton*>(WinControlNamed("RadioButton" + std::to_string(i)));
    const bool chosen = i == 3;
    EXPECT_EQ(radio->Checked(), chosen);
    EXPECT_EQ(radio->TabStop(), chosen);
    const HWND window = radio->Handle();
    EXPECT_EQ(WindowStyle(window) & kButtonType, DWORD{BS_RADIOBUTTON});
    EXPECT_EQ(SendMessageA(window, BM_GETCHECK, 0, 0), chosen ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_EQ((WindowStyle(window) & WS_TABSTOP) != 0, chosen);
  }
}

// --- Tab order ------------------------------------------------------------------------------

std::vector<std::string> NamesOf(const std::vector<TWinControl*>& controls) {
  std::vector<std::string> names;
  for (const TWinControl* control : controls)
    names.push_back(control->Name());
  return names;
}

TEST_F(MainWindowTest, FormsTabOrderIsTheStoredOne) {
  const std::vector<std::string> expected = {
      "Button1", "Button2", "Button3", "Button4", "Button5", "Edit1",  "Edit2",   "Edit3",
      "UpDown1", "UpDown2", "UpDown3", "Start",   "Pause",   "Otmena", "BitBtn4", "Panel1"};
  EXPECT_EQ(NamesOf(Form1->TabList()), expected);
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(WinControlNamed(row.name)->TabOrder(), row.tabOrder);
  }
}

TEST_F(MainWindowTest, PanelsTabOrderIsTheRadioButtonsInOrder) {
  const std::vector<std::string> expected = {"RadioButton1", "RadioButton2", "RadioButton3",
                                             "RadioButton4", "RadioButton5"};
  EXPECT_EQ(NamesOf(Form1->Panel1->TabList()), expected);
}

TEST_F(MainWindowTest, FocusStartsOnTheFirstControlInTabOrder) {
  EXPECT_EQ(Form1->ActiveControl(), Form1->Button1);
  EXPECT_EQ(GetFocus(), Form1->Button1->Handle());
  EXPECT_TRUE(Form1->Button1->AnswersEnter());
  EXPECT_FALSE(Form1->Start->AnswersEnter()) << "Enter presses the focused push button";
}

// --- Bitmap buttons -------------------------------------------------------------------------

TEST_F(MainWindowTest, StartIsTheDefaultButtonAndNoButtonCancels) {
  EXPECT_TRUE(Form1->Start->Default());
  for (const ControlRow& row : StoredControls()) {
    if (!ControlNamed(row.name)->InheritsFrom(TButton::StaticClass)) continue;
    SCOPED_TRACE(row.name);
    auto* button = static_cast<TButton*>(WinControlNamed(row.name));
    EXPECT_EQ(button->Default(), button == Form1->Start);
    EXPECT_FALSE(button->Cancel());
  }
}

TEST_F(MainWindowTest, BitmapButtonsKeepTheirKindsModalResultsAndStoredCaptions) {
  struct Kind {
    const char* name;
    TBitBtnKind kind;
    TModalResult result;
  };
  for (const Kind& expected : {Kind{"Start", bkOK, 1}, Kind{"Pause", bkIgnore, 5},
                               Kind{"Otmena", bkAbort, 3}, Kind{"BitBtn4", bkClose, 0}}) {
    SCOPED_TRACE(expected.name);
    TBitBtn* button = BitmapButton(expected.name);
    EXPECT_EQ(button->Kind(), expected.kind);
    EXPECT_EQ(button->ModalResult(), expected.result);
    ASSERT_NE(button->Glyph(), nullptr);
    EXPECT_FALSE(button->GlyphModified());
  }
  EXPECT_NE(Form1->Start->Caption(), LoadText(static_cast<TextId>(KindInfo(bkOK).captionId)))
      << "the stored caption replaces the kind's";
}

TEST_F(MainWindowTest, ButtonsOtherThanBitmapButtonsHandNoModalResult) {
  for (const char* name : {"Button1", "Button2", "Button3", "Button4", "Button5"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(static_cast<TButton*>(WinControlNamed(name))->ModalResult(), 0);
  }
}

// --- Events -------------------------------------------------------------------------------

TEST_F(MainWindowTest, EveryEventCallsTheMethodTheDefinitionNames) {
  EXPECT_EQ(Form1->Button1->OnClick(), MakeEvent<&TForm1::Button1Click>(Form1));
  EXPECT_EQ(Form1->Button2->OnClick(), MakeEvent<&TForm1::Button2Click>(Form1));
  EXPECT_EQ(Form1->Button3->OnClick(), MakeEvent<&TForm1::Button3Click>(Form1));
  EXPECT_EQ(Form1->Button4->OnClick(), MakeEvent<&TForm1::Button4Click>(Form1));
  EXPECT_EQ(Form1->Button5->OnClick(), MakeEvent<&TForm1::Button5Click>(Form1));
  EXPECT_EQ(Form1->Start->OnClick(), MakeEvent<&TForm1::StartClick>(Form1));
  EXPECT_EQ(Form1->Pause->OnClick(), MakeEvent<&TForm1::PauseClick>(Form1));
  EXPECT_EQ(Form1->Otmena->OnClick(), MakeEvent<&TForm1::OtmenaClick>(Form1));
  EXPECT_EQ(Form1->BitBtn4->OnClick(), MakeEvent<&TForm1::BitBtn4Click>(Form1));
  EXPECT_EQ(Form1->Timer1->OnTimer(), MakeEvent<&TForm1::Timer1Timer>(Form1));
}

TEST_F(MainWindowTest, ControlsTheDefinitionBindsNothingToRaiseNothing) {
  for (const char* name :
       {"Edit1", "Edit2", "Edit3", "UpDown1", "UpDown2", "UpDown3", "Panel1", "RadioButton1",
        "RadioButton2", "RadioButton3", "RadioButton4", "RadioButton5"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(ControlNamed(name)->OnClick());
  }
  for (const char* name : {"Edit1", "Edit2", "Edit3"})
    EXPECT_FALSE(static_cast<TEdit*>(WinControlNamed(name))->OnChange()) << name;
  EXPECT_FALSE(Form1->OnCreate());
  EXPECT_FALSE(Form1->OnClick());
}

// --- Components -----------------------------------------------------------------------------

TEST_F(MainWindowTest, FormOwnsEveryComponentInStreamOrder) {
  std::vector<std::string> owned;
  for (int i = 0; i < Form1->ComponentCount(); ++i)
    owned.push_back(Form1->Component(i)->Name());
  EXPECT_EQ(owned, StreamOrder());
}

TEST_F(MainWindowTest, EveryPublishedFieldPointsAtItsComponent) {
  const auto fields = TForm1::StaticClass.fields;
  ASSERT_EQ(fields.size(), 22u);
  for (const FieldInfo& field : fields) {
    SCOPED_TRACE(field.name);
    TComponent* component = field.get(*Form1);
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component, Form1->FindOwned(field.name));
    EXPECT_EQ(component->Name(), field.name);
    EXPECT_EQ(&component->ClassType(), field.type);
  }
}

TEST_F(MainWindowTest, ComponentsAreOutOfTheirLoadingState) {
  EXPECT_FALSE(Form1->Has(ComponentState::Loading));
  EXPECT_FALSE(Form1->Has(ComponentState::Reading));
  for (int i = 0; i < Form1->ComponentCount(); ++i) {
    SCOPED_TRACE(Form1->Component(i)->Name());
    EXPECT_FALSE(Form1->Component(i)->Has(ComponentState::Loading));
    EXPECT_FALSE(Form1->Component(i)->Has(ComponentState::Reading));
  }
}

}  // namespace
}  // namespace sx::testing
