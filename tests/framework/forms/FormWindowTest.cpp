// The window a form gets: styles for each border style, owner, icon, placement, and the
// visible wish of a form being read.

#include "framework/forms/Icon.h"
#include "framework/runtime/Exception.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/Raised.h"
#include "tests/support/StreamBuilder.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

class FormWindowTest : public FormsTest {
 protected:
  // A form with the border style and icons, its window made.
  TTestForm* MakeForm(TFormBorderStyle style,
                      TBorderIcons icons = {biSystemMenu, biMinimize, biMaximize}) {
    TTestForm* form = New<TTestForm>(Application);
    form->SetBorderStyle(style);
    form->SetBorderIcons(icons);
    form->HandleNeeded();
    return form;
  }
};

constexpr DWORD kBoxes = WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD kFrame = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | kBoxes;

// The window styles a border style and border icons give, within the masks.
struct StyleCase {
  const char* name;
  TFormBorderStyle style;
  TBorderIcons icons;
  DWORD mask;
  DWORD wanted;
  DWORD exMask;
  DWORD exWanted;
};

class FormStyleTest : public FormWindowTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(FormStyleTest, BorderStyleAndIconsGiveTheirWindowStylesAndTheApplicationWindowOwns) {
  const StyleCase& c = GetParam();
  TTestForm* form = MakeForm(c.style, c.icons);
  EXPECT_EQ(WindowStyle(form->Handle()) & c.mask, c.wanted);
  EXPECT_EQ(WindowExStyle(form->Handle()) & c.exMask, c.exWanted);
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), Application->Handle());
}

constexpr TBorderIcons kAllIcons{biSystemMenu, biMinimize, biMaximize};

INSTANTIATE_TEST_SUITE_P(
    Styles, FormStyleTest,
    ::testing::Values(
        // Every box, a sizing frame, and no child or tool window.
        StyleCase{"Sizeable", bsSizeable, kAllIcons, ~DWORD{WS_VISIBLE},
                  kFrame | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW, 0},
        StyleCase{"SingleHasNoSizingFrame", bsSingle, kAllIcons, kFrame,
                  WS_CAPTION | WS_SYSMENU | kBoxes, 0, 0},
        StyleCase{"NoneIsAPopupWithoutCaptionOrButtons", bsNone, kAllIcons, WS_POPUP | kFrame,
                  WS_POPUP, 0, 0},
        StyleCase{"DialogKeepsOnlyTheSystemMenuAndNoMinimiseBox", bsDialog,
                  TBorderIcons{biSystemMenu, biMinimize, biMaximize, biHelp}, WS_POPUP | kFrame,
                  WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP,
                  WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP},
        StyleCase{"ToolWindowKeepsOnlyTheSystemMenu", bsToolWindow, kAllIcons, kFrame,
                  WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW},
        StyleCase{"SizeableToolWindowKeepsOnlyTheSystemMenu", bsSizeToolWin, kAllIcons, kFrame,
                  WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW},
        StyleCase{"WithoutSystemMenuNoSystemMenuStyle", bsSizeable, TBorderIcons{biMinimize},
                  WS_SYSMENU | kBoxes, WS_MINIMIZEBOX, 0, 0}),
    [](const ::testing::TestParamInfo<StyleCase>& info) { return info.param.name; });

// A dialog form of a class of its own, so that its window class is registered for it.
class TDialogClassForm : public TForm {
  SX_CLASS(TDialogClassForm)
  explicit TDialogClassForm(TComponent* owner) : TForm(owner, kCreateNew) {
    SetBorderStyle(bsDialog);
  }
};
constinit const ClassInfo TDialogClassForm::StaticClass{.name = "TDialogClassForm",
                                                        .parent = &TForm::StaticClass};

TEST_F(FormWindowTest, DialogFormHasNoIconAndItsWindowClassSavesBitsAndAlignsOnBytes) {
  // The window class is registered under the form class's name when the first window of
  // the class is made.
  auto* form = New<TDialogClassForm>(Application);
  form->HandleNeeded();
  EXPECT_EQ(static_cast<DWORD>(GetClassLongA(form->Handle(), GCL_STYLE)),
            static_cast<DWORD>(CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW));
  EXPECT_EQ(SendMessageA(form->Handle(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(FormWindowTest, ChangingTheBorderStyleMakesTheWindowAgain) {
  TTestForm* form = MakeForm(bsSizeable);
  form->Show();
  form->SetBorderStyle(bsSingle);
  ASSERT_TRUE(form->HandleAllocated());
  EXPECT_FALSE(WindowStyle(form->Handle()) & WS_THICKFRAME);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(form->AutoScroll()) << "only the sizeable styles scroll by themselves";
}

TEST_F(FormWindowTest, FormWithoutIconShowsTheApplicationsAndFollowsItsChanges) {
  TTestForm* form = MakeForm(bsSizeable);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(form->Handle(), WM_GETICON, ICON_BIG, 0)),
            Application->IconHandle());
  const HICON other = LoadIconA(nullptr, IDI_WARNING);
  Application->Icon()->SetHandle(other);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(form->Handle(), WM_GETICON, ICON_BIG, 0)), other);
}

TEST_F(FormWindowTest, FormWithItsOwnIconKeepsItWhenTheApplicationsChanges) {
  TTestForm* form = MakeForm(bsSizeable);
  const HICON own = LoadIconA(nullptr, IDI_QUESTION);
  form->Icon()->SetHandle(own);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(form->Handle(), WM_GETICON, ICON_BIG, 0)), own);
  Application->Icon()->SetHandle(LoadIconA(nullptr, IDI_WARNING));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(form->Handle(), WM_GETICON, ICON_BIG, 0)), own);
}

TEST_F(FormWindowTest, NewFormHasTheDefaults) {
  TTestForm* form = New<TTestForm>(Application);
  EXPECT_EQ(form->Width(), 320);
  EXPECT_EQ(form->Height(), 240);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->ParentColor());
  EXPECT_FALSE(form->ParentFont());
  EXPECT_EQ(form->BorderStyle(), bsSizeable);
  EXPECT_EQ(form->Position(), poDesigned);
  EXPECT_EQ(form->PixelsPerInch(), Screen->PixelsPerInch());
  EXPECT_EQ(form->Icon()->Width(), GetSystemMetrics(SM_CXSMICON));
  EXPECT_TRUE(form->AutoScroll());
}

TEST_F(FormWindowTest, ScreenCentredFormIsCentredWhenShownAndThenDesigned) {
  TTestForm* form = New<TTestForm>(Application);
  form->SetPosition(poScreenCenter);
  form->Show();
  EXPECT_EQ(form->Left(), (Screen->Width() - form->Width()) / 2);
  EXPECT_EQ(form->Top(), (Screen->Height() - form->Height()) / 2);
  EXPECT_EQ(form->Position(), poDesigned);
}

TEST_F(FormWindowTest, FormPlacedByTheSystemKeepsItsPlaceWhenItsWindowIsMadeAgain) {
  TTestForm* form = New<TTestForm>(Application);
  form->SetPosition(poDefaultPosOnly);
  form->Show();
  const RECT shown = ScreenRect(form->Handle());

  form->SetBorderStyle(bsSingle);

  EXPECT_EQ(form->Position(), poDesigned);
  EXPECT_EQ(ScreenRect(form->Handle()).left, shown.left);
  EXPECT_EQ(ScreenRect(form->Handle()).top, shown.top);
}

TEST_F(FormWindowTest, MainFormCentredFormIsCentredOverTheMainForm) {
  TTestForm* main = nullptr;
  Application->CreateOwnedForm(main);
  main->ChangeBounds(100, 80, 400, 300);
  TTestForm* form = New<TTestForm>(Application);
  form->ChangeBounds(0, 0, 200, 100);
  form->SetPosition(poMainFormCenter);
  form->Show();
  EXPECT_EQ(form->Left(), 200);
  EXPECT_EQ(form->Top(), 180);
}

TEST_F(FormWindowTest, ShownFormAppearsWhereItStandsWithItsOuterSize) {
  TTestForm* form = New<TTestForm>(Application);
  form->ChangeBounds(341, 157, 301, 223);
  form->Show();
  EXPECT_EQ(ScreenBounds(form->Handle()), (Bounds{341, 157, 301, 223}));
}

TEST_F(FormWindowTest, WindowStateOfAShowingFormIsApplied) {
  TTestForm* form = New<TTestForm>(Application);
  form->Show();
  form->SetWindowState(wsMaximized);
  EXPECT_TRUE(IsZoomed(form->Handle()));
  form->SetWindowState(wsNormal);
  EXPECT_FALSE(IsZoomed(form->Handle()));
}

TEST_F(FormWindowTest, MaximisedFormIsShownMaximised) {
  TTestForm* form = New<TTestForm>(Application);
  form->SetWindowState(wsMaximized);
  form->Show();
  EXPECT_TRUE(IsZoomed(form->Handle()));
}

TEST_F(FormWindowTest, ControlBeyondTheClientAreaMakesTheFormScrollAndFocusScrollsItIntoView) {
  TTestForm* form = New<TTestForm>(Application);
  form->ChangeBounds(0, 0, 200, 150);
  TTestButton* top = MakeChild<TTestButton>(form, 8, 8);
  TTestButton* bottom = MakeChild<TTestButton>(form, 8, 400);
  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return top->Focused(); }));
  EXPECT_EQ(form->VertScrollBar()->Range(), 425);
  EXPECT_TRUE(form->VertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(form->HorzScrollBar()->IsScrollBarVisible());
  bottom->SetFocus();
  const RECT client = form->ClientRect();
  EXPECT_LE(bottom->Top() + bottom->Height(), client.bottom);
  EXPECT_GE(bottom->Top(), 0);
  EXPECT_EQ(form->VertScrollBar()->Position(), 400 + 25 - client.bottom);
}

// A form read from a stored definition of the tests' own.
class TStoredForm : public TForm {
  SX_CLASS(TStoredForm)
  explicit TStoredForm(TComponent* owner) : TForm(owner) {}
  TTestButton* Button1 = nullptr;
};
constinit const ClassInfo* const kStoredFieldClasses[] = {&TTestButton::StaticClass};
constinit const FieldInfo kStoredFields[] = {Field<&TStoredForm::Button1>("Button1")};
constinit const ClassInfo TStoredForm::StaticClass{
    .name = "TStoredForm",
    .parent = &TForm::StaticClass,
    .construct = &ConstructComponent<TStoredForm>,
    .fields = kStoredFields,
    .fieldClasses = kStoredFieldClasses,
};

TEST_F(FormWindowTest, VisibleReadFromTheDefinitionShowsTheFormOnlyAfterConstruction) {
  StreamBuilder b;
  b.Signature().Object("TStoredForm", "StoredForm");
  b.Name("Visible").True();
  b.End().End();
  Services().Add("TStoredForm", b.Bytes());
  struct Watch : TObject {
    bool visibleWhenCreated = true;
    void Created(TObject* sender) {
      visibleWhenCreated = IsWindowVisible(static_cast<TStoredForm*>(sender)->Handle()) != FALSE;
    }
  } watch;
  // OnCreate comes from the definition in real forms; here it is set before the form is
  // read, through a form that sets it in its constructor.
  class TWatchedForm : public TStoredForm {
   public:
    TWatchedForm(TComponent* owner, Watch* watch) : TStoredForm(owner) {
      SetOnCreate(MakeEvent<&Watch::Created>(watch));
    }
  };
  auto* form = New<TWatchedForm>(Application, &watch);
  EXPECT_FALSE(watch.visibleWhenCreated);
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(FormWindowTest, StoredActiveControlThatCannotTakeTheFocusIsForgotten) {
  StreamBuilder b;
  b.Signature().Object("TStoredForm", "StoredForm");
  b.Name("ActiveControl").Ident("Button1");
  b.End();
  b.Object("TTestButton", "Button1");
  b.Name("Enabled").False();
  b.End().End();
  b.End();
  Services().Add("TStoredForm", b.Bytes());
  auto* form = New<TStoredForm>(Application);
  ASSERT_NE(form->Button1, nullptr);
  EXPECT_EQ(form->ActiveControl(), nullptr);
}

TEST_F(FormWindowTest, StoredActiveControlThatCanTakeTheFocusStays) {
  StreamBuilder b;
  b.Signature().Object("TStoredForm", "StoredForm");
  b.Name("ActiveControl").Ident("Button1");
  b.End();
  b.Object("TTestButton", "Button1").End().End();
  b.End();
  Services().Add("TStoredForm", b.Bytes());
  auto* form = New<TStoredForm>(Application);
  EXPECT_EQ(form->ActiveControl(), form->Button1);
}

TEST_F(FormWindowTest, FailingDefinitionDestroysTheHalfBuiltForm) {
  StreamBuilder b;
  b.Signature().Object("TStoredForm", "StoredForm");
  b.End();
  b.Object("TTestButton", "Button1").End().End();
  b.Object("TUnknownThing", "Thing1").End().End();
  b.End();
  Services().Add("TStoredForm", b.Bytes());
  const int forms = Screen->CustomFormCount();
  EXPECT_EQ(Raised([] { New<TStoredForm>(Application); }),
            "EClassNotFound: Class TUnknownThing not found");
  EXPECT_EQ(Screen->CustomFormCount(), forms);
  EXPECT_EQ(Application->ComponentCount(), 1) << "only the hint window remains";
}

}  // namespace
}  // namespace sx::testing
