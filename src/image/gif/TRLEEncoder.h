#pragma once
// The run-length encoder of GIF frames: a valid GIF LZW code stream made
// without a string table. It sends plain pixel codes and, for runs of one
// colour, codes of table entries it knows every decoder has built: right
// after a clear, sending a pixel and then the next free code again and again
// makes the decoder's entries runs of 2, 3, 4, ... of that pixel.

#include "image/gif/TGIFEncoder.h"

namespace image {

class TRLEEncoder : public TGIFEncoder {
protected:
    // Sends the clear code and restarts the code counting.
    void Clear() override;
    void Compress() override;

private:
    // Sends one code and keeps the width and the clearing in step with the
    // decoder's table.
    void OutputPlain(int c);
    void MaxOutClear() { m_outClear = m_maxOCodes; }
    void ResetOutClear();
    void Flush(int count);
    void FlushFromClear(int count);
    void FlushClearOrRep(int count);
    void FlushWithTable(int count);

    int m_maxOCodes = 0;
    int m_outBumpInit = 0;
    int m_outClearInit = 0;
    int m_rlPixel = -1;
    int m_rlTableMax = 0;
    int m_rlTablePixel = 0;
    int m_outCount = 0;
    int m_outClear = 0;
    int m_outBump = 0;
};

} // namespace image
