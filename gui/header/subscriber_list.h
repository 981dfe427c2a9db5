#pragma once
// CSubscriberList: the ordered list of non-owned subscribers that a column
// or a header notifies, with its own lock.
//
// Delivery follows one rule: copy the list under the lock, release it, then
// call every copied subscriber in order, no lock held during a call. A
// subscriber may therefore unsubscribe itself or others, or call back into
// the notifier, from inside its call. Each call is checked against the list
// just before it is made: one removed meanwhile is not called any more. Every
// call in progress is recorded, so that RemoveAndWait can return only once no
// other thread is inside a call to the removed subscriber: after it, the
// subscriber may be destroyed even while deliveries run on other threads.
// Copies of up to kInline subscribers stay on the stack, so a delivery to
// the usual one or two subscribers allocates nothing once the call record
// has its capacity.
//
// Ownership: subscribers are borrowed; each must unsubscribe before it dies
// (with RemoveAndWait when another thread may be delivering).
// Thread: any thread.

#include "common/lock.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace Brivel::GUI {

template <class Subscriber>
class CSubscriberList {
public:
    CSubscriberList() = default;
    CSubscriberList(const CSubscriberList&) = delete;
    CSubscriberList& operator=(const CSubscriberList&) = delete;

    // Appends; a null pointer or one already present is ignored (false).
    bool Add(Subscriber* subscriber)
    {
        if (subscriber == nullptr)
            return false;
        Common::CLockGuard guard(m_lock);
        if (std::find(m_subscribers.begin(), m_subscribers.end(), subscriber) != m_subscribers.end())
            return false;
        m_subscribers.push_back(subscriber);
        return true;
    }

    // Removes it when present (true).
    bool Remove(Subscriber* subscriber)
    {
        Common::CLockGuard guard(m_lock);
        const auto it = std::find(m_subscribers.begin(), m_subscribers.end(), subscriber);
        if (it == m_subscribers.end())
            return false;
        m_subscribers.erase(it);
        return true;
    }

    // Whether `subscriber` is in the list.
    bool Contains(const Subscriber* subscriber) const
    {
        Common::CLockGuard guard(m_lock);
        return std::find(m_subscribers.begin(), m_subscribers.end(), subscriber) != m_subscribers.end();
    }

    // Removes it when present (true), then waits until no other thread is
    // inside a call to it. The calling thread's own calls (a subscriber
    // removing itself from its callback) are not waited for. A delivery on
    // another thread that is blocked waiting for the caller would never end:
    // call this only where such a call returns at once (a grid calls it once
    // its window is gone, when its calls from other threads return 0).
    bool RemoveAndWait(Subscriber* subscriber)
    {
        std::unique_lock<Common::CLock> lock(m_lock);
        const auto it = std::find(m_subscribers.begin(), m_subscribers.end(), subscriber);
        const bool removed = it != m_subscribers.end();
        if (removed)
            m_subscribers.erase(it);
        const std::thread::id self = std::this_thread::get_id();
        m_callEnded.wait(lock, [&] {
            return std::none_of(m_calls.begin(), m_calls.end(),
                                [&](const Call& c) { return c.subscriber == subscriber && c.thread != self; });
        });
        return removed;
    }

    // Calls call(subscriber) for each subscriber of a copy of the list that
    // is still subscribed when its turn comes, with no lock held.
    template <class F>
    void ForEach(F&& call) const
    {
        std::array<Subscriber*, kInline> inlineCopy{};
        std::vector<Subscriber*> heapCopy;
        size_t count = 0;
        {
            Common::CLockGuard guard(m_lock);
            count = m_subscribers.size();
            if (count <= kInline)
                std::copy(m_subscribers.begin(), m_subscribers.end(), inlineCopy.begin());
            else
                heapCopy = m_subscribers;
        }
        Subscriber* const* first = count <= kInline ? inlineCopy.data() : heapCopy.data();
        const std::thread::id self = std::this_thread::get_id();
        for (size_t i = 0; i < count; ++i) {
            Subscriber* const subscriber = first[i];
            {
                Common::CLockGuard guard(m_lock);
                if (std::find(m_subscribers.begin(), m_subscribers.end(), subscriber) == m_subscribers.end())
                    continue; // removed since the copy was made
                m_calls.push_back(Call{subscriber, self});
            }
            const CCallRecord record(*this, subscriber, self);
            call(subscriber);
        }
    }

private:
    static constexpr size_t kInline = 4;

    struct Call {
        Subscriber* subscriber;
        std::thread::id thread;
    };

    // Ends the record of one call when the call returns or throws.
    class CCallRecord {
    public:
        CCallRecord(const CSubscriberList& list, Subscriber* subscriber, std::thread::id thread)
            : m_list(list), m_subscriber(subscriber), m_thread(thread)
        {
        }
        CCallRecord(const CCallRecord&) = delete;
        CCallRecord& operator=(const CCallRecord&) = delete;
        ~CCallRecord()
        {
            {
                Common::CLockGuard guard(m_list.m_lock);
                auto& calls = m_list.m_calls;
                const auto it = std::find_if(calls.begin(), calls.end(), [&](const Call& c) {
                    return c.subscriber == m_subscriber && c.thread == m_thread;
                });
                if (it != calls.end())
                    calls.erase(it);
            }
            m_list.m_callEnded.notify_all();
        }

    private:
        const CSubscriberList& m_list;
        Subscriber* m_subscriber;
        std::thread::id m_thread;
    };

    mutable Common::CLock m_lock;
    std::vector<Subscriber*> m_subscribers; // Guarded by m_lock. Not owned.
    mutable std::vector<Call> m_calls;      // Guarded by m_lock: the calls in progress.
    mutable std::condition_variable_any m_callEnded;
};

} // namespace Brivel::GUI
