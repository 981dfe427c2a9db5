// Fuzz target: CSerializer's reads. The input is a sequence of items (see
// serializer_items.h); every read of the serializer is reached through a tag.
#include "fuzz/fuzz_check.h"
#include "fuzz/serializer_items.h"

#include "common/serializer.h"

#include <cstddef>
#include <cstdint>
#include <span>

using Brivel::Common::CSerializer;

namespace {

Brivel::Fuzz::Bytes Store(const std::vector<Brivel::Fuzz::Item>& items)
{
    CSerializer store(CSerializer::Mode::Store);
    Brivel::Fuzz::WriteItems(store, items);
    return store.GetData();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Brivel::Fuzz;
    std::vector<Item> items;
    try {
        CSerializer restore(CSerializer::Mode::Restore);
        restore.SetData(data, static_cast<std::ptrdiff_t>(size));
        items = ReadItems(restore);
    } catch (const CSerializer::SerializationException&) {
        return 0; // a damaged stream: refused, which is all that is asked
    }
    const Bytes bytes1 = Store(items);

    CSerializer again(CSerializer::Mode::Restore);
    again.SetData(bytes1);
    std::vector<Item> restored;
    try {
        restored = ReadItems(again);
    } catch (const CSerializer::SerializationException&) {
        Require(false, "the serializer refuses what it stored");
    }
    Require(restored.size() == items.size(), "the serializer reads back another number of items");
    RequireSameBytes(bytes1, Store(restored), "the serializer's items");
    return 0;
}
