#include "app/LanguageModuleCheck.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "framework/runtime/TextUtil.h"
#include "framework/streaming/DefinitionOutline.h"

namespace {

// The main window's definition, by its class name.
constexpr std::string_view kMainWindowDefinition = "TFORM1";

// What makes a component act: its state (Enabled, Visible, ReadOnly, Checked...), its
// limits and steps (Min, Max, Position, Increment, Wrap, Interval, MaxLength), what it does
// when pressed (ModalResult, Kind, Default, Cancel), its links (Associate, ActiveControl),
// the keyboard's way through the window (TabOrder, TabStop, KeyPreview), the countdown's
// starting texts (Text) and how the window opens and raises its creation event
// (WindowState, OldCreateOrder).
constexpr std::string_view kDeciding[] = {
    "ActiveControl", "Associate",   "Cancel",         "Checked",     "Default",  "Enabled",
    "Increment",     "Interval",    "KeyPreview",     "Kind",        "Max",      "MaxLength",
    "Min",           "ModalResult", "OldCreateOrder", "Position",    "ReadOnly", "TabOrder",
    "TabStop",       "Text",        "Visible",        "WindowState", "Wrap",
};

// Whether a property path decides behaviour: an event (its last segment starts with "On")
// or one of the deciding properties.
bool DecidesBehaviour(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  const std::string_view last = dot == std::string_view::npos ? path : path.substr(dot + 1);
  if (last.size() > 2 && sx::SameText(last.substr(0, 2), "On")) return true;
  return std::any_of(std::begin(kDeciding), std::end(kDeciding),
                     [&](std::string_view deciding) { return sx::SameText(last, deciding); });
}

}  // namespace

bool KeepsTheProgramsBehaviour(const sx::RcDataLookup& own, const sx::RcDataLookup& candidate) {
  const auto ownDefinition = own(kMainWindowDefinition);
  const auto candidateDefinition = candidate(kMainWindowDefinition);
  if (!ownDefinition || !candidateDefinition) return false;
  // A definition that is not well-formed raises, and the framework refuses the module.
  return sx::OutlineDefinition(*candidateDefinition, &DecidesBehaviour) ==
         sx::OutlineDefinition(*ownDefinition, &DecidesBehaviour);
}

void InstallLanguageModuleCheck() {
  sx::SetLanguageModuleCheck(&KeepsTheProgramsBehaviour);
}
