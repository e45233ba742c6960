#pragma once

// ResourceCache: the shared, counted records behind fonts, pens and brushes, each with the
// system object made for it on first request.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <utility>
#include <vector>

#include "framework/runtime/Finally.h"

namespace sx {

// A system graphics object (font, pen, brush); 0 means none.
using SystemHandle = std::uintptr_t;

// The 16-bit hash of a resource record: for each byte, rotate left by 5, then XOR the
// byte into the low 8 bits.
constexpr std::uint16_t ResourceHash(std::span<const std::uint8_t> bytes) {
  std::uint16_t hash = 0;
  for (std::uint8_t byte : bytes) {
    hash = static_cast<std::uint16_t>((hash << 5) | (hash >> 11));
    hash ^= byte;
  }
  return hash;
}

// Little-endian helpers for the records' byte images.
inline void PutRecordU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline std::uint32_t GetRecordU32(const std::uint8_t* at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= std::uint32_t{at[i]} << (8 * i);
  return value;
}

// The shared records of one kind of graphics resource. Every font (pen, brush) object
// holds one counted reference to the record describing its attributes; objects with equal
// attributes share the record and so share one system object, made on first request.
//
// Data describes the record: Data::kSize bytes, a 32-bit handle slot first, written by
// Encode() and read back by Decode(). Records are matched by their byte image. The handle
// slot is part of that image: a lookup normally passes it as 0, and a system object made
// later for a record is kept beside the image (in `handle`), so the record still matches
// lookups by attribute once its object exists. A lookup that passes a non-zero handle slot
// hands that object over to the new record, which deletes it when it goes.
template <class Data>
class ResourceCache {
 public:
  static constexpr std::size_t kSize = Data::kSize;
  using Bytes = std::array<std::uint8_t, kSize>;
  using DeleteHandle = void (*)(SystemHandle);

  struct Record {
    Record* next = nullptr;
    int refCount = 0;
    std::uint16_t hash = 0;
    Bytes bytes{};
    Data data{};
    // Written once under the cache's lock, read without it.
    std::atomic<SystemHandle> handle{0};
  };

  explicit ResourceCache(DeleteHandle deleteHandle) : deleteHandle_(deleteHandle) {}
  ResourceCache(const ResourceCache&) = delete;
  ResourceCache& operator=(const ResourceCache&) = delete;

  // The records still listed go with their memory only: their system objects may outlive a
  // cache that is torn down when the system services are gone.
  ~ResourceCache() {
    while (head_)
      delete std::exchange(head_, head_->next);
  }

  // The record with exactly this byte image, made and put at the head of the list when
  // there is none; its count goes up by one.
  Record* Acquire(const Data& data) {
    const Bytes bytes = data.Encode();
    const std::uint16_t hash = ResourceHash(bytes);
    std::lock_guard guard(lock_);
    Record* record = head_;
    while (record && !(record->hash == hash && record->bytes == bytes))
      record = record->next;
    if (!record) {
      auto made = std::make_unique<Record>();
      made->hash = hash;
      made->bytes = bytes;
      made->data = Data::Decode(bytes);
      made->handle.store(GetRecordU32(bytes.data()), std::memory_order_relaxed);
      made->next = head_;
      record = head_ = made.release();
    }
    ++record->refCount;
    return record;
  }

  // One more reference to a record already held.
  void Share(Record* record) {
    std::lock_guard guard(lock_);
    ++record->refCount;
  }

  // Gives one reference back; the last one unlinks the record, and its system object is
  // deleted once the lock is free again.
  void Release(Record* record) {
    if (!record) return;
    {
      std::lock_guard guard(lock_);
      if (--record->refCount > 0) return;
      Record** link = &head_;
      while (*link && *link != record)
        link = &(*link)->next;
      if (*link) *link = record->next;
    }
    const SystemHandle handle = record->handle.load(std::memory_order_relaxed);
    delete record;
    if (handle) deleteHandle_(handle);
  }

  // The record's system object; the first request makes it with make(data), under the
  // lock and after looking again, so that racing requests make only one.
  template <class Make>
  SystemHandle HandleOf(Record* record, Make&& make) {
    SystemHandle handle = record->handle.load(std::memory_order_acquire);
    if (handle) return handle;
    std::lock_guard guard(lock_);
    handle = record->handle.load(std::memory_order_relaxed);
    if (!handle) {
      handle = make(static_cast<const Data&>(record->data));
      record->handle.store(handle, std::memory_order_release);
    }
    return handle;
  }

  // Deletes the system objects of the records whose data matches, so that the next request
  // makes them again (after the system colours have changed, for instance).
  template <class Predicate>
  void DropHandles(Predicate&& matches) {
    std::vector<SystemHandle> dropped;
    {
      std::lock_guard guard(lock_);
      for (Record* record = head_; record; record = record->next) {
        if (!matches(static_cast<const Data&>(record->data))) continue;
        if (SystemHandle handle = record->handle.exchange(0, std::memory_order_acq_rel))
          dropped.push_back(handle);
      }
    }
    for (SystemHandle handle : dropped)
      deleteHandle_(handle);
  }

  std::size_t RecordCount() const {
    std::lock_guard guard(lock_);
    std::size_t count = 0;
    for (const Record* record = head_; record; record = record->next)
      ++count;
    return count;
  }

 private:
  mutable std::mutex lock_;
  Record* head_ = nullptr;
  DeleteHandle deleteHandle_;
};

// Points `current` at `record` (whose reference the caller already took) and gives the
// previous record back; `changed` runs first when the record differs, and the previous
// record goes back even when it raises.
template <class Data, class Changed>
void RebindRecord(ResourceCache<Data>& cache, typename ResourceCache<Data>::Record*& current,
                  typename ResourceCache<Data>::Record* record, Changed&& changed) {
  typename ResourceCache<Data>::Record* const previous = current;
  const Finally giveBack([&cache, previous] { cache.Release(previous); });
  current = record;
  if (record != previous) changed();
}

}  // namespace sx
