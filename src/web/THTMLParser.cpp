// The tokenizer's scan. One pass over the page looks only for the four bytes
// that matter, '<', '>', CR and LF; everything between two of them is moved
// as one run into the pending text or pending tag (never both: entering a
// tag flushes the text, and leaving one flushes the tag).
//
//   '<'      flush the pending text; now inside a tag (a '<' inside a tag is dropped)
//   '>'      flush the pending tag, even an empty one and even outside a tag;
//            a '/' right before it on the same line is dropped ("<br/>" is "BR")
//   line end outside a tag: a line feed is added to a non-empty pending text;
//            inside a tag: a blank is added to a non-empty pending tag, so that
//            "<a\nhref=x>" reads as "a href=x"
//   end      a pending tag or text is flushed
//
// Lines end at CR LF, LF or CR, and the last line ends at the end of the page
// even without a line end. The pending run is a slice of the page for as long
// as what it collects is contiguous there (the common case); it becomes a
// copy only when something is dropped or added in its middle.
#include "web/THTMLParser.h"

#include "platform/Text.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace web {
namespace {

constexpr std::array<bool, 256> kStops = [] {
    std::array<bool, 256> table{};
    table[static_cast<unsigned char>('<')] = true;
    table[static_cast<unsigned char>('>')] = true;
    table[static_cast<unsigned char>('\r')] = true;
    table[static_cast<unsigned char>('\n')] = true;
    return table;
}();

// Position of the next '<', '>', CR or LF at or after `from`, or `size`.
size_t FindStop(const char* s, size_t from, size_t size) {
#if defined(__SSE2__)
    // Sixteen bytes at a time: runs of text and attribute values between two
    // stops are often longer than that.
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i gt = _mm_set1_epi8('>');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (from + 16 <= size) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + from));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)),
                                          _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (const int mask = _mm_movemask_epi8(hits)) return from + static_cast<size_t>(__builtin_ctz(mask));
        from += 16;
    }
#endif
    while (from < size && !kStops[static_cast<unsigned char>(s[from])]) ++from;
    return from;
}

} // namespace

// The text or tag being collected: a slice of the page while it can be, a
// copy once it cannot.
class THTMLParser::TPendingRun {
public:
    bool Empty() const { return m_size == 0; }

    // Appends bytes that stand at [p, p + n) of the page.
    void AppendPage(const char* p, size_t n) {
        if (n == 0) return;
        if (!m_copied) {
            if (m_size == 0) {
                m_begin = p;
                m_size = n;
                return;
            }
            if (m_begin + m_size == p) {
                m_size += n;
                return;
            }
            StartCopy();
        }
        m_copy.append(p, n);
        m_size += n;
    }

    // Appends a byte that does not stand at that place of the page.
    void AppendOther(char c) {
        if (!m_copied) StartCopy();
        m_copy.push_back(c);
        ++m_size;
    }

    // What was collected (stored in the arena when it is a copy); the run
    // is empty afterwards.
    std::string_view Take(TStringArena& arena) {
        std::string_view result = m_copied ? arena.Copy(m_copy) : std::string_view(m_begin, m_size);
        m_copied = false;
        m_copy.clear();
        m_size = 0;
        m_begin = nullptr;
        return result;
    }

private:
    void StartCopy() {
        m_copy.assign(m_begin ? m_begin : "", m_size);
        m_copied = true;
    }

    const char* m_begin = nullptr;
    size_t m_size = 0;
    bool m_copied = false;
    std::string m_copy;
};

THTMLParser::THTMLParser() : m_text(std::make_unique<std::string>()) {}

THTMLParser::THTMLParser(const THTMLTagSyntax& syntax) : THTMLParser() {
    m_syntax = syntax;
}

THTMLParser::~THTMLParser() = default;

void THTMLParser::SetText(std::string text) {
    if (!m_items.empty()) m_retired.push_back(std::move(m_text));
    m_text = std::make_unique<std::string>(std::move(text));
}

std::vector<std::string> THTMLParser::Lines() const {
    return text::SplitLines(*m_text);
}

void THTMLParser::Clear() {
    m_items.clear();
    m_retired.clear();
    m_arena.Reset();
}

void THTMLParser::Release() {
    Clear();
    m_items.shrink_to_fit();
    m_retired.shrink_to_fit();
    m_arena.Release();
    m_paramScratch.clear();
    m_paramScratch.shrink_to_fit();
    m_text = std::make_unique<std::string>();
}

void THTMLParser::FlushText(TPendingRun& pending) {
    auto* item = m_arena.Create<THTMLText>(Count());
    item->Parse(pending.Take(m_arena), m_arena);
    m_items.push_back(item);
}

void THTMLParser::FlushTag(std::string_view raw) {
    auto* item = m_arena.Create<THTMLTag>(Count());
    item->Parse(raw, m_arena, m_paramScratch, m_syntax);
    m_items.push_back(item);
}

void THTMLParser::Execute() {
    const char* s = m_text->data();
    const size_t size = m_text->size();
    if (m_items.size() >= size_t(MaxItems)) return;
    // Real pages hold roughly one item per 20-40 bytes.
    m_items.reserve(std::min(m_items.size() + size / 24 + 8, size_t(MaxItems)));

    TPendingRun pending;
    bool inTag = false;
    // A line end inside a tag owes the tag one blank, paid only when more
    // of the tag follows, so that no blank trails a tag's text.
    bool blankOwed = false;
    const auto collect = [&](size_t from, size_t to) {
        if (from == to) return;
        if (blankOwed) {
            pending.AppendOther(' ');
            blankOwed = false;
        }
        pending.AppendPage(s + from, to - from);
    };

    size_t pos = 0;
    while (pos < size && m_items.size() < size_t(MaxItems)) {
        const size_t stop = FindStop(s, pos, size);
        if (stop == size) {
            collect(pos, size);
            break;
        }
        switch (s[stop]) {
        case '<':
            collect(pos, stop);
            if (!inTag && !pending.Empty()) FlushText(pending);
            inTag = true;
            break;
        case '>': {
            size_t end = stop;
            if (end > pos && s[end - 1] == '/') --end;
            collect(pos, end);
            // Outside a tag the pending run is text, which stays pending
            // behind the empty-named tag that the stray '>' makes.
            FlushTag(inTag ? pending.Take(m_arena) : std::string_view{});
            inTag = false;
            blankOwed = false;
            break;
        }
        default:  // a line end
            collect(pos, stop);
            if (!pending.Empty()) {
                if (inTag) blankOwed = true;
                else if (s[stop] == '\n') pending.AppendPage(s + stop, 1);
                else pending.AppendOther('\n');
            }
            if (s[stop] == '\r' && stop + 1 < size && s[stop + 1] == '\n') {
                pos = stop + 2;
                continue;
            }
            break;
        }
        pos = stop + 1;
    }

    // The items allowed are used up: what is left of the page is dropped.
    if (m_items.size() >= size_t(MaxItems)) return;

    // The last line ends here when the page does not end with a line end.
    const bool lastLineOpen = size > 0 && s[size - 1] != '\n' && s[size - 1] != '\r';
    if (lastLineOpen && !inTag && !pending.Empty()) pending.AppendOther('\n');

    if (!pending.Empty()) {
        if (inTag) FlushTag(pending.Take(m_arena));
        else FlushText(pending);
    }
}

bool THTMLParser::Owns(const THTMLItem& item) const {
    const int32_t index = item.Index();
    return index >= 0 && index < Count() && m_items[static_cast<size_t>(index)] == &item;
}

const THTMLItem* THTMLParser::Item(int64_t index) const {
    if (index < 0 || index >= static_cast<int64_t>(m_items.size())) return nullptr;
    return m_items[static_cast<size_t>(index)];
}

const THTMLItem* THTMLParser::ItemAfter(const THTMLItem& item) const {
    return Owns(item) ? Item(int64_t{item.Index()} + 1) : nullptr;
}

const THTMLItem* THTMLParser::ItemBefore(const THTMLItem& item) const {
    return Owns(item) ? Item(int64_t{item.Index()} - 1) : nullptr;
}

const THTMLText* THTMLParser::TextAfter(const THTMLItem& item) const {
    const THTMLItem* next = ItemAfter(item);
    return next ? next->AsText() : nullptr;
}

const THTMLText* THTMLParser::TextBefore(const THTMLItem& item) const {
    const THTMLItem* previous = ItemBefore(item);
    return previous ? previous->AsText() : nullptr;
}

} // namespace web
