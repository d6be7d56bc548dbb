#include "download/PictureNaming.h"

#include <cstdio>

#include "MyCode/FileOps.h"
#include "MyCode/FileSystem.h"
#include "MyCode/Trace.h"
#include "download/AlbumFiles.h"
#include "download/PostProcess.h"

namespace albatrix {
namespace {

Text FourDigits(long long value) {
  char buf[32];
  int n = std::snprintf(buf, sizeof buf, "%04lld", value);
  return Text(buf, buf + (n > 0 ? n : 0));
}

// The base name from the picture's address: what follows its last "/", when that "/" is not the first
// character. False when the address offers none (the picture's number is used then).
bool NameFromAddress(const Text& url, Text& base) {
  std::size_t slash = url.rfind(u'/');
  if (slash == Text::npos || slash == 0) return false;
  base = url.substr(slash + 1);
  return true;
}

bool IsAsciiLowerEqual(TextView text, TextView lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    if (c != lower[i]) return false;
  }
  return true;
}

// Album setup that comes with the first picture: the folder, and the marker an earlier run left there.
void EnterAlbumFolder(RunSession& session, const ST_PERLISTRECORD& album) {
  AlbumUnderWay& now = session.Album();
  Text folder = now.Pictures().folder();
  const Text name = AlbumFolderName(now.Rule(), album);
  if (!now.FolderAgain().empty()) {
    // An album listed again goes back into the folder it had.
    folder = now.FolderAgain();
  } else if (!name.empty()) {
    folder += session.ClaimAlbumFolder(name);
    folder += kPathSep;
  }
  if (!CreateFolders(folder)) Trace("album folder could not be made: " + TextToUtf8(folder));
  // A run that was killed left its pictures in flight behind as temporaries; this run writes here now.
  RemoveStaleTemporaries(folder);
  now.EnterFolder(folder, ReadSkipMarker(folder));
  session.Journal().AlbumFolder(now.Position(), folder);
}

}  // namespace

Text ExpandPicturePlaceholders(TextView name, const ST_PERLISTRECORD& album, std::size_t pictureNumber,
                               std::int32_t selectedCount, std::size_t albumCount, TextView memberKey) {
  Text text(name);
  if (text.find(u'?') == Text::npos) return text;
  ReplaceAll(text, u"?1", album.title);
  ReplaceAll(text, u"?2", DecimalText(static_cast<long long>(pictureNumber)));
  ReplaceAll(text, u"?3", DecimalText(static_cast<long long>(album.ordinal) + 1));
  ReplaceAll(text, u"?4", DecimalText(album.number1));
  ReplaceAll(text, u"?5", DecimalText(album.number2));
  ReplaceAll(text, u"?6", DecimalText(selectedCount));
  ReplaceAll(text, u"?7", DecimalText(static_cast<long long>(albumCount)));
  ReplaceAll(text, u"?8", memberKey);
  ReplaceAll(text, u"?9", FourDigits(static_cast<long long>(album.ordinal) + 1));
  return text;
}

Text ExpandFolderPlaceholders(TextView name, const ST_PERLISTRECORD& album) {
  Text text(name);
  if (text.find(u'?') == Text::npos) return text;
  ReplaceAll(text, u"?1", album.title);
  ReplaceAll(text, u"?3", DecimalText(static_cast<long long>(album.ordinal) + 1));
  ReplaceAll(text, u"?9", FourDigits(static_cast<long long>(album.ordinal) + 1));
  return text;
}

Text PictureExtensionOf(TextView name) {
  std::size_t dot = name.rfind(u'.');
  if (dot == TextView::npos) return Text();
  TextView tail = name.substr(dot);
  for (TextView known : {u".jpeg", u".jpg", u".bmp", u".gif", u".png", u".tif"}) {
    if (IsAsciiLowerEqual(tail, known)) return Text(tail);
  }
  return Text();
}

Text AlbumFolderName(const NameRule& rule, const ST_PERLISTRECORD& album) {
  Text name = rule.albumFolderMode == 0 ? album.title : Text();
  name = RuleText(rule.albumPrefix) + name + RuleText(rule.albumSuffix);
  name = ExpandFolderPlaceholders(name, album);
  name = SanitizeFileName(name, 0, false);
  return FitNameToPlatform(name);
}

PictureName NamePicture(const PictureEntry& picture, const ST_PERLISTRECORD& album, const NameRule& rule,
                        const PictureNameContext& context) {
  // A description is only ever a name: a path in it (a drive, "/", "..") is cleaned like any other text,
  // so page text can never choose where a file goes.
  Text base;
  switch (rule.nameSource) {
    case NAME_FROM_DESCRIPTION:
      base = SanitizeFileName(picture.description, 0, false, context.now);
      if (base.empty()) base = album.title;
      break;
    case NAME_FROM_ADDRESS:
      if (NameFromAddress(picture.url, base)) break;
      [[fallthrough]];
    default:
      base = DecimalText(static_cast<long long>(context.number));
      break;
  }
  Text name = RuleText(rule.prefix) + base + RuleText(rule.suffix);
  name = ExpandPicturePlaceholders(name, album, context.number, context.chosenAlbums, context.listedAlbums,
                                   context.memberKey);
  ReplaceList(name, RuleText(rule.replaceFrom), RuleText(rule.replaceTo));
  name = SanitizeFileName(name, kFallbackTimeStamp, true, context.now);

  const std::size_t room =
      context.folderLength >= kMaxPicturePathLength ? 0 : kMaxPicturePathLength - context.folderLength;
  name = CutToUnits(name, room);
  PictureName result;
  result.extension = PictureExtensionOf(name);
  if (result.extension.empty()) {
    result.extension = u".jpg";
  } else {
    name.resize(name.size() - result.extension.size());
  }
  result.stem = FitNameToPlatform(name, result.extension);
  return result;
}

Text UniqueInAlbum(const PictureName& name, TakenNames& taken) {
  Text fileName = name.stem + name.extension;
  if (!taken.Contains(fileName)) return fileName;
  unsigned k = taken.NextCounter(name.stem, name.extension);
  for (;; ++k) {
    Text counter = u"(" + DecimalText(k) + u")";
    fileName = FitNameToPlatform(name.stem, counter + name.extension) + counter + name.extension;
    if (!taken.Contains(fileName)) break;
  }
  taken.RememberCounter(name.stem, name.extension, k + 1);
  return fileName;
}

void BuildPictureName(RunSession& session, const PictureEntry& picture, const ST_PERLISTRECORD& album) {
  AlbumUnderWay& now = session.Album();
  const NameRule& rule = now.Rule();
  const std::size_t listed = now.Pictures().size();
  // The album's folder comes with its first picture, and with it the marker an earlier run left there.
  if (listed == 0) EnterAlbumFolder(session, album);
  const Text folder = now.Pictures().folder();

  const RunPlan& plan = session.Plan();
  PictureNameContext context;
  context.number = listed + 1;
  context.chosenAlbums = static_cast<std::int32_t>(plan.albums.size());
  context.listedAlbums = plan.listedAlbums;
  context.memberKey = plan.memberKey;
  context.folderLength = folder.size();
  context.now = plan.now;
  const Text fileName = UniqueInAlbum(NamePicture(picture, album, rule, context), now.Names());

  if ((rule.options & OPT_SKIP_DOWNLOADED) && now.MeetsSkipMarker(picture.url)) {
    session.Flags().StopAlbum();
    return;
  }

  now.Add(picture.url, fileName);
  const std::size_t count = listed + 1;
  session.Events().PictureListed(count);

  if (rule.options & OPT_DESCRIPTION_FILE) {
    if (!AppendDescription(folder, album.title, count, picture.description)) {
      Trace("description file could not be written in " + TextToUtf8(folder));
    }
  }
}

}  // namespace albatrix
