#include "framework/graphics/FontCache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "framework/graphics/ResourceCache.h"

namespace sx {
namespace {

TEST(GraphicsResourceHash, MatchesHandComputedValues) {
  EXPECT_EQ(ResourceHash({}), 0);
  const std::uint8_t ab[] = {0x41, 0x42};
  EXPECT_EQ(ResourceHash(ab), 0x0862);  // 0x41 << 5 = 0x820, ^ 0x42
  const std::uint8_t wraps[] = {0xFF, 0, 0, 0};
  EXPECT_EQ(ResourceHash(wraps), 0x807F);  // 0x00FF -> 0x1FE0 -> 0xFC03 -> 0x807F
  std::array<std::uint8_t, 44> first{};
  first[0] = 1;
  EXPECT_EQ(ResourceHash(first), 0x0080);  // 43 rotations of 5 = 215 = 13 * 16 + 7
}

TEST(GraphicsFontRecord, EncodesTheFortyFourByteLayout) {
  FontData data;
  data.height = -11;
  data.pitch = fpFixed;
  data.style = {fsBold, fsUnderline};
  data.charset = charsets::Russian;
  data.name = "Arial";
  const auto bytes = data.Encode();
  const std::array<std::uint8_t, 44> expected = {
      0, 0, 0, 0, 0xF5, 0xFF, 0xFF, 0xFF, 2, 5, 204, 5, 'A', 'r', 'i', 'a', 'l', 0, 0, 0, 0, 0,
      0, 0, 0, 0, 0,    0,    0,    0,    0, 0, 0,   0, 0,   0,   0,   0,   0,   0, 0, 0, 0, 0};
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(FontData::Decode(bytes), data);
}

// A cache of its own, so that counts are exact; deletions are recorded thread-safely.
std::mutex g_deletedLock;
std::vector<SystemHandle>* g_deleted = nullptr;

void RecordDeletion(SystemHandle handle) {
  std::lock_guard guard(g_deletedLock);
  if (g_deleted) g_deleted->push_back(handle);
}

class GraphicsFontCache : public ::testing::Test {
 protected:
  GraphicsFontCache() { g_deleted = &deleted; }
  ~GraphicsFontCache() override { g_deleted = nullptr; }

  static FontData Named(const char* name, std::int32_t height = -11) {
    FontData data;
    data.height = height;
    data.name = name;
    return data;
  }

  std::vector<SystemHandle> deleted;
  ResourceCache<FontData> cache{&RecordDeletion};
};

TEST_F(GraphicsFontCache, EqualDataSharesOneRecord) {
  auto* a = cache.Acquire(Named("Arial"));
  auto* b = cache.Acquire(Named("Arial"));
  auto* c = cache.Acquire(Named("Arial", -12));
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(a->refCount, 2);
  EXPECT_EQ(cache.RecordCount(), 2u);
  cache.Release(a);
  cache.Release(b);
  cache.Release(c);
  EXPECT_EQ(cache.RecordCount(), 0u);
}

TEST_F(GraphicsFontCache, RecordWithSystemObjectStillMatchesLookups) {
  auto* a = cache.Acquire(Named("Arial"));
  EXPECT_EQ(cache.HandleOf(a, [](const FontData&) { return SystemHandle{0x55}; }), 0x55u);
  auto* b = cache.Acquire(Named("Arial"));
  EXPECT_EQ(a, b);
  cache.Release(a);
  cache.Release(b);
}

TEST_F(GraphicsFontCache, LastReleaseDeletesSystemObjectOnce) {
  auto* a = cache.Acquire(Named("Arial"));
  auto* b = cache.Acquire(Named("Arial"));
  int made = 0;
  auto make = [&made](const FontData&) { return static_cast<SystemHandle>(0x100 + ++made); };
  EXPECT_EQ(cache.HandleOf(a, make), 0x101u);
  EXPECT_EQ(cache.HandleOf(b, make), 0x101u);
  EXPECT_EQ(made, 1);
  cache.Release(a);
  EXPECT_TRUE(deleted.empty());
  cache.Release(b);
  EXPECT_EQ(deleted, std::vector<SystemHandle>{0x101});
}

TEST_F(GraphicsFontCache, RecordWithoutSystemObjectDeletesNothing) {
  cache.Release(cache.Acquire(Named("Arial")));
  EXPECT_TRUE(deleted.empty());
}

TEST_F(GraphicsFontCache, HandedOverSystemObjectIsKeptApartAndDeleted) {
  FontData given = Named("Arial");
  given.handle = 0x777;
  auto* owned = cache.Acquire(given);
  auto* plain = cache.Acquire(Named("Arial"));
  EXPECT_NE(owned, plain);
  EXPECT_EQ(cache.HandleOf(owned, [](const FontData&) { return SystemHandle{1}; }), 0x777u);
  cache.Release(plain);
  cache.Release(owned);
  EXPECT_EQ(deleted, std::vector<SystemHandle>{0x777});
}

TEST_F(GraphicsFontCache, TwoThreadsSharingRecordsLoseNothing) {
  std::atomic<SystemHandle> nextHandle{1};
  std::atomic<int> made{0};
  auto worker = [&](int seed) {
    const char* names[] = {"A", "B", "C", "D", "E"};
    std::vector<FontRecord*> held;
    for (int i = 0; i < 20000; ++i) {
      auto* record = cache.Acquire(Named(names[(i * 7 + seed) % 5]));
      cache.HandleOf(record, [&](const FontData&) {
        ++made;
        return nextHandle++;
      });
      held.push_back(record);
      // Keep a few references alive across iterations so that records are both new and
      // shared while the other thread works.
      if (held.size() > 3) {
        cache.Release(held.front());
        held.erase(held.begin());
      }
    }
    for (auto* record : held)
      cache.Release(record);
  };
  std::thread first(worker, 0);
  std::thread second(worker, 3);
  first.join();
  second.join();

  EXPECT_EQ(cache.RecordCount(), 0u);
  EXPECT_EQ(static_cast<int>(deleted.size()), made.load());
  EXPECT_EQ(std::set<SystemHandle>(deleted.begin(), deleted.end()).size(), deleted.size());
}

}  // namespace
}  // namespace sx
