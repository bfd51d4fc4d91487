#pragma once
// Keeping a window alive during a long loop on the GUI thread.

namespace platform {

// Lets pending paints, layout and posted events run, so progress and status
// texts move, while keyboard and mouse input waits until the loop is over: a
// click cannot start another command in the middle of one.
// Does nothing when the last pump ran less than 20 ms ago: a screen shows no
// more than some fifty frames a second.
void PumpPaintEvents();
// Whether PumpPaintEvents would run now, so that a loop puts up texts only
// for the frames that are painted.
bool PaintIsDue();

}  // namespace platform
