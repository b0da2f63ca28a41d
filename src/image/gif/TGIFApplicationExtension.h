#pragma once
// The application extension (label 0xFF): an 11-byte identifier (8 name
// bytes, 3 authentication bytes) and data sub-blocks whose meaning depends on
// the identifier. Registered identifiers get their own subclass (the looping
// extension); the others are kept whole as TGIFUnknownAppExtension.

#include "image/gif/GIFExtensionRegistry.h"
#include "image/gif/TGIFExtension.h"

class QByteArray;

namespace image {

class TGIFApplicationExtension : public TGIFExtension {
public:
    // Its FindSubExtension picks the subclass by the identifier.
    static const TGIFExtensionClass& Class();

    explicit TGIFApplicationExtension(TGIFSubImage* subImage) : TGIFExtension(subImage) {}

    uint8_t GetExtensionType() const override { return bsApplicationExtension; }

    const TGIFAppIdent& Ident() const { return m_ident; }
    void SetIdent(const TGIFAppIdent& value) {
        m_ident = value;
        m_shortIdent = false;
    }
    // True when the block was read with a 10-byte identifier.
    bool ShortIdent() const { return m_shortIdent; }
    // The class a reader makes of the block as it is written: a block read
    // with a 10-byte identifier may be the looping extension ("NETSCAPE2.").
    const TGIFExtensionClass* WrittenClass() const;

    // Writes the block size 11, the identifier and SaveData. A block read
    // with a 10-byte identifier is written in the 11-byte form: completed to
    // the registered identifier it starts (when its data reads as that
    // class), else with a space.
    void SaveToStream(QIODevice& stream) const override;
    // Reads the block size, the identifier and the data. A size of 10 (a
    // writer that left out one byte) is read as 10 bytes plus the first
    // length byte of the data, which is then read again as data; any other
    // size below 11 raises "Unsupported Application Extension block size";
    // bytes beyond 11 are skipped.
    void LoadFromStream(QIODevice& stream) override;

protected:
    // Reads the data sub-blocks. Here, where no subclass knows the data (a
    // block this class's LoadFromStream rejects anyway), they are skipped.
    virtual void LoadData(QIODevice& stream);
    // Writes the data sub-blocks and their terminator; here, with no data,
    // the terminator alone.
    virtual void SaveData(QIODevice& stream) const;

    TGIFAppIdent m_ident{};

private:
    QByteArray SavedData() const;
    TGIFAppIdent WrittenIdent(const QByteArray& data) const;

    bool m_shortIdent = false;
};

} // namespace image
