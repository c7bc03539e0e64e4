#pragma once
// The PDF writer's number formatting, shared with its tests. (Its
// switches, pdfWriterOptions, are among the engine's test seams.)

namespace zedozo {

// Switches of the PDF writer, read at every disini (tests and the bench).
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
