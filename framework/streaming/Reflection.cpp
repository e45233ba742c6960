#include "framework/streaming/Reflection.h"

#include <limits>

#include "framework/runtime/TextUtil.h"

namespace sx {
namespace {

constexpr const char* kBooleanMembers[] = {"False", "True"};

template <class Entry>
const Entry* FindByName(std::span<const Entry> entries, std::string_view name) {
  for (const Entry& entry : entries)
    if (SameText(entry.name, name)) return &entry;
  return nullptr;
}

// Field and method tables keep their names as short strings, so a longer name matches on
// its first 255 characters.
template <class Entry>
const Entry* FindByShortName(std::span<const Entry> entries, std::string_view name) {
  constexpr std::size_t kLongest = 255;
  const std::string_view wanted = name.substr(0, kLongest);
  for (const Entry& entry : entries)
    if (SameText(std::string_view(entry.name).substr(0, kLongest), wanted)) return &entry;
  return nullptr;
}

}  // namespace

constinit const TypeInfo TypeInfo_Boolean = EnumType("Boolean", kBooleanMembers);
constinit const TypeInfo TypeInfo_ShortInt = IntegerType("ShortInt", OrdType::SByte, -128, 127);
constinit const TypeInfo TypeInfo_Byte = IntegerType("Byte", OrdType::UByte, 0, 255);
constinit const TypeInfo TypeInfo_SmallInt = IntegerType("SmallInt", OrdType::SWord, -32768, 32767);
constinit const TypeInfo TypeInfo_Word = IntegerType("Word", OrdType::UWord, 0, 65535);
constinit const TypeInfo TypeInfo_Integer =
    IntegerType("Integer", OrdType::SLong, std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max());
constinit const TypeInfo TypeInfo_Cardinal = IntegerType("Cardinal", OrdType::ULong, 0, 0xFFFFFFFF);
constinit const TypeInfo TypeInfo_Int64{.name = "Int64",
                                        .kind = TypeKind::Int64,
                                        .minValue = std::numeric_limits<std::int64_t>::min(),
                                        .maxValue = std::numeric_limits<std::int64_t>::max()};
constinit const TypeInfo TypeInfo_Char{.name = "Char",
                                       .kind = TypeKind::Char,
                                       .ordType = OrdType::UByte,
                                       .minValue = 0,
                                       .maxValue = 255};
constinit const TypeInfo TypeInfo_WideChar{.name = "WideChar",
                                           .kind = TypeKind::WChar,
                                           .ordType = OrdType::UWord,
                                           .minValue = 0,
                                           .maxValue = 65535};
constinit const TypeInfo TypeInfo_Single{
    .name = "Single", .kind = TypeKind::Float, .floatType = FloatType::Single};
constinit const TypeInfo TypeInfo_Double{
    .name = "Double", .kind = TypeKind::Float, .floatType = FloatType::Double};
constinit const TypeInfo TypeInfo_Extended{
    .name = "Extended", .kind = TypeKind::Float, .floatType = FloatType::Extended};
constinit const TypeInfo TypeInfo_Currency{
    .name = "Currency", .kind = TypeKind::Float, .floatType = FloatType::Currency};
constinit const TypeInfo TypeInfo_ShortString{.name = "ShortString", .kind = TypeKind::ShortString};
constinit const TypeInfo TypeInfo_String{.name = "string", .kind = TypeKind::LString};
constinit const TypeInfo TypeInfo_WideString{.name = "WideString", .kind = TypeKind::WString};
constinit const TypeInfo TypeInfo_Variant{.name = "Variant", .kind = TypeKind::Variant};

std::string_view TypeInfo::Name() const {
  if (name) return name;
  if (classType) return classType->name;
  return {};
}

bool TypeInfo::FindMember(std::string_view member, std::int64_t& ordinal) const {
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (SameText(members[i], member)) {
      ordinal = minValue + static_cast<std::int64_t>(i);
      return true;
    }
  }
  return false;
}

bool ClassInfo::InheritsFrom(const ClassInfo& ancestor) const {
  for (const ClassInfo* c = this; c; c = c->parent)
    if (c == &ancestor) return true;
  return false;
}

const PropInfo* ClassInfo::FindProperty(std::string_view property) const {
  for (const ClassInfo* c = this; c; c = c->parent)
    if (const PropInfo* found = FindByName(c->properties, property)) return found;
  return nullptr;
}

const FieldInfo* ClassInfo::FindField(std::string_view field) const {
  for (const ClassInfo* c = this; c; c = c->parent)
    if (const FieldInfo* found = FindByShortName(c->fields, field)) return found;
  return nullptr;
}

const MethodInfo* ClassInfo::FindMethod(std::string_view method) const {
  for (const ClassInfo* c = this; c; c = c->parent)
    if (const MethodInfo* found = FindByShortName(c->methods, method)) return found;
  return nullptr;
}

const ClassInfo* ClassInfo::FindFieldClass(std::string_view className,
                                           const ClassInfo* stopAt) const {
  for (const ClassInfo* c = this; c && c != stopAt; c = c->parent)
    for (const ClassInfo* fieldClass : c->fieldClasses)
      if (SameText(fieldClass->name, className)) return fieldClass;
  return nullptr;
}

}  // namespace sx
