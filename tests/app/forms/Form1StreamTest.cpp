// The compiled main window definition, as the build embeds it: its fixed bytes, and its
// records read back with the framework's reader and compared with the window's layout.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"
#include "tests/support/FakeSystem.h"

namespace sx {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& Form1() {
  static const Bytes bytes = [] {
    std::ifstream in(SX_FORM1_BIN_PATH, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }();
  return bytes;
}

Bytes B(std::initializer_list<int> values) {
  Bytes bytes;
  for (int v : values)
    bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

// A short string: length byte and text.
Bytes S(std::string_view text) {
  Bytes bytes{static_cast<std::uint8_t>(text.size())};
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Slice(std::size_t offset, std::size_t count) {
  const Bytes& form = Form1();
  if (offset > form.size()) return {};
  count = std::min(count, form.size() - offset);
  return Bytes(form.begin() + static_cast<std::ptrdiff_t>(offset),
               form.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

// --- Fixed bytes ------------------------------------------------------------------------

// The window's table takes 2537 bytes; the names for screen readers of the three fields,
// their spin buttons and the panel take the rest.
TEST(Form1Bytes, IsExactly2800BytesLong) {
  EXPECT_EQ(Form1().size(), 2800u);
}

// Signature, header and the first five entries, up to the caption's text.
const Bytes kOpening = Concat({
    B({0x54, 0x50, 0x46, 0x30}),
    B({0x06, 0x54, 0x46, 0x6F, 0x72, 0x6D, 0x31}),
    B({0x05, 0x46, 0x6F, 0x72, 0x6D, 0x31}),
    B({0x04, 0x4C, 0x65, 0x66, 0x74, 0x03, 0x55, 0x01}),
    B({0x03, 0x54, 0x6F, 0x70, 0x03, 0x9D, 0x00}),
    B({0x05, 0x57, 0x69, 0x64, 0x74, 0x68, 0x03, 0x2D, 0x01}),
    B({0x06, 0x48, 0x65, 0x69, 0x67, 0x68, 0x74, 0x03, 0xDF, 0x00}),
    B({0x07, 0x43, 0x61, 0x70, 0x74, 0x69, 0x6F, 0x6E, 0x06, 0x08}),
    B({'S', 'o', 'n', 'd', 'e', 'r', 'i', 'x'}),
});

TEST(Form1Bytes, BeginsWithSignatureHeaderAndFirstEntries) {
  EXPECT_EQ(Slice(0, kOpening.size()), kOpening);
}

// One property entry: the name, then the tagged value's bytes.
Bytes E(std::string_view name, std::initializer_list<int> value) {
  return Concat({S(name), B(value)});
}
Bytes IdentE(std::string_view name, std::string_view ident) {
  return Concat({S(name), B({7}), S(ident)});
}
Bytes StringE(std::string_view name, std::string_view text) {
  return Concat({S(name), B({6}), S(text)});
}

// The rest of the form's entries and the end of its property list.
const Bytes kFormEntriesAfterCaption = Concat({
    IdentE("Color", "clBtnFace"),
    IdentE("Font.Charset", "DEFAULT_CHARSET"),
    IdentE("Font.Color", "clWindowText"),
    E("Font.Height", {2, 0xF5}),
    StringE("Font.Name", "MS Sans Serif"),
    E("Font.Style", {0x0B, 0x00}),
    E("OldCreateOrder", {8}),
    E("PixelsPerInch", {2, 0x60}),
    E("TextHeight", {2, 0x0D}),
    B({0}),
});

TEST(Form1Bytes, FormEntriesAfterCaptionUseTheirOwnTags) {
  EXPECT_EQ(Slice(kOpening.size(), kFormEntriesAfterCaption.size()), kFormEntriesAfterCaption);
}

TEST(Form1Bytes, FirstButtonRecordHasUtf8CaptionOf17Bytes) {
  const std::string caption = "Открыть CD";
  const Bytes expected = Concat({
      S("TButton"),
      S("Button1"),
      E("Left", {2, 8}),
      E("Top", {2, 64}),
      E("Width", {2, 75}),
      E("Height", {2, 25}),
      E("Caption", {20, 0x11, 0, 0, 0}),
      Bytes(caption.begin(), caption.end()),
      E("TabOrder", {2, 0}),
      IdentE("OnClick", "Button1Click"),
      B({0, 0}),
  });
  // The first child record follows the form's property list at once.
  EXPECT_EQ(Slice(kOpening.size() + kFormEntriesAfterCaption.size(), expected.size()), expected);
}

TEST(Form1Bytes, EndsWithTheTimerRecordAndThreeEndMarkers) {
  const Bytes timer = Concat({
      S("TTimer"), S("Timer1"), E("Enabled", {8}), IdentE("OnTimer", "Timer1Timer"),
      E("Left", {3, 0xD8, 0x00}), E("Top", {2, 8}),
      B({0, 0}),  // the timer's properties and children
      B({0}),     // the form's children
  });
  ASSERT_GE(Form1().size(), timer.size());
  EXPECT_EQ(Slice(Form1().size() - timer.size(), timer.size()), timer);
  EXPECT_EQ(Slice(Form1().size() - 4, 4), B({0x08, 0x00, 0x00, 0x00}));
}

// --- Records read back with the reader ------------------------------------------------------

struct Ident {
  std::string name;
  bool operator==(const Ident&) const = default;
};
using SetElements = std::vector<std::string>;
using Value = std::variant<std::int32_t, std::u16string, Ident, bool, SetElements>;

struct Entry {
  std::string name;
  Value value;
};

struct Record {
  std::string className;
  std::string name;
  std::vector<Entry> entries;
  std::vector<Record> children;
};

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Show(const Value& value) {
  struct {
    std::string operator()(std::int32_t v) const { return std::to_string(v); }
    std::string operator()(const std::u16string& v) const { return "\"" + Utf8(v) + "\""; }
    std::string operator()(const Ident& v) const { return v.name; }
    std::string operator()(bool v) const { return v ? "True" : "False"; }
    std::string operator()(const SetElements& v) const {
      std::string s = "[";
      for (const std::string& e : v)
        s += (s.size() > 1 ? ", " : "") + e;
      return s + "]";
    }
  } show;
  return std::visit(show, value);
}

// What the reader found beyond the values: prefixes and the tags in use.
struct ReadFacts {
  int prefixedRecords = 0;
  std::set<int> tags;
  std::vector<std::string> textTagFaults;
};

Value ReadValue(TReader& reader, ReadFacts& facts) {
  const ValueTag tag = reader.PeekTag();
  facts.tags.insert(tag);
  switch (tag) {
    case TagInt8:
    case TagInt16:
    case TagInt32:
      return reader.ReadIntValue();
    case TagString:
    case TagLString:
    case TagWString:
    case TagUtf8String: {
      std::u16string text = reader.ReadWideTextValue();
      // Pure ASCII as 8-bit text; anything else in the shorter wide form, UTF-16 on a tie.
      const bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
      const ValueTag wanted = ascii                                 ? TagString
                              : Utf8(text).size() < 2 * text.size() ? TagUtf8String
                                                                    : TagWString;
      if (tag != wanted) facts.textTagFaults.push_back(Utf8(text));
      return text;
    }
    case TagIdent:
      return Ident{reader.ReadIdentValue()};
    case TagFalse:
    case TagTrue:
      return reader.ReadBoolValue();
    case TagSet: {
      reader.ReadTag();
      SetElements elements;
      for (std::string e = reader.ReadShortText(); !e.empty(); e = reader.ReadShortText())
        elements.push_back(e);
      return elements;
    }
    default:
      ADD_FAILURE() << "unexpected tag " << static_cast<int>(tag);
      reader.SkipOneValue();
      return false;
  }
}

Record ReadRecord(TReader& reader, ReadFacts& facts) {
  if ((reader.PeekTag() & 0xF0) == 0xF0) ++facts.prefixedRecords;
  PrefixFlags flags;
  std::int32_t position = 0;
  reader.ReadObjectPrefix(flags, position);
  Record record;
  record.className = reader.ReadShortText();
  record.name = reader.ReadShortText();
  while (!reader.AtListEnd()) {
    Entry entry;
    entry.name = reader.ReadShortText();
    entry.value = ReadValue(reader, facts);
    record.entries.push_back(std::move(entry));
  }
  reader.ReadTag();
  while (!reader.AtListEnd())
    record.children.push_back(ReadRecord(reader, facts));
  reader.ReadTag();
  return record;
}

class Form1Records : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.Install();
    TCustomMemoryStream stream(Form1());
    TReader reader(stream);
    reader.CheckSignature();
    root_ = ReadRecord(reader, facts_);
    end_ = reader.Position();
  }

  testing::FakeSystem system_;
  Record root_;
  ReadFacts facts_;
  std::int64_t end_ = 0;
};

// The expected layout, written from the window's table.

Entry Int(const char* name, std::int32_t v) {
  return {name, v};
}
Entry Text(const char* name, const char16_t* v) {
  return {name, std::u16string(v)};
}
Entry Id(const char* name, const char* v) {
  return {name, Ident{v}};
}
Entry Bool(const char* name, bool v) {
  return {name, v};
}

// Entries stand in this order within a record, as far as present.
const char* const kPropertyOrder[] = {
    "Left",     "Top",     "Width",   "Height",  "Associate",      "Min",      "Max",
    "Position", "Caption", "Checked", "Enabled", "ReadOnly",       "TabOrder", "TabStop",
    "Text",     "Wrap",    "OnClick", "Kind",    "AccessibleName",
};

std::size_t OrderOf(const std::string& name) {
  const auto* it = std::find(std::begin(kPropertyOrder), std::end(kPropertyOrder), name);
  EXPECT_NE(it, std::end(kPropertyOrder)) << name;
  return static_cast<std::size_t>(it - std::begin(kPropertyOrder));
}

// One row of the component table.
Record Row(const char* className, const char* name, int left, int top, int width, int height,
           const char16_t* caption, int tabOrder, std::vector<Entry> others = {},
           const char* onClick = nullptr) {
  std::vector<Entry> entries{Int("Left", left), Int("Top", top), Int("Width", width),
                             Int("Height", height), Int("TabOrder", tabOrder)};
  if (caption) entries.push_back(Text("Caption", caption));
  if (onClick) entries.push_back(Id("OnClick", onClick));
  entries.insert(entries.end(), others.begin(), others.end());
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return OrderOf(a.name) < OrderOf(b.name);
  });
  return {className, name, std::move(entries), {}};
}

Record ExpectedForm1() {
  Record form{"TForm1",
              "Form1",
              {Int("Left", 341),
               Int("Top", 157),
               Int("Width", 301),
               Int("Height", 223),
               Text("Caption", u"Sonderix"),
               Id("Color", "clBtnFace"),
               Id("Font.Charset", "DEFAULT_CHARSET"),
               Id("Font.Color", "clWindowText"),
               Int("Font.Height", -11),
               Text("Font.Name", u"MS Sans Serif"),
               {"Font.Style", SetElements{}},
               Bool("OldCreateOrder", false),
               Int("PixelsPerInch", 96),
               Int("TextHeight", 13)},
              {}};
  auto edit = [](const char* name, int left, int tab, const char16_t* accessibleName) {
    return Row(
        "TEdit", name, left, 8, 41, 21, nullptr, tab,
        {Bool("ReadOnly", true), Text("Text", u"0"), Text("AccessibleName", accessibleName)});
  };
  auto upDown = [](const char* name, int left, int tab, const char* field, int max,
                   const char16_t* accessibleName) {
    return Row("TUpDown", name, left, 8, 16, 21, nullptr, tab,
               {Id("Associate", field), Int("Min", 0), Int("Max", max), Int("Position", 0),
                Bool("Wrap", false), Text("AccessibleName", accessibleName)});
  };
  form.children = {
      Row("TButton", "Button1", 8, 64, 75, 25, u"Открыть CD", 0, {}, "Button1Click"),
      Row("TButton", "Button2", 8, 88, 75, 25, u"Закрыть CD", 1, {}, "Button2Click"),
      Row("TButton", "Button3", 8, 112, 75, 25, u"Выкл. комп", 2, {}, "Button3Click"),
      Row("TButton", "Button4", 8, 136, 75, 25, u"Перезагрузка", 3, {}, "Button4Click"),
      Row("TButton", "Button5", 8, 160, 97, 25, u"Завершить сеанс", 4, {}, "Button5Click"),
      edit("Edit1", 8, 5, u"Часы"),
      edit("Edit2", 80, 6, u"Минуты"),
      edit("Edit3", 152, 7, u"Секунды"),
      upDown("UpDown1", 49, 8, "Edit1", 99, u"Часы"),
      upDown("UpDown2", 121, 9, "Edit2", 59, u"Минуты"),
      upDown("UpDown3", 193, 10, "Edit3", 59, u"Секунды"),
      Row("TBitBtn", "Start", 8, 32, 57, 25, u"Старт", 11, {Id("Kind", "bkOK")}, "StartClick"),
      Row("TBitBtn", "Pause", 72, 32, 65, 25, u"Пауза", 12,
          {Bool("Enabled", false), Id("Kind", "bkIgnore")}, "PauseClick"),
      Row("TBitBtn", "Otmena", 144, 32, 65, 25, u"Отмена", 13,
          {Bool("Enabled", false), Id("Kind", "bkAbort")}, "OtmenaClick"),
      Row("TBitBtn", "BitBtn4", 216, 8, 75, 25, u"Выход", 14, {Id("Kind", "bkClose")},
          "BitBtn4Click"),
      Row("TPanel", "Panel1", 112, 64, 177, 121, nullptr, 15,
          {Text("AccessibleName", u"Действие по окончании отсчёта")}),
      Record{
          "TTimer",
          "Timer1",
          {Bool("Enabled", false), Id("OnTimer", "Timer1Timer"), Int("Left", 216), Int("Top", 8)},
          {}},
  };
  form.children[15].children = {
      Row("TRadioButton", "RadioButton1", 8, 4, 113, 17, u"Открыть CD-ROM", 0),
      Row("TRadioButton", "RadioButton2", 8, 28, 113, 17, u"Закрыть CD-ROM", 1),
      Row("TRadioButton", "RadioButton3", 8, 52, 161, 17, u"Выключить компьютер", 2,
          {Bool("Checked", true), Bool("TabStop", true)}),
      Row("TRadioButton", "RadioButton4", 8, 76, 161, 17, u"Перезагрузить компьютер", 3),
      Row("TRadioButton", "RadioButton5", 8, 100, 161, 17, u"Завершить сеанс", 4),
  };
  return form;
}

void ExpectSameRecord(const Record& actual, const Record& expected) {
  SCOPED_TRACE("object " + expected.name);
  EXPECT_EQ(actual.className, expected.className);
  EXPECT_EQ(actual.name, expected.name);
  for (std::size_t i = 0; i < std::max(actual.entries.size(), expected.entries.size()); ++i) {
    if (i >= actual.entries.size()) {
      ADD_FAILURE() << "missing entry " << expected.entries[i].name;
    } else if (i >= expected.entries.size()) {
      ADD_FAILURE() << "extra entry " << actual.entries[i].name << " = "
                    << Show(actual.entries[i].value);
    } else {
      EXPECT_EQ(actual.entries[i].name, expected.entries[i].name) << "entry " << i;
      EXPECT_TRUE(actual.entries[i].value == expected.entries[i].value)
          << expected.entries[i].name << ": " << Show(actual.entries[i].value) << ", expected "
          << Show(expected.entries[i].value);
    }
  }
  ASSERT_EQ(actual.children.size(), expected.children.size());
  for (std::size_t i = 0; i < expected.children.size(); ++i)
    ExpectSameRecord(actual.children[i], expected.children[i]);
}

TEST_F(Form1Records, MatchTheWindowLayoutEntryByEntry) {
  ExpectSameRecord(root_, ExpectedForm1());
}

TEST_F(Form1Records, RootRecordEndsAtTheLastByte) {
  EXPECT_EQ(end_, 2800);
}

TEST_F(Form1Records, NoRecordHasAPrefix) {
  EXPECT_EQ(facts_.prefixedRecords, 0);
}

TEST_F(Form1Records, UseExactlyTheTagsOfTheLayout) {
  const std::set<int> expected{TagInt8, TagInt16, TagString,  TagIdent,     TagFalse,
                               TagTrue, TagSet,   TagWString, TagUtf8String};
  EXPECT_EQ(facts_.tags, expected);
}

TEST_F(Form1Records, TextsTakeTheirShortestForm) {
  EXPECT_TRUE(facts_.textTagFaults.empty())
      << facts_.textTagFaults.size() << " texts in a longer form, first \""
      << (facts_.textTagFaults.empty() ? "" : facts_.textTagFaults.front()) << "\"";
}

}  // namespace
}  // namespace sx
