#pragma once
// A bump allocator for the strings and small items of one parsed page. The
// tokenizer makes thousands of short strings per page; carving them out of a
// few large blocks instead of one heap allocation each is what keeps it fast.
// Everything handed out lives until Reset or the arena's destruction, and
// never moves, so string_views into it stay valid.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

namespace web {

class TStringArena {
public:
    TStringArena() = default;
    TStringArena(const TStringArena&) = delete;
    TStringArena& operator=(const TStringArena&) = delete;

    // Room for `size` bytes aligned to `align` (a power of two). Only running
    // out of memory fails, with std::bad_alloc.
    char* Allocate(size_t size, size_t align = 1) {
        const uintptr_t next = reinterpret_cast<uintptr_t>(m_next);
        const uintptr_t start = (next + (align - 1)) & ~uintptr_t(align - 1);
        if (m_next && start <= reinterpret_cast<uintptr_t>(m_end) &&
            reinterpret_cast<uintptr_t>(m_end) - start >= size) {
            m_next = m_next + (start - next) + size;
            return m_next - size;
        }
        return AllocateInNewBlock(size, align);
    }

    // Gives back the end of the latest allocation, so that a string built in
    // place (whose final length is known only afterwards) wastes nothing. A
    // block that is not the latest allocation is left as it is.
    void Shrink(const char* block, size_t oldSize, size_t newSize);

    // A copy of the text that lives as long as the arena.
    std::string_view Copy(std::string_view text);

    // The text with ASCII letters in upper case: the text itself when it has
    // no lower-case letter (no copy), else an upper-case copy in the arena.
    std::string_view UpperCase(std::string_view text);

    // An object built in the arena. Only types without a destructor to run
    // are allowed, since the arena frees its blocks wholesale.
    template <class T, class... Args>
    T* Create(Args&&... args) {
        static_assert(std::is_trivially_destructible_v<T>);
        return ::new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
    }

    // A copy of the objects that lives as long as the arena (empty in, empty out).
    template <class T>
    std::span<const T> CopyArray(std::span<const T> items) {
        static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
        if (items.empty()) return {};
        T* out = reinterpret_cast<T*>(Allocate(sizeof(T) * items.size(), alignof(T)));
        std::uninitialized_copy(items.begin(), items.end(), out);
        return {out, items.size()};
    }

    // Forgets everything handed out. The largest block (up to a limit) is kept
    // for the next page, so a worker that parses page after page stops
    // allocating after the first.
    void Reset();
    // Forgets everything and gives every block back to the heap.
    void Release();

    // Bytes taken from the heap, for tests and measurements.
    size_t Capacity() const;

private:
    struct TBlock {
        std::unique_ptr<char[]> Data;
        size_t Size = 0;
    };
    void AddBlock(size_t atLeast);
    char* AllocateInNewBlock(size_t size, size_t align);

    std::vector<TBlock> m_blocks;
    char* m_next = nullptr;
    char* m_end = nullptr;
};

} // namespace web
