#pragma once
// The entries of a group read, checked and inflated on a thread of their own
// while the extraction writes the ones before them: inflating and writing
// then use two cores instead of taking turns on one. The bytes travel in a
// few small reused pieces, so they are still in the processor's cache when
// they are written and memory stays flat whatever the entries' sizes.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/Pak.h"
#include "base/Bytes.h"

namespace tailpack {

class TEntryPrefetch {
 public:
  // How a streamed entry read: the verdict TPak::StreamEntry gave, or the
  // decompression error it raised.
  struct TOutcome {
    TPak::TEntryCheck Check;
    std::exception_ptr Failure;
  };
  using TConsumer = std::function<void(const uint8_t* data, size_t length)>;

  // Starts streaming the entries at Indices of Pak, in that order, on a
  // reader of its own. Without a second core, a second reader or a thread
  // nothing is streamed.
  TEntryPrefetch(const TPak& pak, std::vector<uint32_t> indices);
  // Stops the reader, within the piece it is working on.
  ~TEntryPrefetch();
  TEntryPrefetch(const TEntryPrefetch&) = delete;
  TEntryPrefetch& operator=(const TEntryPrefetch&) = delete;

  // Whether Entry comes through Receive: empty entries need no reading and
  // large ones are copied in pieces by the extraction itself.
  bool Streams(const TPakFile& entry) const;
  // Hands every piece of entry Index to Consume as it arrives, then tells
  // how the entry read. Each streamed entry is received once, in the order
  // of the indices.
  TOutcome Receive(uint32_t index, const TConsumer& consume);

 private:
  struct TMessage {
    uint32_t Index = 0;
    size_t Slot = 0;       // a piece: the buffer holding it
    size_t Length = 0;
    bool End = false;      // the entry's end, with its outcome
    TOutcome Outcome;
  };

  void Run();
  // Copies bytes into free buffers and queues them; false when stopping.
  bool Send(uint32_t index, const uint8_t* data, size_t length);
  void Post(TMessage message);

  std::unique_ptr<TPak> reader_;
  std::vector<uint32_t> indices_;
  std::vector<TBytes> buffers_;
  std::vector<size_t> freeBuffers_;
  std::deque<TMessage> messages_;
  std::mutex lock_;
  std::condition_variable changed_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tailpack
