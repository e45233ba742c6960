#pragma once

// Where exceptions caught at the framework's boundaries go: to the application host's
// report, or to a plain system message box while there is none; and the guard that runs a
// handler and reports what it throws.

#include <utility>

namespace sx {

class TObject;

// Hands the exception being handled to the application host (ApplicationHost.h), or shows it
// in a plain system message box when none is installed. Call it only inside a catch block; it
// never lets anything escape.
void ReportCurrentException(TObject* sender) noexcept;

// Runs the call (an event handler, one step of a loop); what it throws is reported on behalf
// of `sender` and the caller goes on.
template <class Call>
void RunReported(TObject* sender, Call&& call) noexcept {
  try {
    std::forward<Call>(call)();
  } catch (...) {
    ReportCurrentException(sender);
  }
}

}  // namespace sx
