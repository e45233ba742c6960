// The application window, the title, the taskbar button's visibility and the creation of
// forms through the application.

#include <algorithm>
#include <thread>

#include "framework/forms/HintWindow.h"
#include "framework/forms/Icon.h"
#include "framework/runtime/Exception.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/Raised.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

using ApplicationWindowTest = FormsTest;

TEST_F(ApplicationWindowTest, WindowHasTheApplicationClassStyleAndZeroSizeAtScreenCentre) {
  HWND window = Application->Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowClass(window), "TApplication");
  EXPECT_EQ(WindowStyle(window) & ~WS_VISIBLE, 0x84CA0000u);
  EXPECT_EQ(ScreenBounds(window),
            (Bounds{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0}));
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(ApplicationWindowTest, SystemMenuLosesMaximizeSizeAndMove) {
  HMENU menu = GetSystemMenu(Application->Handle(), FALSE);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(ApplicationWindowTest, WindowCarriesTheApplicationIconAsItsOwnAndAsClassIcon) {
  HWND window = Application->Handle();
  // The test program has no "MAINICON": the system's application icon stands in.
  const HICON expected = LoadIconA(nullptr, IDI_APPLICATION);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0)), expected);
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON)), expected);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_QUERYDRAGICON, 0, 0)), expected);
}

TEST_F(ApplicationWindowTest, ChangingTheIconResendsItToTheWindow) {
  const HICON other = LoadIconA(nullptr, IDI_WARNING);
  Application->Icon()->SetHandle(other);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(Application->Handle(), WM_GETICON, ICON_BIG, 0)),
            other);
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(Application->Handle(), GCLP_HICON)), other);
}

TEST_F(ApplicationWindowTest, FirstTitleIsTheFileNameUpToItsFirstDotLowerCasedAfterTheFirst) {
  EXPECT_EQ(TitleFromModuleName("C:\\Program Files\\My.Tools\\SonDERIX.Setup.EXE"), "Sonderix");
  EXPECT_EQ(TitleFromModuleName("C:\\APP.EXE"), "App");
  EXPECT_EQ(TitleFromModuleName("noext"), "noext");
}

TEST_F(ApplicationWindowTest, TitleIsTheWindowText) {
  Application->SetTitle("Sonderix");
  EXPECT_EQ(WindowTextA(Application->Handle()), "Sonderix");
  SetWindowTextA(Application->Handle(), "Changed elsewhere");
  EXPECT_EQ(Application->Title(), "Changed elsewhere");
}

TEST_F(ApplicationWindowTest, TitleReadsAtMost255Characters) {
  Application->SetTitle(std::string(300, 'x'));
  EXPECT_EQ(Application->Title(), std::string(255, 'x'));
}

TEST_F(ApplicationWindowTest, WritingTheSameTitleDoesNotSetTheWindowTextAgain) {
  Application->SetTitle("Once");
  int setTexts = 0;
  struct Counter : TObject {
    int* count;
    void Hook(TMessage& message, bool& handled) {
      if (message.Msg == WM_SETTEXT) ++*count;
      handled = false;
    }
  } counter;
  counter.count = &setTexts;
  const TWindowHook hook = MakeEvent<&Counter::Hook>(&counter);
  Application->HookMainWindow(hook);
  Application->SetTitle("Once");
  EXPECT_EQ(setTexts, 0);
  Application->SetTitle("Twice");
  EXPECT_EQ(setTexts, 1);
  Application->UnhookMainWindow(hook);
}

TEST_F(ApplicationWindowTest, WindowHookThatAnswersTrueKeepsTheMessageFromTheWindow) {
  struct Swallow : TObject {
    void Hook(TMessage& message, bool& handled) {
      if (message.Msg == WM_CLOSE) {
        handled = true;
        ++closes;
      }
    }
    int closes = 0;
  } swallow;
  TTestForm* form = nullptr;
  Application->CreateOwnedForm(form);
  const TWindowHook hook = MakeEvent<&Swallow::Hook>(&swallow);
  Application->HookMainWindow(hook);
  SendMessageA(Application->Handle(), WM_CLOSE, 0, 0);
  Application->UnhookMainWindow(hook);
  EXPECT_EQ(swallow.closes, 1);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(ApplicationWindowTest, MessageJustBeyondTheKeyRangeIsNotOfferedAsAKey) {
  TTestForm* form = New<TTestForm>(Application);
  TTestEdit* edit = MakeChild<TTestEdit>(form, 8, 8);
  std::vector<std::string> log;
  TMessageLog recorder(edit, log, "edit");
  constexpr UINT kUniChar = 0x0109;

  PostMessageA(edit->Handle(), WM_SYSDEADCHAR, 'a', 0);
  PostMessageA(edit->Handle(), kUniChar, 'a', 0);
  PumpMessages();

  EXPECT_EQ(std::count(log.begin(), log.end(), "edit:BD07"), 1) << "the last key message";
  EXPECT_EQ(std::count(log.begin(), log.end(), "edit:BD09"), 0);
}

TEST_F(ApplicationWindowTest, TaskbarButtonFollowsTheVisibleForms) {
  TTestForm* first = New<TTestForm>(Application);
  TTestForm* second = New<TTestForm>(Application);
  HWND window = Application->Handle();
  first->Show();
  EXPECT_TRUE(IsWindowVisible(window));
  second->Show();
  first->Hide();
  EXPECT_TRUE(IsWindowVisible(window)) << "one form is still visible";
  second->Hide();
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(ApplicationWindowTest, TaskbarButtonLeftAloneWhenSomebodyElseChangedIt) {
  TTestForm* form = New<TTestForm>(Application);
  form->Show();
  ASSERT_TRUE(IsWindowVisible(Application->Handle()));
  ShowWindow(Application->Handle(), SW_HIDE);
  form->Hide();
  form->Show();
  // The window no longer is what the framework last made it; it is not shown again.
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
}

TEST_F(ApplicationWindowTest, FormInAForeignParentWindowDoesNotShowTheTaskbarButton) {
  HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
  TTestForm* form = New<TTestForm>(Application);
  form->SetParentWindow(host);
  form->Show();
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  form->Free();
  DestroyWindow(host);
}

// A form that checks, while it is constructed, that the application's variable already
// holds it.
class TSelfCheckingForm;
TSelfCheckingForm* g_selfChecking = nullptr;
bool g_sawItselfInVariable = false;

class TSelfCheckingForm : public TForm {
  SX_CLASS(TSelfCheckingForm)
  explicit TSelfCheckingForm(TComponent* owner) : TForm(owner, kCreateNew) {
    g_sawItselfInVariable = g_selfChecking == this;
  }
};
constinit const ClassInfo TSelfCheckingForm::StaticClass{.name = "TSelfCheckingForm",
                                                         .parent = &TForm::StaticClass};

TEST_F(ApplicationWindowTest, CreatedFormIsInItsVariableBeforeItsConstructorRuns) {
  Application->CreateOwnedForm(g_selfChecking);
  EXPECT_TRUE(g_sawItselfInVariable);
  EXPECT_EQ(Application->MainForm(), g_selfChecking);
  EXPECT_EQ(g_selfChecking->Owner(), Application);
}

// A form class whose stored definition does not exist.
class TMissingForm : public TForm {
  SX_CLASS(TMissingForm)
  explicit TMissingForm(TComponent* owner) : TForm(owner) {}
};
constinit const ClassInfo TMissingForm::StaticClass{.name = "TMissingForm",
                                                    .parent = &TForm::StaticClass};

TEST_F(ApplicationWindowTest, FormWithoutDefinitionFailsAndEmptiesItsVariable) {
  TMissingForm* form = reinterpret_cast<TMissingForm*>(0x1);
  const int formsBefore = Screen->CustomFormCount();
  EXPECT_EQ(Raised([&] { Application->CreateOwnedForm(form); }),
            "EResNotFound: Resource TMissingForm not found");
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Application->ComponentCount(), 1) << "only the hint window remains";
  EXPECT_EQ(Screen->CustomFormCount(), formsBefore);
}

TEST_F(ApplicationWindowTest, FirstFormBecomesMainFormWithItsWindowAndLaterOnesDoNot) {
  TTestForm* first = nullptr;
  TTestForm* second = nullptr;
  Application->CreateOwnedForm(first);
  Application->CreateOwnedForm(second);
  EXPECT_EQ(Application->MainForm(), first);
  EXPECT_TRUE(first->HandleAllocated());
  EXPECT_FALSE(second->HandleAllocated());
  EXPECT_FALSE(first->Visible()) << "Run shows the main form, not its creation";
}

TEST_F(ApplicationWindowTest, DestroyedMainFormLeavesNoMainForm) {
  TTestForm* form = nullptr;
  Application->CreateOwnedForm(form);
  form->Free();
  EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(ApplicationWindowTest, CleanupDestroysOwnedFormsLastCreatedFirst) {
  std::vector<std::string> order;
  struct Watcher : TObject {
    std::vector<std::string>* order;
    void Destroyed(TObject* sender) { order->push_back(static_cast<TComponent*>(sender)->Name()); }
  } watcher;
  watcher.order = &order;
  for (const char* name : {"First", "Second", "Third"}) {
    TTestForm* form = New<TTestForm>(Application);
    form->SetName(name);
    form->SetOnDestroy(MakeEvent<&Watcher::Destroyed>(&watcher));
  }
  ApplicationCleanup();
  EXPECT_EQ(order, (std::vector<std::string>{"Third", "Second", "First"}));
  EXPECT_EQ(Application->ComponentCount(), 0);
  EXPECT_EQ(Application->HintWindow(), nullptr);
}

TEST_F(ApplicationWindowTest, HintsAreOnWithAHintWindowOwnedByTheApplication) {
  ASSERT_TRUE(Application->ShowHint());
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->Owner(), Application);
  EXPECT_EQ(Application->HintWindow()->Color(), static_cast<TColor>(0x80000018));
  Application->SetShowHint(false);
  EXPECT_EQ(Application->HintWindow(), nullptr);
}

TEST_F(ApplicationWindowTest, DisablingThreadWindowsSkipsTheExceptedAndHiddenOnesAndReenables) {
  TTestForm* shown = New<TTestForm>(Application);
  TTestForm* hidden = New<TTestForm>(Application);
  hidden->HandleNeeded();
  shown->Show();
  // The application window, once disabled, would disable the rest itself.
  TWindowList list = DisableThreadWindows(Application->Handle());
  EXPECT_FALSE(IsWindowEnabled(shown->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Application->Handle()));
  EXPECT_TRUE(IsWindowEnabled(hidden->Handle()));
  ReenableWindows(list);
  EXPECT_TRUE(IsWindowEnabled(shown->Handle()));
  EXPECT_TRUE(list.windows.empty());
}

TEST_F(ApplicationWindowTest, ReenablingSkipsWindowsThatNoLongerExist) {
  TTestForm* form = New<TTestForm>(Application);
  form->Show();
  TWindowList list = DisableThreadWindows(nullptr);
  const std::size_t disabled = list.windows.size();
  form->Free();
  ReenableWindows(list);
  EXPECT_GE(disabled, 2u) << "the form and the application window";
  EXPECT_TRUE(IsWindowEnabled(Application->Handle()));
}

TEST_F(ApplicationWindowTest, FirstThreadWindowPrefersOneThatIsNotTopMost) {
  TTestForm* topMost = New<TTestForm>(Application);
  topMost->SetFormStyle(fsStayOnTop);
  topMost->Show();
  EXPECT_EQ(FindFirstThreadWindow(nullptr), topMost->Handle()) << "the only one";
  TTestForm* normal = New<TTestForm>(Application);
  normal->Show();
  EXPECT_EQ(FindFirstThreadWindow(nullptr), normal->Handle());
  EXPECT_EQ(FindFirstThreadWindow(normal->Handle()), topMost->Handle());
  normal->SetEnabled(false);
  EXPECT_EQ(FindFirstThreadWindow(nullptr), topMost->Handle()) << "disabled ones are skipped";
}

TEST_F(ApplicationWindowTest, DisabledApplicationWindowDisablesTheOtherWindowsUntilEnabled) {
  TTestForm* form = New<TTestForm>(Application);
  form->Show();
  EnableWindow(Application->Handle(), FALSE);
  EXPECT_FALSE(IsWindowEnabled(form->Handle()));
  EnableWindow(Application->Handle(), TRUE);
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
}

TEST_F(ApplicationWindowTest, CallFromAnotherThreadRunsOnTheApplicationsThreadFromTheLoop) {
  const DWORD mainThread = GetCurrentThreadId();
  DWORD ranOn = 0;
  bool done = false;
  std::thread worker([&] {
    Application->Synchronize([&] { ranOn = GetCurrentThreadId(); });
    done = true;
  });
  // The loop waits for messages when idle; the queued call wakes it.
  for (int i = 0; i < 100 && ranOn == 0; ++i)
    Application->HandleNextMessage();
  worker.join();
  EXPECT_EQ(ranOn, mainThread);
  EXPECT_TRUE(done);
}

TEST_F(ApplicationWindowTest, TaskbarCreatedIsRegistered) {
  EXPECT_EQ(TaskbarCreatedMessage(), RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_NE(TaskbarCreatedMessage(), 0u);
}

}  // namespace
}  // namespace sx::testing
