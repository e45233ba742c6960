#pragma once

// TFont: a control's font over a shared font record, and the request made to the system for it.

#include <cstdint>
#include <string>

#include "framework/graphics/Charsets.h"
#include "framework/graphics/Colors.h"
#include "framework/graphics/FontCache.h"
#include "framework/runtime/SystemServices.h"
#include "framework/streaming/Persistent.h"

namespace sx {

// A font as a control owns it: a counted reference to a shared font record, plus the text
// colour and the pixels per inch at which point sizes are converted. Fonts with equal
// records share one system font. Every change of an attribute raises OnChange, which the
// owning control uses to follow its font.
class TFont : public TPersistent {
  SX_CLASS(TFont)

  // The default font (8-point "MS Sans Serif" at the screen's pixels per inch), in
  // clWindowText.
  TFont();
  ~TFont() override;

  // From another font: shares its record, takes its colour and, when the two differ in
  // pixels per inch, its point size rather than its pixel height.
  void Assign(const TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Character height in pixels; negative means without internal leading.
  std::int32_t Height() const { return record_->data.height; }
  void SetHeight(std::int32_t height);

  // Point size, derived from Height at this font's pixels per inch.
  std::int32_t Size() const;
  void SetSize(std::int32_t size);

  std::string Name() const { return record_->data.name; }
  // Cut to 31 characters; an empty name leaves the font unchanged.
  void SetName(const std::string& name);

  TFontPitch Pitch() const { return record_->data.pitch; }
  void SetPitch(TFontPitch pitch);

  TFontStyles Style() const { return record_->data.style; }
  void SetStyle(TFontStyles style);

  TFontCharset Charset() const { return record_->data.charset; }
  void SetCharset(TFontCharset charset);

  // Takes a whole description at once (a system font's: name, height, pitch, style and
  // character set), so that the owner hears of one change, not five. The colour stays; the
  // description's handle slot is ignored; an empty name keeps the current one and a longer
  // one is cut to 31 characters.
  void SetDescription(const FontData& description);
  // Takes over a system font made elsewhere, with the description it was made from (as
  // for SetDescription): the font's record holds that very font from now on, keeping every
  // detail it was made with that the description cannot tell (a weight between normal and
  // bold, a width, a quality, a family), and deletes it when the record goes. Changing an
  // attribute afterwards makes a font of the description's attributes again. Handle 0 is
  // SetDescription.
  void TakeHandle(FontHandle handle, const FontData& description);

  // The resolution for Size; the screen's by default. Values below 1 are ignored. Changing
  // it keeps Height and so changes Size; nothing is notified.
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int pixelsPerInch);

  // The system font, made on first request and shared by every font with the same record.
  FontHandle Handle() const;

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& event) { onChange_ = event; }

 protected:
  virtual void Changed();

 private:
  void Change(FontData data);
  // The description as the record keeps it: an empty name keeps the current one, a long
  // one is cut.
  FontData Described(const FontData& description) const;

  FontRecord* record_;
  TColor color_ = clWindowText;
  int pixelsPerInch_;
  TNotifyEvent onChange_;
};

// What the system is asked for to make the font with these attributes; the name "Default"
// (any case) stands for the default font's name.
FontRequest FontRequestFor(const FontData& data);

}  // namespace sx
