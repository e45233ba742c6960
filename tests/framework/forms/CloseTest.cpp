// Every way a form is closed, and what closing the main form does to the application.

#include "tests/framework/forms/FormsTestSupport.h"

namespace sx::testing {
namespace {

class CloseTest : public FormsTest {
 protected:
  // Whether a quit message waits in the queue (it is left there).
  static bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
  }

  // Sets the close action every OnClose of the form proposes, and counts the calls.
  struct CloseChoice : TObject {
    TCloseAction action = closeHide;
    bool allow = true;
    int queries = 0;
    int closes = 0;
    void OnClose(TObject*, TCloseAction& proposed) {
      ++closes;
      proposed = action;
    }
    void OnCloseQuery(TObject*, bool& canClose) {
      ++queries;
      canClose = allow;
    }
    void Attach(TCustomForm* form) {
      form->SetOnClose(MakeEvent<&CloseChoice::OnClose>(this));
      form->SetOnCloseQuery(MakeEvent<&CloseChoice::OnCloseQuery>(this));
    }
  };
};

TEST_F(CloseTest, ClosingTheMainFormEndsTheLoopAndLeavesItOnScreen) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_FALSE(Application->Running());
  EXPECT_TRUE(main->Visible());
  EXPECT_TRUE(IsWindowVisible(main->Handle())) << "the main form stays until it is destroyed";
}

TEST_F(CloseTest, CloseBoxOfTheMainFormEndsTheLoop) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  PostMessageA(main->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(CloseTest, ApplicationWindowCloseClosesTheMainForm) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  CloseChoice choice;
  choice.Attach(main);
  PostMessageA(Application->Handle(), WM_CLOSE, 0, 0);
  Application->Run();
  EXPECT_EQ(choice.closes, 1);
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(CloseTest, MainFormWhoseCloseActionIsNoneStaysAndTheProgramGoesOn) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  main->Show();
  CloseChoice choice;
  choice.action = closeNone;
  choice.Attach(main);
  main->Close();
  EXPECT_EQ(choice.closes, 1);
  EXPECT_FALSE(QuitPosted());
  EXPECT_TRUE(main->Visible());
}

TEST_F(CloseTest, RefusedCloseQueryStopsBeforeTheCloseEvent) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  CloseChoice choice;
  choice.allow = false;
  choice.Attach(main);
  main->Close();
  EXPECT_EQ(choice.queries, 1);
  EXPECT_EQ(choice.closes, 0);
  EXPECT_FALSE(QuitPosted());
}

TEST_F(CloseTest, MainFormEndsTheProgramWhateverActionItChose) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  main->Show();
  CloseChoice choice;
  choice.action = closeFree;
  choice.Attach(main);
  main->Close();
  EXPECT_TRUE(QuitPosted());
  PumpMessages();
  EXPECT_EQ(Application->MainForm(), main) << "the main form is not released";
}

TEST_F(CloseTest, OtherFormIsHiddenByDefault) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  TTestForm* other = New<TTestForm>(Application);
  other->Show();
  other->Close();
  EXPECT_FALSE(other->Visible());
  EXPECT_FALSE(QuitPosted());
}

TEST_F(CloseTest, CloseFreeReleasesTheFormAfterTheCurrentMessage) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  TTestForm* other = New<TTestForm>(Application);
  other->SetName("Other");
  other->Show();
  CloseChoice choice;
  choice.action = closeFree;
  choice.Attach(other);
  other->Close();
  ASSERT_NE(Application->FindOwned("Other"), nullptr) << "freed only once its message arrives";
  PumpMessages();
  EXPECT_EQ(Application->FindOwned("Other"), nullptr);
  EXPECT_FALSE(QuitPosted());
}

TEST_F(CloseTest, CloseMinimizeMinimisesTheForm) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  TTestForm* other = New<TTestForm>(Application);
  other->Show();
  CloseChoice choice;
  choice.action = closeMinimize;
  choice.Attach(other);
  other->Close();
  EXPECT_EQ(other->WindowState(), wsMinimized);
  EXPECT_TRUE(IsIconic(other->Handle()));
}

TEST_F(CloseTest, SessionEndAsksTheCloseQuery) {
  TTestForm* form = New<TTestForm>(Application);
  CloseChoice choice;
  choice.allow = false;
  choice.Attach(form);
  EXPECT_EQ(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), 0);
  choice.allow = true;
  EXPECT_NE(SendMessageA(form->Handle(), WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_EQ(choice.closes, 0);
}

TEST_F(CloseTest, EndedSessionTerminatesTheApplication) {
  SendMessageA(Application->Handle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(Application->Terminated());
  SendMessageA(Application->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(Application->Terminated());
}

}  // namespace
}  // namespace sx::testing
