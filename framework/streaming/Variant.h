#pragma once

// Variant: a self-describing value as read from a stored definition.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sx {

// The value types a variant can hold.
enum class VarType : std::uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  Boolean = 11,
  Int64 = 20,
  String = 0x100,
  WString = 0x102,
  Custom = 0x200,
};

// A value of a custom variant type: the type's registered name and what its reader made.
class CustomVariantValue {
 public:
  virtual ~CustomVariantValue() = default;
  virtual const std::string& TypeName() const = 0;
};

// A self-describing value as read from a stored definition.
class Variant {
 public:
  Variant() = default;
  static Variant Null() { return Variant(VarType::Null); }
  static Variant FromInteger(std::int32_t v) { return Variant(VarType::Integer).WithInt(v); }
  static Variant FromInt64(std::int64_t v) { return Variant(VarType::Int64).WithInt(v); }
  static Variant FromBoolean(bool v) { return Variant(VarType::Boolean).WithInt(v ? -1 : 0); }
  static Variant FromCurrency(std::int64_t scaled) {
    return Variant(VarType::Currency).WithInt(scaled);
  }
  static Variant FromSingle(float v) { return Variant(VarType::Single).WithFloat(v); }
  static Variant FromDouble(double v) { return Variant(VarType::Double).WithFloat(v); }
  static Variant FromDate(double v) { return Variant(VarType::Date).WithFloat(v); }
  static Variant FromString(std::string v) {
    Variant r(VarType::String);
    r.text_ = std::move(v);
    return r;
  }
  static Variant FromWString(std::u16string v) {
    Variant r(VarType::WString);
    r.wide_ = std::move(v);
    return r;
  }
  static Variant FromCustom(std::shared_ptr<const CustomVariantValue> v) {
    Variant r(VarType::Custom);
    r.custom_ = std::move(v);
    return r;
  }

  VarType Type() const { return type_; }
  // Integer, Int64, Boolean (-1 for true) and Currency (the value times 10000).
  std::int64_t AsInt() const { return int_; }
  // Single, Double and Date.
  double AsFloat() const { return float_; }
  const std::string& AsString() const { return text_; }
  const std::u16string& AsWString() const { return wide_; }
  const std::shared_ptr<const CustomVariantValue>& AsCustom() const { return custom_; }

  friend bool operator==(const Variant& a, const Variant& b) {
    return a.type_ == b.type_ && a.int_ == b.int_ && a.float_ == b.float_ && a.text_ == b.text_ &&
           a.wide_ == b.wide_ && a.custom_ == b.custom_;
  }

 private:
  explicit Variant(VarType type) : type_(type) {}
  Variant& WithInt(std::int64_t v) {
    int_ = v;
    return *this;
  }
  Variant& WithFloat(double v) {
    float_ = v;
    return *this;
  }

  VarType type_ = VarType::Empty;
  std::int64_t int_ = 0;
  double float_ = 0;
  std::string text_;
  std::u16string wide_;
  std::shared_ptr<const CustomVariantValue> custom_;
};

}  // namespace sx
