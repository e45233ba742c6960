// Every caption of every language fits its control at the design size with the form's
// font: measured with the font the form asks for, under the character set of the
// language's code page (what the form's default character set becomes on such a system).
// The program's own Russian captions are the stored design and are not held to these
// margins: "Перезагрузка" takes 72 of its button's 75 pixels.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/app/mainwindow/LanguageFiles.h"
#include "tests/app/mainwindow/StoredLayout.h"

namespace sx::testing {
namespace {

// The form's font as the layout stores it: 8-point MS Sans Serif at 96 pixels per inch.
constexpr int kFontHeight = -11;
constexpr const wchar_t* kFontName = L"MS Sans Serif";

// The width a caption may take in its control: the control's width less what its class
// draws beside the text and a margin of at least two pixels on either side.
int RoomFor(const ControlRow& row) {
  const std::string_view kind = row.className;
  // Push button: two-pixel edges, then the focus frame, inside them.
  if (kind == "TButton") return row.width - 2 * 4;
  // Bitmap button: the one-pixel frame of the default button, the 18-pixel glyph and the
  // 4 pixels between glyph and text, then the margins.
  if (kind == "TBitBtn") return row.width - 2 * 1 - 18 - 4 - 2 * 2;
  // Radio button: the 13-pixel circle and the gap after it, then the focus frame.
  if (kind == "TRadioButton") return row.width - 13 - 4 - 2;
  return 0;
}

int CaptionWidth(const std::wstring& caption, BYTE charset) {
  HDC screen = GetDC(nullptr);
  HFONT font =
      CreateFontW(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, kFontName);
  HGDIOBJ previous = SelectObject(screen, font);
  SIZE size{};
  GetTextExtentPoint32W(screen, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(screen, previous);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  return size.cx;
}

BYTE CharsetOf(int codePage) {
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(codePage)), &info,
                            TCI_SRCCODEPAGE))
    return DEFAULT_CHARSET;
  return static_cast<BYTE>(info.ciCharset);
}

TEST(CaptionFit, EveryCaptionOfEveryLanguageFitsItsControl) {
  const std::vector<std::string> files = LanguageFileNames();
  ASSERT_GE(files.size(), 6u);
  for (const std::string& file : files) {
    const LanguageCaptions language = CaptionsOf(file);
    const BYTE charset = CharsetOf(language.codePage);
    for (const ControlRow& row : StoredControls()) {
      const auto caption = language.captions.find(row.name);
      if (caption == language.captions.end()) continue;
      const int width = CaptionWidth(caption->second, charset);
      EXPECT_GT(width, 0) << file << " " << row.name;
      EXPECT_LE(width, RoomFor(row)) << file << ": " << row.name << " is " << width
                                     << " pixels wide, room for " << RoomFor(row);
    }
  }
}

}  // namespace
}  // namespace sx::testing
