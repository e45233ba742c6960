// Modal runs: what is disabled while they run, how they end, and what they put back.

#include "framework/runtime/Exception.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/Raised.h"

namespace sx::testing {
namespace {

class ModalTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Application->CreateOwnedForm(main_);
    main_->Show();
    PumpUntil([&] { return GetActiveWindow() == main_->Handle(); });
    dialog_ = New<TTestForm>(Application);
    ok_ = MakeChild<TTestButton>(dialog_, 8, 8);
    ok_->modalResult = mrOk;
    cancel_ = MakeChild<TTestButton>(dialog_, 8, 40);
    cancel_->cancel = true;
  }

  // Runs the action once the dialog is on screen, from inside the modal loop.
  struct OnShown : TObject {
    std::function<void()> action;
    void Shown(TObject*) { action(); }
  };
  void WhenShown(std::function<void()> action) {
    onShown_.action = std::move(action);
    dialog_->SetOnShow(MakeEvent<&OnShown::Shown>(&onShown_));
  }

  TTestForm* main_ = nullptr;
  TTestForm* dialog_ = nullptr;
  TTestButton* ok_ = nullptr;
  TTestButton* cancel_ = nullptr;
  OnShown onShown_;
};

TEST_F(ModalTest, PostedClickEndsTheRunWithTheButtonsResult) {
  bool mainEnabledDuringRun = true;
  bool appWindowEnabledDuringRun = true;
  WhenShown([&] {
    mainEnabledDuringRun = IsWindowEnabled(main_->Handle()) != FALSE;
    appWindowEnabledDuringRun = IsWindowEnabled(Application->Handle()) != FALSE;
    PostMessageA(ok_->Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog_->RunModal(), mrOk);
  EXPECT_FALSE(mainEnabledDuringRun);
  EXPECT_FALSE(appWindowEnabledDuringRun);
  EXPECT_TRUE(IsWindowEnabled(main_->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Application->Handle()));
  EXPECT_FALSE(dialog_->Visible());
  EXPECT_FALSE(dialog_->Modal());
  EXPECT_EQ(GetActiveWindow(), main_->Handle()) << "the window active before is active again";
}

TEST_F(ModalTest, EscapeReachesTheCancelButtonAsADialogKey) {
  WhenShown([&] {
    // The key goes to the focused control; the form offers it to its controls.
    PostMessageA(ok_->Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  });
  EXPECT_EQ(dialog_->RunModal(), mrCancel);
}

TEST_F(ModalTest, CloseEndsTheRunWithTheCancelResult) {
  WhenShown([&] { PostMessageA(dialog_->Handle(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(dialog_->RunModal(), mrCancel);
}

TEST_F(ModalTest, RefusedCloseQueryKeepsTheRunGoing) {
  struct Query : TObject {
    int asked = 0;
    TTestButton* ok = nullptr;
    void OnCloseQuery(TObject*, bool& canClose) {
      canClose = ++asked > 1;
      // The first refusal: the run must go on and get the next click.
      if (asked == 1) PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
    }
  } query;
  query.ok = ok_;
  dialog_->SetOnCloseQuery(MakeEvent<&Query::OnCloseQuery>(&query));
  WhenShown([&] { PostMessageA(dialog_->Handle(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(dialog_->RunModal(), mrOk);
  EXPECT_EQ(query.asked, 2);
}

TEST_F(ModalTest, TerminatedApplicationEndsTheRunWithCancel) {
  WhenShown([&] { Application->Terminate(); });
  EXPECT_EQ(dialog_->RunModal(), mrCancel);
  EXPECT_TRUE(IsWindowEnabled(main_->Handle()));
}

TEST_F(ModalTest, CloseFreeInTheCloseEventReleasesTheFormAfterTheRun) {
  struct Free : TObject {
    void OnClose(TObject*, TCloseAction& action) { action = closeFree; }
  } free;
  dialog_->SetName("Dialog");
  dialog_->SetOnClose(MakeEvent<&Free::OnClose>(&free));
  WhenShown([&] { PostMessageA(ok_->Handle(), BM_CLICK, 0, 0); });
  EXPECT_EQ(dialog_->RunModal(), mrOk);
  PumpMessages();
  EXPECT_EQ(Application->FindOwned("Dialog"), nullptr);
}

TEST_F(ModalTest, ExceptionInTheCloseStepIsReportedAndTheRunGoesOn) {
  struct Failing : TObject {
    int calls = 0;
    TTestButton* ok = nullptr;
    void OnClose(TObject*, TCloseAction&) {
      if (++calls == 1) {
        PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
        throw Exception("Close failed");
      }
    }
  } failing;
  failing.ok = ok_;
  dialog_->SetOnClose(MakeEvent<&Failing::OnClose>(&failing));
  WhenShown([&] { PostMessageA(ok_->Handle(), BM_CLICK, 0, 0); });
  EXPECT_EQ(dialog_->RunModal(), mrOk);
  EXPECT_EQ(failing.calls, 2);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "Close failed.");
}

TEST_F(ModalTest, VisibleFormCannotRunModally) {
  dialog_->Show();
  EXPECT_EQ(Raised([&] { dialog_->RunModal(); }),
            "EInvalidOperation: Cannot make a visible window modal");
}

TEST_F(ModalTest, DisabledFormCannotRunModally) {
  dialog_->SetEnabled(false);
  EXPECT_THROW(dialog_->RunModal(), EInvalidOperation);
}

TEST_F(ModalTest, FocusedFormAndFocusCounterComeBackAfterTheRun) {
  ASSERT_EQ(Screen->FocusedForm(), main_);
  const int count = FocusCount();
  TCustomForm* focusedDuringRun = nullptr;
  WhenShown([&] {
    focusedDuringRun = Screen->FocusedForm();
    PostMessageA(ok_->Handle(), BM_CLICK, 0, 0);
  });
  dialog_->RunModal();
  EXPECT_EQ(focusedDuringRun, dialog_);
  EXPECT_EQ(Screen->FocusedForm(), main_);
  EXPECT_EQ(FocusCount(), count);
}

TEST_F(ModalTest, CursorSetDuringTheRunFallsBackToTheDefault) {
  Screen->SetCursor(crHourGlass);
  WhenShown([&] {
    EXPECT_EQ(Screen->Cursor(), crDefault);
    PostMessageA(ok_->Handle(), BM_CLICK, 0, 0);
  });
  dialog_->RunModal();
  EXPECT_EQ(Screen->Cursor(), crHourGlass) << "untouched during the run: the saved cursor";

  WhenShown([&] {
    Screen->SetCursor(crIBeam);
    PostMessageA(ok_->Handle(), BM_CLICK, 0, 0);
  });
  dialog_->RunModal();
  EXPECT_EQ(Screen->Cursor(), crDefault) << "changed during the run: the default";
}

TEST_F(ModalTest, MessageBoxDisablesTheMainFormWhileItIsUp) {
  Application->AppMessageBox("Text", "Caption", MB_OK);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_FALSE(RecordedBoxes()[0].mainFormEnabled);
  EXPECT_EQ(RecordedBoxes()[0].owner, Application->Handle());
  EXPECT_TRUE(IsWindowEnabled(main_->Handle()));
  EXPECT_EQ(GetActiveWindow(), main_->Handle());
}

}  // namespace
}  // namespace sx::testing
