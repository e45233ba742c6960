#include "framework/controls/Alignment.h"

namespace sx {
namespace {

constexpr const char* kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr const char* kLeftRightNames[] = {"taLeftJustify", "taRightJustify"};

}  // namespace

constinit const TypeInfo TypeInfo_TAlignment = EnumType("TAlignment", kAlignmentNames);
constinit const TypeInfo TypeInfo_TLeftRight = EnumType("TLeftRight", kLeftRightNames);

}  // namespace sx
