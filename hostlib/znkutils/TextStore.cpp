#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <stdexcept>

#include "Chunks.h"
#include "SpinLock.h"
#include "SymbolRep.h"
#include "standin/Ledger.h"

namespace {

using Rep = du::Symbol::Rep;

// Texts of up to kLargestStored bytes with their header come from the host's chunks in classes
// of kGranule bytes, without a block header of their own: the length tells the class. A
// released block is kept for the next text of its class. Each class cuts its fresh blocks from a
// chunk of its own, so that a table loaded after another one was released takes each class's
// blocks back in a row rather than scattered among the other classes' (that halved the speed of a
// second load of unique texts); a chunk's untouched pages take no memory. The header needs no
// more than four-byte alignment, and a table of a million short texts saves a tenth of its text
// memory with classes of four bytes rather than eight.
constexpr std::size_t kGranule = alignof(Rep);
constexpr std::size_t kLargestStored = 256;
constexpr std::size_t kClasses = kLargestStored / kGranule;

// A released block holds the next released block of its class; it may be only four-byte
// aligned, so the pointer is copied in and out.
static_assert(sizeof(Rep) >= sizeof(char*), "a block holds a pointer");
char* NextOf(const char* block) {
  char* next;
  std::memcpy(&next, block, sizeof next);
  return next;
}

// All under one lock: a text's lock is taken by one thread at a time in a load, and one lock
// per class would not spare the chunk's.
struct Store {
  standin::SpinLock lock;
  char* released[kClasses] = {};
  char* fresh[kClasses] = {};  // the untouched rest of each class's newest chunk
  char* freshEnd[kClasses] = {};
  long live = 0;  // texts from the chunks
};

Store store;
std::atomic<long> liveFromMalloc{0};

std::size_t BlockBytes(std::size_t length) {
  return (sizeof(Rep) + length + 1 + kGranule - 1) / kGranule * kGranule;
}

// The class of a block from the chunks, or -1 for one from malloc.
int ClassOf(std::size_t blockBytes) {
#ifdef STANDIN_BLOCKS_FROM_MALLOC
  (void)blockBytes;
  return -1;
#else
  return blockBytes <= kLargestStored ? int(blockBytes / kGranule) - 1 : -1;
#endif
}

void* TakeBlock(int textClass, std::size_t blockBytes) {
  std::lock_guard<standin::SpinLock> lock(store.lock);
  char*& released = store.released[textClass];
  void* block = released;
  if (block != nullptr) {
    released = NextOf(released);
  } else {
    if (std::size_t(store.freshEnd[textClass] - store.fresh[textClass]) < blockBytes) {
      char* chunk = standin::NewChunk();
      if (chunk == nullptr) return nullptr;
      store.fresh[textClass] = chunk;  // the rest of the old chunk is less than a text
      store.freshEnd[textClass] = chunk + standin::kChunkBytes;
    }
    block = store.fresh[textClass];
    store.fresh[textClass] += blockBytes;
  }
  ++store.live;
  return block;
}

}  // namespace

const Rep* standin::NewText(std::string_view text, std::uint32_t recentBucket) {
  if (text.size() >= Rep::kRecent) {
    throw std::length_error("du::Symbol: text too long");
  }
  const std::size_t blockBytes = BlockBytes(text.size());
  const int textClass = ClassOf(blockBytes);
  void* block = nullptr;
  if (textClass >= 0) {
    block = TakeBlock(textClass, blockBytes);
  } else {
    block = std::malloc(blockBytes);
    if (block != nullptr) liveFromMalloc.fetch_add(1, std::memory_order_relaxed);
  }
  if (block == nullptr) throw std::bad_alloc();
  const std::uint32_t sized =
      recentBucket == Rep::kNotRecent
          ? std::uint32_t(text.size())
          : Rep::kRecent | recentBucket << Rep::kBucketShift | std::uint32_t(text.size());
  auto* rep = new (block) Rep{{1}, sized};
  char* bytes = reinterpret_cast<char*>(rep + 1);
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = '\0';
  return rep;
}

void standin::FreeText(const Rep* rep) noexcept {
  const int textClass = ClassOf(BlockBytes(rep->length()));
  rep->~Rep();
  void* block = const_cast<Rep*>(rep);
  if (textClass < 0) {
    std::free(block);
    liveFromMalloc.fetch_sub(1, std::memory_order_relaxed);
    return;
  }
  std::lock_guard<standin::SpinLock> lock(store.lock);
  std::memcpy(block, &store.released[textClass], sizeof(char*));
  store.released[textClass] = static_cast<char*>(block);
  --store.live;
}

long standin::LiveSymbolTexts() {
  std::lock_guard<standin::SpinLock> lock(store.lock);
  return store.live + liveFromMalloc.load();
}
