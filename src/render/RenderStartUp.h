#pragma once

// The rendering part of start-up, once the OpenGL context exists: builds the
// sky and text programs, the start-up glyph
// set from the game's font, and the text quad buffer. The bloom programs and
// buffers follow on the first world frame. Failures are console lines only.
void buildStartUpPrograms();
