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

// The body of a picture for `request.targetFile`; `encoded` when it must be inflated (Content-Encoding).
// `acceptance` may be null.
std::unique_ptr<ReplyBody> MakePictureBody(const UrlRequest& request, bool encoded,
                                           const PictureAcceptance* acceptance);

// The largest picture a request accepts, in decoded bytes: its maxSizeK, never beyond kPictureCapBytes.
std::uint64_t PictureLimitBytes(const UrlRequest& request);

}  // namespace albatrix
