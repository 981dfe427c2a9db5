// Fuzz target: a header's archive load (CHeader::Serialize): its columns by
// class reference, fixed count, height, flags, sort levels and search column.
#include "fuzz/gui_fuzz_support.h"

#include "gui/header/header.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Brivel::Fuzz::InitializeGuiTarget();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Not auto-delete: the target owns the headers. A loaded header's
    // derived state (visible list, lookup, layout) must be what its columns give.
    Brivel::Fuzz::CheckArchiveRoundTrip(
        {data, size}, [] { return std::make_unique<Brivel::GUI::CHeader>(false); }, "the header",
        [](const Brivel::GUI::CHeader& header) {
            const std::string broken = header.CheckInvariantsForTesting();
            if (!broken.empty())
                std::fprintf(stderr, "header: %s\n", broken.c_str());
            Brivel::Fuzz::Require(broken.empty(), "a loaded header's derived state is inconsistent");
        });
    Brivel::Fuzz::DeleteLaterObjects();
    return 0;
}
