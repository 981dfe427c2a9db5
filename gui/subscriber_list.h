#pragma once
// CSubscriberList: the ordered list of non-owned subscribers that a column
// or a header notifies, with its own lock.
//
// Delivery follows one rule: copy the list under the lock, release it, then
// call every copied subscriber in order. A subscriber may therefore
// unsubscribe itself or others, or call back into the notifier, from inside
// its call; one removed during a delivery still gets that delivery.
// Copies of up to kInline subscribers stay on the stack, so a delivery to
// the usual one or two subscribers allocates nothing.
//
// Ownership: subscribers are borrowed; each must unsubscribe before it dies.
// Thread: any thread.

#include "common/lock.h"

#include <algorithm>
#include <array>
#include <cstddef>
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

    bool Contains(const Subscriber* subscriber) const
    {
        Common::CLockGuard guard(m_lock);
        return std::find(m_subscribers.begin(), m_subscribers.end(), subscriber) != m_subscribers.end();
    }

    // Calls call(subscriber) for each subscriber of a copy of the list, with
    // no lock held.
    template <class Call>
    void ForEach(Call&& call) const
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
        for (size_t i = 0; i < count; ++i)
            call(first[i]);
    }

private:
    static constexpr size_t kInline = 4;

    mutable Common::CLock m_lock;
    std::vector<Subscriber*> m_subscribers; // Guarded by m_lock. Not owned.
};

} // namespace Brivel::GUI
