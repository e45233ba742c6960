#include "framework/controls/Messages.h"

namespace sx {

bool DispatchFromTable(TObject& self, const MessageTable* table, TMessage& message) {
  for (; table; table = table->parent)
    for (const MessageEntry& entry : table->entries)
      if (message.Msg >= entry.first && message.Msg <= entry.last) {
        entry.handler(self, message);
        return true;
      }
  return false;
}

}  // namespace sx
