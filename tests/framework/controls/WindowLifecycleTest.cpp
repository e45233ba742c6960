// A windowed control's window from its class to its destruction: the registered class,
// the styles, the place in the z-order, creation when the window is needed, destruction
// with the text kept, the errors on the way, and controls read from a definition.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/controls/SystemError.h"
#include "framework/graphics/CursorsWin32.h"
#include "framework/graphics/Graphics.h"
#include "framework/runtime/Exception.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/framework/controls/ControlTestSupport.h"
#include "tests/support/Raised.h"
#include "tests/support/StreamBuilder.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {

// A control of our own class, whose name another class has taken before.
class TStaleControl : public TWinControl {
  SX_CLASS(TStaleControl)
  using TWinControl::TWinControl;
};

constinit const ClassInfo TStaleControl::StaticClass{
    .name = "TStaleControl",
    .parent = &TWinControl::StaticClass,
};

// A control built on a system class that does not exist.
class TMissingSystemClass : public TWinControl {
  SX_CLASS(TMissingSystemClass)
  using TWinControl::TWinControl;

 protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    CreateSubClass(params, "SxNoSuchSystemClass");
  }
};

constinit const ClassInfo TMissingSystemClass::StaticClass{
    .name = "TMissingSystemClass",
    .parent = &TWinControl::StaticClass,
};

namespace {

std::vector<std::string> Only(const std::vector<std::string>& log, std::string_view suffix) {
  std::vector<std::string> kept;
  for (const std::string& entry : log)
    if (entry.size() >= suffix.size() && entry.ends_with(suffix)) kept.push_back(entry);
  return kept;
}

// Reads a definition of the host whose children `children` writes.
void LoadHost(TComponent* host, const std::function<void(StreamBuilder&)>& children) {
  StreamBuilder definition;
  definition.Signature().Object("TTestForm", "Host").End();
  children(definition);
  definition.End();
  TCustomMemoryStream stream(definition.Bytes());
  TReader reader(stream);
  reader.LoadRoot(host);
}

// Counts what reaches the system's cursor loader; null stands for a system without the
// cursor.
int g_cursorLoads = 0;
bool g_cursorsMissing = false;
HCURSOR WINAPI CountingCursorLoader(HINSTANCE module, LPCSTR name) {
  ++g_cursorLoads;
  return g_cursorsMissing ? nullptr : LoadCursorA(module, name);
}

class WindowLifecycleTest : public ControlTest {
 protected:
  // A child that stays without a window until asked.
  template <class T>
  T* MakeHidden(TWinControl* parent) {
    T* control = New<T>(form);
    control->SetVisible(false);
    control->ChangeBounds(8, 8, 75, 25);
    control->SetParentControl(parent);
    return control;
  }
};

// --- Window classes and styles ----------------------------------------------------------------

TEST_F(WindowLifecycleTest, SystemClassIsCopiedUnderTheControlsNameWithAdjustedStyle) {
  auto* button = Make<TTestButton>(form);
  WNDCLASSA own{};
  WNDCLASSA system{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TTestButton", &own));
  ASSERT_TRUE(GetClassInfoA(nullptr, "BUTTON", &system));

  EXPECT_EQ(WindowClass(button->Handle()), "TTestButton");
  EXPECT_EQ(own.style, (system.style & ~(CS_GLOBALCLASS | CS_OWNDC | CS_CLASSDC | CS_PARENTDC)) |
                           CS_VREDRAW | CS_HREDRAW);
  EXPECT_EQ(button->DefWndProc(), system.lpfnWndProc);
  // The window behaves as the system's button.
  EXPECT_TRUE(SendMessageA(button->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_BUTTON);
}

TEST_F(WindowLifecycleTest, OwnClassHasTheDefaultStyleTheArrowAndNoBackground) {
  auto* panel = Make<TTestPanel>(form);
  WNDCLASSA own{};
  ASSERT_TRUE(panel->HandleAllocated());
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TTestPanel", &own));

  EXPECT_EQ(own.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
  EXPECT_EQ(own.hCursor, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(own.hbrBackground, nullptr);
}

TEST_F(WindowLifecycleTest, StaleClassOfTheSameNameIsReplaced) {
  WNDCLASSA stale{};
  stale.lpfnWndProc = &DefWindowProcA;
  stale.hInstance = GetModuleHandleA(nullptr);
  stale.lpszClassName = "TStaleControl";
  ASSERT_TRUE(RegisterClassA(&stale));

  auto* control = Make<TStaleControl>(form);

  ASSERT_TRUE(control->HandleAllocated());
  EXPECT_EQ(TWinControl::FromWindow(control->Handle()), control);
}

// --- The shared cursor ------------------------------------------------------------------------

TEST_F(WindowLifecycleTest, ArrowIsLoadedOnceForEveryControlsWindow) {
  const CursorLoader system = SetCursorLoader(&CountingCursorLoader);
  g_cursorLoads = 0;

  Make<TTestButton>(form);
  Make<TTestEdit>(form);
  Make<TTestPanel>(form);

  EXPECT_EQ(g_cursorLoads, 1);
  EXPECT_EQ(SystemCursor(IDC_ARROW), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(g_cursorLoads, 1);
  SetCursorLoader(system);
}

TEST(SystemCursorTest, CursorTheSystemCouldNotLoadIsAskedForAgain) {
  const CursorLoader system = SetCursorLoader(&CountingCursorLoader);
  g_cursorLoads = 0;
  g_cursorsMissing = true;

  EXPECT_EQ(SystemCursor(IDC_HELP), nullptr);
  g_cursorsMissing = false;
  EXPECT_NE(SystemCursor(IDC_HELP), nullptr);

  EXPECT_EQ(g_cursorLoads, 2);
  SetCursorLoader(system);
}

TEST_F(WindowLifecycleTest, WindowStylesFollowTheControl) {
  auto* panel = Make<TTestPanel>(form);
  auto* edit = New<TTestEdit>(form);
  edit->SetEnabled(false);
  edit->SetParentControl(form);

  const LONG panelStyle = GetWindowLongA(panel->Handle(), GWL_STYLE);
  const LONG editStyle = GetWindowLongA(edit->Handle(), GWL_STYLE);

  EXPECT_EQ(panelStyle & (WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
            WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  EXPECT_TRUE(GetWindowLongA(panel->Handle(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  EXPECT_FALSE(panelStyle & (WS_TABSTOP | WS_DISABLED));
  EXPECT_EQ(editStyle & (WS_DISABLED | WS_TABSTOP | WS_CLIPCHILDREN), WS_DISABLED | WS_TABSTOP);
}

// --- Z-order ----------------------------------------------------------------------------------

TEST_F(WindowLifecycleTest, NewWindowGoesBehindTheFirstLaterSiblingWithAWindow) {
  auto* first = MakeHidden<TTestButton>(form);
  auto* second = MakeHidden<TTestButton>(form);
  auto* third = MakeHidden<TTestButton>(form);

  third->HandleNeeded();
  first->HandleNeeded();
  second->HandleNeeded();

  EXPECT_EQ(GetWindow(third->Handle(), GW_HWNDNEXT), second->Handle());
  EXPECT_EQ(GetWindow(second->Handle(), GW_HWNDNEXT), first->Handle());
}

TEST_F(WindowLifecycleTest, WindowMadeToBeShownAtOnceGoesBehindTheFirstLaterSibling) {
  // Such a window is placed by the call that shows it; a container's children are made
  // between the two and must not change where it goes.
  auto* first = MakeHidden<TTestButton>(form);
  auto* panel = MakeHidden<TTestPanel>(form);
  auto* inside = Make<TTestEdit>(panel);
  auto* third = MakeHidden<TTestButton>(form);
  third->HandleNeeded();
  first->HandleNeeded();

  panel->SetVisible(true);

  EXPECT_EQ(GetWindow(third->Handle(), GW_HWNDNEXT), panel->Handle());
  EXPECT_EQ(GetWindow(panel->Handle(), GW_HWNDNEXT), first->Handle());
  EXPECT_TRUE(IsWindowVisible(inside->Handle()));
}

TEST_F(WindowLifecycleTest, StoredChildPositionMovesTheWindowInTheZOrder) {
  auto* first = Make<TTestButton>(form);
  auto* second = Make<TTestButton>(form);
  auto* third = Make<TTestButton>(form);

  form->SetChildPosition(third, 0);

  EXPECT_EQ(form->WindowedChildren(), (std::vector<TWinControl*>{third, first, second}));
  EXPECT_EQ(GetWindow(first->Handle(), GW_HWNDNEXT), third->Handle());
}

// --- Creation on demand -----------------------------------------------------------------------

TEST_F(WindowLifecycleTest, InvisibleChildGetsNoWindowUntilItIsShown) {
  auto* edit = MakeHidden<TTestEdit>(form);
  EXPECT_FALSE(edit->HandleAllocated());

  edit->SetVisible(true);

  ASSERT_TRUE(edit->HandleAllocated());
  EXPECT_TRUE(edit->Showing());
  EXPECT_TRUE(IsWindowVisible(edit->Handle()));
}

TEST_F(WindowLifecycleTest, ContainerShownMakesItsWindowThenItsChildrensInOrder) {
  auto* panel = MakeHidden<TTestPanel>(form);
  auto* first = Make<TTestEdit>(panel);
  auto* second = Make<TTestEdit>(panel);
  ASSERT_FALSE(first->HandleAllocated());
  std::vector<std::string> log;
  TMessageLog panelLog(panel, log, "panel");
  TMessageLog firstLog(first, log, "first");
  TMessageLog secondLog(second, log, "second");

  panel->SetVisible(true);

  EXPECT_EQ(Only(log, ":1"), (std::vector<std::string>{"panel:1", "first:1", "second:1"}));
  EXPECT_TRUE(IsWindowVisible(second->Handle()));
}

// The children of a container shown at once are shown before the container itself is on the
// screen, and leave their erasing until it is; they must still be erased and painted then.
TEST_F(WindowLifecycleTest, ChildShownInsideAHiddenContainerIsErasedOnceTheContainerShows) {
  auto* panel = MakeHidden<TTestPanel>(form);
  auto* inside = Make<TTestPanel>(panel);
  TMessageSpy spy(inside);

  panel->SetVisible(true);
  UpdateWindow(form->Handle());

  EXPECT_GE(spy.Count(WM_ERASEBKGND), 1);
  RECT update{};
  EXPECT_FALSE(GetUpdateRect(inside->Handle(), &update, FALSE));
}

TEST_F(WindowLifecycleTest, AskingForTheHandleMakesTheParentsWindowFirst) {
  auto* panel = MakeHidden<TTestPanel>(form);
  auto* edit = Make<TTestEdit>(panel);

  HWND window = edit->Handle();

  ASSERT_TRUE(panel->HandleAllocated());
  EXPECT_EQ(GetParent(window), panel->Handle());
  EXPECT_FALSE(panel->Showing());
}

TEST_F(WindowLifecycleTest, ShowingFailureSetsShowingBackAndTheErrorGoesOn) {
  auto* edit = MakeHidden<TTestEdit>(form);
  TMessageHook failing(edit, [](TMessage& message, const TControl::MessageHandler& next) {
    if (message.Msg == FWM_SHOWINGCHANGED) throw EInvalidOperation("cannot show");
    next(message);
  });

  EXPECT_THROW(edit->SetVisible(true), EInvalidOperation);

  EXPECT_TRUE(edit->HandleAllocated());
  EXPECT_FALSE(edit->Showing());
}

TEST_F(WindowLifecycleTest, ControlEmbeddedInAForeignWindowShowsThere) {
  HWND frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  auto* panel = New<TTestPanel>(nullptr);
  panel->ChangeBounds(5, 6, 100, 50);

  panel->SetParentWindow(frame);

  ASSERT_TRUE(panel->Showing());
  EXPECT_EQ(GetParent(panel->Handle()), frame);
  EXPECT_EQ(panel->Left(), 5);
  panel->Free();
  DestroyWindow(frame);
}

// --- Destruction ------------------------------------------------------------------------------

TEST_F(WindowLifecycleTest, DestructionDestroysChildrenLastToFirstAndKeepsTheText) {
  auto* panel = Make<TTestPanel>(form, 0, 0, 200, 100);
  panel->SetName("Panel1");
  Make<TTestPlain>(panel)->SetName("Plain1");
  auto* first = Make<TTestEdit>(panel);
  first->SetName("Edit1");
  auto* second = Make<TTestEdit>(panel);
  second->SetName("Edit2");
  SetWindowTextA(panel->Handle(), "panel text");
  HWND panelWindow = panel->Handle();
  HWND editWindow = second->Handle();
  TearDownLog().clear();

  panel->Free();

  std::vector<std::string> started;
  for (const std::string& entry : TearDownLog())
    if (entry.find(' ') == std::string::npos) started.push_back(entry);
  EXPECT_EQ(started, (std::vector<std::string>{"Panel1", "Edit2", "Edit1", "Plain1"}));
  EXPECT_EQ(TearDownLog().back(), "Panel1 text=panel text");
  EXPECT_FALSE(IsWindow(panelWindow));
  EXPECT_FALSE(IsWindow(editWindow));
  EXPECT_EQ(form->ChildCount(), 0);
  EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(WindowLifecycleTest, DestroyedChildLeavesItsParentAndItsFocusGoes) {
  auto* edit = Make<TTestEdit>(form);

  edit->Free();

  EXPECT_EQ(form->ChildCount(), 0);
  EXPECT_TRUE(form->TabList().empty());
  ASSERT_FALSE(form->defocused.empty());
  EXPECT_TRUE(form->defocused[0].removing);
}

// --- The form a control stands on -----------------------------------------------------------

TEST_F(WindowLifecycleTest, ControlInsideAPanelAsksTheFormThePanelStandsOn) {
  auto* edit = Make<TTestEdit>(Make<TTestPanel>(form));
  form->pixelsPerInch = 2 * ScreenPixelsPerInch();

  EXPECT_EQ(FormHostOf(edit), static_cast<TFormHost*>(form));
  EXPECT_EQ(GetParentForm(edit), form);
  EXPECT_EQ(PixelsPerInchOf(edit), 2 * ScreenPixelsPerInch());
}

TEST_F(WindowLifecycleTest, ControlInAContainerOnNoFormHasNoFormAndTheScreensResolution) {
  auto* edit = Make<TTestEdit>(New<TTestPanel>(form));
  form->pixelsPerInch = 2 * ScreenPixelsPerInch();

  EXPECT_EQ(FormHostOf(edit), nullptr);
  EXPECT_EQ(GetParentForm(edit), nullptr);
  EXPECT_EQ(PixelsPerInchOf(edit), ScreenPixelsPerInch());
}

// --- Errors -----------------------------------------------------------------------------------

TEST_F(WindowLifecycleTest, ChildWindowWithoutAParentWindowIsRefused) {
  auto* orphan = New<TTestEdit>(form);
  orphan->SetName("Orphan");

  EXPECT_EQ(Raised([&] { orphan->HandleNeeded(); }),
            "EInvalidOperation: Control 'Orphan' has no parent window");
  EXPECT_FALSE(orphan->HandleAllocated());
}

TEST_F(WindowLifecycleTest, FocusWithoutAFormOrParentWindowIsRefused) {
  auto* orphan = New<TTestEdit>(form);
  orphan->SetName("Orphan");

  EXPECT_THROW(orphan->SetFocus(), EInvalidOperation);
}

TEST_F(WindowLifecycleTest, WindowCreationFailureRaisesTheSystemError) {
  auto* panel = New<TTestPanel>(nullptr);
  try {
    panel->SetParentWindow(reinterpret_cast<HWND>(0x0BAD0000));
    ADD_FAILURE() << "no error";
  } catch (const EOSError& e) {
    ASSERT_NE(e.ErrorCode(), 0u);
    const std::string systemText = SystemErrorMessage(e.ErrorCode());
    ASSERT_FALSE(systemText.empty());
    EXPECT_EQ(e.Message(),
              "System Error.  Code: " + std::to_string(e.ErrorCode()) + ".\r\n" + systemText);
  }
  EXPECT_FALSE(panel->HandleAllocated());
  panel->Free();
}

TEST_F(WindowLifecycleTest, MissingSystemClassRaisesTheSystemError) {
  auto* control = New<TMissingSystemClass>(form);

  try {
    control->SetParentControl(form);
    ADD_FAILURE() << "no error";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<unsigned long>(ERROR_CLASS_DOES_NOT_EXIST));
  }
  EXPECT_FALSE(control->HandleAllocated());
}

TEST(SystemErrorTest, KnownCodeGivesTheSystemsMessageWithoutTheLineBreak) {
  try {
    RaiseOSError(ERROR_ACCESS_DENIED);
  } catch (const EOSError& e) {
    const std::string prefix = "System Error.  Code: 5.\r\n";
    ASSERT_EQ(e.Message().substr(0, prefix.size()), prefix);
    EXPECT_GT(e.Message().size(), prefix.size());
    EXPECT_NE(e.Message().back(), '\n');
    EXPECT_NE(e.Message().back(), '\r');
  }
}

TEST(SystemErrorTest, CodeWithoutAMessageSaysACallFailed) {
  for (DWORD code : {DWORD{0}, DWORD{0x20001234}}) {
    try {
      RaiseOSError(code);
    } catch (const EOSError& e) {
      EXPECT_EQ(e.Message(), "A call to an OS function failed");
      EXPECT_EQ(e.ErrorCode(), code);
    }
  }
}

// --- Read from a definition -------------------------------------------------------------------

TEST_F(WindowLifecycleTest, ControlReadWithoutAFontEndsWithItsParentsFont) {
  form->Font()->SetHeight(-20);

  LoadHost(form, [](StreamBuilder& children) {
    children.Object("TTestEdit", "Edit1").Name("Left").Int(8).End().End();
    children.Object("TTestEdit", "Edit2").Name("Font.Height").Int(-11).End().End();
  });

  auto* inheriting = static_cast<TTestEdit*>(form->FindOwned("Edit1"));
  auto* own = static_cast<TTestEdit*>(form->FindOwned("Edit2"));
  ASSERT_TRUE(inheriting && own);
  EXPECT_EQ(inheriting->Parent(), form);
  EXPECT_EQ(inheriting->Font()->Height(), -20);
  EXPECT_TRUE(inheriting->ParentFont());
  EXPECT_EQ(own->Font()->Height(), -11);
  EXPECT_FALSE(own->ParentFont());
}

TEST_F(WindowLifecycleTest, ColourReadFromTheDefinitionIsKept) {
  form->SetColor(clBtnFace);

  LoadHost(form, [](StreamBuilder& children) {
    children.Object("TTestEdit", "Edit1").Name("Color").Ident("clred").End().End();
    children.Object("TTestEdit", "Edit2").End().End();
  });

  EXPECT_EQ(static_cast<TControl*>(form->FindOwned("Edit1"))->Color(), clRed);
  EXPECT_EQ(static_cast<TControl*>(form->FindOwned("Edit2"))->Color(), clBtnFace);
}

TEST_F(WindowLifecycleTest, TwoEqualStoredTabOrdersTheLaterOneGetsTheIndex) {
  LoadHost(form, [](StreamBuilder& children) {
    children.Object("TTestEdit", "Edit1").Name("TabOrder").Int(1).End().End();
    children.Object("TTestEdit", "Edit2").Name("TabOrder").Int(1).End().End();
    children.Object("TTestEdit", "Edit3").Name("TabOrder").Int(0).End().End();
  });

  auto* edit1 = static_cast<TWinControl*>(form->FindOwned("Edit1"));
  auto* edit2 = static_cast<TWinControl*>(form->FindOwned("Edit2"));
  auto* edit3 = static_cast<TWinControl*>(form->FindOwned("Edit3"));
  EXPECT_EQ(form->TabList(), (std::vector<TWinControl*>{edit3, edit2, edit1}));
  EXPECT_EQ(edit1->TabOrder(), 2);
}

TEST_F(WindowLifecycleTest, ControlReadFromADefinitionIsNotifiedInOrderAfterReading) {
  LoadHost(form, [](StreamBuilder& children) {
    children.Object("TTestPanel", "Panel1").Name("Left").Int(4).End().End();
  });

  auto* panel = static_cast<TTestPanel*>(form->FindOwned("Panel1"));
  ASSERT_TRUE(panel);
  const std::vector<UINT> expected = {FWM_PARENTCOLORCHANGED,    FWM_PARENTFONTCHANGED,
                                      FWM_PARENTSHOWHINTCHANGED, FWM_SYSFONTCHANGED,
                                      FWM_PARENTBIDICHANGED,     FWM_PARENTCTL3DCHANGED};
  // Joining the parent before reading sends most of them too, but not FWM_SYSFONTCHANGED.
  const auto& seen = panel->notifications;
  EXPECT_NE(std::search(seen.begin(), seen.end(), expected.begin(), expected.end()), seen.end())
      << ::testing::PrintToString(seen);
  EXPECT_TRUE(panel->Showing());
  EXPECT_EQ(panel->Left(), 4);
}

TEST_F(WindowLifecycleTest, NamingWhileReadingLeavesTheCaptionAlone) {
  LoadHost(form, [](StreamBuilder& children) {
    children.Object("TTestPlain", "Label1").End().End();
    children.Object("TTestPlain", "Label2").Name("Caption").String("Hours").End().End();
  });

  EXPECT_EQ(static_cast<TControl*>(form->FindOwned("Label1"))->Caption(), "");
  EXPECT_EQ(static_cast<TControl*>(form->FindOwned("Label2"))->Caption(), "Hours");
}

}  // namespace
}  // namespace sx::testing
