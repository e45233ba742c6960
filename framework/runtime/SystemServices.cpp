#include "framework/runtime/SystemServices.h"

#include <cstdio>
#include <cstdlib>

namespace sx {
namespace {
SystemServices* g_services = nullptr;
}

SystemServices& System() {
  if (!g_services) {
    // Only a build that forgot to install its services gets here; there is nothing to
    // show a message with yet.
    std::fputs("system services not installed\n", stderr);
    std::abort();
  }
  return *g_services;
}

SystemServices* SetSystem(SystemServices* services) {
  SystemServices* previous = g_services;
  g_services = services;
  return previous;
}

}  // namespace sx
