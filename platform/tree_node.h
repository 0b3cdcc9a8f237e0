// CTreeNode: an outline node of the geometry code, owning a block of points
// and its child nodes.
#pragma once

#include "compat/afx.h"

class CTreeNode {
 public:
  CTreeNode() = default;
  ~CTreeNode() { FreeChildren(); }
  CTreeNode(const CTreeNode&) = delete;
  CTreeNode& operator=(const CTreeNode&) = delete;

  // Frees the buffer, then every child's subtree depth-first, deleting the
  // children, and empties the child array.
  void FreeChildren();

  BYTE* m_pBuffer = nullptr;  // new[]'d; the geometry code keeps its points here
  int m_nCount = 0;           // points in m_pBuffer
  CTypedPtrArray<CPtrArray, CTreeNode*> m_children;
};
