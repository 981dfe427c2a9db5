#pragma once
// CWindowTable: the process-wide table behind window handles. Internal to the
// messaging layer (message_window.cpp, message_queue.cpp); other code uses the
// HWND functions of message_window.h.
//
// A handle is a number, never an address: (slot generation << 32) | (slot index
// + 1). Releasing a handle bumps its slot's generation, so an old handle never
// matches the slot again, even after the slot serves a new window; decoding a
// stale or forged handle only reads the table, never the freed window. A slot
// would have to be reused 2^32 times before an old handle matched again.
//
// Owns: the slots and, through them, a reference to each live window's thread
// queue. Borrows: the CMessageWindow objects (a window removes itself with
// Release before it is destroyed).
//
// Thread: any thread. Every member takes m_mutex, which is a leaf lock except
// that WithSlot's callback may take a CMessageQueue's lock (table -> queue is the
// only nesting; no queue lock is ever held while the table lock is taken).

#include "platform/message_types.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Brivel::Platform {
class CMessageWindow;
}

namespace Brivel::Platform::Detail {

class CMessageQueue;

class CWindowTable {
public:
    // One live window as the table knows it.
    struct Slot {
        CMessageWindow* window = nullptr;     // null while the slot is free
        std::shared_ptr<CMessageQueue> queue; // the window's thread queue
        std::thread::id thread;               // the window's thread
        uint32_t generation = 1;              // part of the handle; bumped on release
        uint32_t nextFree = kNoSlot;          // free-list link while free
    };

    // Most windows a process may hold at once; past it Allocate fails.
    static constexpr uint32_t kMaxSlots = 1u << 22;

    static CWindowTable& Instance();

    CWindowTable(const CWindowTable&) = delete;
    CWindowTable& operator=(const CWindowTable&) = delete;

    // Gives the window a new handle on the calling thread; null (HWND{}) when the
    // table is full.
    HWND Allocate(CMessageWindow& window, std::shared_ptr<CMessageQueue> queue);

    // Frees the handle and returns the queue its window used, so that the caller
    // can purge what is still queued for it; null when the handle was not live.
    std::shared_ptr<CMessageQueue> Release(HWND handle);

    // Calls f(const Slot&) under the table lock when the handle is live and
    // returns its result, else returns fallback. Keep f short: it runs under the
    // process-wide lock.
    template <class F, class R>
    R WithSlot(HWND handle, R fallback, F&& f) const
    {
        std::lock_guard lock(m_mutex);
        const Slot* slot = FindLocked(handle);
        return slot ? f(*slot) : fallback;
    }

    // The live window behind the handle when it belongs to the calling thread,
    // else null. The pointer stays valid for the caller until the calling thread
    // itself destroys the window (a window is destroyed only on its thread).
    CMessageWindow* FindOnCurrentThread(HWND handle) const;

    uint32_t LiveCountForTesting() const;

private:
    static constexpr uint32_t kNoSlot = UINT32_MAX;

    CWindowTable() = default;
    ~CWindowTable() = default;

    const Slot* FindLocked(HWND handle) const; // requires m_mutex

    mutable std::mutex m_mutex;
    std::vector<Slot> m_slots;     // Guarded by m_mutex. Indexed by handle index.
    uint32_t m_freeHead = kNoSlot; // Guarded by m_mutex.
    uint32_t m_liveCount = 0;      // Guarded by m_mutex.
};

} // namespace Brivel::Platform::Detail
