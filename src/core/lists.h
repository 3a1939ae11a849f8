// The records' linked lists: built by appending at the tail, freed from the
// head. Every list the library hands to a host is built and freed here.
#pragma once

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

// Frees a list from its head, reading each node's link before freeing it.
template <typename Node>
void FreeList(Node* head) {
    while (head) {
        Node* next = head->pNext;
        delete head;
        head = next;
    }
}

}  // namespace tallowick
