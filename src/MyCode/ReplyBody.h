// Where the body of one fetch attempt goes while it arrives, and how its size is judged on the way: a
// page is kept in memory (filtered by its markers, bounded by kPageCapBytes of decoded text); a picture
// streams to a temporary file beside its target, decoded on the fly when the server compressed it, and is
// renamed into place only when the whole of it was received and judged good. Used by the fetcher only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "MyCode/URLSource2.h"

namespace albatrix {

class ReplyBody {
 public:
  virtual ~ReplyBody() = default;

  // Takes the next bytes of the body as received. False ends the transfer: either a failure (failure()
  // says which) or, for a page, its end marker (EndMarkerReached()).
  virtual bool Take(std::string_view bytes) = 0;
  // After the reply ended (or its end marker was reached): the judgements that need the whole body; a
  // picture is put in place. False with failure() set when the reply is refused.
  virtual bool Finish() = 0;

  bool EndMarkerReached() const { return endMarkerReached_; }
  FetchFailure failure() const { return failure_; }
  const std::string& why() const { return why_; }  // for the trace

 protected:
  bool Fail(FetchFailure failure, std::string why) {
    failure_ = failure;
    why_ = std::move(why);
    return false;
  }
  bool endMarkerReached_ = false;

 private:
  FetchFailure failure_ = FetchFailure::None;
  std::string why_;
};

// Fetch's acceptance check, judged on a picture before it is put in place: its (decoded) length must be
// greater than `minBodyLength` and it must not contain `retryMarker` (when not empty).
struct PictureAcceptance {
  std::uint32_t minBodyLength = 0;
  std::string_view retryMarker;
};

// The body of a page: into `response.body`, filtered by the request's markers while reading unless the
// reply is gzip (`response.gzip`). Fails beyond the request's maxSizeK (SizeLimit) and beyond
// kPageCapBytes of received or decoded text (Network); a kept body under minSizeK is SizeLimit at the end.
std::unique_ptr<ReplyBody> MakePageBody(const UrlRequest& request, UrlResponse& response);

// What the final reply's headers said of a picture's body; its first bytes have the last word.
struct PictureHead {
  bool encoded = false;   // Content-Encoding: inflated on the way
  bool htmlType = false;  // Content-Type text/html: refused unless the body begins as a picture does
  // The announced length lies outside the size limits, left to be judged with the first bytes: only
  // with htmlType (otherwise the headers alone refuse the reply), a picture being left out by its limits
  // and a page refused as one.
  bool lengthOutside = false;
};

// The body of a picture for `request.targetFile`. Its first bytes (decoded; SniffContent) decide before
// the rest is judged: the beginning of an HTML page is NotPicture, so is that of no known picture format
// under `head.htmlType`; a known picture format is a picture whatever the headers said. Compressed data
// that inflates far beyond what it came as (past a few megabytes, a hundred times its compressed size) is
// NotPicture as soon as it does. A file that cannot be written for a full disk says so in
// `response.detail`. `acceptance` may be null.
std::unique_ptr<ReplyBody> MakePictureBody(const UrlRequest& request, UrlResponse& response,
                                           const PictureHead& head, const PictureAcceptance* acceptance);

// The largest picture a request accepts, in decoded bytes: its maxSizeK, never beyond kPictureCapBytes.
std::uint64_t PictureLimitBytes(const UrlRequest& request);

}  // namespace albatrix
