// Fuzz target: a grid's settings load (CGrid::Serialize, grid_settings.cpp).
//
// Input: a set-up byte, then the settings stream. The set-up byte says what
// the grid holds before it loads, so that the branches that depend on it are
// reached too:
//   bit 0  a header of its own (CHeader): a stored header of that class loads
//          into it in place, a stream without a header releases it;
//   bit 1  rows (three dynamic objects), all selected: the load's deselect,
//          focus reset and re-sort by the loaded header's keys act on them;
//   bit 2  a header of the class "FuzzHeader" (below) instead of bit 0's: a
//          stored header of another class replaces it.
// Both grids of the round trip start from the same set-up.
#include "fuzz/gui_fuzz_support.h"

#include "common/dynamic_object.h"
#include "gui/grid/grid.h"
#include "gui/header/column.h"
#include "gui/header/header.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Brivel::Common::CDynamicObject;
using Brivel::GUI::CGrid;

constexpr uint8_t kSetUpHeader = 0x01;
constexpr uint8_t kSetUpRows = 0x02;
constexpr uint8_t kSetUpFuzzHeader = 0x04;

// A header class of the target's own, registered as "FuzzHeader", that is
// not auto-delete: a stream naming it makes the grid create a header it does
// not own by construction, and a grid holding one meets stored headers of
// another class. The library's own header classes reach neither.
class CFuzzHeader : public Brivel::GUI::CHeader {
public:
    CFuzzHeader() : CHeader(false) {}

    BRIVEL_DECLARE_RUNTIME_CLASS(CFuzzHeader)
};

BRIVEL_IMPLEMENT_RUNTIME_CLASS(CFuzzHeader, Brivel::GUI::CHeader, "FuzzHeader", 1)

class CGridUnderTest {
public:
    explicit CGridUnderTest(uint8_t setUp)
    {
        if ((setUp & kSetUpFuzzHeader) != 0) {
            m_fuzzHeader = std::make_unique<CFuzzHeader>();
            m_fuzzHeader->AddColumn(std::make_unique<Brivel::GUI::CColumn>(0, "Name", 80));
            m_grid->SetHeader(m_fuzzHeader.get());
        } else if ((setUp & kSetUpHeader) != 0) {
            auto header = std::make_unique<Brivel::GUI::CHeader>(true); // auto-delete: the grid owns it
            header->AddColumn(std::make_unique<Brivel::GUI::CColumn>(0, "Name", 80));
            m_grid->SetHeader(header.release());
        }
        if ((setUp & kSetUpRows) != 0) {
            for (int32_t row = 0; row < 3; ++row) {
                auto object = std::make_unique<CDynamicObject>();
                object->SetLong(0, 2 - row);
                object->SetStdString(1, std::string(1, static_cast<char>('a' + row)));
                object->SetDouble(2, row * 0.5);
                m_grid->Add(object.get());
                m_objects.push_back(std::move(object));
            }
            m_grid->SelectAll();
        }
    }

    void Serialize(Brivel::Platform::CArchive& ar) { m_grid->Serialize(ar); }
    Brivel::GUI::CHeader* GetHeader() const { return m_grid->GetHeader(); }

private:
    // Declared before the grid, so destroyed after it: the objects outlive
    // the grid's rows, and the grid never deletes a header that is not
    // auto-delete and was handed to it, whether the load kept it or not.
    std::vector<std::unique_ptr<CDynamicObject>> m_objects;
    std::unique_ptr<CFuzzHeader> m_fuzzHeader;
    std::unique_ptr<CGrid> m_grid = std::make_unique<CGrid>();
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Brivel::Fuzz::InitializeGuiTarget();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t setUp = data[0];
    Brivel::Fuzz::CheckArchiveRoundTrip(
        {data + 1, size - 1}, [setUp] { return std::make_unique<CGridUnderTest>(setUp); }, "the grid settings",
        [](const CGridUnderTest& grid) {
            // The header the load left (its own, in place or created by
            // name) must be whole.
            const Brivel::GUI::CHeader* const header = grid.GetHeader();
            const std::string broken = header != nullptr ? header->CheckInvariantsForTesting() : std::string();
            if (!broken.empty())
                std::fprintf(stderr, "grid's header: %s\n", broken.c_str());
            Brivel::Fuzz::Require(broken.empty(), "the loaded grid's header is inconsistent");
        });
    Brivel::Fuzz::DeleteLaterObjects();
    return 0;
}
