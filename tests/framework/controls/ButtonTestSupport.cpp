#include "tests/framework/controls/ButtonTestSupport.h"

#include "framework/runtime/TextUtil.h"

namespace sx::testing {
namespace {

std::vector<std::string> g_boxes;

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR, UINT) {
  g_boxes.push_back(text ? text : "");
  return IDOK;
}

void DrainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

constinit const ClassInfo* const kStoredFormFieldClasses[] = {
    &TButton::StaticClass, &TBitBtn::StaticClass, &TPanel::StaticClass, &TRadioButton::StaticClass};

Picture FromMemory(HDC dc, HBITMAP bitmap, int width, int height) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<std::size_t>(width) * height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), picture.pixels.data(), &info, DIB_RGB_COLORS);
  for (auto& pixel : picture.pixels)
    pixel = ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
  return picture;
}

template <class Draw>
Picture RenderInto(int width, int height, Draw draw) {
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  const RECT all{0, 0, width, height};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  draw(memory);
  SelectObject(memory, old);
  Picture picture = FromMemory(memory, bitmap, width, height);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

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

std::optional<std::span<const std::uint8_t>> ButtonTestServices::FindRcData(ModuleId module,
                                                                            std::string_view name) {
  if (const auto found = definitions.find(AsciiUpperCase(name)); found != definitions.end())
    return std::span<const std::uint8_t>(found->second);
  return Win32SystemServices::FindRcData(module, name);
}

void TEventCounter::Handle(TObject* sender) {
  ++count;
  lastSender = sender;
  if (watchedForm) modalResultSeen = watchedForm->ModalResult();
}

int Picture::Count(std::uint32_t rgb) const {
  int count = 0;
  for (std::uint32_t pixel : pixels)
    count += pixel == rgb ? 1 : 0;
  return count;
}

POINT Picture::Find(const Picture& block, RECT within) const {
  for (int y = within.top; y + block.height <= within.bottom; ++y)
    for (int x = within.left; x + block.width <= within.right; ++x) {
      bool same = true;
      for (int by = 0; same && by < block.height; ++by)
        for (int bx = 0; same && bx < block.width; ++bx)
          same = At(x + bx, y + by) == block.At(bx, by);
      if (same) return POINT{x, y};
    }
  return POINT{-1, -1};
}

ButtonTestServices& ButtonsTest::Services() {
  static ButtonTestServices services;
  return services;
}

std::vector<std::string>& ButtonsTest::Boxes() {
  return g_boxes;
}

namespace {

// The framework starts once for the whole program, with one form on the screen that every
// test puts its controls on: hiding a shown window costs seconds under a display without a
// window manager.
class ButtonsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetSystem(&ButtonsTest::Services());
    SetMessageBoxProc(&RecordBox);
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
  Services().definitions.clear();
  g_boxes.clear();
  form = ButtonsEnvironment::form;
  ASSERT_NE(form, nullptr);
  firstComponent_ = form->ComponentCount();
  form->SetModalResult(0);
  if (!form->Visible()) form->Show();
  SetForegroundWindow(form->Handle());
  Pump();
}

void ButtonsTest::TearDown() {
  Pump();
  // What the test made goes; the form stays for the next one.
  while (form->ComponentCount() > firstComponent_)
    Free(form->Component(form->ComponentCount() - 1));
  Pump();
  HoldKey(VK_SHIFT, false);
  HoldKey(VK_CONTROL, false);
  // An exception that reached the message boundary is a failure of the test that caused it.
  for (const std::string& box : g_boxes)
    ADD_FAILURE() << "message box: " << box;
}

void ButtonsTest::Pump() {
  while (Application->ProcessOneMessage()) {
  }
}

void ButtonsTest::ClickWithMouse(TWinControl* control) {
  const LPARAM middle = MAKELPARAM(control->Width() / 2, control->Height() / 2);
  SendMessageA(control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageA(control->Handle(), WM_LBUTTONUP, 0, middle);
  Pump();
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
    Pump();
  }
}

void ButtonsTest::PressKey(WPARAM key) {
  const HWND focus = GetFocus();
  ASSERT_NE(focus, nullptr);
  SendMessageA(focus, WM_KEYDOWN, key, 1);
  SendMessageA(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  Pump();
}

void ButtonsTest::HoldKey(int key, bool down) {
  BYTE state[256];
  GetKeyboardState(state);
  state[key] = down ? 0x80 : 0;
  SetKeyboardState(state);
}

Picture ButtonsTest::RenderFace(TBitBtn* button, UINT itemState) {
  return RenderInto(button->Width(), button->Height(), [&](HDC dc) {
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

Picture ButtonsTest::RenderClient(TWinControl* control) {
  return RenderInto(control->Width(), control->Height(), [&](HDC dc) {
    SendMessageA(control->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                 PRF_CLIENT | PRF_ERASEBKGND);
  });
}

}  // namespace sx::testing
