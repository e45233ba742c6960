// How messages find their control: reflection from the parent back to the child, the
// window properties and the registered message seen from outside, the exception boundary,
// and mouse messages over windowless children.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/controls/ApplicationHost.h"
#include "framework/controls/ExceptionBoundary.h"
#include "framework/controls/WindowEntry.h"
#include "framework/controls/WindowProperties.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "tests/framework/controls/ControlTestSupport.h"

namespace sx::testing {
namespace {

class TClickCounter : public TObject {
 public:
  void Clicked(TObject* sender) {
    ++count;
    last = sender;
  }
  void Throw(TObject*) { throw EInvalidOperation("boom in a click"); }
  int count = 0;
  TObject* last = nullptr;
};

char g_name[64];

const char* ProcessProperty() {
  wsprintfA(g_name, "Ostrel%08X", GetCurrentProcessId());
  return g_name;
}

const char* ControlProperty() {
  wsprintfA(g_name, "ControlOfs%08X%08X",
            static_cast<unsigned>(reinterpret_cast<UINT_PTR>(GetModuleHandleA(nullptr))),
            GetCurrentThreadId());
  return g_name;
}

// A window property's name is handed over as its text or, by some systems, as its atom.
BOOL CALLBACK CollectPropertyName(HWND, LPSTR name, HANDLE, ULONG_PTR names) {
  const auto value = reinterpret_cast<UINT_PTR>(name);
  reinterpret_cast<std::vector<std::string>*>(names)->push_back(
      HIWORD(value) ? std::string(name) : "#" + std::to_string(LOWORD(value)));
  return TRUE;
}

using MessageRoutingTest = ControlTest;

TEST_F(MessageRoutingTest, ButtonClickReachesTheButtonAsReflectedCommand) {
  auto* button = Make<TTestButton>(form);
  TClickCounter counter;
  button->SetOnClick(MakeEvent<&TClickCounter::Clicked>(&counter));
  ASSERT_TRUE(button->HandleAllocated());

  // The system button tells its parent window; the parent hands the command back.
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);

  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(counter.last, button);
}

TEST_F(MessageRoutingTest, NotifyReachesTheSendingChildWithItsResult) {
  auto* button = Make<TTestButton>(form);
  NMHDR header{button->Handle(), 7, 42};

  const LRESULT result =
      SendMessageA(form->Handle(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header));

  EXPECT_EQ(result, 0x1234);
  ASSERT_EQ(button->notifies.size(), 1u);
  EXPECT_EQ(button->notifies[0].Msg, FWM_NOTIFY);
  EXPECT_EQ(button->notifies[0].LParam, reinterpret_cast<LPARAM>(&header));
}

TEST_F(MessageRoutingTest, EditColourQueryIsAnsweredWithTheEditsBrushAndColours) {
  auto* edit = Make<TTestEdit>(form);
  edit->SetColor(clYellow);
  edit->Font()->SetColor(clBlue);
  HDC dc = CreateCompatibleDC(nullptr);

  const LRESULT brush = SendMessageA(form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(edit->Handle()));

  EXPECT_EQ(brush, static_cast<LRESULT>(edit->Brush()->Handle()));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 0));
  DeleteDC(dc);
}

TEST_F(MessageRoutingTest, ColourQueryAboutAForeignChildGetsTheClassAnswer) {
  HWND foreign = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, form->Handle(), nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(foreign, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);

  // Reflecting it to a window that does not know the reflected query would leave the
  // child without a brush to paint with.
  const LRESULT brush =
      SendMessageA(form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(foreign));

  EXPECT_NE(brush, 0);
  EXPECT_NE(brush, static_cast<LRESULT>(form->Brush()->Handle()));
  DeleteDC(dc);
  DestroyWindow(foreign);
}

TEST_F(MessageRoutingTest, CommandFromAWindowWithoutControlIsNotReflected) {
  auto* button = Make<TTestButton>(form);
  TClickCounter counter;
  button->SetOnClick(MakeEvent<&TClickCounter::Clicked>(&counter));
  HWND foreign = CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 10, 10, form->Handle(), nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  TMessageSpy spy(button);

  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(1, BN_CLICKED),
               reinterpret_cast<LPARAM>(foreign));

  EXPECT_EQ(spy.Count(FWM_COMMAND), 0);
  EXPECT_EQ(counter.count, 0);
  DestroyWindow(foreign);
}

TEST_F(MessageRoutingTest, WindowCarriesBothPropertiesPointingAtItsControl) {
  auto* edit = Make<TTestEdit>(form);

  EXPECT_EQ(GetPropA(edit->Handle(), ProcessProperty()), edit);
  EXPECT_EQ(GetPropA(edit->Handle(), ControlProperty()), edit);
}

TEST_F(MessageRoutingTest, RegisteredMessageIsAnsweredWithTheControl) {
  auto* edit = Make<TTestEdit>(form);
  const UINT query = RegisterWindowMessageA(ControlProperty());

  EXPECT_EQ(SendMessageA(edit->Handle(), query, 0, 0), reinterpret_cast<LRESULT>(edit));
  EXPECT_EQ(SendMessageA(form->Handle(), query, 0, 0), reinterpret_cast<LRESULT>(form));
}

TEST_F(MessageRoutingTest, ChildWindowWithoutIdGetsItsHandleAsId) {
  auto* edit = Make<TTestEdit>(form);

  EXPECT_EQ(static_cast<UINT_PTR>(GetDlgCtrlID(edit->Handle())),
            reinterpret_cast<UINT_PTR>(edit->Handle()));
}

TEST_F(MessageRoutingTest, ExceptionInAHandlerIsReportedAndDoesNotEscape) {
  auto* edit = Make<TTestEdit>(form);
  TMessageHook failing(edit, [](TMessage& message, const TControl::MessageHandler& next) {
    if (message.Msg == WM_USER) throw EInvalidOperation("boom in a handler");
    next(message);
  });

  const LRESULT result = SendMessageA(edit->Handle(), WM_USER, 0, 0);

  EXPECT_EQ(result, 0);
  ASSERT_EQ(ReportedExceptions().size(), 1u);
  EXPECT_EQ(ReportedExceptions()[0].sender, edit);
  EXPECT_EQ(ReportedExceptions()[0].message, "boom in a handler");
  ReportedExceptions().clear();
  // The window goes on working.
  EXPECT_TRUE(SetWindowTextA(edit->Handle(), "still alive"));
}

TEST_F(MessageRoutingTest, ExceptionInAClickHandlerIsReportedByTheWindowThatGotTheCommand) {
  auto* button = Make<TTestButton>(form);
  TClickCounter counter;
  button->SetOnClick(MakeEvent<&TClickCounter::Throw>(&counter));

  SendMessageA(button->Handle(), BM_CLICK, 0, 0);

  ASSERT_EQ(ReportedExceptions().size(), 1u);
  EXPECT_EQ(ReportedExceptions()[0].sender, form);
  EXPECT_EQ(ReportedExceptions()[0].message, "boom in a click");
  ReportedExceptions().clear();
}

TEST_F(MessageRoutingTest, GuardedCallReportsWhatItThrowsWithTheSenderAndReturns) {
  RunReported(form, [] { throw EInvalidOperation("boom in a guarded call"); });

  ASSERT_EQ(ReportedExceptions().size(), 1u);
  EXPECT_EQ(ReportedExceptions()[0].sender, form);
  EXPECT_EQ(ReportedExceptions()[0].message, "boom in a guarded call");
  ReportedExceptions().clear();
}

TEST_F(MessageRoutingTest, ReportThatFailsItselfDoesNotEscapeTheGuard) {
  struct FailingHost final : TApplicationHost {
    void ControlDestroyed(TControl*) override {}
    bool ClickIntoDisabledWindow() override { return false; }
    void ReportException(TObject*) override {
      ++asked;
      throw EInvalidOperation("the report failed");
    }
    int asked = 0;
  } failing;
  TApplicationHost* previous = SetApplicationHost(&failing);
  const Finally restore([previous] { SetApplicationHost(previous); });

  // Escaping, the report's error would end the program here (the guard lets nothing out).
  RunReported(form, [] { throw EInvalidOperation("boom in a guarded call"); });

  EXPECT_EQ(failing.asked, 1);
}

TEST_F(MessageRoutingTest, ContextMenuAnsweredByTheParentStopsThere) {
  auto* edit = Make<TTestEdit>(form);
  // The parent answers every context menu itself.
  int offered = 0;
  TMessageHook answer(form, [&](TMessage& message, const TControl::MessageHandler& next) {
    if (message.Msg != WM_CONTEXTMENU) return next(message);
    ++offered;
    message.Result = 1;
  });
  TMessageSpy spy(edit);

  // Had the edit's own window procedure seen it, it would have opened its menu.
  const LRESULT result = SendMessageA(edit->Handle(), WM_CONTEXTMENU,
                                      reinterpret_cast<WPARAM>(edit->Handle()), MAKELPARAM(-1, -1));

  EXPECT_EQ(result, 1);
  EXPECT_EQ(offered, 1);
  EXPECT_EQ(spy.Count(WM_CONTEXTMENU), 1);
}

TEST_F(MessageRoutingTest, MouseMessageOverAPlainChildGoesToThatChild) {
  auto* plain = Make<TTestPlain>(form, 20, 30, 50, 40);
  TMessageSpy spy(plain);

  SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(25, 36));

  ASSERT_EQ(spy.Count(WM_MOUSEMOVE), 1);
  EXPECT_EQ(spy.seen.back().LParam, MAKELPARAM(5, 6));
}

TEST_F(MessageRoutingTest, LeftClickOnAPlainChildCapturesTheMouseAndClicksIt) {
  auto* plain = Make<TTestPlain>(form, 20, 30, 50, 40);
  TClickCounter counter;
  plain->SetOnClick(MakeEvent<&TClickCounter::Clicked>(&counter));

  SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 36));
  EXPECT_EQ(CaptureControl(), plain);
  EXPECT_TRUE(plain->ControlStateOf().Contains(ControlState::LButtonDown));
  // Captured, the child also gets what happens outside it.
  SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(30, 40));

  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(plain->ControlStateOf().Contains(ControlState::LButtonDown));
}

TEST_F(MessageRoutingTest, ButtonReleasedOutsideThePlainChildDoesNotClick) {
  auto* plain = Make<TTestPlain>(form, 20, 30, 50, 40);
  TClickCounter counter;
  plain->SetOnClick(MakeEvent<&TClickCounter::Clicked>(&counter));

  SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 36));
  SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 200));

  EXPECT_EQ(counter.count, 0);
}

TEST_F(MessageRoutingTest, CancelModeReachesThePlainChildHoldingTheCapture) {
  auto* plain = Make<TTestPlain>(form, 20, 30, 50, 40);
  SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 36));
  TMessageSpy spy(plain);

  SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);

  EXPECT_EQ(spy.Count(WM_CANCELMODE), 1);
  ReleaseCapture();
}

TEST_F(MessageRoutingTest, DoubleClickWithoutTheDoubleClickStyleArrivesAsButtonDown) {
  auto* plain = Make<TTestPlain>(form, 20, 30, 50, 40);
  plain->SetControlStyle(plain->ControlStyleOf() - TControlStyle{ControlStyle::DoubleClicks});

  plain->DeliverMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));

  // The button-down handling ran: a click is pending.
  EXPECT_TRUE(plain->ControlStateOf().Contains(ControlState::Clicked));
  SetCaptureControl(nullptr);
}

TEST_F(MessageRoutingTest, SystemSettingAndColourChangesReachTheControlAsItsNotifications) {
  auto* edit = Make<TTestEdit>(form);
  TMessageSpy spy(edit);

  SendMessageA(edit->Handle(), WM_WININICHANGE, 0, 0);
  SendMessageA(edit->Handle(), WM_SYSCOLORCHANGE, 0, 0);

  EXPECT_EQ(spy.Count(FWM_SETTINGSCHANGED), 1);
  EXPECT_EQ(spy.Count(FWM_SYSCOLORCHANGED), 1);
}

TEST_F(MessageRoutingTest, SystemFontChangeReachesGrandchildren) {
  auto* panel = Make<TTestPanel>(form, 0, 0, 200, 100);
  auto* plain = Make<TTestPlain>(panel);
  TMessageSpy spy(plain);

  form->DeliverMessage(FWM_SYSFONTCHANGED);

  EXPECT_EQ(spy.Count(FWM_SYSFONTCHANGED), 1);
}

TEST_F(MessageRoutingTest, WindowFindsItsControlWithoutReadingItsProperties) {
  auto* button = Make<TTestButton>(form);
  TClickCounter counter;
  button->SetOnClick(MakeEvent<&TClickCounter::Clicked>(&counter));
  // Reading a property is a round trip to the window system for every message; with every
  // property gone, only the framework's own record can lead to the controls.
  for (HWND window : {form->Handle(), button->Handle()}) {
    std::vector<std::string> names;
    EnumPropsExA(window, &CollectPropertyName, reinterpret_cast<LPARAM>(&names));
    for (const std::string& name : names)
      RemovePropA(window, name[0] == '#' ? MAKEINTATOM(std::stoi(name.substr(1))) : name.c_str());
    ASSERT_EQ(GetPropA(window, ControlProperty()), nullptr);
    ASSERT_EQ(GetPropA(window, ProcessProperty()), nullptr);
  }
  const UINT query = RegisterWindowMessageA(ControlProperty());

  SendMessageA(button->Handle(), BM_CLICK, 0, 0);

  EXPECT_EQ(counter.count, 1);
  EXPECT_EQ(TWinControl::FromWindow(button->Handle()), button);
  EXPECT_EQ(SendMessageA(button->Handle(), query, 0, 0), reinterpret_cast<LRESULT>(button));
}

// A window of no class of ours, to bind an entry to.
HWND MakePopup() {
  return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST(WindowEntryTest, BindingLeavesNoGlobalAtomBehind) {
  InitWindowProperties();
  HWND window = MakePopup();
  ASSERT_NE(window, nullptr);
  WindowEntry entry;
  entry.Bind(window);
  WindowEntry::Unbind(window);
  DestroyWindow(window);
  ASSERT_NE(GlobalFindAtomA(ProcessPropertyName().c_str()), 0) << "the properties' atoms are made";

  ReleaseWindowProperties();

  // A global atom left behind outlives the process. (The control property's name is also the
  // registered message's, which Wine 8.0 keeps in the same table for as long as the session
  // lasts, so only the process property's atom can be seen to go.)
  const bool left = GlobalFindAtomA(ProcessPropertyName().c_str()) != 0;
  InitWindowProperties();
  EXPECT_FALSE(left);
}

// Passes every message on to the procedure it replaced, except the window's last one.
WNDPROC g_replaced = nullptr;
LRESULT CALLBACK SwallowLastMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCDESTROY) return 0;
  return CallWindowProcA(g_replaced, window, msg, wParam, lParam);
}

TEST(WindowEntryTest, DestroyedWindowLeavesNoBindingForTheNextWindowWithItsHandle) {
  for (const bool swallowed : {false, true}) {
    SCOPED_TRACE(swallowed ? "last message swallowed by a later subclasser" : "plain");
    HWND window = MakePopup();
    ASSERT_NE(window, nullptr);
    WindowEntry entry;
    entry.Bind(window);
    ASSERT_EQ(WindowEntry::Of(window), &entry);
    if (swallowed)
      g_replaced = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SwallowLastMessage)));

    DestroyWindow(window);

    EXPECT_EQ(WindowEntry::Of(window), nullptr);
  }
}

TEST(WindowEntryTest, EntryGoneLeavesNoBindingBehind) {
  HWND window = MakePopup();
  ASSERT_NE(window, nullptr);
  {
    WindowEntry entry;
    entry.Bind(window);
  }
  EXPECT_EQ(WindowEntry::Of(window), nullptr);
  DestroyWindow(window);
}

// While a control's window is being made, before its first message: a window of the same
// class that the framework did not make (so bound to nothing) gets a message.
HWND g_stray = nullptr;
LRESULT CALLBACK MessageTheStrayWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_stray && reinterpret_cast<HWND>(wParam) != g_stray)
    SendMessageA(g_stray, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("stray"));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MessageRoutingTest, OnlyTheWindowBeingMadeClaimsTheCreationSlot) {
  Make<TTestButton>(form)->HandleNeeded();  // registers the class
  g_stray = CreateWindowExA(0, "TTestButton", "", WS_CHILD, 0, 0, 10, 10, form->Handle(), nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(g_stray, nullptr);
  ASSERT_EQ(WindowEntry::Of(g_stray), nullptr);
  // Hidden, so that joining the form makes no window yet.
  auto* button = New<TTestButton>(form);
  button->SetVisible(false);
  button->SetParentControl(form);
  ASSERT_FALSE(button->HandleAllocated());
  HHOOK hook = SetWindowsHookExA(WH_CBT, &MessageTheStrayWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);

  button->HandleNeeded();
  UnhookWindowsHookEx(hook);

  EXPECT_NE(button->Handle(), g_stray);
  EXPECT_EQ(WindowEntry::Of(g_stray), nullptr) << "the stray window took the button's entry";
  EXPECT_EQ(TWinControl::FromWindow(button->Handle()), button);
  DestroyWindow(std::exchange(g_stray, nullptr));
}

}  // namespace
}  // namespace sx::testing
