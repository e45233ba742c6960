#include "tests/framework/controls/ButtonTestSupport.h"
#include "tests/support/MessageHooks.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

using PushButtonTest = ButtonsTest;

DWORD ButtonType(TWinControl* control) {
  return WindowStyle(control->Handle()) & BS_TYPEMASK;
}

// --- The window ---------------------------------------------------------------------------------

TEST_F(PushButtonTest, DefaultButtonWindowHasDefPushButtonStyle) {
  auto* plain = Make<TButton>();
  auto* defaultButton = Make<TButton>(nullptr, 8, 40);
  defaultButton->SetDefault(true);

  EXPECT_EQ(WindowClass(defaultButton->Handle()), "TButton");
  EXPECT_EQ(ButtonType(defaultButton), static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(ButtonType(plain), static_cast<DWORD>(BS_PUSHBUTTON));
  EXPECT_TRUE(defaultButton->AnswersEnter());
  EXPECT_FALSE(plain->AnswersEnter());
}

// --- Clicks -------------------------------------------------------------------------------------

TEST_F(PushButtonTest, ClickSetsFormModalResultBeforeOnClick) {
  auto* button = Make<TButton>();
  button->SetModalResult(3);
  TEventCounter clicks;
  clicks.watchedForm = form;
  button->SetOnClick(clicks.Event());

  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  PumpMessages();

  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(clicks.lastSender, button);
  EXPECT_EQ(clicks.modalResultSeen, 3);
}

TEST_F(PushButtonTest, ClickWithoutModalResultClearsFormModalResult) {
  auto* button = Make<TButton>();
  form->SetModalResult(5);
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  PumpMessages();
  EXPECT_EQ(form->ModalResult(), 0);
}

// --- Focus before the click ---------------------------------------------------------------------

TEST_F(PushButtonTest, MousePressFocusesButtonAndClicksOnce) {
  auto* other = Make<TButton>(nullptr, 8, 40);
  auto* button = Make<TButton>();
  TEventCounter clicks;
  button->SetOnClick(clicks.Event());
  other->SetFocus();
  PumpMessages();
  ASSERT_TRUE(other->Focused());

  ClickWithMouse(button);

  EXPECT_TRUE(button->Focused());
  EXPECT_EQ(clicks.count, 1);
}

TEST_F(PushButtonTest, RefusedFocusSwallowsMousePress) {
  auto* keeper = Make<TButton>(nullptr, 8, 40);
  auto* button = Make<TButton>();
  TEventCounter clicks;
  button->SetOnClick(clicks.Event());
  keeper->SetFocus();
  PumpMessages();
  // The focus goes back to the keeper whenever the button is given it.
  TMessageHook refuser(button, [&](TMessage& message, const TControl::MessageHandler& next) {
    if (message.Msg == WM_SETFOCUS)
      ::SetFocus(keeper->Handle());
    else
      next(message);
  });

  ClickWithMouse(button);
  refuser.Detach();

  EXPECT_EQ(clicks.count, 0);
  EXPECT_TRUE(keeper->Focused());
  EXPECT_FALSE(button->ClicksSuppressed());
}

// --- Dialog keys --------------------------------------------------------------------------------

// Start, another push button and a radio button, as on the main window.
struct DialogKeyScene {
  TButton* start;
  TButton* other;
  TRadioButton* radio;
  TEventCounter startClicks;
  TEventCounter otherClicks;
};

class DialogKeyTest : public ButtonsTest {
 protected:
  void SetUp() override {
    ButtonsTest::SetUp();
    scene.start = Make<TButton>(nullptr, 8, 8);
    scene.start->SetDefault(true);
    scene.start->SetModalResult(1);
    scene.other = Make<TButton>(nullptr, 8, 40);
    scene.radio = Make<TRadioButton>(nullptr, 8, 72);
    scene.radio->SetCaption("radio");
    scene.start->SetOnClick(scene.startClicks.Event());
    scene.other->SetOnClick(scene.otherClicks.Event());
    PumpMessages();
  }

  void Focus(TWinControl* control) {
    control->SetFocus();
    PumpMessages();
    ASSERT_TRUE(control->Focused());
  }

  DialogKeyScene scene;
};

TEST_F(DialogKeyTest, EnterOnRadioButtonClicksDefaultButton) {
  Focus(scene.radio);
  PressKey(VK_RETURN);
  EXPECT_EQ(scene.startClicks.count, 1);
  EXPECT_EQ(scene.otherClicks.count, 0);
  EXPECT_EQ(form->ModalResult(), 1);
}

TEST_F(DialogKeyTest, EnterOnAnotherPushButtonClicksThatButtonOnly) {
  Focus(scene.other);
  PressKey(VK_RETURN);
  EXPECT_EQ(scene.startClicks.count, 0);
  EXPECT_EQ(scene.otherClicks.count, 1);
}

TEST_F(DialogKeyTest, FocusOnAnotherPushButtonDropsDefaultLook) {
  Focus(scene.other);
  EXPECT_FALSE(scene.start->AnswersEnter());
  EXPECT_EQ(ButtonType(scene.start), static_cast<DWORD>(BS_PUSHBUTTON));
  EXPECT_EQ(ButtonType(scene.other), static_cast<DWORD>(BS_DEFPUSHBUTTON));

  Focus(scene.radio);
  EXPECT_TRUE(scene.start->AnswersEnter());
  EXPECT_EQ(ButtonType(scene.start), static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(ButtonType(scene.other), static_cast<DWORD>(BS_PUSHBUTTON));
}

TEST_F(DialogKeyTest, EnterDoesNothingWhileDefaultButtonDisabled) {
  scene.start->SetEnabled(false);
  Focus(scene.radio);
  PressKey(VK_RETURN);
  EXPECT_EQ(scene.startClicks.count, 0);
}

TEST_F(DialogKeyTest, EnterWithCtrlHeldDoesNotClick) {
  Focus(scene.radio);
  HeldKeys ctrl{VK_CONTROL};
  PressKey(VK_RETURN);
  EXPECT_EQ(scene.startClicks.count, 0);
}

TEST_F(DialogKeyTest, EscapeClicksCancelButton) {
  scene.other->SetCancel(true);
  scene.other->SetModalResult(2);
  Focus(scene.radio);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(scene.otherClicks.count, 1);
  EXPECT_EQ(scene.startClicks.count, 0);
  EXPECT_EQ(form->ModalResult(), 2);
}

TEST_F(DialogKeyTest, BecomingDefaultTakesEnterAtOnce) {
  Focus(scene.radio);
  scene.start->SetDefault(false);
  scene.other->SetDefault(true);
  EXPECT_TRUE(scene.other->AnswersEnter());
  EXPECT_FALSE(scene.start->AnswersEnter());
  EXPECT_EQ(ButtonType(scene.other), static_cast<DWORD>(BS_DEFPUSHBUTTON));

  PressKey(VK_RETURN);
  EXPECT_EQ(scene.otherClicks.count, 1);
  EXPECT_EQ(scene.startClicks.count, 0);
}

// --- Accelerators -------------------------------------------------------------------------------

TEST(AcceleratorTest, CharacterAfterAmpersandIsTheAccelerator) {
  EXPECT_TRUE(IsAccel('c', "&Close"));
  EXPECT_TRUE(IsAccel('C', "&close"));
  EXPECT_TRUE(IsAccel('o', "N&o to All"));
  EXPECT_FALSE(IsAccel('l', "&Close"));
}

TEST(AcceleratorTest, DoubledAmpersandMarksNoAccelerator) {
  EXPECT_FALSE(IsAccel('&', "A&&B"));
  EXPECT_FALSE(IsAccel('b', "A&&B"));
  EXPECT_TRUE(IsAccel('c', "A&&B &C"));
  EXPECT_FALSE(IsAccel('x', "trailing&"));
}

TEST_F(PushButtonTest, AcceleratorClicksButton) {
  auto* button = Make<TButton>();
  button->SetCaption("&Retry");
  TEventCounter clicks;
  button->SetOnClick(clicks.Event());
  EXPECT_EQ(button->DeliverMessage(FWM_DIALOGCHAR, 'r'), 1);
  EXPECT_EQ(button->DeliverMessage(FWM_DIALOGCHAR, 'e'), 0);
  EXPECT_EQ(clicks.count, 1);
}

// --- Captions at another scale ------------------------------------------------------------------

TEST_F(PushButtonTest, WideningForTheCaptionGoesWhenTheFormScalesBack) {
  auto* button = Make<TButton>(nullptr, 8, 8);
  button->ChangeBounds(8, 8, 30, 25);
  button->SetCaption("A caption wider than its button");
  ASSERT_GT(button->CaptionWidthNeeded(), 30);

  form->FitCaptions();
  EXPECT_EQ(button->Width(), button->CaptionWidthNeeded());

  // Scaled up and back, the button has the width the layout gave it, not the widened one
  // scaled twice.
  button->Rescale(3, 2);
  EXPECT_EQ(button->Width(), 45);
  button->Rescale(2, 3);
  EXPECT_EQ(button->Width(), 30);
}

}  // namespace
}  // namespace sx::testing
