#include "tests/support/MessageHooks.h"

#include <cstdio>

namespace sx::testing {

TMessageHook::TMessageHook(TControl* control, Handler handler)
    : control_(control), previous_(control->GetMessageHandler()), handler_(std::move(handler)) {
  control->SetMessageHandler(MakeEvent<&TMessageHook::Handle>(this));
}

TMessageHook::~TMessageHook() {
  Detach();
}

void TMessageHook::Detach() {
  if (control_) control_->SetMessageHandler(previous_);
  control_ = nullptr;
}

void TMessageHook::Handle(TMessage& message) {
  handler_(message, previous_);
}

TMessageSpy::TMessageSpy(TControl* control)
    : TMessageHook(control, [this](TMessage& message, const TControl::MessageHandler& next) {
        seen.push_back(message);
        next(message);
      }) {}

int TMessageSpy::Count(UINT msg) const {
  return static_cast<int>(Of(msg).size());
}

std::vector<TMessage> TMessageSpy::Of(UINT msg) const {
  std::vector<TMessage> found;
  for (const TMessage& message : seen)
    if (message.Msg == msg) found.push_back(message);
  return found;
}

std::vector<UINT> TMessageSpy::Notifications() const {
  std::vector<UINT> numbers;
  for (const TMessage& message : seen)
    if (message.Msg >= FWM_ACTIVATE && message.Msg < FWM_REFLECT) numbers.push_back(message.Msg);
  return numbers;
}

TMessageLog::TMessageLog(TControl* control, std::vector<std::string>& log, std::string name)
    : TMessageHook(control, [&log, name = std::move(name)](TMessage& message,
                                                           const TControl::MessageHandler& next) {
        char number[16];
        std::snprintf(number, sizeof number, "%X", message.Msg);
        log.push_back(name + ":" + number);
        next(message);
      }) {}

}  // namespace sx::testing
