#include "app/random.h"

namespace Quellon {

namespace {

thread_local uint32_t t_state = 1;

} // namespace

int32_t Random() noexcept
{
    t_state = t_state * 214013u + 2531011u; // wraps modulo 2^32
    return static_cast<int32_t>((t_state >> 16) & 0x7FFF);
}

} // namespace Quellon
