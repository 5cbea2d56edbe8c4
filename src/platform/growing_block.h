#pragma once
// Memory for buffers that only grow, such as everything a program writes to its console. The
// memory is mapped from the system and enlarged by remapping it, so growing never copies what
// the buffer already holds, and each page is touched for the first time when it is written.
// Memory taken once stays until the buffer goes, so a buffer that is emptied and filled again
// costs no new pages.
#include <cstddef>
#include <cstring>
#include <functional>
#include <string_view>
#include <type_traits>

namespace korvane {

class TGrowingBlock {
public:
    TGrowingBlock() = default;
    ~TGrowingBlock();
    TGrowingBlock(const TGrowingBlock&) = delete;
    TGrowingBlock& operator=(const TGrowingBlock&) = delete;

    char* Data() const { return Base; }
    size_t Capacity() const { return Size; }
    // Makes room for at least bytes, keeping the contents; the block may move. Growth is at
    // least twofold. Raises std::bad_alloc when the system has no memory to give.
    void Reserve(size_t bytes);

private:
    char* Base = nullptr;
    size_t Size = 0;
};

// An array of plain values (copied bytewise) in a growing block.
template <class T> class TGrowingArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    size_t size() const { return Count; }
    bool empty() const { return Count == 0; }
    T* data() { return reinterpret_cast<T*>(Block.Data()); }
    const T* data() const { return reinterpret_cast<const T*>(Block.Data()); }
    T& operator[](size_t index) { return data()[index]; }
    const T& operator[](size_t index) const { return data()[index]; }
    T& back() { return data()[Count - 1]; }

    void reserve(size_t count) {
        if (count > Block.Capacity() / sizeof(T)) Block.Reserve(count * sizeof(T));
    }
    void push_back(const T& item) {
        reserve(Count + 1);
        std::memcpy(data() + Count, &item, sizeof(T));
        ++Count;
    }
    // The items may lie in this array themselves.
    void append(const T* items, size_t count) {
        if (count == 0) return;
        const T* first = data();
        const bool inside = std::less_equal<const T*>()(first, items) &&
                            std::less<const T*>()(items, first + Count);
        const size_t offset = inside ? static_cast<size_t>(items - first) : 0;
        reserve(Count + count);
        std::memcpy(data() + Count, inside ? data() + offset : items, count * sizeof(T));
        Count += count;
    }
    // Room for count more items after the last; they belong to the array once Commit adds
    // them.
    T* Unused(size_t count) {
        reserve(Count + count);
        return data() + Count;
    }
    void Commit(size_t count) { Count += count; }
    // Empties the array and keeps its memory for what comes next.
    void clear() { Count = 0; }
    // Forgets the first count items; the rest move to the front.
    void DropFront(size_t count) {
        count = count < Count ? count : Count;
        if (count == 0) return;
        std::memmove(data(), data() + count, (Count - count) * sizeof(T));
        Count -= count;
    }

    std::string_view View() const requires std::is_same_v<T, char> { return {data(), Count}; }
    void append(std::string_view text) requires std::is_same_v<T, char> {
        append(text.data(), text.size());
    }

private:
    TGrowingBlock Block;
    size_t Count = 0;
};

} // namespace korvane
