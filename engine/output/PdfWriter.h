#pragma once
// The PDF writer's number formatting, shared with its tests. (Its
// switches, pdfWriterOptions, are among the engine's test seams.)

namespace zedozo {

// The writer's "%.2f" of a float (the same text as printf), written at p;
// returns the end. Needs 48 bytes of room, else writes nothing.
char* formatFixed2(char* p, char* end, float v);

} // namespace zedozo
