// TReader: the root record, object bodies, child records and the references of one body.

#include "framework/streaming/Reader.h"

#include <utility>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Synchronizer.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/ClassRegistry.h"
#include "framework/streaming/Component.h"
#include "framework/streaming/Fixups.h"
#include "framework/streaming/Loader.h"

namespace sx {

constinit const ClassInfo TReader::StaticClass{.name = "TReader",
                                               .parent = &TValueReader::StaticClass};

namespace {

// A process-wide resolution whose every failure a hook declares handled would be retried
// for ever; after this many attempts the last error goes on.
constexpr int kGlobalResolveAttempts = 3;

}  // namespace

TReader::TReader(TStream& stream, int bufferSize) : TValueReader(stream, bufferSize) {}

// --- The root -------------------------------------------------------------------------------

void TReader::AssignRoot(TComponent* root) {
  root_ = root;
}

TComponent* TReader::LoadRoot(TComponent* root) {
  CheckSignature();
  ScopedWrite nameSpace(GlobalNameSpace());

  TComponent* const savedRoot = root_;
  TComponent* const savedLookupRoot = lookupRoot_;
  TComponent* const savedOwner = owner_;
  TAfterLoadList* const savedAfterLoad = afterLoad_;
  TClassFinder* const savedFinder = classFinder_;
  Finally restore([&] {
    root_ = savedRoot;
    lookupRoot_ = savedLookupRoot;
    owner_ = savedOwner;
    afterLoad_ = savedAfterLoad;
    classFinder_ = savedFinder;
  });

  TComponent* created = nullptr;
  TAfterLoadList* const batch = CurrentLoadBatch();
  const std::size_t batchMark = batch ? batch->Size() : 0;
  const Rollback undo([&] {
    if (root) {
      RemoveGlobalFixups(root);
      root->ChangeState(ComponentState::Reading, false);
    }
    if (created) {
      // Whatever the batch collected from this load goes with the root.
      if (batch) batch->Truncate(batchMark);
      created->Free();
    }
  });
  PrefixFlags flags;
  std::int32_t position;
  ReadObjectPrefix(flags, position);
  if (root) {
    // The stored class name is not checked against the root's class.
    ReadShortText();
    if (root->Has(ComponentState::Designing)) {
      ReadShortText();
    } else {
      root->ChangeState(ComponentState::Loading, true);
      root->ChangeState(ComponentState::Reading, true);
      root->SetName(MakeUniqueName(ReadShortText()));
    }
  } else {
    const std::string className = ReadShortText();
    const ClassInfo* rootClass = GetPersistentClass(className);
    if (!rootClass || !rootClass->InheritsFrom(TComponent::StaticClass) || !rootClass->construct)
      throw EClassNotFound(Format(LoadText(TextId::SClassNotFound), {className}));
    created = root = rootClass->construct(nullptr);
    root->SetName(ReadShortText());
  }

  AssignRoot(root);
  TClassFinder finder(&root->ClassType(), true);
  classFinder_ = &finder;
  lookupRoot_ = root;

  TAfterLoadList privateList;
  afterLoad_ = batch ? batch : &privateList;
  afterLoad_->Add(root);
  owner_ = root;
  root->ChangeState(ComponentState::Loading, true);
  root->ChangeState(ComponentState::Reading, true);
  root->LoadState(*this);
  root->ChangeState(ComponentState::Reading, false);

  // With a batch open, the batch's owner calls AfterLoad once every root is read.
  if (!batch) privateList.NotifyAll();
  afterLoad_ = nullptr;
  classFinder_ = nullptr;

  for (int attempt = 1;; ++attempt) {
    try {
      ResolveGlobalFixups();
      break;
    } catch (const Exception& e) {
      if (attempt >= kGlobalResolveAttempts || !OfferError(e.Message())) throw;
    }
  }
  return root;
}

// --- Bodies ---------------------------------------------------------------------------------

void TReader::LoadBody(TComponent* instance) {
  if (fixups_) {
    LoadBodyParts(instance);
    return;
  }
  // The outermost body collects the references of everything inside it.
  std::vector<TPropFixup> fixups;
  fixups_ = &fixups;
  Finally release([&] { fixups_ = nullptr; });
  LoadBodyParts(instance);
  ResolveLocalFixups();
}

void TReader::LoadBodyParts(TComponent* instance) {
  while (!AtListEnd())
    LoadEntry(instance);
  ExpectListEnd();

  TComponent* const savedParent = parent_;
  TComponent* const savedOwner = owner_;
  Finally restore([&] {
    parent_ = savedParent;
    owner_ = savedOwner;
  });
  parent_ = instance->ChildParent();
  owner_ = instance->ChildOwner();
  if (!owner_) owner_ = root_;
  while (!AtListEnd())
    LoadChild();
  ExpectListEnd();
}

// --- Child records --------------------------------------------------------------------------

void TReader::LoadChild() {
  NestingScope nested(*this);
  PrefixFlags flags;
  std::int32_t position;
  ReadObjectPrefix(flags, position);
  const std::string className = ReadShortText();
  const std::string name = ReadShortText();

  TComponent* const savedParent = parent_;
  TComponent* const savedLookupRoot = lookupRoot_;
  Finally restore([&] {
    parent_ = savedParent;
    lookupRoot_ = savedLookupRoot;
  });
  const std::size_t afterLoadMark = afterLoad_ ? afterLoad_->Size() : 0;
  const std::size_t fixupMark = fixups_ ? fixups_->size() : 0;
  const bool inherited = flags.Contains(PrefixFlag::Inherited);

  TComponent* component = nullptr;
  bool created = false;
  try {
    // Runs before the handlers below: the record is skipped once the component is gone.
    const Rollback destroy([&] {
      if (created) DestroyCreated(component, afterLoadMark, fixupMark);
    });
    if (inherited) {
      component = FindInherited(name, className);
      TComponent* parent = component->LoadParent();
      parent_ = parent ? parent : root_;
    } else {
      const ClassInfo& childClass = FindChildClass(className);
      if (CreateHook) CreateHook(*this, childClass, component);
      if (!component) {
        TComponentState initial;
        if (flags.Contains(PrefixFlag::Inline))
          initial = {ComponentState::Loading, ComponentState::Inline};
        SetPendingComponentState(initial.Mask());
        Finally clearPending([] { TakePendingComponentState(); });
        component = childClass.construct(owner_);
      }
      created = true;
      component->ChangeState(ComponentState::Loading, true);
    }
    component->ChangeState(ComponentState::Loading, true);
    if (!inherited) {
      component->SetLoadParent(parent_);
      NameChild(component, name);
    }
  } catch (const Exception& e) {
    SkipObjectRecord(false);
    if (OfferError(e.Message())) return;
    throw;
  }

  const Rollback undo([&] {
    if (created)
      DestroyCreated(component, afterLoadMark, fixupMark);
    else
      component->ChangeState(ComponentState::Reading, false);
  });
  if (component->Has(ComponentState::Inline)) lookupRoot_ = component;
  component->ChangeState(ComponentState::Reading, true);
  component->LoadState(*this);
  component->ChangeState(ComponentState::Reading, false);
  if (flags.Contains(PrefixFlag::ChildPos) && parent_)
    parent_->SetChildPosition(component, position);
  // Added only after its own children, so that they finish before it does.
  if (afterLoad_) afterLoad_->Add(component);
}

void TReader::DestroyCreated(TComponent* component, std::size_t afterLoadMark,
                             std::size_t fixupMark) {
  // What was read into the component (and into everything inside it) goes with it.
  if (afterLoad_) afterLoad_->Truncate(afterLoadMark);
  if (fixups_ && fixups_->size() > fixupMark)
    fixups_->erase(fixups_->begin() + static_cast<std::ptrdiff_t>(fixupMark), fixups_->end());
  component->Free();
}

const ClassInfo& TReader::FindChildClass(const std::string& className) {
  const ClassInfo* found = nullptr;
  if (root_) found = root_->ClassType().FindFieldClass(className, &TPersistent::StaticClass);
  if (!found && lookupRoot_ && lookupRoot_ != root_)
    found = lookupRoot_->ClassType().FindFieldClass(className, &TPersistent::StaticClass);
  if (!found) found = classFinder_ ? classFinder_->Find(className) : GetPersistentClass(className);
  if (FindClassHook) FindClassHook(*this, className, found);
  if (!found || !found->InheritsFrom(TComponent::StaticClass) || !found->construct)
    throw EClassNotFound(Format(LoadText(TextId::SClassNotFound), {className}));
  return *found;
}

TComponent* TReader::FindInherited(const std::string& name, const std::string& className) {
  TComponent* found = lookupRoot_ ? lookupRoot_->FindOwned(name) : nullptr;
  if (!found && AncestorMissingHook) AncestorMissingHook(*this, name, className, found);
  if (!found) throw EReadError(Format(LoadText(TextId::SAncestorNotFound), {name}));
  return found;
}

void TReader::NameChild(TComponent* component, std::string name) {
  if (SetNameHook) SetNameHook(*this, component, name);
  component->SetName(name);
  if (component->Has(ComponentState::Designing) && FindGlobalByName(name) == component)
    component->ChangeState(ComponentState::Inline, true);
}

std::string TReader::MapReferenceName(std::string name) {
  if (ReferenceNameHook) ReferenceNameHook(*this, name);
  return name;
}

bool TReader::OfferError(const std::string& message) {
  bool handled = false;
  if (ErrorHook) ErrorHook(*this, message, handled);
  return handled;
}

// --- The references of one body ---------------------------------------------------------------

void TReader::ResolveLocalFixups() {
  if (!fixups_) return;
  std::vector<TPropFixup>& list = *fixups_;
  // A setter may not add to the list, but indexes stay valid even if it did.
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TPropFixup fixup = list[i];
    const std::string name = MapReferenceName(fixup.name);
    TComponent* found = FindNested(fixup.root, name);
    RemoveGlobalFixup(fixup.instance, fixup.property);
    if (found) {
      StoreReference(fixup, found);
    } else if (const std::size_t dot = name.find('.'); dot != std::string::npos) {
      TPropFixup waiting = fixup;
      waiting.rootName = name.substr(0, dot);
      waiting.name = name.substr(dot + 1);
      AddGlobalFixup(std::move(waiting));
    } else {
      StoreReference(fixup, nullptr);
    }
  }
  list.clear();
}

}  // namespace sx
