#pragma once
// The value types that travel with window messages: window handles and the
// message parameters. Records travel by pointer in the parameters, at native
// pointer width.
//
// Thread: any thread (plain values).

#include <cstdint>

namespace Brivel::Platform {

// Identifies a message window (see CMessageWindow). A handle is a number, not an
// address: it stays safe to keep and pass around after its window is gone, when
// every use of it fails cleanly, and it is never handed to another window. The
// zero value, HWND{}, is no window.
enum class HWND : uintptr_t {};

using WPARAM = uintptr_t; // the first argument of a message
using LPARAM = intptr_t;  // the second argument of a message
using LRESULT = intptr_t; // a message's result

// Frees what a posted message carries when the message is dropped instead of
// delivered (its window was destroyed first, or its thread's queue closed).
// Runs once, on the thread that drops the message, with no lock of the
// messaging layer held.
using MessageDisposer = void (*)(uint32_t msg, WPARAM wParam, LPARAM lParam);

} // namespace Brivel::Platform
