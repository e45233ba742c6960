// The message dialog as built: its size, where the text, the icon and the buttons go, which
// buttons it makes and what it measures once for the whole process.

#include <string>
#include <vector>

#include "framework/controls/Button.h"
#include "framework/controls/Image.h"
#include "framework/controls/Label.h"
#include "framework/forms/MessageDialog.h"
#include "tests/framework/forms/FormsTestSupport.h"
#include "tests/support/Drawing.h"

namespace sx::testing {
namespace {

// What the dialog's font measures, worked out with the window system's own calls.
struct Metrics {
  int charWidth = 0;
  int charHeight = 0;
  int HorzMargin() const { return ::MulDiv(8, charWidth, 4); }
  int VertMargin() const { return ::MulDiv(8, charHeight, 8); }
  int HorzSpacing() const { return ::MulDiv(10, charWidth, 4); }
  int VertSpacing() const { return ::MulDiv(10, charHeight, 8); }
  int MinButtonWidth() const { return ::MulDiv(50, charWidth, 4); }
  int ButtonHeight() const { return ::MulDiv(14, charHeight, 8); }
  int ButtonSpacing() const { return ::MulDiv(4, charWidth, 4); }
};

class MessageDialogLayoutTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    Application->SetTitle("Sonderix");
    MessageDialogButtonWidths().fill(0);
  }

  TMessageForm* Build(const std::string& text, TMessageKind kind, TDialogButtons buttons) {
    TMessageForm* form = BuildMessageDialog(text, kind, buttons);
    form->HandleNeeded();
    return form;
  }

  static Metrics MetricsOf(const TFont* font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(font->Handle()));
    SIZE size{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return Metrics{size.cx / 52, size.cy};
  }

  // The text as the dialog measures it: wrapped at half the screen width, the terminating
  // zero counted.
  static RECT TextRect(const TFont* font, const std::string& text) {
    return MeasureText(font, text, DT_WORDBREAK | DT_EXPANDTABS, GetSystemMetrics(SM_CXSCREEN) / 2,
                       static_cast<int>(text.size()) + 1);
  }

  static int CaptionWidth(const TFont* font, const std::string& caption) {
    return MeasureText(font, caption, DT_SINGLELINE).right + 8;
  }

  static RECT ClientOf(TMessageForm* form) {
    RECT client{};
    GetClientRect(form->Handle(), &client);
    return client;
  }

  static TButton* ButtonOf(TMessageForm* form, const char* name) {
    TComponent* found = form->FindOwned(name);
    return found && found->InheritsFrom(TButton::StaticClass) ? static_cast<TButton*>(found)
                                                              : nullptr;
  }

  static std::vector<TButton*> Buttons(TMessageForm* form) {
    std::vector<TButton*> buttons;
    for (int i = 0; i < form->ComponentCount(); ++i)
      if (form->Component(i)->InheritsFrom(TButton::StaticClass))
        buttons.push_back(static_cast<TButton*>(form->Component(i)));
    return buttons;
  }
};

TEST_F(MessageDialogLayoutTest, TextNarrowerThanTheButtonLeavesTheButtonFillingTheRow) {
  TMessageForm* form = Build("Hi", mkCustom, TDialogButtons{dbOK});
  const Metrics m = MetricsOf(form->Font());
  const RECT text = TextRect(form->Font(), "Hi");
  const int buttonWidth = std::max(m.MinButtonWidth(), CaptionWidth(form->Font(), "OK"));
  ASSERT_LT(text.right, buttonWidth);

  const RECT client = ClientOf(form);
  EXPECT_EQ(client.right, buttonWidth + 2 * m.HorzMargin());
  EXPECT_EQ(client.bottom, text.bottom + m.ButtonHeight() + m.VertSpacing() + 2 * m.VertMargin());

  TButton* ok = ButtonOf(form, "OK");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->Left(), m.HorzMargin());
  EXPECT_EQ(ok->Top(), text.bottom + m.VertMargin() + m.VertSpacing());
  EXPECT_EQ(ok->Width(), buttonWidth);
  EXPECT_EQ(ok->Height(), m.ButtonHeight());

  TLabel* label = form->Message();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Left(), m.HorzMargin());
  EXPECT_EQ(label->Top(), m.VertMargin());
  EXPECT_EQ(label->Width(), text.right);
  EXPECT_EQ(label->Height(), text.bottom);
}

TEST_F(MessageDialogLayoutTest, LongTextWrapsAtHalfTheScreenWidth) {
  std::string text;
  for (int i = 0; i < 120; ++i)
    text += "countdown ";
  text += "end";
  TMessageForm* form = Build(text, mkCustom, TDialogButtons{dbOK});
  const Metrics m = MetricsOf(form->Font());
  const RECT measured = TextRect(form->Font(), text);
  const RECT oneLine = MeasureText(form->Font(), "countdown", 0);

  TLabel* label = form->Message();
  EXPECT_LE(label->Width(), GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(label->Width(), measured.right);
  EXPECT_EQ(label->Height(), measured.bottom);
  EXPECT_GE(label->Height(), 3 * oneLine.bottom) << "the text is broken into lines";
  EXPECT_TRUE(label->WordWrap());
  EXPECT_EQ(ClientOf(form).right, measured.right + 2 * m.HorzMargin());
  EXPECT_EQ(ButtonOf(form, "OK")->Left(),
            (measured.right + 2 * m.HorzMargin() - ButtonOf(form, "OK")->Width()) / 2)
      << "the row is centred under the wider text";
}

TEST_F(MessageDialogLayoutTest, LineBreaksOfTheTextAreKept) {
  const std::string text = "first line\r\nsecond line\r\nthird line";
  TMessageForm* form = Build(text, mkCustom, TDialogButtons{dbOK});
  const RECT measured = TextRect(form->Font(), text);
  const RECT oneLine = MeasureText(form->Font(), "first line", 0);
  EXPECT_EQ(measured.bottom, 3 * oneLine.bottom);
  EXPECT_EQ(form->Message()->Height(), measured.bottom);
  EXPECT_EQ(form->Message()->Caption(), text);
}

TEST_F(MessageDialogLayoutTest, AmpersandIsAnAcceleratorPrefixAndDoubledShowsOnce) {
  TMessageForm* form = Build("&Save && quit", mkCustom, TDialogButtons{dbOK});
  const std::string shown = "Save & quit";
  const RECT plain =
      MeasureText(form->Font(), shown, DT_NOPREFIX | DT_WORDBREAK | DT_EXPANDTABS,
                  GetSystemMetrics(SM_CXSCREEN) / 2, static_cast<int>(shown.size()) + 1);
  EXPECT_EQ(form->Message()->Width(), plain.right);
  EXPECT_TRUE(form->Message()->ShowAccelChar());
}

TEST_F(MessageDialogLayoutTest, EachKindHasItsCaptionAndSystemIcon) {
  struct Case {
    TMessageKind kind;
    const char* caption;
    LPCSTR icon;
  };
  const Case cases[] = {
      {mkWarning, "Warning", IDI_EXCLAMATION},
      {mkError, "Error", IDI_HAND},
      {mkInformation, "Information", IDI_ASTERISK},
      {mkConfirmation, "Confirm", IDI_QUESTION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    TMessageForm* form = Build("Hi", c.kind, TDialogButtons{dbOK});
    const Metrics m = MetricsOf(form->Font());
    const RECT text = TextRect(form->Font(), "Hi");
    EXPECT_EQ(form->Caption(), c.caption);
    TComponent* found = form->FindOwned("Image");
    ASSERT_NE(found, nullptr);
    ASSERT_TRUE(found->InheritsFrom(TImage::StaticClass));
    auto* image = static_cast<TImage*>(found);
    EXPECT_EQ(image->Icon(), LoadIconA(nullptr, c.icon));
    EXPECT_EQ(image->Parent(), form);
    EXPECT_EQ(image->Left(), m.HorzMargin());
    EXPECT_EQ(image->Top(), m.VertMargin());
    EXPECT_EQ(image->Width(), 32);
    EXPECT_EQ(image->Height(), 32);
    EXPECT_EQ(form->Message()->Left(), m.HorzMargin() + 32 + m.HorzSpacing());
    const int blockHeight = std::max<int>(text.bottom, 32);
    EXPECT_EQ(ClientOf(form).bottom,
              blockHeight + m.ButtonHeight() + m.VertSpacing() + 2 * m.VertMargin());
    const int blockWidth = text.right + 32 + m.HorzSpacing();
    const int buttonWidth = std::max(m.MinButtonWidth(), CaptionWidth(form->Font(), "OK"));
    EXPECT_EQ(ClientOf(form).right, std::max(blockWidth, buttonWidth) + 2 * m.HorzMargin());
    form->Free();
  }
}

TEST_F(MessageDialogLayoutTest, CustomKindShowsTheTitleAndNoIcon) {
  TMessageForm* form = Build("Hi", mkCustom, TDialogButtons{dbOK});
  EXPECT_EQ(form->Caption(), "Sonderix");
  EXPECT_EQ(form->FindOwned("Image"), nullptr);
}

TEST_F(MessageDialogLayoutTest, ButtonsStandInBitOrderWithTheirNamesCaptionsAndResults) {
  TDialogButtons all;
  for (int b = 0; b < static_cast<int>(kDialogButtonCount); ++b)
    all.Include(static_cast<TDialogButton>(b));
  TMessageForm* form = Build("Hi", mkConfirmation, all);
  const Metrics m = MetricsOf(form->Font());

  struct Expected {
    const char* name;
    const char* caption;
    TModalResult result;
  };
  const Expected expected[] = {
      {"Yes", "&Yes", 6},
      {"No", "&No", 7},
      {"OK", "OK", 1},
      {"Cancel", "Cancel", 2},
      {"Abort", "&Abort", 3},
      {"Retry", "&Retry", 4},
      {"Ignore", "&Ignore", 5},
      {"All", "&All", 8},
      {"NoToAll", "N&o to All", 9},
      {"YesToAll", "Yes to &All", 10},
      {"Help", "&Help", 0},
  };
  int buttonWidth = m.MinButtonWidth();
  for (const Expected& e : expected)
    buttonWidth = std::max(buttonWidth, CaptionWidth(form->Font(), e.caption));

  const std::vector<TButton*> buttons = Buttons(form);
  ASSERT_EQ(buttons.size(), std::size(expected));
  const int rowWidth = 11 * buttonWidth + 10 * m.ButtonSpacing();
  int x = (ClientOf(form).right - rowWidth) / 2;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(buttons[i]->Name(), expected[i].name);
    EXPECT_EQ(buttons[i]->Caption(), expected[i].caption);
    EXPECT_EQ(buttons[i]->ModalResult(), expected[i].result);
    EXPECT_EQ(buttons[i]->Parent(), form);
    EXPECT_EQ(buttons[i]->Left(), x);
    EXPECT_EQ(buttons[i]->Width(), buttonWidth);
    EXPECT_EQ(buttons[i]->Height(), m.ButtonHeight());
    x += buttonWidth + m.ButtonSpacing();
  }
  EXPECT_EQ(ClientOf(form).right, rowWidth + 2 * m.HorzMargin()) << "the row is the widest part";
  EXPECT_EQ(form->Message()->Left(), m.HorzMargin() + 32 + m.HorzSpacing())
      << "the text stays at the left, not centred over the wider row";
}

TEST_F(MessageDialogLayoutTest, DefaultAndCancelButtonsFollowThePreferenceOrder) {
  struct Case {
    TDialogButtons buttons;
    const char* defaultName;
    const char* cancelName;  // none when empty
  };
  const Case cases[] = {
      {TDialogButtons{dbOK}, "OK", "OK"},
      {TDialogButtons{dbOK, dbCancel}, "OK", "Cancel"},
      {TDialogButtons{dbYes, dbNo}, "Yes", "No"},
      {TDialogButtons{dbYes, dbNo, dbCancel}, "Yes", "Cancel"},
      {TDialogButtons{dbAbort, dbRetry, dbIgnore}, "Retry", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.defaultName) + "/" + c.cancelName);
    TMessageForm* form = Build("Hi", mkWarning, c.buttons);
    for (TButton* button : Buttons(form)) {
      EXPECT_EQ(button->Default(), button->Name() == c.defaultName) << button->Name();
      EXPECT_EQ(button->Cancel(), button->Name() == c.cancelName) << button->Name();
    }
    form->Free();
  }
}

TEST_F(MessageDialogLayoutTest, DialogIsAHiddenCentredKeyPreviewingFormOfTheApplication) {
  TMessageForm* form = BuildMessageDialog("Hi", mkCustom, TDialogButtons{dbOK});
  EXPECT_EQ(form->Owner(), Application);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(form->HandleAllocated()) << "measuring needs no window";
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_TRUE(form->KeyPreview());
  EXPECT_EQ(form->Left(), GetSystemMetrics(SM_CXSCREEN) / 2 - form->Width() / 2);
  EXPECT_EQ(form->Top(), GetSystemMetrics(SM_CYSCREEN) / 2 - form->Height() / 2);
  TComponent* label = form->FindOwned("Message");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label, form->Message());
  EXPECT_EQ(form->Message()->Parent(), form);
  EXPECT_EQ(form->Message()->Caption(), "Hi");
}

// A message font a description of style bits would lose: a weight between normal and bold,
// a width of its own, a quality and a family.
LOGFONTA UnusualMessageFont() {
  NONCLIENTMETRICSA system{};
  EXPECT_TRUE(Desktop().nonClientMetrics(system));
  LOGFONTA record = system.lfMessageFont;
  record.lfWeight = 600;
  record.lfWidth = 7;
  record.lfQuality = NONANTIALIASED_QUALITY;
  record.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  return record;
}

LOGFONTA FontRecordOf(const TFont* font) {
  LOGFONTA made{};
  EXPECT_EQ(GetObjectA(reinterpret_cast<HGDIOBJ>(font->Handle()), sizeof made, &made),
            static_cast<int>(sizeof made));
  return made;
}

TEST_F(MessageDialogLayoutTest, DialogFontIsMadeFromTheWholeMessageFontRecord) {
  const LOGFONTA record = UnusualMessageFont();
  FakeDesktop desktop({});
  desktop.SetMessageFont(record);

  TMessageForm* form = Build("Hi", mkCustom, TDialogButtons{dbOK});
  const LOGFONTA made = FontRecordOf(form->Font());
  EXPECT_EQ(made.lfWeight, 600);
  EXPECT_EQ(made.lfWidth, 7);
  EXPECT_EQ(made.lfQuality, NONANTIALIASED_QUALITY);
  EXPECT_EQ(made.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
  EXPECT_EQ(made.lfHeight, record.lfHeight);
  EXPECT_EQ(made.lfCharSet, record.lfCharSet);
  EXPECT_STREQ(made.lfFaceName, record.lfFaceName);
  EXPECT_EQ(form->Message()->Font()->Handle(), form->Font()->Handle())
      << "the label has the form's";
  EXPECT_EQ(ButtonOf(form, "OK")->Font()->Handle(), form->Font()->Handle());
}

// Moved to a monitor of twice the resolution, the dialog's font grows from the record, not
// from a description of it.
TEST_F(MessageDialogLayoutTest, RescaledDialogKeepsTheMessageFontRecord) {
  const LOGFONTA record = UnusualMessageFont();
  FakeDesktop desktop({});
  desktop.SetMessageFont(record);
  TMessageForm* form = Build("Hi", mkCustom, TDialogButtons{dbOK});
  const int resolution = form->PixelsPerInch();
  RECT suggested{};
  GetWindowRect(form->Handle(), &suggested);

  SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(2 * resolution, 2 * resolution),
               reinterpret_cast<LPARAM>(&suggested));

  const LOGFONTA made = FontRecordOf(form->Font());
  EXPECT_EQ(made.lfHeight, 2 * record.lfHeight);
  EXPECT_EQ(made.lfWidth, 14);
  EXPECT_EQ(made.lfWeight, 600);
  EXPECT_EQ(made.lfQuality, NONANTIALIASED_QUALITY);
  EXPECT_EQ(made.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
  EXPECT_EQ(ButtonOf(form, "OK")->Font()->Handle(), form->Font()->Handle());
}

TEST_F(MessageDialogLayoutTest, DialogKeepsTheDefaultFormFontWhenTheMetricsCannotBeRead) {
  FakeDesktop desktop({});
  desktop.FailNonClientMetrics();
  TMessageForm* form = Build("Hi", mkCustom, TDialogButtons{dbOK});
  TForm* plain = New<TForm>(Application, kCreateNew);
  EXPECT_EQ(form->Font()->Handle(), plain->Font()->Handle());
  plain->Free();
}

TEST_F(MessageDialogLayoutTest, ButtonWidthIsMeasuredOnceAndReusedByLaterDialogs) {
  auto& widths = MessageDialogButtonWidths();
  TMessageForm* first = Build("Hi", mkCustom, TDialogButtons{dbOK});
  EXPECT_EQ(widths[dbOK], CaptionWidth(first->Font(), "OK"));
  EXPECT_EQ(widths[dbYes], 0) << "only the buttons shown are measured";
  first->Free();

  // A cached width stands for the caption from now on, measured or not.
  widths[dbOK] = 300;
  TMessageForm* second = Build("Hi", mkConfirmation, TDialogButtons{dbYes, dbOK});
  EXPECT_EQ(widths[dbYes], CaptionWidth(second->Font(), "&Yes"));
  EXPECT_EQ(ButtonOf(second, "OK")->Width(), 300);
  EXPECT_EQ(ButtonOf(second, "Yes")->Width(), 300) << "every button takes the widest width";
}

}  // namespace
}  // namespace sx::testing
