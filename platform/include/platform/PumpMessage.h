#pragma once
// Keeping a window alive during a long loop on the GUI thread.

class CWnd;

namespace platform {

// Lets pending paints, layout and posted events run, so progress and status
// texts move, while keyboard and mouse input waits until the loop is over: a
// click cannot start another command in the middle of one. While a
// CStopRequest lives, input is taken instead, but only to stop the work.
// Does nothing when the last pump ran less than 20 ms ago: a screen shows no
// more than some fifty frames a second.
void PumpPaintEvents();
// Whether PumpPaintEvents would run now, so that a loop puts up texts only
// for the frames that are painted.
bool PaintIsDue();

// A long piece of work the user may stop. While the object lives, the pumps
// take Escape (pressed in any window of the program) and a click on the
// cancel button as the request to stop; every other key press and click is
// dropped, so no other command starts in the middle of the work. The work
// asks IsRequested between its steps. Objects may nest; a request reaches
// every one that lives.
class CStopRequest {
 public:
  // cancel: a button whose click asks to stop (null: Escape alone).
  explicit CStopRequest(CWnd* cancel = nullptr);
  ~CStopRequest();
  CStopRequest(const CStopRequest&) = delete;
  CStopRequest& operator=(const CStopRequest&) = delete;

  bool IsRequested() const { return m_bRequested; }
  // What a press of Escape or a click on the button does.
  void Request() {
    for (CStopRequest* request = this; request; request = request->m_pOuter) request->m_bRequested = true;
  }

 private:
  CStopRequest* m_pOuter;
  CWnd* m_pCancel;
  bool m_bRequested = false;
};

}  // namespace platform
