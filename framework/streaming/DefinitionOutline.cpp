#include "framework/streaming/DefinitionOutline.h"

#include "framework/runtime/TextUtil.h"
#include "framework/streaming/Stream.h"
#include "framework/streaming/ValueReader.h"

namespace sx {
namespace {

// Values only: no object is built, so no stored property is ever offered to one.
class TOutlineReader final : public TValueReader {
 public:
  using TValueReader::TValueReader;
  void DefineStored(std::string_view, const ReaderProc&, bool) override {}
  void DefineStoredBinary(std::string_view, const BinaryReaderProc&, bool) override {}
};

class OutlineWalk {
 public:
  OutlineWalk(std::span<const std::uint8_t> definition, DecidingProperty deciding)
      : definition_(definition), stream_(definition), reader_(stream_), deciding_(deciding) {}

  std::vector<ComponentOutline> Walk() {
    reader_.CheckSignature();
    Record(0);
    return std::move(outline_);
  }

 private:
  void Record(int depth) {
    TValueReader::NestingScope nested(reader_);
    ComponentOutline component;
    component.depth = depth;
    PrefixFlags flags;
    reader_.ReadObjectPrefix(flags, component.childPosition);
    component.prefix = flags.Mask();
    component.className = AsciiUpperCase(reader_.ReadShortText());
    component.name = AsciiUpperCase(reader_.ReadShortText());
    while (!reader_.AtListEnd()) {
      const std::string path = reader_.ReadShortText();
      const std::int64_t start = reader_.Position();
      reader_.SkipOneValue();
      if (!deciding_(path)) continue;
      const auto value = definition_.subspan(static_cast<std::size_t>(start),
                                             static_cast<std::size_t>(reader_.Position() - start));
      component.entries.push_back({AsciiUpperCase(path), {value.begin(), value.end()}});
    }
    reader_.ReadTag();
    outline_.push_back(std::move(component));
    while (!reader_.AtListEnd())
      Record(depth + 1);
    reader_.ReadTag();
  }

  std::span<const std::uint8_t> definition_;
  TCustomMemoryStream stream_;
  TOutlineReader reader_;
  DecidingProperty deciding_;
  std::vector<ComponentOutline> outline_;
};

}  // namespace

std::vector<ComponentOutline> OutlineDefinition(std::span<const std::uint8_t> definition,
                                                DecidingProperty deciding) {
  return OutlineWalk(definition, deciding).Walk();
}

}  // namespace sx
