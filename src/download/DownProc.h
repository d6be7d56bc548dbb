// The download run: takes the chosen albums one after another, lists each album's pictures through the
// naming step, then writes its list file or downloads it with the workers, writes the skip marker and
// runs the format and order fixes.
#pragma once

#include "download/RunSession.h"

namespace albatrix {

// The texts of the run, exactly as the window shows them.
inline constexpr char16_t kTextDownload[] = u"下载";
inline constexpr char16_t kTextStopDownload[] = u"终止下载";
inline constexpr char16_t kTextNoSavePath[] = u"请先设置保存路径";
inline constexpr char16_t kTextBadSavePath[] = u"请检测设置的保存路径是否有误";
inline constexpr char16_t kTextNoAlbumChosen[] = u"请先选择要下载的相册";
inline constexpr char16_t kTextListTypeError[] = u"Error ListType Code.";
inline constexpr char16_t kTextDownloadStarted[] = u"已开始下载图片";
inline constexpr char16_t kTextRunDone[] = u"下载完毕";
inline constexpr char16_t kTextRunThreadFailed[] = u"Create thread:GetListFunc failed.";

// Creates every missing folder of `path` (trimmed; a separator is appended when missing). True when all
// exist afterwards; otherwise false with the folder that could not be made in `failedFolder`.
bool MakeFolderPath(TextView path, Text* failedFolder = nullptr);

// The run's base folder: the save path trimmed, with a separator appended when missing, then the member
// key and the sub-folder (each empty or ending with the separator).
Text RunBaseFolder(TextView savePath, TextView memberKey, TextView subFolder);

// The whole run, on the calling thread (the controller gives it a thread of its own). Expects runState
// RUN_BUSY (the button set it); leaves it RUN_IDLE. The early exits (no save path, a base folder that
// cannot be made) show their message and return to idle without entering the busy look. After an album
// that was not cancelled, its skip marker names the picture after the last one that failed (pictures
// left out by the size limits count as done); when the last picture failed the marker is left as it is.
// The session's counts and failure list say afterwards what the run did.
void DownloadRun(RunSession& session);

}  // namespace albatrix
