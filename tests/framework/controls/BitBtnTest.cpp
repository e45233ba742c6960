#include "tests/framework/controls/ButtonTestSupport.h"

#include "framework/runtime/Finally.h"
#include "framework/runtime/Texts.h"
#include "tests/support/MessageHooks.h"
#include "tests/support/StreamBuilder.h"
#include "tests/support/WindowQueries.h"

namespace sx::testing {
namespace {

using BitBtnTest = ButtonsTest;

TEST_F(BitBtnTest, WindowIsOwnerDrawn) {
  auto* button = Make<TBitBtn>();
  button->SetKind(bkOK);
  EXPECT_EQ(WindowStyle(button->Handle()) & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
}

// --- Kinds --------------------------------------------------------------------------------------

TEST_F(BitBtnTest, KindSetsRoleModalResultCaptionAndGlyph) {
  auto* button = Make<TBitBtn>();
  button->SetKind(bkOK);
  EXPECT_TRUE(button->Default());
  EXPECT_FALSE(button->Cancel());
  EXPECT_EQ(button->ModalResult(), 1);
  EXPECT_EQ(button->Caption(), "OK");
  EXPECT_EQ(button->NumGlyphs(), 2);
  EXPECT_EQ(button->Glyph()->Width(), 36);
  EXPECT_EQ(button->Glyph()->Height(), 18);

  button->SetKind(bkNo);
  EXPECT_FALSE(button->Default());
  EXPECT_TRUE(button->Cancel());
  EXPECT_EQ(button->ModalResult(), 7);
  EXPECT_EQ(button->Caption(), "&No");

  button->SetKind(bkAbort);
  EXPECT_FALSE(button->Cancel());
  EXPECT_EQ(button->ModalResult(), 3);
  EXPECT_EQ(button->Caption(), "Abort");
}

TEST_F(BitBtnTest, EveryKindHasItsBitmapResource) {
  for (int kind = bkOK; kind <= bkAll; ++kind) {
    const TBitmap* glyph = KindGlyph(static_cast<TBitBtnKind>(kind));
    ASSERT_NE(glyph, nullptr) << kind;
    EXPECT_EQ(glyph->Width(), 36) << kind;
    EXPECT_EQ(glyph->Height(), kind == bkAll ? 19 : 18) << kind;
    // The background, drawn transparent, is the bottom-left pixel.
    EXPECT_EQ(glyph->Pixel(0, glyph->Height() - 1), clOlive) << kind;
  }
}

TEST_F(BitBtnTest, ButtonsOfOneKindShareTheKindBitmap) {
  auto* first = Make<TBitBtn>();
  auto* second = Make<TBitBtn>(nullptr, 8, 40);
  first->SetKind(bkIgnore);
  second->SetKind(bkIgnore);
  EXPECT_TRUE(first->Glyph()->SharesImageWith(*second->Glyph()));
  EXPECT_TRUE(first->Glyph()->SharesImageWith(*KindGlyph(bkIgnore)));
}

TEST_F(BitBtnTest, KindReadsCustomOnceModalResultChanges) {
  auto* button = Make<TBitBtn>();
  button->SetKind(bkIgnore);
  EXPECT_EQ(button->Kind(), bkIgnore);
  button->SetModalResult(1);
  EXPECT_EQ(button->Kind(), bkCustom);
  // The kind does not come back with the value.
  button->SetModalResult(5);
  EXPECT_EQ(button->Kind(), bkCustom);
}

TEST_F(BitBtnTest, KindReadsCustomOnceGlyphReplaced) {
  auto* button = Make<TBitBtn>();
  button->SetKind(bkRetry);
  TBitmap* picture = New<TBitmap>();
  picture->SetSize(16, 16);
  button->SetGlyph(picture);
  Free(picture);
  EXPECT_TRUE(button->GlyphModified());
  EXPECT_EQ(button->Kind(), bkCustom);
}

// A button must behave alike whether or not anyone read Kind since its values changed.
class BitBtnChangedKindTest : public ButtonsTest, public ::testing::WithParamInterface<bool> {
 protected:
  // A button of the kind whose modal result was changed since, with Kind read or not.
  TBitBtn* ChangedButton(TBitBtnKind kind) {
    auto* button = Make<TBitBtn>();
    button->SetKind(kind);
    button->SetModalResult(7);
    if (GetParam()) {
      EXPECT_EQ(button->Kind(), bkCustom);
    }
    return button;
  }
};

TEST_P(BitBtnChangedKindTest, SettingTheKindAgainRestoresItsValues) {
  TBitBtn* button = ChangedButton(bkOK);
  button->SetDefault(false);

  button->SetKind(bkOK);

  EXPECT_TRUE(button->Default());
  EXPECT_EQ(button->ModalResult(), 1);
  EXPECT_EQ(button->Kind(), bkOK);
}

TEST_P(BitBtnChangedKindTest, CloseButtonClicksLikeAnyOther) {
  TBitBtn* button = ChangedButton(bkClose);
  TEventCounter clicks;
  button->SetOnClick(clicks.Event());

  button->ClickControl();
  PumpMessages();

  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(form->ModalResult(), 7);
  EXPECT_TRUE(form->Visible()) << "the form was closed";
}

TEST_P(BitBtnChangedKindTest, RescaleLeavesTheGlyphOfAButtonNoLongerOfItsKind) {
  TBitBtn* button = ChangedButton(bkIgnore);
  const int pixelsPerInch = form->PixelsPerInch();
  const Finally restore([this, pixelsPerInch] { form->SetPixelsPerInch(pixelsPerInch); });
  form->SetPixelsPerInch(192);

  button->Rescale(2, 1);

  EXPECT_EQ(button->Glyph()->Height(), 18) << "the button took its old kind's larger glyph";
}

INSTANTIATE_TEST_SUITE_P(KindRead, BitBtnChangedKindTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Read" : "NotRead";
                         });

TEST_F(BitBtnTest, StoredCaptionBeforeKindSurvivesLoading) {
  StreamBuilder stored;
  stored.Signature().Object("TStoredButtonForm", "StoredButtonForm").End();
  stored.Object("TBitBtn", "Start");
  stored.Name("Left").Int(8).Name("Top").Int(32);
  stored.Name("Caption").String("\xD1\xF2\xE0\xF0\xF2");  // "Старт" in code page 1251
  stored.Name("Kind").Ident("bkOK");
  stored.End().End();
  stored.Object("TBitBtn", "Plain");
  stored.Name("Kind").Ident("bkIgnore");
  stored.End().End();
  stored.End();
  Services().Add("TStoredButtonForm", stored.Bytes());

  auto* loaded = New<TStoredButtonForm>(Application);
  auto* start = static_cast<TBitBtn*>(loaded->FindOwned("Start"));
  auto* plain = static_cast<TBitBtn*>(loaded->FindOwned("Plain"));
  ASSERT_NE(start, nullptr);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(start->Caption(), "\xD1\xF2\xE0\xF0\xF2");
  EXPECT_EQ(start->Kind(), bkOK);
  EXPECT_TRUE(start->Default());
  // Without a stored caption the kind's own is taken.
  EXPECT_EQ(plain->Caption(), "&Ignore");

  // At run time a new kind brings its caption.
  start->SetKind(bkIgnore);
  EXPECT_EQ(start->Caption(), "&Ignore");
  Free(loaded);
}

TEST_F(BitBtnTest, StoredGlyphDataLoads) {
  // One red pixel, behind the 32-bit length a stored glyph has.
  const std::vector<std::uint8_t> file = BitmapFile(1, 1, {0x00, 0x00, 0xFF, 0x00});
  std::vector<std::uint8_t> data{static_cast<std::uint8_t>(file.size()), 0, 0, 0};
  data.insert(data.end(), file.begin(), file.end());

  StreamBuilder stored;
  stored.Signature().Object("TStoredButtonForm", "StoredButtonForm").End();
  stored.Object("TBitBtn", "Custom");
  stored.Name("Glyph.Data").Binary(data);
  stored.End().End();
  stored.End();
  Services().Add("TStoredButtonForm", stored.Bytes());

  auto* loaded = New<TStoredButtonForm>(Application);
  auto* custom = static_cast<TBitBtn*>(loaded->FindOwned("Custom"));
  ASSERT_NE(custom, nullptr);
  EXPECT_EQ(custom->Glyph()->Width(), 1);
  EXPECT_EQ(custom->Glyph()->Pixel(0, 0), clRed);
  EXPECT_EQ(custom->Kind(), bkCustom);
  Free(loaded);
}

// --- Clicks -------------------------------------------------------------------------------------

TEST_F(BitBtnTest, ClickSetsFormModalResultBeforeOnClick) {
  auto* button = Make<TBitBtn>();
  button->SetKind(bkAbort);
  TEventCounter clicks;
  clicks.watchedForm = form;
  button->SetOnClick(clicks.Event());
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  PumpMessages();
  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(clicks.modalResultSeen, 3);
}

TEST_F(BitBtnTest, CloseKindClosesFormWithoutOnClick) {
  auto* button = Make<TBitBtn>();
  button->SetKind(bkClose);
  TEventCounter clicks;
  button->SetOnClick(clicks.Event());
  form->SetModalResult(4);

  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  PumpMessages();

  EXPECT_EQ(clicks.count, 0);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->ModalResult(), 4);
}

TEST_F(BitBtnTest, CloseKindWithoutFormClicks) {
  auto* button = New<TBitBtn>(nullptr);
  button->SetKind(bkClose);
  TEventCounter clicks;
  button->SetOnClick(clicks.Event());
  button->ClickControl();
  EXPECT_EQ(clicks.count, 1);
  Free(button);
}

TEST_F(BitBtnTest, QuickSecondPressIsSecondClick) {
  auto* button = Make<TBitBtn>();
  TEventCounter clicks;
  button->SetOnClick(clicks.Event());
  const LPARAM middle = MAKELPARAM(10, 10);
  const HWND window = button->Handle();
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageA(window, WM_LBUTTONUP, 0, middle);
  SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, middle);
  SendMessageA(window, WM_LBUTTONUP, 0, middle);
  PumpMessages();
  EXPECT_EQ(clicks.count, 2);
}

TEST_F(BitBtnTest, UserClickReachesOnlyAnEnabledButton) {
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    auto* button = Make<TBitBtn>();
    button->SetKind(bkIgnore);
    button->SetEnabled(enabled);
    TEventCounter clicks;
    button->SetOnClick(clicks.Event());
    ClickOnScreen(button);
    EXPECT_EQ(clicks.count, enabled ? 1 : 0);
    Free(button);
  }
}

// --- The face -----------------------------------------------------------------------------------

// The picture the list draws for one half of a kind bitmap: the transparent colour becomes
// the button face; for the disabled half, white and grey become the 3-D colours.
Picture ExpectedGlyph(TBitBtnKind kind, bool disabled) {
  const TBitmap* bitmap = KindGlyph(kind);
  const int width = bitmap->Width() / 2;
  const auto transparent = static_cast<COLORREF>(bitmap->Pixel(0, bitmap->Height() - 1));
  Picture picture;
  picture.width = width;
  picture.height = bitmap->Height();
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < width; ++x) {
      auto c = static_cast<COLORREF>(bitmap->Pixel(x + (disabled ? width : 0), y));
      if (c == transparent)
        c = ColorToRGB(clBtnFace);
      else if (disabled && c == 0xFFFFFF)
        c = ColorToRGB(clBtnHighlight);
      else if (disabled && c == 0x808080)
        c = ColorToRGB(clBtnShadow);
      picture.pixels.push_back(c);
    }
  return picture;
}

// An embossed text: shadow pixels with highlight one pixel down and to the right.
int EmbossedPixels(const Picture& face, RECT area) {
  const std::uint32_t shadow = ColorToRGB(clBtnShadow);
  const std::uint32_t highlight = ColorToRGB(clBtnHighlight);
  int count = 0;
  for (int y = area.top; y + 1 < area.bottom; ++y)
    for (int x = area.left; x + 1 < area.right; ++x)
      if (face.At(x, y) == shadow && face.At(x + 1, y + 1) == highlight) ++count;
  return count;
}

TEST_F(BitBtnTest, FaceShowsTheGlyphAndCaptionOfItsState) {
  auto* button = Make<TBitBtn>();
  button->ChangeBounds(8, 8, 65, 25);
  button->SetCaption("\xCF\xE0\xF3\xE7\xE0");  // "Пауза"
  button->SetKind(bkIgnore);
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    button->SetEnabled(enabled);

    const Picture face = RenderFace(button, enabled ? 0 : ODS_DISABLED);
    const RECT inside{2, 2, face.width - 2, face.height - 2};
    const POINT glyph = face.Find(ExpectedGlyph(bkIgnore, !enabled), inside);
    ASSERT_NE(glyph.x, -1) << "the state's picture is not on the face";
    EXPECT_EQ(face.Find(ExpectedGlyph(bkIgnore, enabled), inside).x, -1);

    // A grey caption is embossed; a normal one is drawn in the font's colour alone.
    const RECT caption{glyph.x + 18, 2, face.width - 2, face.height - 2};
    const int embossed = EmbossedPixels(face, caption);
    const int inked = face.Count(ColorToRGB(button->Font()->Color()), caption);
    EXPECT_GT(enabled ? inked : embossed, 5);
    EXPECT_EQ(enabled ? embossed : inked, 0);
  }
}

TEST_F(BitBtnTest, LoneGlyphIsCentredInsideSystemFrame) {
  auto* button = Make<TBitBtn>();
  button->ChangeBounds(8, 8, 75, 25);
  button->SetKind(bkOK);
  button->SetCaption("");

  const Picture face = RenderFace(button, 0);
  const POINT glyph = face.Find(ExpectedGlyph(bkOK, false), RECT{0, 0, face.width, face.height});
  // The raised frame takes 2 pixels a side, leaving 71 x 21; with no caption there is no
  // spacing: x = 2 + (71 - 18 + 1) div 2, y = 2 + (21 - 18 + 1) div 2.
  EXPECT_EQ(glyph.x, 29);
  EXPECT_EQ(glyph.y, 4);
}

// Every face a user sees on a button without a caption, 75 x 31: whether the one-pixel frame
// of the default look surrounds it, whether the dotted focus rectangle is drawn, which of the
// two pictures shows and whether the press moved it by a pixel.
struct FaceCase {
  const char* name;
  UINT itemState;
  bool defaultLook;
  bool enabled;
  bool framed;
  bool focusRectangle;
  int glyphShift;
};

TEST_F(BitBtnTest, EveryFaceShowsItsFrameFocusAndGlyph) {
  const FaceCase cases[] = {
      {"normal", 0, false, true, false, false, 0},
      {"pressed", ODS_SELECTED, false, true, false, false, 1},
      {"default look", 0, true, true, true, false, 0},
      {"focused", ODS_FOCUS, true, true, true, true, 0},
      {"focused and pressed", ODS_FOCUS | ODS_SELECTED, true, true, true, true, 1},
      {"disabled", ODS_DISABLED, false, false, false, false, 0},
  };
  const COLORREF frame = ColorToRGB(clWindowFrame);
  const COLORREF face = ColorToRGB(clBtnFace);
  for (const FaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto* button = Make<TBitBtn>();
    button->ChangeBounds(8, 8, 75, 31);
    button->SetKind(bkOK);
    button->SetCaption("");
    button->SetButtonStyle(c.defaultLook);
    button->SetEnabled(c.enabled);

    const Picture picture = RenderFace(button, c.itemState);

    EXPECT_EQ(picture.At(0, 0) == frame, c.framed);
    EXPECT_NE(picture.At(1, 1), frame) << "the frame is one pixel wide";
    // A pressed face without the frame is a flat shadow line on the face colour.
    if (c.glyphShift && !c.framed) {
      EXPECT_EQ(picture.At(0, 0), ColorToRGB(clBtnShadow));
    }
    // The focus rectangle lies 4 pixels inside; its left side is clear of the glyph.
    int dotted = 0;
    for (int y = 5; y < 26; ++y)
      if (picture.At(4, y) != face) ++dotted;
    EXPECT_EQ(dotted > 4, c.focusRectangle) << dotted << " pixels off the face colour";
    // Centred in what the frames leave (see LoneGlyphIsCentredInsideSystemFrame), below the
    // focus rectangle's top, moved down and right by a press.
    const POINT at = picture.Find(ExpectedGlyph(bkOK, !c.enabled), RECT{0, 0, 75, 31});
    EXPECT_EQ(at.x, 29 + c.glyphShift);
    EXPECT_EQ(at.y, 7 + c.glyphShift);
    Free(button);
  }
}

TEST_F(BitBtnTest, DisabledGlyphTakesTheColoursOfANewScheme) {
  auto* button = Make<TBitBtn>();
  button->ChangeBounds(8, 8, 75, 25);
  button->SetKind(bkIgnore);
  button->SetCaption("");
  button->SetEnabled(false);
  PumpMessages();
  // The disabled picture's grey is drawn in the shadow colour; the glyph stands alone in the
  // middle (see LoneGlyphIsCentredInsideSystemFrame).
  const RECT glyph{29, 4, 29 + 18, 4 + 18};
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  ASSERT_GT(RenderFace(button, ODS_DISABLED).Count(shadow, glyph), 0);
  const COLORREF changed = shadow == RGB(200, 30, 30) ? RGB(30, 200, 30) : RGB(200, 30, 30);

  // The system tells the top-level windows; put back whatever happens.
  const int index = COLOR_BTNSHADOW;
  SetSysColors(1, &index, &changed);
  const Finally restore([index, shadow] { SetSysColors(1, &index, &shadow); });
  PumpMessages();

  const Picture face = RenderFace(button, ODS_DISABLED);
  EXPECT_GT(face.Count(changed, glyph), 0);
  EXPECT_EQ(face.Count(shadow, glyph), 0) << "the glyph kept the old colours";
}

TEST_F(BitBtnTest, DisablingRepaintsButton) {
  auto* button = Make<TBitBtn>();
  button->SetKind(bkAbort);
  PumpMessages();
  ValidateRect(button->Handle(), nullptr);
  button->SetEnabled(false);
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(button->Handle(), &update, FALSE));
}

TEST_F(BitBtnTest, SystemDrawRequestReachesButton) {
  auto* button = Make<TBitBtn>();
  button->SetKind(bkOK);
  PumpMessages();
  TMessageSpy spy(button);
  InvalidateRect(button->Handle(), nullptr, TRUE);
  UpdateWindow(button->Handle());
  EXPECT_GE(spy.Count(FWM_DRAWITEM), 1);
}

}  // namespace
}  // namespace sx::testing
