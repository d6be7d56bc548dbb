// The naming step: every picture the album photo crawler finds gets its file name here from the user's
// naming rules; the album's folder is made with the album's first picture, the skip marker is read and
// honoured, and the picture is appended to the picture list.
#pragma once

#include <cstddef>

#include "MyCode/StringCtrl.h"
#include "download/RunSession.h"
#include "download/TakenNames.h"
#include "model/AlbumRecords.h"

namespace albatrix {

// The longest picture name together with its folder, in UTF-16 code units, before the extension.
constexpr std::size_t kMaxPicturePathLength = 250;

// Name source values of NameRule::nameSource.
constexpr std::uint8_t NAME_FROM_DESCRIPTION = 0;
constexpr std::uint8_t NAME_FROM_NUMBER = 1;
constexpr std::uint8_t NAME_FROM_ADDRESS = 2;

// The placeholders "?1" .. "?9" of a picture name, in that order: album title, the picture's number in
// the album (pictureNumber), ordinal + 1, number1, number2, albums chosen for the run, albums in the list,
// the member key, "%04d" of ordinal + 1.
Text ExpandPicturePlaceholders(TextView name, const ST_PERLISTRECORD& album, std::size_t pictureNumber,
                               std::int32_t selectedCount, std::size_t albumCount, TextView memberKey);

// The placeholders an album folder name may hold: "?1", "?3" and "?9" only.
Text ExpandFolderPlaceholders(TextView name, const ST_PERLISTRECORD& album);

// The picture extension that ends `name` (".jpeg", ".jpg", ".bmp", ".gif", ".png" or ".tif" in any
// letter case, kept in its own case), or empty when the name ends otherwise.
Text PictureExtensionOf(TextView name);

// The album's folder name from the rules (already cleaned; may be empty: the pictures then go straight
// into the run's base folder).
Text AlbumFolderName(const NameRule& rule, const ST_PERLISTRECORD& album);

// What a picture's name depends on besides the picture, its album and the rule.
struct PictureNameContext {
  std::size_t number = 1;         // its place in the album's list, 1 for the first ("?2", the number source)
  std::int32_t chosenAlbums = 0;  // albums chosen for the run ("?6")
  std::size_t listedAlbums = 0;   // albums in the list they were chosen from ("?7")
  Text memberKey;                 // "?8"
  std::size_t folderLength = 0;   // units of the album folder's path, which shares kMaxPicturePathLength
  NowFunction now;                // the clock of a name that cleans to nothing; empty: the system's
};

// A picture's name in its album folder before it is made unique there: the stem and the extension.
struct PictureName {
  Text stem;
  Text extension;
};

// The naming rule applied to one picture, a pure function of its arguments: the base name by the rule's
// name source (the description cleaned, the album title when that leaves nothing; the last part of the
// address; the picture's number), then prefix + base + suffix, placeholders, replace pairs and the
// fallback cleaning; cut (never inside a surrogate pair) so that folder and name stay within
// kMaxPicturePathLength; the extension taken from it (".jpg" unless it ends in a picture extension); the
// stem cut between whole characters to the platform's limit for one name. A description is always a
// name, never a path.
PictureName NamePicture(const PictureEntry& picture, const ST_PERLISTRECORD& album, const NameRule& rule,
                        const PictureNameContext& context);

// `name` as a file name no other picture of the album has (ignoring case): "(1)", "(2)", ... before the
// extension until it is free. `taken` remembers where the counting stopped; the name is not added.
Text UniqueInAlbum(const PictureName& name, TakenNames& taken);

// The naming step of the run for one picture of `album`, around NamePicture:
//  - with the album's first picture: the album folder is made (a folder name another album of the run
//    already has, ignoring case, gets " (1)", " (2)", ... within the limit of one name), the temporaries
//    a killed run left there removed, and its skip marker read;
//  - the name made unique in the album (UniqueInAlbum);
//  - with OPT_SKIP_DOWNLOADED, the address that an earlier run began with sets the run state to RUN_ALBUM_STOP
//    and the picture is not listed;
//  - otherwise the picture is appended to the picture list, PictureListed is reported with the album's
//    count so far, and with OPT_DESCRIPTION_FILE the description is added to the album's description
//    file.
void BuildPictureName(RunSession& session, const PictureEntry& picture, const ST_PERLISTRECORD& album);

}  // namespace albatrix
