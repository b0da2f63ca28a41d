#pragma once
// An owning list of GIF blocks of one kind: the frames of an image
// (TGIFImageList) or the extensions before one frame (TGIFExtensionList).
// Blocks live as long as they are in the list; Remove hands one back to the
// caller instead of freeing it.

#include "image/gif/GIFTypes.h"
#include "platform/TPersistent.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QIODevice;

namespace image {

class TGIFImage;

// Reports a warning of `sender` to `image` (defined with TGIFImage).
void GIFImageWarning(TGIFImage* image, platform::TPersistent* sender, TGIFSeverity severity,
                     const std::string& message);

template <class T>
class TGIFList : public platform::TPersistent {
public:
    using Container = std::vector<std::unique_ptr<T>>;

    explicit TGIFList(TGIFImage* image) : m_image(image) {}
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;
    ~TGIFList() override { Clear(); }

    TGIFImage* Image() const { return m_image; }
    int Count() const { return static_cast<int>(m_items.size()); }
    // The block at `index`; an index out of range raises std::out_of_range.
    T& Items(int index) const { return *m_items.at(static_cast<size_t>(index)); }
    T& operator[](int index) const { return Items(index); }

    // Appends the block and returns its index.
    int Add(std::unique_ptr<T> item) {
        m_items.push_back(std::move(item));
        return Count() - 1;
    }
    // Frees the blocks from the first on, so a block that looks at its
    // neighbours while it goes sees a consistent list.
    void Clear() {
        while (!m_items.empty()) Delete(0);
    }
    // Frees the block at `index`; an index out of range raises std::out_of_range.
    void Delete(int index) {
        if (index < 0 || index >= Count()) throw std::out_of_range("TGIFList::Delete");
        std::unique_ptr<T> item = std::move(m_items[static_cast<size_t>(index)]);
        m_items.erase(m_items.begin() + index);
    }
    // Takes `item` out without freeing it; null when it is not in the list.
    std::unique_ptr<T> Remove(const T* item) {
        for (auto it = m_items.begin(); it != m_items.end(); ++it)
            if (it->get() == item) {
                std::unique_ptr<T> out = std::move(*it);
                m_items.erase(it);
                return out;
            }
        return nullptr;
    }
    // The index of `item`, or -1.
    int IndexOf(const T* item) const {
        for (size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i].get() == item) return static_cast<int>(i);
        return -1;
    }

    typename Container::const_iterator begin() const { return m_items.begin(); }
    typename Container::const_iterator end() const { return m_items.end(); }

    // Writes every block in list order; errors of a block pass on.
    virtual void SaveToStream(QIODevice& stream) const {
        for (const auto& item : m_items) item->SaveToStream(stream);
    }

    // Reports damaged but readable data to the owning image, if any.
    virtual void Warning(TGIFSeverity severity, const std::string& message) {
        GIFImageWarning(m_image, this, severity, message);
    }

protected:
    TGIFImage* m_image;
    Container m_items;
};

} // namespace image
