// The main window on the screen it runs on: its font follows the screen's pixels per inch,
// and every control's place and size, and the client area around them, follow the height
// "0" has in that font against the 13 pixels it had where the window was designed. At 96
// pixels per inch nothing moves. The build runs these tests once more in Wine prefixes set
// to 120, 144 and 192 pixels per inch, naming the resolution in SX_EXPECT_PIXELS_PER_INCH.

#include <windows.h>

#include <cmath>
#include <cstdlib>

#include "framework/controls/BitBtn.h"
#include "framework/forms/Application.h"
#include "framework/forms/MessageDialog.h"
#include "framework/forms/Screen.h"
#include "framework/graphics/MulDiv.h"
#include "tests/app/mainwindow/MainWindowTestSupport.h"

namespace sx::testing {
namespace {

constexpr int kDesignPixelsPerInch = 96;
constexpr int kDesignTextHeight = 13;
constexpr int kDesignFontHeight = -11;
// The client area the stored outer size (301 x 223) leaves inside the frame at 96 pixels
// per inch, measured under Wine 8.0.
constexpr int kDesignClientWidth = 293;
constexpr int kDesignClientHeight = 196;

// What each resolution the build runs these tests at gives.
struct ScaleRow {
  int pixelsPerInch;
  int glyphHeight;  // of the bitmap buttons' glyphs
};
constexpr ScaleRow kScales[] = {{96, 18}, {120, 24}, {144, 24}, {192, 32}};

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

const ScaleRow& ThisScale() {
  for (const ScaleRow& row : kScales)
    if (row.pixelsPerInch == ExpectedPixelsPerInch()) return row;
  ADD_FAILURE() << "no expectations for " << ExpectedPixelsPerInch() << " pixels per inch";
  return kScales[0];
}

RECT ClientOf(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// The extent of a text in the font the window draws its own with.
SIZE TextExtentOf(HWND window, const std::wstring& text) {
  const HDC dc = GetDC(window);
  const HGDIOBJ saved =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, saved);
  ReleaseDC(window, dc);
  return size;
}

// The extent of the window's text in the font the window draws it with.
SIZE TextExtent(HWND window) {
  return TextExtentOf(window, WindowTextW(window));
}

TBitBtn* BitBtnNamed(std::string_view name) {
  return static_cast<TBitBtn*>(WinControlNamed(name));
}

constexpr const char* kBitBtns[] = {"Start", "Pause", "Otmena", "BitBtn4"};

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
    // A control whose caption no longer fits at the scaled width widens into the free space
    // beside it (EveryCaptionFitsItsControl checks that it then fits).
    expected.width += WinControlNamed(row.name)->CaptionWidening();
    EXPECT_EQ(BoundsInParent(window), expected);
  }
}

TEST_F(MainWindowScalingTest, FormKeepsItsPlaceAndItsClientAreaGrowsWithTheControls) {
  const Bounds window = ScreenBounds(Form1->Handle());
  EXPECT_EQ(window.left, 341);
  EXPECT_EQ(window.top, 157);
  const RECT client = ClientOf(Form1->Handle());
  if (ScreenPixelsPerInch() == kDesignPixelsPerInch) {
    EXPECT_EQ(window, (Bounds{341, 157, 301, 223}));
    EXPECT_EQ(client.right, kDesignClientWidth);
    EXPECT_EQ(client.bottom, kDesignClientHeight);
    return;
  }
  const int m = MeasureDesignFont(ExpectedFontHeight()).zeroHeight;
  EXPECT_EQ(client.right, Scale(kDesignClientWidth, m, kDesignTextHeight));
  EXPECT_EQ(client.bottom, Scale(kDesignClientHeight, m, kDesignTextHeight));
}

TEST_F(MainWindowScalingTest, EveryControlIsWholeInsideItsParentWithoutScrollBars) {
  EXPECT_EQ(WindowStyle(Form1->Handle()) & (WS_HSCROLL | WS_VSCROLL), 0u);
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    const HWND window = WinControlNamed(row.name)->Handle();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(Inside(RectInParent(window), ClientOf(GetParent(window))))
        << ::testing::PrintToString(BoundsInParent(window)) << " in "
        << ::testing::PrintToString(BoundsOf(ClientOf(GetParent(window))));
  }
}

// What a control's drawing takes beside its caption, in the state that leaves the caption
// least. Where the window was designed the stored layout is the design, and only the edges
// and the glyph are kept clear.
int TakenBesideCaption(const ControlRow& row, TWinControl* control, int pixelsPerInch,
                       bool design) {
  const std::string_view kind = row.className;
  if (kind == "TBitBtn") {
    const auto* button = static_cast<TBitBtn*>(control);
    return (design ? 2 : 2 * 2 + 1) + button->Glyph()->Width() / button->NumGlyphs() + 4;
  }
  if (kind == "TRadioButton")
    return design ? GetSystemMetrics(SM_CXMENUCHECK) + 4
                  : 12 * pixelsPerInch / 96 + 1 + TextExtentOf(control->Handle(), L"0").cx / 2 + 1;
  return design ? 2 : 2 * (1 + 2);
}

TEST_F(MainWindowScalingTest, EveryCaptionFitsItsControl) {
  // The controls grow as "0" grows, the captions by more: at 120 pixels per inch (Wine 8.0)
  // "0" grows from 13 to 16 pixels (23 %) but "Перезагрузка" from 72 to 95 (32 %). Scaled,
  // each caption must fit exactly what its control's drawing leaves it (in the state that
  // leaves least): a push button's 2-pixel raised edge inside the 1-pixel frame of the
  // default look; a bitmap button's raised edge, its glyph, the 4 pixels after it and the
  // disabled caption's embossed copy one pixel to the right; a radio button's circle (12
  // pixels at 96 pixels per inch, plus one), half the width of "0" and the focus rectangle.
  // Where the window was designed the stored layout is the design, and only the edges and
  // the glyph are kept clear.
  const bool design = ScreenPixelsPerInch() == kDesignPixelsPerInch;
  for (const ControlRow& row : StoredControls()) {
    if (!*row.caption) continue;
    SCOPED_TRACE(row.name);
    const HWND window = WinControlNamed(row.name)->Handle();
    const SIZE text = TextExtent(window);
    const RECT client = ClientOf(window);
    const int taken =
        TakenBesideCaption(row, WinControlNamed(row.name), ScreenPixelsPerInch(), design);
    EXPECT_LE(text.cx + taken, client.right) << "text " << text.cx << " wide";
    EXPECT_LE(text.cy, client.bottom) << "text " << text.cy << " high";
  }
}

TEST_F(MainWindowScalingTest, BitmapButtonsTakeTheGlyphOfTheirScale) {
  for (const char* name : kBitBtns) {
    SCOPED_TRACE(name);
    TBitBtn* button = BitBtnNamed(name);
    EXPECT_EQ(button->Glyph()->Height(), ThisScale().glyphHeight);
    EXPECT_FALSE(button->GlyphModified());
    // The images drawn are the ones of that size, not ones built before it was chosen.
    ASSERT_NE(button->ButtonGlyph()->List(), nullptr);
    EXPECT_EQ(button->ButtonGlyph()->List()->Height(), ThisScale().glyphHeight);
  }
}

TEST_F(MainWindowScalingTest, PlainMessageIsWholeAtThisScale) {
  for (const TMessageKind kind : {mkCustom, mkError}) {
    SCOPED_TRACE(kind);
    TMessageForm* dialog = BuildMessageDialog("ExitWindowsEx", kind, TDialogButtons{dbOK});
    const HWND window = dialog->Handle();
    const RECT client = ClientOf(window);
    EXPECT_EQ(WindowStyle(window) & (WS_HSCROLL | WS_VSCROLL), 0u);
    TControl* message = static_cast<TControl*>(dialog->FindOwned("Message"));
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(Inside(message->BoundsRect(), client));
    const HWND ok = static_cast<TWinControl*>(dialog->FindOwned("OK"))->Handle();
    EXPECT_TRUE(Inside(RectInParent(ok), client));
    EXPECT_LE(TextExtent(ok).cx + 4, ClientOf(ok).right);
    if (TControl* image = static_cast<TControl*>(dialog->FindOwned("Image"))) {
      // The system's icon of this scale, whole, beside the text rather than under it.
      EXPECT_EQ(image->Width(), GetSystemMetrics(SM_CXICON));
      EXPECT_EQ(image->Height(), GetSystemMetrics(SM_CYICON));
      EXPECT_TRUE(Inside(image->BoundsRect(), client));
      EXPECT_LE(image->Left() + image->Width(), message->Left());
    }
    dialog->Free();
  }
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

// A window of its own moved to a monitor of twice the resolution and back, as the system
// tells it: WM_DPICHANGED with the new resolution and the rectangle to take.
class MainWindowMovedTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    form_ = New<TForm1>(Application);
    for (const ControlRow& row : StoredControls()) {
      before_.push_back(BoundsInParent(Control(row.name)->Handle()));
      widenedBefore_.push_back(Control(row.name)->CaptionWidening());
    }
  }
  void TearDown() override { form_->Free(); }

  TWinControl* Control(std::string_view name) const {
    return static_cast<TWinControl*>(form_->FindOwned(name));
  }
  // Sends the change and answers the rectangle it suggested.
  RECT MoveTo(int pixelsPerInch) const {
    const RECT now = ScreenRect(form_->Handle());
    const int old = form_->PixelsPerInch();
    RECT suggested{now.left, now.top, now.left + MulDiv(now.right - now.left, pixelsPerInch, old),
                   now.top + MulDiv(now.bottom - now.top, pixelsPerInch, old)};
    SendMessageA(form_->Handle(), WM_DPICHANGED, MAKEWPARAM(pixelsPerInch, pixelsPerInch),
                 reinterpret_cast<LPARAM>(&suggested));
    return suggested;
  }

  TForm1* form_ = nullptr;
  std::vector<Bounds> before_;
  // What each control was widened by for its caption; the width the layout gave it scales.
  std::vector<int> widenedBefore_;
};

// The height a field takes for the font its window draws with: the character height and
// the 3-D border.
int FieldHeightFor(HWND field) {
  const HDC dc = GetDC(field);
  const HGDIOBJ saved =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(field, WM_GETFONT, 0, 0)));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, saved);
  ReleaseDC(field, dc);
  return static_cast<int>(metrics.tmHeight) + 8 * GetSystemMetrics(SM_CYBORDER);
}

// Where a control should stand after the move by `factor`: scaled like any control, except
// that a field takes the height of its new font and a spin button docks flush right of its
// field, over the field's top and height, keeping its own scaled width.
Bounds ExpectedAfterMove(const ControlRow& row, const Bounds& was, int factor, const TForm1& form) {
  Bounds expected{factor * was.left, factor * was.top, factor * was.width, factor * was.height};
  const std::string_view kind = row.className;
  if (kind == "TEdit")
    expected.height = FieldHeightFor(static_cast<TWinControl*>(form.FindOwned(row.name))->Handle());
  if (kind == "TUpDown") {
    const std::string field = "Edit" + std::string(row.name).substr(6);
    const Bounds fieldBounds =
        BoundsInParent(static_cast<TWinControl*>(form.FindOwned(field))->Handle());
    expected.left = fieldBounds.left + fieldBounds.width;
    expected.top = fieldBounds.top;
    expected.height = fieldBounds.height;
  }
  return expected;
}

TEST_F(MainWindowMovedTest, FormAndControlsRescaleByTheRatioOfResolutions) {
  const int old = form_->PixelsPerInch();
  const int fontHeight = form_->Font()->Height();
  const RECT suggested = MoveTo(2 * old);
  EXPECT_EQ(form_->PixelsPerInch(), 2 * old);
  EXPECT_EQ(form_->Font()->Height(), 2 * fontHeight);
  EXPECT_EQ(ScreenBounds(form_->Handle()), BoundsOf(suggested));
  EXPECT_EQ(WindowStyle(form_->Handle()) & (WS_HSCROLL | WS_VSCROLL), 0u);
  for (std::size_t i = 0; i < StoredControls().size(); ++i) {
    const ControlRow& row = StoredControls()[i];
    SCOPED_TRACE(row.name);
    const HWND window = Control(row.name)->Handle();
    // A control widened for its caption before the move scales its laid-out width only.
    Bounds expected = ExpectedAfterMove(row, before_[i], 2, *form_);
    expected.width =
        2 * (before_[i].width - widenedBefore_[i]) + Control(row.name)->CaptionWidening();
    EXPECT_EQ(BoundsInParent(window), expected);
    EXPECT_TRUE(Inside(RectInParent(window), ClientOf(GetParent(window))));
    if (std::string_view(row.className) == "TBitBtn") {
      auto* button = static_cast<TBitBtn*>(Control(row.name));
      EXPECT_EQ(button->Glyph()->Height(), KindGlyph(bkOK, 2 * old)->Height());
    }
  }
}

TEST_F(MainWindowMovedTest, MovingBackRestoresEveryControl) {
  const int old = form_->PixelsPerInch();
  const int fontHeight = form_->Font()->Height();
  MoveTo(2 * old);
  MoveTo(old);
  EXPECT_EQ(form_->PixelsPerInch(), old);
  EXPECT_EQ(form_->Font()->Height(), fontHeight);
  for (std::size_t i = 0; i < StoredControls().size(); ++i) {
    const ControlRow& row = StoredControls()[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(BoundsInParent(Control(row.name)->Handle()), before_[i]);
  }
  EXPECT_EQ(static_cast<TBitBtn*>(Control("Start"))->Glyph()->Height(), ThisScale().glyphHeight);
}

// Moves down and up again, from wherever the window opened: to 125 % of that resolution and
// back, then to 150 % and back.
constexpr struct { int m, d; } kMoves[] = {{5, 4}, {1, 1}, {3, 2}, {1, 1}};

// The window's frame may keep its size while the resolution changes (Wine 8.0 scales no
// frame); the size suggested in proportion then leaves a smaller client area than the
// controls take.
TEST_F(MainWindowMovedTest, EveryControlStaysInsideTheWindowAtEveryScaleAndBack) {
  const int start = form_->PixelsPerInch();
  for (const auto& move : kMoves) {
    const int pixelsPerInch = start * move.m / move.d;
    SCOPED_TRACE(pixelsPerInch);
    MoveTo(pixelsPerInch);
    EXPECT_EQ(WindowStyle(form_->Handle()) & (WS_HSCROLL | WS_VSCROLL), 0u);
    for (const ControlRow& row : StoredControls()) {
      SCOPED_TRACE(row.name);
      const HWND window = Control(row.name)->Handle();
      EXPECT_TRUE(Inside(RectInParent(window), ClientOf(GetParent(window))));
    }
  }
}

// Opened where the form's font comes out smaller than in proportion to the resolution (at
// 192 pixels per inch on Wine 8.0), the layout was scaled by less than the resolution; moved
// down from there in proportion, it would be smaller than the one the form opens with where
// it arrives, and cut its captions.
TEST_F(MainWindowMovedTest, EveryCaptionFitsItsControlAfterEveryMove) {
  for (const int pixelsPerInch : {120, 144, kDesignPixelsPerInch}) {
    SCOPED_TRACE(pixelsPerInch);
    MoveTo(pixelsPerInch);
    // A font of few sizes measures as designed only on a system of the design's resolution.
    const bool design =
        pixelsPerInch == kDesignPixelsPerInch && ScreenPixelsPerInch() == kDesignPixelsPerInch;
    for (const ControlRow& row : StoredControls()) {
      if (!*row.caption) continue;
      SCOPED_TRACE(row.name);
      const HWND window = Control(row.name)->Handle();
      const int taken = TakenBesideCaption(row, Control(row.name), pixelsPerInch, design);
      EXPECT_LE(TextExtent(window).cx + taken, ClientOf(window).right);
    }
  }
}

}  // namespace
}  // namespace sx::testing
