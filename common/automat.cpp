#include "common/automat.h"

#include "common/job.h"
#include "common/lock.h"
#include "common/semaphore.h"

#include <utility>
#include <vector>

namespace Brivel::Common {

struct CAutomat::Impl {
    CLock lock; // Guards queue and wake.
    // Created by Run (initial count 1, so that the first pass runs at once
    // and takes what was posted before Start) and destroyed when Run ends.
    std::unique_ptr<CSemaphore> wake;       // Guarded by lock.
    std::vector<std::unique_ptr<CJob>> queue; // Guarded by lock. Oldest first.
    // The pass being run; swapped with `queue` so that, once both have grown,
    // neither posting nor a pass allocates. Loop thread only.
    std::vector<std::unique_ptr<CJob>> pass;
};

CAutomat::CAutomat(std::string name) : CThread(std::move(name)), m_impl(std::make_unique<Impl>()) {}

CAutomat::~CAutomat()
{
    StopAndJoin();
    // m_impl, and with it every queued job, goes when this body ends.
}

void CAutomat::RequestStop()
{
    // The flag first, then the wake-up: the loop cannot take the release and
    // read a flag that is not set yet.
    CThread::RequestStop();
    CLockGuard guard(m_impl->lock);
    if (m_impl->wake)
        m_impl->wake->Release(1); // fails harmlessly when already signalled
}

void CAutomat::PostJob(std::unique_ptr<CJob> job)
{
    if (!job)
        return;
    CLockGuard guard(m_impl->lock);
    m_impl->queue.push_back(std::move(job));
    if (m_impl->wake)
        m_impl->wake->Release(1); // beyond the maximum of 1: already awake
}

uint32_t CAutomat::Run()
{
    {
        CLockGuard guard(m_impl->lock);
        m_impl->wake = std::make_unique<CSemaphore>(1, 1);
    }
    std::vector<std::unique_ptr<CJob>>& pass = m_impl->pass;
    while (!IsStopRequested()) {
        {
            CLockGuard guard(m_impl->lock);
            pass.swap(m_impl->queue);
        }
        for (auto& job : pass)
            ExecuteJob(std::move(job));
        pass.clear();
        WaitForJobs(kInfiniteTimeout);
    }
    {
        CLockGuard guard(m_impl->lock);
        m_impl->wake.reset();
    }
    return 0;
}

void CAutomat::ExecuteJob(std::unique_ptr<CJob> job)
{
    if (job)
        job->Execute(*this);
}

bool CAutomat::WaitForJobs(uint32_t timeoutMs)
{
    CSemaphore* wake = nullptr;
    {
        CLockGuard guard(m_impl->lock);
        wake = m_impl->wake.get();
    }
    // Only Run, on this thread, destroys the semaphore, so it outlives the
    // wait; waiting under the lock would block every PostJob.
    return wake != nullptr && wake->Wait(timeoutMs);
}

} // namespace Brivel::Common
