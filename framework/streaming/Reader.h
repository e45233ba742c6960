#pragma once

// TReader: loads components from the binary definition format. It stands on the value
// decoding of TValueReader and adds what belongs to components: the root and owner of what
// it creates, the stored properties each entry names, the references that wait for the end
// of a body, and the hooks that let a caller steer loading.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/streaming/Reflection.h"
#include "framework/streaming/ValueReader.h"

namespace sx {

class TAfterLoadList;
class TClassFinder;
class TCollection;
class TComponent;
class TPersistent;
class TStream;
struct TPropFixup;

class TReader : public TValueReader {
  SX_CLASS(TReader)

  TReader(TStream& stream, int bufferSize = kDefaultBufferSize);

  // --- Defined properties -----------------------------------------------------------------
  // The last path segment of the entry being read; a matching DefineStored or
  // DefineStoredBinary reads the entry's value and clears it.
  const std::string& CurrentPropertyName() const { return currentPropertyName_; }
  void SetCurrentPropertyName(std::string name) { currentPropertyName_ = std::move(name); }
  void DefineStored(std::string_view name, const ReaderProc& read, bool hasData) override;
  void DefineStoredBinary(std::string_view name, const BinaryReaderProc& read,
                          bool hasData) override;

  // --- Loading ----------------------------------------------------------------------------
  // Loading creates, names and fills components from the records and entries the decoder
  // reads. Errors of one entry come wrapped as "Error reading %s%s%s: %s"; when loading
  // fails, what this reader created is destroyed and its pending references are dropped.

  // Hooks; none is needed for ordinary loading. Each may leave its out-parameter alone.
  // Supplies a method for a handler name the root does not publish.
  using FindHandlerHookType =
      Event<TReader&, const std::string& /*name*/, const MethodInfo*& /*method*/>;
  // May change the name a loaded component is given.
  using SetNameHookType = Event<TReader&, TComponent* /*component*/, std::string& /*name*/>;
  // May change the name a stored reference is looked up by.
  using ReferenceNameHookType = Event<TReader&, std::string& /*name*/>;
  // Supplies the component for an inherited record that names no existing one.
  using AncestorMissingHookType =
      Event<TReader&, const std::string& /*name*/, const std::string& /*className*/,
            TComponent*& /*component*/>;
  // Decides whether an error is passed over (handled) and loading goes on.
  using ErrorHookType = Event<TReader&, const std::string& /*message*/, bool& /*handled*/>;
  // May replace the class found for a child record.
  using FindClassHookType =
      Event<TReader&, const std::string& /*className*/, const ClassInfo*& /*found*/>;
  // May create the component of a child record itself.
  using CreateHookType = Event<TReader&, const ClassInfo& /*cls*/, TComponent*& /*component*/>;

  FindHandlerHookType FindHandlerHook;
  SetNameHookType SetNameHook;
  ReferenceNameHookType ReferenceNameHook;
  AncestorMissingHookType AncestorMissingHook;
  ErrorHookType ErrorHook;
  FindClassHookType FindClassHook;
  CreateHookType CreateHook;

  // Reads a whole definition (signature and root record) into the root and returns it.
  // Without a root, one is made from the stored class name through the class registry,
  // owned by nobody; it is freed again when loading fails.
  TComponent* LoadRoot(TComponent* root = nullptr);
  // Reads one object body (entries, then children) into the instance. The outermost body
  // resolves the references stored in it once it has been read.
  void LoadBody(TComponent* instance);
  // Reads one property entry of the instance.
  void LoadEntry(TPersistent* instance);
  // Reads one child record: creates (or, for an inherited record, finds) the component,
  // places and names it, and reads its body.
  void LoadChild();
  // Reads one value into a published property of the object.
  void AssignValue(TPersistent* object, const PropInfo& property);
  // A value stored for a variant property.
  Variant ReadVariantValue();
  // The class of a child record: the field classes of the root (and of the lookup root),
  // then the registered classes. EClassNotFound "Class %s not found" unless it is a
  // component class that can be made.
  const ClassInfo& FindChildClass(const std::string& className);
  // Resolves the references of the outermost body, in the order they were read.
  void ResolveLocalFixups();
  // "Error reading %s%s%s: %s" about the instance's entry at `path`, around the cause.
  static std::string EntryErrorMessage(const TPersistent* instance, const std::string& path,
                                       const std::string& cause);

  TComponent* Root() const { return root_; }
  TComponent* LookupRoot() const { return lookupRoot_; }
  // Owner and parent given to the components the reader creates.
  TComponent* Owner() const { return owner_; }
  void SetOwner(TComponent* owner) { owner_ = owner; }
  TComponent* Parent() const { return parent_; }
  void SetParent(TComponent* parent) { parent_ = parent; }

  // Overridable steps.
  virtual void AssignRoot(TComponent* root);
  // ErrorHook's answer; false without a hook.
  virtual bool OfferError(const std::string& message);
  virtual TComponent* FindInherited(const std::string& name, const std::string& className);
  virtual const MethodInfo* FindHandler(TComponent* root, const std::string& name);
  virtual void NameChild(TComponent* component, std::string name);
  virtual std::string MapReferenceName(std::string name);

 private:
  void LoadBodyParts(TComponent* instance);
  void LoadCollection(TCollection& collection);
  void QueueReference(TPersistent* object, const PropInfo& property, std::string name);
  void DestroyCreated(TComponent* component, std::size_t afterLoadMark, std::size_t fixupMark);

  TComponent* root_ = nullptr;
  TComponent* lookupRoot_ = nullptr;
  TComponent* owner_ = nullptr;
  TComponent* parent_ = nullptr;
  // Pending references; present only while the outermost body is read.
  std::vector<TPropFixup>* fixups_ = nullptr;
  TAfterLoadList* afterLoad_ = nullptr;
  TClassFinder* classFinder_ = nullptr;
  std::string entryPath_;  // the entry being read, as stored
  bool canRecover_ = false;

 protected:
  std::string currentPropertyName_;
};

}  // namespace sx
