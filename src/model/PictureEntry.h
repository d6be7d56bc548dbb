// One picture as an album's page lists it: what the album photo crawler finds and the naming step names.
#pragma once

#include <functional>

#include "MyCode/StringCtrl.h"

namespace albatrix {

struct PictureEntry {
  Text url;          // the large picture: every "small." of the listed address turned into "big."
  Text description;  // the `title` after the address; empty when there is none
};

// Receives the pictures of an album in page order.
using PictureFoundFn = std::function<void(const PictureEntry& picture)>;

}  // namespace albatrix
