#include "tests/framework/controls/ButtonTestSupport.h"
#include "tests/support/MessageHooks.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

using RadioButtonTest = ButtonsTest;

bool WindowChecked(TRadioButton* radio) {
  return SendMessageA(radio->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Five radio buttons on a panel, the third checked, as the main window has them.
class RadioGroupTest : public ButtonsTest {
 protected:
  void SetUp() override {
    ButtonsTest::SetUp();
    panel = Make<TPanel>(nullptr, 112, 64);
    panel->ChangeBounds(112, 64, 177, 121);
    for (int i = 0; i < 5; ++i) {
      radios[i] = Make<TRadioButton>(panel, 8, 4 + 24 * i);
      radios[i]->SetOnClick(clicks[i].Event());
    }
    radios[2]->SetChecked(true);
    for (auto& counter : clicks)
      counter.count = 0;
    PumpMessages();
  }

  TPanel* panel = nullptr;
  TRadioButton* radios[5] = {};
  TEventCounter clicks[5];
};

TEST_F(RadioButtonTest, WindowIsPlainRadioButtonOfStandardSize) {
  auto* radio = Make<TRadioButton>();
  const DWORD style = WindowStyle(radio->Handle());
  EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_RADIOBUTTON));
  EXPECT_EQ(style & BS_LEFTTEXT, 0u);
  EXPECT_EQ(radio->Width(), 113);
  EXPECT_EQ(radio->Height(), 17);
  EXPECT_FALSE(radio->TabStop());
}

TEST_F(RadioButtonTest, LeftAlignedCaptionStandsLeftOfCircle) {
  auto* radio = Make<TRadioButton>();
  radio->SetAlignment(taLeftJustify);
  EXPECT_NE(WindowStyle(radio->Handle()) & BS_LEFTTEXT, 0u);
}

TEST_F(RadioButtonTest, CheckedBeforeWindowShowsOnceWindowMade) {
  auto* radio = New<TRadioButton>(form);
  radio->SetChecked(true);
  radio->SetParentControl(form);
  EXPECT_TRUE(WindowChecked(radio));
}

TEST_F(RadioGroupTest, CheckingOneUnchecksItsSiblings) {
  radios[0]->SetChecked(true);
  EXPECT_TRUE(radios[0]->Checked());
  EXPECT_FALSE(radios[2]->Checked());
  EXPECT_TRUE(WindowChecked(radios[0]));
  EXPECT_FALSE(WindowChecked(radios[2]));
}

TEST_F(RadioGroupTest, TabStopFollowsChecked) {
  EXPECT_TRUE(radios[2]->TabStop());
  radios[0]->SetChecked(true);
  EXPECT_TRUE(radios[0]->TabStop());
  EXPECT_FALSE(radios[2]->TabStop());
}

TEST_F(RadioGroupTest, RadioOfAnotherParentStaysChecked) {
  auto* outside = Make<TRadioButton>(nullptr, 8, 200);
  outside->SetChecked(true);
  radios[0]->SetChecked(true);
  EXPECT_TRUE(outside->Checked());
  EXPECT_TRUE(radios[0]->Checked());
}

TEST_F(RadioGroupTest, CheckingClicksOnce) {
  radios[3]->SetChecked(true);
  EXPECT_EQ(clicks[3].count, 1);
  EXPECT_EQ(clicks[2].count, 0);
}

TEST_F(RadioGroupTest, CheckingCheckedRadioAgainDoesNotClick) {
  radios[2]->SetChecked(true);
  EXPECT_EQ(clicks[2].count, 0);
}

TEST_F(RadioGroupTest, SystemClickChecksRadio) {
  SendMessageA(radios[4]->Handle(), BM_CLICK, 0, 0);
  PumpMessages();
  EXPECT_TRUE(radios[4]->Checked());
  EXPECT_FALSE(radios[2]->Checked());
  EXPECT_EQ(clicks[4].count, 1);
}

TEST_F(RadioGroupTest, MousePressChecksAndFocusesRadio) {
  ClickWithMouse(radios[0]);
  EXPECT_TRUE(radios[0]->Focused());
  EXPECT_TRUE(radios[0]->Checked());
  EXPECT_EQ(clicks[0].count, 1);
}

TEST_F(RadioGroupTest, CheckingTellsParentChain) {
  TMessageSpy panelSpy(panel);
  TMessageSpy formSpy(form);
  radios[1]->SetChecked(true);
  ASSERT_EQ(panelSpy.Count(FWM_CHANGED), 1);
  EXPECT_EQ(panelSpy.Of(FWM_CHANGED)[0].LParam, reinterpret_cast<LPARAM>(radios[1]));
  EXPECT_EQ(formSpy.Count(FWM_CHANGED), 1);
}

TEST_F(RadioGroupTest, UncheckingTellsNobody) {
  TMessageSpy panelSpy(panel);
  radios[2]->SetChecked(false);
  EXPECT_EQ(panelSpy.Count(FWM_CHANGED), 0);
  EXPECT_EQ(clicks[2].count, 0);
}

TEST_F(RadioGroupTest, DoubleClickRaisesOnDblClick) {
  TEventCounter doubles;
  radios[1]->SetOnDblClick(doubles.Event());
  radios[1]->DeliverMessage(FWM_COMMAND, MAKEWPARAM(0, BN_DOUBLECLICKED),
                            reinterpret_cast<LPARAM>(radios[1]->Handle()));
  EXPECT_EQ(doubles.count, 1);
  EXPECT_FALSE(radios[1]->Checked());
}

TEST_F(RadioGroupTest, AcceleratorFocusesWithoutChecking) {
  radios[0]->SetCaption("&Open");
  EXPECT_EQ(radios[0]->DeliverMessage(FWM_DIALOGCHAR, 'o'), 1);
  PumpMessages();
  EXPECT_TRUE(radios[0]->Focused());
}

TEST_F(RadioGroupTest, Ctl3DChangeMakesNewWindowKeepingCheck) {
  const HWND before = radios[2]->Handle();
  radios[2]->SetCtl3D(false);
  EXPECT_NE(radios[2]->Handle(), before);
  EXPECT_TRUE(WindowChecked(radios[2]));
}

// --- The panel ----------------------------------------------------------------------------------

using PanelTest = ButtonsTest;

TEST_F(PanelTest, NewPanelHasStandardLook) {
  auto* panel = Make<TPanel>();
  EXPECT_EQ(panel->Width(), 185);
  EXPECT_EQ(panel->Height(), 41);
  EXPECT_EQ(panel->Color(), clBtnFace);
  EXPECT_FALSE(panel->ParentColor());
  EXPECT_EQ(panel->BevelOuter(), bvRaised);
  EXPECT_EQ(panel->BevelInner(), bvNone);
  EXPECT_EQ(panel->Alignment(), taCenter);
  const DWORD style = WindowStyle(panel->Handle());
  const DWORD exStyle = WindowExStyle(panel->Handle());
  EXPECT_NE(style & WS_CLIPCHILDREN, 0u);
  EXPECT_NE(exStyle & WS_EX_CONTROLPARENT, 0u);
  EXPECT_EQ(style & WS_BORDER, 0u);
  EXPECT_EQ(exStyle & WS_EX_CLIENTEDGE, 0u);
}

TEST_F(PanelTest, ClassRedrawsOnResizeAndTakesDoubleClicksLikeEveryWindowedControl) {
  auto* panel = Make<TPanel>();
  EXPECT_EQ(GetClassLongA(panel->Handle(), GCL_STYLE),
            static_cast<DWORD>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
}

TEST_F(PanelTest, SingleBorderIsClientEdgeWithNewLook) {
  auto* panel = Make<TPanel>();
  panel->SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_NE(WindowExStyle(panel->Handle()) & WS_EX_CLIENTEDGE, 0u);
  EXPECT_EQ(WindowStyle(panel->Handle()) & WS_BORDER, 0u);
}

TEST_F(PanelTest, SingleBorderWithoutCtl3DIsPlainBorder) {
  auto* panel = Make<TPanel>();
  panel->SetCtl3D(false);
  panel->SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_NE(WindowStyle(panel->Handle()) & WS_BORDER, 0u);
}

TEST_F(PanelTest, RaisedBevelLightTopLeftDarkBottomRight) {
  auto* panel = Make<TPanel>();
  const Picture picture = PrintClient(panel);
  const int right = picture.width - 1;
  const int bottom = picture.height - 1;
  EXPECT_EQ(picture.At(0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(picture.At(right / 2, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(picture.At(0, bottom / 2), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(picture.At(right, bottom), ColorToRGB(clBtnShadow));
  EXPECT_EQ(picture.At(right / 2, bottom), ColorToRGB(clBtnShadow));
  EXPECT_EQ(picture.At(right, bottom / 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(picture.At(1, 1), ColorToRGB(clBtnFace));
}

TEST_F(PanelTest, LoweredBevelDarkTopLeft) {
  auto* panel = Make<TPanel>();
  panel->SetBevelOuter(bvLowered);
  panel->SetBevelWidth(2);
  const Picture picture = PrintClient(panel);
  EXPECT_EQ(picture.At(1, 1), ColorToRGB(clBtnShadow));
  EXPECT_EQ(picture.At(picture.width - 2, picture.height - 2), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(picture.At(2, 2), ColorToRGB(clBtnFace));
}

TEST_F(PanelTest, CaptionDrawnInMiddle) {
  auto* panel = Make<TPanel>();
  panel->SetCaption("WWW");
  const Picture picture = PrintClient(panel);
  const COLORREF ink = ColorToRGB(panel->Font()->Color());
  int left = picture.width;
  int right = -1;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (picture.At(x, y) == ink) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  ASSERT_GE(right, 0) << "no caption drawn";
  // Centred: as much room on either side, give or take a pixel of rounding.
  EXPECT_LE(std::abs(left - (picture.width - 1 - right)), 1);
}

TEST_F(PanelTest, CaptionChangeRepaints) {
  auto* panel = Make<TPanel>();
  PumpMessages();
  ValidateRect(panel->Handle(), nullptr);
  panel->SetCaption("x");
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(panel->Handle(), &update, FALSE));
}

TEST_F(PanelTest, ResizeRepaintsWholePanel) {
  auto* panel = Make<TPanel>();
  PumpMessages();
  ValidateRect(panel->Handle(), nullptr);
  panel->SetWidth(panel->Width() - 20);
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(panel->Handle(), &update, FALSE));
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.right, panel->Width());
}

}  // namespace
}  // namespace sx::testing
