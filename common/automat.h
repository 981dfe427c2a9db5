#pragma once
// CAutomat: a thread that runs posted jobs one at a time, in posting order.
//
// Any thread posts a CJob with PostJob; the automat's loop takes the whole
// queue in one pass, runs each job (ExecuteJob) outside its lock, deletes it,
// then waits on its wake semaphore (WaitForJobs) until the next post or stop.
// The wake semaphore has a maximum count of 1, so several posts between two
// waits wake the loop once, and that pass takes all of them. A job posted
// while a pass is running, also by a job of that pass, runs in the next pass.
//
// Stopping: RequestStop (or Stop, which requests it too) ends the loop when
// the current pass is done: a job still running is finished, and so are the
// jobs behind it in the same pass. Jobs still queued stay queued: a later
// Start runs them, and the destructor deletes them unrun.
//
// Destruction order: the destructor first stops the loop and waits for it to
// end, without a time limit (the loop runs on this object's members), then
// deletes the queued jobs, then the CThread part. Never destroy an automat
// from one of its own jobs. Subclasses that override WaitForJobs or
// ExecuteJob and use their own members must call StopAndJoin() first in
// their own destructor.
//
// Owns: the queued jobs and, while the loop runs, the wake semaphore.
// Thread: any thread.

#include "common/thread.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::Common {

class CJob;

class CAutomat : public CThread {
public:
    explicit CAutomat(std::string name); // not started; `name` names its thread
    ~CAutomat() override;

    // Sets the stop flag, then wakes the loop so that it sees the flag.
    void RequestStop() override;

    // Queues `job` at the end and wakes the loop. A null job is ignored.
    // Never blocks on running jobs; callable before Start (the first pass
    // takes what is queued) and from inside a job of this automat.
    void PostJob(std::unique_ptr<CJob> job);

protected:
    // The loop. Returns 0.
    uint32_t Run() override;

    // Runs one job and deletes it. Thread: the automat's thread only.
    virtual void ExecuteJob(std::unique_ptr<CJob> job);

    // Blocks until a job is posted, a stop is requested or `timeoutMs` passes
    // (kInfiniteTimeout: no limit). Returns true when woken by a post or a
    // stop, false on timeout or when the loop is not running.
    // Thread: the automat's thread only (called by the loop after each pass).
    virtual bool WaitForJobs(uint32_t timeoutMs);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Brivel::Common
