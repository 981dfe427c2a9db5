#pragma once
// The serializer fuzz target's input: a sequence of items, each a tag byte
// that names one of CSerializer's reads (tag modulo ItemKind::kCount) and the
// bytes that read takes. Read restores the items; Write stores them with the
// matching writes, tags reduced to their kind, which is the form the seed
// writer (write_seeds.cpp) produces.

#include "common/field_value.h"
#include "common/serializer.h"

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace Brivel::Fuzz {

enum class ItemKind : uint8_t {
    kInt8,
    kUInt8,
    kInt16,
    kUInt16,
    kInt32,
    kUInt32,
    kInt64,
    kUInt64,
    kBool,
    kFloat,
    kDouble,
    kString,
    kCString,
    kFieldValue,
    kBytes,   // a count byte, then that many raw bytes
    kVersion, // ReadVersion: raises for a version above 1
    kCount
};

struct Item {
    ItemKind kind = ItemKind::kInt8;
    uint64_t bits = 0; // integers, bool, and the reals' bit patterns
    std::string text;
    Common::CFieldValue value;
    std::vector<uint8_t> bytes;
};

// Restores items until the stream is used up. Raises what the serializer
// raises when an item is cut short.
inline std::vector<Item> ReadItems(Common::CSerializer& serializer)
{
    std::vector<Item> items;
    while (serializer.GetRemaining() > 0) {
        Item item;
        item.kind = static_cast<ItemKind>(serializer.ReadUInt8() % static_cast<uint8_t>(ItemKind::kCount));
        switch (item.kind) {
        case ItemKind::kInt8: item.bits = static_cast<uint64_t>(serializer.ReadInt8()); break;
        case ItemKind::kUInt8: item.bits = serializer.ReadUInt8(); break;
        case ItemKind::kInt16: item.bits = static_cast<uint64_t>(serializer.ReadInt16()); break;
        case ItemKind::kUInt16: item.bits = serializer.ReadUInt16(); break;
        case ItemKind::kInt32: item.bits = static_cast<uint64_t>(serializer.ReadInt32()); break;
        case ItemKind::kUInt32: item.bits = serializer.ReadUInt32(); break;
        case ItemKind::kInt64: item.bits = static_cast<uint64_t>(serializer.ReadInt64()); break;
        case ItemKind::kUInt64: item.bits = serializer.ReadUInt64(); break;
        case ItemKind::kBool: item.bits = serializer.ReadBool() ? 1 : 0; break;
        case ItemKind::kFloat: item.bits = std::bit_cast<uint32_t>(serializer.ReadFloat()); break;
        case ItemKind::kDouble: item.bits = std::bit_cast<uint64_t>(serializer.ReadDouble()); break;
        case ItemKind::kString: item.text = serializer.ReadString(); break;
        case ItemKind::kCString: item.text = serializer.ReadCString().ToStdString(); break;
        case ItemKind::kFieldValue: serializer.ReadFieldValue(item.value); break;
        case ItemKind::kBytes:
            // A count of 0 is refused by ReadBytes, like a short stream.
            item.bytes.resize(serializer.ReadUInt8());
            serializer.ReadBytes(item.bytes.data(), static_cast<std::ptrdiff_t>(item.bytes.size()));
            break;
        case ItemKind::kVersion: item.bits = static_cast<uint64_t>(serializer.ReadVersion("Item")); break;
        case ItemKind::kCount: break;
        }
        items.push_back(std::move(item));
    }
    return items;
}

inline void WriteItems(Common::CSerializer& serializer, const std::vector<Item>& items)
{
    for (const Item& item : items) {
        serializer.WriteUInt8(static_cast<uint8_t>(item.kind));
        switch (item.kind) {
        case ItemKind::kInt8: serializer.WriteInt8(static_cast<int8_t>(item.bits)); break;
        case ItemKind::kUInt8: serializer.WriteUInt8(static_cast<uint8_t>(item.bits)); break;
        case ItemKind::kInt16: serializer.WriteInt16(static_cast<int16_t>(item.bits)); break;
        case ItemKind::kUInt16: serializer.WriteUInt16(static_cast<uint16_t>(item.bits)); break;
        case ItemKind::kInt32: serializer.WriteInt32(static_cast<int32_t>(item.bits)); break;
        case ItemKind::kUInt32: serializer.WriteUInt32(static_cast<uint32_t>(item.bits)); break;
        case ItemKind::kInt64: serializer.WriteInt64(static_cast<int64_t>(item.bits)); break;
        case ItemKind::kUInt64: serializer.WriteUInt64(item.bits); break;
        case ItemKind::kBool: serializer.WriteBool(item.bits != 0); break;
        case ItemKind::kFloat: serializer.WriteFloat(std::bit_cast<float>(static_cast<uint32_t>(item.bits))); break;
        case ItemKind::kDouble: serializer.WriteDouble(std::bit_cast<double>(item.bits)); break;
        case ItemKind::kString: serializer.WriteString(item.text); break;
        case ItemKind::kCString: serializer.WriteCString(Common::CString(item.text)); break;
        case ItemKind::kFieldValue: serializer.WriteFieldValue(item.value); break;
        case ItemKind::kBytes:
            serializer.WriteUInt8(static_cast<uint8_t>(item.bytes.size()));
            serializer.WriteBytes(item.bytes.data(), static_cast<std::ptrdiff_t>(item.bytes.size()));
            break;
        case ItemKind::kVersion: serializer.WriteInt32(static_cast<int32_t>(item.bits)); break;
        case ItemKind::kCount: break;
        }
    }
}

} // namespace Brivel::Fuzz
