#pragma once
// Settings of the PDF writer that tests (and a later tuning) may change.
// Read at every disini.

namespace zedozo {

struct PdfWriterOptions {
    // Worker threads that deflate finished content streams while drawing
    // goes on: -1 chooses from the processor count, 0 deflates every stream
    // on the drawing thread. The file is byte-identical either way.
    int deflateThreads = -1;
    // false: behave as if the 300000-byte content buffer could not be
    // allocated (content written uncompressed with a separate length object).
    bool contentBuffer = true;
};

PdfWriterOptions& pdfWriterOptions();

// The writer's "%.2f" of a float (the same text as printf), written at p;
// returns the end. Needs 48 bytes of room, else writes nothing.
char* formatFixed2(char* p, char* end, float v);

} // namespace zedozo
