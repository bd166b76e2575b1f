// Node of the singly linked list templates: one element and the link to the next node.
#pragma once

// A list node as the node pool hands it out: the element first, then the link. The pool clears
// the whole node before it constructs one, and reuses the node's first pointer-sized word as
// its free-list link while the node is not in use.
template <class T, int N>
class CbNodeLinked {
public:
    CbNodeLinked() : m_Element(), m_pNext(nullptr) {}
    CbNodeLinked(const CbNodeLinked&) = delete;
    CbNodeLinked& operator=(const CbNodeLinked&) = delete;

    T m_Element;
    // Next node of the list; null at the tail.
    CbNodeLinked* m_pNext;
};
