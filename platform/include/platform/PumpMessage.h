#pragma once
// Keeping a window alive during a long loop on the GUI thread.

class CWnd;

namespace platform {

// Lets paints, layout and posted events run while input waits, so a click
// cannot start a command in the middle of another (while a CStopRequest lives,
// input is taken, but only to stop the work). Runs at most every 20 ms: a
// screen shows no more than some fifty frames a second.
void PumpPaintEvents();
// Whether PumpPaintEvents would run now, so that a loop sets texts only for painted frames.
bool PaintIsDue();

// A long piece of work the user may stop. While it lives, the pumps take
// Escape (in any window) and a click on the cancel button as the request to
// stop, and drop other input. Objects may nest; a request reaches them all.
class CStopRequest {
 public:
  // cancel: a button whose click asks to stop (null: Escape alone).
  explicit CStopRequest(CWnd* cancel = nullptr);
  ~CStopRequest();
  CStopRequest(const CStopRequest&) = delete;
  CStopRequest& operator=(const CStopRequest&) = delete;

  bool IsRequested() const { return m_bRequested; }
  void Request() {
    for (CStopRequest* request = this; request; request = request->m_pOuter) request->m_bRequested = true;
  }

 private:
  CStopRequest* m_pOuter;
  CWnd* m_pCancel;
  bool m_bRequested = false;
};

}  // namespace platform
