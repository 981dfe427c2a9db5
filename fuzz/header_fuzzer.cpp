// Fuzz target: a header's archive load (CHeader::Serialize): its columns by
// class reference, fixed count, height, flags, sort levels and search column.
#include "fuzz/gui_fuzz_support.h"

#include "gui/header/header.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Brivel::Fuzz::InitializeGuiTarget();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Not auto-delete: the target owns the headers.
    Brivel::Fuzz::CheckArchiveRoundTrip(
        {data, size}, [] { return std::make_unique<Brivel::GUI::CHeader>(false); }, "the header");
    Brivel::Fuzz::DeleteLaterObjects();
    return 0;
}
