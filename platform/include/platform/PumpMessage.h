#pragma once
// Keeping a window alive during a long loop on the GUI thread.

namespace platform {

// Lets pending paints, layout and posted events run, so progress and status
// texts move, while keyboard and mouse input waits until the loop is over: a
// click cannot start another command in the middle of one.
void PumpPaintEvents();

}  // namespace platform
