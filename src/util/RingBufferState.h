#pragma once

class JSONUtil;

// "$.MEM.RING", the ring-buffer state the home page and the measurement
// screen show on their logger buttons.
extern const char* const RING_BUFFER_PATH;

// Reads the state from the mirror (a missing one is requested from the
// device); true with state set when it is an integer.
bool readRingBufferState(JSONUtil* jsonUtil, int& state);
