// Stored entries: property paths, values by type kind and the errors around them.

#include <cmath>
#include <limits>

#include "framework/streaming/Loader.h"
#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

class LoadValueTest : public LoadFixture {
 protected:
  // Loads a root whose entries the callback writes and returns it.
  Owned<TSampleRoot> Read(const std::function<void(StreamBuilder&)>& entries) {
    return LoadNew(RootWith(entries));
  }
  // The error a root with these entries raises.
  std::string ReadError(const std::function<void(StreamBuilder&)>& entries) {
    return Raised([&] { Read(entries); });
  }
};

// --- Integers, characters, enumerations ---------------------------------------------------------

TEST_F(LoadValueTest, IntegerTagsAreSignExtended) {
  auto root = Read([](StreamBuilder& b) {
    b.Name("IntValue").Byte(TagInt8).Byte(0xF5);
    b.Name("ByteValue").Int16(200);
    b.Name("Count").Int32(-100000);
  });
  EXPECT_EQ(root->IntValue(), -11);
  EXPECT_EQ(root->ByteValue(), 200);
  EXPECT_EQ(root->Count(), -100000);
}

TEST_F(LoadValueTest, IdentifierOfIntegerTypeGoesThroughThatTypesMap) {
  auto root = Read([](StreamBuilder& b) { b.Name("Shade").Ident("SHGREEN"); });
  EXPECT_EQ(root->Shade(), 2);
}

TEST_F(LoadValueTest, CharacterTakesExactlyOneCharacter) {
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("Letter").String("\xE9"); })->Letter(), '\xE9');
  EXPECT_EQ(ReadError([](StreamBuilder& b) { b.Name("Letter").String("xy"); }),
            "EReadError: Error reading Root.Letter: Invalid property value");
  EXPECT_EQ(ReadError([](StreamBuilder& b) { b.Name("Letter").String(""); }),
            "EReadError: Error reading Root.Letter: Invalid property value");
}

TEST_F(LoadValueTest, EnumerationMembersMatchIgnoringCase) {
  auto root = Read([](StreamBuilder& b) {
    b.Name("Kind").Ident("SKGAMMA");
    b.Name("Flag").True();
  });
  EXPECT_EQ(root->Kind(), SampleKind::skGamma);
  EXPECT_TRUE(root->Flag());
  EXPECT_FALSE(Read([](StreamBuilder& b) { b.Name("Flag").False(); })->Flag());
}

TEST_F(LoadValueTest, EnumerationWithNegativeLowestTakesBooleansAndNumbers) {
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("LongFlag").True(); })->LongFlag(), -1);
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("LongFlag").Ident("false"); })->LongFlag(), 0);
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("LongFlag").Ident("42"); })->LongFlag(), 42);
  EXPECT_EQ(ReadError([](StreamBuilder& b) { b.Name("LongFlag").Ident("maybe"); }),
            "EReadError: Error reading Root.LongFlag: 'maybe' is not a valid integer value");
}

// --- Floats, texts, sets, 64-bit integers -------------------------------------------------------

TEST_F(LoadValueTest, FloatsAreConvertedToThePropertysFloatType) {
  auto root = Read([](StreamBuilder& b) {
    b.Name("Ratio").Extended(-2.75);
    b.Name("Small").Extended(0.1);
    b.Name("Money").Extended(1.23456);
  });
  EXPECT_EQ(root->Ratio(), -2.75);
  EXPECT_EQ(root->Small(), 0.1f);
  EXPECT_DOUBLE_EQ(root->Money(), 1.2346);
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("Ratio").Int(3); })->Ratio(), 3.0);
}

TEST_F(LoadValueTest, SingleOutOfRangeBecomesInfinite) {
  auto root = Read([](StreamBuilder& b) { b.Name("Small").Extended(1e300); });
  EXPECT_EQ(root->Small(), std::numeric_limits<float>::infinity());
}

TEST_F(LoadValueTest, SingleIsRoundedOnceFromTheStoredValue) {
  // The largest single times 1 + 2^-30 lies below the rounding boundary to infinity.
  constexpr std::uint64_t kLargest = 0xFFFFFF0000000000ULL;
  auto root = Read(
      [](StreamBuilder& b) { b.Name("Small").Extended(kLargest + (kLargest >> 30), 16383 + 127); });
  EXPECT_EQ(root->Small(), std::numeric_limits<float>::max());
  // 1 + 2^-24 + 2^-60: just above a tie, by less than a double can hold.
  root = Read([](StreamBuilder& b) { b.Name("Small").Extended(0x8000008000000008ULL, 16383); });
  EXPECT_EQ(root->Small(), 1.0f + std::ldexp(1.0f, -23));
}

TEST_F(LoadValueTest, TextsAreConvertedToThePropertysWidth) {
  // "Да" stored as UTF-8 arrives in an 8-bit property as code page 1251 bytes, and 8-bit
  // text arrives in a wide property converted back.
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("Text").Utf8String("\xD0\x94\xD0\xB0"); })->Text(),
            "\xC4\xE0");
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("Wide").String("\xC4\xE0"); })->Wide(),
            u"\u0414\u0430");
}

TEST_F(LoadValueTest, ShortStringIsCutToItsCapacity) {
  const std::string text(300, 'x');
  EXPECT_EQ(Read([&](StreamBuilder& b) { b.Name("Short").LString(text); })->Short(),
            std::string(255, 'x'));
}

TEST_F(LoadValueTest, SetTakesKnownMembersIgnoringCase) {
  auto root = Read([](StreamBuilder& b) { b.Name("Kinds").Set({"skAlpha", "SKGAMMA", "skNone"}); });
  EXPECT_EQ(root->Kinds(), (SampleKinds{SampleKind::skAlpha, SampleKind::skGamma}));
}

TEST_F(LoadValueTest, Int64TakesItsOwnTagAndNarrowerIntegers) {
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("Big").Int64(0x123456789ABCDEF0); })->Big(),
            0x123456789ABCDEF0);
  EXPECT_EQ(Read([](StreamBuilder& b) { b.Name("Big").Int(-1); })->Big(), -1);
}

// --- Variants -----------------------------------------------------------------------------------

TEST_F(LoadValueTest, VariantTakesTheTypeOfItsTag) {
  auto data = [&](const std::function<void(StreamBuilder&)>& value) {
    return Read([&](StreamBuilder& b) {
             b.Name("Data");
             value(b);
           })
        ->Data();
  };
  EXPECT_EQ(data([](StreamBuilder& b) { b.Null(); }).Type(), VarType::Null);
  EXPECT_EQ(data([](StreamBuilder& b) { b.Nil(); }).Type(), VarType::Empty);
  EXPECT_EQ(data([](StreamBuilder& b) { b.Int(-7); }), Variant::FromInteger(-7));
  EXPECT_EQ(data([](StreamBuilder& b) { b.Int64(1LL << 40); }), Variant::FromInt64(1LL << 40));
  EXPECT_EQ(data([](StreamBuilder& b) { b.Extended(2.5); }), Variant::FromDouble(2.5));
  EXPECT_EQ(data([](StreamBuilder& b) { b.Single(0.5f); }), Variant::FromSingle(0.5f));
  EXPECT_EQ(data([](StreamBuilder& b) { b.Currency(12345); }), Variant::FromCurrency(12345));
  EXPECT_EQ(data([](StreamBuilder& b) { b.Date(45000.25); }), Variant::FromDate(45000.25));
  EXPECT_EQ(data([](StreamBuilder& b) { b.String("ab"); }), Variant::FromString("ab"));
  EXPECT_EQ(data([](StreamBuilder& b) { b.WString(u"ab"); }), Variant::FromWString(u"ab"));
  EXPECT_EQ(data([](StreamBuilder& b) { b.True(); }), Variant::FromBoolean(true));
  EXPECT_EQ(data([](StreamBuilder& b) { b.False(); }), Variant::FromBoolean(false));
}

class BoxValue : public CustomVariantValue {
 public:
  BoxValue(std::string type, std::vector<std::uint8_t> bytes)
      : type_(std::move(type)), bytes(std::move(bytes)) {}
  const std::string& TypeName() const override { return type_; }

 private:
  std::string type_;

 public:
  std::vector<std::uint8_t> bytes;
};

std::shared_ptr<const CustomVariantValue> ReadBox(const std::string& type,
                                                  std::span<const std::uint8_t> data) {
  return std::make_shared<BoxValue>(type, std::vector<std::uint8_t>(data.begin(), data.end()));
}

// A custom variant block: the type name as a stored text, the data's length and the data.
std::vector<std::uint8_t> CustomBlock(std::string_view type, std::vector<std::uint8_t> data,
                                      std::int32_t claimedLength) {
  StreamBuilder block;
  block.String(type).Le32(static_cast<std::uint32_t>(claimedLength));
  block.Raw(data);
  return block.Bytes();
}

TEST_F(LoadValueTest, CustomVariantIsReadByItsRegisteredType) {
  RegisterCustomVariantType("SampleBox", &ReadBox);
  const auto block = CustomBlock("samplebox", {1, 2, 3}, 3);
  auto root = Read([&](StreamBuilder& b) { b.Name("Data").Binary(block); });
  RegisterCustomVariantType("SampleBox", nullptr);
  ASSERT_EQ(root->Data().Type(), VarType::Custom);
  const auto* box = dynamic_cast<const BoxValue*>(root->Data().AsCustom().get());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->bytes, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(LoadValueTest, CustomVariantDataLongerThanItsBlockFails) {
  RegisterCustomVariantType("SampleBox", &ReadBox);
  const auto block = CustomBlock("SampleBox", {1, 2}, 1000);
  const std::string error = ReadError([&](StreamBuilder& b) { b.Name("Data").Binary(block); });
  RegisterCustomVariantType("SampleBox", nullptr);
  EXPECT_EQ(error, "EReadError: Error reading Root.Data: Stream read error");
}

// --- Events -------------------------------------------------------------------------------------

TEST_F(LoadValueTest, EventIsBoundToTheRootsMethodOfThatName) {
  auto root = Read([](StreamBuilder& b) { b.Name("OnChange").Ident("handlechange"); });
  ASSERT_TRUE(root->OnChange());
  root->OnChange()(root.get());
  EXPECT_EQ(log_.events.back(), "change:Root");
}

TEST_F(LoadValueTest, NilEventIsEmpty) {
  auto root = NewRoot();
  root->SetOnChange(MakeEvent<&TSampleRoot::HandleChange>(root.get()));
  Load(RootWith([](StreamBuilder& b) { b.Name("OnChange").Nil(); }), root.get());
  EXPECT_FALSE(root->OnChange());
}

TEST_F(LoadValueTest, HandlerTheRootLacksNamesTheComponentAndEvent) {
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", "Form1").End();
  b.Object("TSample", "Button1").Name("OnChange").Ident("Button1Click").End().End();
  b.End();
  EXPECT_EQ(Raised([&] { LoadNew(b); }),
            "EReadError: Error reading Button1.OnChange: Invalid property value");
}

TEST_F(LoadValueTest, HandlerOfAnotherParameterListIsRejected) {
  EXPECT_EQ(ReadError([](StreamBuilder& b) { b.Name("OnValue").Ident("HandleChange"); }),
            "EReadError: Error reading Root.OnValue: Invalid property value");
  auto root = Read([](StreamBuilder& b) { b.Name("OnValue").Ident("HandleValue"); });
  root->OnValue()(root.get(), 5);
  EXPECT_EQ(log_.events.back(), "value:Root:5");
}

class HandlerSupplier : public TObject {
 public:
  void Supply(TReader&, const std::string& name, const MethodInfo*& method) {
    asked = name;
    method = &replacement;
  }
  std::string asked;
  MethodInfo replacement = Method<&TSampleRoot::HandleChange>("Replacement");
};

TEST_F(LoadValueTest, HandlerHookSuppliesAMethodTheRootLacks) {
  HandlerSupplier supplier;
  auto root = LoadNew(RootWith([](StreamBuilder& b) { b.Name("OnChange").Ident("Elsewhere"); }),
                      [&](TReader& reader) {
                        reader.FindHandlerHook = MakeEvent<&HandlerSupplier::Supply>(&supplier);
                      });
  EXPECT_EQ(supplier.asked, "Elsewhere");
  root->OnChange()(root.get());
  EXPECT_EQ(log_.events.back(), "change:Root");
}

// --- Read-only properties ------------------------------------------------------------------------

TEST_F(LoadValueTest, ReadOnlyPropertyHoldingASubcomponentAcceptsAValue) {
  auto root = NewRoot();
  root->MakeSub();
  TSample* sub = root->Sub();
  Load(RootWith([](StreamBuilder& b) {
         b.Name("Sub").Ident("Root");
         b.Name("IntValue").Int(1);
       }),
       root.get());
  EXPECT_EQ(root->Sub(), sub);
  EXPECT_EQ(root->IntValue(), 1);
}

// --- Paths and defined properties ---------------------------------------------------------------

TEST_F(LoadValueTest, DottedPathReachesNestedObject) {
  auto root = Read([](StreamBuilder& b) {
    b.Name("Inner.Size").Int(12);
    b.Name("inner.LABEL").String("x");
  });
  EXPECT_EQ(root->Inner()->Size(), 12);
  EXPECT_EQ(root->Inner()->Label(), "x");
}

TEST_F(LoadValueTest, DefinedPropertiesReadUnpublishedValues) {
  const std::uint8_t bytes[] = {9, 8, 7};
  auto root = Read([&](StreamBuilder& b) {
    b.Name("Left").Int(216);
    b.Name("Top").Int(8);
    b.Name("Extra").Int(77);
    b.Name("Blob").Binary(bytes);
  });
  EXPECT_EQ(root->DesignLeft(), 216);
  EXPECT_EQ(root->DesignTop(), 8);
  EXPECT_EQ(root->extra, 77);
  EXPECT_EQ(root->blob, (std::vector<std::uint8_t>{9, 8, 7}));
}

TEST_F(LoadValueTest, UnnamedInstanceIsNamedByItsClass) {
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", "").Name("Bogus").Int(1).End().End();
  EXPECT_EQ(Raised([&] { LoadNew(b); }),
            "EReadError: Error reading TSampleRoot.Bogus: Property Bogus does not exist");
}

// --- Entries that are refused --------------------------------------------------------------------

TEST_F(LoadValueTest, EntryThePropertyCannotTakeIsRefusedNamingItsPath) {
  const struct {
    const char* what;
    std::function<void(StreamBuilder&)> entry;
    const char* error;  // after "Error reading "
  } cases[] = {
      {"identifier unknown to the type's map",
       [](StreamBuilder& b) { b.Name("Shade").Ident("shPurple"); },
       "Root.Shade: Invalid property value"},
      // "shRed" is known to another type's map only.
      {"identifier of an integer type without a map of its own",
       [](StreamBuilder& b) { b.Name("Count").Ident("shRed"); },
       "Root.Count: Invalid property value"},
      {"identifier naming no member", [](StreamBuilder& b) { b.Name("Kind").Ident("skDelta"); },
       "Root.Kind: Invalid property value"},
      {"kind without a stored form", [](StreamBuilder& b) { b.Name("WideLetter").String("x"); },
       "Root.WideLetter: Invalid property value"},
      {"set as a variant", [](StreamBuilder& b) { b.Name("Data").Set({"a"}); },
       "Root.Data: Stream read error"},
      {"identifier as a variant", [](StreamBuilder& b) { b.Name("Data").Ident("a"); },
       "Root.Data: Stream read error"},
      {"custom variant of an unknown type",
       [](StreamBuilder& b) { b.Name("Data").Binary(CustomBlock("NoSuchType", {1}, 1)); },
       "Root.Data: Invalid property value"},
      {"collection for a property of another kind",
       [](StreamBuilder& b) {
         b.Name("Inner").Collection().Item().Name("Value").Int(1).End().End();
       },
       "Root.Inner: Invalid property value"},
      {"property without a setter", [](StreamBuilder& b) { b.Name("Fixed").Int(3); },
       "Root.Fixed: Property is read-only"},
      {"setter that fails gives its own message",
       [](StreamBuilder& b) { b.Name("Checked").Int(-1); }, "Root.Checked: refused"},
      {"name neither published nor defined", [](StreamBuilder& b) { b.Name("Bogus").Int(1); },
       "Root.Bogus: Property Bogus does not exist"},
      {"unknown first segment of a path", [](StreamBuilder& b) { b.Name("Nope.Size").Int(1); },
       "Root.Nope.Size: Property Nope does not exist"},
      {"unknown last segment of a path", [](StreamBuilder& b) { b.Name("Inner.Nope").Int(1); },
       "Root.Inner.Nope: Property Nope does not exist"},
      {"empty last segment of a path", [](StreamBuilder& b) { b.Name("Inner.").Int(1); },
       "Root.Inner.: Property  does not exist"},
      {"path through an integer", [](StreamBuilder& b) { b.Name("IntValue.Size").Int(1); },
       "Root.IntValue.Size: Invalid property path"},
      {"path through an object that is not persistent",
       [](StreamBuilder& b) { b.Name("Plain.Size").Int(1); },
       "Root.Plain.Size: Invalid property path"},
      {"path through a component reference",
       [](StreamBuilder& b) { b.Name("Link.IntValue").Int(1); },
       "Root.Link.IntValue: Invalid property path"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadError(c.entry), std::string("EReadError: Error reading ") + c.error);
  }
}

// --- Passing errors over ------------------------------------------------------------------------

TEST_F(LoadValueTest, HandledEntryErrorLeavesTheStreamAtTheNextEntry) {
  ErrorCollector errors;
  auto root = LoadNew(RootWith([](StreamBuilder& b) {
                        b.Name("Bogus").List().Int(1).String("x").End();
                        b.Name("Fixed").Collection().Item().Name("Value").Int(1).End().End();
                        b.Name("WideLetter").String("x");
                        b.Name("Inner.").String("x");
                        b.Name("Shade").Ident("shPurple");
                        b.Name("IntValue").Int(4);
                      }),
                      errors.Hook());
  EXPECT_EQ(root->IntValue(), 4);
  EXPECT_EQ(errors.messages, (Names{
                                 "Error reading Root.Bogus: Property Bogus does not exist",
                                 "Error reading Root.Fixed: Property is read-only",
                                 "Error reading Root.WideLetter: Invalid property value",
                                 "Error reading Root.Inner.: Property  does not exist",
                                 "Error reading Root.Shade: Invalid property value",
                             }));
}

TEST_F(LoadValueTest, ErrorInsideDefinedPropertyIsNeverPassedOver) {
  ErrorCollector errors;
  const std::string error = Raised([&] {
    LoadNew(RootWith([](StreamBuilder& b) { b.Name("Extra").String("x"); }), errors.Hook());
  });
  EXPECT_EQ(error, "EReadError: Error reading Root.Extra: Invalid property value");
  EXPECT_TRUE(errors.messages.empty());
}

TEST_F(LoadValueTest, EntryWhoseItemsFailedHalfwayIsNeverPassedOver) {
  ErrorCollector hook;
  hook.handledPrefix = "Error reading Root.";
  const std::string error = Raised([&] {
    LoadNew(RootWith([](StreamBuilder& b) {
              b.Name("Items").Collection().Item().Name("Bogus").Int(1).Name("Value").Int(2);
              b.End().End();
              b.Name("IntValue").Int(3);
            }),
            hook.Hook());
  });
  // The stream stands inside the items: going on with the next entry would misread them.
  EXPECT_EQ(error,
            "EReadError: Error reading Root.Items: Error reading TSampleItem.Bogus: "
            "Property Bogus does not exist");
  EXPECT_EQ(hook.messages,
            (Names{"Error reading TSampleItem.Bogus: Property Bogus does not exist"}));
}

// --- Collections --------------------------------------------------------------------------------

TEST_F(LoadValueTest, StoredItemsReplaceTheCollectionsItems) {
  auto root = NewRoot();
  root->Items()->Add();
  root->Items()->Add();
  Load(RootWith([](StreamBuilder& b) {
         b.Name("Items").Collection();
         b.Item(5).Name("Caption").String("first").Name("Value").Int(1).End();
         b.Item(0).Name("Caption").String("second").End();
         b.End();
       }),
       root.get());
  ASSERT_EQ(root->Items()->Count(), 2);
  // Items come in stream order; the stored order index does not reorder them.
  EXPECT_EQ(root->Items()->At(0)->Caption(), "first");
  EXPECT_EQ(root->Items()->At(0)->Value(), 1);
  EXPECT_EQ(root->Items()->At(1)->Caption(), "second");
}

TEST_F(LoadValueTest, EmptyStoredCollectionKeepsTheItems) {
  auto root = NewRoot();
  root->Items()->Add();
  Load(RootWith([](StreamBuilder& b) { b.Name("Items").Collection().End(); }), root.get());
  EXPECT_EQ(root->Items()->Count(), 1);
}

TEST_F(LoadValueTest, CollectionReportsOneChangeForAllStoredItems) {
  auto root = NewRoot();
  root->Items()->updates = 0;
  Load(RootWith([](StreamBuilder& b) {
         b.Name("Items").Collection();
         for (int i = 0; i < 3; ++i)
           b.Item().Name("Value").Int(i).End();
         b.End();
       }),
       root.get());
  EXPECT_EQ(root->Items()->updates, 1);
  EXPECT_EQ(root->Items()->UpdateCount(), 0);
}

TEST_F(LoadValueTest, ItemErrorIsWrappedInsideTheCollectionsEntry) {
  auto root = NewRoot();
  const std::string error = Raised([&] {
    Load(RootWith([](StreamBuilder& b) {
           b.Name("Items").Collection().Item().Name("Bogus").Int(1).End().End();
         }),
         root.get());
  });
  EXPECT_EQ(error,
            "EReadError: Error reading Root.Items: Error reading TSampleItem.Bogus: "
            "Property Bogus does not exist");
  EXPECT_EQ(root->Items()->UpdateCount(), 0);
}

TEST_F(LoadValueTest, NilStoredInClassPropertyEmptiesIt) {
  auto root = NewRoot();
  root->SetAny(root.get());
  Load(RootWith([](StreamBuilder& b) { b.Name("Any").Nil(); }), root.get());
  EXPECT_EQ(root->Any(), nullptr);
}

}  // namespace
}  // namespace sx::testing
