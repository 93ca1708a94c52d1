#include "pdf/object/CodecFlate.h"

#include <sched.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/PageArena.h"

using codec_detail::CodecOutput;

namespace {

std::string ZlibText(const char* step, int code, const z_stream& zs) {
  std::string text = std::string(step) + " failed: ";
  text += zs.msg ? zs.msg : zError(code);
  return text;
}

// Ends the zlib stream on every way out, and reports the end's own failure.
class Deflater {
 public:
  // With an arena, zlib's own memory comes from it (and goes with it).
  explicit Deflater(platform::PageArena* arena = nullptr) : zs_{} {
    if (arena != nullptr) {
      zs_.zalloc = &ArenaAlloc;
      zs_.zfree = &ArenaFree;
      zs_.opaque = arena;
    }
  }
  ~Deflater() {
    if (open_) deflateEnd(&zs_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // A zlib stream at the default level; a negative windowBits makes raw
  // deflate data (no header, no checksum). Once open, a stream is reset
  // instead, which forgets all it has compressed.
  int Init(int windowBits = MAX_WBITS) {
    if (open_) return deflateReset(&zs_);
    const int ret =
        deflateInit2(&zs_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    open_ = ret == Z_OK;
    return ret;
  }
  int End() {
    open_ = false;
    return deflateEnd(&zs_);
  }
  z_stream& zs() { return zs_; }

 private:
  static voidpf ArenaAlloc(voidpf opaque, uInt items, uInt size) {
    if (size != 0 && items > SIZE_MAX / size) return Z_NULL;
    try {
      return static_cast<platform::PageArena*>(opaque)->Allocate(size_t{items} * size);
    } catch (const std::bad_alloc&) {
      return Z_NULL;
    }
  }
  static void ArenaFree(voidpf, voidpf) {}

  z_stream zs_;
  bool open_ = false;
};

class Inflater {
 public:
  Inflater() : zs_{} {}
  ~Inflater() {
    if (open_) inflateEnd(&zs_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  int Init() {
    const int ret = inflateInit(&zs_);
    open_ = ret == Z_OK;
    return ret;
  }
  int End() {
    open_ = false;
    return inflateEnd(&zs_);
  }
  z_stream& zs() { return zs_; }

 private:
  z_stream zs_;
  bool open_ = false;
};

// The window of deflate: how far back a match may reach, and so how much of
// the data before a piece primes its compressor.
constexpr size_t kFlateWindow = size_t{1} << MAX_WBITS;

// More threads than this gain nothing on the pieces' sizes that occur.
constexpr unsigned kFlateMaxThreads = 32;

// Room for a piece's output beyond zlib's bound: the full flush's empty
// block and the alignment to a byte.
constexpr size_t kPieceOutSlack = 64;

// The output buffer the encoder gives each piece: enough for any piece.
size_t PieceOutSize() {
  static const size_t size =
      deflateBound(Z_NULL, static_cast<uLong>(kFlatePieceSize)) + kPieceOutSlack;
  return size;
}

// The buffer of a piece that holds its bytes: the window, then the piece.
constexpr size_t kPieceHeldSize = kFlateWindow + kFlatePieceSize;

// One piece to compress: its bytes with the window before them (none for the
// first piece), whether it ends the data, and once done its raw deflate
// data ending on a byte boundary and the Adler-32 of its bytes. The bytes
// lie in the caller's input or, for data fed in pieces, in the piece itself.
struct PieceJob {
  // Window and bytes, when the piece holds them. Storage that is written
  // before it is read is left uninitialised: zeroing it first would touch
  // every page twice.
  uint8_t* owned = nullptr;
  const uint8_t* window = nullptr;
  size_t windowSize = 0;
  const uint8_t* data = nullptr;
  size_t count = 0;
  bool last = false;
  // False while the caller still fills the piece (count then grows, and
  // last is not known yet); set, with the final count and last, under the
  // encoder's mutex.
  bool complete = true;
  bool taken = false;  // a thread compresses it (or has)
  bool done = false;
  // outSize bytes, of which produced are the data; given by the encoder
  // (PieceOutSize() bytes), or larger ones made by the deflater when needed.
  // Both buffers belong to the encoder's arena.
  uint8_t* out = nullptr;
  size_t outSize = 0;
  size_t produced = 0;
  uLong adler = 0;
  std::string error;  // empty on success
};

// A raw deflate stream (no header, no checksum) that compresses piece after
// piece. deflateReset makes each piece's output independent of the pieces
// compressed before it with the same stream.
// Where a deflater learns of the bytes of a piece still being filled.
class PieceSource {
 public:
  // Waits until the piece holds more than `have` bytes or is complete;
  // answers its byte count and whether it is complete. False when the
  // encoder stops first.
  virtual bool More(const PieceJob& job, size_t have, size_t& count, bool& complete) = 0;

 protected:
  ~PieceSource() = default;
};

class PieceDeflater {
 public:
  explicit PieceDeflater(platform::PageArena& arena) : arena_(arena), deflater_(&arena) {}

  // A piece that is not complete is compressed as its bytes come, asked
  // of the source; deflate makes the same output whatever the parts its
  // input comes in.
  void Run(PieceJob& job, PieceSource* source = nullptr) {
    try {
      Deflate(job, source);
    } catch (const std::bad_alloc&) {
      job.error = "deflate failed: out of memory";
    }
  }

 private:
  void Deflate(PieceJob& job, PieceSource* source) {
    z_stream& zs = deflater_.zs();
    int ret = deflater_.Init(-MAX_WBITS);
    if (ret != Z_OK) {
      job.error = ZlibText("deflateInit", ret, zs);
      return;
    }
    if (job.windowSize > 0) {
      ret = deflateSetDictionary(&zs, job.window, static_cast<uInt>(job.windowSize));
      if (ret != Z_OK) {
        job.error = ZlibText("deflateSetDictionary", ret, zs);
        return;
      }
    }
    size_t count = 0;
    bool complete = false;
    if (!source) {
      count = job.count;
      complete = true;
    } else if (!source->More(job, 0, count, complete)) {
      job.error = "deflate failed: stopped";
      return;
    }
    // The bound covers the data and the end of the stream; the full flush's
    // empty block adds a few bytes, and a short buffer only means a round
    // more. Only the pages deflate writes are touched.
    const size_t most = complete ? count : kFlatePieceSize;
    const size_t bound = deflateBound(&zs, static_cast<uLong>(most)) + kPieceOutSlack;
    if (!job.out || job.outSize < bound) {
      job.outSize = bound;
      job.out = static_cast<uint8_t*>(arena_.Allocate(job.outSize));
    }
    job.produced = 0;
    size_t fed = 0;
    for (;;) {
      zs.next_in = const_cast<Bytef*>(job.data + fed);
      zs.avail_in = static_cast<uInt>(count - fed);
      fed = count;
      const int flush = !complete ? Z_NO_FLUSH : job.last ? Z_FINISH : Z_FULL_FLUSH;
      if (!Compress(job, flush)) return;
      if (complete) break;
      if (!source->More(job, fed, count, complete)) {
        job.error = "deflate failed: stopped";
        return;
      }
    }
    job.adler = adler32(adler32(0, Z_NULL, 0), job.data, static_cast<uInt>(count));
  }

  // Runs deflate over the input given until it is taken in and, with a
  // flush, the flush is complete; the output buffer grows when full.
  bool Compress(PieceJob& job, int flush) {
    z_stream& zs = deflater_.zs();
    for (;;) {
      zs.next_out = job.out + job.produced;
      zs.avail_out = static_cast<uInt>(job.outSize - job.produced);
      const int ret = deflate(&zs, flush);
      job.produced = job.outSize - zs.avail_out;
      if (ret == Z_STREAM_ERROR) {
        job.error = ZlibText("deflate", ret, zs);
        return false;
      }
      if (flush == Z_FINISH ? ret == Z_STREAM_END : zs.avail_out != 0) return true;
      auto* larger = static_cast<uint8_t*>(arena_.Allocate(job.outSize + kFlateWindow));
      std::memcpy(larger, job.out, job.produced);
      job.out = larger;
      job.outSize += kFlateWindow;
    }
  }

  platform::PageArena& arena_;
  Deflater deflater_;
};

// Compresses pieces on worker threads and writes their output in the order
// they were queued: a zlib header, the pieces' deflate data, one Adler-32
// over all of them. The queue holds at most `ahead` pieces, so the memory
// held stays bounded whatever the input size; the caller compresses pieces
// itself while it waits, so it is never idle and one worker fewer is needed.
//
// An encoder made to hold its output compresses the pieces queued but writes
// nothing, not even the header, until Write is called: the data may still
// turn out too small for pieces, and the pieces are then dropped unwritten.
//
// With workers, a piece may be queued open, before all its bytes are there:
// a worker compresses the bytes as the caller adds them (Extend), and the
// caller, which fills it, never takes such a piece itself.
class PieceEncoder final : private PieceSource {
 public:
  // The arena holds every buffer of the pieces and of the deflaters; it
  // outlives the encoder.
  PieceEncoder(ByteSink& out, platform::PageArena& arena, unsigned threads, bool hold = false)
      : output_(out, kCodecMaxOutput),
        arena_(arena),
        own_(arena),
        threads_(threads),
        ahead_(size_t{2} * threads),
        writing_(!hold) {}

  // Ends the workers on every way out: they stop taking pieces and are joined.
  ~PieceEncoder() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    grown_.notify_all();
    for (std::thread& t : workers_) t.join();
  }
  PieceEncoder(const PieceEncoder&) = delete;
  PieceEncoder& operator=(const PieceEncoder&) = delete;

  // Queues the next piece; writes the oldest ones while the queue is full
  // (unless the output is held).
  CodecResult Add(std::unique_ptr<PieceJob> job) {
    if (!started_) {
      started_ = true;
      StartWorkers();
    }
    if (!job->out) {
      job->out = Take(spareOut_, PieceOutSize());
      job->outSize = PieceOutSize();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(std::move(job));
    }
    changed_.notify_all();
    return WriteWhileFull();
  }

  // Ends the hold: the pieces' output goes to the sink from now on.
  CodecResult Write() {
    writing_ = true;
    return WriteWhileFull();
  }

  // Writes every queued piece: afterwards no piece refers to memory it does
  // not own.
  CodecResult Drain() {
    writing_ = true;
    while (!queue_.empty()) {
      if (CodecResult r = WriteOldest(); !r.ok) return r;
    }
    return CodecResult::Success();
  }

  // Writes every queued piece and the checksum; the last piece queued must
  // end the data.
  CodecResult Finish() {
    if (CodecResult r = Drain(); !r.ok) return r;
    const uint8_t trailer[4] = {static_cast<uint8_t>(adler_ >> 24),
                                static_cast<uint8_t>(adler_ >> 16),
                                static_cast<uint8_t>(adler_ >> 8), static_cast<uint8_t>(adler_)};
    return output_.Put(trailer, sizeof trailer);
  }

  // Whether pieces may be queued before they are complete: only workers
  // take them (the caller, which fills them, never waits on one).
  bool Streams() const { return threads_ >= 2; }

  // The piece queued open has `count` bytes now; with complete, that is all,
  // and last says whether it ends the data.
  void Extend(PieceJob* job, size_t count, bool complete, bool last = false) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job->count = count;
      job->complete = complete;
      job->last = last;
    }
    // Only the worker on this piece waits for it; every other waiter is
    // left asleep (the open piece was takeable already).
    grown_.notify_all();
  }

  // A buffer for a piece that holds its bytes (kPieceHeldSize bytes).
  uint8_t* TakeHeld() { return Take(spareHeld_, kPieceHeldSize); }

 private:
  // Starts up to threads - 1 workers; fewer when the system has no more
  // threads to give (the caller then compresses the pieces nobody took).
  void StartWorkers() {
    try {
      for (unsigned i = 1; i < threads_; ++i) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
    }
  }

  CodecResult WriteWhileFull() {
    while (writing_ && queue_.size() > ahead_) {
      if (CodecResult r = WriteOldest(); !r.ok) return r;
    }
    return CodecResult::Success();
  }

  // Buffers of written pieces are used again, by the caller only: new ones
  // would be fresh pages, and handing them back to the system would change
  // the page tables while the workers run.
  uint8_t* Take(std::vector<uint8_t*>& spare, size_t size) {
    if (spare.empty()) return static_cast<uint8_t*>(arena_.Allocate(size));
    uint8_t* buffer = spare.back();
    spare.pop_back();
    return buffer;
  }

  void Recycle(PieceJob& job) {
    if (job.out && job.outSize == PieceOutSize()) spareOut_.push_back(job.out);
    if (job.owned) spareHeld_.push_back(job.owned);
    job.out = nullptr;
    job.owned = nullptr;
  }

  // The oldest piece nobody compresses yet; none when all are taken. The
  // caller takes complete pieces only. Called with the mutex held.
  PieceJob* Untaken(bool completeOnly = false) {
    for (const auto& queued : queue_)
      if (!queued->taken && (queued->complete || !completeOnly)) return queued.get();
    return nullptr;
  }

  bool More(const PieceJob& job, size_t have, size_t& count, bool& complete) override {
    std::unique_lock<std::mutex> lock(mutex_);
    grown_.wait(lock, [&] { return stop_ || job.count > have || job.complete; });
    if (stop_) return false;
    count = job.count;
    complete = job.complete;
    return true;
  }

  // Waits for the oldest piece and writes it. While it is in work, the
  // caller compresses the pieces nobody has taken (the last, short piece
  // above all), rather than leave them until a worker is free.
  CodecResult WriteOldest() {
    std::unique_lock<std::mutex> lock(mutex_);
    PieceJob* oldest = queue_.front().get();
    while (!oldest->done) {
      if (PieceJob* job = Untaken(true)) {
        job->taken = true;
        lock.unlock();
        own_.Run(*job);
        lock.lock();
        job->done = true;
        continue;
      }
      changed_.wait(lock, [&] { return oldest->done || Untaken(true) != nullptr; });
    }
    std::unique_ptr<PieceJob> written = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    changed_.notify_all();  // room in the queue for the workers
    if (!written->error.empty()) return CodecResult::Failure(written->error);
    if (first_) {
      // The zlib header of the default level: deflate, 32 KiB window, no
      // dictionary, check bits making 0x789C a multiple of 31.
      static const uint8_t header[2] = {0x78, 0x9C};
      if (CodecResult r = output_.Put(header, sizeof header); !r.ok) return r;
    }
    if (CodecResult r = output_.Put(written->out, written->produced); !r.ok) return r;
    adler_ = first_ ? written->adler
                    : adler32_combine(adler_, written->adler, static_cast<z_off_t>(written->count));
    first_ = false;
    Recycle(*written);
    return CodecResult::Success();
  }

  void Work() {
    PieceDeflater deflater(arena_);
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      PieceJob* job = nullptr;
      changed_.wait(lock, [&] { return stop_ || (job = Untaken()) != nullptr; });
      if (stop_) return;
      job->taken = true;
      lock.unlock();
      deflater.Run(*job, this);
      lock.lock();
      job->done = true;
      changed_.notify_all();
    }
  }

  codec_detail::CodecOutput output_;
  platform::PageArena& arena_;
  PieceDeflater own_;  // the caller's, for pieces it compresses itself
  unsigned threads_;
  size_t ahead_;
  bool writing_;
  bool started_ = false;
  bool first_ = true;
  uLong adler_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::condition_variable grown_;                // the open piece has more bytes, or is complete
  std::deque<std::unique_ptr<PieceJob>> queue_;  // oldest first
  bool stop_ = false;
  std::vector<uint8_t*> spareOut_;
  std::vector<uint8_t*> spareHeld_;
  std::vector<std::thread> workers_;
};

unsigned ThreadCount(unsigned threads) {
  if (threads == 0) return FlateDefaultThreads();
  return std::min(threads, kFlateMaxThreads);
}

// The CPUs the calling thread may run on; 0 when the system does not say.
unsigned UsableCPUs() {
  cpu_set_t fixed;
  CPU_ZERO(&fixed);
  if (sched_getaffinity(0, sizeof fixed, &fixed) == 0)
    return static_cast<unsigned>(CPU_COUNT(&fixed));
  // More CPUs than a cpu_set_t holds: a larger mask.
  for (int cpus = CPU_SETSIZE * 2; errno == EINVAL && cpus <= (1 << 20); cpus *= 2) {
    cpu_set_t* set = CPU_ALLOC(cpus);
    if (set == nullptr) return 0;
    const size_t size = CPU_ALLOC_SIZE(cpus);
    CPU_ZERO_S(size, set);
    const bool known = sched_getaffinity(0, size, set) == 0;
    const unsigned count = known ? static_cast<unsigned>(CPU_COUNT_S(size, set)) : 0;
    CPU_FREE(set);
    if (known) return count;
  }
  return 0;
}

}  // namespace

unsigned FlateDefaultThreads() {
  // Asked at every encoding (one system call): a process moved to other
  // CPUs (taskset, a container's CPU set) is followed.
  unsigned cpus = UsableCPUs();
  if (cpus == 0) cpus = std::thread::hardware_concurrency();
  return std::clamp(cpus, 1u, kFlateMaxThreads);
}

CodecResult FlateEncodePieces(const uint8_t* in, size_t n, ByteSink& out, unsigned threads) {
  if (n == 0) return CodecResult::Success();
  const size_t count = (n - 1) / kFlatePieceSize + 1;
  try {
    platform::PageArena arena;
    PieceEncoder encoder(out, arena,
                         static_cast<unsigned>(std::min<size_t>(ThreadCount(threads), count)));
    for (size_t i = 0; i < count; ++i) {
      auto job = std::make_unique<PieceJob>();
      const size_t start = i * kFlatePieceSize;
      job->data = in + start;
      job->count = std::min(kFlatePieceSize, n - start);
      job->last = start + job->count == n;
      if (start > 0) {
        job->window = in + start - kFlateWindow;
        job->windowSize = kFlateWindow;
      }
      if (CodecResult r = encoder.Add(std::move(job)); !r.ok) return r;
    }
    return encoder.Finish();
  } catch (const std::bad_alloc&) {
    return CodecResult::Failure("deflate failed: out of memory");
  }
}

// The data held until they pass the threshold, in one block with room for
// all of them, so that they never move (pieces compressed ahead read them in
// place). Data announced to pass the threshold take the block from the
// arena; others (most streams are small) take it from the heap, whose pages
// are only touched as the data come.
class HeldData {
 public:
  const uint8_t* data() const { return block_ ? block_ : heap_.data(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // n bytes more; size() + n stays within the threshold.
  void Append(const uint8_t* bytes, size_t n, platform::PageArena* arena) {
    if (!block_ && heap_.capacity() == 0) {
      if (arena) {
        block_ = static_cast<uint8_t*>(arena->Allocate(kFlateParallelThreshold));
      } else {
        heap_.reserve(kFlateParallelThreshold);
      }
    }
    if (block_) {
      std::memcpy(block_ + size_, bytes, n);
    } else {
      heap_.insert(heap_.end(), bytes, bytes + n);
    }
    size_ += n;
  }

 private:
  uint8_t* block_ = nullptr;
  std::vector<uint8_t> heap_;
  size_t size_ = 0;
};

struct FlateEncoder::Impl {
  Impl(ByteSink& sink, unsigned threadCount) : out(sink), threads(threadCount) {}

  // A piece to fill, primed with the window that ends at `before`.
  std::unique_ptr<PieceJob> NewPiece(const uint8_t* before) {
    auto job = std::make_unique<PieceJob>();
    job->owned = pieces->TakeHeld();
    std::memcpy(job->owned, before - kFlateWindow, kFlateWindow);
    job->window = job->owned;
    job->windowSize = kFlateWindow;
    job->data = job->owned + kFlateWindow;
    return job;
  }

  // A full piece of the bytes at `bytes` (with the window before them
  // unless it is the first piece), read where they lie.
  static std::unique_ptr<PieceJob> BorrowedPiece(const uint8_t* bytes, bool first) {
    auto job = std::make_unique<PieceJob>();
    job->window = first ? nullptr : bytes - kFlateWindow;
    job->windowSize = first ? 0 : kFlateWindow;
    job->data = bytes;
    job->count = kFlatePieceSize;
    return job;
  }

  // Threads for the data: no more than the pieces announced, while the
  // announcement holds; one per core when none was made or it fell short.
  unsigned Threads() const {
    if (expected == 0 || expected < total) return ThreadCount(threads);
    const size_t count = (expected - 1) / kFlatePieceSize + 1;
    return static_cast<unsigned>(std::min<size_t>(ThreadCount(threads), count));
  }

  // Queues the pieces of the held data not queued yet: the full ones, and
  // when the encoder streams, the one being filled, open (it is completed
  // here once full). The pieces read the held data in place, which
  // therefore stay until the encoder ends. A piece of the held data is never
  // the last one: pieces are written only once more data follow them.
  CodecResult QueueHeld() {
    for (;;) {
      const size_t have = head.size() - queued;
      if (open) {
        if (have < kFlatePieceSize) {
          if (have > open->count) pieces->Extend(open, have, false);
          return CodecResult::Success();
        }
        pieces->Extend(open, kFlatePieceSize, true);
        open = nullptr;
        queued += kFlatePieceSize;
        continue;
      }
      if (have == 0 || (have < kFlatePieceSize && !pieces->Streams()))
        return CodecResult::Success();
      std::unique_ptr<PieceJob> job = BorrowedPiece(head.data() + queued, queued == 0);
      if (have < kFlatePieceSize) {
        job->count = have;
        job->complete = false;
        open = job.get();
      } else {
        queued += kFlatePieceSize;
      }
      if (CodecResult r = pieces->Add(std::move(job)); !r.ok) return r;
    }
  }

  // The data announced pass the threshold: the held data are compressed as
  // they come, their output held until the data do pass the threshold (or
  // dropped at Finish if they do not).
  CodecResult CompressAhead() {
    if (!pieces) {
      if (Threads() < 2) return CodecResult::Success();
      pieces = std::make_unique<PieceEncoder>(out, arena, Threads(), true);
    }
    return QueueHeld();
  }

  // Makes the piece the one being filled: queued at once, open, when the
  // encoder streams.
  CodecResult Fill(std::unique_ptr<PieceJob> job) {
    if (!pieces->Streams()) {
      current = std::move(job);
      return CodecResult::Success();
    }
    job->complete = false;
    open = job.get();
    return pieces->Add(std::move(job));
  }

  // The piece being filled is complete; last when it ends the data.
  CodecResult EndPiece(bool last) {
    if (open) {
      pieces->Extend(open, open->count, true, last);
      open = nullptr;
      return CodecResult::Success();
    }
    current->last = last;
    return pieces->Add(std::move(current));
  }

  // The held data have reached the threshold and more follow: they become
  // the first pieces, compressed while the rest arrives.
  CodecResult StartPieces() {
    if (!pieces) pieces = std::make_unique<PieceEncoder>(out, arena, Threads());
    if (CodecResult r = QueueHeld(); !r.ok) return r;
    if (CodecResult r = pieces->Write(); !r.ok) return r;
    past = true;
    return Fill(NewPiece(head.data() + head.size()));
  }

  // The first data handed over pass the threshold on their own: every full
  // piece but the last one is compressed from the caller's memory, and the
  // call returns once they are done; the last piece, which more data may
  // follow, is held. Nothing is copied but that piece.
  CodecResult PutFirstLarge(const uint8_t* data, size_t n) {
    // On every way out but success the workers are ended before the call
    // returns: none may read the caller's memory afterwards.
    CodecResult result;
    try {
      result = QueueFirstLarge(data, n);
    } catch (...) {
      pieces.reset();
      throw;
    }
    if (!result.ok) pieces.reset();
    return result;
  }

  CodecResult QueueFirstLarge(const uint8_t* data, size_t n) {
    const size_t lastStart = (n - 1) / kFlatePieceSize * kFlatePieceSize;
    const size_t count = lastStart / kFlatePieceSize + 1;
    pieces = std::make_unique<PieceEncoder>(
        out, arena, static_cast<unsigned>(std::min<size_t>(ThreadCount(threads), count)));
    past = true;
    current = NewPiece(data + lastStart);
    current->count = n - lastStart;
    std::memcpy(const_cast<uint8_t*>(current->data), data + lastStart, current->count);
    for (size_t start = 0; start < lastStart; start += kFlatePieceSize) {
      if (CodecResult r = pieces->Add(BorrowedPiece(data + start, start == 0)); !r.ok) return r;
    }
    return pieces->Drain();
  }

  void Expect(size_t more) { expected = more > SIZE_MAX - total ? SIZE_MAX : total + more; }

  CodecResult Put(const uint8_t* data, size_t n) {
    total = n > SIZE_MAX - total ? SIZE_MAX : total + n;
    if (!past && head.empty() && n > kFlateParallelThreshold) return PutFirstLarge(data, n);
    while (n > 0) {
      size_t take = 0;
      if (!past) {
        if (head.size() == kFlateParallelThreshold) {
          if (CodecResult r = StartPieces(); !r.ok) return r;
          continue;
        }
        take = std::min(n, kFlateParallelThreshold - head.size());
        head.Append(data, take, expected > kFlateParallelThreshold ? &arena : nullptr);
        if (expected > kFlateParallelThreshold) {
          if (CodecResult r = CompressAhead(); !r.ok) return r;
        }
      } else {
        PieceJob* filling = open ? open : current.get();
        if (filling->count == kFlatePieceSize) {
          // Full, and more data follow: it is not the last piece. The next
          // one takes its window before this one may be written.
          std::unique_ptr<PieceJob> next = NewPiece(filling->data + filling->count);
          if (CodecResult r = EndPiece(false); !r.ok) return r;
          if (CodecResult r = Fill(std::move(next)); !r.ok) return r;
          filling = open ? open : current.get();
        }
        take = std::min(n, kFlatePieceSize - filling->count);
        // Bytes past the count are the caller's own until Extend publishes them.
        std::memcpy(const_cast<uint8_t*>(filling->data) + filling->count, data, take);
        if (filling == open) {
          pieces->Extend(open, filling->count + take, false);
        } else {
          filling->count += take;
        }
      }
      data += take;
      n -= take;
    }
    return CodecResult::Success();
  }

  CodecResult Finish() {
    if (!past) {
      // The data stayed within the threshold: one deflate call, as
      // FlateEncodeBytes makes it. Pieces compressed ahead are dropped
      // unwritten (their workers are ended before the held data go).
      pieces.reset();
      return FlateEncodeBytes(head.data(), head.size(), out);
    }
    if (CodecResult r = EndPiece(true); !r.ok) return r;
    return pieces->Finish();
  }

  ByteSink& out;
  unsigned threads;
  size_t total = 0;     // bytes handed over so far
  size_t expected = 0;  // bytes announced in all, 0 when none were
  // The memory of the pieces and of the held data: declared first, so that
  // it is given back last.
  platform::PageArena arena;
  // The data, until they pass the threshold; then read by the first pieces,
  // so declared before the encoder, which is ended (its workers joined)
  // first.
  HeldData head;
  size_t queued = 0;  // bytes of head queued as pieces
  std::unique_ptr<PieceEncoder> pieces;
  // Past the threshold, the piece being filled: held here (current), or,
  // when the encoder streams, already queued (open). Before, open is the
  // piece of the held data being filled, if queued.
  std::unique_ptr<PieceJob> current;
  PieceJob* open = nullptr;
  bool past = false;  // the data passed the threshold
};

FlateEncoder::FlateEncoder(ByteSink& out, unsigned threads) : impl_(new Impl(out, threads)) {}

FlateEncoder::~FlateEncoder() = default;

CodecResult FlateEncoder::Put(const uint8_t* data, size_t n) {
  if (!state_.ok) return state_;
  if (finished_) return state_ = CodecResult::Failure("deflate failed: data after the end");
  try {
    state_ = impl_->Put(data, n);
  } catch (const std::bad_alloc&) {
    state_ = CodecResult::Failure("deflate failed: out of memory");
  }
  return state_;
}

void FlateEncoder::Expect(size_t more) { impl_->Expect(more); }

CodecResult FlateEncoder::Finish() {
  if (!state_.ok || finished_) return state_;
  finished_ = true;
  try {
    state_ = impl_->Finish();
  } catch (const std::bad_alloc&) {
    state_ = CodecResult::Failure("deflate failed: out of memory");
  }
  return state_;
}

CodecResult FlateEncodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
  if (n > kFlateParallelThreshold) return FlateEncodePieces(in, n, out);
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, kCodecMaxOutput);
  Deflater deflater;
  z_stream& zs = deflater.zs();
  // The version check inside deflateInit refuses an incompatible zlib.
  if (int ret = deflater.Init(); ret != Z_OK)
    return CodecResult::Failure(ZlibText("deflateInit", ret, zs));
  uint8_t work[kCodecPieceSize];
  size_t start = 0;
  bool finished = false;
  while (!finished) {
    const size_t count = std::min(kCodecPieceSize, n - start);
    zs.next_in = const_cast<Bytef*>(in + start);
    zs.avail_in = static_cast<uInt>(count);
    start += count;
    const int flush = start == n ? Z_FINISH : Z_NO_FLUSH;
    // Drain the output until the piece is taken in (or, with Z_FINISH, the
    // stream is complete).
    do {
      zs.next_out = work;
      zs.avail_out = sizeof work;
      const int ret = deflate(&zs, flush);
      if (ret == Z_STREAM_ERROR) return CodecResult::Failure(ZlibText("deflate", ret, zs));
      if (CodecResult r = output.Put(work, sizeof work - zs.avail_out); !r.ok) return r;
      if (ret == Z_STREAM_END) finished = true;
    } while (!finished && (zs.avail_out == 0 || (flush == Z_FINISH)));
  }
  if (int ret = deflater.End(); ret != Z_OK)
    return CodecResult::Failure(ZlibText("deflateEnd", ret, zs));
  return CodecResult::Success();
}

CodecResult FlateDecodeBytes(const uint8_t* in, size_t n, ByteSink& out,
                             const FlateDecodeOptions& options) {
  if (options.predictor != 1) {
    return CodecResult::Failure("predictor " + std::to_string(options.predictor) +
                                " is not supported");
  }
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, std::min(options.outputLimit, kCodecMaxOutput));
  Inflater inflater;
  z_stream& zs = inflater.zs();
  if (int ret = inflater.Init(); ret != Z_OK)
    return CodecResult::Failure(ZlibText("inflateInit", ret, zs));
  uint8_t work[kCodecPieceSize];
  bool ended = false;
  for (size_t start = 0; start < n && !ended; start += kCodecPieceSize) {
    const size_t count = std::min(kCodecPieceSize, n - start);
    zs.next_in = const_cast<Bytef*>(in + start);
    zs.avail_in = static_cast<uInt>(count);
    // inflate returns when the output is full, the input used up, or the
    // stream at its end; only a full output calls for another round.
    do {
      zs.next_out = work;
      zs.avail_out = sizeof work;
      const int ret = inflate(&zs, Z_NO_FLUSH);
      if (ret == Z_NEED_DICT)
        return CodecResult::Failure("inflate failed: a preset dictionary is needed");
      if (ret == Z_DATA_ERROR || ret == Z_MEM_ERROR || ret == Z_STREAM_ERROR) {
        return CodecResult::Failure(ZlibText("inflate", ret, zs));
      }
      if (CodecResult r = output.Put(work, sizeof work - zs.avail_out); !r.ok) return r;
      if (ret == Z_STREAM_END) ended = true;
    } while (!ended && zs.avail_out == 0);
  }
  if (!ended)
    return CodecResult::Failure("inflate failed: the data ends before the end of the stream");
  if (int ret = inflater.End(); ret != Z_OK)
    return CodecResult::Failure(ZlibText("inflateEnd", ret, zs));
  return CodecResult::Success();
}
