#include "app/RunKeeper.h"

namespace albatrix {

bool RunKeeper::Start(std::function<void()> body) {
  stop_ = false;
  return StartThread(thread_, std::move(body));
}

void RunKeeper::Wait() {
  if (thread_.joinable()) thread_.join();
}

RunSession& RunKeeper::NewSession(RunPlan plan, RunEvents& events, bool batchMember) {
  std::lock_guard<std::mutex> hold(lock_);
  session_ = std::make_unique<RunSession>(std::move(plan), events);
  if (!batchMember) batchSum_.reset();
  // A stop that came while a batch listed its member holds for the member's run too.
  if (batchMember && stop_) session_->Flags().RequestCancel();
  return *session_;
}

void RunKeeper::EndBatch(const RunTally& sum) {
  std::lock_guard<std::mutex> hold(lock_);
  batchSum_ = sum;
}

RunKeeper::Stopped RunKeeper::Stop() {
  std::lock_guard<std::mutex> hold(lock_);
  Stopped stopped;
  stopped.first = !stop_.exchange(true);
  stopped.runAsked = session_ && session_->Flags().RequestCancel();
  return stopped;
}

RunTally RunKeeper::LastTally() const {
  std::lock_guard<std::mutex> hold(lock_);
  if (batchSum_) return *batchSum_;
  return session_ ? session_->Tally() : RunTally{};
}

bool RunKeeper::LastWasBatch() const {
  std::lock_guard<std::mutex> hold(lock_);
  return batchSum_.has_value();
}

const RunSession* RunKeeper::LastSession() const {
  std::lock_guard<std::mutex> hold(lock_);
  return batchSum_ ? nullptr : session_.get();
}

}  // namespace albatrix
