#include "tools/formc/FormCompiler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace sx::formc {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes B(std::initializer_list<int> values) {
  Bytes bytes;
  for (int v : values)
    bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

Bytes Ascii(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Compiled(std::string_view source) {
  const CompileResult result = CompileForm(source);
  EXPECT_TRUE(result.Ok()) << "line " << result.error->line << ": " << result.error->message;
  return result.bytes;
}

// The encoding of one value: compiles "P = <value>" inside an object and returns the bytes
// between the entry's name and the end markers.
Bytes ValueOf(std::string_view value) {
  const Bytes bytes = Compiled("A : T {\n  P = " + std::string(value) + "\n}\n");
  const Bytes head = Concat({Ascii("TPF0"), B({1, 'T', 1, 'A', 1, 'P'})});
  if (bytes.size() < head.size() + 2 || !std::equal(head.begin(), head.end(), bytes.begin()) ||
      bytes[bytes.size() - 1] != 0 || bytes[bytes.size() - 2] != 0) {
    ADD_FAILURE() << "unexpected record layout for value " << value;
    return {};
  }
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(head.size()), bytes.end() - 2);
}

Diagnostic ErrorOf(std::string_view source) {
  const CompileResult result = CompileForm(source);
  EXPECT_FALSE(result.Ok()) << "compiled although faulty:\n" << source;
  if (result.Ok()) return {};
  EXPECT_TRUE(result.bytes.empty());
  return *result.error;
}

// --- Values: each takes its own encoding --------------------------------------------------

struct ValueCase {
  const char* name;
  std::string value;  // as written in the source
  Bytes encoding;
};

class FormcValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FormcValues, AreEncodedAsTheReaderExpects) {
  EXPECT_EQ(ValueOf(GetParam().value), GetParam().encoding);
}

const std::string kX255(255, 'x');
const std::string kX256(256, 'x');

INSTANTIATE_TEST_SUITE_P(
    All, FormcValues,
    ::testing::Values(
        // Integers take the smallest tag that holds them, little-endian.
        ValueCase{"Int8Lowest", "-128", B({2, 0x80})},
        ValueCase{"Int8Highest", "127", B({2, 0x7F})},
        ValueCase{"JustAboveInt8TakesInt16", "128", B({3, 0x80, 0x00})},
        ValueCase{"JustBelowInt8TakesInt16", "-129", B({3, 0x7F, 0xFF})},
        ValueCase{"Int16Highest", "32767", B({3, 0xFF, 0x7F})},
        ValueCase{"Int16Lowest", "-32768", B({3, 0x00, 0x80})},
        ValueCase{"JustAboveInt16TakesInt32", "32768", B({4, 0x00, 0x80, 0x00, 0x00})},
        ValueCase{"JustBelowInt16TakesInt32", "-32769", B({4, 0xFF, 0x7F, 0xFF, 0xFF})},
        ValueCase{"Int32Highest", "2147483647", B({4, 0xFF, 0xFF, 0xFF, 0x7F})},
        ValueCase{"Int32Lowest", "-2147483648", B({4, 0x00, 0x00, 0x00, 0x80})},
        // Texts.
        ValueCase{"AsciiIsShortString", "\"Sonderix\"", Concat({B({6, 8}), Ascii("Sonderix")})},
        ValueCase{"EmptyTextIsShortString", "\"\"", B({6, 0})},
        ValueCase{"AsciiOf255BytesIsStillShort", "\"" + kX255 + "\"",
                  Concat({B({6, 255}), Ascii(kX255)})},
        ValueCase{"AsciiOf256BytesIsLongString", "\"" + kX256 + "\"",
                  Concat({B({12, 0x00, 0x01, 0, 0}), Ascii(kX256)})},
        // 7 Cyrillic letters and " CD": 17 bytes of UTF-8 against 20 of UTF-16.
        ValueCase{"CyrillicWithAsciiIsUtf8WhenShorter", "\"Открыть CD\"",
                  Concat({B({20, 17, 0, 0, 0}), Ascii("Открыть CD")})},
        // Only two-byte letters: 10 bytes either way.
        ValueCase{"TieBetweenUtf8AndUtf16ChoosesUtf16", "\"Старт\"",
                  B({18, 5, 0, 0, 0, 0x21, 0x04, 0x42, 0x04, 0x30, 0x04, 0x40, 0x04, 0x42, 0x04})},
        ValueCase{"ThreeByteCharactersAreUtf16", "\"日本\"",
                  B({18, 2, 0, 0, 0, 0xE5, 0x65, 0x2C, 0x67})},
        // UTF-8 (5 bytes) would be shorter than UTF-16 (6), but the reader decodes no
        // four-byte sequences, so only the surrogate pair keeps the character.
        ValueCase{"CharacterBeyondBmpIsNeverUtf8", "\"a\\u{1F600}\"",
                  B({18, 3, 0, 0, 0, 'a', 0, 0x3D, 0xD8, 0x00, 0xDE})},
        ValueCase{"EscapesGiveTheirCharacters", R"("\"\\\n\r\t")",
                  B({6, 5, '"', '\\', '\n', '\r', '\t'})},
        ValueCase{"UnicodeEscapesGiveTheirCharacters", R"("\u{41}\u{042}")", B({6, 2, 'A', 'B'})},
        ValueCase{"HashInsideTextIsNotAComment", "\"a # b\" # note",
                  Concat({B({6, 5}), Ascii("a # b")})},
        // Identifiers, booleans, nil and sets.
        ValueCase{"IdentifierIsTagIdent", "clBtnFace", Concat({B({7, 9}), Ascii("clBtnFace")})},
        ValueCase{"DottedIdentifierIsTagIdent", "Form2.Edit1",
                  Concat({B({7, 11}), Ascii("Form2.Edit1")})},
        ValueCase{"TrueIsATagWithoutPayload", "True", B({9})},
        ValueCase{"FalseIsATagWithoutPayload", "False", B({8})},
        // As an identifier "true" would read back as false.
        ValueCase{"LowerCaseTrueIsStillABoolean", "true", B({9})},
        ValueCase{"UpperCaseFalseIsStillABoolean", "FALSE", B({8})},
        ValueCase{"NilIsTagNil", "nil", B({13})},
        ValueCase{"EmptySetIsTagAndTerminator", "[]", B({11, 0})},
        ValueCase{"SetListsElementNamesInOrder", "[fsBold, fsItalic]",
                  Concat({B({11, 6}), Ascii("fsBold"), B({8}), Ascii("fsItalic"), B({0})})}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

// --- Records ---------------------------------------------------------------------------------

TEST(FormcRecords, EmptyObjectHasBothEndMarkers) {
  EXPECT_EQ(Compiled("A : T {\n}\n"), Concat({Ascii("TPF0"), B({1, 'T', 1, 'A', 0, 0})}));
}

TEST(FormcRecords, ObjectNameMayBeOmitted) {
  EXPECT_EQ(Compiled(": T {\n}\n"), Concat({Ascii("TPF0"), B({1, 'T', 0, 0, 0})}));
}

TEST(FormcRecords, NestedObjectFollowsParentsPropertyEnd) {
  const Bytes expected =
      Concat({Ascii("TPF0"), B({1, 'T', 1, 'A', 1, 'P', 2, 1, 0}),
              B({1, 'U', 1, 'B', 1, 'Q', 2, 2, 0, 0}), B({1, 'U', 1, 'C', 0, 0}), B({0})});
  EXPECT_EQ(Compiled("A : T {\n P = 1\n B : U {\n  Q = 2\n }\n C : U {\n }\n}\n"), expected);
}

TEST(FormcRecords, DeepNestingClosesInnermostFirst) {
  const Bytes expected = Concat({Ascii("TPF0"), B({1, 'T', 1, 'A', 0}), B({1, 'T', 1, 'B', 0}),
                                 B({1, 'T', 1, 'C', 0, 0}), B({0}), B({0})});
  EXPECT_EQ(Compiled("A : T {\n B : T {\n  C : T {\n  }\n }\n}\n"), expected);
}

TEST(FormcRecords, ChildPositionWritesPrefixAndTaggedInteger) {
  EXPECT_EQ(Compiled("A : T (position 3) {\n}\n"),
            Concat({Ascii("TPF0"), B({0xF2, 2, 3, 1, 'T', 1, 'A', 0, 0})}));
  EXPECT_EQ(Compiled("A : T (position 300) {\n}\n"),
            Concat({Ascii("TPF0"), B({0xF2, 3, 0x2C, 0x01, 1, 'T', 1, 'A', 0, 0})}));
}

TEST(FormcRecords, PrefixFlagsCombine) {
  EXPECT_EQ(Compiled("A : T (inherited) {\n}\n")[4], 0xF1);
  EXPECT_EQ(Compiled("A : T (inline) {\n}\n")[4], 0xF4);
  EXPECT_EQ(Compiled("A : T (inline, inherited, position -1) {\n}\n"),
            Concat({Ascii("TPF0"), B({0xF7, 2, 0xFF, 1, 'T', 1, 'A', 0, 0})}));
}

TEST(FormcRecords, CommentsBlankLinesCrLfAndBomChangeNothing) {
  const Bytes plain = Compiled("A : T {\n  P = 1\n}\n");
  EXPECT_EQ(Compiled("\xEF\xBB\xBF# head\r\n\r\nA : T {  # open\r\n  P = 1\r\n\r\n}\r\n"), plain);
  EXPECT_EQ(Compiled("A : T {\n  P = 1\n}"), plain);  // no final line break
}

TEST(FormcRecords, LongestClassNameThatCannotReadAsPrefix) {
  const std::string name = "T" + std::string(238, 'x');
  const Bytes bytes = Compiled("A : " + name + " {\n}\n");
  ASSERT_GT(bytes.size(), 5u);
  EXPECT_EQ(bytes[4], 239);
}

// --- Faults: each is reported with its line and nothing is written --------------------------

struct FaultCase {
  const char* name;
  std::string source;
  int line;
  const char* fragment;  // part of the message
};

class FormcFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FormcFaults, ReportsLineAndReason) {
  const FaultCase& c = GetParam();
  const Diagnostic d = ErrorOf(c.source);
  EXPECT_EQ(d.line, c.line) << d.message;
  EXPECT_NE(d.message.find(c.fragment), std::string::npos) << d.message;
}

const std::string k256(256, 'n');

INSTANTIATE_TEST_SUITE_P(
    All, FormcFaults,
    ::testing::Values(
        FaultCase{"PropertyWithoutEquals", "A : T {\n  Left 341\n}\n", 2, "expected '='"},
        FaultCase{"ValueMissing", "A : T {\n  Left =\n}\n", 2, "value expected"},
        FaultCase{"TrailingTokenAfterValue", "A : T {\n  Left = 1 2\n}\n", 2, "after the value"},
        FaultCase{"StrayPunctuation", "A : T {\n  , x\n}\n", 2, "start of a line"},
        FaultCase{"UnexpectedCharacter", "A : T {\n  P = @\n}\n", 2, "unexpected character"},
        FaultCase{"EmptyPropertyName", "A : T {\n  = 5\n}\n", 2, "property name missing"},
        FaultCase{"InvalidUtf8InText", "A : T {\n\n  P = \"\xC3\x28\"\n}\n", 3, "invalid UTF-8"},
        FaultCase{"InvalidUtf8InComment", "# \xFF\nA : T {\n}\n", 1, "invalid UTF-8"},
        FaultCase{"OverlongUtf8", "A : T {\n  P = \"\xC0\x80\"\n}\n", 2, "invalid UTF-8"},
        FaultCase{"EncodedSurrogate", "A : T {\n  P = \"\xED\xA0\x80\"\n}\n", 2, "invalid UTF-8"},
        FaultCase{"TruncatedUtf8AtEndOfLine", "A : T {\n  P = 1 # \xD0\n}\n", 2, "invalid UTF-8"},
        FaultCase{"PropertyNameTooLong", "A : T {\n  " + k256 + " = 1\n}\n", 2, "at most 255"},
        FaultCase{"IdentifierTooLong", "A : T {\n  P = " + k256 + "\n}\n", 2, "at most 255"},
        FaultCase{"SetElementTooLong", "A : T {\n  P = [" + k256 + "]\n}\n", 2, "at most 255"},
        FaultCase{"ObjectNameTooLong", k256 + " : T {\n}\n", 1, "at most 255"},
        FaultCase{"ClassNameReadsAsPrefix", "A : " + std::string(240, 'T') + " {\n}\n", 1,
                  "record prefix"},
        FaultCase{"MissingClassName", "A : {\n}\n", 1, "class name expected"},
        FaultCase{"DottedObjectName", "A.B : T {\n}\n", 1, "may not contain '.'"},
        FaultCase{"TrailingDotInName", "A : T {\n  Font. = 1\n}\n", 2, "malformed name"},
        FaultCase{"IntegerAboveInt32", "A : T {\n  P = 2147483648\n}\n", 2, "32-bit range"},
        FaultCase{"IntegerBelowInt32", "A : T {\n  P = -2147483649\n}\n", 2, "32-bit range"},
        FaultCase{"HugeIntegerDoesNotWrap", "A : T {\n  P = 18446744073709551617\n}\n", 2,
                  "32-bit range"},
        FaultCase{"NumberGluedToLetters", "A : T {\n  P = 12px\n}\n", 2, "malformed number"},
        FaultCase{"DuplicateProperty", "A : T {\n  Left = 1\n  Top = 2\n  Left = 3\n}\n", 4,
                  "given twice"},
        FaultCase{"DuplicatePropertyDifferingInCase", "A : T {\n  Left = 1\n  LEFT = 3\n}\n", 3,
                  "given twice"},
        FaultCase{"DuplicateSetElement", "A : T {\n  P = [fsBold, fsbold]\n}\n", 2, "given twice"},
        FaultCase{"SetNotClosed", "A : T {\n  P = [fsBold\n}\n", 2, "']'"},
        FaultCase{"SetTrailingComma", "A : T {\n  P = [fsBold,]\n}\n", 2, "set element"},
        FaultCase{"UnclosedBlockPointsAtItsHeader", "A : T {\n  B : T {\n  }\n", 1, "never closed"},
        FaultCase{"UnclosedInnerBlock", "A : T {\n  B : T {\n  P = 1\n", 2, "never closed"},
        FaultCase{"ExtraClosingBrace", "A : T {\n}\n}\n", 3, "without an open object"},
        FaultCase{"SecondRoot", "A : T {\n}\nB : T {\n}\n", 3, "second root"},
        FaultCase{"EmptySource", "# nothing\n\n", 2, "no object"},
        FaultCase{"PropertyOutsideObject", "P = 1\nA : T {\n}\n", 1, "outside an object"},
        FaultCase{"PropertyAfterNestedObject", "A : T {\n  B : T {\n  }\n  P = 1\n}\n", 4,
                  "after a nested object"},
        FaultCase{"HeaderWithoutBrace", "A : T\n}\n", 1, "expected '{'"},
        FaultCase{"TextAfterOpeningBrace", "A : T { P = 1\n}\n", 1, "after '{'"},
        FaultCase{"TextAfterClosingBrace", "A : T {\n} x\n", 2, "after '}'"},
        FaultCase{"UnterminatedText", "A : T {\n  P = \"abc\n}\n", 2, "unterminated"},
        FaultCase{"RawTabInText", "A : T {\n  P = \"a\tb\"\n}\n", 2, "escapes"},
        FaultCase{"UnknownEscape", "A : T {\n  P = \"\\q\"\n}\n", 2, "unknown escape"},
        FaultCase{"EscapedSurrogate", "A : T {\n  P = \"\\u{D800}\"\n}\n", 2,
                  "not a Unicode character"},
        FaultCase{"EscapeBeyondUnicode", "A : T {\n  P = \"\\u{110000}\"\n}\n", 2,
                  "not a Unicode character"},
        FaultCase{"EscapeWithoutBraces", "A : T {\n  P = \"\\u41\"\n}\n", 2, "\\u{"},
        FaultCase{"UnknownRecordOption", "A : T (sticky) {\n}\n", 1, "unknown record option"},
        FaultCase{"RecordOptionTwice", "A : T (inline, inline) {\n}\n", 1, "given twice"},
        FaultCase{"PositionWithoutInteger", "A : T (position) {\n}\n", 1, "needs an integer"},
        FaultCase{"PositionOutOfRange", "A : T (position 4294967296) {\n}\n", 1, "32-bit range"}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// --- The command-line tool -----------------------------------------------------------------

class FormcTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("formc_test_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path Write(const std::string& name, const std::string& contents) {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }

  // Runs the tool, returns its exit status and leaves its stderr in errors_.
  int Run(const std::filesystem::path& in, const std::filesystem::path& out) {
    const std::filesystem::path log = dir_ / "stderr.txt";
    const std::string command = std::string("\"") + SX_FORMC_PATH + "\" \"" + in.string() +
                                "\" \"" + out.string() + "\" 2>\"" + log.string() + "\"";
    const int status = std::system(command.c_str());
    std::ifstream logStream(log);
    errors_.assign(std::istreambuf_iterator<char>(logStream), {});
    return status;
  }

  std::filesystem::path dir_;
  std::string errors_;
};

TEST_F(FormcTool, WritesTheCompiledStream) {
  const auto out = dir_ / "a.bin";
  ASSERT_EQ(Run(Write("a.sxform", "A : T {\n}\n"), out), 0) << errors_;
  std::ifstream in(out, std::ios::binary);
  const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(bytes, Concat({Ascii("TPF0"), B({1, 'T', 1, 'A', 0, 0})}));
}

TEST_F(FormcTool, FaultFailsWithFileAndLine) {
  const auto in = Write("bad.sxform", "A : T {\n  Left 1\n}\n");
  EXPECT_NE(Run(in, dir_ / "bad.bin"), 0);
  EXPECT_NE(errors_.find(in.string() + ":2: error: "), std::string::npos) << errors_;
}

TEST_F(FormcTool, FaultRemovesStaleOutput) {
  // Otherwise a build after a broken edit could still embed the previous definition.
  const auto out = dir_ / "form.bin";
  ASSERT_EQ(Run(Write("good.sxform", "A : T {\n}\n"), out), 0) << errors_;
  ASSERT_TRUE(std::filesystem::exists(out));
  EXPECT_NE(Run(Write("bad.sxform", "A : T {\n"), out), 0);
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(FormcTool, MissingInputFails) {
  EXPECT_NE(Run(dir_ / "absent.sxform", dir_ / "x.bin"), 0);
  EXPECT_NE(errors_.find("cannot read"), std::string::npos) << errors_;
}

}  // namespace
}  // namespace sx::formc
