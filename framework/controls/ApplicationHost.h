#pragma once

// TApplicationHost: what the controls ask of the application: to forget a control that is
// going, to answer a click into a disabled window, and to report an exception caught where
// the system calls into the framework. The framework's start installs the application's
// answers once the application exists; its end uninstalls them.

namespace sx {

class TControl;
class TObject;

class TApplicationHost {
 public:
  virtual ~TApplicationHost() = default;

  // A control is being destroyed; whoever remembers it (the mouse control, the active
  // control, the hint control) forgets it.
  virtual void ControlDestroyed(TControl* control) = 0;
  // A left click into a disabled window of the program; true when it brought the window
  // that disables it to the front, and nothing else is to happen.
  virtual bool ClickIntoDisabledWindow() = 0;
  // Shows the exception being handled, raised on behalf of `sender`. Called only inside a
  // catch block; must not throw.
  virtual void ReportException(TObject* sender) = 0;
};

// The installed host; none before the framework starts and after it ends.
TApplicationHost* ApplicationHost();
// Installs a host (none uninstalls) and answers the one it replaces.
TApplicationHost* SetApplicationHost(TApplicationHost* host);

}  // namespace sx
