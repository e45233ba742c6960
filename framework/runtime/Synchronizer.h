#pragma once

// The many-readers-or-one-writer lock, its scoped holders and the global name-space lock.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace sx {

// Many readers or one writer. The thread that holds it for writing may take it again, for
// writing or for reading, as often as it likes. A thread that holds it for reading may ask
// to write: it lets go of its reads while it waits (so two such threads do not wait for
// each other), and BeginWrite tells it when another writer got in first.
class TMultiReadExclusiveWriteSynchronizer {
 public:
  TMultiReadExclusiveWriteSynchronizer() = default;
  TMultiReadExclusiveWriteSynchronizer(const TMultiReadExclusiveWriteSynchronizer&) = delete;
  TMultiReadExclusiveWriteSynchronizer& operator=(const TMultiReadExclusiveWriteSynchronizer&) =
      delete;

  void BeginRead();
  void EndRead();
  // Returns false when another writer held it between the call and the moment this thread
  // got it (what was read before may have changed); true otherwise.
  bool BeginWrite();
  void EndWrite();

  // For checks: whether the calling thread holds it for writing, and how many threads wait
  // to write.
  bool HeldForWriting() const;
  int WaitingWriters() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::thread::id writer_;
  int writeDepth_ = 0;
  int readsInsideWrite_ = 0;  // BeginRead calls of the writer while it writes
  int heldReads_ = 0;         // reads the writer held before it asked to write
  int waitingWriters_ = 0;
  // Writers get it in the order they asked for it.
  std::uint64_t nextTicket_ = 0;
  std::uint64_t serving_ = 0;
  std::uint64_t writeGeneration_ = 0;
  std::unordered_map<std::thread::id, int> readers_;  // reads held, by thread
};

// Holds a synchronizer for writing for as long as it lives.
class ScopedWrite {
 public:
  explicit ScopedWrite(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) {
    lock_.BeginWrite();
  }
  ~ScopedWrite() { lock_.EndWrite(); }
  ScopedWrite(const ScopedWrite&) = delete;
  ScopedWrite& operator=(const ScopedWrite&) = delete;

 private:
  TMultiReadExclusiveWriteSynchronizer& lock_;
};

// Holds a synchronizer for reading for as long as it lives.
class ScopedRead {
 public:
  explicit ScopedRead(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) {
    lock_.BeginRead();
  }
  ~ScopedRead() { lock_.EndRead(); }
  ScopedRead(const ScopedRead&) = delete;
  ScopedRead& operator=(const ScopedRead&) = delete;

 private:
  TMultiReadExclusiveWriteSynchronizer& lock_;
};

// The lock over the process-wide name space: component names that must be unique across
// roots, and the references that wait for a root of some name to appear.
TMultiReadExclusiveWriteSynchronizer& GlobalNameSpace();

}  // namespace sx
