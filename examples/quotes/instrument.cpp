#include "instrument.h"

#include <common/enum_format.h>
#include <common/real_formats.h>

#include <memory>
#include <utility>

using Brivel::Common::CDoubleFormat;
using Brivel::Common::CLongEnumFormat;

namespace {

const CLongEnumFormat::Item kSides[] = {{CInstrument::kBuy, "Buy"}, {CInstrument::kSell, "Sell"}};

std::unique_ptr<CLongEnumFormat> SideFormat() { return std::make_unique<CLongEnumFormat>(kSides, 2); }
// Two decimals, trailing zeros kept: 12.50, not 12.5.
std::unique_ptr<CDoubleFormat> MoneyFormat() { return std::make_unique<CDoubleFormat>(2, true); }

} // namespace

// Getter, setter (0: read-only) and format of each field. The formats give
// the text, the in-place editor (a drop-down for the enumeration, check
// boxes for bool) and what a typed text is read back as.
BRIVEL_BEGIN_FIELD_MAP(CInstrument)
    BRIVEL_FIELD(0, "Symbol", &CInstrument::GetSymbol, 0, nullptr)
    BRIVEL_FIELD(1, "Side", &CInstrument::GetSide, &CInstrument::SetSide, SideFormat())
    BRIVEL_FIELD(2, "Quantity", &CInstrument::GetQuantity, &CInstrument::SetQuantity, nullptr)
    BRIVEL_FIELD(3, "Price", &CInstrument::GetPrice, 0, MoneyFormat())
    BRIVEL_FIELD(4, "Limit", &CInstrument::GetLimit, &CInstrument::SetLimit, MoneyFormat())
    BRIVEL_FIELD(5, "Watch", &CInstrument::GetWatch, &CInstrument::SetWatch, nullptr)
BRIVEL_END_FIELD_MAP()

CInstrument::CInstrument(std::string symbol, double price) : m_symbol(std::move(symbol)), m_price(price), m_limit(price)
{
}
