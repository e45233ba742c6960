// TReader: the entries of a definition: property paths, defined properties, values by type,
// collections, variants and the references that wait for the end of the body.

#include <cmath>
#include <unordered_set>
#include <vector>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Finally.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/TextUtil.h"
#include "framework/runtime/Texts.h"
#include "framework/streaming/Collection.h"
#include "framework/streaming/Component.h"
#include "framework/streaming/Fixups.h"
#include "framework/streaming/IdentMap.h"
#include "framework/streaming/Loader.h"
#include "framework/streaming/Reader.h"
#include "framework/streaming/Stream.h"

namespace sx {
namespace {

constexpr std::size_t kShortStringLength = 255;

[[noreturn]] void ThrowInvalidValue() {
  throw EReadError(LoadText(TextId::SInvalidPropertyValue));
}

// The object a class-typed property holds, or none.
TObject* HeldObject(const TPersistent& object, const PropInfo& property) {
  if (property.type->kind != TypeKind::Class) return nullptr;
  const PropValue value = property.Get(object);
  const auto* held = std::get_if<TObject*>(&value);
  return held ? *held : nullptr;
}

// A stored extended value brought to what the property's type can hold.
double ToFloatType(const Extended80& stored, FloatType type) {
  // A single is rounded from the stored value itself: through a double it would be rounded
  // twice, and a value just above a tie, or just above the largest single, would come out
  // one step off.
  if (type == FloatType::Single) return stored.ToSingle();
  const double value = stored.ToDouble();
  switch (type) {
    case FloatType::Comp:
      return std::isfinite(value) ? std::nearbyint(value) : value;
    case FloatType::Currency:
      return std::isfinite(value) ? std::nearbyint(value * 10000.0) / 10000.0 : value;
    case FloatType::Single:
    case FloatType::Double:
    case FloatType::Extended:
      break;
  }
  return value;
}

}  // namespace

// --- Entries --------------------------------------------------------------------------------

void TReader::LoadEntry(TPersistent* instance) {
  const std::string path = ReadShortText();
  // Collection items read their own entries inside this one.
  std::string outerPath = std::exchange(entryPath_, path);
  canRecover_ = true;
  try {
    TPersistent* current = instance;
    std::size_t start = 0;
    for (;;) {
      const std::size_t dot = path.find('.', start);
      const bool last = dot == std::string::npos;
      std::string segment = path.substr(start, last ? std::string::npos : dot - start);
      SetCurrentPropertyName(segment);
      const PropInfo* property = current->ClassType().FindProperty(segment);
      if (last) {
        if (property) {
          AssignValue(current, *property);
        } else {
          // A defined property may read the value however it likes; once it has begun,
          // nobody knows where the stream stands, so its errors cannot be passed over. An
          // empty segment ("Inner.") is no defined property's name.
          if (!segment.empty()) {
            canRecover_ = false;
            current->DefineStoredData(*this);
            canRecover_ = true;
          }
          if (segment.empty() || !CurrentPropertyName().empty()) {
            SkipOneValue();
            throw EReadError(Format(LoadText(TextId::SUnknownProperty), {segment}));
          }
        }
        break;
      }
      if (!property) {
        SkipOneValue();
        throw EReadError(Format(LoadText(TextId::SUnknownProperty), {segment}));
      }
      TObject* held = HeldObject(*current, *property);
      if (!held || !held->InheritsFrom(TPersistent::StaticClass)) {
        SkipOneValue();
        throw EReadError(LoadText(TextId::SInvalidPropertyPath));
      }
      current = static_cast<TPersistent*>(held);
      start = dot + 1;
    }
  } catch (const Exception& e) {
    entryPath_ = std::move(outerPath);
    const std::string message = EntryErrorMessage(instance, path, e.Message());
    if (canRecover_ && OfferError(message)) return;
    throw EReadError(message);
  }
  entryPath_ = std::move(outerPath);
}

std::string TReader::EntryErrorMessage(const TPersistent* instance, const std::string& path,
                                       const std::string& cause) {
  std::string name(instance->ClassName());
  if (instance->InheritsFrom(TComponent::StaticClass)) {
    const auto* component = static_cast<const TComponent*>(instance);
    if (!component->Name().empty()) name = component->Name();
  }
  return Format(LoadText(TextId::SPropertyException), {name, ".", path, cause});
}

// --- Defined properties -------------------------------------------------------------------

void TReader::DefineStored(std::string_view name, const ReaderProc& read, bool) {
  if (!read || currentPropertyName_.empty() || !SameText(name, currentPropertyName_)) return;
  read(*this);
  currentPropertyName_.clear();
}

void TReader::DefineStoredBinary(std::string_view name, const BinaryReaderProc& read, bool) {
  if (!read || currentPropertyName_.empty() || !SameText(name, currentPropertyName_)) return;
  ExpectTag(TagBinary);
  TMemoryStream data;
  CopyBytesTo(data, ReadLength());
  data.SetPosition(0);
  read(data);
  currentPropertyName_.clear();
}

void TReader::AssignValue(TPersistent* object, const PropInfo& property) {
  const TypeInfo& type = *property.type;
  if (!property.set) {
    const TObject* held = HeldObject(*object, property);
    const bool subComponent =
        held && held->InheritsFrom(TComponent::StaticClass) &&
        static_cast<const TComponent*>(held)->Style().Contains(ComponentStyle::SubComponent);
    if (!subComponent) {
      // Consumed first, so that a reader told to go on stands at the next entry.
      SkipOneValue();
      throw EReadError(LoadText(TextId::SReadOnlyProperty));
    }
  }
  auto store = [&](PropValue value) { property.set(*object, value); };

  switch (type.kind) {
    case TypeKind::Integer: {
      if (PeekTag() == TagIdent) {
        const std::string ident = ReadIdentValue();
        const std::optional<IdentMapEntry> map = FindIdentMap(type);
        const std::optional<std::int32_t> value = map ? map->toValue(ident) : std::nullopt;
        if (!value) ThrowInvalidValue();
        store(std::int64_t{*value});
      } else {
        store(std::int64_t{ReadIntValue()});
      }
      return;
    }
    case TypeKind::Char:
      store(std::int64_t{static_cast<unsigned char>(ReadCharValue())});
      return;
    case TypeKind::Enumeration: {
      const std::string ident = ReadIdentValue();
      std::int64_t ordinal;
      if (type.minValue < 0) {
        // Boolean-like types count true as -1 and take any other value as a number.
        if (SameText(ident, "False"))
          ordinal = 0;
        else if (SameText(ident, "True"))
          ordinal = -1;
        else
          ordinal = StrToInt(ident);
      } else if (!type.FindMember(ident, ordinal)) {
        ThrowInvalidValue();
      }
      store(ordinal);
      return;
    }
    case TypeKind::Float:
      store(ToFloatType(ReadExtendedValue(), type.floatType));
      return;
    case TypeKind::ShortString: {
      std::string text = ReadTextValue();
      if (text.size() > kShortStringLength) text.resize(kShortStringLength);
      store(std::move(text));
      return;
    }
    case TypeKind::LString:
      store(ReadTextValue());
      return;
    case TypeKind::WString:
      store(ReadWideTextValue());
      return;
    case TypeKind::Set:
      if (!type.elementType) {
        SkipOneValue();
        ThrowInvalidValue();
      }
      store(std::int64_t{ReadSetMask(*type.elementType)});
      return;
    case TypeKind::Class:
      switch (PeekTag()) {
        case TagNil:
          ReadTag();
          if (property.set) store(static_cast<TObject*>(nullptr));
          return;
        case TagCollection: {
          TObject* held = HeldObject(*object, property);
          if (!held || !held->InheritsFrom(TCollection::StaticClass)) {
            SkipOneValue();
            ThrowInvalidValue();
          }
          ReadTag();
          LoadCollection(*static_cast<TCollection*>(held));
          return;
        }
        default: {
          std::string name = ReadIdentValue();
          // A read-only property that holds a subcomponent keeps it: it has nowhere to take
          // another component through.
          if (property.set) QueueReference(object, property, std::move(name));
          return;
        }
      }
    case TypeKind::Method: {
      if (PeekTag() == TagNil) {
        ReadTag();
        store(TMethod{});
        return;
      }
      const std::string name = ReadIdentValue();
      const MethodInfo* method = root_ ? FindHandler(root_, name) : nullptr;
      // A method of another parameter list would be called with the wrong arguments.
      if (!method || method->signature != type.signature) ThrowInvalidValue();
      store(TMethod{method->code, root_});
      return;
    }
    case TypeKind::Interface:
      if (PeekTag() == TagNil) {
        ReadTag();
        store(InterfacePtr{});
        return;
      }
      QueueReference(object, property, ReadIdentValue());
      return;
    case TypeKind::Variant:
      store(ReadVariantValue());
      return;
    case TypeKind::Int64:
      store(ReadInt64Value());
      return;
    case TypeKind::None:
    case TypeKind::WChar:
    case TypeKind::Array:
    case TypeKind::Record:
    case TypeKind::DynArray:
      break;
  }
  // No stored form reaches properties of these kinds.
  SkipOneValue();
  ThrowInvalidValue();
}

const MethodInfo* TReader::FindHandler(TComponent* root, const std::string& name) {
  const MethodInfo* method = root ? root->ClassType().FindMethod(name) : nullptr;
  if (!method && FindHandlerHook) FindHandlerHook(*this, name, method);
  return method;
}

void TReader::QueueReference(TPersistent* object, const PropInfo& property, std::string name) {
  TPropFixup fixup{.instance = object,
                   .property = &property,
                   .root = root_,
                   .rootName = {},
                   .name = std::move(name),
                   .path = entryPath_};
  if (fixups_) {
    fixups_->push_back(std::move(fixup));
    return;
  }
  // Outside a body (an entry read on its own) the reference is resolved at once.
  std::vector<TPropFixup> single{std::move(fixup)};
  fixups_ = &single;
  const Finally release([this] { fixups_ = nullptr; });
  ResolveLocalFixups();
}

// --- Collections ----------------------------------------------------------------------------

void TReader::LoadCollection(TCollection& collection) {
  NestingScope nested(*this);
  collection.BeginUpdate();
  const Finally endUpdate([&collection] { collection.EndUpdate(); });
  // A failure leaves the stream somewhere inside the items; the entry that holds them cannot
  // be passed over.
  const Rollback unrecoverable([this] { canRecover_ = false; });
  // An empty stored list keeps the items the collection has; any item replaces them all.
  if (!AtListEnd() && collection.Count() > 0) {
    // References of this body still waiting for the old items would outlive them (the
    // process-wide ones go with the items themselves).
    std::unordered_set<const TPersistent*> doomed;
    for (int i = 0; i < collection.Count(); ++i)
      doomed.insert(collection.Item(i));
    if (fixups_)
      std::erase_if(*fixups_, [&](const TPropFixup& f) { return doomed.contains(f.instance); });
    collection.Clear();
  }
  while (!AtListEnd()) {
    const ValueTag next = PeekTag();
    // The order index is only informative: items come in stream order.
    if (next == TagInt8 || next == TagInt16 || next == TagInt32) ReadIntValue();
    TCollectionItem* item = collection.Add();
    ExpectListStart();
    while (!AtListEnd())
      LoadEntry(item);
    ExpectListEnd();
  }
  ExpectListEnd();
}

// --- Variants -------------------------------------------------------------------------------

Variant TReader::ReadVariantValue() {
  switch (PeekTag()) {
    case TagNull:
      ReadTag();
      return Variant::Null();
    case TagNil:
      ReadTag();
      return Variant();
    case TagInt8:
    case TagInt16:
    case TagInt32:
      return Variant::FromInteger(ReadIntValue());
    case TagInt64:
      return Variant::FromInt64(ReadInt64Value());
    case TagExtended:
      return Variant::FromDouble(ReadExtendedValue().ToDouble());
    case TagSingle:
      return Variant::FromSingle(ReadSingleValue());
    case TagCurrency:
      return Variant::FromCurrency(ReadCurrencyValue());
    case TagDate:
      return Variant::FromDate(ReadDateValue());
    case TagString:
    case TagLString:
      return Variant::FromString(ReadTextValue());
    case TagWString:
    case TagUtf8String:
      return Variant::FromWString(ReadWideTextValue());
    case TagFalse:
    case TagTrue:
      return Variant::FromBoolean(ReadBoolValue());
    case TagBinary: {
      ReadTag();
      std::string block;
      ReadBytesInto(block, ReadLength());
      // The block: the type's name as a stored text, then the length of the data and the data.
      const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(block.data()),
                                                block.size());
      TCustomMemoryStream stream(bytes);
      std::string typeName;
      std::span<const std::uint8_t> data;
      {
        TReader inner(stream);
        typeName = inner.ReadTextValue();
        const std::int32_t dataSize = inner.ReadLength();
        const std::int64_t offset = inner.Position();
        if (dataSize > static_cast<std::int64_t>(bytes.size()) - offset)
          throw EReadError(LoadText(TextId::SReadError));
        data = bytes.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(dataSize));
      }
      const CustomVariantReader reader = FindCustomVariantType(typeName);
      if (!reader) ThrowInvalidValue();
      std::shared_ptr<const CustomVariantValue> value = reader(typeName, data);
      if (!value) ThrowInvalidValue();
      return Variant::FromCustom(std::move(value));
    }
    default:
      break;
  }
  SkipOneValue();
  throw EReadError(LoadText(TextId::SReadError));
}

}  // namespace sx
