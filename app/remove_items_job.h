#pragma once
// CRemoveItemsJob: a remove run handed to the frame's worker automat. Execute
// calls CMainFrame::RemoveItems(count, position code, from worker = true) on the
// worker thread; the job is deleted by the automat right after.
//
// Borrows the frame, which stops its worker (and so every job) before it is
// destroyed. A job deleted unrun does nothing.
// Thread: constructed on the GUI thread, executed on the worker.

#include "common/job.h"

#include <cstdint>

namespace Quellon {

class CMainFrame;

class CRemoveItemsJob : public Brivel::Common::CJob {
public:
    CRemoveItemsJob(CMainFrame& frame, int32_t count, int32_t positionCode)
        : m_frame(frame), m_count(count), m_positionCode(positionCode)
    {
    }

    void Execute(Brivel::Common::CAutomat& automat) override;

private:
    CMainFrame& m_frame; // Not owned; outlives the worker's jobs.
    const int32_t m_count;
    const int32_t m_positionCode;
};

} // namespace Quellon
