#pragma once
// The engine's test seams, in one place: hooks that put the engine into a
// state a test needs (a fresh record, a given axis system, a forced
// failure) and the PDF writer's switches. The program does not call them.
// Declarations only, so that any part of the engine may include this.

#include <cstdint>

namespace zedozo {

enum class DeflateStatus : int; // Deflate.h

// Discard the engine record (closing any open file without renaming it) so
// that the next call starts from a fresh one.                 EngineState.cpp
void resetEngineForTests();

// Destroys the screen windows and forgets the driver record, so that the
// next screen disini starts afresh (colour model chosen again). ScreenWriter.cpp
void resetScreenForTests();

// Fixes the user-to-plot mapping and clip rectangle as graf does for a
// linear axis system at (xp, yp) with lengths (nx, ny), and sets level 2.
//                                                                 Curve.cpp
void setAxisSystemForTests(float xa, float xe, float ya, float ye, int xp, int yp, int nx, int ny);

// The next deflateBuffer call (on any thread) fails with the given status.
//                                                               Deflate.cpp
void failNextDeflateForTests(DeflateStatus status);

// The next buffer flush of the open plot file fails as if the disk were
// full (nothing happens when no plot file was made yet).          Cycle.cpp
void failNextPlotFileFlushForTests();

// Switches of the PDF writer, read at every disini.            PdfWriter.cpp
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

} // namespace zedozo
