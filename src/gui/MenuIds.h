// Menu items cannot carry the menu's command ids (32772-32823) as wx ids: wx wants them below 0x7FFF.
// This one mapping turns a command id into the item's wx id and back; everything outside the menu bar
// keeps the command ids.
#pragma once

namespace albatrix {

constexpr int kMenuIdOffset = 30000;
constexpr int MenuWxId(int commandId) { return commandId - kMenuIdOffset; }
constexpr int MenuCommandId(int wxId) { return wxId + kMenuIdOffset; }

// The menu's commands land between the control ids (1000-1037) and wx's stock ids (4999-5999).
static_assert(MenuWxId(32772) > 1037 && MenuWxId(32823) < 4999, "menu item ids collide");

}  // namespace albatrix
