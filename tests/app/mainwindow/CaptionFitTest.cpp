// Every caption of every language fits its control at the design size with the form's
// font: measured with the font the form asks for, under the character set of the
// language's code page (what the form's default character set becomes on such a system).
// The program's own Russian captions are the stored design and are not held to these
// margins: "Перезагрузка" takes 72 of its button's 75 pixels. On screens of 120, 144 and
// 192 pixels per inch every caption of every language, Russian included, fits exactly what
// its control's drawing leaves it, once the form has scaled its layout and widened the
// controls whose caption no longer fits.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "framework/controls/CaptionFit.h"

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

// The extent of a text in the form's font of that height.
SIZE TextExtent(const std::wstring& text, BYTE charset, int height = kFontHeight) {
  HDC screen = GetDC(nullptr);
  HFONT font =
      CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, kFontName);
  HGDIOBJ previous = SelectObject(screen, font);
  SIZE size{};
  GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(screen, previous);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  return size;
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
      const int width = TextExtent(caption->second, charset).cx;
      EXPECT_GT(width, 0) << file << " " << row.name;
      EXPECT_LE(width, RoomFor(row)) << file << ": " << row.name << " is " << width
                                     << " pixels wide, room for " << RoomFor(row);
    }
  }
}

// --- At the scales the program is run at ----------------------------------------------------

// a * b / c rounded to the nearest integer, halves away from zero.
int Scale(int a, int b, int c) {
  return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

constexpr int kDesignTextHeight = 13;
// The client area the stored outer size leaves at 96 pixels per inch (Wine 8.0).
constexpr int kDesignClientWidth = 293;

// The width a control's drawing takes beside its caption at a resolution, in the state that
// leaves the caption least: a push button's 2-pixel raised edge inside the 1-pixel frame of
// the default look a focused button has; a bitmap button's raised edge, its glyph of the size
// for the resolution, the 4 pixels after it and the disabled caption's embossed copy one
// pixel to the right; a radio button's circle (12 pixels at 96 pixels per inch, plus one),
// half the width of "0" and the focus rectangle one pixel beyond the text.
int DrawingBeside(const ControlRow& row, int pixelsPerInch, BYTE charset, int height) {
  const std::string_view kind = row.className;
  if (kind == "TButton") return 2 * (1 + 2);
  if (kind == "TBitBtn") {
    const int glyph = pixelsPerInch >= 168 ? 32 : pixelsPerInch >= 120 ? 24 : 18;
    return 2 * 2 + glyph + 4 + 1;
  }
  if (kind == "TRadioButton")
    return 12 * pixelsPerInch / 96 + 1 + TextExtent(L"0", charset, height).cx / 2 + 1;
  return 0;
}

struct Placed {
  const ControlRow* row;
  FitBox box;
};

TEST(CaptionFit, EveryCaptionOfEveryLanguageFitsWhatItsControlLeavesAtEveryScale) {
  std::vector<std::string> files = LanguageFileNames();
  files.insert(files.begin(), "");  // the program's own Russian
  for (const std::string& file : files) {
    const LanguageCaptions language = CaptionsOf(file);
    const BYTE charset = CharsetOf(language.codePage);
    for (const int pixelsPerInch : {120, 144, 192}) {
      SCOPED_TRACE((file.empty() ? std::string("ru") : file) + " at " +
                   std::to_string(pixelsPerInch) + " pixels per inch");
      // What the layout is scaled by there: the height of "0" in the scaled font against the
      // 13 pixels it had where the form was designed.
      const int height = Scale(kFontHeight, pixelsPerInch, 96);
      const int m = TextExtent(L"0", charset, height).cy;
      ASSERT_GT(m, kDesignTextHeight);
      // Each parent's controls, placed as the scaling rule places them: edges scaled, so
      // that neighbours stay flush.
      std::map<std::string, std::vector<Placed>> byParent;
      for (const ControlRow& row : StoredControls()) {
        const int left = Scale(row.left, m, kDesignTextHeight);
        const int top = Scale(row.top, m, kDesignTextHeight);
        FitBox box{left, top, Scale(row.left + row.width, m, kDesignTextHeight) - left,
                   Scale(row.top + row.height, m, kDesignTextHeight) - top, 0};
        if (const auto caption = language.captions.find(row.name);
            caption != language.captions.end() && !caption->second.empty())
          box.needed = TextExtent(caption->second, charset, height).cx +
                       DrawingBeside(row, pixelsPerInch, charset, height);
        byParent[row.parent].push_back({&row, box});
      }
      for (auto& [parent, placed] : byParent) {
        int clientWidth = Scale(kDesignClientWidth, m, kDesignTextHeight);
        for (const Placed& p : byParent["Form1"])
          if (parent == p.row->name) clientWidth = p.box.width;
        std::vector<FitBox> boxes;
        for (const Placed& p : placed)
          boxes.push_back(p.box);
        WidenToFit(boxes, clientWidth, Scale(4, pixelsPerInch, 96));
        for (std::size_t i = 0; i < boxes.size(); ++i) {
          const FitBox& box = boxes[i];
          const char* name = placed[i].row->name;
          EXPECT_GE(box.width, box.needed)
              << name << " is " << box.width << " wide, needs " << box.needed << " for its caption";
          EXPECT_LE(box.left + box.width, clientWidth) << name << " leaves " << parent;
          for (std::size_t j = 0; j < boxes.size(); ++j) {
            const FitBox& other = boxes[j];
            const bool rowsOverlap =
                other.top < box.top + box.height && box.top < other.top + other.height;
            if (j != i && rowsOverlap && other.left >= placed[i].box.left + placed[i].box.width) {
              EXPECT_LE(box.left + box.width, other.left)
                  << name << " runs into " << placed[j].row->name;
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace sx::testing
