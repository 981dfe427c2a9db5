// fuzz_write_seeds <corpus folder>: writes the seed corpora of the fuzz
// targets, corpus/<target>/seed-<what>, from real objects stored by the
// library itself. A few grid settings streams are written item by item
// instead (GridStream below), to reach the load's branches for empty blocks,
// older versions and refused classes that no grid of this build stores.
// Inputs the fuzzer found are kept beside the seeds under other names; this
// program only replaces seed-* files.
#include "fuzz/gui_fuzz_support.h"
#include "fuzz/serializer_items.h"

#include "common/date_time_formats.h"
#include "common/dynamic_object.h"
#include "common/enum_format.h"
#include "common/format_envelope.h"
#include "common/format_registry.h"
#include "common/integer_formats.h"
#include "common/real_formats.h"
#include "common/serializer.h"
#include "gui/grid/grid.h"
#include "gui/header/column.h"
#include "gui/header/header.h"
#include "gui/paint/appearance.h"
#include "gui/print/print_settings.h"
#include "gui/tooltips/tooltip_settings.h"
#include "platform/archive.h"
#include "platform/font.h"

#include <QByteArray>
#include <QFont>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace Brivel;
using Common::CSerializer;
using Fuzz::Bytes;
using GUI::CColumn;
using GUI::CHeader;
using GUI::CSortInfo;
using Platform::CArchive;

std::filesystem::path g_root;
int g_written = 0;

void Write(const std::string& target, const std::string& what, const Bytes& bytes)
{
    const std::filesystem::path folder = g_root / target;
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / ("seed-" + what), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ++g_written;
}

Bytes BytesOf(const QByteArray& data)
{
    return {data.begin(), data.end()};
}

Bytes Prefixed(uint8_t first, const Bytes& rest)
{
    Bytes bytes(rest.size() + 1);
    bytes[0] = first;
    std::copy(rest.begin(), rest.end(), bytes.begin() + 1);
    return bytes;
}

// ---- serializer ----

void WriteSerializerSeeds()
{
    using Fuzz::Item;
    using Fuzz::ItemKind;
    std::vector<Item> scalars;
    for (uint8_t kind = 0; kind < static_cast<uint8_t>(ItemKind::kCount); ++kind) {
        Item item;
        item.kind = static_cast<ItemKind>(kind);
        item.bits = kind == static_cast<uint8_t>(ItemKind::kVersion) ? 1 : 0x8000000000000001ull + kind;
        item.text = "text " + std::to_string(kind);
        item.value = Common::CFieldValue(static_cast<int32_t>(-kind));
        item.bytes = {1, 2, 3, kind};
        scalars.push_back(std::move(item));
    }
    std::vector<Item> values;
    for (const Common::CFieldValue& value :
         {Common::CFieldValue(), Common::CFieldValue(Common::CString("framework")),
          Common::CFieldValue(std::string("standard")), Common::CFieldValue(int8_t{-5}),
          Common::CFieldValue(uint8_t{200}), Common::CFieldValue(int16_t{-300}), Common::CFieldValue(uint16_t{60000}),
          Common::CFieldValue(int32_t{-70000}), Common::CFieldValue(uint32_t{4000000000u}),
          Common::CFieldValue(int64_t{-5000000000}), Common::CFieldValue(true), Common::CFieldValue(1.5f),
          Common::CFieldValue(-2.25), Common::CFieldValue(Common::OpaqueWord{7})}) {
        Item item;
        item.kind = ItemKind::kFieldValue;
        item.value = value;
        values.push_back(std::move(item));
    }
    for (const auto& [what, items] : {std::pair{"every-read", &scalars}, std::pair{"field-values", &values}}) {
        CSerializer store(CSerializer::Mode::Store);
        Fuzz::WriteItems(store, *items);
        Write("serializer", what, store.GetData());
    }
}

// ---- format ----

Bytes Settings(const Common::CFormat& format)
{
    CSerializer store(CSerializer::Mode::Store);
    store.WriteFormat(format);
    return store.GetData();
}

Bytes Envelope(const Common::CFormat* format)
{
    CSerializer store(CSerializer::Mode::Store);
    Common::WriteFormatEnvelope(store, format);
    return store.GetData();
}

void WriteFormatSeeds()
{
    // The selector is the class's position in the registry's sorted list.
    const std::vector<std::string> names = Common::GetRegisteredFormatClasses();
    std::vector<std::unique_ptr<Common::CFormat>> configured;
    configured.push_back(std::make_unique<Common::CLongFormat>(1, false, ',', true, true));
    configured.push_back(std::make_unique<Common::CInt64Format>(0, true, '.', false, false));
    configured.push_back(std::make_unique<Common::CCharFormat>(Common::ByteModeCharacter, true, false, false));
    configured.push_back(std::make_unique<Common::CDoubleFormat>(6, true, false, '$', '%', ','));
    configured.push_back(std::make_unique<Common::CLongDateFormat>(0x7F));
    configured.push_back(std::make_unique<Common::CLongMsecTimeFormat>(Common::DurationDefaultUnits, true, "d", "h"));
    const Common::CLongEnumFormat::Item items[] = {{1, "one"}, {2, "two"}, {-7, "minus seven"}};
    configured.push_back(std::make_unique<Common::CLongEnumFormat>(items, 3));
    for (size_t index = 0; index < names.size(); ++index) {
        std::unique_ptr<Common::CFormat> format = Common::CreateFormat(names[index]);
        const std::string stem = format->GetClassName();
        Write("format", stem, Prefixed(static_cast<uint8_t>(index), Settings(*format)));
        Write("format", "envelope-" + stem, Prefixed(0x80, Envelope(format.get())));
        for (const auto& other : configured) {
            if (other->GetTypeName() == names[index]) {
                Write("format", stem + "-configured", Prefixed(static_cast<uint8_t>(index), Settings(*other)));
                Write("format", "envelope-" + stem + "-configured", Prefixed(0x80, Envelope(other.get())));
            }
        }
    }
    Write("format", "envelope-none", Prefixed(0x80, Envelope(nullptr)));
    // An envelope of a class this build does not know: skipped with its bytes.
    CSerializer unknown(CSerializer::Mode::Store);
    unknown.WriteUInt8(1);
    unknown.WriteCString("App::CNoSuchFormat");
    unknown.WriteInt32(4);
    unknown.WriteInt32(1);
    Write("format", "envelope-unknown-class", Prefixed(0x80, unknown.GetData()));
}

// ---- dynamic object ----

void WriteDynamicObjectSeeds()
{
    Common::CDynamicObject object;
    object.SetCString(1, "framework");
    object.SetStdString(2, "standard");
    object.SetChar(3, -1);
    object.SetUChar(4, 255);
    object.SetShort(5, -2);
    object.SetUShort(6, 65535);
    object.SetLong(7, -3);
    object.SetULong(8, 4294967295u);
    object.SetInt64(9, -4);
    object.SetBool(10, true);
    object.SetFloat(11, 0.5f);
    object.SetDouble(12, 1e300);
    object.SetOpaque(13, Common::OpaqueWord{13});
    object.SetValue(100, Common::CFieldValue());
    Common::CDynamicObject empty;
    for (const auto& [what, source] : {std::pair{"every-kind", &object}, std::pair{"empty", &empty}}) {
        CSerializer store(CSerializer::Mode::Store);
        source->Serialize(store);
        Write("dynamic_object", what, store.GetData());
    }
}

// ---- column, header, sort key ----

std::unique_ptr<CColumn> FullColumn(int32_t id)
{
    const Common::CLongEnumFormat::Item items[] = {{0, "off"}, {1, "on"}};
    return std::make_unique<CColumn>(id, "Column " + std::to_string(id), 40 + id, CColumn::kAlignCenter, true, 2, 3,
                                     std::make_unique<Common::CLongEnumFormat>(items, 2),
                                     std::make_unique<GUI::CCellPaintFormat>(),
                                     std::make_unique<GUI::CColumnPaintFormat>(), "extra");
}

void WriteColumnSeeds()
{
    CColumn plain(3, "Price", 80, CColumn::kAlignRight);
    Write("column", "plain", Fuzz::StoreToBytes(plain));
    Write("column", "full", Fuzz::StoreToBytes(*FullColumn(7)));
    CColumn withFormat(4, "Time", 60, CColumn::kAlignLeft, false, -1, -1,
                       std::make_unique<Common::CLongMsecTimeFormat>());
    Write("column", "time-format", Fuzz::StoreToBytes(withFormat));
    CColumn defaults;
    Write("column", "defaults", Fuzz::StoreToBytes(defaults));
}

std::unique_ptr<CHeader> FullHeader()
{
    auto header = std::make_unique<CHeader>(true);
    header->AddColumn(FullColumn(1));
    header->AddColumn(std::make_unique<CColumn>(2, "Name", 90));
    header->AddColumn(std::make_unique<CColumn>(3, "Value", 70, CColumn::kAlignRight));
    header->HideColumn(3);
    header->SetFixedColumnCount(1);
    header->SetHeight(24);
    header->EnableMultiSort(true);
    header->SetSortInfo(0, CSortInfo(2, true));
    header->SetSortInfo(1, CSortInfo(1, false));
    header->SetFixedColumnsMovable(false);
    header->SetThirdFlag(false);
    header->SetSearchColumn(1);
    return header;
}

void WriteHeaderSeeds()
{
    Write("header", "full", Fuzz::StoreToBytes(*FullHeader()));
    CHeader empty(false);
    Write("header", "empty", Fuzz::StoreToBytes(empty));
    CHeader unsorted(false);
    unsorted.AddColumn(std::make_unique<CColumn>(5, "Only", 50));
    unsorted.EnableSorting(false);
    Write("header", "unsorted", Fuzz::StoreToBytes(unsorted));

    // Six stored sort levels (one more than a header keeps) and a column of a
    // class this program does not know, written item by item.
    CArchive ar;
    ar << int32_t(1) << int32_t(2);
    ar.WriteString("CColumn");
    ar << int32_t(1);
    CColumn known(1, "Known", 30);
    known.Serialize(ar);
    ar.WriteString("App::CNoSuchColumn");
    ar << int32_t(1);
    CColumn unknown(2, "Unknown", 30);
    unknown.Serialize(ar);
    ar << int32_t(0) << int32_t(20) << uint8_t(1) << uint8_t(1) << int32_t(6);
    for (int32_t level = 0; level < 6; ++level) {
        CSortInfo key(level, level % 2 == 0);
        key.Serialize(ar);
    }
    ar << uint8_t(1) << uint8_t(1) << uint8_t(1) << int32_t(0);
    Write("header", "six-levels-unknown-column", BytesOf(ar.GetData()));

    for (const auto& [what, key] : {std::pair{"descending", CSortInfo(3, true)}, std::pair{"none", CSortInfo()}}) {
        CSortInfo copy = key;
        Write("sort_key", what, Fuzz::StoreToBytes(copy));
    }
}

// ---- grid settings ----

// The set-up byte of the grid settings target (grid_settings_fuzzer.cpp).
constexpr uint8_t kSetUpNone = 0x00;
constexpr uint8_t kSetUpHeader = 0x01;
constexpr uint8_t kSetUpRows = 0x02;
constexpr uint8_t kSetUpFuzzHeader = 0x04;

// A grid settings stream written item by item, in the order of
// grid_settings.cpp. Each versioned block is written whole (version 1) or
// empty (its version given here, 0 or less).
struct GridStream {
    int32_t implVersion = 1;
    // When set: the header's class reference is this name and schema,
    // followed by `header`'s form when that is given.
    std::optional<std::string> headerClass;
    int32_t headerSchema = 1;
    CHeader* header = nullptr;
    int32_t listVersion = 1;
    bool appearance = true;
    std::optional<Platform::LOGFONT> font;
    bool selection = true;
    bool highlight = true;
    bool tooltips = true;
    bool print = true;
    bool clipboard = true;
    int32_t editingVersion = 0;

    Bytes Write() const
    {
        CArchive ar;
        ar << int32_t(1) << implVersion;
        if (implVersion <= 0)
            return BytesOf(ar.GetData());
        ar << uint8_t(headerClass ? 1 : 0);
        if (headerClass) {
            ar.WriteString(*headerClass);
            if (!headerClass->empty())
                ar << headerSchema;
            if (header != nullptr)
                header->Serialize(ar);
        }
        ar << uint8_t(1);
        for (const int32_t height : {17, 21}) {
            ar << listVersion;
            if (listVersion > 0)
                ar << height;
        }
        ar << int32_t(3);
        Block(ar, appearance, [](CArchive& out) {
            GUI::Appearance settings;
            settings.verticalLines = true;
            settings.selectionTint.alpha = 80;
            settings.Serialize(out);
        });
        ar << int32_t(-1) << uint8_t(0) << int32_t(font ? 1 : 0);
        if (font)
            Platform::WriteLogFont(ar, *font);
        ar << int32_t(5) << uint8_t(6);
        ar << uint8_t(selection ? 1 : 0) << uint8_t(selection ? 1 : 0) << int32_t(3);
        ar << uint8_t(1);
        Block(ar, highlight, [](CArchive& out) {
            GUI::HighlightSettings settings;
            settings.duration = 900;
            settings.Serialize(out);
        });
        ar << uint8_t(1) << int32_t(5);
        Block(ar, tooltips, [](CArchive& out) {
            out << int32_t(1) << uint8_t(1) << uint8_t(0);
            GUI::TooltipSettings ordinary;
            ordinary.position = GUI::TooltipSettings::kBelow;
            GUI::TooltipSettings inPlace;
            ordinary.Serialize(out);
            inPlace.Serialize(out);
        });
        ar << uint8_t(7);
        Block(ar, print, [](CArchive& out) {
            GUI::PrintSettings settings;
            settings.scale = 2.0;
            settings.repeatHeader = true;
            settings.Serialize(out);
        });
        ar << uint8_t(8) << int32_t(3) << int32_t(9) << int32_t(1500);
        ar << editingVersion;
        Block(ar, clipboard, [](CArchive& out) { out << int32_t(1) << int32_t(5); });
        ar << int32_t(0);
        return BytesOf(ar.GetData());
    }

private:
    template <class WriteBlock>
    static void Block(CArchive& ar, bool whole, WriteBlock writeBlock)
    {
        if (whole)
            writeBlock(ar);
        else
            ar << int32_t(0);
    }
};

void WriteGridSeeds()
{
    using GUI::CGrid;
    {
        CGrid grid;
        const Bytes bytes = Fuzz::StoreToBytes(grid);
        Write("grid_settings", "default", Prefixed(kSetUpNone, bytes));
        Write("grid_settings", "default-over-header-and-rows", Prefixed(kSetUpHeader | kSetUpRows, bytes));
    }
    {
        CGrid grid;
        grid.SetHeader(FullHeader().release());
        grid.SetHeaderShown(false);
        grid.SetListRowHeight(CGrid::kPinnedList, 17);
        grid.SetFocusMask(2);
        GUI::Appearance appearance;
        appearance.evenBackColor = Platform::RGB(10, 20, 30);
        appearance.horizontalLines = true;
        grid.SetAppearance(appearance);
        grid.SetPaintElementMask(0x1234);
        grid.SetDoubleBuffered(false);
        QFont font("DejaVu Sans");
        font.setPixelSize(15);
        font.setBold(true);
        font.setItalic(true);
        grid.SetGridFont(font);
        grid.SetMultipleSelection(false);
        grid.SetSelectableLists(1);
        grid.SetHighlightChangedValues(true);
        GUI::HighlightSettings highlight;
        highlight.duration = 750;
        highlight.mode = GUI::kHighlightAlphaBack;
        grid.SetHighlightSettings(highlight);
        grid.SetSeparatorShown(false);
        grid.SetSeparatorHeight(6);
        grid.SetSortableLists(2);
        grid.EnableTooltip(GUI::TooltipKind::kOrdinary, true);
        GUI::TooltipSettings tooltip = grid.GetTooltipSettings(GUI::TooltipKind::kOrdinary);
        tooltip.position = GUI::TooltipSettings::kRight;
        tooltip.hoverMs = 250;
        grid.SetTooltipSettings(GUI::TooltipKind::kOrdinary, tooltip);
        GUI::PrintSettings print;
        print.scale = 0.5;
        print.printPinned = false;
        grid.SetPrintSettings(print);
        grid.SetClipboardFormats(1);
        const Bytes bytes = Fuzz::StoreToBytes(grid);
        Write("grid_settings", "full", Prefixed(kSetUpNone, bytes));
        Write("grid_settings", "full-into-own-header", Prefixed(kSetUpHeader, bytes));
        Write("grid_settings", "full-over-rows", Prefixed(kSetUpRows, bytes));
    }

    const std::unique_ptr<CHeader> header = FullHeader();
    Platform::LOGFONT cellHeight;
    cellHeight.lfHeight = 14; // a cell height: scaled by the font's metrics
    cellHeight.lfWeight = 700;
    cellHeight.lfQuality = Platform::NONANTIALIASED_QUALITY;
    cellHeight.lfPitchAndFamily = Platform::FIXED_PITCH | Platform::FF_MODERN;
    std::strcpy(cellHeight.lfFaceName, "DejaVu Sans Mono");
    Platform::LOGFONT unnamed;
    unnamed.lfHeight = -12;
    unnamed.lfItalic = 1;
    unnamed.lfUnderline = 1;
    unnamed.lfStrikeOut = 1;
    unnamed.lfQuality = Platform::ANTIALIASED_QUALITY;
    unnamed.lfPitchAndFamily = Platform::VARIABLE_PITCH | Platform::FF_ROMAN;

    const std::pair<const char*, std::function<void(GridStream&)>> streams[] = {
        {"header-and-cell-height-font",
         [&](GridStream& stream) {
             stream.headerClass = "CHeader";
             stream.header = header.get();
             stream.font = cellHeight;
         }},
        {"unnamed-font-no-selection",
         [&](GridStream& stream) {
             stream.font = unnamed;
             stream.selection = false;
         }},
        {"empty-blocks",
         [](GridStream& stream) {
             stream.listVersion = 0;
             stream.appearance = stream.highlight = stream.tooltips = stream.print = stream.clipboard = false;
         }},
        {"impl-version-0", [](GridStream& stream) { stream.implVersion = 0; }},
        {"editing-block-with-content", [](GridStream& stream) { stream.editingVersion = 1; }},
        {"null-header-class", [](GridStream& stream) { stream.headerClass = ""; }},
        {"unknown-header-class", [](GridStream& stream) { stream.headerClass = "App::CNoSuchHeader"; }},
        {"column-as-header-class", [](GridStream& stream) { stream.headerClass = "CColumn"; }},
        {"newer-header-schema",
         [](GridStream& stream) {
             stream.headerClass = "CHeader";
             stream.headerSchema = 9;
         }},
    };
    for (const auto& [what, change] : streams) {
        GridStream stream;
        change(stream);
        Write("grid_settings", std::string("stream-") + what, Prefixed(kSetUpNone, stream.Write()));
    }
    Write("grid_settings", "stream-no-header-releases-own",
          Prefixed(kSetUpHeader | kSetUpRows, GridStream{}.Write()));
    GridStream intoOwn;
    intoOwn.headerClass = "CHeader";
    intoOwn.header = header.get();
    Write("grid_settings", "stream-header-into-own", Prefixed(kSetUpHeader, intoOwn.Write()));
    Write("grid_settings", "stream-header-replaces-other-class", Prefixed(kSetUpFuzzHeader, intoOwn.Write()));
    // The target's own header class (grid_settings_fuzzer.cpp), created by
    // name: a header the grid takes over.
    GridStream otherClass = intoOwn;
    otherClass.headerClass = "FuzzHeader";
    Write("grid_settings", "stream-header-of-target-class", Prefixed(kSetUpNone, otherClass.Write()));
    Write("grid_settings", "stream-header-of-target-class-into-own",
          Prefixed(kSetUpFuzzHeader | kSetUpRows, otherClass.Write()));
    CArchive gridVersion0;
    gridVersion0 << int32_t(0);
    Write("grid_settings", "grid-version-0", Prefixed(kSetUpRows, BytesOf(gridVersion0.GetData())));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_write_seeds <corpus folder>\n");
        return 2;
    }
    g_root = argv[1];
    Fuzz::InitializeGuiTarget();
    WriteSerializerSeeds();
    WriteFormatSeeds();
    WriteDynamicObjectSeeds();
    WriteColumnSeeds();
    WriteHeaderSeeds();
    WriteGridSeeds();
    std::printf("fuzz_write_seeds: %d seeds under %s\n", g_written, g_root.c_str());
    return 0;
}
