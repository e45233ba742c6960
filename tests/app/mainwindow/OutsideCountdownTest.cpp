// The countdown of the real sonderix.exe, used from outside as a person would: the time set
// with the spin buttons, Start, Pause and Cancel clicked, the fields read as they change, and
// the ways to close the program.
//
// Every countdown here that may reach zero has the CD door chosen first: without a drive the
// door command returns at once and shows nothing, while any other choice would ask the
// system to end the session.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/app/mainwindow/OutsideProgram.h"

namespace sx::testing {
namespace {

// The windows a countdown is driven through.
struct Countdown {
  explicit Countdown(const Program& program)
      : hours(program.Child("Edit1")),
        minutes(program.Child("Edit2")),
        seconds(program.Child("Edit3")),
        hoursSpin(program.Child("UpDown1")),
        minutesSpin(program.Child("UpDown2")),
        secondsSpin(program.Child("UpDown3")),
        start(program.ChildWithText("TBitBtn", "Старт")),
        pause(program.ChildWithText("TBitBtn", "Пауза")),
        cancel(program.ChildWithText("TBitBtn", "Отмена")),
        openDoor(program.ChildWithText("TButton", "Открыть CD")),
        openDoorChoice(program.ChildWithText("TRadioButton", "Открыть CD-ROM")) {}

  bool Found() const {
    return hours && minutes && seconds && hoursSpin && minutesSpin && secondsSpin && start &&
           pause && cancel && openDoor && openDoorChoice;
  }

  // Chooses opening the door as the action at zero; true once it is the choice.
  bool ChooseDoorOpening() const {
    ClickMiddleOf(openDoorChoice);
    return WaitFor([&] { return SendMessageA(openDoorChoice, BM_GETCHECK, 0, 0) == BST_CHECKED; });
  }

  std::wstring Time() const {
    return TextOf(hours) + L":" + TextOf(minutes) + L":" + TextOf(seconds);
  }

  // Enabled windows of Start, Pause, Cancel and the three spin buttons, as "SPC" and "S"
  // for the spin buttons (a dash for each one disabled).
  std::string Buttons() const {
    std::string shown;
    shown += IsWindowEnabled(start) ? 'S' : '-';
    shown += IsWindowEnabled(pause) ? 'P' : '-';
    shown += IsWindowEnabled(cancel) ? 'C' : '-';
    shown += ' ';
    for (HWND spin : {hoursSpin, minutesSpin, secondsSpin})
      shown += IsWindowEnabled(spin) ? 'S' : '-';
    return shown;
  }

  HWND hours, minutes, seconds;
  HWND hoursSpin, minutesSpin, secondsSpin;
  HWND start, pause, cancel;
  HWND openDoor, openDoorChoice;
};

const std::string kIdle = "S-- SSS";
const std::string kRunning = "-PC ---";
const std::string kStopped = "S-- ---";  // paused or finished

// A change of a field's text seen while watching, with when it was seen.
struct Change {
  std::wstring text;
  DWORD at;
};

class OutsideCountdownTest : public OutsideTest {
 protected:
  void SetUp() override {
    OutsideTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(countdown_.Found()) << "a control of the countdown is missing";
  }

  // The program's error boxes: dialogs of its own captioned with the title.
  std::vector<HWND> ErrorBoxes() const {
    std::vector<HWND> boxes;
    for (HWND box : program_.TopWindows("#32770")) {
      char caption[64] = {};
      GetWindowTextA(box, caption, sizeof caption);
      if (std::string(caption) == "Sonderix") boxes.push_back(box);
    }
    return boxes;
  }

  // Input reaches the program on its own time: wait for the buttons to settle in a state.
  ::testing::AssertionResult ButtonsSettleAt(const std::string& wanted) const {
    if (WaitFor([&] { return countdown_.Buttons() == wanted; }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "buttons read " << countdown_.Buttons() << ", not " << wanted;
  }

  Countdown countdown_{program_};
};

std::string BoxText(HWND box) {
  char text[256] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

TEST_F(OutsideCountdownTest, CountdownSetWithTheSpinButtonsRunsOutOnTheTickAfterZero) {
  ASSERT_TRUE(countdown_.ChooseDoorOpening());
  for (int i = 0; i < 3; ++i)
    ClickUpArrow(countdown_.secondsSpin);
  ASSERT_TRUE(WaitFor([&] { return TextOf(countdown_.seconds) == L"3"; }));

  ClickMiddleOf(countdown_.start);
  const DWORD started = GetTickCount();
  EXPECT_TRUE(ButtonsSettleAt(kRunning));
  std::vector<Change> changes;
  std::wstring last = L"3";
  DWORD finished = 0;
  while (GetTickCount() - started < 15000) {
    const std::wstring now = TextOf(countdown_.seconds);
    if (now != last) changes.push_back({last = now, GetTickCount()});
    if (IsWindowEnabled(countdown_.start)) {
      finished = GetTickCount();
      break;
    }
    Sleep(5);
  }
  ASSERT_NE(finished, 0u) << "the countdown did not finish";
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_TRUE(changes[0].text == L"2" && changes[1].text == L"1" && changes[2].text == L"0");
  // One interval per tick; the action comes one interval after "0", not with it.
  EXPECT_GE(changes[0].at - started, 800u);
  EXPECT_GE(finished - changes[2].at, 800u) << "the countdown finished on the tick showing 0";
  EXPECT_GE(finished - started, 3800u);
  EXPECT_LE(finished - started, 8000u);

  EXPECT_TRUE(ButtonsSettleAt(kStopped));
  EXPECT_TRUE(countdown_.Time() == L"0:0:0");
  EXPECT_TRUE(ErrorBoxes().empty()) << "the door command without a drive shows nothing";
}

TEST_F(OutsideCountdownTest, PauseHoldsTheTimeResumeGoesOnAndCancelSetsZero) {
  ASSERT_TRUE(countdown_.ChooseDoorOpening());
  ClickUpArrow(countdown_.minutesSpin);
  ASSERT_TRUE(WaitFor([&] { return TextOf(countdown_.minutes) == L"1"; }));
  ClickMiddleOf(countdown_.start);
  ASSERT_TRUE(WaitFor([&] { return countdown_.Time() == L"0:0:59"; }));

  ClickMiddleOf(countdown_.pause);
  EXPECT_TRUE(ButtonsSettleAt(kStopped));
  const std::wstring paused = countdown_.Time();
  // Neither a tick nor a spin button moves the time while paused.
  ClickUpArrow(countdown_.secondsSpin);
  Sleep(1500);
  EXPECT_TRUE(countdown_.Time() == paused);

  // The period starts afresh: the next second goes one full interval after Start.
  ClickMiddleOf(countdown_.start);
  const DWORD resumedAt = GetTickCount();
  EXPECT_TRUE(ButtonsSettleAt(kRunning));
  EXPECT_TRUE(WaitFor([&] { return countdown_.Time() != paused; }, 3000))
      << "the countdown did not go on";
  EXPECT_GE(GetTickCount() - resumedAt, 800u);
  const int pausedSeconds = std::stoi(paused.substr(paused.rfind(L':') + 1));
  EXPECT_TRUE(countdown_.Time() == L"0:0:" + std::to_wstring(pausedSeconds - 1));

  ClickMiddleOf(countdown_.cancel);
  EXPECT_TRUE(ButtonsSettleAt(kIdle));
  EXPECT_TRUE(countdown_.Time() == L"0:0:0");
  Sleep(1200);
  EXPECT_TRUE(countdown_.Time() == L"0:0:0") << "a tick came after Cancel";
  // A new time can be set again.
  ClickUpArrow(countdown_.secondsSpin);
  EXPECT_TRUE(WaitFor([&] { return TextOf(countdown_.seconds) == L"1"; }));
}

TEST_F(OutsideCountdownTest, OpeningTheDoorDuringACountdownLeavesItRunning) {
  ASSERT_TRUE(countdown_.ChooseDoorOpening());
  ClickUpArrow(countdown_.minutesSpin);
  ASSERT_TRUE(WaitFor([&] { return TextOf(countdown_.minutes) == L"1"; }));
  ClickMiddleOf(countdown_.start);
  ASSERT_TRUE(WaitFor([&] { return TextOf(countdown_.seconds) == L"59"; }));

  ClickMiddleOf(countdown_.openDoor);
  EXPECT_TRUE(ButtonsSettleAt(kRunning));
  EXPECT_TRUE(WaitFor([&] { return TextOf(countdown_.seconds) == L"57"; }, 4000))
      << "the countdown stopped: " << TextOf(countdown_.seconds).size();
  EXPECT_TRUE(ErrorBoxes().empty());
}

TEST_F(OutsideCountdownTest, BadTextInAFieldIsShownAndTheCountdownGoesOnOnceItIsMended) {
  ASSERT_TRUE(countdown_.ChooseDoorOpening());
  // The field is read-only to typing; its text can be set from outside all the same.
  SendMessageA(countdown_.seconds, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  ASSERT_TRUE(TextOf(countdown_.seconds) == L"abc");
  ClickMiddleOf(countdown_.start);

  HWND box = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::vector<HWND> boxes = ErrorBoxes();
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
      },
      5000))
      << "no error box";
  EXPECT_EQ(BoxText(box), "'abc' is not a valid integer value.");
  EXPECT_TRUE(TextOf(countdown_.seconds) == L"abc") << "nothing is written";

  // Mended before the box is closed, the next tick counts down from it: the timer ran on.
  SendMessageA(countdown_.seconds, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2"));
  for (HWND open : ErrorBoxes())
    PostMessageA(open, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(countdown_.start) != FALSE; }, 8000))
      << "the countdown did not finish";
  for (HWND open : ErrorBoxes())
    PostMessageA(open, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(countdown_.Time() == L"0:0:0");
  EXPECT_TRUE(ButtonsSettleAt(kStopped));
}

TEST_F(OutsideCountdownTest, BadTextInAFieldShowsOneBoxAtATimeAndTheTicksGoOnAfterIt) {
  ASSERT_TRUE(countdown_.ChooseDoorOpening());
  SendMessageA(countdown_.seconds, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  ClickMiddleOf(countdown_.start);
  ASSERT_TRUE(WaitFor([&] { return ErrorBoxes().size() == 1; }, 5000)) << "no error box";
  const HWND box = ErrorBoxes().front();

  // Ticks fall due while the box is up: none of them may bring another box.
  Sleep(3500);
  EXPECT_EQ(ErrorBoxes().size(), 1u);

  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  EXPECT_TRUE(WaitFor([&] { return ErrorBoxes().size() == 1; }, 3000))
      << "no tick came after the box was closed";
  EXPECT_TRUE(ButtonsSettleAt(kRunning));
}

TEST_F(OutsideCountdownTest, ArrowKeysDoNotStepAFieldWhileItsSpinButtonIsDisabled) {
  ASSERT_TRUE(countdown_.ChooseDoorOpening());
  ClickUpArrow(countdown_.minutesSpin);
  ASSERT_TRUE(WaitFor([&] { return TextOf(countdown_.minutes) == L"1"; }));
  // With the spin buttons enabled, the arrow keys in a field step it.
  ClickMiddleOf(countdown_.minutes);
  PressKey(VK_UP);
  ASSERT_TRUE(WaitFor([&] { return TextOf(countdown_.minutes) == L"2"; }))
      << "the key did not reach the field";

  ClickMiddleOf(countdown_.start);
  ASSERT_TRUE(ButtonsSettleAt(kRunning));
  ClickMiddleOf(countdown_.pause);
  ASSERT_TRUE(ButtonsSettleAt(kStopped));
  const std::wstring paused = countdown_.Time();

  ClickMiddleOf(countdown_.minutes);
  for (int i = 0; i < 3; ++i)
    PressKey(VK_UP);
  ClickMiddleOf(countdown_.seconds);
  PressKey(VK_DOWN);
  Sleep(500);
  EXPECT_TRUE(countdown_.Time() == paused);
}

// --- Closing ----------------------------------------------------------------------------------

TEST_F(OutsideCountdownTest, ExitButtonDuringACountdownEndsTheProgramWithZero) {
  ASSERT_TRUE(countdown_.ChooseDoorOpening());
  ClickUpArrow(countdown_.minutesSpin);
  ASSERT_TRUE(WaitFor([&] { return TextOf(countdown_.minutes) == L"1"; }));
  ClickMiddleOf(countdown_.start);
  ASSERT_TRUE(WaitFor([&] { return TextOf(countdown_.seconds) == L"59"; }));
  ClickMiddleOf(program_.ChildWithText("TBitBtn", "Выход"));
  EXPECT_EQ(program_.ExitCode(), 0);
}

TEST_F(OutsideCountdownTest, CloseBoxEndsTheProgramWithZero) {
  // The close box is where the window itself answers HTCLOSE, along the caption's middle.
  const HWND main = program_.MainWindow();
  TITLEBARINFO title{};
  title.cbSize = sizeof title;
  ASSERT_TRUE(GetTitleBarInfo(main, &title));
  const LONG y = (title.rcTitleBar.top + title.rcTitleBar.bottom) / 2;
  POINT closeBox{-1, y};
  for (LONG x = title.rcTitleBar.right; x > title.rcTitleBar.left && closeBox.x < 0; --x) {
    DWORD_PTR hit = 0;
    SendMessageTimeoutA(main, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_BLOCK, 5000, &hit);
    if (hit == HTCLOSE) closeBox.x = x - 4;
  }
  ASSERT_GE(closeBox.x, 0) << "no close box on the caption";
  ScreenToClient(main, &closeBox);
  ClickAt(main, closeBox);
  EXPECT_EQ(program_.ExitCode(), 0);
}

TEST_F(OutsideCountdownTest, SystemMenusCloseEndsTheProgramWithZero) {
  PostMessageA(program_.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program_.ExitCode(), 0);
}

TEST_F(OutsideCountdownTest, CloseMessageEndsTheProgramWithZero) {
  PostMessageA(program_.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program_.ExitCode(), 0);
}

TEST_F(OutsideCountdownTest, AltF4EndsTheProgramWithZero) {
  // A click on the caption brings the window to the front, where the keys go.
  RECT window{};
  GetWindowRect(program_.MainWindow(), &window);
  POINT caption{(window.left + window.right) / 2,
                window.top + GetSystemMetrics(SM_CYCAPTION) / 2 + GetSystemMetrics(SM_CYFRAME)};
  ScreenToClient(program_.MainWindow(), &caption);
  ClickAt(program_.MainWindow(), caption);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == program_.MainWindow(); }));
  // Synthesised keys can be lost while the window is still taking the activation; a user
  // would press again.
  long code = -1;
  for (int attempt = 0; attempt < 3 && code == -1; ++attempt) {
    PressKey(VK_F4, VK_MENU);
    code = program_.ExitCode(5000);
  }
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace sx::testing
