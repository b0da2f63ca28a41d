#include "web/TStringArena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace web {
namespace {

constexpr size_t kFirstBlock = 64 * 1024;
constexpr size_t kLargestGrowth = 4 * 1024 * 1024;
// A block larger than this is not kept across Reset, so that one huge page
// does not pin its memory for the rest of the program.
constexpr size_t kLargestKept = 8 * 1024 * 1024;

} // namespace

void TStringArena::AddBlock(size_t atLeast) {
    size_t size = m_blocks.empty() ? kFirstBlock : std::min(m_blocks.back().Size * 2, kLargestGrowth);
    size = std::max(size, atLeast);
    TBlock block;
    block.Data.reset(new char[size]);
    block.Size = size;
    m_next = block.Data.get();
    m_end = m_next + size;
    m_blocks.push_back(std::move(block));
}

char* TStringArena::AllocateInNewBlock(size_t size, size_t align) {
    AddBlock(size + align);
    const uintptr_t next = reinterpret_cast<uintptr_t>(m_next);
    const uintptr_t start = (next + (align - 1)) & ~uintptr_t(align - 1);
    m_next += (start - next) + size;
    return m_next - size;
}

void TStringArena::Shrink(const char* block, size_t oldSize, size_t newSize) {
    if (newSize <= oldSize && block + oldSize == m_next) m_next = const_cast<char*>(block) + newSize;
}

std::string_view TStringArena::Copy(std::string_view text) {
    if (text.empty()) return {};
    char* p = Allocate(text.size());
    std::memcpy(p, text.data(), text.size());
    return {p, text.size()};
}

std::string_view TStringArena::UpperCase(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && !(text[first] >= 'a' && text[first] <= 'z')) ++first;
    if (first == text.size()) return text;
    char* p = Allocate(text.size());
    std::memcpy(p, text.data(), first);
    for (size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        p[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return {p, text.size()};
}

void TStringArena::Reset() {
    auto keep = m_blocks.end();
    for (auto it = m_blocks.begin(); it != m_blocks.end(); ++it)
        if (it->Size <= kLargestKept && (keep == m_blocks.end() || it->Size > keep->Size)) keep = it;
    if (keep == m_blocks.end()) {
        m_blocks.clear();
        m_next = m_end = nullptr;
        return;
    }
    TBlock kept = std::move(*keep);
    m_blocks.clear();
    m_next = kept.Data.get();
    m_end = m_next + kept.Size;
    m_blocks.push_back(std::move(kept));
}

void TStringArena::Release() {
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_next = m_end = nullptr;
}

size_t TStringArena::Capacity() const {
    size_t total = 0;
    for (const auto& block : m_blocks) total += block.Size;
    return total;
}

} // namespace web
