#include "framework/graphics/CursorsWin32.h"

#include <mutex>
#include <utility>
#include <vector>

namespace sx {
namespace {

// Every windowed control names the arrow when its window is made, and each LoadCursorA
// costs a round trip to the server (seen on Wine 8.0); the handle is the same every time.
// The ids are the system's numbers, so they compare as they are.
struct CursorCache {
  std::mutex lock;
  CursorLoader load = &LoadCursorA;
  std::vector<std::pair<LPCSTR, HCURSOR>> loaded;
};

CursorCache& TheCursors() {
  // Never freed: windows are still made and destroyed during the last finalisations.
  static CursorCache* cache = new CursorCache;
  return *cache;
}

}  // namespace

HCURSOR SystemCursor(LPCSTR id) {
  CursorCache& cache = TheCursors();
  std::lock_guard hold(cache.lock);
  for (const auto& [known, handle] : cache.loaded)
    if (known == id) return handle;
  const HCURSOR handle = cache.load(nullptr, id);
  if (handle) cache.loaded.emplace_back(id, handle);
  return handle;
}

CursorLoader SetCursorLoader(CursorLoader loader) {
  CursorCache& cache = TheCursors();
  std::lock_guard hold(cache.lock);
  const CursorLoader previous = cache.load;
  cache.load = loader ? loader : &LoadCursorA;
  cache.loaded.clear();
  return previous;
}

}  // namespace sx
