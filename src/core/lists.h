// The records' linked lists: built by appending at the tail, freed from the
// head. Every list the library hands to a host is built and freed here.
#pragma once

#include <memory>
#include <new>

namespace tallowick {

// A singly linked list under construction that remembers its tail, so that
// appending is O(1). The list belongs to whoever takes head().
template <typename Node>
class ListBuilder {
public:
    void Append(Node* node) {
        node->pNext = nullptr;
        if (tail_) {
            tail_->pNext = node;
        } else {
            head_ = node;
        }
        tail_ = node;
    }
    Node* head() const { return head_; }

private:
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
};

// Makes a zero-filled node, has `fill` fill it, counts it in `*count` (when
// given) and appends it. Out of memory for the node appends and counts
// nothing and returns null; a node whose filling throws is freed.
template <typename Node, typename Fill>
Node* AppendNewNode(ListBuilder<Node>& list, int* count, Fill&& fill) {
    std::unique_ptr<Node> node(new (std::nothrow) Node());
    if (!node) return nullptr;
    fill(*node);
    if (count) ++*count;
    list.Append(node.get());
    return node.release();
}

// Frees a list from its head, reading each node's link before freeing it.
template <typename Node>
void FreeList(Node* head) {
    while (head) {
        Node* next = head->pNext;
        delete head;
        head = next;
    }
}

// The release of a list check: frees the list (null included) and answers 0.
template <typename Node>
int ReleaseList(Node* head) {
    FreeList(head);
    return 0;
}

}  // namespace tallowick
