// The download run: takes the chosen albums one after another, lists each album's pictures through the
// naming step, then writes its list file or downloads it with the workers, writes the skip marker and
// runs the format and order fixes.
#pragma once

#include "download/RunSession.h"

namespace albatrix {

// Creates every missing folder of `path` (trimmed; a separator is appended when missing). True when all
// exist afterwards; otherwise false with the folder that could not be made in `failedFolder`.
bool MakeFolderPath(TextView path, Text* failedFolder = nullptr);

// The run's base folder: the save path trimmed, with a separator appended when missing, then the member
// key and the sub-folder (each empty or ending with the separator).
Text RunBaseFolder(TextView savePath, TextView memberKey, TextView subFolder);

// The whole run, on the calling thread (the controller gives it a thread of its own). The early exits (no
// save path, a base folder that cannot be made) report RunRefused and nothing else; otherwise RunBegun
// comes first and RunEnded last, with every album's events between. After an album that was not
// cancelled, its skip marker names the picture after the last one that failed (pictures left out by the
// size limits count as done); when the last picture failed the marker is left as it is. The run's flags
// end RUN_IDLE, and session.Tally() says what the run did.
void DownloadRun(RunSession& session);

// One album of the run at `position` (1 for the first), from its listing to its tally, into
// `folderAgain` when that is set (else the folder its name gives under the base folder); AlbumBegun
// first when `announce`. The caller records the tally in the session and reports AlbumEnded.
AlbumTally RunAlbum(RunSession& session, const ST_PERLISTRECORD& album, std::size_t position, bool announce,
                    Text folderAgain = Text());

// The job file's first form for a run over `plan`: its plan, every album waiting, a new run id.
DownloadJob JobOfPlan(const RunPlan& plan);

}  // namespace albatrix
