// Exceptions that escape message handling: how they are shown, which are not, and that the
// program goes on.

#include <stdexcept>

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
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Something failed.");
  EXPECT_EQ(Boxes()[0].caption, "Sonderix");
  EXPECT_EQ(Boxes()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(Boxes()[0].owner, Application->Handle());
}

TEST_F(ExceptionReportTest, MessageEndingInPunctuationBelowThePeriodIsLeftAlone) {
  for (const char* message : {"Done.", "Stop!", "(see above)", "a, b,", "trailing "})
    Display(message);
  ASSERT_EQ(Boxes().size(), 5u);
  EXPECT_EQ(Boxes()[0].text, "Done.");
  EXPECT_EQ(Boxes()[1].text, "Stop!");
  EXPECT_EQ(Boxes()[2].text, "(see above)");
  EXPECT_EQ(Boxes()[3].text, "a, b,");
  EXPECT_EQ(Boxes()[4].text, "trailing ");
}

TEST_F(ExceptionReportTest, MessageEndingInAQuestionMarkColonOrDigitGetsAPeriod) {
  for (const char* message : {"Really?", "Code:", "Error 5"})
    Display(message);
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[0].text, "Really?.");
  EXPECT_EQ(Boxes()[1].text, "Code:.");
  EXPECT_EQ(Boxes()[2].text, "Error 5.");
}

TEST_F(ExceptionReportTest, MessageEndingInACyrillicLetterGetsAPeriod) {
  Display("\xCE\xF8\xE8\xE1\xEA\xE0");  // "Ошибка" in code page 1251
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "\xCE\xF8\xE8\xE1\xEA\xE0.");
}

TEST_F(ExceptionReportTest, EmptyMessageShowsAnEmptyBox) {
  Display("");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "");
}

// A control whose handler of a message of the tests' own throws what it is told to.
constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kCount = WM_APP + 2;

class TThrowingControl : public TWinControl {
  SX_CLASS(TThrowingControl)
  explicit TThrowingControl(TComponent* owner) : TWinControl(owner) {}

  std::function<void()> thrower;
  int counted = 0;

  void MessageProc(TMessage& message) override {
    if (message.Msg == kThrow) thrower();
    if (message.Msg == kCount) ++counted;
    TWinControl::MessageProc(message);
  }
};
constinit const ClassInfo TThrowingControl::StaticClass{.name = "TThrowingControl",
                                                        .parent = &TWinControl::StaticClass};

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
    Pump();
  }

  TTestForm* form_ = nullptr;
  TThrowingControl* control_ = nullptr;
};

TEST_F(HandlerExceptionTest, ExceptionFromAHandlerIsShownAndTheLoopGoesOn) {
  control_->thrower = [] { throw EConvertError("Bad number"); };
  PostAndPump();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Bad number.");
  EXPECT_EQ(control_->counted, 1);
}

TEST_F(HandlerExceptionTest, AbortIsNeverShown) {
  control_->thrower = [] { throw EAbort("Silent"); };
  PostAndPump();
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(control_->counted, 1);
}

TEST_F(HandlerExceptionTest, ExceptionHookReceivesTheSenderAndTheException) {
  struct Hook : TObject {
    TObject* sender = nullptr;
    std::string message;
    void Handle(TObject* from, const Exception& e) {
      sender = from;
      message = e.Message();
    }
  } hook;
  Application->OnAppException = MakeEvent<&Hook::Handle>(&hook);
  control_->thrower = [] { throw Exception("Hooked"); };
  PostAndPump();
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(hook.sender, control_);
  EXPECT_EQ(hook.message, "Hooked");
}

TEST_F(HandlerExceptionTest, ForeignObjectIsShownInTheRuntimesOwnBox) {
  control_->thrower = [] { throw std::runtime_error("not shown"); };
  PostAndPump();
  ASSERT_EQ(Boxes().size(), 1u);
  const RecordedBox& box = Boxes()[0];
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
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Show failed.");
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
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Cannot change Visible in OnShow or OnHide.");
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
