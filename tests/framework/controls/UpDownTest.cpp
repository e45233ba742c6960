#include "framework/controls/UpDown.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <vector>

#include "framework/controls/Edit.h"
#include "framework/runtime/Exception.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/controls/ControlTestSupport.h"
#include "tests/support/Raised.h"
#include "tests/support/StreamBuilder.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {

// A field whose window cannot be made.
class TFailingEdit : public TEdit {
  SX_CLASS(TFailingEdit)
  using TEdit::TEdit;

 protected:
  void CreateWnd() override { throw Exception("no window"); }
};

// A host whose definitions may hold fields and spin buttons.
class TSpinForm : public TTestForm {
  SX_CLASS(TSpinForm)
  using TTestForm::TTestForm;
};

namespace {

constexpr const ClassInfo* kSpinFormFieldClasses[] = {&TEdit::StaticClass, &TUpDown::StaticClass};

}  // namespace

constinit const ClassInfo TSpinForm::StaticClass{
    .name = "TSpinForm",
    .parent = &TTestForm::StaticClass,
    .construct = &ConstructComponent<TSpinForm>,
    .fieldClasses = kSpinFormFieldClasses,
};

constinit const ClassInfo TFailingEdit::StaticClass{
    .name = "TFailingEdit",
    .parent = &TEdit::StaticClass,
};

namespace {

// Presses and releases the mouse on one arrow of a vertical spin button.
void ClickArrow(TCustomUpDown* spin, bool up) {
  HWND window = spin->Handle();
  RECT client{};
  GetClientRect(window, &client);
  const LPARAM point = MAKELPARAM(client.right / 2, up ? client.bottom / 4 : client.bottom * 3 / 4);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageA(window, WM_LBUTTONUP, 0, point);
}

void ClickUp(TCustomUpDown* spin, int times = 1) {
  for (int i = 0; i < times; ++i)
    ClickArrow(spin, true);
}

void ClickDown(TCustomUpDown* spin, int times = 1) {
  for (int i = 0; i < times; ++i)
    ClickArrow(spin, false);
}

int WindowPosition(TCustomUpDown* spin) {
  return static_cast<short>(LOWORD(SendMessageA(spin->Handle(), UDM_GETPOS, 0, 0)));
}

// Counts the moves of one window, seen by a hook on the thread's window procedures.
HWND g_watchedField;
int g_fieldMoves;
LRESULT CALLBACK CountFieldMoves(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (call->hwnd == g_watchedField && call->message == WM_WINDOWPOSCHANGED) ++g_fieldMoves;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Moves a field while a spin button is given it, as a system may that docks it regardless
// of the alignment.
HWND g_spinToWatch;
HWND g_fieldToMove;
LRESULT CALLBACK MoveFieldOnAttach(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (call->hwnd == g_spinToWatch && call->message == UDM_SETBUDDY && call->wParam)
    SetWindowPos(g_fieldToMove, nullptr, 0, 0, 20, 21, SWP_NOZORDER | SWP_NOACTIVATE);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND Buddy(TCustomUpDown* spin) {
  return reinterpret_cast<HWND>(SendMessageA(spin->Handle(), UDM_GETBUDDY, 0, 0));
}

// Records the spin button's events.
class SpinEvents : public TObject {
 public:
  struct Changing {
    std::int16_t value;
    TUpDownDirection direction;
  };

  void Click(TObject*, TUDBtnType button) { clicks.push_back(button); }
  void ChangingEx(TObject*, bool&, std::int16_t value, TUpDownDirection direction) {
    changes.push_back({value, direction});
  }
  void Forbid(TObject*, bool& allow) { allow = false; }

  std::vector<TUDBtnType> clicks;
  std::vector<Changing> changes;
};

class UpDownTest : public ControlTest {
 protected:
  // A field at 8, 8 with its spin button right of it, as the main window has them.
  void MakePair(std::int16_t max = 59) {
    edit = Make<TEdit>(form, 8, 8, 41, 21);
    edit->SetName("Edit1");
    edit->SetReadOnly(true);
    edit->SetText("0");
    spin = Make<TUpDown>(form, 49, 8, 16, 21);
    spin->SetName("UpDown1");
    spin->SetMax(max);
    spin->SetAssociate(edit);
  }

  TEdit* edit = nullptr;
  TUpDown* spin = nullptr;
  SpinEvents events;
};

// --- The window -------------------------------------------------------------------------------

TEST_F(UpDownTest, WindowIsTheSystemUpDownUnderTheClassName) {
  spin = Make<TUpDown>(form, 193, 8, 16, 21);
  HWND window = spin->Handle();
  EXPECT_EQ(WindowClass(window), "TUpDown");
  EXPECT_EQ(GetClassLongA(window, GCL_STYLE), static_cast<DWORD>(CS_DBLCLKS));
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_EQ(style & 0xFF, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS);
  EXPECT_EQ(BoundsInParent(window), (Bounds{193, 8, 16, 21}));
}

TEST_F(UpDownTest, AttachingKeepsTheFieldAndPutsTheButtonsRightOfIt) {
  MakePair();
  EXPECT_EQ(BoundsInParent(edit->Handle()), (Bounds{8, 8, 41, 21}));
  EXPECT_EQ(BoundsInParent(spin->Handle()), (Bounds{49, 8, 16, 21}));
  EXPECT_EQ(edit->Width(), 41);
  EXPECT_EQ(spin->Left(), 49);
  EXPECT_EQ(Buddy(spin), edit->Handle());
}

TEST_F(UpDownTest, AssociateResolvedBeforeTheWindowIsAttachedWhenItIsMade) {
  // As after loading: both read, no window yet, the reference set; then shown.
  auto* panel = New<TTestPanel>(form);
  panel->ChangeBounds(0, 0, 300, 100);
  edit = New<TEdit>(form);
  edit->ChangeBounds(8, 8, 41, 21);
  edit->SetParentControl(panel);
  spin = New<TUpDown>(form);
  spin->ChangeBounds(49, 8, 16, 21);
  spin->SetParentControl(panel);
  spin->SetAssociate(edit);
  ASSERT_FALSE(spin->HandleAllocated());

  panel->SetParentControl(form);

  EXPECT_EQ(Buddy(spin), edit->Handle());
  EXPECT_EQ(BoundsInParent(edit->Handle()), (Bounds{8, 8, 41, 21}));
  EXPECT_EQ(BoundsInParent(spin->Handle()), (Bounds{49, 8, 16, 21}));
}

// --- Steps ------------------------------------------------------------------------------------

TEST_F(UpDownTest, FieldFollowsTheClicks) {
  MakePair();
  ClickUp(spin, 3);
  EXPECT_EQ(edit->Text(), "3");
  ClickDown(spin);
  EXPECT_EQ(edit->Text(), "2");
  EXPECT_EQ(spin->Position(), 2);
}

TEST_F(UpDownTest, ClicksAgainstEitherEndStayAtIt) {
  MakePair(59);
  ClickDown(spin);
  EXPECT_EQ(WindowPosition(spin), 0);
  EXPECT_EQ(edit->Text(), "0");
  spin->SetPosition(58);
  ClickUp(spin, 2);
  EXPECT_EQ(WindowPosition(spin), 59);
  EXPECT_EQ(edit->Text(), "59");
}

TEST_F(UpDownTest, ClicksRaiseOnClickWithTheirDirection) {
  MakePair();
  spin->SetOnClick(MakeEvent<&SpinEvents::Click>(&events));
  ClickUp(spin, 2);
  ClickDown(spin);
  EXPECT_EQ(events.clicks, (std::vector<TUDBtnType>{btNext, btNext, btPrev}));
}

TEST_F(UpDownTest, ClickAgainstTheEndRaisesNoOnClick) {
  MakePair();
  spin->SetOnClick(MakeEvent<&SpinEvents::Click>(&events));
  ClickDown(spin);
  EXPECT_TRUE(events.clicks.empty());
}

TEST_F(UpDownTest, OnChangingExSeesTheNewValueAndDirection) {
  MakePair(59);
  spin->SetOnChangingEx(MakeEvent<&SpinEvents::ChangingEx>(&events));
  ClickUp(spin);
  spin->SetPosition(59);
  events.changes.clear();
  ClickUp(spin);
  ASSERT_EQ(events.changes.size(), 1u);
  EXPECT_EQ(events.changes[0].value, 60);
  EXPECT_EQ(events.changes[0].direction, updNone);
}

TEST_F(UpDownTest, ForbiddenStepLeavesPositionAndField) {
  MakePair();
  spin->SetOnChanging(MakeEvent<&SpinEvents::Forbid>(&events));
  ClickUp(spin);
  EXPECT_EQ(WindowPosition(spin), 0);
  EXPECT_EQ(edit->Text(), "0");
}

TEST_F(UpDownTest, StepStartsFromTheNumberTheFieldShows) {
  MakePair();
  spin->SetOnClick(MakeEvent<&SpinEvents::Click>(&events));
  ClickUp(spin, 5);
  edit->SetText("2");  // as the countdown writes it
  events.clicks.clear();

  ClickUp(spin);

  EXPECT_EQ(edit->Text(), "3");
  EXPECT_EQ(WindowPosition(spin), 3);
  EXPECT_EQ(events.clicks, std::vector<TUDBtnType>{btNext});
}

// The system's up-down control steps on an arrow key in its field even while disabled (seen
// on Wine 8.0); a disabled spin button must leave the field alone.
TEST_F(UpDownTest, ArrowKeysInTheFieldStepItOnlyWhileTheSpinButtonIsEnabled) {
  MakePair();
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    spin->SetEnabled(enabled);
    edit->SetText("5");
    for (WPARAM key : {VK_UP, VK_UP, VK_DOWN}) {
      SendMessageA(edit->Handle(), WM_KEYDOWN, key, 1);
      SendMessageA(edit->Handle(), WM_KEYUP, key, 0xC0000001);
    }
    EXPECT_EQ(edit->Text(), enabled ? "6" : "5");
  }
}

// The system's up-down control reports the refused step of a disabled spin button all the
// same, with the number it read from the field (seen on Wine 8.0).
TEST_F(UpDownTest, ArrowKeysInTheFieldOfADisabledSpinButtonRaiseNoClick) {
  MakePair();
  spin->SetOnClick(MakeEvent<&SpinEvents::Click>(&events));
  spin->SetEnabled(false);
  edit->SetText("5");  // as the countdown writes it
  for (WPARAM key : {VK_UP, VK_DOWN, VK_DOWN}) {
    SendMessageA(edit->Handle(), WM_KEYDOWN, key, 1);
    SendMessageA(edit->Handle(), WM_KEYUP, key, 0xC0000001);
  }
  EXPECT_TRUE(events.clicks.empty());
}

TEST_F(UpDownTest, IncrementSetOnTheWindowIsTheStep) {
  MakePair();
  spin->SetIncrement(5);
  ClickUp(spin, 2);
  EXPECT_EQ(edit->Text(), "10");
}

// --- The associate ----------------------------------------------------------------------------

TEST_F(UpDownTest, AssociatingWritesThePositionIntoTheField) {
  edit = Make<TEdit>(form, 8, 8, 41, 21);
  spin = Make<TUpDown>(form, 49, 8, 16, 21);
  spin->SetPosition(4);
  spin->SetAssociate(edit);
  EXPECT_EQ(edit->Text(), "4");
}

TEST_F(UpDownTest, AssociatingTheSameFieldAgainAttachesAndRewritesIt) {
  MakePair();
  edit->SetText("5");  // as the countdown writes it

  spin->SetAssociate(edit);

  EXPECT_EQ(edit->Text(), "0");
  EXPECT_EQ(Buddy(spin), edit->Handle());
  EXPECT_EQ(BoundsInParent(edit->Handle()), (Bounds{8, 8, 41, 21}));
  EXPECT_EQ(BoundsInParent(spin->Handle()), (Bounds{49, 8, 16, 21}));
}

// A scaled form's spin button is wider than the system's own (16 on Wine 8.0). Attached to a
// field after its window is made, or associated with it again (which detaches it first, and
// detaching gives an aligned up-down control the system's width back), it keeps its width and
// sits against the field on its side, the field where it was.
TEST_F(UpDownTest, SpinButtonAttachedLaterOrAgainKeepsItsWidthBesideTheField) {
  struct Case {
    TUDAlignButton align;
    int associations;
    Bounds buttons;
  };
  for (const Case& test : {Case{udRight, 1, {89, 8, 24, 21}}, Case{udLeft, 1, {16, 8, 24, 21}},
                           Case{udRight, 2, {89, 8, 24, 21}}, Case{udLeft, 2, {16, 8, 24, 21}}}) {
    SCOPED_TRACE(::testing::Message() << (test.align == udRight ? "aligned right" : "aligned left")
                                      << ", associated " << test.associations << " times");
    edit = Make<TEdit>(form, 40, 8, 49, 21);
    spin = Make<TUpDown>(form, 200, 8, 24, 21);
    spin->SetAlignButton(test.align);
    ASSERT_TRUE(spin->HandleAllocated());

    for (int i = 0; i < test.associations; ++i)
      spin->SetAssociate(edit);

    EXPECT_EQ(BoundsInParent(edit->Handle()), (Bounds{40, 8, 49, 21}));
    EXPECT_EQ(BoundsInParent(spin->Handle()), test.buttons);
    EXPECT_EQ(spin->Width(), 24);
    Free(spin);
    Free(edit);
  }
}

// Every move of an attached field passes through the system's hook on it, a round trip to the
// window server each (seen on Wine 8.0): attaching must not move the field at all, and the
// buttons still end where docking puts them, at the field's top and height, aligned.
TEST_F(UpDownTest, AttachingNeverMovesTheFieldYetDocksTheButtons) {
  edit = Make<TEdit>(form, 40, 8, 49, 21);
  spin = Make<TUpDown>(form, 200, 30, 24, 40);
  g_watchedField = edit->Handle();
  g_fieldMoves = 0;
  const HHOOK hook =
      SetWindowsHookExA(WH_CALLWNDPROCRET, &CountFieldMoves, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  spin->SetAssociate(edit);
  UnhookWindowsHookEx(hook);

  EXPECT_EQ(g_fieldMoves, 0);
  EXPECT_EQ(Buddy(spin), edit->Handle());
  EXPECT_EQ(BoundsInParent(spin->Handle()), (Bounds{89, 8, 24, 21}));
  EXPECT_EQ(GetWindowLongA(spin->Handle(), GWL_STYLE) & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT),
            UDS_ALIGNRIGHT);
}

TEST_F(UpDownTest, FieldMovedByTheSystemWhileAttachingIsPutBack) {
  edit = Make<TEdit>(form, 40, 8, 49, 21);
  spin = Make<TUpDown>(form, 200, 8, 24, 21);
  g_spinToWatch = spin->Handle();
  g_fieldToMove = edit->Handle();
  const HHOOK hook =
      SetWindowsHookExA(WH_CALLWNDPROC, &MoveFieldOnAttach, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  spin->SetAssociate(edit);
  UnhookWindowsHookEx(hook);

  EXPECT_EQ(BoundsInParent(edit->Handle()), (Bounds{40, 8, 49, 21}));
  EXPECT_EQ(BoundsInParent(spin->Handle()), (Bounds{89, 8, 24, 21}));
}

TEST_F(UpDownTest, FieldWithoutWindowLeavesTheAlignmentStyleInPlace) {
  spin = Make<TUpDown>(form, 200, 8, 24, 21);
  // Hidden, the field has no window until the spin button asks for it.
  auto* field = New<TFailingEdit>(form);
  field->SetVisible(false);
  field->SetParentControl(form);
  ASSERT_FALSE(field->HandleAllocated());

  EXPECT_EQ(Raised([&] { spin->SetAssociate(field); }), "Exception: no window");

  EXPECT_EQ(GetWindowLongA(spin->Handle(), GWL_STYLE) & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT),
            UDS_ALIGNRIGHT);
  EXPECT_EQ(spin->Associate(), nullptr);
}

// The children of a parent hear of its new font in their order; buttons made before their
// field still dock to the height the field takes for it.
TEST_F(UpDownTest, ButtonsDockToTheHeightTheirFieldTakesForANewFont) {
  for (bool buttonsFirst : {false, true}) {
    SCOPED_TRACE(buttonsFirst ? "buttons made first" : "field made first");
    auto* panel = Make<TTestPanel>(form, 0, 0, 300, 100);
    if (buttonsFirst) spin = Make<TUpDown>(panel, 49, 8, 16, 21);
    edit = Make<TEdit>(panel, 8, 8, 41, 21);
    if (!buttonsFirst) spin = Make<TUpDown>(panel, 49, 8, 16, 21);
    spin->SetAssociate(edit);
    const int height = edit->Height();

    panel->Font()->SetHeight(2 * panel->Font()->Height());

    ASSERT_GT(edit->Height(), height);
    EXPECT_EQ(BoundsInParent(spin->Handle()), (Bounds{49, 8, 16, edit->Height()}));
    Free(panel);
  }
}

TEST_F(UpDownTest, AssociatingWritesThePositionTheWindowHolds) {
  edit = Make<TEdit>(form, 8, 8, 41, 21);
  spin = Make<TUpDown>(form, 49, 8, 16, 21);
  // Moved behind the object's back, as anyone may with the window's own message.
  SendMessageA(spin->Handle(), UDM_SETPOS, 0, MAKELPARAM(7, 0));
  spin->SetAssociate(edit);
  EXPECT_EQ(edit->Text(), "7");
}

// The system's up-down control takes a width of its own when its window is made (seen on
// Wine 8.0); the spin button keeps the width it was given, as a scaled form gives it.
TEST_F(UpDownTest, SpinButtonKeepsItsWidthWhenItsWindowIsMade) {
  for (bool associated : {false, true}) {
    SCOPED_TRACE(associated ? "with a field" : "alone");
    TEdit* field = Make<TEdit>(form, 8, 8, 41, 21);
    auto* buttons = New<TUpDown>(form);
    buttons->ChangeBounds(49, 8, 20, 21);
    if (associated) buttons->SetAssociate(field);
    buttons->SetParentControl(form);
    EXPECT_EQ(buttons->Width(), 20);
    EXPECT_EQ(BoundsInParent(buttons->Handle()).width, 20);
    Free(buttons);
    Free(field);
  }
}

TEST_F(UpDownTest, SecondSpinButtonForTheSameFieldRaises) {
  MakePair();
  auto* other = Make<TUpDown>(form, 121, 8, 16, 21);
  other->SetName("UpDown2");
  EXPECT_EQ(Raised([&] { other->SetAssociate(edit); }),
            "Exception: Edit1 is already associated with UpDown1");
  EXPECT_EQ(other->Associate(), nullptr);
  EXPECT_EQ(spin->Associate(), edit);
}

TEST_F(UpDownTest, FieldOfAnotherParentIsRefusedSilently) {
  auto* panel = Make<TTestPanel>(form, 0, 40, 200, 50);
  edit = Make<TEdit>(panel, 8, 8, 41, 21);
  spin = Make<TUpDown>(form, 49, 8, 16, 21);
  spin->SetAssociate(edit);
  EXPECT_EQ(spin->Associate(), nullptr);
  EXPECT_EQ(Buddy(spin), nullptr);
}

TEST_F(UpDownTest, ClearingTheAssociateDetachesTheWindow) {
  MakePair();
  spin->SetAssociate(nullptr);
  EXPECT_EQ(Buddy(spin), nullptr);
  ClickUp(spin);
  EXPECT_EQ(edit->Text(), "0");
}

TEST_F(UpDownTest, DestroyedFieldIsDetached) {
  MakePair();
  FreeAndNil(edit);
  EXPECT_EQ(spin->Associate(), nullptr);
  EXPECT_EQ(Buddy(spin), nullptr);
  ClickUp(spin);
  EXPECT_EQ(WindowPosition(spin), 1);
}

TEST_F(UpDownTest, DestroyedFieldIsForgottenByASpinButtonWithoutWindow) {
  auto* panel = New<TTestPanel>(form);
  edit = New<TEdit>(form);
  edit->SetParentControl(panel);
  spin = New<TUpDown>(form);
  spin->SetParentControl(panel);
  spin->SetAssociate(edit);
  FreeAndNil(edit);
  EXPECT_EQ(spin->Associate(), nullptr);

  // Made now, the window must not attach the destroyed field.
  panel->SetParentControl(form);
  EXPECT_EQ(Buddy(spin), nullptr);
}

TEST_F(UpDownTest, FieldOfAnotherOwnerStillReportsItsDestruction) {
  edit = New<TEdit>(nullptr);
  edit->ChangeBounds(8, 8, 41, 21);
  edit->SetParentControl(form);
  spin = Make<TUpDown>(form, 49, 8, 16, 21);
  spin->SetAssociate(edit);
  FreeAndNil(edit);
  EXPECT_EQ(spin->Associate(), nullptr);
}

// --- Read from a definition -------------------------------------------------------------------

TEST_F(UpDownTest, PairReadFromADefinitionStepsItsFieldWithinTheStoredRange) {
  StreamBuilder definition;
  definition.Signature().Object("TSpinForm", "SpinForm").End();
  definition.Object("TEdit", "Edit2");
  definition.Name("Left").Int(80).Name("Top").Int(8).Name("Width").Int(41).Name("Height").Int(21);
  definition.Name("ReadOnly").True().Name("TabOrder").Int(0).Name("Text").String("0").End().End();
  definition.Object("TUpDown", "UpDown2");
  definition.Name("Left").Int(121).Name("Top").Int(8).Name("Width").Int(16).Name("Height").Int(21);
  definition.Name("Associate").Ident("Edit2").Name("Min").Int(0).Name("Max").Int(59);
  definition.Name("Position").Int(0).Name("TabOrder").Int(1).Name("Wrap").False().End().End();
  definition.End();
  auto* host = New<TSpinForm>(nullptr);
  TCustomMemoryStream stream(definition.Bytes());
  TReader reader(stream);
  reader.LoadRoot(host);
  host->ChangeBounds(100, 100, 300, 200);
  host->UpdateControlState();

  auto* field = static_cast<TEdit*>(host->FindOwned("Edit2"));
  auto* buttons = static_cast<TUpDown*>(host->FindOwned("UpDown2"));
  ASSERT_TRUE(field && buttons);
  EXPECT_EQ(buttons->Associate(), field);
  EXPECT_EQ(Buddy(buttons), field->Handle());
  EXPECT_EQ(BoundsInParent(field->Handle()), (Bounds{80, 8, 41, 21}));
  EXPECT_EQ(BoundsInParent(buttons->Handle()), (Bounds{121, 8, 16, 21}));
  ClickUp(buttons, 60);
  EXPECT_EQ(field->Text(), "59");
  host->Free();
}

}  // namespace
}  // namespace sx::testing
