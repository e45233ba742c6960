#include "tests/framework/controls/ButtonTestSupport.h"

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
    Pump();
  }

  TPanel* panel = nullptr;
  TRadioButton* radios[5] = {};
  TEventCounter clicks[5];
};

TEST_F(RadioButtonTest, WindowIsPlainRadioButtonOfStandardSize) {
  auto* radio = Make<TRadioButton>();
  const DWORD style = static_cast<DWORD>(GetWindowLongA(radio->Handle(), GWL_STYLE));
  EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_RADIOBUTTON));
  EXPECT_EQ(style & BS_LEFTTEXT, 0u);
  EXPECT_EQ(radio->Width(), 113);
  EXPECT_EQ(radio->Height(), 17);
  EXPECT_FALSE(radio->TabStop());
}

TEST_F(RadioButtonTest, LeftAlignedCaptionStandsLeftOfCircle) {
  auto* radio = Make<TRadioButton>();
  radio->SetAlignment(taLeftJustify);
  const DWORD style = static_cast<DWORD>(GetWindowLongA(radio->Handle(), GWL_STYLE));
  EXPECT_NE(style & BS_LEFTTEXT, 0u);
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
  Pump();
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

// Remembers the FWM_CHANGED notifications a control gets.
class TChangeWatcher : public TObject {
 public:
  explicit TChangeWatcher(TControl* control) : control_(control) {
    previous_ = control->GetMessageHandler();
    control->SetMessageHandler(MakeEvent<&TChangeWatcher::Handle>(this));
  }
  ~TChangeWatcher() override { control_->SetMessageHandler(previous_); }
  std::vector<LPARAM> changed;

 private:
  void Handle(TMessage& message) {
    if (message.Msg == FWM_CHANGED) changed.push_back(message.LParam);
    previous_(message);
  }

  TControl* control_;
  TControl::MessageHandler previous_;
};

TEST_F(RadioGroupTest, CheckingTellsParentChain) {
  TChangeWatcher panelWatch(panel);
  TChangeWatcher formWatch(form);
  radios[1]->SetChecked(true);
  ASSERT_EQ(panelWatch.changed.size(), 1u);
  EXPECT_EQ(panelWatch.changed[0], reinterpret_cast<LPARAM>(radios[1]));
  EXPECT_EQ(formWatch.changed.size(), 1u);
}

TEST_F(RadioGroupTest, UncheckingTellsNobody) {
  TChangeWatcher panelWatch(panel);
  radios[2]->SetChecked(false);
  EXPECT_TRUE(panelWatch.changed.empty());
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
  Pump();
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
  const LONG style = GetWindowLongA(panel->Handle(), GWL_STYLE);
  const LONG exStyle = GetWindowLongA(panel->Handle(), GWL_EXSTYLE);
  EXPECT_NE(style & WS_CLIPCHILDREN, 0);
  EXPECT_NE(exStyle & WS_EX_CONTROLPARENT, 0);
  EXPECT_EQ(style & WS_BORDER, 0);
  EXPECT_EQ(exStyle & WS_EX_CLIENTEDGE, 0);
}

TEST_F(PanelTest, SingleBorderIsClientEdgeWithNewLook) {
  auto* panel = Make<TPanel>();
  panel->SetBorderStyle(TBorderStyle::bsSingle);
  const LONG style = GetWindowLongA(panel->Handle(), GWL_STYLE);
  const LONG exStyle = GetWindowLongA(panel->Handle(), GWL_EXSTYLE);
  EXPECT_NE(exStyle & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(style & WS_BORDER, 0);
}

TEST_F(PanelTest, SingleBorderWithoutCtl3DIsPlainBorder) {
  auto* panel = Make<TPanel>();
  panel->SetCtl3D(false);
  panel->SetBorderStyle(TBorderStyle::bsSingle);
  const LONG style = GetWindowLongA(panel->Handle(), GWL_STYLE);
  EXPECT_NE(style & WS_BORDER, 0);
}

TEST_F(PanelTest, RaisedBevelLightTopLeftDarkBottomRight) {
  auto* panel = Make<TPanel>();
  const Picture picture = RenderClient(panel);
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
  const Picture picture = RenderClient(panel);
  EXPECT_EQ(picture.At(1, 1), ColorToRGB(clBtnShadow));
  EXPECT_EQ(picture.At(picture.width - 2, picture.height - 2), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(picture.At(2, 2), ColorToRGB(clBtnFace));
}

TEST_F(PanelTest, CaptionDrawnInMiddle) {
  auto* panel = Make<TPanel>();
  panel->SetCaption("WWW");
  const Picture picture = RenderClient(panel);
  const std::uint32_t ink = ColorToRGB(panel->Font()->Color());
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
  Pump();
  ValidateRect(panel->Handle(), nullptr);
  panel->SetCaption("x");
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(panel->Handle(), &update, FALSE));
}

TEST_F(PanelTest, ResizeRepaintsWholePanel) {
  auto* panel = Make<TPanel>();
  Pump();
  ValidateRect(panel->Handle(), nullptr);
  panel->SetWidth(panel->Width() - 20);
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(panel->Handle(), &update, FALSE));
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.right, panel->Width());
}

}  // namespace
}  // namespace sx::testing
