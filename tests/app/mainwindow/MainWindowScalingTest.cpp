// The main window on the screen it runs on: its font follows the screen's pixels per inch,
// and every control's place and size follow the height "0" has in that font against the 13
// pixels it had where the window was designed. At 96 pixels per inch nothing moves. The
// build runs these tests once more in a Wine prefix set to 120 pixels per inch, naming that
// resolution in SX_EXPECT_PIXELS_PER_INCH.

#include <windows.h>

#include <cmath>
#include <cstdlib>

#include "framework/forms/Application.h"
#include "framework/forms/Screen.h"
#include "tests/app/mainwindow/MainWindowTestSupport.h"

namespace sx::testing {
namespace {

constexpr int kDesignPixelsPerInch = 96;
constexpr int kDesignTextHeight = 13;
constexpr int kDesignFontHeight = -11;

// a * b / c rounded to the nearest integer, halves away from zero.
int Scale(int a, int b, int c) {
  return static_cast<int>(std::llround(static_cast<double>(a) * b / c));
}

int ScreenPixelsPerInch() {
  const HDC dc = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return pixelsPerInch;
}

int ExpectedPixelsPerInch() {
  const char* asked = std::getenv("SX_EXPECT_PIXELS_PER_INCH");
  return asked && *asked ? std::atoi(asked) : kDesignPixelsPerInch;
}

int ExpectedFontHeight() {
  return Scale(kDesignFontHeight, ScreenPixelsPerInch(), kDesignPixelsPerInch);
}

// Measured with a font of our own making, not the framework's.
struct TextMeasure {
  int zeroHeight;
  int characterHeight;
};

TextMeasure MeasureDesignFont(int height) {
  LOGFONTA log{};
  log.lfHeight = height;
  log.lfCharSet = DEFAULT_CHARSET;
  lstrcpyA(log.lfFaceName, "MS Sans Serif");
  const HFONT font = CreateFontIndirectA(&log);
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ saved = SelectObject(dc, font);
  SIZE zero{};
  GetTextExtentPoint32A(dc, "0", 1, &zero);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, saved);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return {static_cast<int>(zero.cy), static_cast<int>(metrics.tmHeight)};
}

// The stored bounds rescaled by m / d: the right and bottom edges are scaled, not the sizes,
// so that neighbours stay flush.
Bounds Rescaled(const ControlRow& row, int m, int d) {
  const int left = Scale(row.left, m, d);
  const int top = Scale(row.top, m, d);
  return {left, top, Scale(row.left + row.width, m, d) - left,
          Scale(row.top + row.height, m, d) - top};
}

class MainWindowScalingTest : public MainWindowTest {};

TEST_F(MainWindowScalingTest, ScreenHasTheResolutionThisRunAsksFor) {
  EXPECT_EQ(ScreenPixelsPerInch(), ExpectedPixelsPerInch());
  EXPECT_EQ(Screen->PixelsPerInch(), ExpectedPixelsPerInch());
  EXPECT_EQ(Form1->PixelsPerInch(), ExpectedPixelsPerInch());
}

TEST_F(MainWindowScalingTest, FormsFontIsScaledFromTheDesignResolution) {
  const int height = ExpectedFontHeight();
  EXPECT_EQ(Form1->Font()->Height(), height);
  EXPECT_EQ(Form1->Font()->Name(), "MS Sans Serif");
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    TWinControl* control = WinControlNamed(row.name);
    EXPECT_TRUE(control->ParentFont());
    EXPECT_EQ(control->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(control->Font()->Height(), height);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(control->Handle(), WM_GETFONT, 0, 0));
    if (!font) continue;  // the panel draws its own face
    LOGFONTA log{};
    ASSERT_NE(GetObjectA(font, sizeof log, &log), 0);
    EXPECT_EQ(log.lfHeight, height);
    EXPECT_STREQ(log.lfFaceName, "MS Sans Serif");
  }
}

TEST_F(MainWindowScalingTest, ControlsFollowTheTextHeightOfZeroInTheScaledFont) {
  const TextMeasure measure = MeasureDesignFont(ExpectedFontHeight());
  const int m = measure.zeroHeight;
  const int d = kDesignTextHeight;
  if (ScreenPixelsPerInch() == kDesignPixelsPerInch) {
    EXPECT_EQ(m, d) << "where the window was designed, \"0\" is 13 pixels high";
  } else if (ScreenPixelsPerInch() > kDesignPixelsPerInch) {
    EXPECT_GT(m, d) << "a finer screen gets a taller font";
  }
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(::testing::Message() << row.name << " at " << m << "/" << d);
    const HWND window = WinControlNamed(row.name)->Handle();
    Bounds expected = Rescaled(row, m, d);
    const std::string_view kind = row.className;
    if (kind == "TEdit") {
      // A field keeps the height its font asks for: the character height and the 3-D border.
      expected.height = measure.characterHeight + 8 * GetSystemMetrics(SM_CYBORDER);
    }
    if (kind == "TUpDown") {
      // The window system docks a spin button against its field, over the field's height.
      const std::string field = "Edit" + std::string(row.name).substr(6);
      const Bounds fieldBounds = BoundsInParent(WinControlNamed(field)->Handle());
      expected.left = fieldBounds.left + fieldBounds.width;
      expected.top = fieldBounds.top;
      expected.height = fieldBounds.height;
    }
    EXPECT_EQ(BoundsInParent(window), expected);
  }
}

TEST_F(MainWindowScalingTest, FormKeepsItsStoredPlaceAndOuterSize) {
  EXPECT_EQ(ScreenBounds(Form1->Handle()), (Bounds{341, 157, 301, 223}));
}

TEST_F(MainWindowScalingTest, NoScalingFlagOutlivesTheLoad) {
  // A window of its own, not shown: making windows sizes the fields and spin buttons again,
  // which marks them afresh.
  TForm1* form = New<TForm1>(Application);
  EXPECT_TRUE(form->ScalingFlags().Empty());
  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* component = form->Component(i);
    SCOPED_TRACE(component->Name());
    if (component->InheritsFrom(TControl::StaticClass)) {
      EXPECT_TRUE(static_cast<TControl*>(component)->ScalingFlags().Empty());
    }
  }
  form->Free();
}

}  // namespace
}  // namespace sx::testing
