#include "model/AlbumRecords.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <string>

#include "MyCode/FileOps.h"
#include "MyCode/Trace.h"
#include "MyCode/SanitizeFileName.h"

namespace albatrix {
namespace {

// "%s (%u)" of the cleaned title and the counter.
Text NumberedTitle(const Text& base, unsigned counter) {
  std::string suffix = " (" + std::to_string(counter) + ")";
  return base + Text(suffix.begin(), suffix.end());
}

}  // namespace

AlbumList::AlbumList(Clock now) : now_(std::move(now)) {}

std::int32_t AlbumList::AppendAlbum(const ST_PERLISTRECORD& album) {
  try {
    auto record = std::make_unique<ST_PERLISTRECORD>();
    record->albumPath = album.albumPath;
    record->coverUrl = album.coverUrl;
    record->extraText1 = album.extraText1;
    record->extraText2 = album.extraText2;
    record->pictureCount = album.pictureCount;
    record->accessFlags = album.accessFlags;
    record->number1 = album.number1;
    record->number2 = album.number2;
    record->thumbIndex = -1;
    record->ordinal = static_cast<std::int32_t>(albums_.size());

    Text cleaned = SanitizeFileName(album.title, kFallbackTimeStamp, true, now_);
    Text title = cleaned;
    unsigned counter = 0;
    if (HasTitle(title)) {
      // Every "<cleaned> (k)" below the remembered counter is taken already, and titles are only ever
      // added while the counter is remembered, so starting there finds the same first free k.
      auto hint = nextCounter_.find(cleaned);
      counter = hint == nextCounter_.end() ? 1u : hint->second;
      while (HasTitle(title = NumberedTitle(cleaned, counter))) ++counter;
    }
    record->title = std::move(title);

    if (albums_.size() == albums_.capacity()) albums_.reserve(albums_.size() * 2 + 16);
    CountTitle(record->title);
    albums_.push_back(std::move(record));
    if (counter != 0) RememberCounter(cleaned, counter + 1);
  } catch (const std::bad_alloc&) {
    Trace("AppendAlbum: out of memory, album not added");
    return -1;
  }
  return static_cast<std::int32_t>(albums_.size());
}

void AlbumList::ClearAlbums() {
  while (!albums_.empty()) albums_.pop_back();
  titleCounts_.clear();
  nextCounter_.clear();
}

const ST_PERLISTRECORD& AlbumList::operator[](std::size_t i) const {
  assert(i < albums_.size());
  return *albums_[i];
}

void AlbumList::SetTitle(std::size_t i, Text title) {
  if (i >= albums_.size()) return;
  UncountTitle(albums_[i]->title);
  albums_[i]->title = std::move(title);
  CountTitle(albums_[i]->title);
  // A title that went away may free a numbered name that a remembered counter has already passed.
  nextCounter_.clear();
}

void AlbumList::CutTitle(std::size_t i, std::size_t maxUnits) {
  if (i >= albums_.size() || albums_[i]->title.size() <= maxUnits) return;
  Text& title = albums_[i]->title;
  UncountTitle(title);
  title = FirstFreeNumberedName(
      CutToUnits(title, maxUnits), [this](const Text& name) { return HasTitle(name); },
      [maxUnits](TextView name, TextView number) {
        return CutToUnits(name, number.size() < maxUnits ? maxUnits - number.size() : 0);
      });
  CountTitle(title);
  // The long title went away, which may free a numbered name that a remembered counter has passed.
  nextCounter_.clear();
}

void AlbumList::SetThumbIndex(std::size_t i, std::int32_t thumbIndex) {
  if (i < albums_.size()) albums_[i]->thumbIndex = thumbIndex;
}

bool AlbumList::HasTitle(TextView title) const { return titleCounts_.find(Text(title)) != titleCounts_.end(); }

void AlbumList::Sort(const std::function<bool(const ST_PERLISTRECORD&, const ST_PERLISTRECORD&)>& less) {
  std::stable_sort(albums_.begin(), albums_.end(),
                   [&less](const auto& a, const auto& b) { return less(*a, *b); });
}

void AlbumList::RememberCounter(const Text& cleaned, unsigned next) {
  // Only a shortcut: without it the search starts at 1 and finds the same name, so a failure to store
  // it is no loss.
  try {
    nextCounter_[cleaned] = next;
  } catch (const std::bad_alloc&) {
    nextCounter_.erase(cleaned);
  }
}

void AlbumList::CountTitle(const Text& title) { ++titleCounts_[title]; }

void AlbumList::UncountTitle(const Text& title) {
  auto it = titleCounts_.find(title);
  if (it == titleCounts_.end()) return;
  if (--it->second == 0) titleCounts_.erase(it);
}

}  // namespace albatrix
