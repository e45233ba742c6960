#include "framework/controls/Messages.h"

namespace sx {

bool DispatchFromTable(TObject& self, const MessageTable* table, TMessage& message) {
  for (; table; table = table->parent)
    for (const MessageEntry& entry : table->entries)
      if (entry.msg == message.Msg) {
        entry.handler(self, message);
        return true;
      }
  return false;
}

}  // namespace sx
