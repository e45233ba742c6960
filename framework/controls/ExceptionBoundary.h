#pragma once

// The one reporter of exceptions caught where the system calls into the framework.

namespace sx {

class TObject;

// Exceptions caught where the system calls into the framework (window procedures, timer
// messages) go to one reporter: the application object installs its ReportException here.
// Until one is installed they are shown in a plain system message box.
using ExceptionReporter = void (*)(TObject* sender);

ExceptionReporter SetExceptionReporter(ExceptionReporter reporter);

// Hands the exception being handled to the reporter. Call it only inside a catch block; it
// never lets anything escape.
void ReportCurrentException(TObject* sender) noexcept;

}  // namespace sx
