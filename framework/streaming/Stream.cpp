#include "framework/streaming/Stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "framework/runtime/Exception.h"
#include "framework/runtime/Format.h"
#include "framework/runtime/Texts.h"

namespace sx {

constinit const ClassInfo TStream::StaticClass{.name = "TStream", .parent = &TObject::StaticClass};
constinit const ClassInfo TCustomMemoryStream::StaticClass{.name = "TCustomMemoryStream",
                                                           .parent = &TStream::StaticClass};
constinit const ClassInfo TMemoryStream::StaticClass{.name = "TMemoryStream",
                                                     .parent = &TCustomMemoryStream::StaticClass};
constinit const ClassInfo TResourceStream::StaticClass{.name = "TResourceStream",
                                                       .parent = &TCustomMemoryStream::StaticClass};

// --- TStream ------------------------------------------------------------------------------

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, SeekOrigin::Current);
  const std::int64_t size = Seek(0, SeekOrigin::End);
  Seek(position, SeekOrigin::Begin);
  return size;
}

void TStream::ReadBuffer(void* buffer, std::int32_t count) {
  if (count < 0 || (count > 0 && Read(buffer, count) != count))
    throw EReadError(LoadText(TextId::SReadError));
}

// --- TCustomMemoryStream ------------------------------------------------------------------

std::int32_t TCustomMemoryStream::Read(void* buffer, std::int32_t count) {
  const auto size = static_cast<std::int64_t>(data_.size());
  if (count <= 0 || position_ < 0 || position_ >= size) return 0;
  const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, size - position_));
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

std::int32_t TCustomMemoryStream::Write(const void*, std::int32_t) {
  return 0;
}

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
  std::int64_t base = 0;
  switch (origin) {
    case SeekOrigin::Begin:
      base = 0;
      break;
    case SeekOrigin::Current:
      base = position_;
      break;
    case SeekOrigin::End:
      base = static_cast<std::int64_t>(data_.size());
      break;
  }
  // An absurd offset saturates instead of wrapping around; reads out there deliver nothing.
  std::int64_t target;
  if (__builtin_add_overflow(base, offset, &target))
    target = offset < 0 ? std::numeric_limits<std::int64_t>::min()
                        : std::numeric_limits<std::int64_t>::max();
  position_ = target;
  return position_;
}

// --- TMemoryStream ------------------------------------------------------------------------

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
  const std::int64_t position = Position();
  if (count <= 0 || position < 0) return 0;
  const std::int64_t end = position + count;
  if (end > static_cast<std::int64_t>(bytes_.size())) {
    bytes_.resize(static_cast<std::size_t>(end));
    SetPointer(bytes_);
  }
  std::memcpy(bytes_.data() + position, buffer, static_cast<std::size_t>(count));
  Seek(end, SeekOrigin::Begin);
  return count;
}

void TMemoryStream::SetSize(std::int64_t size) {
  bytes_.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
  SetPointer(bytes_);
}

void TMemoryStream::Clear() {
  bytes_.clear();
  SetPointer(bytes_);
  Seek(0, SeekOrigin::Begin);
}

// --- TResourceStream ----------------------------------------------------------------------

std::optional<std::span<const std::uint8_t>> TResourceStream::Find(ModuleId module,
                                                                   std::string_view name) {
  return System().FindRcData(module, name);
}

TResourceStream::TResourceStream(ModuleId module, std::string_view name) {
  const auto data = Find(module, name);
  if (!data) throw EResNotFound(Format(LoadText(TextId::SResNotFound), {std::string(name)}));
  SetPointer(*data);
}

}  // namespace sx
