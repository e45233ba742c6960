#include "framework/streaming/Component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "framework/runtime/Exception.h"
#include "tests/support/FakeSystem.h"
#include "tests/support/Raised.h"

namespace sx {
namespace {

using testing::Raised;

struct NoticeRecord {
  std::string receiver;
  TComponent* subject;
  Notice notice;
};

std::vector<NoticeRecord>* g_notices = nullptr;
std::vector<std::string>* g_destroyed = nullptr;

// A component that records the notices it hears and its own destruction.
class TListener : public TComponent {
  SX_CLASS(TListener)
  using TComponent::TComponent;
  ~TListener() override {
    if (g_destroyed) g_destroyed->push_back(Name());
  }
  void Notify(TComponent* component, Notice notice) override {
    if (g_notices) g_notices->push_back({Name(), component, notice});
    if (onNotify) onNotify(component, notice);
    TComponent::Notify(component, notice);
  }
  std::function<void(TComponent*, Notice)> onNotify;
};

// A plain component with the default Notify.
class TQuiet : public TComponent {
  SX_CLASS(TQuiet)
  using TComponent::TComponent;
  ~TQuiet() override {
    if (g_destroyed) g_destroyed->push_back(Name());
  }
};

// An owner with published fields, as a form has them.
class TOwnerWithFields : public TListener {
  SX_CLASS(TOwnerWithFields)
  using TListener::TListener;
  TQuiet* Edit1 = nullptr;
  TQuiet* Edit2 = nullptr;
  TListener* Other = nullptr;
  TQuiet* Longest = nullptr;
  int renameChecks = 0;
  void Handler(TObject*) {}
  void CheckRename(TComponent* c, const std::string& oldName, const std::string& newName) override {
    ++renameChecks;
    TComponent::CheckRename(c, oldName, newName);
  }
};

// An owner that refuses every component.
class TRefusing : public TComponent {
  SX_CLASS(TRefusing)
  using TComponent::TComponent;
  void CheckInsert(TComponent*) override { throw EComponentError("refused"); }
};

// A component that ignores every notice, even the ones its partners send.
class TDeaf : public TComponent {
  SX_CLASS(TDeaf)
  using TComponent::TComponent;
  void Notify(TComponent*, Notice) override {}
};

// Runs a check from its destructor.
class TProbe : public TComponent {
  SX_CLASS(TProbe)
  using TComponent::TComponent;
  ~TProbe() override { check(); }
  std::function<void()> check;
};

// A field name as long as a field table holds: 255 letters.
constexpr std::size_t kLongestName = 255;
constexpr auto kLongestField = [] {
  std::array<char, kLongestName + 1> name{};
  for (std::size_t i = 0; i < kLongestName; ++i)
    name[i] = 'L';
  return name;
}();

constexpr FieldInfo kOwnerFields[] = {
    Field<&TOwnerWithFields::Edit1>("Edit1"),
    Field<&TOwnerWithFields::Edit2>("Edit2"),
    Field<&TOwnerWithFields::Other>("Other"),
    Field<&TOwnerWithFields::Longest>(kLongestField.data()),
};

constexpr MethodInfo kOwnerMethods[] = {
    Method<&TOwnerWithFields::Handler>(kLongestField.data()),
};

}  // namespace

constinit const ClassInfo TListener::StaticClass{.name = "TListener",
                                                 .parent = &TComponent::StaticClass};
constinit const ClassInfo TQuiet::StaticClass{.name = "TQuiet", .parent = &TComponent::StaticClass};
constinit const ClassInfo TOwnerWithFields::StaticClass{.name = "TOwnerWithFields",
                                                        .parent = &TListener::StaticClass,
                                                        .fields = kOwnerFields,
                                                        .methods = kOwnerMethods};
constinit const ClassInfo TRefusing::StaticClass{.name = "TRefusing",
                                                 .parent = &TComponent::StaticClass};
constinit const ClassInfo TDeaf::StaticClass{.name = "TDeaf", .parent = &TComponent::StaticClass};
constinit const ClassInfo TProbe::StaticClass{.name = "TProbe", .parent = &TComponent::StaticClass};

namespace {

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.Install();
    g_notices = &notices_;
    g_destroyed = &destroyed_;
  }
  void TearDown() override {
    g_notices = nullptr;
    g_destroyed = nullptr;
  }

  template <class T>
  T* Make(TComponent* owner, const std::string& name) {
    T* component = New<T>(owner);
    component->SetName(name);
    return component;
  }

  // The receivers that heard the notice about the subject, in the order they heard it.
  std::vector<std::string> Receivers(const TComponent* subject, Notice notice) const {
    std::vector<std::string> receivers;
    for (const NoticeRecord& r : notices_)
      if (r.subject == subject && r.notice == notice) receivers.push_back(r.receiver);
    return receivers;
  }

  testing::FakeSystem system_;
  std::vector<NoticeRecord> notices_;
  std::vector<std::string> destroyed_;
};

// --- Names --------------------------------------------------------------------------------

TEST_F(ComponentTest, NameOfAnotherComponentInOtherCaseCollides) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  Make<TQuiet>(form, "Edit1");
  TQuiet* second = Make<TQuiet>(form, "Edit2");
  EXPECT_EQ(Raised([&] { second->SetName("EDIT1"); }),
            "EComponentError: A component named EDIT1 already exists");
  EXPECT_EQ(second->Name(), "Edit2");
  EXPECT_EQ(form->Edit2, second);
  form->Free();
}

TEST_F(ComponentTest, CaseOnlyRenameOfItselfNeverCollides) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TQuiet* edit = Make<TQuiet>(form, "Edit1");
  edit->SetName("EDIT1");
  EXPECT_EQ(edit->Name(), "EDIT1");
  EXPECT_EQ(form->Edit1, edit);  // field names compare without case
  form->Free();
}

TEST_F(ComponentTest, SettingTheSameNameAgainChecksNothing) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TQuiet* edit = Make<TQuiet>(form, "Edit1");
  const int checks = form->renameChecks;
  edit->SetName("Edit1");
  EXPECT_EQ(form->renameChecks, checks);
  form->Free();
}

TEST_F(ComponentTest, EmptyNamesNeverCollide) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TQuiet* a = New<TQuiet>(form);
  TQuiet* b = Make<TQuiet>(form, "B");
  b->SetName("");
  EXPECT_EQ(a->Name(), "");
  EXPECT_EQ(b->Name(), "");
  EXPECT_EQ(form->FindOwned(""), nullptr);
  form->Free();
}

TEST_F(ComponentTest, InvalidNamesAreRejectedAndTheOldNameStays) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TQuiet* edit = Make<TQuiet>(form, "Edit1");
  EXPECT_EQ(Raised([&] { edit->SetName("1Edit"); }),
            "EComponentError: ''1Edit'' is not a valid component name");
  EXPECT_EQ(Raised([&] { edit->SetName("Edit 1"); }),
            "EComponentError: ''Edit 1'' is not a valid component name");
  EXPECT_EQ(Raised([&] { edit->SetName("Поле"); }),
            "EComponentError: ''Поле'' is not a valid component name");
  EXPECT_EQ(edit->Name(), "Edit1");
  EXPECT_EQ(form->Edit1, edit);
  form->Free();
}

TEST_F(ComponentTest, RenameMovesTheFieldBinding) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TQuiet* edit = Make<TQuiet>(form, "Edit1");
  edit->SetName("Edit2");
  EXPECT_EQ(form->Edit1, nullptr);
  EXPECT_EQ(form->Edit2, edit);
  edit->SetName("Unbound");
  EXPECT_EQ(form->Edit2, nullptr);
  form->Free();
}

TEST_F(ComponentTest, NameLongerThanAFieldNameBindsTheFieldOfItsFirst255Characters) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TQuiet* component = Make<TQuiet>(form, std::string(kLongestName + 45, 'l'));
  EXPECT_EQ(form->Longest, component);
  component->SetName("Unbound");
  EXPECT_EQ(form->Longest, nullptr);
  form->Free();
}

TEST_F(ComponentTest, LongerMethodNameFindsTheMethodOfItsFirst255Characters) {
  const ClassInfo& owner = TOwnerWithFields::StaticClass;
  EXPECT_EQ(owner.FindMethod(std::string(kLongestName + 45, 'l')), &kOwnerMethods[0]);
  EXPECT_EQ(owner.FindMethod(std::string(kLongestName - 1, 'L')), nullptr);
}

TEST_F(ComponentTest, FieldIsNotBoundToAComponentOfAnotherClass) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TListener* wrong = Make<TListener>(form, "Edit1");
  EXPECT_EQ(form->Edit1, nullptr);
  EXPECT_EQ(form->FindOwned("edit1"), wrong);
  form->Free();
}

TEST_F(ComponentTest, FindOwnedReturnsTheFirstOfDuplicatesInListOrder) {
  // Components arriving already named are not checked against their new owner's names.
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TQuiet* first = Make<TQuiet>(nullptr, "Twin");
  TQuiet* second = Make<TQuiet>(nullptr, "TWIN");
  form->InsertOwned(first);
  form->InsertOwned(second);
  EXPECT_EQ(form->FindOwned("twin"), first);
  second->SetOwnedIndex(0);
  EXPECT_EQ(form->FindOwned("twin"), second);
  form->RemoveOwned(second);
  EXPECT_EQ(form->FindOwned("twin"), first);
  second->Free();
  first->SetName("Single");
  EXPECT_EQ(form->FindOwned("TWIN"), nullptr);
  EXPECT_EQ(form->FindOwned("single"), first);
  form->Free();
}

// --- The owned list -----------------------------------------------------------------------

TEST_F(ComponentTest, IndexOutsideTheListRaisesListError) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  EXPECT_EQ(Raised([&] { form->Component(0); }), "EListError: List index out of bounds (0)");
  New<TQuiet>(form);
  EXPECT_EQ(Raised([&] { form->Component(1); }), "EListError: List index out of bounds (1)");
  EXPECT_EQ(Raised([&] { form->Component(-1); }), "EListError: List index out of bounds (-1)");
  form->Free();
}

TEST_F(ComponentTest, OwnedIndexClampsToTheList) {
  TOwnerWithFields* form = New<TOwnerWithFields>(nullptr);
  TQuiet* a = Make<TQuiet>(form, "A");
  TQuiet* b = Make<TQuiet>(form, "B");
  TQuiet* c = Make<TQuiet>(form, "C");
  c->SetOwnedIndex(-3);
  EXPECT_EQ(form->Component(0), c);
  EXPECT_EQ(form->Component(1), a);
  a->SetOwnedIndex(99);
  EXPECT_EQ(form->Component(2), a);
  EXPECT_EQ(b->OwnedIndex(), 1);
  TQuiet* loose = New<TQuiet>(nullptr);
  loose->SetOwnedIndex(5);  // no owner: nothing happens
  EXPECT_EQ(loose->OwnedIndex(), -1);
  loose->Free();
  form->Free();
}

TEST_F(ComponentTest, RefusedComponentNeverJoinsTheList) {
  TRefusing* owner = New<TRefusing>(nullptr);
  EXPECT_THROW(New<TQuiet>(owner), EComponentError);
  EXPECT_EQ(owner->ComponentCount(), 0);
  owner->Free();
}

// --- Notices ------------------------------------------------------------------------------

TEST_F(ComponentTest, InsertIsAnnouncedToEveryOwnedComponentIncludingTheNewOne) {
  TOwnerWithFields* form = Make<TOwnerWithFields>(nullptr, "Form");
  Make<TListener>(form, "L1");
  notices_.clear();
  TListener* added = Make<TListener>(nullptr, "New");
  form->InsertOwned(added);
  ASSERT_EQ(notices_.size(), 3u);
  EXPECT_EQ(notices_[0].receiver, "Form");
  EXPECT_EQ(notices_[1].receiver, "New");  // the new one, last in the list, hears first
  EXPECT_EQ(notices_[2].receiver, "L1");
  for (const NoticeRecord& r : notices_) {
    EXPECT_EQ(r.subject, added);
    EXPECT_EQ(r.notice, Notice::NoticeInsert);
  }
  form->Free();
}

TEST_F(ComponentTest, NoticesReachListenersAmongManyQuietComponents) {
  TOwnerWithFields* form = Make<TOwnerWithFields>(nullptr, "Form");
  for (int i = 0; i < 50; ++i)
    New<TQuiet>(form);
  // A quiet component that owns a listener must still pass notices down.
  TQuiet* holder = New<TQuiet>(form);
  Make<TListener>(holder, "Inner");
  for (int i = 0; i < 50; ++i)
    New<TQuiet>(form);
  notices_.clear();
  TQuiet* added = New<TQuiet>(form);
  EXPECT_EQ(Receivers(added, Notice::NoticeInsert), (std::vector<std::string>{"Form", "Inner"}));
  form->Free();
}

TEST_F(ComponentTest, NotifyWalkSurvivesAReceiverThatDestroysSiblings) {
  TOwnerWithFields* form = Make<TOwnerWithFields>(nullptr, "Form");
  TListener* a = Make<TListener>(form, "A");
  TListener* b = Make<TListener>(form, "B");
  Make<TListener>(form, "C");
  TListener* d = Make<TListener>(form, "D");
  // D, hearing of an insert, destroys B and C; A must still hear it.
  bool done = false;
  d->onNotify = [&](TComponent*, Notice notice) {
    if (done || notice != Notice::NoticeInsert || form->ComponentCount() < 5) return;
    done = true;
    form->FindOwned("C")->Free();
    b->Free();
  };
  notices_.clear();
  TQuiet* added = Make<TQuiet>(nullptr, "New");
  form->InsertOwned(added);
  EXPECT_EQ(std::ranges::count(Receivers(added, Notice::NoticeInsert), "A"), 1);
  EXPECT_EQ(form->ComponentCount(), 3);
  EXPECT_EQ(form->Component(0), a);
  form->Free();
}

TEST_F(ComponentTest, DestroyingAComponentAnnouncesItAndEmptiesTheField) {
  TOwnerWithFields* form = Make<TOwnerWithFields>(nullptr, "Form");
  TQuiet* edit = Make<TQuiet>(form, "Edit1");
  Make<TListener>(form, "L");
  notices_.clear();
  edit->Free();
  EXPECT_EQ(Receivers(edit, Notice::NoticeRemove), (std::vector<std::string>{"Form", "L"}));
  EXPECT_EQ(form->Edit1, nullptr);
  EXPECT_EQ(form->ComponentCount(), 1);
  form->Free();
}

TEST_F(ComponentTest, PartnersOfDifferentOwnersHearOfEachOthersDestruction) {
  TOwnerWithFields* left = Make<TOwnerWithFields>(nullptr, "Left");
  TOwnerWithFields* right = Make<TOwnerWithFields>(nullptr, "Right");
  TListener* a = Make<TListener>(left, "A");
  TListener* b = Make<TListener>(right, "B");
  a->WatchFree(b);
  EXPECT_TRUE(a->Has(ComponentState::WatchedFree));
  EXPECT_TRUE(b->Has(ComponentState::WatchedFree));
  notices_.clear();
  b->Free();
  EXPECT_EQ(std::ranges::count(Receivers(b, Notice::NoticeRemove), "A"), 1);
  // A no longer holds B: destroying A now must not touch the freed B (the sanitizers watch).
  left->Free();
  right->Free();
}

TEST_F(ComponentTest, ComponentsOfOneOwnerAreNeverPartners) {
  TOwnerWithFields* form = Make<TOwnerWithFields>(nullptr, "Form");
  TListener* a = Make<TListener>(form, "A");
  TListener* b = Make<TListener>(form, "B");
  a->WatchFree(b);
  EXPECT_TRUE(a->Has(ComponentState::WatchedFree));
  EXPECT_FALSE(b->Has(ComponentState::WatchedFree));
  notices_.clear();
  b->Free();
  // Once, through the owner, not again as a partner.
  EXPECT_EQ(std::ranges::count(Receivers(b, Notice::NoticeRemove), "A"), 1);
  form->Free();
}

TEST_F(ComponentTest, UnwatchFreeDropsThePairFromBothSides) {
  TListener* a = Make<TListener>(nullptr, "A");
  TListener* b = Make<TListener>(nullptr, "B");
  a->WatchFree(b);
  b->UnwatchFree(a);
  notices_.clear();
  b->Free();
  EXPECT_TRUE(notices_.empty());
  a->Free();
}

TEST_F(ComponentTest, PartnerWhoseNotifyIgnoresTheNoticeDoesNotHangDestruction) {
  TDeaf* deaf = New<TDeaf>(nullptr);
  TListener* other = Make<TListener>(nullptr, "Other");
  other->WatchFree(deaf);
  other->Free();
  deaf->Free();
}

// --- Destruction --------------------------------------------------------------------------

TEST_F(ComponentTest, OwnedComponentsAreDestroyedLastFirst) {
  TQuiet* owner = Make<TQuiet>(nullptr, "Owner");
  Make<TQuiet>(owner, "A");
  Make<TQuiet>(owner, "B");
  Make<TQuiet>(owner, "C");
  owner->Free();
  EXPECT_EQ(destroyed_, (std::vector<std::string>{"C", "B", "A", "Owner"}));
}

TEST_F(ComponentTest, OnlyWatchedComponentsAnnounceTheirRemovalWhileTheOwnerDies) {
  TOwnerWithFields* form = Make<TOwnerWithFields>(nullptr, "Form");
  TListener* watched = Make<TListener>(form, "Watched");
  TListener* silent = Make<TListener>(form, "Silent");
  TListener* elsewhere = Make<TListener>(nullptr, "Elsewhere");
  watched->WatchFree(elsewhere);
  notices_.clear();
  form->Free();
  EXPECT_EQ(std::ranges::count(Receivers(watched, Notice::NoticeRemove), "Form"), 1);
  EXPECT_EQ(std::ranges::count(Receivers(silent, Notice::NoticeRemove), "Form"), 0);
  elsewhere->Free();
}

TEST_F(ComponentTest, EverythingOwnedIsMarkedDestroyingBeforeAnyDestructorRuns) {
  TOwnerWithFields* form = Make<TOwnerWithFields>(nullptr, "Form");
  TListener* child = Make<TListener>(form, "Child");
  TListener* grandchild = Make<TListener>(child, "Grandchild");
  bool sawMarks = false;
  TProbe* probe = New<TProbe>(form);
  probe->check = [&] {
    sawMarks = form->Has(ComponentState::Destroying) && child->Has(ComponentState::Destroying) &&
               grandchild->Has(ComponentState::Destroying);
  };
  form->Free();
  EXPECT_TRUE(sawMarks);
}

}  // namespace

}  // namespace sx
