// The framework's own messages through a window: acted on when the framework sent or posted
// them, wherever the thread is when they arrive; refused when anyone else did.

#include <gtest/gtest.h>

#include <windows.h>

#include "framework/controls/OwnMessages.h"
#include "framework/controls/WindowEntry.h"
#include "framework/streaming/Object.h"

namespace sx::testing {
namespace {

// Asks the window, from another thread, to post itself an own message and to run a message
// loop meanwhile, as a handler does that shows a modal dialog.
constexpr UINT kPostAndRunLoop = WM_APP + 1;

class TOwnMessageCounter : public TObject {
 public:
  void Handle(TMessage& message) {
    if (message.Msg == FWM_ACTIVATE) {
      ++count;
    } else if (message.Msg == kPostAndRunLoop) {
      PostOwnMessage(window, FWM_ACTIVATE);
      MSG msg;
      while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    } else {
      message.Result = DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
    }
  }
  HWND window = nullptr;
  int count = 0;
};

class OwnMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    counter_.window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(counter_.window, nullptr);
    entry_.SetHandler(MakeEvent<&TOwnMessageCounter::Handle>(&counter_));
    entry_.Bind(counter_.window);
  }
  void TearDown() override {
    if (counter_.window) DestroyWindow(counter_.window);
  }

  // Sends the message from a thread of its own, handling what arrives here meanwhile.
  void SendFromAnotherThread(UINT msg) {
    message_ = msg;
    HANDLE thread = CreateThread(nullptr, 0, &SendIt, this, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    MSG pending;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
      while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&pending);
    CloseHandle(thread);
  }

  TOwnMessageCounter counter_;

 private:
  static DWORD WINAPI SendIt(void* test) {
    auto* self = static_cast<OwnMessagesTest*>(test);
    SendMessageA(self->counter_.window, self->message_, 0, 0);
    return 0;
  }

  WindowEntry entry_;
  UINT message_ = 0;
};

// The thread is inside another thread's send while its loop takes the post: the post is
// still the framework's own (a dialog shown while handling a message another program sent
// would lose its activation and focus notices otherwise).
TEST_F(OwnMessagesTest, PostTakenWhileHandlingAnotherThreadsSendIsActedOn) {
  SendFromAnotherThread(kPostAndRunLoop);
  EXPECT_EQ(counter_.count, 1);
}

TEST_F(OwnMessagesTest, OwnMessageNotFromTheFrameworkIsRefused) {
  SendFromAnotherThread(FWM_ACTIVATE);
  EXPECT_EQ(counter_.count, 0) << "sent from another thread";
  PostMessageA(counter_.window, FWM_ACTIVATE, 0, 0);
  MSG pending;
  while (PeekMessageA(&pending, counter_.window, 0, 0, PM_REMOVE))
    DispatchMessageA(&pending);
  EXPECT_EQ(counter_.count, 0) << "posted past PostOwnMessage";
}

}  // namespace
}  // namespace sx::testing
