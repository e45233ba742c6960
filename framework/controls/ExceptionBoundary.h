#pragma once

// Where exceptions caught at the framework's boundaries go: to the application host's
// report, or to a plain system message box while there is none.

namespace sx {

class TObject;

// Hands the exception being handled to the application host (ApplicationHost.h), or shows it
// in a plain system message box when none is installed. Call it only inside a catch block; it
// never lets anything escape.
void ReportCurrentException(TObject* sender) noexcept;

}  // namespace sx
