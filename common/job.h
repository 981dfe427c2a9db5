#pragma once
// CJob: one unit of work handed to an automat.
//
// A job belongs to the automat from the moment CAutomat::PostJob accepts it:
// the automat runs Execute once on its own thread and deletes the job right
// after Execute returns. A job still queued when its automat is destroyed is
// deleted without being run, so a job's destructor must cope with never
// having been executed.
//
// Execute must not let an exception escape: the automat does not catch it,
// and an exception leaving a thread body ends the process.
//
// Thread: constructed on any thread; Execute and the destructor run on the
// automat's thread (or, for a job never run, on the thread destroying the
// automat).

namespace Brivel::Common {

class CAutomat;

class CJob {
public:
    CJob() = default;
    CJob(const CJob&) = delete;
    CJob& operator=(const CJob&) = delete;
    virtual ~CJob() = default;

    // Runs the work; `automat` is the automat running it (a job may post
    // further jobs to it).
    virtual void Execute(CAutomat& automat) = 0;
};

} // namespace Brivel::Common
