#include "discovery/PageReader.h"

#include "MyCode/Trace.h"

namespace albatrix {

PageReader::PageReader(const std::atomic<bool>* abort, RequestPacer* pacer, FetchFn fetch)
    : request_(Text(), Text(), 20000), fetch_(std::move(fetch)) {
  request_.extraHeaders = kAcceptGzipHeader;
  request_.abort = abort;
  request_.pacer = pacer;
}

bool PageReader::Fail(TextView address, FetchFailure failure, Text reason) {
  failure_ = {failure, response_.httpStatus, std::move(reason)};
  Trace("page: " + TextToUtf8(failure_.reason) + " from " + TextToUtf8(address));
  return false;
}

bool PageReader::Read(TextView address, Text& text) {
  request_.url = Text(address);
  text.clear();
  failure_ = PageFailure{};
  if (!(fetch_ ? fetch_(request_, response_, 0) : Fetch(request_, response_, 0))) {
    if (response_.failure == FetchFailure::None) response_.failure = FetchFailure::Network;
    Fail(address, response_.failure, DescribeFetchFailure(response_));
    failure_.named = !response_.detail.empty();
    return false;
  }
  text = GetText(response_, TEXT_GUNZIP);
  const long status = response_.httpStatus;
  if (status != 0 && (status < 200 || status > 299))
    return Fail(address, FetchFailure::HttpStatus, DescribeFetchFailure(FetchFailure::HttpStatus, status));
  if (text.empty()) return Fail(address, FetchFailure::Network, u"empty page");
  return true;
}

}  // namespace albatrix
