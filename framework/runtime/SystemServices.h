#pragma once

// SystemServices: the seam through which the portable core asks the operating system for
// modules, resources, texts, fonts, pens and brushes, with the request types it takes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sx {

// A module of the process (the executable or a loaded library), as the system names it.
using ModuleId = std::uintptr_t;

// A system font handle; 0 means none.
using FontHandle = std::uintptr_t;

// What the system is asked for when a font object needs a real font.
struct FontRequest {
  std::int32_t height = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::uint8_t charset = 0;
  std::uint8_t pitch = 0;  // 0 default, 1 variable, 2 fixed
  std::string faceName;
};

// A system pen or brush handle; 0 means none.
using PenHandle = std::uintptr_t;
using BrushHandle = std::uintptr_t;

// What the system is asked for when a pen object needs a real pen.
struct PenRequest {
  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none (invisible), 6 inside frame
  std::uint8_t style = 0;
  std::int32_t width = 1;
  std::uint32_t color = 0;  // 0x00BBGGRR
};

// What the system is asked for when a brush object needs a real brush.
struct BrushRequest {
  // 0 solid, 1 hollow (paints nothing), then the hatches: 2 horizontal, 3 vertical,
  // 4 forward diagonal, 5 backward diagonal, 6 cross, 7 diagonal cross
  std::uint8_t style = 0;
  std::uint32_t color = 0;  // 0x00BBGGRR
};

// The few things the portable core needs from the operating system. The Windows build
// installs the Win32 implementation at start; native tests install doubles.
class SystemServices {
 public:
  virtual ~SystemServices() = default;

  // The executable's own module.
  virtual ModuleId MainModule() = 0;

  // The bytes of the RCDATA resource of that name (letter case ignored) in the module's
  // resource module, read in place; nothing when the module has no such resource.
  virtual std::optional<std::span<const std::uint8_t>> FindRcData(ModuleId module,
                                                                  std::string_view name) = 0;

  // The string-table text of the id from the module's resource module; empty when absent.
  virtual std::string LoadText(ModuleId module, int id) = 0;

  // Conversions through the system's ANSI code page.
  virtual std::string WideToAnsi(std::u16string_view text) = 0;
  virtual std::u16string AnsiToWide(std::string_view text) = 0;

  // The screen's logical pixels per inch, vertically.
  virtual int ScreenPixelsPerInch() = 0;

  // The current RGB value (0x00BBGGRR) of the system colour with this index.
  virtual std::uint32_t SystemColor(int index) = 0;

  // Creating and deleting system fonts for the shared font records.
  virtual FontHandle MakeFont(const FontRequest& request) = 0;
  virtual void DeleteFont(FontHandle font) = 0;

  // Creating system pens and brushes for the shared pen and brush records, and deleting
  // either kind.
  virtual PenHandle MakePen(const PenRequest& request) = 0;
  virtual BrushHandle MakeBrush(const BrushRequest& request) = 0;
  virtual void DeleteObject(std::uintptr_t object) = 0;

  // The height of a text drawn in the font, in pixels.
  virtual int TextHeight(FontHandle font, std::string_view text) = 0;
};

// The services in use; raises when none were installed.
SystemServices& System();

// Installs the services (not owned) and returns the previous ones.
SystemServices* SetSystem(SystemServices* services);

}  // namespace sx
