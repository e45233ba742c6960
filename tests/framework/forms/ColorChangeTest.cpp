// A change of the system colours while forms are up: the surfaces painted in a system colour
// take the new colour, and every form is painted anew.

#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/Drawing.h"

namespace sx::testing {
namespace {

// One system colour changed for the length of a test and put back afterwards; the process's
// top-level windows hear of both changes. Seen on Wine 8.0: the change is not written to the
// prefix's registry, so a test that fails half-way leaves the next run unchanged.
class ChangedSystemColor {
 public:
  ChangedSystemColor(int index, COLORREF color) : index_(index), saved_(GetSysColor(index)) {
    SetSysColors(1, &index_, &color);
  }
  ~ChangedSystemColor() { SetSysColors(1, &index_, &saved_); }
  ChangedSystemColor(const ChangedSystemColor&) = delete;
  ChangedSystemColor& operator=(const ChangedSystemColor&) = delete;

 private:
  int index_;
  COLORREF saved_;
};

class ColorChangeTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Application->CreateOwnedForm(form_);
    form_->ChangeBounds(40, 40, 300, 200);
    form_->SetColor(clBtnFace);
    panel_ = MakeChild<TTestPanel>(form_, 8, 8, false);
    form_->Show();
    PumpMessages();
  }

  // The colour the form erases its background with.
  COLORREF ErasedColor() {
    return Draw(16, 16, RGB(0, 0, 0),
                [&](HDC dc) {
                  form_->DeliverMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(dc));
                })
        .At(8, 8);
  }

  // The colour of the brush the panel answers a colour query with.
  COLORREF QueriedColor() {
    HDC dc = GetDC(form_->Handle());
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(form_->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(panel_->Handle())));
    ReleaseDC(form_->Handle(), dc);
    LOGBRUSH made{};
    GetObjectA(brush, sizeof made, &made);
    return made.lbColor;
  }

  static bool NeedsPainting(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

  TTestForm* form_ = nullptr;
  TTestPanel* panel_ = nullptr;
};

TEST_F(ColorChangeTest, SurfacesInASystemColourTakeItsNewValue) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  ASSERT_EQ(ErasedColor(), face);
  ASSERT_EQ(QueriedColor(), face) << "both brushes are made before the change";
  const COLORREF changed = face == RGB(40, 90, 160) ? RGB(160, 90, 40) : RGB(40, 90, 160);
  {
    ChangedSystemColor colour(COLOR_BTNFACE, changed);
    PumpMessages();
    EXPECT_EQ(ErasedColor(), changed);
    EXPECT_EQ(QueriedColor(), changed);
  }
  PumpMessages();
  EXPECT_EQ(ErasedColor(), face) << "and back again";
}

TEST_F(ColorChangeTest, ColourChangeHasEveryFormPaintedAnew) {
  TTestForm* second = New<TTestForm>(Application);
  second->ChangeBounds(400, 40, 200, 100);
  second->Show();
  PumpMessages();
  for (HWND window : {form_->Handle(), panel_->Handle(), second->Handle()}) {
    ValidateRect(window, nullptr);
    ASSERT_FALSE(NeedsPainting(window));
  }
  SendMessageA(Application->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_TRUE(NeedsPainting(form_->Handle()));
  EXPECT_TRUE(NeedsPainting(panel_->Handle())) << "the form's controls too";
  EXPECT_TRUE(NeedsPainting(second->Handle()));
}

// Counts the colour changes a window of the system's own class hears of.
int g_heard = 0;
WNDPROC g_buttonProcedure = nullptr;
LRESULT CALLBACK CountColourChanges(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SYSCOLORCHANGE) ++g_heard;
  return CallWindowProcA(g_buttonProcedure, window, msg, wParam, lParam);
}

TEST_F(ColorChangeTest, FormPassesTheChangeOnToEveryWindowInsideOnce) {
  // A control of the system's inside the panel: the window system tells top-level windows
  // only, and the system's controls keep brushes of the colours they were made with.
  HWND inner = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 2, 2, 20, 20,
                               panel_->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(inner, nullptr);
  g_buttonProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(inner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountColourChanges)));
  g_heard = 0;

  SendMessageA(form_->Handle(), WM_SYSCOLORCHANGE, 0, 0);

  EXPECT_EQ(g_heard, 1);
  DestroyWindow(inner);
}

}  // namespace
}  // namespace sx::testing
