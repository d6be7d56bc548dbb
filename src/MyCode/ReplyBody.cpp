#include "MyCode/ReplyBody.h"

#include <algorithm>

#include "MyCode/FileSystem.h"
#include "MyCode/SniffContent.h"
#include "MyCode/StreamInflater.h"

namespace albatrix {

namespace {

// A compressed picture that inflates past both of these is no picture: the formats photos come in are
// compressed already and barely shrink again (a JPEG by a few percent, even a plain bitmap of a photo by a
// few times), while deflate makes a thousand bytes of a million zeros. The floor leaves small pictures
// with a flat surface or a large plain header alone; past it, the ratio stops a bomb a few megabytes in
// instead of at the picture limit.
constexpr std::uint64_t kInflateFloorBytes = 8u << 20;
constexpr std::uint64_t kInflateRatio = 100;

std::uint64_t KiB(std::int32_t k) { return static_cast<std::uint64_t>(std::max(k, 0)) * 1024; }

class PageBody : public ReplyBody {
 public:
  PageBody(const UrlRequest& request, UrlResponse& response)
      : request_(request),
        body_(response.body),
        filter_(!response.gzip && (!request.startMarker.empty() || !request.endMarker.empty())),
        maxBytes_(request.maxSizeK > 0 ? KiB(request.maxSizeK) : UINT64_MAX),
        minBytes_(KiB(request.minSizeK)) {
    // A gzip page is kept as sent and inflated by GetText; what it inflates to is counted here, so a
    // small compressed page that would become gigabytes of text fails before anyone inflates it.
    if (response.gzip) inflater_ = std::make_unique<StreamInflater>();
  }

  bool Take(std::string_view bytes) override {
    received_ += bytes.size();
    if (received_ > kPageCapBytes) return Fail(FetchFailure::Network, "page larger than the page limit");
    if (inflater_ && inflater_->state() == StreamInflater::State::More) {
      auto counted = [this](std::string_view) { return inflater_->produced() <= kPageCapBytes; };
      if (inflater_->Feed(bytes, counted) == StreamInflater::State::Stopped)
        return Fail(FetchFailure::Network, "page inflates beyond the page limit");
    }
    if (!filter_) {
      if (body_.size() + bytes.size() > maxBytes_)
        return Fail(FetchFailure::SizeLimit, "body larger than the size limit");
      body_.append(bytes);
      return true;
    }
    body_.append(bytes);
    if (ApplyMarkers(body_, request_.startMarker, request_.endMarker, checkedUpTo_)) {
      endMarkerReached_ = true;
      return false;  // the rest of the reply is not wanted
    }
    if (body_.size() > maxBytes_) return Fail(FetchFailure::SizeLimit, "body larger than the size limit");
    return true;
  }

  bool Finish() override {
    if (body_.size() < minBytes_) return Fail(FetchFailure::SizeLimit, "body smaller than the size limit");
    return true;
  }

 private:
  const UrlRequest& request_;
  Bytes& body_;
  const bool filter_;
  const std::uint64_t maxBytes_;
  const std::uint64_t minBytes_;
  std::unique_ptr<StreamInflater> inflater_;
  std::size_t checkedUpTo_ = 0;
  std::uint64_t received_ = 0;
};

class PictureBody : public ReplyBody {
 public:
  PictureBody(const UrlRequest& request, UrlResponse& response, const PictureHead& head,
              const PictureAcceptance* acceptance)
      : response_(response),
        file_(request.targetFile),
        head_(head),
        limit_(PictureLimitBytes(request)),
        minBytes_(KiB(request.minSizeK)),
        acceptance_(acceptance) {
    if (head.encoded) inflater_ = std::make_unique<StreamInflater>();
  }

  bool Take(std::string_view bytes) override {
    if (!opened_) {
      if (!file_.Open()) return CannotWrite("cannot create the temporary file");
      opened_ = true;
    }
    if (!inflater_) return Keep(bytes);
    received_ += bytes.size();
    // Compressed data that hardly inflates is still bounded by what we are willing to receive.
    if (received_ > kPictureCapBytes) return Fail(FetchFailure::SizeLimit, "compressed body beyond the picture limit");
    switch (inflater_->Feed(bytes, [this](std::string_view piece) { return Keep(piece); })) {
      case StreamInflater::State::Stopped: return false;  // Keep said why
      case StreamInflater::State::Broken: return Fail(FetchFailure::NotPicture, "compressed body does not decode");
      default: return true;  // after the stream's end, whatever follows is ignored
    }
  }

  bool Finish() override {
    if (inflater_ && inflater_->state() != StreamInflater::State::End)
      return Fail(FetchFailure::Network, "compressed body ended before its stream did");
    if (!judged_ && !Judge()) return false;  // shorter than the bytes a judgement looks at
    if (written_ < minBytes_) return Fail(FetchFailure::SizeLimit, "body smaller than the size limit");
    // An empty picture file would only be mistaken for a picture later.
    if (written_ == 0) return Fail(FetchFailure::NotPicture, "empty body for a file");
    if (acceptance_ && (written_ <= acceptance_->minBodyLength || markerSeen_))
      return Fail(FetchFailure::NotPicture, "reply not accepted (too short or retry marker found)");
    if (!file_.Commit()) return CannotWrite("cannot write the file");
    return true;
  }

 private:
  // Writes decoded bytes to the temporary file, judging the first bytes and the size on the way.
  bool Keep(std::string_view piece) {
    if (!judged_) {
      firstBytes_.append(piece.substr(0, kSniffBytes - firstBytes_.size()));
      if (firstBytes_.size() == kSniffBytes && !Judge()) return false;
    }
    if (written_ + piece.size() > limit_) return Fail(FetchFailure::SizeLimit, "body larger than the size limit");
    if (InflatesTooFar(written_ + piece.size()))
      return Fail(FetchFailure::NotPicture, "compressed data that inflates far beyond any picture");
    LookForRetryMarker(piece);
    if (!file_.Write(piece)) return CannotWrite("cannot write the temporary file");
    written_ += piece.size();
    return true;
  }

  // The file failed us; a full disk is named in the response, as the user can do something about it.
  bool CannotWrite(std::string why) {
    if (file_.OutOfRoom()) {
      response_.detail = DescribeFetchFailure(FetchFailure::CannotWrite, 0) + u": the disk is full";
      why += ": the disk is full";
    }
    return Fail(FetchFailure::CannotWrite, std::move(why));
  }

  bool InflatesTooFar(std::uint64_t decoded) const {
    return inflater_ && decoded > kInflateFloorBytes && decoded / kInflateRatio > received_;
  }

  // What the first bytes say, against what the headers said.
  bool Judge() {
    judged_ = true;
    const ContentKind kind = SniffContent(firstBytes_);
    if (kind == ContentKind::HtmlPage || (kind == ContentKind::Unknown && head_.htmlType))
      return Fail(FetchFailure::NotPicture, "an HTML page where a picture was expected");
    if (head_.lengthOutside) return Fail(FetchFailure::SizeLimit, "announced length outside the size limits");
    return true;
  }

  // The marker may straddle two pieces: the last marker-length-minus-one bytes are kept to search again.
  void LookForRetryMarker(std::string_view piece) {
    if (!acceptance_ || markerSeen_) return;
    std::string_view marker = acceptance_->retryMarker;
    if (marker.empty()) return;
    tail_.append(piece);
    markerSeen_ = tail_.find(marker) != std::string::npos;
    if (tail_.size() >= marker.size()) tail_.erase(0, tail_.size() - (marker.size() - 1));
  }

  UrlResponse& response_;
  FileReplacer file_;
  const PictureHead head_;
  bool opened_ = false;
  std::unique_ptr<StreamInflater> inflater_;
  const std::uint64_t limit_;
  const std::uint64_t minBytes_;
  const PictureAcceptance* acceptance_;
  std::uint64_t written_ = 0;
  std::uint64_t received_ = 0;
  std::string tail_;
  bool markerSeen_ = false;
  std::string firstBytes_;  // until judged
  bool judged_ = false;
};

}  // namespace

std::uint64_t PictureLimitBytes(const UrlRequest& request) {
  return request.maxSizeK > 0 ? std::min(KiB(request.maxSizeK), kPictureCapBytes) : kPictureCapBytes;
}

std::unique_ptr<ReplyBody> MakePageBody(const UrlRequest& request, UrlResponse& response) {
  return std::make_unique<PageBody>(request, response);
}

std::unique_ptr<ReplyBody> MakePictureBody(const UrlRequest& request, UrlResponse& response,
                                           const PictureHead& head, const PictureAcceptance* acceptance) {
  return std::make_unique<PictureBody>(request, response, head, acceptance);
}

}  // namespace albatrix
