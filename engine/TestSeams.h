#pragma once
// The tests' one door into the engine's inside: the white-box tests, the
// fuzz targets and the bench include this (and the writer headers they test)
// instead of the engine's own headers. The program never includes it.
// Besides the engine's state and services it brings the hooks that put the
// engine into a state a test needs: resetEngineForTests,
// setAxisSystemForTests, failNextPlotFileFlushForTests (EngineInternal.h),
// resetScreenForTests (ScreenWriter.h), failNextDeflateForTests (Deflate.h)
// and the PDF writer's switches (PdfWriter.h).

#include "engine/Engine.h"
#include "engine/core/AxisInternal.h"
#include "engine/core/EngineInternal.h"
#include "engine/output/Deflate.h"
#include "engine/output/PdfWriter.h"
#include "engine/output/ScreenWriter.h"
