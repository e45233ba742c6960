// Roots and child records: creation, ownership, parents, names, after-load order, prefix
// flags, hooks, and what a failing load leaves behind.

#include <gmock/gmock.h>

#include "framework/runtime/TextUtil.h"
#include "framework/streaming/Fixups.h"
#include "framework/streaming/Loader.h"
#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

Names OwnedNames(const TComponent* owner) {
  Names names;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    names.push_back(owner->Component(i)->Name());
  return names;
}

class LoadRootTest : public LoadFixture {
 protected:
  // Root { Child1, Panel1 { Child2, Inner3 }, Last }, Child1 and Last with an entry each.
  static StreamBuilder Nested() {
    StreamBuilder b;
    b.Signature().Object("TSampleRoot", "Root").Name("IntValue").Int(1).End();
    b.Object("TSample", "Child1").Name("IntValue").Int(2).End().End();
    b.Object("TSamplePanel", "Panel1").End();
    b.Object("TSample", "Child2").End().End();
    b.Object("TSample", "Inner3").End().End();
    b.End();
    b.Object("TSample", "Last").Name("Text").String("end").End().End();
    b.End();
    return b;
  }
};

// --- Roots ----------------------------------------------------------------------------------

TEST_F(LoadRootTest, GivenRootIsReadAndNamedWhateverItsStoredClass) {
  auto root = NewRoot();
  StreamBuilder b;
  b.Signature().Object("TSomethingElse", "Stored").Name("IntValue").Int(9).End().End();
  EXPECT_EQ(Load(b, root.get()), root.get());
  EXPECT_EQ(root->Name(), "Stored");
  EXPECT_EQ(root->IntValue(), 9);
}

TEST_F(LoadRootTest, RootIsMadeFromTheStoredClassWhenNoneIsGiven) {
  auto root = LoadNew(Nested());
  EXPECT_EQ(root->ClassType().name, std::string("TSampleRoot"));
  EXPECT_EQ(root->Name(), "Root");
  EXPECT_EQ(root->Owner(), nullptr);
}

TEST_F(LoadRootTest, RootOfUnknownOrNonComponentClassIsNotFound) {
  StreamBuilder unknown;
  unknown.Signature().Object("TNoSuchRoot", "Root").End().End();
  EXPECT_EQ(Raised([&] { Load(unknown); }), "EClassNotFound: Class TNoSuchRoot not found");
  StreamBuilder persistent;
  persistent.Signature().Object("TSampleNotComponent", "Root").End().End();
  EXPECT_EQ(Raised([&] { Load(persistent); }),
            "EClassNotFound: Class TSampleNotComponent not found");
}

TEST_F(LoadRootTest, WrongSignatureCreatesNothing) {
  StreamBuilder b;
  b.Raw("TPF1").Object("TSampleRoot", "Root").End().End();
  EXPECT_EQ(Raised([&] { Load(b); }), "EReadError: Invalid stream format");
  EXPECT_EQ(log_.live, 0);
}

TEST_F(LoadRootTest, DefinitionCutAnywhereFailsWithReadErrorAndLeavesNothing) {
  const std::vector<std::uint8_t> whole = Nested().Bytes();
  for (std::size_t size = 0; size < whole.size(); ++size) {
    StreamBuilder cut;
    cut.Raw(std::span<const std::uint8_t>(whole.data(), size));
    // A cut inside a value is reported around the entry it cuts.
    EXPECT_THAT(Raised([&] { Load(cut); }),
                ::testing::AllOf(::testing::StartsWith("EReadError: "),
                                 ::testing::EndsWith("Stream read error")))
        << "cut at " << size;
    EXPECT_EQ(log_.live, 0) << "cut at " << size;
  }
}

TEST_F(LoadRootTest, BytesAfterTheRootRecordAreNeverRead) {
  StreamBuilder b = Nested();
  b.Raw("garbage");
  TCustomMemoryStream stream(b.Bytes());
  Owned<TComponent> root;
  {
    TReader reader(stream);
    root.reset(reader.LoadRoot(nullptr));
  }
  EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(b.Size() - 7));
}

// --- Children -------------------------------------------------------------------------------

TEST_F(LoadRootTest, ChildrenAreOwnedByTheRootAndParentedByTheirContainer) {
  auto root = LoadNew(Nested());
  EXPECT_EQ(OwnedNames(root.get()), (Names{"Child1", "Panel1", "Child2", "Inner3", "Last"}));
  auto* child2 = static_cast<TSample*>(root->FindOwned("Child2"));
  EXPECT_EQ(child2->loadParent, root->Panel1);
  EXPECT_EQ(static_cast<TSample*>(root->FindOwned("Child1"))->loadParent, root.get());
  EXPECT_EQ(root->Child1->IntValue(), 2);
}

TEST_F(LoadRootTest, NamingFillsTheRootsFields) {
  auto root = LoadNew(Nested());
  EXPECT_EQ(root->Child1, root->FindOwned("Child1"));
  EXPECT_EQ(root->Child2, root->FindOwned("Child2"));
  EXPECT_EQ(root->Panel1, root->FindOwned("Panel1"));
}

TEST_F(LoadRootTest, AfterLoadRunsRootFirstAndEachComponentAfterItsChildren) {
  auto root = LoadNew(Nested());
  EXPECT_EQ(log_.afterLoad, (Names{"Root", "Child1", "Child2", "Inner3", "Panel1", "Last"}));
}

TEST_F(LoadRootTest, NoLoadingOrReadingFlagIsLeftAfterwards) {
  auto root = LoadNew(Nested());
  EXPECT_FALSE(root->Has(ComponentState::Loading));
  EXPECT_FALSE(root->Has(ComponentState::Reading));
  for (int i = 0; i < root->ComponentCount(); ++i) {
    EXPECT_FALSE(root->Component(i)->Has(ComponentState::Loading)) << i;
    EXPECT_FALSE(root->Component(i)->Has(ComponentState::Reading)) << i;
  }
}

TEST_F(LoadRootTest, StoredLeftAndTopOfAChildBecomeItsDesignPosition) {
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object("TSample", "Timer1").Name("Left").Int(216).Name("Top").Int(8).End().End();
  });
  auto root = LoadNew(definition);
  EXPECT_EQ(root->FindOwned("Timer1")->DesignLeft(), 216);
  EXPECT_EQ(root->FindOwned("Timer1")->DesignTop(), 8);
}

TEST_F(LoadRootTest, ClassTheRootDoesNotDeclareMustBeRegistered) {
  const StreamBuilder definition =
      RootWithChildren([](StreamBuilder& b) { b.Object("TSampleLone", "Lone").End().End(); });
  auto root = LoadNew(definition);
  EXPECT_EQ(root->FindOwned("Lone")->ClassType().name, std::string("TSampleLone"));

  StreamBuilder unknown;
  unknown.Signature().Object("TSampleRoot", "Root").End();
  unknown.Object("TLabel", "Label1").End().End();
  unknown.End();
  EXPECT_EQ(Raised([&] { Load(unknown); }), "EClassNotFound: Class TLabel not found");
}

TEST_F(LoadRootTest, RegisteredClassThatIsNoComponentIsNotFound) {
  const StreamBuilder definition = RootWithChildren(
      [](StreamBuilder& b) { b.Object("TSampleNotComponent", "Thing").End().End(); });
  EXPECT_EQ(Raised([&] { Load(definition); }),
            "EClassNotFound: Class TSampleNotComponent not found");
}

TEST_F(LoadRootTest, SecondChildOfTheSameNameInOtherCaseCollides) {
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object("TSample", "Button1").End().End();
    b.Object("TSample", "BUTTON1").End().End();
  });
  EXPECT_EQ(Raised([&] { Load(definition); }),
            "EComponentError: A component named BUTTON1 already exists");
  EXPECT_EQ(log_.live, 0);
}

TEST_F(LoadRootTest, StoredNameThatIsNoIdentifierIsRejected) {
  for (const char* name : {"1abc", "with space", "\xC4\xE0"}) {
    const StreamBuilder definition =
        RootWithChildren([&](StreamBuilder& b) { b.Object("TSample", name).End().End(); });
    EXPECT_EQ(Raised([&] { Load(definition); }),
              "EComponentError: ''" + std::string(name) + "'' is not a valid component name");
  }
}

TEST_F(LoadRootTest, ChildPositionGoesToTheParent) {
  const StreamBuilder definition = RootWithChildren(
      [](StreamBuilder& b) { b.Byte(0xF2).Int(3).Object("TSample", "Child1").End().End(); });
  auto root = LoadNew(definition);
  ASSERT_EQ(root->childPositions.size(), 1u);
  EXPECT_EQ(root->childPositions[0].first, root->Child1);
  EXPECT_EQ(root->childPositions[0].second, 3);
}

TEST_F(LoadRootTest, InheritedRecordFillsTheExistingComponent) {
  auto root = NewRoot();
  TSample* existing = New<TSample>(root.get());
  existing->SetName("Child1");
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object(1, "TSample", "child1").Name("IntValue").Int(5).End().End();
  });
  Load(definition, root.get());
  EXPECT_EQ(root->ComponentCount(), 1);
  EXPECT_EQ(existing->IntValue(), 5);
  EXPECT_EQ(log_.afterLoad, (Names{"Root", "Child1"}));
}

TEST_F(LoadRootTest, InheritedRecordWithoutComponentNamesTheAncestor) {
  const StreamBuilder definition =
      RootWithChildren([](StreamBuilder& b) { b.Object(1, "TSample", "Ghost").End().End(); });
  EXPECT_EQ(Raised([&] { Load(definition); }), "EReadError: Ancestor for 'Ghost' not found");
}

class AncestorSupplier : public TObject {
 public:
  void Supply(TReader&, const std::string& name, const std::string& className,
              TComponent*& component) {
    asked = name + ":" + className;
    component = supplied;
  }
  std::string asked;
  TComponent* supplied = nullptr;
};

TEST_F(LoadRootTest, AncestorHookSuppliesAMissingInheritedComponent) {
  auto root = NewRoot();
  TSample* elsewhere = New<TSample>(root.get());
  elsewhere->SetName("Elsewhere");
  AncestorSupplier supplier;
  supplier.supplied = elsewhere;
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object(1, "TSample", "Ghost").Name("IntValue").Int(6).End().End();
  });
  Load(definition, root.get(), [&](TReader& reader) {
    reader.AncestorMissingHook = MakeEvent<&AncestorSupplier::Supply>(&supplier);
  });
  EXPECT_EQ(supplier.asked, "Ghost:TSample");
  EXPECT_EQ(elsewhere->IntValue(), 6);
}

TEST_F(LoadRootTest, InlineRecordIsLoadingAndInlineFromItsConstructorOn) {
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object(4, "TSamplePanel", "Frame1").End().End();
    b.Object("TSample", "Plain1").End().End();
  });
  auto root = LoadNew(definition);
  auto* frame = static_cast<TSample*>(root->FindOwned("Frame1"));
  EXPECT_TRUE(frame->constructedState.Contains(ComponentState::Inline));
  EXPECT_TRUE(frame->constructedState.Contains(ComponentState::Loading));
  EXPECT_TRUE(frame->Has(ComponentState::Inline));
  // The state is meant for that one constructor only.
  EXPECT_TRUE(static_cast<TSample*>(root->FindOwned("Plain1"))->constructedState.Empty());
  EXPECT_EQ(log_.afterLoad, (Names{"Root", "Frame1", "Plain1"}));
}

TEST_F(LoadRootTest, InheritedRecordInsideInlineComponentIsLookedUpThere) {
  // The inline component owns what its own definition made; a record inside it that
  // refers to such a component finds it there, not among the root's.
  class Maker : public TObject {
   public:
    void Create(TReader& reader, const ClassInfo& cls, TComponent*& component) {
      if (std::string_view(cls.name) != "TSamplePanel") return;
      component = cls.construct(reader.Owner());
      component->ChangeState(ComponentState::Inline, true);
      inner = New<TSample>(component);
      inner->SetName("Inside");
    }
    TSample* inner = nullptr;
  } maker;
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object("TSamplePanel", "Frame1").End();
    b.Object(1, "TSample", "Inside").Name("IntValue").Int(8).End().End();
    b.End();
  });
  auto root = LoadNew(
      definition, [&](TReader& reader) { reader.CreateHook = MakeEvent<&Maker::Create>(&maker); });
  ASSERT_NE(maker.inner, nullptr);
  EXPECT_EQ(maker.inner->IntValue(), 8);
  EXPECT_EQ(root->FindOwned("Inside"), nullptr);
}

// --- Hooks ----------------------------------------------------------------------------------

class Renamer : public TObject {
 public:
  void Rename(TReader&, TComponent*, std::string& name) { name += "_x"; }
  void Replace(TReader&, const std::string& className, const ClassInfo*& found) {
    if (className == "TMissing") found = &TSampleLone::StaticClass;
  }
};

TEST_F(LoadRootTest, SetNameHookChangesTheGivenName) {
  Renamer renamer;
  const StreamBuilder definition =
      RootWithChildren([](StreamBuilder& b) { b.Object("TSample", "Child1").End().End(); });
  auto root = LoadNew(definition, [&](TReader& reader) {
    reader.SetNameHook = MakeEvent<&Renamer::Rename>(&renamer);
  });
  EXPECT_NE(root->FindOwned("Child1_x"), nullptr);
  EXPECT_EQ(root->Child1, nullptr);
}

TEST_F(LoadRootTest, FindClassHookReplacesTheClass) {
  Renamer renamer;
  const StreamBuilder definition =
      RootWithChildren([](StreamBuilder& b) { b.Object("TMissing", "Made").End().End(); });
  auto root = LoadNew(definition, [&](TReader& reader) {
    reader.FindClassHook = MakeEvent<&Renamer::Replace>(&renamer);
  });
  EXPECT_EQ(root->FindOwned("Made")->ClassType().name, std::string("TSampleLone"));
}

TEST_F(LoadRootTest, HandledChildErrorDropsTheRecordAndGoesOn) {
  ErrorCollector recovery;
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object("TLabel", "Label1").Name("IntValue").Int(1).End();
    b.Object("TSample", "Nested").End().End();
    b.End();
    b.Object("TSample", "Child1").End().End();
    b.Object("TSample", "CHILD1").Name("IntValue").Int(1).End().End();
    b.Object("TSample", "Child2").End().End();
  });
  auto root = LoadNew(definition, recovery.Hook());
  EXPECT_EQ(recovery.messages,
            (Names{"Class TLabel not found", "A component named CHILD1 already exists"}));
  EXPECT_EQ(OwnedNames(root.get()), (Names{"Child1", "Child2"}));
  EXPECT_EQ(log_.destroyed, (Names{""}));  // the unnamed duplicate
  EXPECT_EQ(log_.afterLoad, (Names{"Root", "Child1", "Child2"}));
}

// --- Failures -------------------------------------------------------------------------------

TEST_F(LoadRootTest, FailingChildIsDestroyedAndTheErrorGoesOn) {
  auto root = NewRoot();
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object("TSample", "Child1").End().End();
    b.Object("TSamplePanel", "Panel1").End();
    b.Object("TSample", "Child2").End().End();
    b.Object("TSample", "Broken").Name("Bogus").Int(1).End().End();
    b.End();
  });
  EXPECT_EQ(Raised([&] { Load(definition, root.get()); }),
            "EReadError: Error reading Broken.Bogus: Property Bogus does not exist");
  // Broken and the panel it sits in go; what was read before stays with the root.
  EXPECT_EQ(log_.destroyed, (Names{"Broken", "Panel1"}));
  EXPECT_EQ(OwnedNames(root.get()), (Names{"Child1", "Child2"}));
  EXPECT_EQ(root->Panel1, nullptr);
  EXPECT_TRUE(log_.afterLoad.empty());
  EXPECT_FALSE(root->Has(ComponentState::Reading));
}

TEST_F(LoadRootTest, FailingLoadFreesTheRootItMade) {
  const StreamBuilder definition = RootWithChildren([](StreamBuilder& b) {
    b.Object("TSample", "Child1").End().End();
    b.Object("TSample", "Child2").Name("Checked").Int(-1).End().End();
  });
  EXPECT_EQ(Raised([&] { Load(definition); }), "EReadError: Error reading Child2.Checked: refused");
  EXPECT_EQ(log_.live, 0);
  EXPECT_EQ(log_.destroyed, (Names{"Child2", "Root", "Child1"}));
}

TEST_F(LoadRootTest, FailingAfterLoadFreesTheRootItMade) {
  class Failer : public TObject {
   public:
    void Create(TReader& reader, const ClassInfo& cls, TComponent*& component) {
      auto* sample = static_cast<TSample*>(cls.construct(reader.Owner()));
      sample->failAfterLoad = true;
      component = sample;
    }
  } failer;
  const StreamBuilder definition =
      RootWithChildren([](StreamBuilder& b) { b.Object("TSample", "Child1").End().End(); });
  EXPECT_EQ(Raised([&] {
              Load(definition, nullptr, [&](TReader& reader) {
                reader.CreateHook = MakeEvent<&Failer::Create>(&failer);
              });
            }),
            "EInvalidOperation: after-load failed");
  EXPECT_EQ(log_.live, 0);
}

TEST_F(LoadRootTest, DeepNestingIsRefusedBeforeTheStackRunsOut) {
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", "Root").End();
  constexpr int kDepth = 5000;
  for (int i = 0; i < kDepth; ++i)
    b.Object("TSamplePanel", "").End();
  for (int i = 0; i < kDepth + 1; ++i)
    b.End();
  EXPECT_EQ(Raised([&] { Load(b); }), "EReadError: Invalid stream format");
  EXPECT_EQ(log_.live, 0);
}

// --- Names across roots ---------------------------------------------------------------------

TComponent* g_taken = nullptr;
TComponent* FindTaken(std::string_view name) {
  return g_taken && SameText(g_taken->Name(), name) ? g_taken : nullptr;
}
TComponent* g_taken2 = nullptr;
TComponent* FindTaken2(std::string_view name) {
  return g_taken2 && SameText(g_taken2->Name(), name) ? g_taken2 : nullptr;
}

TEST_F(LoadRootTest, RootNameTakenByAnotherRootGetsANumber) {
  auto first = NewRoot();
  first->SetName("Root");
  auto second = NewRoot();
  second->SetName("Root_1");
  g_taken = first.get();
  g_taken2 = second.get();
  RegisterGlobalFinder(&FindTaken);
  RegisterGlobalFinder(&FindTaken2);
  auto loaded = LoadNew(Nested());
  Owned<TComponent> third(Load(Nested(), New<TSampleRoot>(nullptr)));
  UnregisterGlobalFinder(&FindTaken2);
  UnregisterGlobalFinder(&FindTaken);
  g_taken = g_taken2 = nullptr;
  // A root made from the stream keeps its stored name; a given root's name is made unique.
  EXPECT_EQ(loaded->Name(), "Root");
  EXPECT_EQ(third->Name(), "Root_2");
}

TEST_F(LoadRootTest, UniqueNameTestDecides) {
  auto refuseFirst = [](std::string_view name) { return name != "Root"; };
  SetUniqueNameTest(refuseFirst);
  auto root = NewRoot();
  Load(Nested(), root.get());
  SetUniqueNameTest(nullptr);
  EXPECT_EQ(root->Name(), "Root_1");
  EXPECT_EQ(MakeUniqueName("Form1"), "Form1");
}

}  // namespace
}  // namespace sx::testing
