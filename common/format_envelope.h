#pragma once
// The format envelope: how an owner of a format (a grid column) keeps the
// format inside its own saved state, so that it can be re-created by type
// name and restored.
//
// Shape, written into the owner's archive:
//   uint8  flag       1 when the owner has a format and its IsSerializable()
//                     is true; 0 otherwise, and nothing follows
//   text   type name  GetTypeName(), written as a framework string in the
//                     archive's own text layout
//   int32  count      the number of bytes that follow
//   bytes  settings   what the format's Serialize wrote into a store-mode
//                     CSerializer (GetData)
// Reading back: the flag; the name; CreateFormat(name); the count and the
// bytes; when a format was created and the count is above 0, a restore-mode
// CSerializer over the bytes and the format's Serialize. An unregistered
// name leaves the owner without a format, and its bytes are still consumed,
// so the archive stays in step. A negative count reads as 0.
//
// The archive type is not fixed here. Two layers:
//   - SaveFormatState / LoadFormatState: the (type name, bytes) pair, for any
//     owner that writes the items itself;
//   - WriteFormatEnvelope / ReadFormatEnvelope: the whole envelope over any
//     writer or reader with the small interface below. CSerializer has it;
//     the platform archive gets a thin adapter.
// Writer: WriteUInt8(uint8_t), WriteCString(const CString&), WriteInt32(int32_t),
//         WriteBytes(const void*, std::ptrdiff_t).
// Reader: ReadUInt8() -> uint8_t, ReadCString() -> CString, ReadInt32() -> int32_t,
//         ReadBytes(void*, std::ptrdiff_t), raising its own exception when the
//         archive ends early.
// The settings bytes are read in pieces of at most kEnvelopeReadChunk, so a
// corrupt count can make the reader fail on the missing bytes but never makes
// this code allocate more than the archive holds plus one piece.
//
// Errors: restoring the settings raises what Serialize raises
// (CSerializer::SerializationException, BadVersionException for settings from
// a newer version); nothing is leaked, and the owner keeps no format then.
// Thread: any thread.

#include "common/cstring.h"
#include "common/format.h"
#include "common/format_registry.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Brivel::Common {

// The two items of an envelope after its flag.
struct CFormatState {
    std::string typeName; // the format's registry name
    std::vector<uint8_t> bytes; // what its Serialize wrote
};

// The state of format to store; nullopt (flag 0) when there is no format or
// it is not serializable.
std::optional<CFormatState> SaveFormatState(const CFormat* format);

// Re-creates the format registered under typeName and restores it from
// bytes (when there are any); null for an unregistered name. Raises what the
// format's Serialize raises.
std::unique_ptr<CFormat> LoadFormatState(const std::string& typeName, std::span<const uint8_t> bytes);

inline constexpr size_t kEnvelopeReadChunk = 64 * 1024; // the largest piece of settings bytes read at once

// A stream an envelope can be written to (see Writer above).
template <class W>
concept FormatEnvelopeWriter = requires(W& writer, const CString& text, const void* bytes) {
    writer.WriteUInt8(uint8_t{});
    writer.WriteCString(text);
    writer.WriteInt32(int32_t{});
    writer.WriteBytes(bytes, std::ptrdiff_t{});
};

// A stream an envelope can be read from (see Reader above).
template <class R>
concept FormatEnvelopeReader = requires(R& reader, void* bytes) {
    { reader.ReadUInt8() } -> std::convertible_to<uint8_t>;
    { reader.ReadCString() } -> std::convertible_to<CString>;
    { reader.ReadInt32() } -> std::convertible_to<int32_t>;
    reader.ReadBytes(bytes, std::ptrdiff_t{});
};

// Writes the envelope of `format` (see the top of this file).
template <FormatEnvelopeWriter Writer>
void WriteFormatEnvelope(Writer& writer, const CFormat* format)
{
    const std::optional<CFormatState> state = SaveFormatState(format);
    writer.WriteUInt8(state ? 1 : 0);
    if (!state)
        return;
    writer.WriteCString(CString(state->typeName));
    writer.WriteInt32(static_cast<int32_t>(state->bytes.size()));
    if (!state->bytes.empty())
        writer.WriteBytes(state->bytes.data(), static_cast<std::ptrdiff_t>(state->bytes.size()));
}

// Reads an envelope back: the format it holds, or null for none or an
// unregistered name (whose bytes are skipped).
template <FormatEnvelopeReader Reader>
std::unique_ptr<CFormat> ReadFormatEnvelope(Reader& reader)
{
    if (reader.ReadUInt8() == 0)
        return nullptr;
    const std::string typeName = CString(reader.ReadCString()).ToStdString();
    const int32_t count = reader.ReadInt32();
    std::vector<uint8_t> bytes;
    size_t remaining = count > 0 ? static_cast<size_t>(count) : 0;
    while (remaining > 0) {
        const size_t piece = remaining < kEnvelopeReadChunk ? remaining : kEnvelopeReadChunk;
        const size_t at = bytes.size();
        bytes.resize(at + piece);
        reader.ReadBytes(bytes.data() + at, static_cast<std::ptrdiff_t>(piece));
        remaining -= piece;
    }
    return LoadFormatState(typeName, bytes);
}

} // namespace Brivel::Common
