// The real sonderix.exe told from another process that its main window moved to a screen of
// another resolution, as the system tells it: WM_DPICHANGED with the new pixels per inch and
// the rectangle to take, which the test puts into the program's own memory. Its fields and
// spin buttons are then read from outside.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/mainwindow/OutsideProgram.h"

namespace sx::testing {
namespace {

// The windows of that class inside the main window, left to right.
std::vector<HWND> ChildrenOfClass(const Program& program, std::string_view className) {
  std::vector<HWND> found;
  for (HWND child : program.Children())
    if (WindowClass(child) == className) found.push_back(child);
  std::sort(found.begin(), found.end(),
            [](HWND a, HWND b) { return RectInParent(a).left < RectInParent(b).left; });
  return found;
}

class OutsideScalingTest : public OutsideTest {
 protected:
  // Sends the change with the program's window grown or shrunk in proportion, and waits
  // until the program has handled it.
  void MoveTo(int pixelsPerInch, int from) {
    const HWND main = program_.MainWindow();
    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    ASSERT_NE(process, nullptr);
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    const RECT now = ScreenRect(main);
    const RECT suggested{now.left, now.top,
                         now.left + MulDiv(now.right - now.left, pixelsPerInch, from),
                         now.top + MulDiv(now.bottom - now.top, pixelsPerInch, from)};
    ASSERT_TRUE(WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr));
    DWORD_PTR ignored = 0;
    EXPECT_TRUE(SendMessageTimeoutA(main, WM_DPICHANGED, MAKEWPARAM(pixelsPerInch, pixelsPerInch),
                                    reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, 5000, &ignored));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
  }

  // Every spin button flush right of its field, over the field's top and height.
  void ExpectSpinButtonsDocked(int width) {
    const std::vector<HWND> fields = ChildrenOfClass(program_, "TEdit");
    const std::vector<HWND> spins = ChildrenOfClass(program_, "TUpDown");
    ASSERT_EQ(fields.size(), 3u);
    ASSERT_EQ(spins.size(), 3u);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      SCOPED_TRACE(i + 1);
      const Bounds field = BoundsInParent(fields[i]);
      EXPECT_EQ(BoundsInParent(spins[i]),
                (Bounds{field.left + field.width, field.top, width, field.height}));
    }
  }
};

TEST_F(OutsideScalingTest, SpinButtonsStayBesideTheirFieldsAtTwiceTheResolutionAndBack) {
  const int width = BoundsInParent(ChildrenOfClass(program_, "TUpDown").at(0)).width;
  const HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);

  MoveTo(2 * pixelsPerInch, pixelsPerInch);
  {
    SCOPED_TRACE("at twice the resolution");
    ExpectSpinButtonsDocked(2 * width);
  }
  MoveTo(pixelsPerInch, 2 * pixelsPerInch);
  {
    SCOPED_TRACE("back");
    ExpectSpinButtonsDocked(width);
  }
}

}  // namespace
}  // namespace sx::testing
