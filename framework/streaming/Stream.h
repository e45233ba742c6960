#pragma once

// Byte streams: the source a reader pulls a stored definition from.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "framework/runtime/SystemServices.h"
#include "framework/streaming/Object.h"

namespace sx {

enum class SeekOrigin : std::uint8_t { Begin, Current, End };

class TStream : public TObject {
  SX_CLASS(TStream)

  // Copies up to `count` bytes to `buffer` and returns how many were copied; 0 at the end
  // of the data (or for a count that is not positive).
  virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
  // Stores up to `count` bytes and returns how many were stored; read-only streams store none.
  virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
  // Moves to `offset` from the origin and returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

  std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Begin); }
  virtual std::int64_t Size();

  // Reads exactly `count` bytes; raises EReadError "Stream read error" when fewer are left.
  void ReadBuffer(void* buffer, std::int32_t count);
};

// A read-only stream over memory that somebody else owns and keeps alive.
class TCustomMemoryStream : public TStream {
  SX_CLASS(TCustomMemoryStream)

  TCustomMemoryStream() = default;
  explicit TCustomMemoryStream(std::span<const std::uint8_t> data) { SetPointer(data); }

  std::int32_t Read(void* buffer, std::int32_t count) override;
  std::int32_t Write(const void* buffer, std::int32_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }

  std::span<const std::uint8_t> Memory() const { return data_; }

 protected:
  // Changes the bytes read; the position stays where it was.
  void SetPointer(std::span<const std::uint8_t> data) { data_ = data; }

 private:
  std::span<const std::uint8_t> data_;
  // May stand anywhere, even outside the data; reads there deliver nothing.
  std::int64_t position_ = 0;
};

// A stream that owns its bytes and grows as they are written.
class TMemoryStream : public TCustomMemoryStream {
  SX_CLASS(TMemoryStream)

  TMemoryStream() = default;

  std::int32_t Write(const void* buffer, std::int32_t count) override;

  // Cuts or extends the data (extension with zero bytes); the position is kept.
  void SetSize(std::int64_t size);
  void Clear();
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// A read-only stream over a loaded RCDATA resource, read in place.
class TResourceStream : public TCustomMemoryStream {
  SX_CLASS(TResourceStream)

  // The bytes of the RCDATA resource of that name (letter case ignored) in the module's
  // resource module; nothing when there is no such resource, which the caller decides about.
  static std::optional<std::span<const std::uint8_t>> Find(ModuleId module, std::string_view name);

  // A stream over bytes that Find returned.
  explicit TResourceStream(std::span<const std::uint8_t> data) : TCustomMemoryStream(data) {}
  // Finds and opens the resource; raises EResNotFound "Resource %s not found" when absent.
  TResourceStream(ModuleId module, std::string_view name);
};

}  // namespace sx
