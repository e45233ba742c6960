#pragma once

// The reflection layer: per-class tables of published properties, fields and methods, and
// the type descriptions through which stored values find their way into objects. Every
// framework class declares SX_CLASS(...) and defines its ClassInfo right beside its code.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "framework/runtime/Set.h"
#include "framework/streaming/Variant.h"

namespace sx {

class TObject;
class TComponent;
struct ClassInfo;

// How a stored value is read into a property of the type.
enum class TypeKind : std::uint8_t {
  None = 0,
  Integer,
  Char,
  Enumeration,
  Float,
  ShortString,
  Set,
  Class,
  Method,
  WChar,
  LString,
  WString,
  Variant,
  Array,
  Record,
  Interface,
  Int64,
  DynArray,
};

enum class OrdType : std::uint8_t { SByte, UByte, SWord, UWord, SLong, ULong };
enum class FloatType : std::uint8_t { Single, Double, Extended, Comp, Currency };

// The identity of an event's parameter list: an event and a method fit each other when
// they point at the same signature.
struct MethodSignature {
  const char* text;
};

// The identity of an interface type.
struct InterfaceInfo {
  const char* name;
};

struct TypeInfo {
  const char* name = nullptr;  // class types take the name of their class
  TypeKind kind = TypeKind::None;
  OrdType ordType = OrdType::SLong;
  std::int64_t minValue = 0;
  std::int64_t maxValue = 0;
  std::span<const char* const> members = {};   // enumeration: names of minValue, minValue + 1, ...
  const TypeInfo* elementType = nullptr;       // set
  const ClassInfo* classType = nullptr;        // class
  const MethodSignature* signature = nullptr;  // method
  const InterfaceInfo* interfaceType = nullptr;  // interface
  FloatType floatType = FloatType::Double;       // float

  std::string_view Name() const;
  // Enumeration: the ordinal of the member of that name, ASCII case ignored.
  bool FindMember(std::string_view member, std::int64_t& ordinal) const;
};

template <std::size_t N>
constexpr TypeInfo EnumType(const char* name, const char* const (&members)[N],
                            std::int64_t lowest = 0) {
  return TypeInfo{.name = name,
                  .kind = TypeKind::Enumeration,
                  .ordType = lowest < 0 ? OrdType::SLong : OrdType::UByte,
                  .minValue = lowest,
                  .maxValue = lowest + static_cast<std::int64_t>(N) - 1,
                  .members = members};
}

constexpr TypeInfo SetType(const char* name, const TypeInfo* element) {
  return TypeInfo{
      .name = name, .kind = TypeKind::Set, .ordType = OrdType::ULong, .elementType = element};
}

constexpr TypeInfo IntegerType(const char* name, OrdType ord, std::int64_t lo, std::int64_t hi) {
  return TypeInfo{
      .name = name, .kind = TypeKind::Integer, .ordType = ord, .minValue = lo, .maxValue = hi};
}

// The basic types.
extern const TypeInfo TypeInfo_Boolean;
extern const TypeInfo TypeInfo_ShortInt;
extern const TypeInfo TypeInfo_Byte;
extern const TypeInfo TypeInfo_SmallInt;
extern const TypeInfo TypeInfo_Word;
extern const TypeInfo TypeInfo_Integer;
extern const TypeInfo TypeInfo_Cardinal;
extern const TypeInfo TypeInfo_Int64;
extern const TypeInfo TypeInfo_Char;
extern const TypeInfo TypeInfo_WideChar;
extern const TypeInfo TypeInfo_Single;
extern const TypeInfo TypeInfo_Double;
extern const TypeInfo TypeInfo_Extended;
extern const TypeInfo TypeInfo_Currency;
extern const TypeInfo TypeInfo_ShortString;
extern const TypeInfo TypeInfo_String;
extern const TypeInfo TypeInfo_WideString;
extern const TypeInfo TypeInfo_Variant;

// ---------------------------------------------------------------------------------------
// Events: a method reference (code and object). Two events are equal when both parts are.

struct TMethod {
  const void* code = nullptr;
  TObject* data = nullptr;

  explicit operator bool() const { return code != nullptr; }
  friend bool operator==(const TMethod&, const TMethod&) = default;
};

template <class... A>
struct SignatureOf {
  static constexpr MethodSignature value{"event"};
};

// What a method's code points at: the call that turns (object, arguments) into a member call.
template <class... A>
struct Invoker {
  void (*call)(TObject* self, A... args);
};

template <class... A>
class Event;

template <auto M>
struct MethodThunk;

template <class C, class... A, void (C::*M)(A...)>
struct MethodThunk<M> {
  using EventType = Event<A...>;
  static void Call(TObject* self, A... args) { (static_cast<C*>(self)->*M)(args...); }
  static constexpr Invoker<A...> invoker{&Call};
};

template <class... A>
class Event {
 public:
  Event() = default;
  explicit Event(const TMethod& method) : method_(method) {}

  // An event bound to a member function of an object.
  template <auto M, class C>
  static Event Bind(C* object) {
    return Event(TMethod{&MethodThunk<M>::invoker, object});
  }

  static constexpr const MethodSignature* Signature() { return &SignatureOf<A...>::value; }

  const TMethod& Method() const { return method_; }
  explicit operator bool() const { return static_cast<bool>(method_); }
  void operator()(A... args) const {
    if (method_.code) static_cast<const Invoker<A...>*>(method_.code)->call(method_.data, args...);
  }
  friend bool operator==(const Event&, const Event&) = default;

 private:
  TMethod method_;
};

using TNotifyEvent = Event<TObject*>;

// The event that calls the member function M of the object.
template <auto M, class C>
auto MakeEvent(C* object) {
  return MethodThunk<M>::EventType::template Bind<M>(object);
}

// ---------------------------------------------------------------------------------------
// Published properties.

// An interface pointer handed to or read from an interface-typed property.
struct InterfacePtr {
  void* pointer = nullptr;
  friend bool operator==(const InterfacePtr&, const InterfacePtr&) = default;
};

// A property value on its way between the reader and a getter or setter. Ordinal kinds
// (integers, characters, enumerations, sets, booleans) travel as int64.
using PropValue = std::variant<std::int64_t, double, std::string, std::u16string, TObject*, TMethod,
                               Variant, InterfacePtr>;

struct PropInfo {
  const char* name;
  const TypeInfo* type;
  void (*get)(const TObject& object, PropValue& value);
  void (*set)(TObject& object, const PropValue& value);  // none: read-only

  PropValue Get(const TObject& object) const {
    PropValue value;
    get(object, value);
    return value;
  }
};

namespace detail {

template <class M>
struct MemberOf;
template <class T, class C>
struct MemberOf<T C::*> {
  using Class = C;
  using Type = T;
};

template <class F>
struct SetterArg;
template <class A>
struct SetterArg<void(A)> {
  using Type = std::remove_cvref_t<A>;
};

template <class T>
struct IsSet : std::false_type {};
template <class E, class B>
struct IsSet<Set<E, B>> : std::true_type {};

template <class T>
struct IsEvent : std::false_type {};
template <class... A>
struct IsEvent<Event<A...>> : std::true_type {};

template <class T>
PropValue ToValue(const T& v) {
  if constexpr (std::is_same_v<T, bool>)
    return std::int64_t{v ? 1 : 0};
  else if constexpr (std::is_integral_v<T>)
    return static_cast<std::int64_t>(v);
  else if constexpr (std::is_enum_v<T>)
    return static_cast<std::int64_t>(v);
  else if constexpr (IsSet<T>::value)
    return static_cast<std::int64_t>(v.Mask());
  else if constexpr (std::is_floating_point_v<T>)
    return static_cast<double>(v);
  else if constexpr (IsEvent<T>::value)
    return v.Method();
  else if constexpr (std::is_pointer_v<T>)
    return static_cast<TObject*>(v);
  else
    return v;  // std::string, std::u16string, Variant, InterfacePtr
}

template <class T>
T FromValue(const PropValue& value) {
  if constexpr (std::is_same_v<T, bool>)
    return std::get<std::int64_t>(value) != 0;
  else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
    return static_cast<T>(std::get<std::int64_t>(value));
  else if constexpr (IsSet<T>::value)
    return T::FromMask(static_cast<typename T::MaskType>(std::get<std::int64_t>(value)));
  else if constexpr (std::is_floating_point_v<T>)
    return static_cast<T>(std::get<double>(value));
  else if constexpr (IsEvent<T>::value)
    return T(std::get<TMethod>(value));
  else if constexpr (std::is_pointer_v<T>)
    // The reader checks the object's class against the property's before it calls a setter.
    return static_cast<T>(std::get<TObject*>(value));
  else
    return std::get<T>(value);
}

template <class T>
struct ClassTypeOf {
  static constexpr TypeInfo value{.kind = TypeKind::Class, .classType = &T::StaticClass};
};

template <class... A>
struct EventTypeOf {
  static constexpr TypeInfo value{.kind = TypeKind::Method, .signature = &SignatureOf<A...>::value};
};
template <class... A>
struct EventTypeOf<Event<A...>> : EventTypeOf<A...> {};

template <class T>
constexpr const TypeInfo* DefaultType() {
  if constexpr (std::is_same_v<T, bool>)
    return &TypeInfo_Boolean;
  else if constexpr (std::is_same_v<T, char>)
    return &TypeInfo_Char;
  else if constexpr (std::is_same_v<T, char16_t>)
    return &TypeInfo_WideChar;
  else if constexpr (std::is_same_v<T, std::int8_t>)
    return &TypeInfo_ShortInt;
  else if constexpr (std::is_same_v<T, std::uint8_t>)
    return &TypeInfo_Byte;
  else if constexpr (std::is_same_v<T, std::int16_t>)
    return &TypeInfo_SmallInt;
  else if constexpr (std::is_same_v<T, std::uint16_t>)
    return &TypeInfo_Word;
  else if constexpr (std::is_same_v<T, std::int32_t>)
    return &TypeInfo_Integer;
  else if constexpr (std::is_same_v<T, std::uint32_t>)
    return &TypeInfo_Cardinal;
  else if constexpr (std::is_same_v<T, std::int64_t>)
    return &TypeInfo_Int64;
  else if constexpr (std::is_same_v<T, float>)
    return &TypeInfo_Single;
  else if constexpr (std::is_same_v<T, double>)
    return &TypeInfo_Double;
  else if constexpr (std::is_same_v<T, std::string>)
    return &TypeInfo_String;
  else if constexpr (std::is_same_v<T, std::u16string>)
    return &TypeInfo_WideString;
  else if constexpr (std::is_same_v<T, Variant>)
    return &TypeInfo_Variant;
  else if constexpr (std::is_same_v<T, InterfacePtr>)
    return nullptr;  // an interface property always names its interface type
  else if constexpr (IsEvent<T>::value)
    return &EventTypeOf<T>::value;
  else if constexpr (std::is_pointer_v<T>)
    return &ClassTypeOf<std::remove_cv_t<std::remove_pointer_t<T>>>::value;
  else
    return TypeInfoOf(std::type_identity<T>{});  // enumerations and sets, found next to the type
}

template <auto G>
void GetThunk(const TObject& object, PropValue& value) {
  using C = typename MemberOf<decltype(G)>::Class;
  value = ToValue(std::invoke(G, static_cast<const C&>(object)));
}

template <auto S>
void SetThunk(TObject& object, const PropValue& value) {
  using C = typename MemberOf<decltype(S)>::Class;
  if constexpr (std::is_member_function_pointer_v<decltype(S)>) {
    using A = typename SetterArg<typename MemberOf<decltype(S)>::Type>::Type;
    (static_cast<C&>(object).*S)(FromValue<A>(value));
  } else {
    using A = typename MemberOf<decltype(S)>::Type;
    static_cast<C&>(object).*S = FromValue<A>(value);
  }
}

}  // namespace detail

// A published property read through G (a const member function or a data member) and
// written through S (a member function taking one value, a data member, or nothing).
// The type is taken from G's result unless given.
template <auto G, auto S = nullptr>
constexpr PropInfo Property(const char* name, const TypeInfo* type = nullptr) {
  using C = typename detail::MemberOf<decltype(G)>::Class;
  using V = std::remove_cvref_t<std::invoke_result_t<decltype(G), const C&>>;
  PropInfo info{name, type ? type : detail::DefaultType<V>(), &detail::GetThunk<G>, nullptr};
  if constexpr (!std::is_null_pointer_v<decltype(S)>) info.set = &detail::SetThunk<S>;
  return info;
}

// ---------------------------------------------------------------------------------------
// Published fields and methods.

struct FieldInfo {
  const char* name;
  const ClassInfo* type;
  void (*set)(TObject& owner, TComponent* component);
  TComponent* (*get)(const TObject& owner);
};

template <auto F>
constexpr FieldInfo Field(const char* name) {
  using C = typename detail::MemberOf<decltype(F)>::Class;
  using P = typename detail::MemberOf<decltype(F)>::Type;
  using T = std::remove_pointer_t<P>;
  return FieldInfo{
      name, &T::StaticClass,
      [](TObject& owner, TComponent* component) {
        static_cast<C&>(owner).*F = static_cast<P>(component);
      },
      [](const TObject& owner) -> TComponent* { return static_cast<const C&>(owner).*F; }};
}

struct MethodInfo {
  const char* name;
  const void* code;
  const MethodSignature* signature;
};

template <auto M>
constexpr MethodInfo Method(const char* name) {
  return MethodInfo{name, &MethodThunk<M>::invoker, MethodThunk<M>::EventType::Signature()};
}

// ---------------------------------------------------------------------------------------
// Class records.

struct ClassInfo {
  const char* name;
  const ClassInfo* parent;
  // Makes an instance with the given owner; none for classes that are not made by name.
  TComponent* (*construct)(TComponent* owner) = nullptr;
  std::span<const PropInfo> properties = {};
  std::span<const FieldInfo> fields = {};
  std::span<const ClassInfo* const> fieldClasses = {};
  std::span<const MethodInfo> methods = {};

  bool InheritsFrom(const ClassInfo& ancestor) const;

  // Lookups compare ASCII letters without case and search from this class upward.
  const PropInfo* FindProperty(std::string_view property) const;
  // Field and method names are compared on at most their first 255 characters.
  const FieldInfo* FindField(std::string_view field) const;
  const MethodInfo* FindMethod(std::string_view method) const;
  // The class that this class's field class table, or an ancestor's, holds under that name.
  const ClassInfo* FindFieldClass(std::string_view className,
                                  const ClassInfo* stopAt = nullptr) const;
};

}  // namespace sx
