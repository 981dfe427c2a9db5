#include "common/large_array.h"

#include <sys/mman.h>

namespace Brivel::Common::LargeArrayDetail {

void AdviseHugePages(void* address, size_t bytes) noexcept
{
#ifdef MADV_HUGEPAGE
    // Fails harmlessly where transparent huge pages are off or unknown.
    (void)madvise(address, bytes, MADV_HUGEPAGE);
#else
    (void)address;
    (void)bytes;
#endif
}

} // namespace Brivel::Common::LargeArrayDetail
