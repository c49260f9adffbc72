#include "icons/queued_writes.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "core/text.h"

namespace zandrel::icons {

namespace {

QueuedWrites::Outcome WriteOne(OutputFolder& folder, std::u16string file_name,
                               const Bytes& content) {
  QueuedWrites::Outcome outcome;
  try {
    folder.Write(file_name, content);
    outcome.exists = FileExists(folder.path() + file_name);
  } catch (const FileError& error) {
    outcome.error = error.message();
  } catch (const std::exception& error) {
    // Out of memory or the like while writing: this file fails, the run goes on.
    outcome.error = FromUtf8(error.what());
  }
  outcome.file_name = std::move(file_name);
  return outcome;
}

}  // namespace

struct QueuedWrites::State {
  explicit State(OutputFolder& f) : folder(f) {}

  OutputFolder& folder;
  mutable std::mutex mutex;
  std::condition_variable job_arrived;  // or stopping
  std::condition_variable outcome_arrived;
  std::deque<std::pair<std::u16string, Bytes>> jobs;
  std::deque<Outcome> outcomes;
  std::size_t waiting_files = 0;  // queued, outcome not taken yet
  std::size_t waiting_bytes = 0;  // queued, not written yet
  bool stopping = false;
  std::thread writer;

  void Run() {
    std::unique_lock lock(mutex);
    for (;;) {
      job_arrived.wait(lock, [&] { return stopping || !jobs.empty(); });
      if (jobs.empty()) return;
      auto [name, content] = std::move(jobs.front());
      jobs.pop_front();
      lock.unlock();
      Outcome outcome = WriteOne(folder, std::move(name), content);
      const std::size_t size = content.size();
      content = Bytes();
      lock.lock();
      waiting_bytes -= size;
      outcomes.push_back(std::move(outcome));
      outcome_arrived.notify_one();
    }
  }
};

QueuedWrites::QueuedWrites(OutputFolder& folder) : state_(std::make_unique<State>(folder)) {
  try {
    state_->writer = std::thread([state = state_.get()] { state->Run(); });
  } catch (const std::system_error&) {
    // No thread: Queue writes at once.
  }
}

QueuedWrites::~QueuedWrites() {
  if (!state_->writer.joinable()) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->job_arrived.notify_one();
  state_->writer.join();
}

void QueuedWrites::Queue(std::u16string file_name, Bytes content) {
  State& s = *state_;
  if (!s.writer.joinable()) {
    Outcome outcome = WriteOne(s.folder, std::move(file_name), content);
    std::lock_guard lock(s.mutex);
    ++s.waiting_files;
    s.outcomes.push_back(std::move(outcome));
    return;
  }
  {
    std::lock_guard lock(s.mutex);
    ++s.waiting_files;
    s.waiting_bytes += content.size();
    s.jobs.emplace_back(std::move(file_name), std::move(content));
  }
  s.job_arrived.notify_one();
}

bool QueuedWrites::full() const {
  std::lock_guard lock(state_->mutex);
  return state_->waiting_files >= kMaxQueuedFiles || state_->waiting_bytes >= kMaxQueuedBytes;
}

std::optional<QueuedWrites::Outcome> QueuedWrites::Take(unsigned wait_ms) {
  State& s = *state_;
  std::unique_lock lock(s.mutex);
  if (s.waiting_files == 0) return std::nullopt;
  // A timed wait of no time still sleeps with some thread libraries.
  const auto arrived = [&] { return !s.outcomes.empty(); };
  if (!arrived() && (wait_ms == 0 || !s.outcome_arrived.wait_for(
                                         lock, std::chrono::milliseconds(wait_ms), arrived)))
    return std::nullopt;
  Outcome outcome = std::move(s.outcomes.front());
  s.outcomes.pop_front();
  --s.waiting_files;
  return outcome;
}

}  // namespace zandrel::icons
