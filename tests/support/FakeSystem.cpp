#include "tests/support/FakeSystem.h"

#include "framework/runtime/TextUtil.h"
#include "framework/runtime/Texts.h"

namespace sx::testing {
namespace {

// Code page 1251, bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char16_t ByteToWide(unsigned char b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return static_cast<char16_t>(0x0410 + (b - 0xC0));
  return kCp1251High[b - 0x80];
}

// The classic colours of the system colour table, indexes 0 to 30.
constexpr std::uint32_t kSystemColors[] = {
    0xC8D0D4, 0x000000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4,
    0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040, 0xC8D0D4, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x6A240A, 0xC8D0D4,
};

}  // namespace

FakeSystem::FakeSystem() {
  measure = [](FontHandle, std::string_view) { return 13; };
}

FakeSystem::~FakeSystem() {
  if (installed_) SetSystem(previous_);
}

void FakeSystem::Install() {
  if (installed_) return;
  previous_ = SetSystem(this);
  installed_ = true;
}

std::optional<std::span<const std::uint8_t>> FakeSystem::FindRcData(ModuleId,
                                                                    std::string_view name) {
  auto it = rcData_.find(AsciiUpperCase(name));
  if (it == rcData_.end()) return std::nullopt;
  return std::span<const std::uint8_t>(it->second);
}

std::string FakeSystem::LoadText(ModuleId, int id) {
  return BuiltInText(id);
}

std::string FakeSystem::WideToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    char byte = '?';
    if (c < 0x80) {
      byte = static_cast<char>(c);
    } else {
      for (int b = 0x80; b <= 0xFF; ++b) {
        if (ByteToWide(static_cast<unsigned char>(b)) == c) {
          byte = static_cast<char>(b);
          break;
        }
      }
    }
    out += byte;
  }
  return out;
}

std::u16string FakeSystem::AnsiToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text)
    out += ByteToWide(static_cast<unsigned char>(c));
  return out;
}

std::uint32_t FakeSystem::SystemColor(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kSystemColors))) return 0;
  return kSystemColors[index];
}

FontHandle FakeSystem::MakeFont(const FontRequest& request) {
  createdFonts.push_back(request);
  return nextFont_++;
}

void FakeSystem::DeleteFont(FontHandle font) {
  deletedFonts.push_back(font);
}

PenHandle FakeSystem::MakePen(const PenRequest& request) {
  createdPens.push_back(request);
  return nextObject_++;
}

BrushHandle FakeSystem::MakeBrush(const BrushRequest& request) {
  createdBrushes.push_back(request);
  return nextObject_++;
}

void FakeSystem::DeleteObject(std::uintptr_t object) {
  deletedObjects.push_back(object);
}

int FakeSystem::TextHeight(FontHandle font, std::string_view text) {
  return measure(font, text);
}

void FakeSystem::AddRcData(std::string name, std::vector<std::uint8_t> bytes) {
  rcData_[AsciiUpperCase(name)] = std::move(bytes);
}

}  // namespace sx::testing
