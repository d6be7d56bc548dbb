// Menu items cannot carry the menu's command ids (32772-32823) as wx ids: wx wants them below 0x7FFF.
// This one mapping turns a command id into the item's wx id and back; everything outside the menu bar
// keeps the command ids.
#pragma once

namespace albatrix {

constexpr int kMenuIdOffset = 30000;
constexpr int MenuWxId(int commandId) { return commandId - kMenuIdOffset; }
constexpr int MenuCommandId(int wxId) { return wxId + kMenuIdOffset; }

}  // namespace albatrix
