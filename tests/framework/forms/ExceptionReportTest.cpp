// Exceptions that escape message handling: how they are shown, which are not, and that the
// program goes on.

#include <iterator>
#include <stdexcept>
#include <utility>

#include "framework/runtime/Exception.h"
#include "tests/framework/forms/FormsTestSupport.h"

namespace sx::testing {
namespace {

class ExceptionReportTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Application->SetTitle("Sonderix");
  }

  static void Display(const std::string& message) {
    Application->DisplayException(Exception(message));
  }
};

TEST_F(ExceptionReportTest, MessageEndingInALetterGetsAPeriodInABoxCaptionedWithTheTitle) {
  Display("Something failed");
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "Something failed.");
  EXPECT_EQ(RecordedBoxes()[0].caption, "Sonderix");
  EXPECT_EQ(RecordedBoxes()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(RecordedBoxes()[0].owner, Application->Handle());
}

TEST_F(ExceptionReportTest, PeriodIsAddedOnlyAfterACharacterAboveIt) {
  // Punctuation below the period, and an empty message, stay as they are; a question mark,
  // a colon, a digit and a Cyrillic letter lie above it.
  const std::pair<const char*, const char*> cases[] = {
      {"Done.", "Done."},
      {"Stop!", "Stop!"},
      {"(see above)", "(see above)"},
      {"a, b,", "a, b,"},
      {"trailing ", "trailing "},
      {"", ""},
      {"Really?", "Really?."},
      {"Code:", "Code:."},
      {"Error 5", "Error 5."},
      {"\xCE\xF8\xE8\xE1\xEA\xE0", "\xCE\xF8\xE8\xE1\xEA\xE0."},  // "Ошибка" in code page 1251
  };
  for (const auto& c : cases)
    Display(c.first);
  ASSERT_EQ(RecordedBoxes().size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(RecordedBoxes()[i].text, cases[i].second) << cases[i].first;
}

// A control whose handler of a message of the tests' own (or of the one it is given) throws
// what it is told to.
constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kCount = WM_APP + 2;

class TThrowingControl : public TWinControl {
  SX_CLASS(TThrowingControl)
  explicit TThrowingControl(TComponent* owner) : TWinControl(owner) {}

  std::function<void()> thrower;
  UINT throwOn = kThrow;
  int counted = 0;

  void MessageProc(TMessage& message) override {
    if (message.Msg == throwOn) thrower();
    if (message.Msg == kCount) ++counted;
    TWinControl::MessageProc(message);
  }
};
constinit const ClassInfo TThrowingControl::StaticClass{.name = "TThrowingControl",
                                                        .parent = &TWinControl::StaticClass};

// Stands in for the application's exception event: notes whom an exception was raised for.
struct ExceptionHook : TObject {
  TObject* sender = nullptr;
  std::string message;
  void Handle(TObject* from, const Exception& e) {
    sender = from;
    message = e.Message();
  }
};

class HandlerExceptionTest : public ExceptionReportTest {
 protected:
  void SetUp() override {
    ExceptionReportTest::SetUp();
    form_ = New<TTestForm>(Application);
    control_ = MakeChild<TThrowingControl>(form_, 0, 0);
    form_->Show();
  }
  // Posts the throwing message and one after it, and handles both as the loop does.
  void PostAndPump() {
    PostMessageA(control_->Handle(), kThrow, 0, 0);
    PostMessageA(control_->Handle(), kCount, 0, 0);
    PumpMessages();
  }

  TTestForm* form_ = nullptr;
  TThrowingControl* control_ = nullptr;
};

TEST_F(HandlerExceptionTest, ExceptionFromAHandlerIsShownAndTheLoopGoesOn) {
  control_->thrower = [] { throw EConvertError("Bad number"); };
  PostAndPump();
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "Bad number.");
  EXPECT_EQ(control_->counted, 1);
}

TEST_F(HandlerExceptionTest, AbortIsNeverShown) {
  control_->thrower = [] { throw EAbort("Silent"); };
  PostAndPump();
  EXPECT_TRUE(RecordedBoxes().empty());
  EXPECT_EQ(control_->counted, 1);
}

TEST_F(HandlerExceptionTest, ExceptionHookReceivesTheSenderAndTheException) {
  ExceptionHook hook;
  Application->OnAppException = MakeEvent<&ExceptionHook::Handle>(&hook);
  control_->thrower = [] { throw Exception("Hooked"); };
  PostAndPump();
  EXPECT_TRUE(RecordedBoxes().empty());
  EXPECT_EQ(hook.sender, control_);
  EXPECT_EQ(hook.message, "Hooked");
}

// The loop hands a key to its control itself, not through the window: what the control's
// handling throws is still reported for the control, as from any of its messages, and
// goes no further than that key (in a modal run it would end the run).
TEST_F(HandlerExceptionTest, ExceptionFromAKeyHandlerIsReportedForTheControlAndTheLoopGoesOn) {
  ExceptionHook hook;
  Application->OnAppException = MakeEvent<&ExceptionHook::Handle>(&hook);
  control_->throwOn = FWM_KEYDOWN;
  control_->thrower = [] { throw Exception("Key failed"); };
  PostMessageA(control_->Handle(), WM_KEYDOWN, 'A', 0);
  PostMessageA(control_->Handle(), kCount, 0, 0);
  PumpMessages();
  EXPECT_EQ(hook.sender, control_);
  EXPECT_EQ(hook.message, "Key failed");
  EXPECT_EQ(control_->counted, 1);
}

TEST_F(HandlerExceptionTest, ForeignObjectIsShownInTheRuntimesOwnBox) {
  control_->thrower = [] { throw std::runtime_error("not shown"); };
  PostAndPump();
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  const RecordedBox& box = RecordedBoxes()[0];
  EXPECT_EQ(box.caption, "Application Error");
  EXPECT_EQ(box.flags, static_cast<UINT>(MB_TASKMODAL | MB_ICONERROR));
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.text.rfind("Exception std::runtime_error in module sx_forms_tests.exe at ", 0), 0u)
      << box.text;
  // Eight hexadecimal digits of the address, then the empty message and suffix.
  const std::string tail = box.text.substr(box.text.size() - 13);
  EXPECT_EQ(tail.substr(8), ".\r\n\r\n") << box.text;
  EXPECT_EQ(tail.substr(0, 8).find_first_not_of("0123456789ABCDEF"), std::string::npos) << box.text;
  EXPECT_EQ(control_->counted, 1);
}

TEST_F(HandlerExceptionTest, ExceptionInOnShowIsReportedAndTheFormIsShownAnyway) {
  TTestForm* other = New<TTestForm>(Application);
  struct Failing : TObject {
    void Shown(TObject*) { throw Exception("Show failed"); }
  } failing;
  other->SetOnShow(MakeEvent<&Failing::Shown>(&failing));
  other->Show();
  EXPECT_TRUE(IsWindowVisible(other->Handle()));
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "Show failed.");
}

TEST_F(HandlerExceptionTest, ChangingVisibleInOnShowIsRefused) {
  TTestForm* other = New<TTestForm>(Application);
  struct Hider : TObject {
    TTestForm* form;
    void Shown(TObject*) { form->Hide(); }
  } hider;
  hider.form = other;
  other->SetOnShow(MakeEvent<&Hider::Shown>(&hider));
  other->Show();
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "Cannot change Visible in OnShow or OnHide.");
  EXPECT_TRUE(IsWindowVisible(other->Handle()));
}

TEST_F(HandlerExceptionTest, ExceptionInTheLoopItselfIsReportedWithTheApplicationAsSender) {
  struct Hook : TObject {
    TObject* sender = nullptr;
    void Handle(TObject* from, const Exception&) {
      sender = from;
      Application->Terminate();
    }
    void OnMessage(MSG& msg, bool&) {
      if (msg.message == kCount) throw Exception("From the loop");
    }
  } hook;
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  Application->OnAppException = MakeEvent<&Hook::Handle>(&hook);
  Application->OnAppMessage = MakeEvent<&Hook::OnMessage>(&hook);
  PostMessageA(control_->Handle(), kCount, 0, 0);
  Application->Run();
  EXPECT_EQ(hook.sender, Application);
}

}  // namespace
}  // namespace sx::testing
