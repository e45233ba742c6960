#pragma once

// Hooks in front of one control's message handler, for tests that watch, answer or fail the
// messages a control gets. Each gives the control its previous handler back when it goes;
// one that outlives its control must be detached before the control goes.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/controls/Control.h"

namespace sx::testing {

class TMessageHook : public TObject {
 public:
  // Sees every message first; `next` is the control's own handling, which the hook calls
  // when, and if, the message should go on.
  using Handler = std::function<void(TMessage& message, const TControl::MessageHandler& next)>;

  TMessageHook(TControl* control, Handler handler);
  ~TMessageHook() override;
  TMessageHook(const TMessageHook&) = delete;
  TMessageHook& operator=(const TMessageHook&) = delete;

  void Detach();

 private:
  void Handle(TMessage& message);

  TControl* control_;
  TControl::MessageHandler previous_;
  Handler handler_;
};

// Records every message before passing it on.
class TMessageSpy : public TMessageHook {
 public:
  explicit TMessageSpy(TControl* control);

  int Count(UINT msg) const;
  // The messages of that number, in order.
  std::vector<TMessage> Of(UINT msg) const;
  // The numbers of the messages seen that lie in the framework's notification range.
  std::vector<UINT> Notifications() const;

  std::vector<TMessage> seen;
};

// Appends "<name>:<message number in hexadecimal>" for every message the control gets to a
// log that several controls may share.
class TMessageLog : public TMessageHook {
 public:
  TMessageLog(TControl* control, std::vector<std::string>& log, std::string name);
};

}  // namespace sx::testing
