// The class registry, the name-space lock and collections on their own.

#include <atomic>
#include <thread>

#include "framework/runtime/Synchronizer.h"
#include "framework/streaming/ClassRegistry.h"
#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

// Classes of a group of their own.
class TGroupBase : public TComponent {
  SX_CLASS(TGroupBase)
  using TComponent::TComponent;
};
class TGroupMember : public TGroupBase {
  SX_CLASS(TGroupMember)
  using TGroupBase::TGroupBase;
};
class TGroupRoot : public TGroupBase {
  SX_CLASS(TGroupRoot)
  using TGroupBase::TGroupBase;
};
class TAliased : public TComponent {
  SX_CLASS(TAliased)
  using TComponent::TComponent;
};
class TUnregistered : public TComponent {
  SX_CLASS(TUnregistered)
  using TComponent::TComponent;
};

}  // namespace

constinit const ClassInfo TGroupBase::StaticClass{.name = "TGroupBase",
                                                  .parent = &TComponent::StaticClass};
constinit const ClassInfo TGroupMember::StaticClass{.name = "TGroupMember",
                                                    .parent = &TGroupBase::StaticClass,
                                                    .construct = &ConstructComponent<TGroupMember>};
constinit const ClassInfo TGroupRoot::StaticClass{.name = "TGroupRoot",
                                                  .parent = &TGroupBase::StaticClass};
constinit const ClassInfo TAliased::StaticClass{.name = "TAliased",
                                                .parent = &TComponent::StaticClass};
constinit const ClassInfo TUnregistered::StaticClass{.name = "TUnregistered",
                                                     .parent = &TComponent::StaticClass};

namespace {

class LoadRegistryTest : public LoadFixture {};

// --- Registry -------------------------------------------------------------------------------

TEST_F(LoadRegistryTest, RegisteringAClassRegistersItsAncestorsUpToPersistent) {
  RegisterPersistentClass(TSampleLone::StaticClass);
  EXPECT_TRUE(RegGroups().Registered(TSampleLone::StaticClass));
  EXPECT_TRUE(RegGroups().Registered(TSample::StaticClass));
  EXPECT_TRUE(RegGroups().Registered(TComponent::StaticClass));
  EXPECT_TRUE(RegGroups().Registered(TPersistent::StaticClass));
  EXPECT_FALSE(RegGroups().Registered(TObject::StaticClass));
  EXPECT_EQ(GetPersistentClass("TObject"), nullptr);
}

TEST_F(LoadRegistryTest, ClassIsFoundByNameIgnoringCaseThenByAlias) {
  RegisterPersistentClass(TAliased::StaticClass);
  RegisterPersistentAlias(TAliased::StaticClass, "TOldName");
  EXPECT_EQ(GetPersistentClass("taliased"), &TAliased::StaticClass);
  EXPECT_EQ(GetPersistentClass("TOLDNAME"), &TAliased::StaticClass);
  UnregisterPersistentClass(TAliased::StaticClass);
  EXPECT_EQ(GetPersistentClass("TAliased"), nullptr);
  EXPECT_EQ(GetPersistentClass("TOldName"), nullptr);
}

TEST_F(LoadRegistryTest, FindingAnUnregisteredClassRaises) {
  EXPECT_EQ(GetPersistentClass("TUnregistered"), nullptr);
  EXPECT_EQ(Raised([] { FindPersistentClass("TUnregistered"); }),
            "EClassNotFound: Class TUnregistered not found");
}

TEST_F(LoadRegistryTest, ClassOfAnInactiveGroupIsFoundOnlyForRootsOfThatGroup) {
  StartClassGroup(TGroupBase::StaticClass);
  RegisterPersistentClass(TGroupMember::StaticClass);
  EXPECT_EQ(GetPersistentClass("TGroupMember"), nullptr);
  EXPECT_EQ(TClassFinder(&TGroupRoot::StaticClass).Find("TGroupMember"),
            &TGroupMember::StaticClass);
  EXPECT_EQ(TClassFinder(&TSampleRoot::StaticClass).Find("TGroupMember"), nullptr);
  // Classes of the always active group stay within reach of every root.
  EXPECT_EQ(TClassFinder(&TGroupRoot::StaticClass).Find("TSampleLone"), &TSampleLone::StaticClass);

  ActivateClassGroup(TGroupBase::StaticClass);
  EXPECT_EQ(GetPersistentClass("TGroupMember"), &TGroupMember::StaticClass);
  EXPECT_EQ(GetPersistentClass("TSampleLone"), &TSampleLone::StaticClass);
  ActivateClassGroup(TPersistent::StaticClass);
  EXPECT_EQ(GetPersistentClass("TGroupMember"), nullptr);
}

TEST_F(LoadRegistryTest, ReaderCreatesAClassOfTheRootsGroup) {
  StartClassGroup(TGroupBase::StaticClass);
  RegisterPersistentClass(TGroupMember::StaticClass);
  Owned<TComponent> root(New<TGroupRoot>(nullptr));
  const StreamBuilder definition = RootWithChildren(
      [](StreamBuilder& b) { b.Object("TGroupMember", "Member").End().End(); }, "TGroupRoot");
  Load(definition, root.get());
  EXPECT_EQ(root->FindOwned("Member")->ClassType().name, std::string("TGroupMember"));
}

// --- The name-space lock --------------------------------------------------------------------

TEST(LoadSynchronizerTest, WriterMayTakeItAgainForWritingAndReading) {
  TMultiReadExclusiveWriteSynchronizer lock;
  EXPECT_TRUE(lock.BeginWrite());
  EXPECT_TRUE(lock.BeginWrite());
  lock.BeginRead();
  lock.EndRead();
  lock.EndWrite();
  EXPECT_TRUE(lock.HeldForWriting());
  lock.EndWrite();
  EXPECT_FALSE(lock.HeldForWriting());
}

TEST(LoadSynchronizerTest, WriterWaitsForReadersOfOtherThreads) {
  TMultiReadExclusiveWriteSynchronizer lock;
  lock.BeginRead();
  std::atomic<bool> written{false};
  std::thread writer([&] {
    lock.BeginWrite();
    written = true;
    lock.EndWrite();
  });
  while (lock.WaitingWriters() == 0)
    std::this_thread::yield();
  EXPECT_FALSE(written);
  lock.EndRead();
  writer.join();
  EXPECT_TRUE(written);
}

TEST(LoadSynchronizerTest, ReaderAskingToWriteLearnsOfAWriterThatCameFirst) {
  TMultiReadExclusiveWriteSynchronizer lock;
  lock.BeginRead();
  std::thread writer([&] {
    lock.BeginWrite();
    lock.EndWrite();
  });
  while (lock.WaitingWriters() == 0)
    std::this_thread::yield();
  // This thread lets go of its read while it waits, so the other writer gets in first.
  EXPECT_FALSE(lock.BeginWrite());
  lock.EndWrite();
  lock.EndRead();
  writer.join();
  EXPECT_FALSE(lock.HeldForWriting());
}

// --- Collections ----------------------------------------------------------------------------

TEST_F(LoadRegistryTest, CollectionItemsKeepTheirIdsAndLeaveWhenFreed) {
  TSampleItems items(nullptr);
  TCollectionItem* first = items.Add();
  TCollectionItem* second = items.Add();
  EXPECT_EQ(first->ID(), 0);
  EXPECT_EQ(second->ID(), 1);
  first->Free();
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(items.FindItemID(1), second);
  EXPECT_EQ(items.Add()->ID(), 2);
  EXPECT_EQ(Raised([&] { items.Item(5); }), "EListError: List index out of bounds (5)");
}

TEST_F(LoadRegistryTest, CollectionReportsChangesOnceAfterUpdates) {
  TSampleItems items(nullptr);
  items.BeginUpdate();
  items.Add();
  items.Add();
  items.Delete(0);
  EXPECT_EQ(items.updates, 0);
  items.EndUpdate();
  EXPECT_EQ(items.updates, 1);
  items.Clear();
  EXPECT_EQ(items.updates, 2);
}

}  // namespace
}  // namespace sx::testing
