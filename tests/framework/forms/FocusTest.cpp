// Focus inside a form: the active control, the exit and enter walk, and the dialog keys.

#include <algorithm>
#include <functional>

#include "framework/runtime/Exception.h"
#include "tests/framework/forms/FormsTestSupport.h"

namespace sx::testing {
namespace {

// The form's controls, in tab order:
//   panel (not a tab stop) { edit1, button1 }, button2, edit3 (not a tab stop)
class FocusTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Application->CreateOwnedForm(form_);
    form_->ChangeBounds(10, 10, 400, 300);
    panel_ = MakeChild<TTestPanel>(form_, 8, 8, false);
    panel_->ChangeBounds(8, 8, 200, 100);
    edit1_ = MakeChild<TTestEdit>(panel_, 8, 8);
    button1_ = MakeChild<TTestButton>(panel_, 8, 40);
    button2_ = MakeChild<TTestButton>(form_, 8, 120);
    edit3_ = MakeChild<TTestEdit>(form_, 8, 160, false);
    form_->Show();
    ASSERT_TRUE(PumpUntil([&] { return edit1_->Focused(); }));
  }

  LRESULT DialogKey(WPARAM key) { return form_->DeliverMessage(FWM_DIALOGKEY, key, 0); }
  // Presses the key on the focused window, the way the keyboard does.
  static void PressKey(WPARAM key) {
    PostKey(GetFocus(), key);
    PumpMessages();
  }

  TTestForm* form_ = nullptr;
  TTestPanel* panel_ = nullptr;
  TTestEdit* edit1_ = nullptr;
  TTestButton* button1_ = nullptr;
  TTestButton* button2_ = nullptr;
  TTestEdit* edit3_ = nullptr;
};

TEST_F(FocusTest, ActivationFocusesTheFirstTabStop) {
  EXPECT_EQ(form_->ActiveControl(), edit1_);
  EXPECT_EQ(Screen->ActiveControl(), edit1_);
  EXPECT_EQ(Screen->FocusedForm(), form_);
  EXPECT_EQ(Screen->ActiveForm(), form_);
}

TEST_F(FocusTest, TabGoesThroughTheTabStopsAndWrapsAround) {
  PressKey(VK_TAB);
  EXPECT_TRUE(button1_->Focused());
  PressKey(VK_TAB);
  EXPECT_TRUE(button2_->Focused());
  PressKey(VK_TAB);
  EXPECT_TRUE(edit1_->Focused()) << "edit3 is no tab stop";
  EXPECT_EQ(edit1_->Text(), "") << "the tab character never reaches the field";
}

TEST_F(FocusTest, ShiftTabGoesBack) {
  HeldKeys shift{VK_SHIFT};
  EXPECT_EQ(DialogKey(VK_TAB), 1);
  EXPECT_TRUE(button2_->Focused());
  EXPECT_EQ(DialogKey(VK_TAB), 1);
  EXPECT_TRUE(button1_->Focused());
}

TEST_F(FocusTest, TabWithControlOrAltIsNotTheFormsKey) {
  for (int modifier : {VK_CONTROL, VK_MENU}) {
    HeldKeys held{modifier};
    EXPECT_EQ(DialogKey(VK_TAB), 0) << modifier;
  }
  EXPECT_TRUE(edit1_->Focused());
}

TEST_F(FocusTest, ArrowsMoveAmongTheSiblingsTabStopsOrNot) {
  button2_->SetFocus();
  EXPECT_EQ(DialogKey(VK_RIGHT), 1);
  EXPECT_TRUE(edit3_->Focused()) << "a sibling that is no tab stop";
  EXPECT_EQ(DialogKey(VK_DOWN), 1);
  EXPECT_TRUE(panel_->Focused()) << "wraps around to the first sibling, no tab stop either";
  EXPECT_EQ(DialogKey(VK_UP), 1);
  EXPECT_TRUE(edit3_->Focused()) << "back again, skipping the panel's children";
}

TEST_F(FocusTest, ArrowOnAnEditFieldStaysWithTheField) {
  edit1_->SetText("abc");
  PressKey(VK_RIGHT);
  EXPECT_TRUE(edit1_->Focused());
}

TEST_F(FocusTest, ArrowWithoutActiveControlIsNotHandled) {
  TTestForm* empty = New<TTestForm>(Application);
  EXPECT_EQ(empty->DeliverMessage(FWM_DIALOGKEY, VK_DOWN, 0), 0);
}

// A panel that takes the keys typed into it, or into a window inside it, as they reach it
// reflected; it notes what arrives.
class TKeyTakingPanel : public TTestPanel {
 public:
  using TTestPanel::TTestPanel;
  std::vector<UINT> keys;

  void MessageProc(TMessage& message) override {
    if (message.Msg == FWM_KEYDOWN || message.Msg == WM_KEYDOWN) keys.push_back(message.Msg);
    if (message.Msg == FWM_KEYDOWN) {
      message.Result = 1;
      return;
    }
    TTestPanel::MessageProc(message);
  }
};

TEST_F(FocusTest, KeyTakenByItsControlThroughReflectionNeverReachesTheWindow) {
  auto* taker = MakeChild<TKeyTakingPanel>(form_, 220, 8);
  const HWND inner = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                   taker->Handle(), nullptr, nullptr, nullptr);
  PostKey(taker->Handle(), 'A');
  PostKey(inner, 'B');
  PumpMessages();
  EXPECT_EQ(taker->keys, (std::vector<UINT>{FWM_KEYDOWN, FWM_KEYDOWN}));
}

TEST_F(FocusTest, DisabledInvisibleForeignControlAndTheFormItselfCannotBecomeActive) {
  TTestForm* other = New<TTestForm>(Application);
  TTestButton* foreign = MakeChild<TTestButton>(other, 0, 0);
  button1_->SetEnabled(false);
  edit3_->SetVisible(false);
  for (TWinControl* control :
       {static_cast<TWinControl*>(button1_), static_cast<TWinControl*>(edit3_),
        static_cast<TWinControl*>(foreign), static_cast<TWinControl*>(form_)}) {
    try {
      form_->SetActiveControl(control);
      ADD_FAILURE() << control->ClassName() << " accepted";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), "Cannot focus a disabled or invisible window");
    }
  }
  EXPECT_EQ(form_->ActiveControl(), edit1_);
}

TEST_F(FocusTest, ActiveControlOfAnActiveFormTakesTheFocusAtOnce) {
  form_->SetActiveControl(button2_);
  EXPECT_TRUE(button2_->Focused());
}

TEST_F(FocusTest, FocusLeavesControlsUpToTheCommonParentAndEntersDownToTheNewOne) {
  std::vector<std::string> log;
  TMessageLog panel(panel_, log, "panel");
  TMessageLog edit(edit1_, log, "edit1");
  TMessageLog button(button2_, log, "button2");
  TMessageLog form(form_, log, "form");
  button2_->SetFocus();
  // The exits and enters, and the form's notice of the change (which the form passes on to
  // its controls).
  std::erase_if(log, [](const std::string& entry) {
    return entry.find(":B01A") == std::string::npos && entry.find(":B01B") == std::string::npos &&
           entry != "form:B007";
  });
  EXPECT_EQ(log,
            (std::vector<std::string>{"edit1:B01B", "panel:B01B", "button2:B01A", "form:B007"}));
}

TEST_F(FocusTest, HandlerThatMovesTheFocusStopsTheRestOfTheSequence) {
  TMessageHook mover(button1_, [&](TMessage& message, const TControl::MessageHandler& next) {
    next(message);
    if (message.Msg == FWM_ENTER) button2_->SetFocus();
  });
  std::vector<std::string> log;
  TMessageLog form(form_, log, "form");
  button1_->SetFocus();
  mover.Detach();
  EXPECT_TRUE(button2_->Focused());
  EXPECT_EQ(form_->ActiveControl(), button2_);
  // One focus change notice only: the one for button2.
  EXPECT_EQ(std::count(log.begin(), log.end(), "form:B007"), 1);
}

TEST_F(FocusTest, FieldLosingTheFocusWhileBeingFocusedHearsNoKillFocus) {
  int killFocusNotices = 0;
  TMessageHook mover(edit3_, [&](TMessage& message, const TControl::MessageHandler& next) {
    if (message.Msg == FWM_COMMAND && HIWORD(message.WParam) == EN_KILLFOCUS) ++killFocusNotices;
    next(message);
    if (message.Msg == FWM_ENTER) button2_->SetFocus();
  });

  edit3_->SetFocus();

  mover.Detach();
  EXPECT_TRUE(button2_->Focused());
  // The field's window never saw the focus arrive, so it must not see it leave either.
  EXPECT_EQ(killFocusNotices, 0);
}

TEST_F(FocusTest, ReactivatedFormTellsItsActiveControlOnlyWhenTheFocusReallyArrived) {
  struct Case {
    const char* name;
    std::function<void()> onFocus;  // what the control does as the focus arrives
    int told;
  };
  const Case cases[] = {
      {"the control keeps the focus", nullptr, 1},
      {"the control hands it to another one", [&] { ::SetFocus(button2_->Handle()); }, 0},
      {"the control lets it go", [] { ::SetFocus(nullptr); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestForm* other = New<TTestForm>(Application);
    other->Show();
    ASSERT_TRUE(PumpUntil([&] { return !form_->Active(); }));
    form_->SetActiveControl(edit1_);
    int told = 0;
    TMessageHook edit(edit1_, [&](TMessage& message, const TControl::MessageHandler& next) {
      next(message);
      if (message.Msg == WM_SETFOCUS && c.onFocus) c.onFocus();
      if (message.Msg == FWM_FOCUSARRIVED) ++told;
    });
    TMessageSpy button(button2_);
    SetActiveWindow(form_->Handle());
    ASSERT_TRUE(PumpUntil([&] { return form_->Active(); }));
    PumpMessages();
    edit.Detach();
    button.Detach();
    EXPECT_EQ(told, c.told);
    EXPECT_EQ(button.Count(FWM_FOCUSARRIVED), 0) << "the form did not focus this one";
    other->Free();
  }
}

TEST_F(FocusTest, DisablingTheActiveControlLeavesTheFormWithout) {
  edit1_->SetEnabled(false);
  EXPECT_EQ(form_->ActiveControl(), nullptr);
  EXPECT_FALSE(edit1_->Focused());
}

TEST_F(FocusTest, DestroyingTheFocusedControlsParentLeavesNoDanglingFocus) {
  panel_->Free();
  EXPECT_EQ(form_->ActiveControl(), nullptr);
  EXPECT_EQ(Screen->ActiveControl() == edit1_, false);
  button2_->SetFocus();
  EXPECT_EQ(form_->ActiveControl(), button2_);
}

TEST_F(FocusTest, FocusMovingToAnotherFormDeactivatesTheFirst) {
  struct Events : TObject {
    std::vector<std::string> log;
    void Activated(TObject* sender) {
      log.push_back(static_cast<TComponent*>(sender)->Name() + "+");
    }
    void Deactivated(TObject* sender) {
      log.push_back(static_cast<TComponent*>(sender)->Name() + "-");
    }
  } events;
  TTestForm* other = New<TTestForm>(Application);
  form_->SetName("First");
  other->SetName("Second");
  for (TCustomForm* form : {static_cast<TCustomForm*>(form_), static_cast<TCustomForm*>(other)}) {
    form->SetOnActivate(MakeEvent<&Events::Activated>(&events));
    form->SetOnDeactivate(MakeEvent<&Events::Deactivated>(&events));
  }
  TTestButton* button = MakeChild<TTestButton>(other, 8, 8);
  other->Show();
  ASSERT_TRUE(PumpUntil([&] { return button->Focused(); }));
  EXPECT_EQ(events.log, (std::vector<std::string>{"First-", "Second+"}));
  EXPECT_EQ(Screen->FocusedForm(), other);
  EXPECT_EQ(Screen->CustomForm(0), other) << "the focused form moves to the front";
}

}  // namespace
}  // namespace sx::testing
