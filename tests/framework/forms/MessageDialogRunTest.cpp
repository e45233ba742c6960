// Running the message dialog: the keys and clicks that end it, what it does to the other
// windows, its copy short-cut and its help button.

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>

#include "framework/controls/Button.h"
#include "framework/controls/Label.h"
#include "framework/forms/MessageDialog.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

// Acts on the dialog from inside its modal loop: a timer looks for the running dialog and,
// once its OK or first button has the focus, runs the action once. Should the dialog still
// be up long after that, the timer closes it, so that a failing test cannot hang.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(TMessageForm*)> action) : action_(std::move(action)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, &Tick);
  }
  ~DialogDriver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool acted = false;
  bool forcedClose = false;

 private:
  static TMessageForm* RunningDialog() {
    for (int i = 0; i < Screen->CustomFormCount(); ++i) {
      TCustomForm* form = Screen->CustomForm(i);
      if (form->InheritsFrom(TMessageForm::StaticClass) && form->Modal() &&
          form->HandleAllocated() && IsWindowVisible(form->Handle()))
        return static_cast<TMessageForm*>(form);
    }
    return nullptr;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* self = current_;
    if (!self) return;
    TMessageForm* dialog = RunningDialog();
    if (!dialog) return;
    if (!self->acted) {
      // Keys go to the focused control, so the focus must have settled first.
      const HWND focus = GetFocus();
      if (!focus || !IsChild(dialog->Handle(), focus)) return;
      self->acted = true;
      self->actedAt_ = GetTickCount();
      self->action_(dialog);
      return;
    }
    if (GetTickCount() - self->actedAt_ > 5000 && !self->forcedClose) {
      self->forcedClose = true;
      PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
    }
  }

  static inline DialogDriver* current_ = nullptr;
  std::function<void(TMessageForm*)> action_;
  UINT_PTR timer_ = 0;
  DWORD actedAt_ = 0;
};

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return "<clipboard not open>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TButton* ButtonOf(TMessageForm* form, const char* name) {
  return static_cast<TButton*>(form->FindOwned(name));
}

int MessageFormsOnScreen() {
  int count = 0;
  for (int i = 0; i < Screen->CustomFormCount(); ++i)
    count += Screen->CustomForm(i)->InheritsFrom(TMessageForm::StaticClass) ? 1 : 0;
  return count;
}

class MessageDialogRunTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Application->SetTitle("Sonderix");
    Application->CreateOwnedForm(main_);
    main_->Show();
    PumpUntil([&] { return GetActiveWindow() == main_->Handle(); });
  }

  // What the clipboard holds after C is pressed on a plain message with the modifiers held;
  // "before" when nothing was copied.
  static std::string ClipboardAfterPressingC(std::initializer_list<int> modifiers) {
    CopyTextToClipboard("before");
    HeldKeys held(modifiers);
    DialogDriver driver([](TMessageForm* dialog) {
      PostKey(GetFocus(), 'C');
      PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
    });
    ShowPlainMessage("ExitWindowsEx");
    return ClipboardText();
  }

  TTestForm* main_ = nullptr;
};

TEST_F(MessageDialogRunTest, EachKeyOrClickThatEndsTheRunReturnsItsResult) {
  const auto key = [](WPARAM key) { return [key](TMessageForm*) { PostKey(GetFocus(), key); }; };
  struct Case {
    const char* name;
    TMessageKind kind;
    TDialogButtons buttons;
    std::function<void(TMessageForm*)> action;
    TModalResult result;
  };
  const Case cases[] = {
      {"Enter presses OK", mkCustom, {dbOK}, key(VK_RETURN), 1},
      {"Escape presses OK when it is the only button", mkCustom, {dbOK}, key(VK_ESCAPE), 1},
      {"Escape presses the cancel button", mkConfirmation, {dbYes, dbNo}, key(VK_ESCAPE), 7},
      {"a click on OK returns one",
       mkCustom,
       {dbOK},
       [](TMessageForm* dialog) { PostMessageA(ButtonOf(dialog, "OK")->Handle(), BM_CLICK, 0, 0); },
       1},
      {"the close box returns two",
       mkCustom,
       {dbOK},
       [](TMessageForm* dialog) { PostMessageA(dialog->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogDriver driver(c.action);
    EXPECT_EQ(MessageDialogAt("Go on?", c.kind, c.buttons, 0, -1, -1), c.result);
    EXPECT_FALSE(driver.forcedClose);
  }
}

TEST_F(MessageDialogRunTest, OkHasTheFocusAndIsTheDefaultButton) {
  HWND focus = nullptr;
  HWND ok = nullptr;
  DialogDriver driver([&](TMessageForm* dialog) {
    focus = GetFocus();
    ok = ButtonOf(dialog, "OK")->Handle();
    PostKey(focus, VK_RETURN);
  });
  ShowPlainMessage("Done");
  EXPECT_EQ(focus, ok);
}

TEST_F(MessageDialogRunTest, OtherWindowsAreDisabledWhileItRunsAndActiveAgainAfterwards) {
  bool mainEnabled = true;
  bool appWindowEnabled = true;
  DialogDriver driver([&](TMessageForm* dialog) {
    mainEnabled = IsWindowEnabled(main_->Handle()) != FALSE;
    appWindowEnabled = IsWindowEnabled(Application->Handle()) != FALSE;
    PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
  });
  ShowPlainMessage("Done");
  EXPECT_FALSE(mainEnabled);
  EXPECT_FALSE(appWindowEnabled);
  EXPECT_TRUE(IsWindowEnabled(main_->Handle()));
  EXPECT_TRUE(IsWindowEnabled(Application->Handle()));
  EXPECT_EQ(GetActiveWindow(), main_->Handle());
}

TEST_F(MessageDialogRunTest, DialogIsFreedWhenTheCallReturns) {
  const int owned = Application->ComponentCount();
  DialogDriver driver([](TMessageForm* dialog) { PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0); });
  ShowPlainMessage("Done");
  EXPECT_EQ(MessageFormsOnScreen(), 0);
  EXPECT_EQ(Application->ComponentCount(), owned);
}

TEST_F(MessageDialogRunTest, PlainMessageIsCentredOnTheScreen) {
  RECT shown{};
  std::string caption;
  DialogDriver driver([&](TMessageForm* dialog) {
    GetWindowRect(dialog->Handle(), &shown);
    caption = dialog->Caption();
    PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
  });
  ShowPlainMessage("ExitWindowsEx");
  const int width = shown.right - shown.left;
  const int height = shown.bottom - shown.top;
  EXPECT_EQ(shown.left, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2));
  EXPECT_EQ(shown.top, std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2));
  EXPECT_EQ(caption, "Sonderix");
}

// The screen a dialog is centred on is the monitor's whole area, not the part its taskbar
// leaves.
TEST_F(MessageDialogRunTest, PlainMessageIsCentredOnTheWholeAreaOfTheActiveFormsMonitor) {
  // The real screen as the primary monitor, a taskbar along its bottom; a second monitor to
  // its upper left, at negative coordinates, with a taskbar along its top.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const RECT primary{0, 0, width, height};
  const RECT left{-1024, -300, 0, 468};
  FakeDesktop desktop(
      {{primary, RECT{0, 0, width, height - 40}}, {left, RECT{-1024, -270, 0, 468}}});
  std::string tall;
  for (int line = 0; line < 80; ++line)
    tall += "line\r\n";
  struct Case {
    const char* name;
    RECT mainForm;
    std::string text;
    RECT screen;  // where the dialog is to be centred
  };
  const Case cases[] = {
      {"on the primary monitor", {100, 100, 400, 300}, "Done", primary},
      {"on the monitor at negative coordinates", {-900, -200, -600, 0}, "Done", left},
      {"taller than that monitor: its caption stays on it", {-900, -200, -600, 0}, tall, left},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    main_->ChangeBounds(c.mainForm.left, c.mainForm.top, c.mainForm.right - c.mainForm.left,
                        c.mainForm.bottom - c.mainForm.top);
    RECT shown{};
    DialogDriver driver([&](TMessageForm* dialog) {
      GetWindowRect(dialog->Handle(), &shown);
      PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
    });
    ShowPlainMessage(c.text);
    ASSERT_TRUE(driver.acted);
    const int dialogWidth = shown.right - shown.left;
    const int dialogHeight = shown.bottom - shown.top;
    EXPECT_EQ(shown.left,
              std::max(c.screen.left,
                       c.screen.left + (c.screen.right - c.screen.left - dialogWidth) / 2));
    EXPECT_EQ(
        shown.top,
        std::max(c.screen.top, c.screen.top + (c.screen.bottom - c.screen.top - dialogHeight) / 2));
  }
}

// What a dialog's layout comes to: its client size, the places of its text and of its OK
// button, and its font's height.
struct DialogLayout {
  Bounds client, message, ok;
  LONG fontHeight;
};

DialogLayout LayoutOf(TMessageForm* dialog) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HGDIOBJ>(dialog->Font()->Handle()), sizeof font, &font);
  return {Bounds{0, 0, dialog->ClientWidth(), dialog->ClientHeight()},
          BoundsOf(dialog->Message()->BoundsRect()), BoundsOf(ButtonOf(dialog, "OK")->BoundsRect()),
          font.lfHeight};
}

// On a monitor of twice the screen's resolution (the system's message font is for the
// screen's), the dialog is built as the same dialog in a font of twice the height would be
// on the screen: no message comes to scale it once it opens there.
TEST_F(MessageDialogRunTest, DialogOnAMonitorOfAnotherResolutionIsLaidOutForItFromTheStart) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const int screen = Screen->PixelsPerInch();
  NONCLIENTMETRICSA metrics{};
  ASSERT_TRUE(Desktop().nonClientMetrics(metrics));
  LOGFONTA twice = metrics.lfMessageFont;
  twice.lfHeight *= 2;
  twice.lfWidth *= 2;
  DialogLayout expected{};
  {
    FakeDesktop desktop({});
    desktop.SetMessageFont(twice);
    MessageDialogButtonWidths().fill(0);
    TMessageForm* dialog = BuildMessageDialog("ExitWindowsEx", mkCustom, TDialogButtons{dbOK});
    expected = LayoutOf(dialog);
    dialog->Free();
  }
  FakeDesktop desktop(
      {{RECT{0, 0, width, height}, RECT{0, 0, width, height}},
       {RECT{width, 0, 3 * width, 2 * height}, RECT{width, 0, 3 * width, 2 * height}, 2 * screen}});
  main_->ChangeBounds(width + 100, 100, 600, 400);
  MessageDialogButtonWidths().fill(0);

  TMessageForm* dialog = BuildMessageDialog("ExitWindowsEx", mkCustom, TDialogButtons{dbOK});

  EXPECT_EQ(dialog->PixelsPerInch(), 2 * screen);
  const DialogLayout laidOut = LayoutOf(dialog);
  EXPECT_EQ(laidOut.fontHeight, expected.fontHeight);
  EXPECT_EQ(laidOut.client, expected.client);
  EXPECT_EQ(laidOut.message, expected.message);
  EXPECT_EQ(laidOut.ok, expected.ok);
  dialog->Free();
}

// Made for the monitor it opens on, a dialog whose window the system then sees arrive there
// from another monitor keeps its size, not the one the system suggests for a window that was
// laid out for the other monitor.
TEST_F(MessageDialogRunTest, DialogLaidOutForItsMonitorKeepsItsSizeWhenItsWindowArrives) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const int twice = 2 * Screen->PixelsPerInch();
  FakeDesktop desktop(
      {{RECT{0, 0, width, height}, RECT{0, 0, width, height}},
       {RECT{width, 0, 3 * width, 2 * height}, RECT{width, 0, 3 * width, 2 * height}, twice}});
  main_->ChangeBounds(width + 100, 100, 600, 400);
  TMessageForm* dialog = BuildMessageDialog("ExitWindowsEx", mkCustom, TDialogButtons{dbOK});
  const Bounds before = ScreenBounds(dialog->Handle());
  RECT suggested{before.left, before.top, before.left + 2 * before.width,
                 before.top + 2 * before.height};

  SendMessageA(dialog->Handle(), WM_DPICHANGED, MAKEWPARAM(twice, twice),
               reinterpret_cast<LPARAM>(&suggested));

  EXPECT_EQ(ScreenBounds(dialog->Handle()), before);
  EXPECT_EQ(dialog->PixelsPerInch(), twice);
  dialog->Free();
}

// The widths the process keeps stand for the captions at the screen's resolution; on a
// monitor of twice that, the same caption is drawn twice as wide.
TEST_F(MessageDialogRunTest, CachedButtonWidthGrowsOnAMonitorOfAnotherResolution) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  FakeDesktop desktop({{RECT{0, 0, width, height}, RECT{0, 0, width, height}},
                       {RECT{width, 0, 3 * width, 2 * height},
                        RECT{width, 0, 3 * width, 2 * height}, 2 * Screen->PixelsPerInch()}});
  main_->ChangeBounds(width + 100, 100, 600, 400);
  MessageDialogButtonWidths().fill(0);
  MessageDialogButtonWidths()[dbOK] = 300;

  TMessageForm* dialog = BuildMessageDialog("Done", mkCustom, TDialogButtons{dbOK});

  EXPECT_EQ(ButtonOf(dialog, "OK")->Width(), 600);
  EXPECT_EQ(MessageDialogButtonWidths()[dbOK], 300);
  dialog->Free();
}

TEST_F(MessageDialogRunTest, GivenPlaceIsKept) {
  RECT shown{};
  DialogDriver driver([&](TMessageForm* dialog) {
    GetWindowRect(dialog->Handle(), &shown);
    PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
  });
  ShowPlainMessageAt("Done", 30, 40);
  EXPECT_EQ(shown.left, 30);
  EXPECT_EQ(shown.top, 40);
}

// --- Copy short-cut ---------------------------------------------------------------------------

TEST_F(MessageDialogRunTest, CtrlCCopiesTheDialogAsText) {
  const std::string divider = "---------------------------\r\n";
  EXPECT_EQ(
      ClipboardAfterPressingC({VK_CONTROL}),
      divider + "Sonderix\r\n" + divider + "ExitWindowsEx\r\n" + divider + "OK   \r\n" + divider);
}

TEST_F(MessageDialogRunTest, CtrlShiftCDoesNothing) {
  EXPECT_EQ(ClipboardAfterPressingC({VK_CONTROL, VK_SHIFT}), "before");
}

TEST_F(MessageDialogRunTest, PlainCDoesNothing) {
  EXPECT_EQ(ClipboardAfterPressingC({}), "before");
}

TEST_F(MessageDialogRunTest, CopiedButtonCaptionsLoseTheirAmpersands) {
  TMessageForm* dialog =
      BuildMessageDialog("Go on?", mkConfirmation, TDialogButtons{dbYes, dbNo, dbNoToAll});
  const std::string divider = "---------------------------\r\n";
  EXPECT_EQ(dialog->DialogTextForCopy(), divider + "Confirm\r\n" + divider + "Go on?\r\n" +
                                             divider + "Yes   No   No to All   \r\n" + divider);
  dialog->Free();
}

TEST_F(MessageDialogRunTest, ClipboardHeldElsewhereIsReportedAndTheDialogStays) {
  // Another thread holds the clipboard open for a window of its own, as another program
  // would.
  std::mutex mutex;
  std::condition_variable changed;
  bool opened = false;
  bool release = false;
  std::thread holder([&] {
    HWND owner =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool ok = owner && OpenClipboard(owner) != FALSE;
    {
      std::lock_guard lock(mutex);
      opened = ok;
    }
    changed.notify_all();
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return release; });
    if (ok) CloseClipboard();
    if (owner) DestroyWindow(owner);
  });
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return opened; });
  }

  {
    HeldKeys ctrl{VK_CONTROL};
    struct Later {
      static void CALLBACK Check(HWND window, UINT, UINT_PTR id, DWORD) {
        KillTimer(window, id);
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
    };
    DialogDriver driver([&](TMessageForm* dialog) {
      PostKey(GetFocus(), 'C');
      // Closed a little later, once the key has been handled.
      SetTimer(dialog->Handle(), 1, 200, &Later::Check);
    });
    EXPECT_EQ(MessageDialogAt("Done", mkCustom, TDialogButtons{dbOK}, 0, -1, -1), 2)
        << "the dialog stayed open after the error and was closed by its close box";
    EXPECT_FALSE(driver.forcedClose);
  }
  {
    std::lock_guard lock(mutex);
    release = true;
  }
  changed.notify_all();
  holder.join();

  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "Cannot open clipboard.");
  EXPECT_EQ(RecordedBoxes()[0].caption, "Sonderix");
}

// --- Help button ------------------------------------------------------------------------------

struct HelpRequest {
  int calls = 0;
  std::string file;
  std::int32_t context = 0;
};
HelpRequest g_help;

void RecordHelp(const std::string& file, std::int32_t context) {
  ++g_help.calls;
  g_help.file = file;
  g_help.context = context;
}

TEST_F(MessageDialogRunTest, HelpButtonAsksForTheDialogsHelpAndDoesNotClose) {
  g_help = HelpRequest{};
  const MessageDialogHelpProc previous = SetMessageDialogHelpProc(&RecordHelp);
  DialogDriver driver([](TMessageForm* dialog) {
    PostMessageA(ButtonOf(dialog, "Help")->Handle(), BM_CLICK, 0, 0);
    PostMessageA(ButtonOf(dialog, "OK")->Handle(), BM_CLICK, 0, 0);
  });
  const TModalResult result = MessageDialogAtWithHelp(
      "Done", mkInformation, TDialogButtons{dbOK, dbHelp}, 77, -1, -1, "sonderix.hlp");
  SetMessageDialogHelpProc(previous);
  EXPECT_EQ(result, 1) << "the help click left the dialog open for the OK click";
  EXPECT_EQ(g_help.calls, 1);
  EXPECT_EQ(g_help.file, "sonderix.hlp");
  EXPECT_EQ(g_help.context, 77);
}

}  // namespace
}  // namespace sx::testing
