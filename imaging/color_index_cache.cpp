// Colour-to-palette-index cache with chained buckets and block-allocated nodes.
#include "imaging/color_index_cache.h"

void CColorIndexCache::Reset(DWORD buckets) {
  Clear();
  m_bucketCount = buckets ? buckets : 1;
  m_buckets.assign(m_bucketCount, nullptr);
}

void CColorIndexCache::Clear() {
  m_buckets.clear();
  m_blocks.clear();
  m_usedInBlock = kNodesPerBlock;
}

bool CColorIndexCache::Find(DWORD key, BYTE* index) const {
  if (m_buckets.empty()) return false;
  for (const Node* node = m_buckets[Bucket(key)]; node; node = node->next) {
    if (node->key == key) {
      *index = node->index;
      return true;
    }
  }
  return false;
}

CColorIndexCache::Node* CColorIndexCache::NewNode() {
  if (m_usedInBlock == kNodesPerBlock) {
    m_blocks.push_back(std::make_unique<Node[]>(kNodesPerBlock));
    m_usedInBlock = 0;
  }
  return &m_blocks.back()[m_usedInBlock++];
}

void CColorIndexCache::Insert(DWORD key, BYTE index) {
  if (m_buckets.empty()) m_buckets.assign(m_bucketCount, nullptr);
  Node* node = NewNode();
  DWORD bucket = Bucket(key);
  node->key = key;
  node->index = index;
  node->next = m_buckets[bucket];
  m_buckets[bucket] = node;
}
