#include "framework/runtime/Synchronizer.h"

namespace sx {

void TMultiReadExclusiveWriteSynchronizer::BeginRead() {
  std::unique_lock guard(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (writer_ == self) {
    ++readsInsideWrite_;
    return;
  }
  if (auto it = readers_.find(self); it != readers_.end()) {
    // A nested read must not wait for a queued writer, which waits for this very read.
    ++it->second;
    return;
  }
  // New readers let queued writers go first, so that a steady stream of reads cannot
  // keep a writer out for ever.
  changed_.wait(guard, [&] { return writer_ == std::thread::id() && waitingWriters_ == 0; });
  readers_[self] = 1;
}

void TMultiReadExclusiveWriteSynchronizer::EndRead() {
  std::unique_lock guard(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (writer_ == self) {
    if (readsInsideWrite_ > 0)
      --readsInsideWrite_;
    else if (heldReads_ > 0)
      --heldReads_;
    return;
  }
  auto it = readers_.find(self);
  if (it == readers_.end()) return;
  if (--it->second == 0) {
    readers_.erase(it);
    guard.unlock();
    changed_.notify_all();
  }
}

bool TMultiReadExclusiveWriteSynchronizer::BeginWrite() {
  std::unique_lock guard(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (writer_ == self) {
    ++writeDepth_;
    return true;
  }
  int ownReads = 0;
  if (auto it = readers_.find(self); it != readers_.end()) {
    ownReads = it->second;
    readers_.erase(it);
    changed_.notify_all();
  }
  const std::uint64_t generation = writeGeneration_;
  const std::uint64_t ticket = nextTicket_++;
  ++waitingWriters_;
  changed_.wait(guard, [&] {
    return writer_ == std::thread::id() && readers_.empty() && serving_ == ticket;
  });
  --waitingWriters_;
  writer_ = self;
  writeDepth_ = 1;
  heldReads_ = ownReads;
  readsInsideWrite_ = 0;
  ++writeGeneration_;
  return writeGeneration_ == generation + 1;
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite() {
  std::unique_lock guard(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (writer_ != self) return;
  if (--writeDepth_ > 0) return;
  // Reads still open go on as ordinary reads; nobody else can hold it at this moment.
  const int reads = heldReads_ + readsInsideWrite_;
  if (reads > 0) readers_[self] = reads;
  heldReads_ = 0;
  readsInsideWrite_ = 0;
  writer_ = std::thread::id();
  ++serving_;
  guard.unlock();
  changed_.notify_all();
}

bool TMultiReadExclusiveWriteSynchronizer::HeldForWriting() const {
  std::lock_guard guard(mutex_);
  return writer_ == std::this_thread::get_id();
}

int TMultiReadExclusiveWriteSynchronizer::WaitingWriters() const {
  std::lock_guard guard(mutex_);
  return waitingWriters_;
}

TMultiReadExclusiveWriteSynchronizer& GlobalNameSpace() {
  // Never destroyed: forms may still be freed while static objects go away at exit.
  static auto* lock = new TMultiReadExclusiveWriteSynchronizer;
  return *lock;
}

}  // namespace sx
