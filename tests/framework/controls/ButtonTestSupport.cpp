#include "tests/framework/controls/ButtonTestSupport.h"

#include "tests/support/StreamBuilder.h"

namespace sx::testing {
namespace {

constinit const ClassInfo* const kStoredFormFieldClasses[] = {
    &TButton::StaticClass, &TBitBtn::StaticClass, &TPanel::StaticClass, &TRadioButton::StaticClass};

}  // namespace

constinit const ClassInfo TButtonTestForm::StaticClass{
    .name = "TButtonTestForm",
    .parent = &TForm::StaticClass,
    .construct = &ConstructComponent<TButtonTestForm>,
};

constinit const ClassInfo TStoredButtonForm::StaticClass{
    .name = "TStoredButtonForm",
    .parent = &TForm::StaticClass,
    .construct = &ConstructComponent<TStoredButtonForm>,
    .fieldClasses = kStoredFormFieldClasses,
};

void TEventCounter::Handle(TObject* sender) {
  ++count;
  lastSender = sender;
  if (watchedForm) modalResultSeen = watchedForm->ModalResult();
}

std::vector<std::uint8_t> BitmapFile(int width, int height, std::vector<std::uint8_t> pixels) {
  constexpr std::uint32_t kHeaders = 14 + 40;
  StreamBuilder file;
  file.Raw("BM").Le32(kHeaders + static_cast<std::uint32_t>(pixels.size())).Le32(0).Le32(kHeaders);
  file.Le32(40).Le32(static_cast<std::uint32_t>(width)).Le32(static_cast<std::uint32_t>(height));
  file.Le16(1).Le16(24);
  for (int i = 0; i < 6; ++i)
    file.Le32(0);
  file.Raw(pixels);
  return file.Bytes();
}

DefinitionServices& ButtonsTest::Services() {
  static DefinitionServices services;
  return services;
}

namespace {

// The framework starts once for the whole program, with one form on the screen that every
// test puts its controls on: hiding a shown window costs seconds under a display without a
// window manager.
class ButtonsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetSystem(&ButtonsTest::Services());
    RecordMessageBoxes();
    DrainQueue();
    ASSERT_TRUE(StartFramework());
    form = New<TButtonTestForm>(Application);
    form->ChangeBounds(100, 100, 400, 300);
  }
  void TearDown() override {
    FreeAndNil(form);
    FinishFramework();
    DrainQueue();
  }

  static TButtonTestForm* form;
};

TButtonTestForm* ButtonsEnvironment::form = nullptr;

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ButtonsEnvironment);

}  // namespace

void ButtonsTest::SetUp() {
  Services().Clear();
  RecordedBoxes().clear();
  form = ButtonsEnvironment::form;
  ASSERT_NE(form, nullptr);
  firstComponent_ = form->ComponentCount();
  form->SetModalResult(0);
  if (!form->Visible()) form->Show();
  SetForegroundWindow(form->Handle());
  PumpMessages();
}

void ButtonsTest::TearDown() {
  PumpMessages();
  // What the test made goes; the form stays for the next one.
  while (form->ComponentCount() > firstComponent_)
    Free(form->Component(form->ComponentCount() - 1));
  PumpMessages();
  // An exception that reached the message boundary is a failure of the test that caused it.
  for (const RecordedBox& box : RecordedBoxes())
    ADD_FAILURE() << "message box: " << box.text;
}

void ButtonsTest::ClickWithMouse(TWinControl* control) {
  const LPARAM middle = MAKELPARAM(control->Width() / 2, control->Height() / 2);
  SendMessageA(control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageA(control->Handle(), WM_LBUTTONUP, 0, middle);
  PumpMessages();
}

void ButtonsTest::ClickOnScreen(TWinControl* control) {
  POINT middle{control->Width() / 2, control->Height() / 2};
  ClientToScreen(control->Handle(), &middle);
  SetCursorPos(middle.x, middle.y);
  INPUT inputs[2] = {};
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].type = INPUT_MOUSE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
  // The input reaches the queue a little later.
  for (int i = 0; i < 20; ++i) {
    Sleep(10);
    PumpMessages();
  }
}

void ButtonsTest::PressKey(WPARAM key) {
  const HWND focus = GetFocus();
  ASSERT_NE(focus, nullptr);
  SendKey(focus, key);
  PumpMessages();
}

Picture ButtonsTest::RenderFace(TBitBtn* button, UINT itemState) {
  return Draw(button->Width(), button->Height(), RGB(0, 0, 0), [&](HDC dc) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = button->Handle();
    item.hDC = dc;
    item.rcItem = RECT{0, 0, button->Width(), button->Height()};
    button->DeliverMessage(FWM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
  });
}

}  // namespace sx::testing
