#pragma once

class ZAnimatedButton;

// The logger button's picture for a ring-buffer state: 1 the still logger,
// 2 ring buffer inactive, 3 active (both animated). selected picks the
// variant for the selected header button. Any other state changes nothing
// and gives false.
bool showRingBufferState(ZAnimatedButton* icon, int state, bool selected);
