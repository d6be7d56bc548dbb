// The pictures of the album being downloaded: parallel arrays of address, target file name and extra
// request header, one index per picture, plus the album's folder. Each download run owns its own.
//
// The arrays always have the same length: pictures are only appended whole and cleared whole. Every
// member takes a lock, so a worker reading its entry, the interface reading the folder and the run
// thread writing never see a half-made state; readers get copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "MyCode/StringCtrl.h"

namespace albatrix {

class PictureList {
 public:
  PictureList() = default;
  PictureList(const PictureList&) = delete;
  PictureList& operator=(const PictureList&) = delete;

  // Appends one picture: its address (may hold a second, alternative address after CR LF), its target
  // file name (relative to folder(), or absolute) and its extra request header text (empty: none).
  void Append(Text url, Text fileName, Text requestHeader);

  // Empties the three arrays together. The folder is left as it is.
  void Clear();

  std::size_t size() const;

  // The entries of picture i; empty text when i is out of range.
  Text url(std::size_t i) const;
  Text fileName(std::size_t i) const;
  Text requestHeader(std::size_t i) const;

  // Copies of whole arrays, in list order.
  TextArray urls() const;
  TextArray fileNames() const;

  // Changes the file name of picture i (the format fix renames a file). False when i is out of range.
  bool SetFileName(std::size_t i, Text fileName);

  // True when `test` holds for some file name; stops at the first. `test` runs under the list's lock and
  // must not call back into the list.
  bool AnyFileName(const std::function<bool(const Text&)>& test) const;

  // The folder the current album's pictures are saved in, ending with the separator.
  Text folder() const;
  void SetFolder(Text folder);

 private:
  mutable std::mutex mutex_;
  TextArray urls_;
  TextArray fileNames_;
  TextArray requestHeaders_;
  Text folder_;
};

}  // namespace albatrix
