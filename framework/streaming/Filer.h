#pragma once

// TFiler: what an object sees of the reader while it offers its stored, unpublished
// properties, and the procedures that read them.

#include <functional>
#include <string_view>

#include "framework/streaming/Object.h"

namespace sx {

class TReader;
class TStream;

// Reads the value of a stored property that is not published.
using ReaderProc = std::function<void(TReader& reader)>;
// Reads the bytes of a stored binary property.
using BinaryReaderProc = std::function<void(TStream& data)>;

// What an object sees of the reader while it offers its stored, unpublished properties
// (DefineStoredData). Nothing in the program writes definitions, so only reading is offered.
class TFiler : public TObject {
  SX_CLASS(TFiler)

  // Reads the current entry through `read` when its name is `name` (ASCII case ignored).
  virtual void DefineStored(std::string_view name, const ReaderProc& read, bool hasData) = 0;
  // The same for a binary block: `read` gets the block's bytes as a stream.
  virtual void DefineStoredBinary(std::string_view name, const BinaryReaderProc& read,
                                  bool hasData) = 0;
  // Brings the underlying stream to where the filer stands, so that others may use it.
  virtual void SyncPosition() = 0;
};

}  // namespace sx
