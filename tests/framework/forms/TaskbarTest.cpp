// The program as the taskbar sees it: minimising and restoring it as a whole through the
// application window, what its forms look like meanwhile, the top-most windows while it is
// inactive, a click into a disabled window, the shell's restart and the taskbar icon.

#include <cstdio>
#include <functional>

#include "framework/forms/Icon.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

constexpr UINT WM_TEST_ACTION = WM_APP + 0x51;

// Counts the application's minimise and restore hooks and runs posted test actions from
// inside the loop (a modal run, say).
struct AppEvents : TObject {
  int minimized = 0;
  int restored = 0;
  int activated = 0;
  int deactivated = 0;
  std::function<void()> action;
  void Minimized(TObject*) { ++minimized; }
  void Restored(TObject*) { ++restored; }
  void Activated(TObject*) { ++activated; }
  void Deactivated(TObject*) { ++deactivated; }
  void Message(MSG& msg, bool& handled) {
    if (msg.message != WM_TEST_ACTION) return;
    handled = true;
    if (action) action();
  }
};

class TaskbarTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Application->OnAppMinimize = MakeEvent<&AppEvents::Minimized>(&events_);
    Application->OnAppRestore = MakeEvent<&AppEvents::Restored>(&events_);
    Application->OnAppActivate = MakeEvent<&AppEvents::Activated>(&events_);
    Application->OnAppDeactivate = MakeEvent<&AppEvents::Deactivated>(&events_);
    Application->OnAppMessage = MakeEvent<&AppEvents::Message>(&events_);
    Application->CreateOwnedForm(main_);
    main_->ChangeBounds(120, 90, 360, 240);
    edit1_ = MakeChild<TTestEdit>(main_, 8, 8);
    edit2_ = MakeChild<TTestEdit>(main_, 8, 40);
  }

  void ShowMain() {
    main_->Show();
    ASSERT_TRUE(PumpUntil([&] { return edit1_->Focused(); }));
  }

  // Another form owned by the application window, shown in front of the main form.
  TTestForm* ShowOther(int left) {
    auto* form = New<TTestForm>(Application);
    form->ChangeBounds(left, 400, 200, 150);
    form->Show();
    return form;
  }

  static HWND AppWindow() { return Application->Handle(); }
  static bool TopMost(TWinControl* form) {
    return (WindowExStyle(form->Handle()) & WS_EX_TOPMOST) != 0;
  }
  static void MakeTopMost(TWinControl* form) {
    SetWindowPos(form->Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // Whether `upper` lies above `lower` in the z-order.
  static bool Above(HWND upper, HWND lower) {
    for (HWND window = GetWindow(lower, GW_HWNDPREV); window;
         window = GetWindow(window, GW_HWNDPREV))
      if (window == upper) return true;
    return false;
  }

  AppEvents events_;
  TTestForm* main_ = nullptr;
  TTestEdit* edit1_ = nullptr;
  TTestEdit* edit2_ = nullptr;
};

// --- Minimising and restoring ---------------------------------------------------------------

TEST_F(TaskbarTest, MainFormMinimiseButtonMinimisesTheApplicationWindowInstead) {
  ShowMain();
  SendMessageA(main_->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(AppWindow()));
  EXPECT_TRUE(IsWindowVisible(AppWindow())) << "the taskbar button stays";
  EXPECT_FALSE(IsIconic(main_->Handle()));
  EXPECT_FALSE(IsWindowVisible(main_->Handle())) << "hidden by the system with its owner";
  EXPECT_TRUE(main_->Visible());
  EXPECT_EQ(main_->WindowState(), wsNormal);
  EXPECT_EQ(events_.minimized, 1);
}

TEST_F(TaskbarTest, TaskbarRestoreBringsTheMainFormBackAtItsPlaceWithItsFocus) {
  ShowMain();
  edit2_->SetFocus();
  const Bounds before = ScreenBounds(main_->Handle());
  SendMessageA(main_->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(IsIconic(AppWindow()));
  SendMessageA(AppWindow(), WM_SYSCOMMAND, SC_RESTORE, 0);
  PumpMessages();
  EXPECT_FALSE(IsIconic(AppWindow()));
  EXPECT_TRUE(IsWindowVisible(main_->Handle()));
  EXPECT_FALSE(IsIconic(main_->Handle()));
  EXPECT_EQ(ScreenBounds(main_->Handle()), before);
  EXPECT_EQ(GetFocus(), edit2_->Handle());
  EXPECT_EQ(events_.restored, 1);
}

TEST_F(TaskbarTest, RestoredApplicationWindowIsZeroSizedAtTheScreenCentreAgain) {
  ShowMain();
  Application->MinimizeApp();
  Application->RestoreApp();
  EXPECT_EQ(ScreenBounds(AppWindow()),
            (Bounds{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0}));
}

TEST_F(TaskbarTest, ApplicationWindowSystemCommandsIgnoreTheLowFourBits) {
  ShowMain();
  // The taskbar and the system menu add the low bits that mouse and keyboard leave.
  SendMessageA(AppWindow(), WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);
  EXPECT_TRUE(IsIconic(AppWindow()));
  EXPECT_FALSE(IsWindowVisible(main_->Handle()));
  SendMessageA(AppWindow(), WM_SYSCOMMAND, SC_RESTORE | 1, 0);
  EXPECT_FALSE(IsIconic(AppWindow()));
  EXPECT_TRUE(IsWindowVisible(main_->Handle()));
}

TEST_F(TaskbarTest, MinimisingAMinimisedApplicationDoesNothing) {
  ShowMain();
  Application->MinimizeApp();
  Application->MinimizeApp();
  SendMessageA(AppWindow(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(events_.minimized, 1);
  EXPECT_TRUE(IsIconic(AppWindow()));
}

TEST_F(TaskbarTest, RestoringAnApplicationThatIsNotMinimisedDoesNothing) {
  ShowMain();
  const Bounds before = ScreenBounds(main_->Handle());
  Application->RestoreApp();
  SendMessageA(AppWindow(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(events_.restored, 0);
  EXPECT_EQ(ScreenBounds(main_->Handle()), before);
}

TEST_F(TaskbarTest, FormHiddenBeforeMinimisingStaysHiddenAfterRestoring) {
  ShowMain();
  TTestForm* other = ShowOther(500);
  other->Hide();
  Application->MinimizeApp();
  Application->RestoreApp();
  EXPECT_TRUE(IsWindowVisible(main_->Handle()));
  EXPECT_FALSE(IsWindowVisible(other->Handle()));
  EXPECT_FALSE(other->Visible());
}

TEST_F(TaskbarTest, MaximisedFormComesBackMaximised) {
  ShowMain();
  TTestForm* other = ShowOther(500);
  other->SetWindowState(wsMaximized);
  ASSERT_TRUE(IsZoomed(other->Handle()));
  Application->MinimizeApp();
  ASSERT_FALSE(IsWindowVisible(other->Handle()));
  Application->RestoreApp();
  EXPECT_TRUE(IsWindowVisible(other->Handle()));
  EXPECT_TRUE(IsZoomed(other->Handle()));
  EXPECT_EQ(other->WindowState(), wsMaximized);
}

TEST_F(TaskbarTest, MinimisedFormComesBackMinimised) {
  ShowMain();
  TTestForm* other = ShowOther(500);
  SendMessageA(other->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(IsIconic(other->Handle()));
  ASSERT_FALSE(IsIconic(AppWindow())) << "only the main form minimises the application";
  Application->MinimizeApp();
  ASSERT_FALSE(IsWindowVisible(other->Handle()));
  Application->RestoreApp();
  EXPECT_TRUE(IsWindowVisible(other->Handle()));
  EXPECT_TRUE(IsIconic(other->Handle()));
  EXPECT_TRUE(IsWindowVisible(main_->Handle()));
}

TEST_F(TaskbarTest, StartedMinimisedTheRestoreShowsTheMainFormNormal) {
  // What Run does for the start-up show command SW_SHOWMINNOACTIVE.
  main_->RecordWindowState(wsMinimized);
  Application->MinimizeApp();
  EXPECT_TRUE(IsIconic(AppWindow()));
  EXPECT_TRUE(IsWindowVisible(AppWindow())) << "only the taskbar button shows";
  EXPECT_FALSE(main_->Visible());
  Application->RestoreApp();
  EXPECT_TRUE(main_->Visible());
  EXPECT_TRUE(IsWindowVisible(main_->Handle()));
  EXPECT_FALSE(IsIconic(main_->Handle()));
  EXPECT_EQ(main_->WindowState(), wsNormal);
}

TEST_F(TaskbarTest, AfterAMinimisedStartTheTaskbarButtonStillGoesWithTheLastForm) {
  main_->RecordWindowState(wsMinimized);
  Application->MinimizeApp();
  Application->RestoreApp();
  ASSERT_TRUE(main_->Visible());
  main_->Hide();
  EXPECT_FALSE(IsWindowVisible(AppWindow()));
  main_->Show();
  EXPECT_TRUE(IsWindowVisible(AppWindow()));
}

TEST_F(TaskbarTest, MinimisingStartsFromTheMainFormsPlace) {
  ShowMain();
  Application->MinimizeApp();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  ASSERT_TRUE(GetWindowPlacement(AppWindow(), &placement));
  EXPECT_EQ(BoundsOf(placement.rcNormalPosition),
            (Bounds{main_->Left(), main_->Top(), main_->Width(), 0}));
}

TEST_F(TaskbarTest, DisabledMainFormMinimisesAndRestoresThePlainWay) {
  ShowMain();
  // A modal dialog is up: nothing is animated from the main form.
  EnableWindow(main_->Handle(), FALSE);
  Application->MinimizeApp();
  EXPECT_TRUE(IsIconic(AppWindow()));
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(AppWindow(), &placement);
  EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 0);
  Application->RestoreApp();
  EnableWindow(main_->Handle(), TRUE);
  EXPECT_FALSE(IsIconic(AppWindow()));
  EXPECT_TRUE(IsWindowVisible(main_->Handle()));
  EXPECT_EQ(events_.minimized, 1);
  EXPECT_EQ(events_.restored, 1);
}

TEST_F(TaskbarTest, ApplicationWindowTakingTheFocusPassesItToTheMainForm) {
  ShowMain();
  edit2_->SetFocus();
  SetFocus(AppWindow());
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == edit2_->Handle(); }));
}

// --- Top-most windows -----------------------------------------------------------------------

TEST_F(TaskbarTest, NestedLoweringMakesTopMostFormsTopMostAgainOnlyAtTheOutermostRaise) {
  ShowMain();
  TTestForm* first = ShowOther(500);
  TTestForm* second = ShowOther(700);
  MakeTopMost(first);
  MakeTopMost(second);
  Application->LowerTopMostWindows(false);
  EXPECT_FALSE(TopMost(first));
  EXPECT_FALSE(TopMost(second));
  Application->LowerTopMostWindows(true);
  Application->RaiseTopMostWindows();
  EXPECT_FALSE(TopMost(first)) << "one level of lowering is still open";
  EXPECT_FALSE(TopMost(second));
  Application->RaiseTopMostWindows();
  EXPECT_TRUE(TopMost(first));
  EXPECT_TRUE(TopMost(second));
  Application->RaiseTopMostWindows();
  EXPECT_TRUE(TopMost(first)) << "a raise too many changes nothing";
}

TEST_F(TaskbarTest, LoweredTopMostFormsKeepTheirOrderAndStayAboveTheOtherForms) {
  ShowMain();
  TTestForm* lower = ShowOther(500);
  TTestForm* upper = ShowOther(700);
  MakeTopMost(lower);
  MakeTopMost(upper);
  ASSERT_TRUE(Above(upper->Handle(), lower->Handle()));
  Application->LowerTopMostWindows(false);
  EXPECT_TRUE(Above(upper->Handle(), lower->Handle()));
  EXPECT_TRUE(Above(lower->Handle(), main_->Handle()));
  Application->RaiseTopMostWindows();
  EXPECT_TRUE(Above(upper->Handle(), lower->Handle()));
}

TEST_F(TaskbarTest, TopMostMainFormStaysTopMostUnlessIncluded) {
  ShowMain();
  ShowOther(500);
  MakeTopMost(main_);
  Application->LowerTopMostWindows(false);
  EXPECT_TRUE(TopMost(main_));
  Application->RaiseTopMostWindows();
  Application->LowerTopMostWindows(true);
  EXPECT_FALSE(TopMost(main_));
  Application->RaiseTopMostWindows();
  EXPECT_TRUE(TopMost(main_));
}

TEST_F(TaskbarTest, LosingTheActivationLowersTopMostFormsAndRegainingItRaisesThem) {
  ShowMain();
  TTestForm* other = ShowOther(500);
  MakeTopMost(other);
  // The system's own activation of the program may still be queued.
  PumpMessages();
  const int activated = events_.activated;
  const int deactivated = events_.deactivated;
  SendMessageA(AppWindow(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(Application->Active());
  EXPECT_FALSE(TopMost(other));
  EXPECT_EQ(events_.deactivated, deactivated) << "posted, not called at once";
  PumpMessages();
  EXPECT_EQ(events_.deactivated, deactivated + 1);
  SendMessageA(AppWindow(), WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_TRUE(Application->Active());
  EXPECT_TRUE(TopMost(other));
  PumpMessages();
  EXPECT_EQ(events_.activated, activated + 1);
}

TEST_F(TaskbarTest, MinimisingLowersTopMostFormsUntilTheRestore) {
  ShowMain();
  TTestForm* other = ShowOther(500);
  MakeTopMost(other);
  Application->MinimizeApp();
  EXPECT_FALSE(TopMost(other));
  Application->RestoreApp();
  EXPECT_TRUE(TopMost(other));
}

// --- A click into a disabled window ---------------------------------------------------------

class DisabledClickTest : public TaskbarTest {
 protected:
  // Runs the dialog modally over the main form and the check from inside the run, once the
  // dialog is up and another program's window (a window of no form) is in front.
  void RunDialogWith(std::function<void()> check) {
    ShowMain();
    dialog_ = New<TTestForm>(Application);
    dialog_->ChangeBounds(200, 200, 200, 120);
    struct Shown : TObject {
      void Posted(TObject* sender) {
        PostMessageA(static_cast<TTestForm*>(sender)->Handle(), WM_TEST_ACTION, 0, 0);
      }
    } shown;
    dialog_->SetOnShow(MakeEvent<&Shown::Posted>(&shown));
    events_.action = [&] {
      foreign_ = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
      SetForegroundWindow(foreign_);
      check();
      dialog_->SetModalResult(mrOk);
    };
    dialog_->RunModal();
    DestroyWindow(foreign_);
  }
  // What the system sends the window under the mouse.
  static void MouseOver(HWND window, UINT mouseMessage) {
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                 MAKELPARAM(static_cast<WORD>(static_cast<short>(HTERROR)), mouseMessage));
  }

  TTestForm* dialog_ = nullptr;
  HWND foreign_ = nullptr;
};

TEST_F(DisabledClickTest, ClickOnTheDisabledMainFormBringsTheModalDialogToTheFront) {
  HWND before = nullptr;
  HWND after = nullptr;
  bool mainDisabled = false;
  RunDialogWith([&] {
    mainDisabled = !IsWindowEnabled(main_->Handle());
    before = GetForegroundWindow();
    MouseOver(main_->Handle(), WM_LBUTTONDOWN);
    after = GetForegroundWindow();
  });
  EXPECT_TRUE(mainDisabled);
  EXPECT_EQ(before, foreign_);
  EXPECT_EQ(after, dialog_->Handle());
}

TEST_F(DisabledClickTest, MouseMovingOverTheDisabledMainFormLeavesTheForegroundAlone) {
  HWND after = nullptr;
  RunDialogWith([&] {
    MouseOver(main_->Handle(), WM_MOUSEMOVE);
    after = GetForegroundWindow();
  });
  EXPECT_EQ(after, foreign_);
}

TEST_F(DisabledClickTest, ClickReportedForAChildWindowIsNotTheFormsOwn) {
  HWND after = nullptr;
  RunDialogWith([&] {
    // The system first offers a child's cursor to its parent, naming the child.
    SendMessageA(main_->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(edit1_->Handle()),
                 MAKELPARAM(static_cast<WORD>(static_cast<short>(HTERROR)), WM_LBUTTONDOWN));
    after = GetForegroundWindow();
  });
  EXPECT_EQ(after, foreign_);
}

// --- Shell restart and icon -----------------------------------------------------------------

TEST_F(TaskbarTest, ShellRestartMakesEachFormRereadSettingsColoursAndFontsInOrder) {
  std::vector<std::string> log;
  {
    TMessageLog recorder(main_, log, "form");
    SendMessageA(main_->Handle(), TaskbarCreatedMessage(), 0, 0);
  }
  char taskbar[32];
  std::snprintf(taskbar, sizeof taskbar, "form:%X", TaskbarCreatedMessage());
  const std::vector<std::string> expected = {
      taskbar, "form:B025", "form:B024", "form:B035", "form:B009", "form:B008", "form:B03D",
  };
  EXPECT_EQ(log, expected);
}

TEST_F(TaskbarTest, DragIconQueryAnswersTheCurrentApplicationIcon) {
  const HICON other = LoadIconA(nullptr, IDI_WARNING);
  Application->Icon()->SetHandle(other);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(AppWindow(), WM_QUERYDRAGICON, 0, 0)), other);
}

}  // namespace
}  // namespace sx::testing
