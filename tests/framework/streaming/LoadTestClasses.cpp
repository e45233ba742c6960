#include "tests/framework/streaming/LoadTestClasses.h"

#include <limits>
#include <mutex>

#include "framework/runtime/Exception.h"
#include "framework/streaming/ClassRegistry.h"
#include "framework/streaming/IdentMap.h"
#include "framework/streaming/Stream.h"

namespace sx::testing {

SampleLog* g_sampleLog = nullptr;

namespace {

constexpr const char* kKindNames[] = {"skAlpha", "skBeta", "skGamma"};

constexpr IdentEntry kShades[] = {{"shRed", 1}, {"shGreen", 2}, {"shBlue", 3}};

std::optional<std::int32_t> ShadeToValue(std::string_view ident) {
  return IdentToValue(kShades, ident);
}
std::optional<std::string> ShadeToIdent(std::int32_t value) {
  return ValueToIdent(kShades, value);
}

std::string NameOf(const TObject* object) {
  if (!object) return "nil";
  if (object->InheritsFrom(TComponent::StaticClass))
    return static_cast<const TComponent*>(object)->Name();
  return std::string(object->ClassName());
}

}  // namespace

constinit const TypeInfo TypeInfo_SampleKind = EnumType("TSampleKind", kKindNames);
constinit const TypeInfo TypeInfo_SampleKinds = SetType("TSampleKinds", &TypeInfo_SampleKind);
constinit const TypeInfo TypeInfo_SampleShade =
    IntegerType("TSampleShade", OrdType::SLong, std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max());
constinit const TypeInfo TypeInfo_SampleCount =
    IntegerType("TSampleCount", OrdType::SLong, std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max());
constinit const TypeInfo TypeInfo_SampleLongBool{
    .name = "TSampleLongBool",
    .kind = TypeKind::Enumeration,
    .ordType = OrdType::SLong,
    .minValue = std::numeric_limits<std::int32_t>::min(),
    .maxValue = std::numeric_limits<std::int32_t>::max()};
// Copies of the basic currency and short string types: g++ does not treat the address of a
// variable defined in another unit as a constant that can be tested against null.
constinit const TypeInfo TypeInfo_SampleCurrency{
    .name = "Currency", .kind = TypeKind::Float, .floatType = FloatType::Currency};
constinit const TypeInfo TypeInfo_SampleShortString{.name = "ShortString",
                                                    .kind = TypeKind::ShortString};
constinit const InterfaceInfo SampleService{"ISampleService"};
constinit const TypeInfo TypeInfo_SampleService{
    .name = "ISampleService", .kind = TypeKind::Interface, .interfaceType = &SampleService};

namespace {

constexpr PropInfo kInnerProperties[] = {
    Property<&TSampleInner::Size, &TSampleInner::SetSize>("Size"),
    Property<&TSampleInner::Label, &TSampleInner::SetLabel>("Label"),
    Property<&TSampleInner::Link, &TSampleInner::SetLink>("Link"),
};

constexpr PropInfo kItemProperties[] = {
    Property<&TSampleItem::Caption, &TSampleItem::SetCaption>("Caption"),
    Property<&TSampleItem::Value, &TSampleItem::SetValue>("Value"),
    Property<&TSampleItem::Link, &TSampleItem::SetLink>("Link"),
};

constexpr PropInfo kSampleProperties[] = {
    Property<&TSample::IntValue, &TSample::SetIntValue>("IntValue"),
    Property<&TSample::ByteValue, &TSample::SetByteValue>("ByteValue"),
    Property<&TSample::Shade, &TSample::SetShade>("Shade", &TypeInfo_SampleShade),
    Property<&TSample::Count, &TSample::SetCount>("Count", &TypeInfo_SampleCount),
    Property<&TSample::Letter, &TSample::SetLetter>("Letter"),
    Property<&TSample::Kind, &TSample::SetKind>("Kind"),
    Property<&TSample::Flag, &TSample::SetFlag>("Flag"),
    Property<&TSample::LongFlag, &TSample::SetLongFlag>("LongFlag", &TypeInfo_SampleLongBool),
    Property<&TSample::Ratio, &TSample::SetRatio>("Ratio"),
    Property<&TSample::Small, &TSample::SetSmall>("Small"),
    Property<&TSample::Money, &TSample::SetMoney>("Money", &TypeInfo_SampleCurrency),
    Property<&TSample::Text, &TSample::SetText>("Text"),
    Property<&TSample::Short, &TSample::SetShort>("Short", &TypeInfo_SampleShortString),
    Property<&TSample::Wide, &TSample::SetWide>("Wide"),
    Property<&TSample::Kinds, &TSample::SetKinds>("Kinds"),
    Property<&TSample::Link, &TSample::SetLink>("Link"),
    Property<&TSample::Any, &TSample::SetAny>("Any"),
    Property<&TSample::Items, &TSample::SetItems>("Items"),
    Property<&TSample::Inner, &TSample::SetInner>("Inner"),
    Property<&TSample::Plain>("Plain"),
    Property<&TSample::OnChange, &TSample::SetOnChange>("OnChange"),
    Property<&TSample::OnValue, &TSample::SetOnValue>("OnValue"),
    Property<&TSample::Service, &TSample::SetService>("Service", &TypeInfo_SampleService),
    Property<&TSample::Data, &TSample::SetData>("Data"),
    Property<&TSample::Big, &TSample::SetBig>("Big"),
    Property<&TSample::WideLetter, &TSample::SetWideLetter>("WideLetter"),
    Property<&TSample::Fixed>("Fixed"),
    Property<&TSample::Sub>("Sub"),
    Property<&TSample::Checked, &TSample::SetChecked>("Checked"),
};

constexpr const ClassInfo* kRootFieldClasses[] = {&TSample::StaticClass, &TSamplePanel::StaticClass,
                                                  &TSampleBox::StaticClass};

constexpr FieldInfo kRootFields[] = {
    Field<&TSampleRoot::Child1>("Child1"),
    Field<&TSampleRoot::Child2>("Child2"),
    Field<&TSampleRoot::Panel1>("Panel1"),
};

constexpr MethodInfo kRootMethods[] = {
    Method<&TSampleRoot::HandleChange>("HandleChange"),
    Method<&TSampleRoot::HandleValue>("HandleValue"),
};

}  // namespace

constinit const ClassInfo TSampleInner::StaticClass{
    .name = "TSampleInner", .parent = &TPersistent::StaticClass, .properties = kInnerProperties};
constinit const ClassInfo TSamplePlain::StaticClass{.name = "TSamplePlain",
                                                    .parent = &TObject::StaticClass};
constinit const ClassInfo TSampleItem::StaticClass{
    .name = "TSampleItem", .parent = &TCollectionItem::StaticClass, .properties = kItemProperties};
constinit const ClassInfo TSampleItems::StaticClass{.name = "TSampleItems",
                                                    .parent = &TCollection::StaticClass};
constinit const ClassInfo TSample::StaticClass{.name = "TSample",
                                               .parent = &TComponent::StaticClass,
                                               .construct = &ConstructComponent<TSample>,
                                               .properties = kSampleProperties};
constinit const ClassInfo TSamplePanel::StaticClass{.name = "TSamplePanel",
                                                    .parent = &TSample::StaticClass,
                                                    .construct = &ConstructComponent<TSamplePanel>};
constinit const ClassInfo TSampleBox::StaticClass{.name = "TSampleBox",
                                                  .parent = &TSample::StaticClass,
                                                  .construct = &ConstructComponent<TSampleBox>};
constinit const ClassInfo TSampleLone::StaticClass{.name = "TSampleLone",
                                                   .parent = &TSample::StaticClass,
                                                   .construct = &ConstructComponent<TSampleLone>};
constinit const ClassInfo TSampleNotComponent::StaticClass{.name = "TSampleNotComponent",
                                                           .parent = &TPersistent::StaticClass};
constinit const ClassInfo TSampleRoot::StaticClass{.name = "TSampleRoot",
                                                   .parent = &TSample::StaticClass,
                                                   .construct = &ConstructComponent<TSampleRoot>,
                                                   .fields = kRootFields,
                                                   .fieldClasses = kRootFieldClasses,
                                                   .methods = kRootMethods};
constinit const ClassInfo TSampleOtherRoot::StaticClass{
    .name = "TSampleOtherRoot",
    .parent = &TSampleRoot::StaticClass,
    .construct = &ConstructComponent<TSampleOtherRoot>};

// --- TSampleItem ----------------------------------------------------------------------------

TSampleItem::TSampleItem(TCollection* collection) : TCollectionItem(collection) {
  if (g_sampleLog) ++g_sampleLog->liveItems;
}

TSampleItem::~TSampleItem() {
  if (g_sampleLog) --g_sampleLog->liveItems;
}

TSampleItems::TSampleItems(TPersistent* owner)
    : TCollection(TSampleItem::StaticClass, &TCollection::MakeItem<TSampleItem>, owner) {}

void TSampleItems::Update(TCollectionItem*) {
  ++updates;
}

// --- TSample --------------------------------------------------------------------------------

TSample::TSample(TComponent* owner)
    : TComponent(owner),
      items_(New<TSampleItems>(this)),
      inner_(New<TSampleInner>()),
      plain_(New<TSamplePlain>()) {
  constructedState = State();
  if (g_sampleLog) ++g_sampleLog->live;
}

TSample::~TSample() {
  if (g_sampleLog) --g_sampleLog->live;
}

void TSample::TearDown() {
  if (g_sampleLog) g_sampleLog->destroyed.push_back(Name());
  FreeAndNil(items_);
  FreeAndNil(inner_);
  FreeAndNil(plain_);
  TComponent::TearDown();
}

void TSample::SetLink(TSample* v) {
  if (g_sampleLog) g_sampleLog->events.push_back("link:" + Name() + "=" + NameOf(v));
  if (v && v->Name() == "Poison") throw EComponentError("poisoned");
  link_ = v;
}

void TSample::SetChecked(std::int32_t v) {
  if (v < 0) throw EConvertError("refused");
  checked_ = v;
}

void TSample::MakeSub() {
  sub_ = New<TSample>(this);
  sub_->ChangeStyle(ComponentStyle::SubComponent, true);
}

void* TSample::QueryInterface(const InterfaceInfo& type) {
  return &type == &SampleService ? this : nullptr;
}

void TSample::AfterLoad() {
  if (g_sampleLog) {
    g_sampleLog->afterLoad.push_back(Name());
    g_sampleLog->events.push_back("afterload:" + Name());
  }
  TComponent::AfterLoad();
  if (failAfterLoad) throw EInvalidOperation("after-load failed");
}

void TSample::DefineStoredData(TFiler& filer) {
  TComponent::DefineStoredData(filer);
  filer.DefineStored(
      "Extra", [this](TReader& reader) { extra = reader.ReadIntValue(); }, extra != 0);
  filer.DefineStoredBinary(
      "Blob",
      [this](TStream& data) {
        blob.resize(static_cast<std::size_t>(data.Size()));
        if (!blob.empty()) data.ReadBuffer(blob.data(), static_cast<std::int32_t>(blob.size()));
      },
      !blob.empty());
}

void TSample::SetChildPosition(TComponent* child, int position) {
  childPositions.emplace_back(child, position);
}

// --- TSampleRoot ----------------------------------------------------------------------------

void TSampleRoot::HandleChange(TObject* sender) {
  if (g_sampleLog) g_sampleLog->events.push_back("change:" + NameOf(sender));
}

void TSampleRoot::HandleValue(TObject* sender, std::int32_t value) {
  if (g_sampleLog)
    g_sampleLog->events.push_back("value:" + NameOf(sender) + ":" + std::to_string(value));
}

void RegisterSampleClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterIdentMap(TypeInfo_SampleShade, &ShadeToValue, &ShadeToIdent);
    RegisterPersistentClass(TSampleRoot::StaticClass);
    RegisterPersistentClass(TSampleOtherRoot::StaticClass);
    RegisterPersistentClass(TSampleLone::StaticClass);
    RegisterPersistentClass(TSampleNotComponent::StaticClass);
  });
}

}  // namespace sx::testing
