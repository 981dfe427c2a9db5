#pragma once
// CGrid::CGridImpl::Call: the calling rule, for the files that define grid
// operations.
//
// The calling rule, receiving end: CGrid packs every public operation into
// a CSyncCall record on the caller's stack; on the GUI thread Call runs it at
// once, from another thread it travels as "Brivel.Grid.SyncMessage" (WPARAM
// the operation code, LPARAM the record) through Platform::SendMessage and
// OnMessage runs it. The record carries the result (and an exception, which
// is raised again on the caller's thread). A destroyed window answers every
// call with the zero result at once: SendMessage to a released handle returns
// 0 without running anything, and on the GUI thread the destroyed flag is
// checked first. Posted operations (1, 49, 82) carry no record or a heap one;
// operation 82's heap record is freed by the grid (or by the queue when the
// message is dropped), and its item must still be in the grid when it runs.
//
//
// Thread: any (the point of it).

#include "gui/grid/grid_impl.h"

#include "platform/message_window.h"

#include <type_traits>
#include <utility>

namespace Brivel::GUI {

// The record of one call of `F` answering `R`, on the caller's stack.
template <class F, class R>
struct CSyncCallOf : CSyncCall {
    explicit CSyncCallOf(F& function) : f(&function) {}
    F* f;
    std::conditional_t<std::is_void_v<R>, char, R> result{};
};

template <class F>
auto CGrid::CGridImpl::Call(GridOperation op, F&& f) -> std::invoke_result_t<F&, CGridImpl&>
{
    using R = std::invoke_result_t<F&, CGridImpl&>;
    if (IsDestroyed()) {
        if constexpr (std::is_void_v<R>)
            return;
        else
            return R{};
    }
    if (IsWindowThread())
        return f(*this);
    using Record = CSyncCallOf<std::remove_reference_t<F>, R>;
    Record record(f);
    record.run = [](CSyncCall& call, CGridImpl& impl) {
        auto& self = static_cast<Record&>(call);
        try {
            if constexpr (std::is_void_v<R>)
                (*self.f)(impl);
            else
                self.result = (*self.f)(impl);
        } catch (...) {
            self.error = std::current_exception();
        }
        self.done = true;
    };
    Platform::SendMessage(GetSafeHwnd(), SyncMessageId(), op, reinterpret_cast<Platform::LPARAM>(&record));
    if (record.error)
        std::rethrow_exception(record.error);
    if constexpr (!std::is_void_v<R>)
        return record.done ? std::move(record.result) : R{};
}

} // namespace Brivel::GUI
