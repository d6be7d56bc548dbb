#include "model/PictureList.h"

namespace albatrix {
namespace {

// Geometric growth, as push_back would do, but done before any array changes.
void ReserveOneMore(TextArray& array) {
  if (array.size() == array.capacity()) array.reserve(array.size() * 2 + 16);
}

Text EntryOrEmpty(const TextArray& array, std::size_t i) { return i < array.size() ? array[i] : Text(); }

}  // namespace

void PictureList::Append(Text url, Text fileName, Text requestHeader) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Grow all three first so that a failed allocation leaves the arrays as they were, never uneven.
  ReserveOneMore(urls_);
  ReserveOneMore(fileNames_);
  ReserveOneMore(requestHeaders_);
  urls_.push_back(std::move(url));
  fileNames_.push_back(std::move(fileName));
  requestHeaders_.push_back(std::move(requestHeader));
}

void PictureList::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  urls_.clear();
  fileNames_.clear();
  requestHeaders_.clear();
}

std::size_t PictureList::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return urls_.size();
}

Text PictureList::url(std::size_t i) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return EntryOrEmpty(urls_, i);
}

Text PictureList::fileName(std::size_t i) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return EntryOrEmpty(fileNames_, i);
}

Text PictureList::requestHeader(std::size_t i) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return EntryOrEmpty(requestHeaders_, i);
}

TextArray PictureList::urls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return urls_;
}

TextArray PictureList::fileNames() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fileNames_;
}

bool PictureList::SetFileName(std::size_t i, Text fileName) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (i >= fileNames_.size()) return false;
  fileNames_[i] = std::move(fileName);
  return true;
}

bool PictureList::AnyFileName(const std::function<bool(const Text&)>& test) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Text& name : fileNames_) {
    if (test(name)) return true;
  }
  return false;
}

Text PictureList::folder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return folder_;
}

void PictureList::SetFolder(Text folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  folder_ = std::move(folder);
}

}  // namespace albatrix
