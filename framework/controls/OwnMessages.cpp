#include "framework/controls/OwnMessages.h"

#include <algorithm>
#include <vector>

#include "framework/controls/SlimLock.h"
#include "framework/runtime/Finally.h"

namespace sx {
namespace {

struct Message {
  HWND window;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;

  bool operator==(const Message&) const = default;
};

// The sends in progress on this thread, innermost first. A send within the thread calls the
// window procedure directly, which then sees the same sender state (InSendMessageEx) as the
// code that sent it; a message from another thread or process arriving in a modal loop
// during such a send is told apart by that state.
struct SendFrame {
  Message message;
  DWORD senderState;
  const SendFrame* outer;
};
thread_local const SendFrame* t_sending = nullptr;

// Posts on their way. Posted messages carry no sign of their sender, so the framework's own
// are known by being expected; the list stays short, as each is taken when it arrives.
struct Posts {
  SlimLock lock;
  std::vector<Message> pending;
};

Posts& ThePosts() {
  // Never freed: posts may still arrive during the last finalisations of the process.
  static Posts* posts = new Posts;
  return *posts;
}

// Past this many, the posts to windows that are gone (and will never arrive) are dropped.
constexpr std::size_t kPendingLimit = 256;

}  // namespace

LRESULT SendOwnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return 0;
  const SendFrame frame{{window, msg, wParam, lParam}, InSendMessageEx(nullptr), t_sending};
  t_sending = &frame;
  Finally pop([&] { t_sending = frame.outer; });
  return SendMessageA(window, msg, wParam, lParam);
}

bool PostOwnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  const Message message{window, msg, wParam, lParam};
  Posts& posts = ThePosts();
  // Expected before it is posted: once posted it may be taken from the queue before
  // PostMessageA has returned here.
  {
    const auto held = posts.lock.Exclusive();
    if (posts.pending.size() >= kPendingLimit)
      std::erase_if(posts.pending,
                    [](const Message& pending) { return !IsWindow(pending.window); });
    posts.pending.push_back(message);
  }
  if (PostMessageA(window, msg, wParam, lParam)) return true;
  const auto held = posts.lock.Exclusive();
  const auto found = std::find(posts.pending.rbegin(), posts.pending.rend(), message);
  if (found != posts.pending.rend()) posts.pending.erase(std::next(found).base());
  return false;
}

bool CameFromWithin(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  const Message message{window, msg, wParam, lParam};
  const DWORD senderState = InSendMessageEx(nullptr);
  if (t_sending && t_sending->message == message && t_sending->senderState == senderState)
    return true;
  // Anything else sent, from another thread or process, is not the framework's: it never
  // sends them across threads. An expected post counts whatever the sender state says,
  // though: a loop run while the thread handles another thread's send (a modal dialog shown
  // then) takes posts with that send's state still in force (seen on Wine 8.0). A copy of a
  // post on its way, sent or posted from outside, is taken in its place; the framework posts
  // nothing but notices without pointers.
  Posts& posts = ThePosts();
  const auto held = posts.lock.Exclusive();
  const auto found = std::find(posts.pending.begin(), posts.pending.end(), message);
  const bool expected = found != posts.pending.end();
  if (expected) posts.pending.erase(found);
  return expected;
}

}  // namespace sx
