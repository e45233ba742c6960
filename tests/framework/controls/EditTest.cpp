#include "framework/controls/Edit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "tests/framework/controls/ControlTestSupport.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

class ChangeCounter : public TObject {
 public:
  void Changed(TObject* sender) { senders.push_back(sender); }
  TNotifyEvent Event() { return MakeEvent<&ChangeCounter::Changed>(this); }
  std::vector<TObject*> senders;
};

void Type(TEdit* edit, char character) {
  SendMessageA(edit->Handle(), WM_CHAR, static_cast<unsigned char>(character), 1);
}

class EditTest : public ControlTest {
 protected:
  TEdit* MakeField() { return Make<TEdit>(form, 8, 8, 41, 21); }

  ChangeCounter changes;
};

// --- The window -------------------------------------------------------------------------------

TEST_F(EditTest, WindowIsTheSystemEditUnderTheClassName) {
  TEdit* edit = MakeField();
  HWND window = edit->Handle();
  EXPECT_EQ(WindowClass(window), "TEdit");
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_EQ(style & (ES_AUTOHSCROLL | ES_AUTOVSCROLL), ES_AUTOHSCROLL | ES_AUTOVSCROLL);
  EXPECT_TRUE(style & WS_TABSTOP);
  EXPECT_FALSE(style & (ES_READONLY | ES_PASSWORD | ES_NOHIDESEL));
}

TEST_F(EditTest, SingleBorderIsAClientEdgeWithTheNewLook) {
  HWND window = MakeField()->Handle();
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_BORDER);
  EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(EditTest, BoundsAfterCreationAreTheStoredOnes) {
  TEdit* edit = Make<TEdit>(form, 80, 8, 41, 21);
  EXPECT_EQ(BoundsInParent(edit->Handle()), (Bounds{80, 8, 41, 21}));
}

// --- Height -----------------------------------------------------------------------------------

TEST_F(EditTest, NewFieldIsAsHighAsTheEightPointFontNeeds) {
  auto* edit = New<TEdit>(nullptr);
  ASSERT_EQ(edit->Font()->Name(), "MS Sans Serif");
  ASSERT_EQ(edit->Font()->Size(), 8);
  EXPECT_EQ(edit->Width(), 121);
  EXPECT_EQ(edit->Height(), 21);
  edit->Free();
}

TEST_F(EditTest, MadeWindowIsRefittedToTheFont) {
  TEdit* edit = Make<TEdit>(form, 8, 8, 41, 30);
  EXPECT_EQ(edit->Height(), 21);
  EXPECT_EQ(BoundsInParent(edit->Handle()).height, 21);
}

TEST_F(EditTest, LargerFontMakesAHigherField) {
  TEdit* edit = MakeField();
  edit->Font()->SetSize(16);
  EXPECT_GT(edit->Height(), 21);
}

// --- Read-only and text -----------------------------------------------------------------------

TEST_F(EditTest, ReadOnlyFieldRefusesTyping) {
  TEdit* edit = MakeField();
  edit->SetReadOnly(true);
  edit->SetText("0");
  Type(edit, '5');
  EXPECT_EQ(edit->Text(), "0");
}

TEST_F(EditTest, ReadOnlyFieldTakesTheProgramsText) {
  TEdit* edit = MakeField();
  edit->SetReadOnly(true);
  edit->SetText("0");
  edit->SetText("59");
  EXPECT_EQ(edit->Text(), "59");
  EXPECT_EQ(GetWindowTextLengthA(edit->Handle()), 2);
}

TEST_F(EditTest, ClearingReadOnlyOnTheWindowAllowsTyping) {
  TEdit* edit = MakeField();
  edit->SetReadOnly(true);
  edit->HandleNeeded();
  edit->SetReadOnly(false);
  Type(edit, '5');
  EXPECT_EQ(edit->Text(), "5");
}

TEST_F(EditTest, SettingTheShownTextSendsNothing) {
  TEdit* edit = MakeField();
  edit->SetText("0");
  edit->SetOnChange(changes.Event());
  TMessageSpy spy(edit);
  edit->SetText("0");
  spy.Detach();
  EXPECT_EQ(spy.Count(WM_SETTEXT), 0);
  EXPECT_EQ(spy.Count(FWM_TEXTCHANGED), 0);
  EXPECT_TRUE(changes.senders.empty());
}

TEST_F(EditTest, MaxLengthSetBeforeTheWindowReachesIt) {
  auto* edit = New<TEdit>(form);
  edit->SetMaxLength(3);
  edit->SetParentControl(form);
  EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETLIMITTEXT, 0, 0), 3);
}

// --- Change notification ----------------------------------------------------------------------

TEST_F(EditTest, ProgramTextChangeRaisesOnChangeOnce) {
  TEdit* edit = MakeField();
  edit->SetOnChange(changes.Event());
  edit->SetText("4");
  EXPECT_EQ(changes.senders, std::vector<TObject*>{edit});
}

TEST_F(EditTest, ChangeGoesUpTheParentChain) {
  auto* panel = Make<TTestPanel>(form, 0, 0, 200, 100);
  TEdit* edit = Make<TEdit>(panel);
  TMessageSpy panelSpy(panel);
  TMessageSpy formSpy(form);
  edit->SetText("1");
  panelSpy.Detach();
  formSpy.Detach();
  for (TMessageSpy* spy : {&panelSpy, &formSpy}) {
    ASSERT_EQ(spy->Count(FWM_CHANGED), 1);
    EXPECT_EQ(spy->Of(FWM_CHANGED)[0].LParam, reinterpret_cast<LPARAM>(edit));
  }
}

TEST_F(EditTest, TextChangeWithoutWindowRaisesOnChange) {
  auto* edit = New<TEdit>(nullptr);
  edit->SetOnChange(changes.Event());
  edit->SetText("3");
  EXPECT_EQ(changes.senders.size(), 1u);
  edit->Free();
}

TEST_F(EditTest, MakingTheWindowIsNoChange) {
  auto* edit = New<TEdit>(form);
  edit->SetText("5");
  edit->SetOnChange(changes.Event());
  edit->SetParentControl(form);
  ASSERT_TRUE(edit->HandleAllocated());
  EXPECT_EQ(edit->Text(), "5");
  EXPECT_TRUE(changes.senders.empty());
}

}  // namespace
}  // namespace sx::testing
