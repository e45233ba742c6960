// A form's construction and destruction steps, freeing itself later, rescaling a stored
// definition for the screen, and the main form's minimise command.

#include "framework/graphics/Font.h"
#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/SystemServices.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/StreamBuilder.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

using LifecycleTest = FormsTest;

TEST_F(LifecycleTest, DestroyEventRunsHiddenWithTheWindowStillThereThenEverythingGoes) {
  struct Watch : TObject {
    bool windowExisted = false;
    bool wasVisible = true;
    bool wasDestroying = false;
    bool wasListed = false;
    HWND window = nullptr;
    void Destroyed(TObject* sender) {
      auto* form = static_cast<TTestForm*>(sender);
      windowExisted = IsWindow(window) != FALSE;
      wasVisible = IsWindowVisible(window) != FALSE;
      wasDestroying = form->Has(ComponentState::Destroying);
      for (int i = 0; i < Screen->CustomFormCount(); ++i)
        wasListed = wasListed || Screen->CustomForm(i) == form;
    }
  } watch;
  TTestForm* form = New<TTestForm>(Application);
  TTestButton* button = MakeChild<TTestButton>(form, 8, 8);
  button->SetName("Button1");
  form->Show();
  watch.window = form->Handle();
  const HWND buttonWindow = button->Handle();
  form->SetOnDestroy(MakeEvent<&Watch::Destroyed>(&watch));
  const int forms = Screen->CustomFormCount();
  form->Free();
  EXPECT_TRUE(watch.windowExisted);
  EXPECT_FALSE(watch.wasVisible);
  EXPECT_TRUE(watch.wasDestroying);
  EXPECT_TRUE(watch.wasListed);
  EXPECT_FALSE(IsWindow(watch.window));
  EXPECT_FALSE(IsWindow(buttonWindow));
  EXPECT_EQ(Screen->CustomFormCount(), forms - 1);
}

TEST_F(LifecycleTest, ExceptionInTheDestroyEventIsReportedAndTheFormGoesAnyway) {
  struct Failing : TObject {
    void Destroyed(TObject*) { throw Exception("Destroy failed"); }
  } failing;
  TTestForm* form = New<TTestForm>(Application);
  form->SetOnDestroy(MakeEvent<&Failing::Destroyed>(&failing));
  const int forms = Screen->CustomFormCount();
  form->Free();
  EXPECT_EQ(Screen->CustomFormCount(), forms - 1);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "Destroy failed.");
}

TEST_F(LifecycleTest, FormMayReleaseItselfFromItsOwnEventHandler) {
  struct Releaser : TObject {
    TTestForm* form;
    void Clicked(TObject*) { form->ReleaseLater(); }
  } releaser;
  TTestForm* form = New<TTestForm>(Application);
  form->SetName("Releasing");
  releaser.form = form;
  TTestButton* button = MakeChild<TTestButton>(form, 8, 8);
  button->SetOnClick(MakeEvent<&Releaser::Clicked>(&releaser));
  form->Show();
  PostMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(PumpUntil([] { return Application->FindOwned("Releasing") == nullptr; }));
}

// A form with a stored definition of the tests' own, for rescaling.
class TScaleForm : public TForm {
  SX_CLASS(TScaleForm)
  explicit TScaleForm(TComponent* owner) : TForm(owner) {}
  TTestButton* Button1 = nullptr;
  TTestButton* Button2 = nullptr;
};
constinit const ClassInfo* const kScaleFieldClasses[] = {&TTestButton::StaticClass};
constinit const FieldInfo kScaleFields[] = {Field<&TScaleForm::Button1>("Button1"),
                                            Field<&TScaleForm::Button2>("Button2")};
constinit const ClassInfo TScaleForm::StaticClass{
    .name = "TScaleForm",
    .parent = &TForm::StaticClass,
    .construct = &ConstructComponent<TScaleForm>,
    .fields = kScaleFields,
    .fieldClasses = kScaleFieldClasses,
};

class ScalingTest : public FormsTest {
 protected:
  // The height of "0" in a new form's font on this screen.
  static int MeasuredTextHeight() {
    TFont* font = New<TFont>();
    const int height = System().TextHeight(font->Handle(), "0");
    font->Free();
    return height;
  }
  // A definition made where "0" measured `storedTextHeight` pixels.
  static void Define(int storedTextHeight, bool scaled = true) {
    StreamBuilder b;
    b.Signature().Object("TScaleForm", "ScaleForm");
    if (!scaled) b.Name("Scaled").False();
    b.Name("PixelsPerInch").Int(96);
    b.Name("ClientWidth").Int(200);
    b.Name("TextHeight").Int(storedTextHeight);
    b.End();
    b.Object("TTestButton", "Button1");
    b.Name("Left").Int(100).Name("Top").Int(40).Name("Width").Int(50).Name("Height").Int(20);
    b.End().End();
    b.Object("TTestButton", "Button2");
    b.Name("Width").Int(30).Name("Height").Int(10);
    b.End().End();
    b.End();
    Services().Add("TScaleForm", b.Bytes());
  }
  // Made at `pixelsPerInch` in a font `fontHeight` high, in which "0" measured
  // `storedTextHeight`: a 200 by 100 client area with Button1 in it.
  static void DefineInFont(int fontHeight, int pixelsPerInch, int storedTextHeight) {
    StreamBuilder b;
    b.Signature().Object("TScaleForm", "ScaleForm");
    b.Name("Font.Height").Int(fontHeight);
    b.Name("PixelsPerInch").Int(pixelsPerInch);
    b.Name("TextHeight").Int(storedTextHeight);
    b.Name("ClientWidth").Int(200).Name("ClientHeight").Int(100);
    b.End();
    b.Object("TTestButton", "Button1");
    b.Name("Left").Int(100).Name("Top").Int(40).Name("Width").Int(50).Name("Height").Int(20);
    b.End().End();
    b.End();
    Services().Add("TScaleForm", b.Bytes());
  }
};

TEST_F(ScalingTest, EqualTextHeightMovesNothingAndClearsEveryFlag) {
  Define(MeasuredTextHeight());
  auto* form = New<TScaleForm>(Application);
  EXPECT_EQ(form->Button1->BoundsRect().left, 100);
  EXPECT_EQ(form->Button1->Width(), 50);
  EXPECT_EQ(form->Button2->Width(), 30);
  EXPECT_EQ(form->ClientWidth(), 200);
  EXPECT_TRUE(form->Button1->ScalingFlags().Empty());
  EXPECT_TRUE(form->Button2->ScalingFlags().Empty());
  EXPECT_TRUE(form->ScalingFlags().Empty());
}

TEST_F(ScalingTest, OtherTextHeightScalesPositionsSizesAndClientSize) {
  Define(2 * MeasuredTextHeight());
  auto* form = New<TScaleForm>(Application);
  EXPECT_EQ(BoundsOf(form->Button1->BoundsRect()), (Bounds{50, 20, 25, 10}));
  EXPECT_EQ(form->ClientWidth(), 100);
  EXPECT_TRUE(form->Button1->ScalingFlags().Empty());
}

TEST_F(ScalingTest, ControlWithoutStoredPlaceKeepsItAndHasOnlyItsSizeScaled) {
  Define(2 * MeasuredTextHeight());
  auto* form = New<TScaleForm>(Application);
  EXPECT_EQ(BoundsOf(form->Button2->BoundsRect()), (Bounds{0, 0, 15, 5}));
}

TEST_F(ScalingTest, UnscaledFormIsNeverRescaled) {
  Define(2 * MeasuredTextHeight(), false);
  auto* form = New<TScaleForm>(Application);
  EXPECT_FALSE(form->Scaled());
  EXPECT_EQ(form->Button1->Left(), 100);
  EXPECT_EQ(form->Button1->Width(), 50);
  EXPECT_TRUE(form->Button1->ScalingFlags().Empty());
}

TEST_F(ScalingTest, FailedTextMeasurementKeepsTheStoredLayoutAndClientSize) {
  // A screen on which "0" cannot be measured: its height comes back as 0.
  struct Unmeasurable : DefinitionServices {
    explicit Unmeasurable(DefinitionServices& served) : served(served) {}
    std::optional<std::span<const std::uint8_t>> FindRcData(ModuleId module,
                                                            std::string_view name) override {
      return served.FindRcData(module, name);
    }
    int TextHeight(FontHandle, std::string_view) override { return 0; }
    DefinitionServices& served;
  } unmeasurable(Services());
  Define(13);

  TScaleForm* form = nullptr;
  {
    SetSystem(&unmeasurable);
    Finally restore([] { SetSystem(&Services()); });
    form = New<TScaleForm>(Application);
  }

  EXPECT_EQ(BoundsOf(form->Button1->BoundsRect()), (Bounds{100, 40, 50, 20}));
  EXPECT_EQ(form->ClientWidth(), 200);
  EXPECT_TRUE(form->Button1->ScalingFlags().Empty());
}

TEST_F(ScalingTest, FontOfADefinitionMadeAtAnotherResolutionIsScaledToTheScreen) {
  // Made at twice this screen's resolution, in a font 22 pixels high.
  StreamBuilder b;
  b.Signature().Object("TScaleForm", "ScaleForm");
  b.Name("Font.Height").Int(-22);
  b.Name("PixelsPerInch").Int(2 * Screen->PixelsPerInch());
  b.Name("TextHeight").Int(13);
  b.End().End();
  Services().Add("TScaleForm", b.Bytes());

  auto* form = New<TScaleForm>(Application);

  EXPECT_EQ(form->Font()->Height(), -11);
  EXPECT_EQ(form->PixelsPerInch(), Screen->PixelsPerInch());
}

// A form that opens on a monitor of twice the screen's resolution is laid out for that
// monitor as it is read: no message would scale it once its window is made there.
TEST_F(ScalingTest, FormMadeOnAMonitorOfAnotherResolutionIsScaledForIt) {
  const int screen = Screen->PixelsPerInch();
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  FakeDesktop desktop({{RECT{0, 0, width, height}, RECT{0, 0, width, height}, 2 * screen}});
  TFont* font = New<TFont>();
  font->SetHeight(-12);
  const int d = System().TextHeight(font->Handle(), "0");
  font->Free();
  DefineInFont(-12, screen, d);

  auto* form = New<TScaleForm>(Application);

  EXPECT_EQ(form->PixelsPerInch(), 2 * screen);
  EXPECT_EQ(form->Font()->Height(), -24);
  const int m = System().TextHeight(form->Font()->Handle(), "0");
  ASSERT_GT(m, d);
  EXPECT_EQ(BoundsOf(form->Button1->BoundsRect()),
            (Bounds{MulDiv(100, m, d), MulDiv(40, m, d), MulDiv(150, m, d) - MulDiv(100, m, d),
                    MulDiv(60, m, d) - MulDiv(40, m, d)}));
}

// Loaded where "0" comes out less than twice as high at twice the resolution (a font of few
// sizes: Wine 8.0 draws 8-point MS Sans Serif's "0" 20 pixels high at 192 pixels per inch,
// not 26), the layout grew by less than the resolution did. Moved to a monitor of the
// design's resolution, it must come back to the design, not shrink below it by the ratio of
// the resolutions, which cuts every caption that fitted there.
TEST_F(ScalingTest, MoveDownFromAScaleWhoseTextCameOutSmallerComesBackToTheDesign) {
  const int screen = Screen->PixelsPerInch();
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  // Each monitor with its resolution, the design's one on the left.
  FakeDesktop desktop({{RECT{0, 0, width, height}, RECT{0, 0, width, height}, 2 * screen},
                       {RECT{-width, 0, 0, height}, RECT{-width, 0, 0, height}, screen}});
  const int fontHeight = -12;
  TFont* font = New<TFont>();
  font->SetHeight(fontHeight);
  const int d = System().TextHeight(font->Handle(), "0");
  font->SetHeight(2 * fontHeight);
  const int m = System().TextHeight(font->Handle(), "0");
  font->Free();
  ASSERT_LT(m, 2 * d) << "this system's font grows with the resolution: nothing to check";
  DefineInFont(fontHeight, screen, d);
  auto* form = New<TScaleForm>(Application);
  ASSERT_EQ(form->PixelsPerInch(), 2 * screen);
  RECT suggested{};
  GetWindowRect(form->Handle(), &suggested);
  suggested.right = suggested.left + (suggested.right - suggested.left) / 2;
  suggested.bottom = suggested.top + (suggested.bottom - suggested.top) / 2;

  SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(screen, screen),
               reinterpret_cast<LPARAM>(&suggested));

  EXPECT_EQ(form->Font()->Height(), fontHeight);
  EXPECT_EQ(BoundsOf(form->Button1->BoundsRect()), (Bounds{100, 40, 50, 20}));
  EXPECT_GE(form->ClientWidth(), 200) << "the window cuts the controls off";
  EXPECT_GE(form->ClientHeight(), 100) << "the window cuts the controls off";
}

TEST_F(ScalingTest, PixelsPerInchTakesOnlyZeroOrValuesAbove35) {
  TTestForm* form = New<TTestForm>(Application);
  form->SetPixelsPerInch(35);
  EXPECT_EQ(form->PixelsPerInch(), Screen->PixelsPerInch());
  form->SetPixelsPerInch(36);
  EXPECT_EQ(form->PixelsPerInch(), 36);
  form->SetPixelsPerInch(0);
  EXPECT_FALSE(form->Scaled());
  EXPECT_EQ(form->PixelsPerInch(), Screen->PixelsPerInch()) << "none of its own: the screen's";
}

TEST_F(LifecycleTest, CreateEventExceptionIsReportedAndTheFormStays) {
  struct Failing : TObject {
    void Created(TObject*) { throw Exception("Create failed"); }
  } failing;
  class TFailingCreateForm : public TForm {
   public:
    TFailingCreateForm(TComponent* owner, Failing* failing) : TForm(owner, kCreateNew) {
      SetOnCreate(MakeEvent<&Failing::Created>(failing));
    }
  };
  auto* form = New<TFailingCreateForm>(Application, &failing);
  ASSERT_NE(form, nullptr);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].text, "Create failed.");
}

TEST_F(LifecycleTest, MinimisingTheMainFormMinimisesTheApplication) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  main->Show();
  SendMessageA(main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(Application->Handle()));
  EXPECT_FALSE(IsIconic(main->Handle())) << "the form itself is not minimised";
  EXPECT_EQ(main->WindowState(), wsNormal);
  EXPECT_TRUE(main->Visible());
  SendMessageA(Application->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(Application->Handle()));
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
}

}  // namespace
}  // namespace sx::testing
