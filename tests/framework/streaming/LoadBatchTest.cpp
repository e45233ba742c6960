// After-load batches and the definitions of class chains found among the resources.

#include <thread>

#include "framework/streaming/Loader.h"
#include "tests/framework/streaming/StreamingTestSupport.h"

namespace sx::testing {
namespace {

StreamBuilder Definition(std::string_view rootName, std::string_view childName, int value = 1) {
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", rootName).Name("IntValue").Int(value).End();
  b.Object("TSample", childName).End().End();
  b.End();
  return b;
}

class LoadBatchTest : public LoadFixture {
 protected:
  void TearDown() override {
    // A test that fails halfway must not leave its batch to the next one.
    while (CurrentLoadBatch())
      EndLoadBatch();
    LoadFixture::TearDown();
  }
};

// --- Batches --------------------------------------------------------------------------------

TEST_F(LoadBatchTest, AfterLoadWaitsForTheBatchAndKeepsLoadOrder) {
  BeginLoadBatch();
  auto first = LoadNew(Definition("First", "A"));
  auto second = LoadNew(Definition("Second", "B"));
  EXPECT_TRUE(log_.afterLoad.empty());
  NotifyLoadBatch();
  EndLoadBatch();
  EXPECT_EQ(log_.afterLoad, (Names{"First", "A", "Second", "B"}));
  EXPECT_EQ(CurrentLoadBatch(), nullptr);
}

TEST_F(LoadBatchTest, InnerBatchFinishesOnItsOwn) {
  BeginLoadBatch();
  auto outer = LoadNew(Definition("Outer", "A"));
  BeginLoadBatch();
  auto inner = LoadNew(Definition("Inner", "B"));
  NotifyLoadBatch();
  EndLoadBatch();
  EXPECT_EQ(log_.afterLoad, (Names{"Inner", "B"}));
  NotifyLoadBatch();
  EndLoadBatch();
  EXPECT_EQ(log_.afterLoad, (Names{"Inner", "B", "Outer", "A"}));
}

TEST_F(LoadBatchTest, BatchBelongsToItsThread) {
  BeginLoadBatch();
  TAfterLoadList* seenElsewhere = CurrentLoadBatch();
  std::thread([&] { seenElsewhere = CurrentLoadBatch(); }).join();
  EXPECT_EQ(seenElsewhere, nullptr);
  EndLoadBatch();
}

TEST_F(LoadBatchTest, ComponentsOfAFailedLoadNeverGetAfterLoad) {
  BeginLoadBatch();
  auto kept = NewRoot();
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", "Kept").End();
  b.Object("TSample", "Good").End().End();
  b.Object("TSampleBox", "Box1").End();
  b.Object("TSample", "Inside").End().End();
  b.Object("TSample", "Bad").Name("Bogus").Int(1).End().End();
  b.End();
  b.End();
  EXPECT_EQ(Raised([&] { Load(b, kept.get()); }),
            "EReadError: Error reading Bad.Bogus: Property Bogus does not exist");
  NotifyLoadBatch();
  EndLoadBatch();
  // Box1 went with what it owned, Inside (already listed) and Bad; the root that stays keeps
  // its good child.
  EXPECT_EQ(log_.destroyed, (Names{"Bad", "Box1", "Inside"}));
  EXPECT_EQ(log_.afterLoad, (Names{"Kept", "Good"}));
}

TEST_F(LoadBatchTest, RootMadeByAFailedLoadLeavesTheBatch) {
  BeginLoadBatch();
  StreamBuilder b;
  b.Signature().Object("TSampleRoot", "Made").End();
  b.Object("TSample", "Child").End().End();
  b.Object("TSample", "Broken").Name("Checked").Int(-1).End().End();
  b.End();
  EXPECT_EQ(Raised([&] { Load(b); }), "EReadError: Error reading Broken.Checked: refused");
  EXPECT_EQ(log_.live, 0);
  NotifyLoadBatch();
  EndLoadBatch();
  EXPECT_TRUE(log_.afterLoad.empty());
}

// --- Class chains and resources -------------------------------------------------------------

TEST_F(LoadBatchTest, ClassResourceIsReadIntoTheInstance) {
  system_.AddRcData("TSAMPLEROOT", Definition("Stored", "Child1", 5).Bytes());
  auto root = NewRoot();
  EXPECT_TRUE(LoadClassResource("TSampleRoot", system_.MainModule(), root.get()));
  EXPECT_EQ(root->Name(), "Stored");
  EXPECT_EQ(root->IntValue(), 5);
  EXPECT_NE(root->Child1, nullptr);
}

TEST_F(LoadBatchTest, MissingClassResourceReadsNothing) {
  auto root = NewRoot();
  EXPECT_FALSE(LoadClassResource("TSampleRoot", system_.MainModule(), root.get()));
  EXPECT_EQ(root->Name(), "");
  EXPECT_FALSE(LoadFormChain(root.get(), TSample::StaticClass));
  EXPECT_TRUE(log_.afterLoad.empty());
}

TEST_F(LoadBatchTest, ClassChainIsReadOutermostFirstAndFinishedOnce) {
  // TSampleOtherRoot derives from TSampleRoot, which derives from the root ancestor TSample.
  system_.AddRcData("TSampleRoot", Definition("Base", "FromBase", 1).Bytes());
  system_.AddRcData("TSampleOtherRoot", Definition("Derived", "FromDerived", 2).Bytes());
  Owned<TSampleOtherRoot> root(New<TSampleOtherRoot>(nullptr));
  EXPECT_TRUE(LoadFormChain(root.get(), TSample::StaticClass));
  EXPECT_EQ(root->Name(), "Derived");
  EXPECT_EQ(root->IntValue(), 2);
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(log_.afterLoad, (Names{"Derived", "FromBase", "FromDerived"}));
}

TEST_F(LoadBatchTest, ChainStopsAtTheRootAncestor) {
  system_.AddRcData("TSampleRoot", Definition("Base", "FromBase").Bytes());
  Owned<TSampleOtherRoot> root(New<TSampleOtherRoot>(nullptr));
  EXPECT_FALSE(LoadFormChain(root.get(), TSampleRoot::StaticClass));
  EXPECT_EQ(root->ComponentCount(), 0);
}

TEST_F(LoadBatchTest, FailingChainEndsItsBatchWithoutAfterLoad) {
  StreamBuilder broken;
  broken.Signature().Object("TSampleRoot", "Broken").Name("Bogus").Int(1).End().End();
  system_.AddRcData("TSampleRoot", Definition("Base", "FromBase").Bytes());
  system_.AddRcData("TSampleOtherRoot", broken.Bytes());
  Owned<TSampleOtherRoot> root(New<TSampleOtherRoot>(nullptr));
  EXPECT_EQ(Raised([&] { LoadFormChain(root.get(), TSample::StaticClass); }),
            "EReadError: Error reading Broken.Bogus: Property Bogus does not exist");
  EXPECT_TRUE(log_.afterLoad.empty());
  EXPECT_EQ(CurrentLoadBatch(), nullptr);
}

TEST_F(LoadBatchTest, InstanceBeingLoadedLeavesAfterLoadToTheEnclosingLoad) {
  system_.AddRcData("TSampleRoot", Definition("Base", "FromBase").Bytes());
  auto root = NewRoot();
  root->ChangeState(ComponentState::Loading, true);
  BeginLoadBatch();
  EXPECT_TRUE(LoadFormChain(root.get(), TSample::StaticClass));
  EXPECT_TRUE(log_.afterLoad.empty());
  NotifyLoadBatch();
  EndLoadBatch();
  EXPECT_EQ(log_.afterLoad, (Names{"Base", "FromBase"}));
}

}  // namespace
}  // namespace sx::testing
