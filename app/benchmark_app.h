#pragma once
// CBenchmarkApp: the benchmark application object. It starts the timer
// service, creates and shows the main frame, and runs the idle-time command
// update, throttled by the OnIdle optimization flag.
//
// OnIdle (called each time the GUI thread's event loop is about to wait):
// with the flag on, an idle moment less than or equal to 10 ms (either way)
// after the last one that ran is skipped without updating the command
// states; otherwise the moment is remembered and the frame's command states
// are updated. With the flag off every idle moment updates them.
//
// Ownership: owns the main frame and the idle hook. The QApplication is the
// caller's and must outlive this object.
// Thread: GUI thread only.

#include "app/main_frame.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace Brivel::Platform {
class CIdleHook;
}

namespace Quellon {

class CBenchmarkApp {
public:
    CBenchmarkApp();
    ~CBenchmarkApp();

    CBenchmarkApp(const CBenchmarkApp&) = delete;
    CBenchmarkApp& operator=(const CBenchmarkApp&) = delete;

    // Starts the timer service, creates the frame, creates its window and
    // shows it (when `show`). False when the window could not be created.
    bool InitInstance(CMainFrame::Options options = {}, bool show = true);

    CMainFrame* GetMainFrame() const { return m_frame.get(); }

    bool IsOnIdleOptimization() const { return m_onIdleOptimization; }
    void SetOnIdleOptimization(bool on) { m_onIdleOptimization = on; }

    // One idle moment (see the class comment). Returns false: no more idle
    // work is wanted until the next message.
    bool OnIdle();
    // The same at a given tick (the idle hook passes GetTickCount()).
    bool OnIdle(uint32_t now);
    // Idle moments that ran the command update.
    uint64_t GetIdleUpdateCount() const { return m_idleUpdates; }

    // Destroys the frame (its window first). Idempotent; the destructor
    // calls it.
    void ExitInstance();

private:
    bool m_onIdleOptimization = true;
    std::optional<uint32_t> m_lastIdleTick; // set on the first idle moment
    uint64_t m_idleUpdates = 0;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<Brivel::Platform::CIdleHook> m_idleHook;
};

} // namespace Quellon
