#pragma once
// CLongEnumFormat: shows a 32-bit integer field (kind 7) as one of a fixed
// set of words and reads the word back.
//
// The format holds items, (value, text) pairs with unique values, in the
// order they were added: the order of the editor's drop-down list and of
// parsing. Text: the item's text, empty for a value without an item. Parse:
// the value of the first item, in item order, whose text equals the given
// text exactly (case-sensitive); no match fails and leaves the value as it
// was. IsEnumeration is true, so the in-place editors offer the words.
//
// Stored settings (after the version): the item-order count N (int32), N
// values (int32) in item order, the item count M (int32), then M pairs of
// value (int32) and text, in ascending value order. A restore replaces all
// items. Whatever the stream holds, the restored format keeps its invariant
// (every value in the order has a text and the reverse): values listed twice
// or without a text are dropped from the order, texts whose value the order
// lacks are appended in ascending value order, also when the stream breaks
// off part way (the items read before the failure stay).
//
// Thread: any thread may format and parse. AddItem, RemoveItem, ItemText and
// Serialize (restore) change the format and must not run while other threads
// use it; a format attached to a field is only read.

#include "common/format.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Brivel::Common {

class CLongEnumFormat : public CConcreteFormat<CLongEnumFormat, CFormat> {
public:
    static constexpr char TypeName[] = "Common::CLongEnumFormat"; // the registry name

    // One entry of a constructor table: the value and a zero-terminated text
    // (null reads as the empty text). Not owned.
    struct Item {
        int32_t value; // the item's value
        const char* text; // its text
    };
    // Items as GetItems hands them out: (value, text) in item order.
    using ItemList = std::vector<std::pair<int32_t, std::string>>;

    // No items; the registry's instance.
    CLongEnumFormat() : CConcreteFormat(KindLong) {}
    // Adds the table's items in order; a value already added is skipped (the
    // first text stays). Null items or a count of 0 or less give no items.
    CLongEnumFormat(const Item* items, int32_t count);

    using CFormat::Format;
    using CFormat::FormatCString;
    using CFormat::Parse;
    // The item's text; empty for a value without an item.
    std::string Format(int32_t value, const CDataObject* context = nullptr) const override;
    // The value of the first item whose text equals `text`; false, value
    // untouched, when none does.
    bool Parse(const std::string& text, int32_t& value, const CDataObject* context = nullptr) const override;

    bool IsEnumeration() const override { return true; } // edited as a choice among the texts
    bool IsSerializable() const override { return true; } // the items are stored
    void Serialize(CSerializer& serializer) override;

    // ---- Slots 63-66 ----
    // Appends every item, in item order, to items; true if there is any.
    virtual bool GetItems(ItemList& items) const;
    // False if value is already present; otherwise appends the item, true.
    virtual bool AddItem(int32_t value, const std::string& text);
    // Removes the item; true if it was present.
    virtual bool RemoveItem(int32_t value);
    // The stored text of value, to read or assign; an absent value is first
    // added with an empty text at the end of the order.
    virtual std::string& ItemText(int32_t value);

private:
    // Makes the order match the texts again after a restore (see the header).
    void Reconcile(std::vector<int32_t>&& order, std::map<int32_t, std::string>&& texts);

    std::map<int32_t, std::string> m_texts; // value -> text; one per value in m_order
    std::vector<int32_t> m_order;           // the values in the order they were added
};

} // namespace Brivel::Common
