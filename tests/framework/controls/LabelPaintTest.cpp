// How a windowed control paints itself around its windowless children and the children
// inside its painting, and how it erases its background.

#include "framework/controls/GraphicControl.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/Drawing.h"

namespace sx::testing {
namespace {

constexpr COLORREF kBackground = RGB(1, 2, 3);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A windowless control that counts its paints and fills a rectangle (in its own
// coordinates, larger than itself by default) with its colour.
class TProbeControl : public TGraphicControl {
  SX_CLASS(TProbeControl)

  explicit TProbeControl(TComponent* owner) : TGraphicControl(owner) {}

  void SetOpaque(bool on) {
    TControlStyle style = ControlStyleOf();
    style.Assign(ControlStyle::Opaque, on);
    SetControlStyle(style);
  }

  int paints = 0;
  COLORREF fill = kRed;
  bool fills = true;

 protected:
  void Paint() override {
    ++paints;
    if (!fills) return;
    HBRUSH brush = CreateSolidBrush(fill);
    const RECT everywhere{-500, -500, 500, 500};
    FillRect(Canvas()->Handle(), &everywhere, brush);
    DeleteObject(brush);
  }
};

constinit const ClassInfo TProbeControl::StaticClass{
    .name = "TProbeControl",
    .parent = &TGraphicControl::StaticClass,
};

// A form whose own painting fills everything it may paint in blue and counts the paints.
class TProbeForm : public TForm {
  SX_CLASS(TProbeForm)

  explicit TProbeForm(TComponent* owner) : TForm(owner, kCreateNew) {}

  int ownPaints = 0;

 protected:
  void PaintWindow(HDC dc) override {
    ++ownPaints;
    HBRUSH brush = CreateSolidBrush(kBlue);
    const RECT everywhere{0, 0, 2000, 2000};
    FillRect(dc, &everywhere, brush);
    DeleteObject(brush);
  }
};

constinit const ClassInfo TProbeForm::StaticClass{
    .name = "TProbeForm",
    .parent = &TForm::StaticClass,
};

class WindowlessPaintTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    form_ = New<TProbeForm>(Application);
    form_->SetClientWidth(200);
    form_->SetClientHeight(100);
    form_->HandleNeeded();
  }

  TProbeControl* Probe(int left, int top, int width, int height, bool opaque = true) {
    auto* probe = New<TProbeControl>(form_);
    probe->ChangeBounds(left, top, width, height);
    probe->SetOpaque(opaque);
    probe->SetParentControl(form_);
    return probe;
  }

  TProbeForm* form_ = nullptr;
};

TEST_F(WindowlessPaintTest, ChildPaintsAtItsPlaceClippedToItsSize) {
  TProbeControl* probe = Probe(30, 20, 40, 10);
  probe->fill = kRed;
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(probe->paints, 1);
  EXPECT_EQ(picture.Count(kRed), 40 * 10);
  EXPECT_EQ(picture.At(30, 20), kRed);
  EXPECT_EQ(picture.At(69, 29), kRed);
  EXPECT_NE(picture.At(29, 20), kRed);
  EXPECT_NE(picture.At(70, 20), kRed);
  EXPECT_NE(picture.At(30, 30), kRed);
}

TEST_F(WindowlessPaintTest, OpaqueChildIsCutOutOfTheParentsOwnPaint) {
  TProbeControl* probe = Probe(30, 20, 40, 10);
  probe->fills = false;
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(form_->ownPaints, 1);
  EXPECT_EQ(picture.Count(kBackground), 40 * 10) << "only the child's area is left";
  EXPECT_EQ(picture.At(30, 20), kBackground);
  EXPECT_EQ(picture.At(29, 20), kBlue);
}

TEST_F(WindowlessPaintTest, TransparentChildLetsTheParentPaintUnderIt) {
  TProbeControl* probe = Probe(30, 20, 40, 10, false);
  probe->fills = false;
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(picture.Count(kBackground), 0);
  EXPECT_EQ(probe->paints, 1);
}

TEST_F(WindowlessPaintTest, ChildCoveringTheWholeClientAreaSkipsTheParentsOwnPaint) {
  TProbeControl* probe = Probe(0, 0, 200, 100);
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(form_->ownPaints, 0);
  EXPECT_EQ(probe->paints, 1);
  EXPECT_EQ(picture.Count(kRed), 200 * 100);
}

TEST_F(WindowlessPaintTest, HiddenChildIsNeitherPaintedNorCutOut) {
  TProbeControl* probe = Probe(30, 20, 40, 10);
  probe->SetVisible(false);
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(probe->paints, 0);
  EXPECT_EQ(picture.Count(kBlue), 200 * 100);
}

TEST_F(WindowlessPaintTest, ChildOutsideTheVisibleAreaIsNotPainted) {
  TProbeControl* probe = Probe(500, 500, 10, 10);
  PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(probe->paints, 0);
}

TEST_F(WindowlessPaintTest, LaterChildPaintsOverAnEarlierOne) {
  TProbeControl* first = Probe(10, 10, 50, 50);
  TProbeControl* second = Probe(40, 40, 50, 50);
  first->fill = kRed;
  second->fill = kGreen;
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(picture.At(45, 45), kGreen);
  EXPECT_EQ(picture.At(20, 20), kRed);
}

TEST_F(WindowlessPaintTest, PaintWithoutADeviceContextPaintsNothing) {
  TProbeControl* probe = Probe(10, 10, 20, 20);
  probe->DeliverMessage(WM_PAINT, 0, 0);
  EXPECT_EQ(probe->paints, 0);
}

TEST_F(WindowlessPaintTest, FramedWindowedChildGetsASunkenFrame) {
  auto* framed = New<TTestPanel>(form_);
  framed->ChangeBounds(50, 30, 40, 20);
  framed->SetParentControl(form_);
  auto* plain = New<TTestPanel>(form_);
  plain->ChangeBounds(120, 30, 40, 20);
  plain->SetParentControl(form_);
  framed->SetControlStyle(framed->ControlStyleOf() + TControlStyle{ControlStyle::Framed});
  const Picture picture = PaintIntoMemory(form_, kBackground);
  EXPECT_EQ(picture.At(49, 29), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(picture.At(89, 29), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(picture.At(90, 50), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(picture.At(50, 50), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(picture.At(119, 29), kBlue) << "no frame without the framed style";
  framed->SetCtl3D(false);
  EXPECT_EQ(PaintIntoMemory(form_, kBackground).At(49, 29), kBlue) << "nor without the 3-D look";
}

TEST_F(WindowlessPaintTest, ShownWindowPaintsItsWindowlessChildren) {
  TProbeControl* probe = Probe(30, 20, 40, 10);
  form_->Show();
  InvalidateRect(form_->Handle(), nullptr, TRUE);
  UpdateWindow(form_->Handle());
  EXPECT_GE(probe->paints, 1);
  EXPECT_GE(form_->ownPaints, 1);
}

// --- Background ------------------------------------------------------------------------------

class EraseTest : public WindowlessPaintTest {
 protected:
  // Sends WM_ERASEBKGND with the memory context in WParam, and in LParam when asked;
  // answers the result.
  LRESULT Erase(Picture& picture, bool contextInBoth) {
    LRESULT result = 0;
    picture = Draw(form_->ClientWidth(), form_->ClientHeight(), kBackground, [&](HDC dc) {
      result = form_->DeliverMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc),
                                     contextInBoth ? reinterpret_cast<LPARAM>(dc) : 0);
    });
    return result;
  }
};

TEST_F(EraseTest, FillsTheClientAreaWithTheControlsColourAndAnswersOne) {
  form_->SetColor(static_cast<TColor>(kRed));
  Picture picture;
  EXPECT_EQ(Erase(picture, false), 1);
  EXPECT_EQ(picture.Count(kRed), 200 * 100);
}

TEST_F(EraseTest, DoubleBufferedControlErasesOnlyItsMemoryContext) {
  form_->SetColor(static_cast<TColor>(kRed));
  form_->SetDoubleBuffered(true);
  Picture picture;
  EXPECT_EQ(Erase(picture, false), 1);
  EXPECT_EQ(picture.Count(kRed), 0) << "the window's own context is left alone";
  EXPECT_EQ(Erase(picture, true), 1);
  EXPECT_EQ(picture.Count(kRed), 200 * 100);
}

TEST_F(EraseTest, DoubleBufferedWindowGetsTheWholePicture) {
  form_->SetColor(static_cast<TColor>(kGreen));
  form_->SetDoubleBuffered(true);
  TProbeControl* probe = Probe(30, 20, 40, 10);
  form_->Show();
  InvalidateRect(form_->Handle(), nullptr, TRUE);
  UpdateWindow(form_->Handle());
  EXPECT_GE(probe->paints, 1);
  HDC dc = GetDC(form_->Handle());
  EXPECT_EQ(GetPixel(dc, 35, 25), kRed);
  ReleaseDC(form_->Handle(), dc);
}

// --- The control canvas ----------------------------------------------------------------------

TEST_F(WindowlessPaintTest, ControlCanvasOfAWindowlessControlDrawsAtItsCornerClipped) {
  TProbeControl* probe = Probe(30, 20, 40, 10);
  form_->Show();  // a hidden window's context has nothing visible to clip to
  TControlCanvas* canvas = probe->Canvas();
  canvas->HandleNeeded();
  ASSERT_NE(canvas->Handle(), nullptr);
  POINT origin{};
  GetWindowOrgEx(canvas->Handle(), &origin);
  RECT clip{};
  GetClipBox(canvas->Handle(), &clip);
  canvas->FreeHandle();
  EXPECT_EQ(canvas->Handle(), nullptr);
  EXPECT_EQ(origin.x, -30);
  EXPECT_EQ(origin.y, -20);
  EXPECT_EQ(clip.left, 0);
  EXPECT_EQ(clip.top, 0);
  EXPECT_EQ(clip.right, 40);
  EXPECT_EQ(clip.bottom, 10);
}

}  // namespace
}  // namespace sx::testing
