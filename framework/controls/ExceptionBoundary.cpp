#include "framework/controls/ExceptionBoundary.h"

#include <windows.h>

#include <exception>
#include <string>

#include "framework/runtime/Exception.h"

namespace sx {
namespace {

ExceptionReporter g_reporter = nullptr;

void ShowPlainly() noexcept {
  try {
    std::string text;
    try {
      throw;
    } catch (const Exception& e) {
      text = e.Message();
    } catch (const std::exception& e) {
      text = e.what();
    } catch (...) {
    }
    MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONERROR | MB_TASKMODAL);
  } catch (...) {
  }
}

}  // namespace

ExceptionReporter SetExceptionReporter(ExceptionReporter reporter) {
  ExceptionReporter previous = g_reporter;
  g_reporter = reporter;
  return previous;
}

void ReportCurrentException(TObject* sender) noexcept {
  if (!std::current_exception()) return;
  try {
    if (g_reporter)
      g_reporter(sender);
    else
      ShowPlainly();
  } catch (...) {
    // The reporter itself failed; nothing may cross back into the system.
  }
}

}  // namespace sx
