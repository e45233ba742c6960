#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/runtime/SystemServices.h"

namespace sx::testing {

// System services for native tests: resources that a test registers, the framework's own
// texts, the code page 1251 (the Russian ANSI code page the program runs with), a
// 96-pixels-per-inch screen, the classic system colours and fonts that are only counted.
class FakeSystem : public SystemServices {
 public:
  FakeSystem();
  ~FakeSystem() override;

  // Installs this object as the system services for its lifetime.
  void Install();

  ModuleId MainModule() override { return 1; }
  std::optional<std::span<const std::uint8_t>> FindRcData(ModuleId module,
                                                          std::string_view name) override;
  std::string LoadText(ModuleId module, int id) override;
  std::string WideToAnsi(std::u16string_view text) override;
  std::u16string AnsiToWide(std::string_view text) override;
  int ScreenPixelsPerInch() override { return pixelsPerInch; }
  std::uint32_t SystemColor(int index) override;
  FontHandle MakeFont(const FontRequest& request) override;
  void DeleteFont(FontHandle font) override;
  int TextHeight(FontHandle font, std::string_view text) override;
  PenHandle MakePen(const PenRequest& request) override;
  BrushHandle MakeBrush(const BrushRequest& request) override;
  void DeleteObject(std::uintptr_t object) override;

  // Test controls.
  void AddRcData(std::string name, std::vector<std::uint8_t> bytes);

  int pixelsPerInch = 96;
  std::vector<FontRequest> createdFonts;
  std::vector<FontHandle> deletedFonts;
  std::vector<PenRequest> createdPens;
  std::vector<BrushRequest> createdBrushes;
  std::vector<std::uintptr_t> deletedObjects;  // pens and brushes
  // Measures text; the default gives 13 pixels for any font, as 8-point text at 96 pixels
  // per inch measures.
  std::function<int(FontHandle, std::string_view)> measure;

 private:
  std::map<std::string, std::vector<std::uint8_t>> rcData_;  // by upper-case name
  FontHandle nextFont_ = 0x100;
  std::uintptr_t nextObject_ = 0x10000;  // pens and brushes, apart from the fonts
  SystemServices* previous_ = nullptr;
  bool installed_ = false;
};

}  // namespace sx::testing
