#include "framework/controls/WindowProperties.h"

#include <cstdint>

#include "framework/runtime/Format.h"

namespace sx {
namespace {

struct PropertyState {
  bool ready = false;
  ATOM process = 0;
  ATOM control = 0;
  UINT objectQuery = 0;
};

PropertyState g_properties;

}  // namespace

std::string ProcessPropertyName() {
  return Format("Ostrel%.8X", {static_cast<unsigned long>(GetCurrentProcessId())});
}

std::string ControlPropertyName() {
  const auto instance = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
  return Format("ControlOfs%.8X%.8X", {static_cast<unsigned long>(instance),
                                       static_cast<unsigned long>(GetCurrentThreadId())});
}

void InitWindowProperties() {
  if (g_properties.ready) return;
  const std::string control = ControlPropertyName();
  g_properties.process = GlobalAddAtomA(ProcessPropertyName().c_str());
  g_properties.control = GlobalAddAtomA(control.c_str());
  g_properties.objectQuery = RegisterWindowMessageA(control.c_str());
  g_properties.ready = true;
}

void ReleaseWindowProperties() {
  if (!g_properties.ready) return;
  GlobalDeleteAtom(g_properties.process);
  GlobalDeleteAtom(g_properties.control);
  g_properties = PropertyState{};
}

ATOM ProcessPropertyAtom() {
  InitWindowProperties();
  return g_properties.process;
}

ATOM ControlPropertyAtom() {
  InitWindowProperties();
  return g_properties.control;
}

UINT ObjectQueryMessage() {
  InitWindowProperties();
  return g_properties.objectQuery;
}

void SetWindowProperties(HWND window, TWinControl* control) {
  SetPropA(window, MAKEINTATOM(ProcessPropertyAtom()), control);
  SetPropA(window, MAKEINTATOM(ControlPropertyAtom()), control);
}

void RemoveWindowProperties(HWND window) {
  // After shutdown has deleted the atoms there is nothing left to remove.
  if (!g_properties.ready) return;
  RemovePropA(window, MAKEINTATOM(g_properties.process));
  RemovePropA(window, MAKEINTATOM(g_properties.control));
}

}  // namespace sx
