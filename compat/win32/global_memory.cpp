// Movable memory blocks: a handle names a block that GlobalLock turns into
// its address. Handles are checked against the live blocks, so a stale or
// made-up handle fails instead of touching memory.
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

#include "compat/win32.h"

namespace {

struct Block {
  SIZE_T size = 0;
  UINT locks = 0;
  unsigned char* bytes = nullptr;
};

struct Blocks {
  std::mutex lock;
  std::unordered_set<Block*> live;
};

Blocks& AllBlocks() {
  static Blocks* blocks = new Blocks;
  return *blocks;
}

// The block of a live handle, or null with ERROR_INVALID_HANDLE; the caller holds the lock.
Block* Find(Blocks& blocks, HGLOBAL handle) {
  auto* block = static_cast<Block*>(handle);
  if (!block || !blocks.live.count(block)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return block;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, SIZE_T dwBytes) {
  auto* block = new (std::nothrow) Block;
  // Zeroed whatever the flags ask: nothing reads memory nobody wrote.
  unsigned char* bytes = block ? new (std::nothrow) unsigned char[dwBytes ? dwBytes : 1]() : nullptr;
  if (!bytes) {
    delete block;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  block->size = dwBytes;
  block->bytes = bytes;
  Blocks& blocks = AllBlocks();
  std::lock_guard<std::mutex> guard(blocks.lock);
  blocks.live.insert(block);
  return block;
}

LPVOID GlobalLock(HGLOBAL hMem) {
  Blocks& blocks = AllBlocks();
  std::lock_guard<std::mutex> guard(blocks.lock);
  Block* block = Find(blocks, hMem);
  if (!block) return nullptr;
  ++block->locks;
  return block->bytes;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
  Blocks& blocks = AllBlocks();
  std::lock_guard<std::mutex> guard(blocks.lock);
  Block* block = Find(blocks, hMem);
  if (!block) return FALSE;
  if (block->locks > 0) --block->locks;
  // Nonzero while still locked; zero with no error once unlocked.
  if (block->locks == 0) SetLastError(ERROR_SUCCESS);
  return block->locks > 0;
}

SIZE_T GlobalSize(HGLOBAL hMem) {
  Blocks& blocks = AllBlocks();
  std::lock_guard<std::mutex> guard(blocks.lock);
  Block* block = Find(blocks, hMem);
  return block ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  Blocks& blocks = AllBlocks();
  std::lock_guard<std::mutex> guard(blocks.lock);
  Block* block = Find(blocks, hMem);
  if (!block) return hMem;
  blocks.live.erase(block);
  delete[] block->bytes;
  delete block;
  return nullptr;
}
