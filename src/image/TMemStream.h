#pragma once
// An in-memory stream over a chain of blocks. Growing never moves bytes
// already written: a write that runs past the last block appends a block of
// max(BlockSize, bytes still to write in that call). Blocks are never shrunk
// or merged; Truncate frees the blocks after the current one.

#include "image/TSeekableStream.h"

#include <memory>
#include <vector>

namespace image {

class TMemStream : public TSeekableStream {
public:
    static constexpr int BlockSize = 4096;

    TMemStream();
    ~TMemStream() override;

    // Frees every block; size and position become 0.
    void Clear();

    // Always takes all `count` bytes (allocation failure raises bad_alloc).
    int Write(const void* buf, int count) override;
    // Copies what is left up to `count`; a short read with CheckIO raises
    // EInOutError "Error reading from stream - TMemStream".
    int Read(void* buf, int count) override;
    int64_t Available() const override { return m_size - m_position; }
    int64_t GetPosition() const override { return m_position; }
    int64_t GetSize() const override { return m_size; }
    // 0..Size is allowed; anything else raises EInOutError
    // "Error moving stream pointer".
    void SetPosition(int64_t pos) override;
    // Frees the blocks after the current one; Size := Position.
    void Truncate() override;

    // The capacities of the blocks in chain order, for diagnostics and tests.
    std::vector<int> BlockCapacities() const;

private:
    struct Block {
        int capacity = 0;
        std::unique_ptr<Block> next;
        std::unique_ptr<char[]> data;
    };

    // Stands as the current block of an empty stream, so that the first
    // write always finds its block full. Never written.
    static Block s_emptyBlock;

    void FreeChain(std::unique_ptr<Block> chain);

    std::unique_ptr<Block> m_first;
    Block* m_current = &s_emptyBlock;
    int m_offset = 0;
    int64_t m_size = 0;
    int64_t m_position = 0;
};

} // namespace image
