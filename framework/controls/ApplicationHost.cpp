#include "framework/controls/ApplicationHost.h"

namespace sx {
namespace {

TApplicationHost* g_host = nullptr;

}  // namespace

TApplicationHost* ApplicationHost() {
  return g_host;
}

TApplicationHost* SetApplicationHost(TApplicationHost* host) {
  TApplicationHost* previous = g_host;
  g_host = host;
  return previous;
}

}  // namespace sx
