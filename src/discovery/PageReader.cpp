#include "discovery/PageReader.h"

#include "MyCode/Trace.h"

namespace albatrix {

PageReader::PageReader(const std::atomic<bool>* abort, RequestPacer* pacer, FetchFn fetch)
    : request_(Text(), Text(), 20000), fetch_(std::move(fetch)) {
  request_.extraHeaders = kAcceptGzipHeader;
  request_.abort = abort;
  request_.pacer = pacer;
}

bool PageReader::Read(TextView address, Text& text) {
  request_.url = Text(address);
  text.clear();
  if (!(fetch_ ? fetch_(request_, response_, 0) : Fetch(request_, response_, 0))) {
    Trace("page: cannot fetch " + TextToUtf8(address));
    return false;
  }
  text = GetText(response_, TEXT_GUNZIP);
  if (text.empty()) {
    Trace("page: empty text from " + TextToUtf8(address));
    return false;
  }
  return true;
}

}  // namespace albatrix
