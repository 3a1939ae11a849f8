// The records' linked lists and the records themselves: built into an owner,
// handed to the host only when complete, freed from the head. Every record
// and list the library hands to a host is built and freed here, so that a
// failure at any point (out of memory, an exception) frees what was built.
#pragma once

#include <memory>
#include <new>

namespace tallowick {

// How one node is freed. A node that owns more than itself (a buffer behind
// a pointer field) specialises this beside its record.
template <typename Node>
struct NodeTraits {
    static void Free(Node* node) { delete node; }
};

// Frees a list from its head, reading each node's link before freeing it.
template <typename Node>
void FreeList(Node* head) {
    while (head) {
        Node* next = head->pNext;
        NodeTraits<Node>::Free(head);
        head = next;
    }
}

// Owner of one node or record: frees it (with its traits) unless released.
template <typename Node>
struct NodeDeleter {
    void operator()(Node* node) const { NodeTraits<Node>::Free(node); }
};
template <typename Node>
using NodePtr = std::unique_ptr<Node, NodeDeleter<Node>>;

// A zero-filled record or node in an owner; an empty owner when out of memory.
template <typename Node>
NodePtr<Node> MakeZeroed() {
    return NodePtr<Node>(new (std::nothrow) Node());
}

// A singly linked list under construction: it remembers its tail, so that
// appending is O(1), and it owns what it holds. A builder that goes out of
// scope frees its list; Release() hands the whole list over.
template <typename Node>
class ListBuilder {
public:
    ListBuilder() = default;
    ~ListBuilder() { FreeList(head_); }
    ListBuilder(const ListBuilder&) = delete;
    ListBuilder& operator=(const ListBuilder&) = delete;

    // Takes the node over and appends it.
    void Append(NodePtr<Node> node) {
        Node* raw = node.release();
        if (!raw) return;
        raw->pNext = nullptr;
        if (tail_) {
            tail_->pNext = raw;
        } else {
            head_ = raw;
        }
        tail_ = raw;
    }
    Node* head() const { return head_; }
    // Hands the list over: the builder is empty afterwards.
    Node* Release() {
        Node* head = head_;
        head_ = tail_ = nullptr;
        return head;
    }

private:
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
};

// Makes a zero-filled node, has `fill` fill it, counts it in `*count` (when
// given) and appends it. Out of memory for the node appends and counts
// nothing and returns null; a node whose filling throws is freed.
template <typename Node, typename Fill>
Node* AppendNewNode(ListBuilder<Node>& list, int* count, Fill&& fill) {
    NodePtr<Node> node = MakeZeroed<Node>();
    if (!node) return nullptr;
    fill(*node);
    if (count) ++*count;
    Node* raw = node.get();
    list.Append(std::move(node));
    return raw;
}

// The release of a single-record check: frees the record (with its traits)
// and answers 0; a null record answers 1.
template <typename Record>
int ReleaseRecord(Record* record) {
    if (!record) return 1;
    NodeTraits<Record>::Free(record);
    return 0;
}

// The release of a list check: frees the list (null included) and answers 0.
template <typename Node>
int ReleaseList(Node* head) {
    FreeList(head);
    return 0;
}

}  // namespace tallowick
