#include "framework/controls/ExceptionBoundary.h"

#include <windows.h>

#include <exception>
#include <string>

#include "framework/controls/ApplicationHost.h"
#include "framework/runtime/Exception.h"

namespace sx {
namespace {

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

void ReportCurrentException(TObject* sender) noexcept {
  if (!std::current_exception()) return;
  try {
    if (TApplicationHost* host = ApplicationHost())
      host->ReportException(sender);
    else
      ShowPlainly();
  } catch (...) {
    // The report itself failed; nothing may cross back into the system.
  }
}

}  // namespace sx
