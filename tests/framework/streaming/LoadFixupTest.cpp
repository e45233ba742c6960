// References between components: resolved after the body, by path, across roots.

#include "framework/runtime/TextUtil.h"
#include "framework/streaming/Fixups.h"
#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

// The roots the tests make findable by name, as an application finds its forms.
std::vector<TComponent*> g_roots;
bool g_finderThrows = false;

TComponent* FindTestRoot(std::string_view name) {
  if (g_finderThrows && name == "Boom") throw EInvalidOperation("finder failed");
  for (TComponent* root : g_roots)
    if (SameText(root->Name(), name)) return root;
  return nullptr;
}

class LoadFixupTest : public LoadFixture {
 protected:
  void SetUp() override {
    LoadFixture::SetUp();
    RegisterGlobalFinder(&FindTestRoot);
  }
  void TearDown() override {
    UnregisterGlobalFinder(&FindTestRoot);
    g_roots.clear();
    g_finderThrows = false;
    EXPECT_EQ(GlobalFixupCount(), 0u);
    LoadFixture::TearDown();
  }

  // A root with Child1 and Child2, whose entries the callbacks write.
  static StreamBuilder Pair(const std::function<void(StreamBuilder&)>& rootEntries,
                            const std::function<void(StreamBuilder&)>& child1Entries,
                            const std::function<void(StreamBuilder&)>& child2Entries,
                            std::string_view rootName = "Root") {
    StreamBuilder b;
    b.Signature().Object("TSampleRoot", rootName);
    rootEntries(b);
    b.End();
    b.Object("TSample", "Child1");
    child1Entries(b);
    b.End().End();
    b.Object("TSample", "Child2");
    child2Entries(b);
    b.End().End();
    b.End();
    return b;
  }
  static void None(StreamBuilder&) {}

  // Loads the root "Second", findable by name, with one child of the class; what it raises.
  std::string LoadSecondWithChild(TComponent* second, std::string_view childClass,
                                  std::string_view childName) {
    g_roots.push_back(second);
    StreamBuilder b;
    b.Signature().Object("TSampleRoot", "Second").End();
    b.Object(childClass, childName).End().End();
    b.End();
    return Raised([&] { Load(b, second); });
  }
};

// --- Within one root ------------------------------------------------------------------------

TEST_F(LoadFixupTest, ReferenceToALaterComponentIsStoredOnceBeforeAnyAfterLoad) {
  auto root = LoadNew(Pair(
      None, [](StreamBuilder& b) { b.Name("Link").Ident("Child2"); }, None));
  EXPECT_EQ(root->Child1->Link(), root->Child2);
  EXPECT_EQ(log_.events, (Names{"link:Child1=Child2", "afterload:Root", "afterload:Child1",
                                "afterload:Child2"}));
}

TEST_F(LoadFixupTest, ReferencesAreStoredInReadingOrder) {
  auto root = LoadNew(Pair([](StreamBuilder& b) { b.Name("Link").Ident("Child2"); },
                           [](StreamBuilder& b) { b.Name("Link").Ident("Child2"); },
                           [](StreamBuilder& b) { b.Name("Link").Ident("Child1"); }));
  const Names links(log_.events.begin(), log_.events.begin() + 3);
  EXPECT_EQ(links, (Names{"link:Root=Child2", "link:Child1=Child2", "link:Child2=Child1"}));
}

TEST_F(LoadFixupTest, ReferenceNamingNothingStoresNil) {
  auto root = NewRoot();
  root->SetLink(root.get());
  Load(Pair([](StreamBuilder& b) { b.Name("Link").Ident("Nobody"); }, None, None), root.get());
  EXPECT_EQ(root->Link(), nullptr);
}

TEST_F(LoadFixupTest, OwnerSegmentNamesTheRootItself) {
  auto root = LoadNew(Pair([](StreamBuilder& b) { b.Name("Link").Ident("owner"); }, None, None));
  EXPECT_EQ(root->Link(), root.get());
}

TEST_F(LoadFixupTest, ReferenceToComponentOfAnotherClassIsRejected) {
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", "Root").Name("Link").Ident("Bare").Name("Any").Ident("Bare");
  b.End();
  b.Object("TComponent", "Bare").End().End();
  b.End();
  EXPECT_EQ(Raised([&] { Load(b); }),
            "EReadError: Error reading Root.Link: Invalid property value");
  EXPECT_EQ(log_.live, 0);
}

TEST_F(LoadFixupTest, ComponentPropertyTakesAnyComponent) {
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", "Root").Name("Any").Ident("Bare").End();
  b.Object("TComponent", "Bare").End().End();
  b.End();
  auto root = LoadNew(b);
  EXPECT_EQ(root->Any(), root->FindOwned("Bare"));
}

TEST_F(LoadFixupTest, InterfaceReferenceStoresTheComponentsInterface) {
  auto root = LoadNew(Pair([](StreamBuilder& b) { b.Name("Service").Ident("Child2"); },
                           [](StreamBuilder& b) { b.Name("Service").Nil(); }, None));
  EXPECT_EQ(root->Service().pointer, static_cast<void*>(root->Child2));
  EXPECT_EQ(root->Child1->Service().pointer, nullptr);
}

TEST_F(LoadFixupTest, ItemOfACollectionGetsItsReference) {
  auto root = LoadNew(Pair(
      [](StreamBuilder& b) {
        b.Name("Items").Collection().Item().Name("Link").Ident("Child2").End().End();
      },
      None, None));
  ASSERT_EQ(root->Items()->Count(), 1);
  EXPECT_EQ(root->Items()->At(0)->Link(), root->Child2);
}

TEST_F(LoadFixupTest, ReplacedItemsLeaveNoReferenceBehind) {
  auto root = LoadNew(Pair(
      [](StreamBuilder& b) {
        b.Name("Items").Collection().Item().Name("Link").Ident("Child2").End().End();
        b.Name("Items").Collection().Item().Name("Caption").String("new").End().End();
      },
      None, None));
  ASSERT_EQ(root->Items()->Count(), 1);
  EXPECT_EQ(root->Items()->At(0)->Caption(), "new");
  EXPECT_EQ(root->Items()->At(0)->Link(), nullptr);
}

class NameMapper : public TObject {
 public:
  void Map(TReader&, std::string& name) {
    if (name == "Old") name = "Child2";
  }
};

TEST_F(LoadFixupTest, ReferenceNameHookMapsTheName) {
  NameMapper mapper;
  auto root = LoadNew(
      Pair([](StreamBuilder& b) { b.Name("Link").Ident("Old"); }, None, None),
      [&](TReader& reader) { reader.ReferenceNameHook = MakeEvent<&NameMapper::Map>(&mapper); });
  EXPECT_EQ(root->Link(), root->Child2);
}

TEST_F(LoadFixupTest, FailedLoadStoresNoReference) {
  auto root = NewRoot();
  EXPECT_NE(Raised([&] {
              Load(Pair(
                       None, [](StreamBuilder& b) { b.Name("Link").Ident("Child2"); },
                       [](StreamBuilder& b) { b.Name("Bogus").Int(1); }),
                   root.get());
            }),
            "(nothing raised)");
  EXPECT_TRUE(log_.events.empty());
}

// --- Paths ----------------------------------------------------------------------------------

TEST_F(LoadFixupTest, NestedPathFollowsOwnedComponents) {
  auto root = NewRoot();
  TSample* a = New<TSample>(root.get());
  a->SetName("A");
  TSample* b = New<TSample>(a);
  b->SetName("B");
  EXPECT_EQ(FindNested(root.get(), "A"), a);
  EXPECT_EQ(FindNested(root.get(), "a.b"), b);
  EXPECT_EQ(FindNested(root.get(), "A-B"), b);
  EXPECT_EQ(FindNested(root.get(), "A->B"), b);
  EXPECT_EQ(FindNested(root.get(), "A.Owner"), a);
  EXPECT_EQ(FindNested(root.get(), "A."), a);
  EXPECT_EQ(FindNested(root.get(), "B"), nullptr);
  EXPECT_EQ(FindNested(root.get(), "A.C"), nullptr);
  EXPECT_EQ(FindNested(root.get(), "A..B"), nullptr);
  EXPECT_EQ(FindNested(root.get(), ""), nullptr);
  EXPECT_EQ(FindNested(nullptr, "A"), nullptr);
}

TEST_F(LoadFixupTest, ComponentNamedOwnerWinsOverTheOwnerSegment) {
  auto root = NewRoot();
  TSample* owner = New<TSample>(root.get());
  owner->SetName("Owner");
  EXPECT_EQ(FindNested(root.get(), "OWNER"), owner);
}

// --- Across roots ---------------------------------------------------------------------------

TEST_F(LoadFixupTest, ReferenceIntoAnotherRootWaitsForThatRoot) {
  auto first = LoadNew(
      Pair([](StreamBuilder& b) { b.Name("Link").Ident("Second.Child1"); }, None, None, "First"));
  g_roots.push_back(first.get());
  EXPECT_EQ(first->Link(), nullptr);
  EXPECT_EQ(GlobalFixupCount(), 1u);

  auto second = NewRoot();
  g_roots.push_back(second.get());
  Load(Pair(None, None, None, "Second"), second.get());
  EXPECT_EQ(first->Link(), second->Child1);
  EXPECT_EQ(GlobalFixupCount(), 0u);
}

TEST_F(LoadFixupTest, WaitingReferenceGoesWithItsRoot) {
  auto first = LoadNew(Pair(
      None, [](StreamBuilder& b) { b.Name("Link").Ident("Second.Child1"); }, None, "First"));
  EXPECT_EQ(GlobalFixupCount(), 1u);
  first.reset();
  EXPECT_EQ(GlobalFixupCount(), 0u);
}

// Whatever holds a waiting reference (a component, an item of its collection, an object
// reached by a path) may go while the root that read it lives; the next load resolves the
// process-wide list and must not reach the object through it.
TEST_F(LoadFixupTest, WaitingReferenceGoesWithTheObjectThatHoldsIt) {
  // Entries of Child1 naming a component of a root that is loaded later.
  const auto inItem = [](StreamBuilder& b) {
    b.Name("Items").Collection().Item().Name("Link").Ident("Later.Child1").End().End();
  };
  const auto inNested = [](StreamBuilder& b) { b.Name("Inner.Link").Ident("Later.Child1"); };
  const struct {
    const char* what;
    std::function<void(StreamBuilder&)> entry;
    std::function<void(TSampleRoot&)> destroy;
  } cases[] = {
      {"owner of the item destroyed", inItem, [](TSampleRoot& r) { FreeAndNil(r.Child1); }},
      {"collection cleared", inItem, [](TSampleRoot& r) { r.Child1->Items()->Clear(); }},
      {"item deleted", inItem, [](TSampleRoot& r) { r.Child1->Items()->Delete(0); }},
      {"owner of the nested object destroyed", inNested,
       [](TSampleRoot& r) { FreeAndNil(r.Child1); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto first = LoadNew(Pair(None, c.entry, None, "First"));
    ASSERT_EQ(GlobalFixupCount(), 1u);
    c.destroy(*first);
    EXPECT_EQ(GlobalFixupCount(), 0u);
    // Every load resolves what waits; "Later" still does not exist, so a stale entry would be
    // looked at.
    LoadNew(Pair(None, None, None, "Unrelated"));
  }
}

TEST_F(LoadFixupTest, WaitingReferenceOfAFilledPropertyIsDropped) {
  auto first = LoadNew(
      Pair([](StreamBuilder& b) { b.Name("Link").Ident("Second.Child1"); }, None, None, "First"));
  first->SetLink(first->Child1);
  ResolveGlobalFixups();
  EXPECT_EQ(GlobalFixupCount(), 0u);
  EXPECT_EQ(first->Link(), first->Child1);
}

TEST_F(LoadFixupTest, WaitingReferenceNamingNothingInItsRootStoresNil) {
  auto first = LoadNew(
      Pair([](StreamBuilder& b) { b.Name("Link").Ident("Second.Nobody"); }, None, None, "First"));
  auto second = NewRoot();
  second->SetName("Second");
  g_roots.push_back(second.get());
  ResolveGlobalFixups();
  EXPECT_EQ(first->Link(), nullptr);
  EXPECT_EQ(GlobalFixupCount(), 0u);
}

TEST_F(LoadFixupTest, FailingSetterDoesNotLeaveItsReferenceToFailLaterLoads) {
  auto first = LoadNew(
      Pair([](StreamBuilder& b) { b.Name("Link").Ident("Second.Poison"); }, None, None, "First"));
  auto second = NewRoot();
  EXPECT_EQ(LoadSecondWithChild(second.get(), "TSample", "Poison"), "EComponentError: poisoned");
  EXPECT_EQ(GlobalFixupCount(), 0u);
  auto third = LoadNew(Pair(None, None, None, "Third"));
  EXPECT_EQ(third->Name(), "Third");
}

// As within one root: a component that the property cannot hold is an error, not nil.
TEST_F(LoadFixupTest, WaitingReferenceToComponentOfAnotherClassIsRejected) {
  auto first = LoadNew(
      Pair([](StreamBuilder& b) { b.Name("Link").Ident("Second.Bare"); }, None, None, "First"));
  auto second = NewRoot();
  EXPECT_EQ(LoadSecondWithChild(second.get(), "TComponent", "Bare"),
            "EReadError: Error reading First.Link: Invalid property value");
  EXPECT_EQ(first->Link(), nullptr);
  EXPECT_EQ(GlobalFixupCount(), 0u);
}

TEST_F(LoadFixupTest, HookThatHandlesEveryErrorDoesNotRetryForEver) {
  g_finderThrows = true;
  ErrorCollector forgiver;
  auto root = NewRoot();
  const std::string error = Raised([&] {
    Load(Pair([](StreamBuilder& b) { b.Name("Link").Ident("Boom.Child1"); }, None, None),
         root.get(), forgiver.Hook());
  });
  EXPECT_EQ(error, "EInvalidOperation: finder failed");
  EXPECT_EQ(forgiver.messages, (Names{"finder failed", "finder failed"}));
  // The failed load drops what it left waiting.
  EXPECT_EQ(GlobalFixupCount(), 0u);
}

}  // namespace
}  // namespace sx::testing
