#include "app/InputLook.h"

namespace albatrix {

InputLook InputLookOf(InputBusy busy, bool previewMode, bool hasAlbums) {
  const bool listing = busy == InputBusy::Listing;
  const bool running = busy == InputBusy::Running;
  const bool idle = busy == InputBusy::None;
  const bool findable = !listing && !previewMode;
  return InputLook{{
      {Control::Site, idle},
      {Control::Member, idle},
      {Control::GetAlbums, !running},
      {Control::Download, running || (idle && hasAlbums)},
      {Control::SavePath, !running},
      {Control::ChooseFolder, !running},
      {Control::Preview, !listing},
      {Control::Filter, findable},
      {Control::Find, findable},
      {Control::Export, !listing},
  }};
}

}  // namespace albatrix
