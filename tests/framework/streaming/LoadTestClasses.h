#pragma once

// Small component classes with a published property of every kind the loader reads, for
// the loader's tests, its fuzz target and its benchmark.

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/runtime/Set.h"
#include "framework/streaming/Collection.h"
#include "framework/streaming/Component.h"
#include "framework/streaming/Reader.h"

namespace sx::testing {

enum class SampleKind : std::uint8_t { skAlpha, skBeta, skGamma };
using SampleKinds = Set<SampleKind, std::uint32_t>;

extern const TypeInfo TypeInfo_SampleKind;
extern const TypeInfo TypeInfo_SampleKinds;
constexpr const TypeInfo* TypeInfoOf(std::type_identity<SampleKind>) {
  return &TypeInfo_SampleKind;
}
constexpr const TypeInfo* TypeInfoOf(std::type_identity<SampleKinds>) {
  return &TypeInfo_SampleKinds;
}

// An integer type of its own with an identifier map ("shRed" 1, "shGreen" 2, "shBlue" 3),
// registered by RegisterSampleClasses.
extern const TypeInfo TypeInfo_SampleShade;
// An integer type without an identifier map.
extern const TypeInfo TypeInfo_SampleCount;
// A boolean-like enumeration whose lowest ordinal is negative.
extern const TypeInfo TypeInfo_SampleLongBool;
// The currency and short string types, as the samples' properties use them.
extern const TypeInfo TypeInfo_SampleCurrency;
extern const TypeInfo TypeInfo_SampleShortString;
// The interface that TSample components answer, and the type of a property holding it.
extern const InterfaceInfo SampleService;
extern const TypeInfo TypeInfo_SampleService;

// Everything the samples do that a test looks at afterwards.
struct SampleLog {
  std::vector<std::string> afterLoad;  // names, in AfterLoad order
  std::vector<std::string> destroyed;  // names, in destruction order
  std::vector<std::string> events;     // handler calls, "handler:sender[:value]"
  int live = 0;                        // TSample objects alive
  int liveItems = 0;                   // TSampleItem objects alive
};
extern SampleLog* g_sampleLog;

class TSample;

// An object reached through a dotted path ("Inner.Size"); its Link may wait for another root
// like a component's.
class TSampleInner : public TPersistent {
  SX_CLASS(TSampleInner)

  std::int32_t Size() const { return size_; }
  void SetSize(std::int32_t size) { size_ = size; }
  const std::string& Label() const { return label_; }
  void SetLabel(const std::string& label) { label_ = label; }
  TSample* Link() const { return link_; }
  void SetLink(TSample* link) { link_ = link; }

 private:
  std::int32_t size_ = 0;
  std::string label_;
  TSample* link_ = nullptr;
};

// An object that is not persistent, so no path leads through it.
class TSamplePlain : public TObject {
  SX_CLASS(TSamplePlain)
};

class TSampleItem : public TCollectionItem {
  SX_CLASS(TSampleItem)

  explicit TSampleItem(TCollection* collection);
  ~TSampleItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  std::int32_t Value() const { return value_; }
  void SetValue(std::int32_t value) { value_ = value; }
  TSample* Link() const { return link_; }
  void SetLink(TSample* link) { link_ = link; }

 private:
  std::string caption_;
  std::int32_t value_ = 0;
  TSample* link_ = nullptr;
};

class TSampleItems : public TCollection {
  SX_CLASS(TSampleItems)

  explicit TSampleItems(TPersistent* owner);
  TSampleItem* At(int index) const { return static_cast<TSampleItem*>(Item(index)); }
  int updates = 0;  // Update calls

 protected:
  void Update(TCollectionItem* item) override;
};

// A component with a published property of every kind.
class TSample : public TComponent {
  SX_CLASS(TSample)

  explicit TSample(TComponent* owner);
  ~TSample() override;
  void TearDown() override;

  std::int32_t IntValue() const { return int_; }
  void SetIntValue(std::int32_t v) { int_ = v; }
  std::uint8_t ByteValue() const { return byte_; }
  void SetByteValue(std::uint8_t v) { byte_ = v; }
  std::int32_t Shade() const { return shade_; }
  void SetShade(std::int32_t v) { shade_ = v; }
  std::int32_t Count() const { return count_; }
  void SetCount(std::int32_t v) { count_ = v; }
  char Letter() const { return letter_; }
  void SetLetter(char v) { letter_ = v; }
  SampleKind Kind() const { return kind_; }
  void SetKind(SampleKind v) { kind_ = v; }
  bool Flag() const { return flag_; }
  void SetFlag(bool v) { flag_ = v; }
  std::int32_t LongFlag() const { return longFlag_; }
  void SetLongFlag(std::int32_t v) { longFlag_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  float Small() const { return small_; }
  void SetSmall(float v) { small_ = v; }
  double Money() const { return money_; }
  void SetMoney(double v) { money_ = v; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v) { text_ = v; }
  const std::string& Short() const { return short_; }
  void SetShort(const std::string& v) { short_ = v; }
  const std::u16string& Wide() const { return wide_; }
  void SetWide(const std::u16string& v) { wide_ = v; }
  SampleKinds Kinds() const { return kinds_; }
  void SetKinds(SampleKinds v) { kinds_ = v; }
  TSample* Link() const { return link_; }
  // Raises "poisoned" for a component named "Poison".
  void SetLink(TSample* v);
  TComponent* Any() const { return any_; }
  void SetAny(TComponent* v) { any_ = v; }
  TSampleItems* Items() const { return items_; }
  void SetItems(TSampleItems* v) { items_->Assign(v); }
  TSampleInner* Inner() const { return inner_; }
  void SetInner(TSampleInner* v) { inner_->Assign(v); }
  TSamplePlain* Plain() const { return plain_; }
  TNotifyEvent OnChange() const { return onChange_; }
  void SetOnChange(TNotifyEvent v) { onChange_ = v; }
  Event<TObject*, std::int32_t> OnValue() const { return onValue_; }
  void SetOnValue(Event<TObject*, std::int32_t> v) { onValue_ = v; }
  InterfacePtr Service() const { return service_; }
  void SetService(InterfacePtr v) { service_ = v; }
  const Variant& Data() const { return data_; }
  void SetData(const Variant& v) { data_ = v; }
  std::int64_t Big() const { return big_; }
  void SetBig(std::int64_t v) { big_ = v; }
  char16_t WideLetter() const { return wideLetter_; }
  void SetWideLetter(char16_t v) { wideLetter_ = v; }
  std::int32_t Fixed() const { return 7; }
  TSample* Sub() const { return sub_; }
  // Raises "refused" for a negative value, as a setter that checks its value does.
  std::int32_t Checked() const { return checked_; }
  void SetChecked(std::int32_t v);

  // A stored, unpublished value ("Extra") and binary block ("Blob").
  std::int32_t extra = 0;
  std::vector<std::uint8_t> blob;
  // Lets the sample own a subcomponent exposed through the read-only property "Sub".
  void MakeSub();

  void* QueryInterface(const InterfaceInfo& type) override;
  void AfterLoad() override;
  void DefineStoredData(TFiler& filer) override;
  TComponent* LoadParent() const override { return loadParent; }
  void SetLoadParent(TComponent* parent) override { loadParent = parent; }
  void SetChildPosition(TComponent* child, int position) override;

  TComponent* loadParent = nullptr;
  std::vector<std::pair<TComponent*, int>> childPositions;
  // The state the component had when its constructor ran.
  TComponentState constructedState;
  // Raised from AfterLoad when set, to test failures after the body.
  bool failAfterLoad = false;

 private:
  std::int32_t int_ = 0;
  std::uint8_t byte_ = 0;
  std::int32_t shade_ = 0;
  std::int32_t count_ = 0;
  char letter_ = 0;
  SampleKind kind_ = SampleKind::skAlpha;
  bool flag_ = false;
  std::int32_t longFlag_ = 0;
  double ratio_ = 0;
  float small_ = 0;
  double money_ = 0;
  std::string text_;
  std::string short_;
  std::u16string wide_;
  SampleKinds kinds_;
  TSample* link_ = nullptr;
  TComponent* any_ = nullptr;
  TSampleItems* items_;
  TSampleInner* inner_;
  TSamplePlain* plain_;
  TNotifyEvent onChange_;
  Event<TObject*, std::int32_t> onValue_;
  InterfacePtr service_;
  Variant data_;
  std::int64_t big_ = 0;
  char16_t wideLetter_ = 0;
  TSample* sub_ = nullptr;
  std::int32_t checked_ = 0;
};

// A container: the components stored inside it get it as parent.
class TSamplePanel : public TSample {
  SX_CLASS(TSamplePanel)
  using TSample::TSample;
};

// A container that also owns what is stored inside it, so that those components go when it
// goes.
class TSampleBox : public TSample {
  SX_CLASS(TSampleBox)
  using TSample::TSample;
  TComponent* ChildOwner() override { return this; }
};

// A class that no root declares; only the registry can make it.
class TSampleLone : public TSample {
  SX_CLASS(TSampleLone)
  using TSample::TSample;
};

// A persistent class that is not a component.
class TSampleNotComponent : public TPersistent {
  SX_CLASS(TSampleNotComponent)
};

// A root as a form is one: published fields for its components and handlers by name.
class TSampleRoot : public TSample {
  SX_CLASS(TSampleRoot)
  using TSample::TSample;

  void HandleChange(TObject* sender);
  void HandleValue(TObject* sender, std::int32_t value);

  TSample* Child1 = nullptr;
  TSample* Child2 = nullptr;
  TSamplePanel* Panel1 = nullptr;
};

// A second root class for references across roots.
class TSampleOtherRoot : public TSampleRoot {
  SX_CLASS(TSampleOtherRoot)
  using TSampleRoot::TSampleRoot;
};

// Registers the identifier map and the classes a definition may name without a root
// declaring them (TSampleRoot, TSampleOtherRoot, TSampleLone, TSampleNotComponent); once.
void RegisterSampleClasses();

}  // namespace sx::testing
