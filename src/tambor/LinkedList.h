// A doubly linked list that owns its nodes: appended at the tail, iterated
// from the head. Nodes never move, so references to elements stay valid
// until the element is removed (the chunk file classes keep their stack of
// levels in one, the sequencer its segments).
#pragma once

#include <cstdint>
#include <iterator>
#include <utility>

namespace NSTambor {

template <typename T>
class CLinkedList {
    struct CNode {
        template <typename... Args>
        explicit CNode(Args&&... args) : fValue(std::forward<Args>(args)...)
        {
        }
        T fValue;
        CNode* fPrevious = nullptr;
        CNode* fNext = nullptr;
    };

    template <typename V, typename L>
    class CIterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = V*;
        using reference = V&;

        CIterator() = default;
        CIterator(CNode* node, L* list) : fNode(node), fList(list) {}
        operator CIterator<const V, const L>() const { return {fNode, fList}; }

        reference operator*() const { return fNode->fValue; }
        pointer operator->() const { return &fNode->fValue; }
        CIterator& operator++()
        {
            fNode = fNode->fNext;
            return *this;
        }
        CIterator operator++(int)
        {
            CIterator old = *this;
            ++*this;
            return old;
        }
        // Stepping back from the end lands on the tail.
        CIterator& operator--()
        {
            fNode = fNode ? fNode->fPrevious : fList->fTail;
            return *this;
        }
        CIterator operator--(int)
        {
            CIterator old = *this;
            --*this;
            return old;
        }
        bool operator==(const CIterator& other) const { return fNode == other.fNode; }

    private:
        friend class CLinkedList;
        CNode* fNode = nullptr;
        L* fList = nullptr;
    };

public:
    using value_type = T;
    using iterator = CIterator<T, CLinkedList>;
    using const_iterator = CIterator<const T, const CLinkedList>;

    CLinkedList() = default;
    CLinkedList(const CLinkedList& other)
    {
        for (const T& value : other)
            Append(value);
    }
    CLinkedList(CLinkedList&& other) noexcept { Swap(other); }
    CLinkedList& operator=(CLinkedList other) noexcept
    {
        Swap(other);
        return *this;
    }
    ~CLinkedList() { Clear(); }

    int32_t GetCount() const { return fCount; }
    bool IsEmpty() const { return fCount == 0; }

    T& Append(const T& value) { return Emplace(value); }
    T& Append(T&& value) { return Emplace(std::move(value)); }
    // Builds the element in place at the tail.
    template <typename... Args>
    T& Emplace(Args&&... args)
    {
        return Link(new CNode(std::forward<Args>(args)...), nullptr)->fValue;
    }
    T& Prepend(T value) { return Link(new CNode(std::move(value)), fHead)->fValue; }
    // Inserts before position (at the tail for end()).
    iterator Insert(const_iterator position, T value)
    {
        return iterator(Link(new CNode(std::move(value)), position.fNode), this);
    }

    T& GetHead() { return fHead->fValue; }
    const T& GetHead() const { return fHead->fValue; }
    T& GetTail() { return fTail->fValue; }
    const T& GetTail() const { return fTail->fValue; }

    void RemoveHead() { Unlink(fHead); }
    void RemoveTail() { Unlink(fTail); }
    // Removes the element at position; returns the iterator after it.
    iterator Remove(const_iterator position)
    {
        CNode* next = position.fNode->fNext;
        Unlink(position.fNode);
        return iterator(next, this);
    }
    void Clear()
    {
        while (fTail)
            Unlink(fTail);
    }
    void Swap(CLinkedList& other) noexcept
    {
        std::swap(fHead, other.fHead);
        std::swap(fTail, other.fTail);
        std::swap(fCount, other.fCount);
    }

    iterator begin() { return iterator(fHead, this); }
    iterator end() { return iterator(nullptr, this); }
    const_iterator begin() const { return const_iterator(fHead, this); }
    const_iterator end() const { return const_iterator(nullptr, this); }

private:
    // Links node before next (at the tail when next is null).
    CNode* Link(CNode* node, CNode* next)
    {
        CNode* previous = next ? next->fPrevious : fTail;
        node->fPrevious = previous;
        node->fNext = next;
        (previous ? previous->fNext : fHead) = node;
        (next ? next->fPrevious : fTail) = node;
        ++fCount;
        return node;
    }
    void Unlink(CNode* node)
    {
        (node->fPrevious ? node->fPrevious->fNext : fHead) = node->fNext;
        (node->fNext ? node->fNext->fPrevious : fTail) = node->fPrevious;
        --fCount;
        delete node;
    }

    CNode* fHead = nullptr;
    CNode* fTail = nullptr;
    int32_t fCount = 0;
};

} // namespace NSTambor
