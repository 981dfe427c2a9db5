// Fuzz target: a sort key's archive load (CSortInfo::Serialize).
#include "fuzz/gui_fuzz_support.h"

#include "gui/header/sort_info.h"

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
    Brivel::Fuzz::CheckArchiveRoundTrip(
        {data, size}, [] { return std::make_unique<Brivel::GUI::CSortInfo>(); }, "the sort key");
    return 0;
}
