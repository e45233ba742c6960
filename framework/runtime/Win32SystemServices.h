#pragma once

// The Win32 implementation of the system services and the Windows build's runtime start.

#include <atomic>

#include "framework/runtime/SystemServices.h"

namespace sx {

// The system services of the Windows build. Resources and texts come from each module's
// resource module, which may be a language resource module chosen at first use.
class Win32SystemServices : public SystemServices {
 public:
  ModuleId MainModule() override;
  std::optional<std::span<const std::uint8_t>> FindRcData(ModuleId module,
                                                          std::string_view name) override;
  std::string LoadText(ModuleId module, int id) override;
  std::string WideToAnsi(std::u16string_view text) override;
  std::u16string AnsiToWide(std::string_view text) override;
  int ScreenPixelsPerInch() override;
  std::uint32_t SystemColor(int index) override;
  FontHandle MakeFont(const FontRequest& request) override;
  void DeleteFont(FontHandle font) override;
  PenHandle MakePen(const PenRequest& request) override;
  BrushHandle MakeBrush(const BrushRequest& request) override;
  void DeleteObject(std::uintptr_t object) override;
  int TextHeight(FontHandle font, std::string_view text) override;

  // The longest text LoadText returns; longer ones are cut.
  static constexpr int kMaxTextLength = 1023;

 private:
  std::atomic<int> pixelsPerInch_{0};
};

// Starts the runtime of the Windows build: applies the stored floating-point mask (once
// per process) and installs the process's Win32 system services. Called before anything
// else touches the framework.
void InstallWin32SystemServices();

}  // namespace sx
