// Fuzz target: a column's archive load (CColumn::Serialize), with its
// format envelope and its two paint formats.
#include "fuzz/gui_fuzz_support.h"

#include "gui/header/column.h"

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
        {data, size}, [] { return std::make_unique<Brivel::GUI::CColumn>(); }, "the column");
    return 0;
}
