#include "framework/runtime/Win32SystemServices.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "framework/runtime/ResourceModule.h"
#include "framework/runtime/RuntimeSettings.h"

namespace sx {
namespace {

HMODULE AsModule(ModuleId module) {
  return reinterpret_cast<HMODULE>(module);
}
HFONT AsFont(FontHandle font) {
  return reinterpret_cast<HFONT>(font);
}

// A device context of the screen for measuring, released when done.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;

  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

BYTE PitchOf(std::uint8_t pitch) {
  switch (pitch) {
    case 1:
      return VARIABLE_PITCH;
    case 2:
      return FIXED_PITCH;
    default:
      return DEFAULT_PITCH;
  }
}

}  // namespace

ModuleId Win32SystemServices::MainModule() {
  return reinterpret_cast<ModuleId>(GetModuleHandleA(nullptr));
}

std::optional<std::span<const std::uint8_t>> Win32SystemServices::FindRcData(
    ModuleId module, std::string_view name) {
  // The name must be a text: a null or a number-like pointer would mean a resource id.
  if (name.empty() || name.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string resourceName(name);
  HMODULE resources = AsModule(ResourceModuleOf(module));
  HRSRC found = FindResourceA(resources, resourceName.c_str(), MAKEINTRESOURCEA(10));
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(resources, found);
  if (!loaded) return std::nullopt;
  const DWORD size = SizeofResource(resources, found);
  const void* bytes = LockResource(loaded);
  if (!bytes) return size == 0 ? std::optional(std::span<const std::uint8_t>()) : std::nullopt;
  return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(bytes), size);
}

std::string Win32SystemServices::LoadText(ModuleId module, int id) {
  // String-table ids are 16-bit; the system would silently take a larger one modulo 65536.
  if (id < 0 || id > 0xFFFF) return {};
  char buffer[kMaxTextLength + 1] = {};
  const int length =
      LoadStringA(AsModule(ResourceModuleOf(module)), static_cast<UINT>(id), buffer, sizeof buffer);
  if (length <= 0) return {};
  return std::string(buffer,
                     std::min<std::size_t>(static_cast<std::size_t>(length), kMaxTextLength));
}

std::string Win32SystemServices::WideToAnsi(std::u16string_view text) {
  if (text.empty() || text.size() > INT_MAX / 2) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  const int written =
      WideCharToMultiByte(CP_ACP, 0, wide, length, result.data(), size, nullptr, nullptr);
  result.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return result;
}

std::u16string Win32SystemServices::AnsiToWide(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX / 2) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::u16string result(static_cast<std::size_t>(size), u'\0');
  const int written = MultiByteToWideChar(CP_ACP, 0, text.data(), length,
                                          reinterpret_cast<wchar_t*>(result.data()), size);
  result.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return result;
}

int Win32SystemServices::ScreenPixelsPerInch() {
  int value = pixelsPerInch_.load(std::memory_order_relaxed);
  if (value == 0) {
    ScreenDC screen;
    value = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    // Without a screen there is nothing better than the standard resolution.
    if (value <= 0) value = 96;
    pixelsPerInch_.store(value, std::memory_order_relaxed);
  }
  return value;
}

std::uint32_t Win32SystemServices::SystemColor(int index) {
  return GetSysColor(index);
}

FontHandle Win32SystemServices::MakeFont(const FontRequest& request) {
  LOGFONTA font = {};
  font.lfHeight = request.height;
  font.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = request.italic;
  font.lfUnderline = request.underline;
  font.lfStrikeOut = request.strikeOut;
  font.lfCharSet = request.charset;
  font.lfPitchAndFamily = PitchOf(request.pitch);
  const std::size_t nameLength =
      request.faceName.size() < LF_FACESIZE ? request.faceName.size() : LF_FACESIZE - 1;
  std::memcpy(font.lfFaceName, request.faceName.data(), nameLength);
  return reinterpret_cast<FontHandle>(CreateFontIndirectA(&font));
}

void Win32SystemServices::DeleteFont(FontHandle font) {
  if (font) ::DeleteObject(AsFont(font));
}

PenHandle Win32SystemServices::MakePen(const PenRequest& request) {
  // The pen styles are numbered as the system numbers them, up to the inside frame.
  const int style = request.style <= PS_INSIDEFRAME ? request.style : PS_SOLID;
  return reinterpret_cast<PenHandle>(::CreatePen(style, request.width, request.color));
}

BrushHandle Win32SystemServices::MakeBrush(const BrushRequest& request) {
  LOGBRUSH brush = {};
  brush.lbColor = request.color;
  if (request.style == 1) {
    brush.lbStyle = BS_HOLLOW;
  } else if (request.style >= 2 && request.style <= 2 + HS_DIAGCROSS) {
    brush.lbStyle = BS_HATCHED;
    brush.lbHatch = static_cast<ULONG_PTR>(request.style - 2);
  } else {
    brush.lbStyle = BS_SOLID;
  }
  return reinterpret_cast<BrushHandle>(CreateBrushIndirect(&brush));
}

void Win32SystemServices::DeleteObject(std::uintptr_t object) {
  // Stock objects (the hollow brush is one) ignore deletion.
  if (object) ::DeleteObject(reinterpret_cast<HGDIOBJ>(object));
}

int Win32SystemServices::TextHeight(FontHandle font, std::string_view text) {
  ScreenDC screen;
  if (!screen.get() || text.size() > INT_MAX) return 0;
  HGDIOBJ previous = font ? SelectObject(screen.get(), AsFont(font)) : nullptr;
  SIZE extent = {};
  const BOOL measured =
      GetTextExtentPoint32A(screen.get(), text.data(), static_cast<int>(text.size()), &extent);
  if (previous) SelectObject(screen.get(), previous);
  return measured ? extent.cy : 0;
}

void InstallWin32SystemServices() {
  ApplyFpuMaskSetting();
  static Win32SystemServices services;
  SetSystem(&services);
}

}  // namespace sx
