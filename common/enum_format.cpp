#include "common/enum_format.h"

#include "common/serializer.h"

#include <algorithm>
#include <set>

namespace Brivel::Common {

CLongEnumFormat::CLongEnumFormat(const Item* items, int32_t count) : CConcreteFormat(KindLong)
{
    if (!items)
        return;
    for (int32_t index = 0; index < count; ++index)
        AddItem(items[index].value, items[index].text ? items[index].text : "");
}

std::string CLongEnumFormat::Format(int32_t value, const CDataObject*) const
{
    const auto it = m_texts.find(value);
    return it != m_texts.end() ? it->second : std::string();
}

bool CLongEnumFormat::Parse(const std::string& text, int32_t& value, const CDataObject*) const
{
    for (const int32_t candidate : m_order) {
        if (m_texts.at(candidate) == text) {
            value = candidate;
            return true;
        }
    }
    return false;
}

bool CLongEnumFormat::GetItems(ItemList& items) const
{
    for (const int32_t value : m_order)
        items.emplace_back(value, m_texts.at(value));
    return !m_order.empty();
}

bool CLongEnumFormat::AddItem(int32_t value, const std::string& text)
{
    if (!m_texts.emplace(value, text).second)
        return false;
    m_order.push_back(value);
    return true;
}

bool CLongEnumFormat::RemoveItem(int32_t value)
{
    if (m_texts.erase(value) == 0)
        return false;
    m_order.erase(std::find(m_order.begin(), m_order.end(), value));
    return true;
}

std::string& CLongEnumFormat::ItemText(int32_t value)
{
    AddItem(value, std::string()); // no change when present
    return m_texts.at(value);
}

void CLongEnumFormat::Reconcile(std::vector<int32_t>&& order, std::map<int32_t, std::string>&& texts)
{
    std::set<int32_t> listed;
    std::vector<int32_t> kept;
    kept.reserve(std::min(order.size(), texts.size()));
    for (const int32_t value : order) {
        if (texts.count(value) != 0 && listed.insert(value).second)
            kept.push_back(value);
    }
    for (const auto& entry : texts) {
        if (listed.count(entry.first) == 0)
            kept.push_back(entry.first);
    }
    m_order = std::move(kept);
    m_texts = std::move(texts);
}

void CLongEnumFormat::Serialize(CSerializer& serializer)
{
    if (!SerializeVersion(serializer))
        return;
    if (!serializer.IsRestoring()) {
        serializer.WriteInt32(static_cast<int32_t>(m_order.size()));
        for (const int32_t value : m_order)
            serializer.WriteInt32(value);
        serializer.WriteInt32(static_cast<int32_t>(m_texts.size()));
        for (const auto& entry : m_texts) {
            serializer.WriteInt32(entry.first);
            serializer.WriteString(entry.second);
        }
        return;
    }
    // Counts come from the stream: nothing is reserved for them, each entry
    // is read as it comes, so a damaged count ends in the serializer's error.
    std::vector<int32_t> order;
    std::map<int32_t, std::string> texts;
    try {
        const int32_t orderCount = serializer.ReadInt32();
        for (int32_t index = 0; index < orderCount; ++index)
            order.push_back(serializer.ReadInt32());
        const int32_t itemCount = serializer.ReadInt32();
        for (int32_t index = 0; index < itemCount; ++index) {
            const int32_t value = serializer.ReadInt32();
            texts[value] = serializer.ReadString();
        }
    } catch (...) {
        Reconcile(std::move(order), std::move(texts));
        throw;
    }
    Reconcile(std::move(order), std::move(texts));
}

} // namespace Brivel::Common
