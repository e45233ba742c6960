// The yardstick of the start-up benchmark: Sonderix's main window written directly on Win32,
// without the framework. The same 22 windows of the same system classes, with the same
// texts at the same places, in a window of the same size; the bitmap buttons draw a face
// of their own as Sonderix's do (without glyphs). No stored definition, no components.
//
// With --with-hidden-windows it also makes what Sonderix must make besides those windows:
// the hidden application window that carries the taskbar button, with the program's icon
// as its window and class icon, shown at no size when the main window shows; the timer's
// hidden utility window, its timer stopped twice as loading stops it; and the main window
// owned by the application window, given the icon too. That is the yardstick for what the
// framework itself costs.

#include <windows.h>

#include <commctrl.h>

#include <cstring>

namespace {

constexpr wchar_t kClassName[] = L"PlainWindow";
constexpr wchar_t kPanelClassName[] = L"PlainPanel";

struct Child {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;
  const wchar_t* text;
};

constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kBitmapButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL;
constexpr DWORD kSpin = WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS;
constexpr DWORD kRadio = WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON;

// On the main window, in Sonderix's creation order; the panel's radio buttons follow.
constexpr Child kChildren[] = {
    {L"BUTTON", kButton, 0, 8, 64, 75, 25, L"Открыть CD"},
    {L"BUTTON", kButton, 0, 8, 88, 75, 25, L"Закрыть CD"},
    {L"BUTTON", kButton, 0, 8, 112, 75, 25, L"Выкл. комп"},
    {L"BUTTON", kButton, 0, 8, 136, 75, 25, L"Перезагрузка"},
    {L"BUTTON", kButton, 0, 8, 160, 97, 25, L"Завершить сеанс"},
    {L"EDIT", kEdit, WS_EX_CLIENTEDGE, 8, 8, 41, 21, L"0"},
    {L"EDIT", kEdit, WS_EX_CLIENTEDGE, 80, 8, 41, 21, L"0"},
    {L"EDIT", kEdit, WS_EX_CLIENTEDGE, 152, 8, 41, 21, L"0"},
    {UPDOWN_CLASSW, kSpin, 0, 49, 8, 16, 21, L""},
    {UPDOWN_CLASSW, kSpin, 0, 121, 8, 16, 21, L""},
    {UPDOWN_CLASSW, kSpin, 0, 193, 8, 16, 21, L""},
    {L"BUTTON", kBitmapButton, 0, 8, 32, 57, 25, L"Старт"},
    {L"BUTTON", kBitmapButton | WS_DISABLED, 0, 72, 32, 65, 25, L"Пауза"},
    {L"BUTTON", kBitmapButton | WS_DISABLED, 0, 144, 32, 65, 25, L"Отмена"},
    {L"BUTTON", kBitmapButton, 0, 216, 8, 75, 25, L"Выход"},
    {kPanelClassName, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 112, 64, 177,
     121, L""},
};
constexpr Child kRadioButtons[] = {
    {L"BUTTON", kRadio, 0, 8, 4, 113, 17, L"Открыть CD-ROM"},
    {L"BUTTON", kRadio, 0, 8, 28, 113, 17, L"Закрыть CD-ROM"},
    {L"BUTTON", kRadio | WS_TABSTOP, 0, 8, 52, 161, 17, L"Выключить компьютер"},
    {L"BUTTON", kRadio, 0, 8, 76, 161, 17, L"Перезагрузить компьютер"},
    {L"BUTTON", kRadio, 0, 8, 100, 161, 17, L"Завершить сеанс"},
};
constexpr int kMaxOfSpins[] = {99, 59, 59};

HFONT g_font = nullptr;

HWND Make(const Child& child, HWND parent, int id) {
  HWND window = CreateWindowExW(child.exStyle, child.className, child.text, child.style, child.left,
                                child.top, child.width, child.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
  return window;
}

// A bitmap button's face: a raised or pushed frame and the caption, greyed when disabled.
void DrawButtonFace(const DRAWITEMSTRUCT& item) {
  RECT rect = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  DrawFrameControl(item.hDC, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  wchar_t text[64] = {};
  GetWindowTextW(item.hwndItem, text, 64);
  SetBkMode(item.hDC, TRANSPARENT);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  SetTextColor(item.hDC, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  const HGDIOBJ saved = SelectObject(item.hDC, g_font);
  DrawTextW(item.hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item.hDC, saved);
  if (item.itemState & ODS_FOCUS) {
    InflateRect(&rect, -4, -4);
    DrawFocusRect(item.hDC, &rect);
  }
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT rect;
    GetClientRect(window, &rect);
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    EndPaint(window, &paint);
    return 0;
  }
  if (message == WM_COMMAND) {
    // The radio buttons exclude each other within the panel.
    if (HIWORD(wParam) == BN_CLICKED) CheckRadioButton(window, 100, 104, LOWORD(wParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HWND fields[3] = {};
      HWND panel = nullptr;
      int id = 1;
      for (const Child& child : kChildren) {
        const HWND made = Make(child, window, id);
        if (id >= 6 && id <= 8) fields[id - 6] = made;
        if (id >= 9 && id <= 11) {
          SendMessageW(made, UDM_SETBUDDY, reinterpret_cast<WPARAM>(fields[id - 9]), 0);
          SendMessageW(made, UDM_SETRANGE32, 0, kMaxOfSpins[id - 9]);
          SendMessageW(made, UDM_SETPOS32, 0, 0);
        }
        if (id == 16) panel = made;
        ++id;
      }
      for (int i = 0; i < 5; ++i)
        Make(kRadioButtons[i], panel, 100 + i);
      CheckRadioButton(panel, 100, 104, 102);
      return 0;
    }
    case WM_DRAWITEM:
      DrawButtonFace(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND:
      // The exit button.
      if (LOWORD(wParam) == 15 && HIWORD(wParam) == BN_CLICKED) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&init);
  g_font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");

  WNDCLASSW windowClass{};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);
  windowClass.lpfnWndProc = &PanelProc;
  windowClass.lpszClassName = kPanelClassName;
  windowClass.hbrBackground = nullptr;
  RegisterClassW(&windowClass);

  const bool hiddenWindows = std::strstr(commandLine, "--with-hidden-windows") != nullptr;
  HWND application = nullptr;
  HICON icon = nullptr;
  if (hiddenWindows) {
    icon = LoadIconW(instance, L"MAINICON");
    windowClass = WNDCLASSW{};
    windowClass.lpfnWndProc = &DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"PlainApplication";
    RegisterClassW(&windowClass);
    application =
        CreateWindowExW(0, windowClass.lpszClassName, L"sonderix",
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                        nullptr, nullptr, instance, nullptr);
    SendMessageW(application, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetClassLongPtrW(application, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    windowClass.lpszClassName = L"PlainUtility";
    RegisterClassW(&windowClass);
    const HWND utility = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP,
                                         0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    KillTimer(utility, 1);
    KillTimer(utility, 1);
  }

  const HWND window = CreateWindowExW(0, kClassName, L"Sonderix",
                                      WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 341,
                                      157, 301, 223, application, nullptr, instance, nullptr);
  if (!window) return 1;
  if (hiddenWindows) {
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetWindowPos(application, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DeleteObject(g_font);
  return 0;
}
