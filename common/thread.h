#pragma once
// CThread: one operating-system thread with a name, a start operation, a
// cooperative stop request and a timed join.
//
// A subclass supplies the body, Run(), which polls IsStopRequested() and
// returns its exit code. Lifecycle:
//
//   not started --Start--> running --RequestStop--> stop requested
//        ^                                              |
//        +---------------------- Stop ------------------+
//
// Start after Stop starts a new thread with the stop flag cleared. Every step
// is idempotent: Start on a running thread and Stop on a stopped (or never
// started) one do nothing.
//
// Timed join: std::thread cannot join with a timeout, so the entry routine
// signals a completion record shared with this object when Run returns. Stop
// waits on that record; when the body ends in time the thread is joined, and
// when the timeout passes first the thread is detached and left to finish by
// itself. Such an abandoned body still runs on this object, so:
//   - Start refuses (returns false) until the abandoned body has ended, so
//     that two bodies never share one object;
//   - the destructor waits, without a time limit, for any body that is still
//     running, rather than let it run on freed memory or call std::terminate.
// The caller must therefore make sure that a body ends once a stop has been
// requested. After Run returns, the entry routine touches only its own share
// of the completion record, never this object.
//
// Destruction order: a subclass whose Run uses its own members must call
// StopAndJoin() first thing in its destructor (CAutomat does), because by the
// time ~CThread runs, those members are gone. ~CThread calls it again as a
// last resort; it is idempotent.
//
// Owns: the thread's private block (name, std::thread, flags, ids).
// Thread: any thread, except where a method says otherwise.

#include <cstdint>
#include <memory>
#include <string>

namespace Brivel::Common {

class CThread {
public:
    explicit CThread(std::string name); // not started; `name` is the thread's name
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // The virtual operations, in their fixed slot order.

    // Creates and starts the thread unless it is already running. The name,
    // when not empty, is given to the OS (cut to the 15 bytes Linux accepts,
    // never inside a UTF-8 sequence) by the new thread itself before Start
    // returns. Returns true when the thread runs afterwards (newly created or
    // already running); false, with the running flag left clear, when the OS
    // could not create it or a body abandoned by a timed-out Stop still runs.
    virtual bool Start();

    // Sets the stop-requested flag; the body ends at its next check.
    virtual void RequestStop();

    // Does nothing and returns true when the running flag is clear. Otherwise
    // clears it, requests a stop (so that a Stop alone also ends a polling
    // body), waits at most `timeoutMs` ms (kInfiniteTimeout: no limit) for the
    // body to end, and releases the thread: joined when it ended, detached
    // otherwise. Returns whether the body ended within the timeout. Called on
    // the thread itself, it cannot wait: it detaches and returns false.
    virtual bool Stop(uint32_t timeoutMs);

    virtual std::string GetThreadName() const; // as constructed
    virtual bool IsRunning() const;           // the running flag: set by Start, cleared by Stop
    virtual bool IsStopRequested() const;     // a stop was asked for

    // Waits for a body that is still running (see the class comment).
    virtual ~CThread();

    // The OS thread id (gettid) of the latest thread started, 0 before Start.
    uint32_t GetThreadId() const;

    // True when called on the thread that runs this object's body.
    bool IsCurrentThread() const;

    // Writes Run's result and returns true once the latest body has ended.
    bool GetExitCode(uint32_t* exitCode) const;

    // Makes every later Start fail as if the OS refused to create a thread.
    static void SetThreadCreationFailsForTesting(bool fails);

protected:
    // The thread body; its result is the thread's exit code.
    virtual uint32_t Run() = 0;

    // Requests a stop and waits, without a time limit, for the current or an
    // abandoned body to end, then joins it. For subclass destructors; on the
    // thread itself it only detaches, since a thread cannot join itself.
    void StopAndJoin();

private:
    struct Impl;
    struct RunState;

    static void Entry(CThread* self, std::shared_ptr<RunState> state);

    std::unique_ptr<Impl> m_impl;
};

} // namespace Brivel::Common
