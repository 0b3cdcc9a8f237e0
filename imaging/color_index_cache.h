// Hash map from a 32-bit colour word to a palette index, kept by an image for
// its nearest-colour lookups.
#pragma once

#include <memory>
#include <vector>

#include "compat/win32/types.h"

class CColorIndexCache {
public:
  static constexpr DWORD kDefaultBuckets = 17;

  CColorIndexCache() = default;
  CColorIndexCache(const CColorIndexCache&) = delete;
  CColorIndexCache& operator=(const CColorIndexCache&) = delete;

  // Drops every entry and makes an empty table of `buckets` buckets.
  void Reset(DWORD buckets);
  // Drops the table; the next insert makes one of the current bucket count.
  void Clear();
  bool Find(DWORD key, BYTE* index) const;
  void Insert(DWORD key, BYTE index);

private:
  struct Node {
    DWORD key;
    BYTE index;
    Node* next;
  };
  static constexpr size_t kNodesPerBlock = 10;

  DWORD Bucket(DWORD key) const { return (key >> 4) % m_bucketCount; }
  Node* NewNode();

  DWORD m_bucketCount = kDefaultBuckets;
  std::vector<Node*> m_buckets;
  std::vector<std::unique_ptr<Node[]>> m_blocks;
  size_t m_usedInBlock = kNodesPerBlock;
};
