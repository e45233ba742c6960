// Property setters of controls: what they send, when they send nothing, and what the window
// shows afterwards; inheritance of colour and font from the parent; bounds, tab order,
// names and rescaling.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/runtime/Exception.h"
#include "tests/framework/controls/ControlTestSupport.h"
#include "tests/support/Raised.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

using ControlPropertiesTest = ControlTest;

// --- Text -------------------------------------------------------------------------------------

TEST_F(ControlPropertiesTest, SettingTheTextAFieldShowsSendsNoSetTextAndNoNotification) {
  auto* edit = Make<TTestEdit>(form);
  edit->SetText("5");
  TMessageSpy spy(edit);

  edit->SetText("5");

  EXPECT_EQ(spy.Count(WM_SETTEXT), 0);
  EXPECT_EQ(spy.Count(FWM_TEXTCHANGED), 0);
}

TEST_F(ControlPropertiesTest, ChangedTextIsWrittenOnceAndNotifiedAfterwards) {
  auto* edit = Make<TTestEdit>(form);
  edit->SetText("5");
  TMessageSpy spy(edit);

  edit->SetText("4");

  ASSERT_EQ(spy.Count(WM_SETTEXT), 1);
  ASSERT_EQ(spy.Count(FWM_TEXTCHANGED), 1);
  UINT order[2] = {};
  int n = 0;
  for (const TMessage& m : spy.seen)
    if ((m.Msg == WM_SETTEXT || m.Msg == FWM_TEXTCHANGED) && n < 2) order[n++] = m.Msg;
  EXPECT_EQ(order[0], static_cast<UINT>(WM_SETTEXT));
  EXPECT_EQ(order[1], FWM_TEXTCHANGED);
  EXPECT_EQ(WindowTextA(edit->Handle()), "4");
  EXPECT_EQ(edit->Text(), "4");
}

TEST_F(ControlPropertiesTest, WindowlessControlAnswersTheTextMessagesFromItsOwnCopy) {
  auto* plain = Make<TTestPlain>(form);
  plain->SetText("abc");
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);

  EXPECT_EQ(plain->DeliverMessage(WM_GETTEXTLENGTH), 3);
  EXPECT_EQ(plain->DeliverMessage(WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)), 2);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(plain->DeliverMessage(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(buffer[0], 'a');
}

TEST_F(ControlPropertiesTest, TextGivenBeforeTheWindowExistsBecomesTheWindowsText) {
  auto* edit = New<TTestEdit>(form);
  edit->SetText("early");
  edit->SetParentControl(form);

  ASSERT_TRUE(edit->HandleAllocated());
  EXPECT_EQ(WindowTextA(edit->Handle()), "early");
}

TEST_F(ControlPropertiesTest, DestroyingTheWindowKeepsItsTextInTheControl) {
  auto* edit = Make<TTestEdit>(form);
  SetWindowTextA(edit->Handle(), "typed");
  HWND window = edit->Handle();

  edit->DestroyHandle();

  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_EQ(edit->Text(), "typed");
}

TEST_F(ControlPropertiesTest, TextEndsAtItsFirstZeroCharacter) {
  auto* edit = Make<TTestEdit>(form);
  edit->SetText("ab");
  TMessageSpy spy(edit);

  edit->SetText(std::string("ab\0cd", 5));

  EXPECT_EQ(spy.Count(WM_SETTEXT), 0);
}

// --- Enabled and Visible ----------------------------------------------------------------------

TEST_F(ControlPropertiesTest, EnabledOrVisibleSetToItsValueSendsNothing) {
  auto* edit = Make<TTestEdit>(form);
  TMessageSpy spy(edit);

  edit->SetEnabled(true);
  edit->SetVisible(true);

  EXPECT_TRUE(spy.Notifications().empty());
}

TEST_F(ControlPropertiesTest, DisablingTakesTheFocusAwayBeforeTheWindowIsDisabled) {
  auto* edit = Make<TTestEdit>(form);
  TMessageSpy spy(edit);

  edit->SetEnabled(false);

  EXPECT_EQ(spy.Count(FWM_ENABLEDCHANGED), 1);
  EXPECT_FALSE(IsWindowEnabled(edit->Handle()));
  ASSERT_EQ(form->defocused.size(), 1u);
  EXPECT_EQ(form->defocused[0].control, edit);
  EXPECT_FALSE(form->defocused[0].removing);
  EXPECT_TRUE(form->defocused[0].windowEnabled);
}

TEST_F(ControlPropertiesTest, HidingNotifiesWithTheNewValueAndHidesTheWindow) {
  auto* edit = Make<TTestEdit>(form);
  ASSERT_TRUE(IsWindowVisible(edit->Handle()));
  TMessageSpy spy(edit);

  edit->SetVisible(false);

  ASSERT_EQ(spy.Count(FWM_VISIBLECHANGED), 1);
  EXPECT_EQ(spy.Of(FWM_VISIBLECHANGED)[0].WParam, 0u);
  EXPECT_EQ(spy.Count(FWM_SHOWINGCHANGED), 1);
  EXPECT_FALSE(edit->Showing());
  EXPECT_FALSE(IsWindowVisible(edit->Handle()));
  ASSERT_EQ(form->defocused.size(), 1u);
  EXPECT_TRUE(form->defocused[0].windowVisible);
}

// --- Colour and font --------------------------------------------------------------------------

TEST_F(ControlPropertiesTest, ChildWithParentColorFollowsTheParentsColour) {
  auto* follower = Make<TTestEdit>(form);
  auto* own = Make<TTestEdit>(form);
  own->SetColor(clRed);

  form->SetColor(clBtnFace);

  EXPECT_EQ(follower->Color(), clBtnFace);
  EXPECT_TRUE(follower->ParentColor());
  EXPECT_EQ(follower->Brush()->Color(), clBtnFace);
  EXPECT_EQ(own->Color(), clRed);
  EXPECT_FALSE(own->ParentColor());
}

TEST_F(ControlPropertiesTest, ParentColorSetBackTakesTheParentsColourAgain) {
  form->SetColor(clBtnFace);
  auto* edit = Make<TTestEdit>(form);
  edit->SetColor(clRed);

  edit->SetParentColor(true);

  EXPECT_EQ(edit->Color(), clBtnFace);
  EXPECT_TRUE(edit->ParentColor());
}

TEST_F(ControlPropertiesTest, ParentColourNotificationWithoutParentChangesNothing) {
  auto* orphan = New<TTestPlain>(form);

  orphan->DeliverMessage(FWM_PARENTCOLORCHANGED);

  EXPECT_EQ(orphan->Color(), clWindow);
}

TEST_F(ControlPropertiesTest, ChildWithParentFontFollowsTheParentsFont) {
  auto* panel = Make<TTestPanel>(form, 0, 0, 200, 100);
  auto* plain = Make<TTestPlain>(panel);

  form->Font()->SetHeight(-20);

  EXPECT_EQ(panel->Font()->Height(), -20);
  EXPECT_EQ(plain->Font()->Height(), -20);
  EXPECT_TRUE(plain->ParentFont());
  EXPECT_FALSE(form->ParentFont());
}

TEST_F(ControlPropertiesTest, ChangingTheChildsOwnFontStopsItFollowing) {
  auto* edit = Make<TTestEdit>(form);
  edit->Font()->SetName("Arial");

  form->Font()->SetHeight(-20);

  EXPECT_FALSE(edit->ParentFont());
  EXPECT_NE(edit->Font()->Height(), -20);
  EXPECT_EQ(edit->Font()->Name(), "Arial");
}

TEST_F(ControlPropertiesTest, FontChangeReachesTheWindow) {
  auto* edit = Make<TTestEdit>(form);

  edit->Font()->SetHeight(-17);

  EXPECT_EQ(SendMessageA(edit->Handle(), WM_GETFONT, 0, 0),
            static_cast<LRESULT>(edit->Font()->Handle()));
  EXPECT_TRUE(edit->ScalingFlags().Contains(ScaleFlag::ScaleFont));
}

// --- Bounds -----------------------------------------------------------------------------------

TEST_F(ControlPropertiesTest, ChangeBoundsWithTheCurrentValuesDoesNothing) {
  auto* plain = Make<TTestPlain>(form, 10, 20, 30, 40);
  auto* edit = Make<TTestEdit>(form, 10, 20, 30, 40);
  plain->resized = 0;
  edit->resized = 0;
  TMessageSpy plainSpy(plain);
  TMessageSpy editSpy(edit);

  plain->ChangeBounds(10, 20, 30, 40);
  edit->ChangeBounds(10, 20, 30, 40);

  EXPECT_EQ(plainSpy.Count(WM_WINDOWPOSCHANGED), 0);
  EXPECT_EQ(editSpy.Count(WM_WINDOWPOSCHANGED), 0);
  EXPECT_EQ(plain->resized, 0);
  EXPECT_EQ(edit->resized, 0);
}

TEST_F(ControlPropertiesTest, ChangeBoundsMovesTheWindowAndTheFieldsFollowIt) {
  auto* edit = Make<TTestEdit>(form, 10, 20, 30, 40);
  edit->resized = 0;

  edit->ChangeBounds(15, 25, 60, 21);

  EXPECT_EQ(BoundsInParent(edit->Handle()), (Bounds{15, 25, 60, 21}));
  EXPECT_EQ(BoundsOf(edit->BoundsRect()), (Bounds{15, 25, 60, 21}));
  EXPECT_EQ(edit->resized, 1);
}

TEST_F(ControlPropertiesTest, WindowMovedByTheSystemUpdatesTheFields) {
  auto* edit = Make<TTestEdit>(form, 10, 20, 30, 40);

  MoveWindow(edit->Handle(), 50, 60, 70, 80, TRUE);

  EXPECT_EQ(BoundsOf(edit->BoundsRect()), (Bounds{50, 60, 70, 80}));
}

TEST_F(ControlPropertiesTest, EachCoordinateSetterMarksOnlyItsScalingFlag) {
  auto* plain = Make<TTestPlain>(form);
  plain->SetScalingFlags({});

  plain->SetLeft(3);
  EXPECT_EQ(plain->ScalingFlags(), TScalingFlags{ScaleFlag::ScaleLeft});
  plain->SetHeight(30);
  EXPECT_EQ(plain->ScalingFlags(), (TScalingFlags{ScaleFlag::ScaleLeft, ScaleFlag::ScaleHeight}));
  EXPECT_EQ(plain->Left(), 3);
  EXPECT_EQ(plain->Height(), 30);
}

TEST_F(ControlPropertiesTest, ConstraintsLimitTheSize) {
  auto* plain = Make<TTestPlain>(form, 0, 0, 50, 50);
  plain->Constraints()->SetMaxWidth(40);
  EXPECT_EQ(plain->Width(), 40);

  plain->Constraints()->SetMinHeight(60);
  plain->SetHeight(10);

  EXPECT_EQ(plain->Height(), 60);
}

// --- Joining and leaving a parent -------------------------------------------------------------

TEST_F(ControlPropertiesTest, JoiningAParentSendsTheNotificationsInOrder) {
  auto* edit = New<TTestEdit>(form);
  std::vector<std::string> log;
  TMessageLog parentLog(form, log, "parent");
  TMessageLog childLog(edit, log, "child");

  edit->SetParentControl(form);

  const std::vector<std::string> expected = {"parent:B02C", "child:B009", "child:B008",
                                             "child:B023",  "child:B03D", "child:B011",
                                             "child:1",     "parent:B036"};
  // Creating the window (child:1) may bring notifications of its own; only the order of
  // these matters.
  std::vector<std::string> relevant;
  for (const std::string& entry : log)
    if (std::find(expected.begin(), expected.end(), entry) != expected.end())
      relevant.push_back(entry);
  EXPECT_EQ(relevant, expected);
}

TEST_F(ControlPropertiesTest, ParentListNotificationsCarryTheChildAndTheDirection) {
  auto* plain = New<TTestPlain>(form);
  TMessageSpy spy(form);

  plain->SetParentControl(form);
  plain->SetParentControl(nullptr);

  std::vector<std::pair<UINT, LPARAM>> changes;
  for (const TMessage& m : spy.seen)
    if (m.Msg == FWM_CONTROLLISTCHANGING || m.Msg == FWM_CONTROLLISTCHANGED) {
      EXPECT_EQ(m.WParam, reinterpret_cast<WPARAM>(plain));
      changes.emplace_back(m.Msg, m.LParam);
    }
  const std::vector<std::pair<UINT, LPARAM>> expected = {{FWM_CONTROLLISTCHANGING, 1},
                                                         {FWM_CONTROLLISTCHANGED, 1},
                                                         {FWM_CONTROLLISTCHANGING, 0},
                                                         {FWM_CONTROLLISTCHANGED, 0}};
  EXPECT_EQ(changes, expected);
}

TEST_F(ControlPropertiesTest, LeavingTheParentDestroysTheWindowAndKeepsTheText) {
  auto* edit = Make<TTestEdit>(form);
  SetWindowTextA(edit->Handle(), "kept");
  HWND window = edit->Handle();

  edit->SetParentControl(nullptr);

  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(form->ChildCount(), 0);
  EXPECT_EQ(edit->Text(), "kept");
  ASSERT_EQ(form->defocused.size(), 1u);
  EXPECT_TRUE(form->defocused[0].removing);
}

TEST_F(ControlPropertiesTest, JoiningTheSameParentAgainDoesNothing) {
  auto* edit = Make<TTestEdit>(form);
  TMessageSpy spy(form);

  edit->SetParentControl(form);

  EXPECT_TRUE(spy.Notifications().empty());
}

TEST_F(ControlPropertiesTest, ControlAsItsOwnParentIsRefused) {
  auto* panel = Make<TTestPanel>(form);

  EXPECT_EQ(Raised([&] { panel->SetParentControl(panel); }),
            "EInvalidOperation: A control cannot have itself as its parent");
  EXPECT_EQ(panel->Parent(), form);
}

TEST_F(ControlPropertiesTest, ControlInsideItselfAsParentIsRefused) {
  auto* outer = Make<TTestPanel>(form);
  auto* inner = Make<TTestPanel>(outer);

  // The parent chain would become a loop.
  EXPECT_THROW(outer->SetParentControl(inner), EInvalidOperation);
  EXPECT_EQ(outer->Parent(), form);
}

// --- Tab order --------------------------------------------------------------------------------

TEST_F(ControlPropertiesTest, TabOrderBelowZeroMovesToTheFrontAndPastTheEndToTheBack) {
  auto* a = Make<TTestEdit>(form);
  auto* b = Make<TTestEdit>(form);
  auto* c = Make<TTestEdit>(form);

  c->SetTabOrder(-5);
  EXPECT_EQ(c->TabOrder(), 0);
  a->SetTabOrder(1000);

  EXPECT_EQ(a->TabOrder(), 2);
  EXPECT_EQ(form->TabList(), (std::vector<TWinControl*>{c, b, a}));
}

TEST_F(ControlPropertiesTest, TabStopChangesTheWindowStyleAndNotifies) {
  auto* edit = Make<TTestEdit>(form);
  ASSERT_TRUE(GetWindowLongA(edit->Handle(), GWL_STYLE) & WS_TABSTOP);
  TMessageSpy spy(edit);

  edit->SetTabStop(false);

  EXPECT_FALSE(GetWindowLongA(edit->Handle(), GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(spy.Count(FWM_TABSTOPCHANGED), 1);
  edit->SetTabStop(false);
  EXPECT_EQ(spy.Count(FWM_TABSTOPCHANGED), 1);
}

// --- Names and clicks -------------------------------------------------------------------------

TEST_F(ControlPropertiesTest, CaptionFollowsTheNameWhileItShowsTheName) {
  auto* plain = Make<TTestPlain>(form);

  plain->SetName("Label1");
  EXPECT_EQ(plain->Caption(), "Label1");
  plain->SetName("Label2");

  EXPECT_EQ(plain->Caption(), "Label2");
}

TEST_F(ControlPropertiesTest, CaptionSetByHandIsKeptOnRenaming) {
  auto* plain = Make<TTestPlain>(form);
  plain->SetName("Label1");
  plain->SetCaption("Hours");

  plain->SetName("Label2");

  EXPECT_EQ(plain->Caption(), "Hours");
}

TEST_F(ControlPropertiesTest, CaptionIsNotTouchedWhileTheOwningControlLoads) {
  auto* plain = Make<TTestPlain>(form);
  form->ChangeState(ComponentState::Loading, true);

  plain->SetName("Label1");

  form->ChangeState(ComponentState::Loading, false);
  EXPECT_EQ(plain->Caption(), "");
}

// --- Rescaling --------------------------------------------------------------------------------

TEST_F(ControlPropertiesTest, RescaleRoundsHalvesAwayFromZero) {
  auto* plain = Make<TTestPlain>(form, 1, -3, 5, 3);

  plain->Rescale(3, 2);

  // left 1.5 -> 2; top -4.5 -> -5; right 9 - 2; bottom 0 - -5.
  EXPECT_EQ(BoundsOf(plain->BoundsRect()), (Bounds{2, -5, 7, 5}));
  EXPECT_TRUE(plain->ScalingFlags().Empty());
}

TEST_F(ControlPropertiesTest, RescaleWhileLoadingScalesOnlyWhatWasSet) {
  auto* plain = Make<TTestPlain>(form, 10, 20, 30, 40);
  plain->ChangeState(ComponentState::Loading, true);
  plain->SetScalingFlags({ScaleFlag::ScaleWidth});

  plain->Rescale(2, 1);

  EXPECT_EQ(BoundsOf(plain->BoundsRect()), (Bounds{10, 20, 60, 40}));
  EXPECT_TRUE(plain->ScalingFlags().Empty());
}

TEST_F(ControlPropertiesTest, RescaleScalesOnlyAFontOfTheControlsOwn) {
  auto* own = Make<TTestPlain>(form);
  own->Font()->SetSize(10);
  auto* inherited = Make<TTestPlain>(form);
  const int inheritedHeight = inherited->Font()->Height();

  own->Rescale(3, 2);
  inherited->Rescale(3, 2);

  EXPECT_EQ(own->Font()->Size(), 15);
  EXPECT_EQ(inherited->Font()->Height(), inheritedHeight);
}

TEST_F(ControlPropertiesTest, RescaleByOneOnlyClearsTheFlagsOfEveryChild) {
  auto* panel = Make<TTestPanel>(form, 10, 10, 100, 100);
  auto* plain = Make<TTestPlain>(panel, 1, 2, 3, 4);
  plain->SetScalingFlags({ScaleFlag::ScaleLeft, ScaleFlag::ScaleTop});
  panel->SetScalingFlags({ScaleFlag::ScaleWidth});

  form->RescaleChildren(1, 1);

  EXPECT_TRUE(plain->ScalingFlags().Empty());
  EXPECT_TRUE(panel->ScalingFlags().Empty());
  EXPECT_EQ(plain->Left(), 1);
  EXPECT_EQ(panel->Width(), 100);
}

TEST_F(ControlPropertiesTest, RescaleOfAContainerScalesItsChildren) {
  auto* panel = Make<TTestPanel>(form, 10, 10, 100, 100);
  auto* edit = Make<TTestEdit>(panel, 4, 6, 20, 10);

  panel->Rescale(3, 2);

  EXPECT_EQ(panel->Left(), 15);
  EXPECT_EQ(panel->Width(), 150);
  EXPECT_EQ(BoundsOf(edit->BoundsRect()), (Bounds{6, 9, 30, 15}));
}

TEST_F(ControlPropertiesTest, RescaleByAZeroRatioLeavesTheControlAlone) {
  auto* plain = Make<TTestPlain>(form, 10, 20, 30, 40);

  plain->Rescale(0, 96);
  plain->Rescale(96, 0);

  EXPECT_EQ(plain->Left(), 10);
  EXPECT_EQ(plain->Width(), 30);
}

}  // namespace
}  // namespace sx::testing
