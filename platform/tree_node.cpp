// CTreeNode teardown.
#include "platform/tree_node.h"

void CTreeNode::FreeChildren() {
  delete[] m_pBuffer;
  m_pBuffer = nullptr;
  m_nCount = 0;
  for (int i = 0; i < m_children.GetSize(); ++i) {
    CTreeNode* child = m_children[i];
    if (child != nullptr) {
      child->FreeChildren();
      delete child;
    }
  }
  m_children.RemoveAll();
}
