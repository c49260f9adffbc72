#pragma once
// Files of one output folder written on a thread of their own, so that a run
// goes on narrating and answering the window while the system creates them.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "core/bytes.h"
#include "core/file_io.h"

namespace zandrel::icons {

// Writes are done, and their outcomes handed back, in the order they were
// queued. Where no thread can be started, Queue writes at once.
class QueuedWrites {
 public:
  struct Outcome {
    std::u16string file_name;
    std::optional<std::u16string> error;  // why the file could not be written
    bool exists = false;                  // a file is there afterwards
  };

  // Enough to keep the writer busy while the window lays out a batch of log
  // lines, little enough to bound what waits in memory.
  static constexpr std::size_t kMaxQueuedFiles = 1024;
  static constexpr std::size_t kMaxQueuedBytes = std::size_t{8} << 20;

  explicit QueuedWrites(OutputFolder& folder);
  // Finishes the writes still queued.
  ~QueuedWrites();
  QueuedWrites(const QueuedWrites&) = delete;
  QueuedWrites& operator=(const QueuedWrites&) = delete;

  // Queues folder + file_name.
  void Queue(std::u16string file_name, Bytes content);
  // True once as many files or bytes wait as the limits above allow: take
  // outcomes before queueing more.
  bool full() const;
  // The oldest outcome not taken yet, waiting up to `wait_ms` for it; nullopt
  // when none has arrived by then (or nothing is queued).
  std::optional<Outcome> Take(unsigned wait_ms);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace zandrel::icons
