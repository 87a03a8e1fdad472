#pragma once

class QAbstractScrollArea;

// Set-up point for touch scrolling of a scroll area; directions are
// Qt::Orientations (1 horizontal, 2 vertical, 3 both). The client scrolls with
// its scroll bars and the wheel only, so nothing is set up here.
void gestureSetupHook(QAbstractScrollArea* area, int directions);
