// Brivel::Common alone (no Qt): a data object with a field table, read and
// written through its fields, and an enumeration format.
#include <common/data_object.h>
#include <common/enum_format.h>
#include <common/field_table.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

class CItem : public Brivel::Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()
public:
    ~CItem() override { AnnounceDeletion(); }
    int32_t GetSide() const { return m_side; }
    void SetSide(int32_t side) { m_side = side; }
private:
    int32_t m_side = 0;
};

const Brivel::Common::CLongEnumFormat::Item kSides[] = {{0, "Buy"}, {1, "Sell"}};

BRIVEL_BEGIN_FIELD_MAP(CItem)
    BRIVEL_FIELD(0, "Side", &CItem::GetSide, &CItem::SetSide,
                 std::make_unique<Brivel::Common::CLongEnumFormat>(kSides, 2))
BRIVEL_END_FIELD_MAP()

} // namespace

int main()
{
    CItem item;
    if (item.GetText(0) != "Buy" || !item.SetText(0, std::string("Sell")) || item.GetSide() != 1 ||
        item.SetText(0, std::string("Hold"))) {
        std::fprintf(stderr, "common_check: fields or enumeration format wrong\n");
        return 1;
    }
    std::puts("common_check: ok");
    return 0;
}
