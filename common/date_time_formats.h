#pragma once
// The date and time formats: CInt64DateFormat (a 64-bit file-time stamp),
// CLongDateFormat (32-bit seconds since 1970) and CLongMsecTimeFormat (a
// 32-bit duration in milliseconds), and the process-wide date-time settings
// they read.
//
// The two date formats choose the parts they show with display flags:
//     1 four-digit year     16 hour
//     2 two-digit year      32 minute
//     4 month               64 second
//     8 day                128 millisecond (CInt64DateFormat only)
// The low four bits select the date and the high four the time; each half is
// taken as a whole, and a combination without a text shows nothing for that
// half (so flags 3, both years, show no date, and flags 80, hour and second,
// no time). Dates: 1 "YYYY", 2 "YY", 4 "MM", 5 "MM/YYYY", 6 "MM/YY", 8 "DD",
// 12 "DD/MM", 13 "DD/MM/YYYY", 14 "DD/MM/YY". Times: 16 "hh", 32 "mm",
// 48 "hh:mm", 64 "ss", 96 "mm:ss", 112 "hh:mm:ss", 128 "fff", 192 "ss.fff",
// 224 "mm:ss.fff", 240 "hh:mm:ss.fff". A blank joins a non-empty date to the
// time whenever time bits are set. Flags 240 on 13:05:09.045 give
// "13:05:09.045"; the default flags 14 give "05/03/07".
//
// Date parse: the milliseconds follow the first "." (or ","); the text
// splits at its first blank into a date piece (it holds "/") and a time
// piece (it holds ":", "." or ","). Numbers are taken from the right for
// the selected parts; parts not given stay at 2000-01-01 01:00:00.000 (the
// hour defaults to 1), and a year below 100 is 20YY below 70, else 19YY.
// An impossible date fails, and so does a text without any digit.
//
// CLongMsecTimeFormat has unit flags: 1 days, 2 hours, 4 minutes, 8 seconds,
// 16 milliseconds (default 30: "h:mm:ss.fff" with leading zero units left
// out, so 3 723 004 ms is "1:02:03.004" and 63 004 ms "1:03.004"). With
// fixed width every unit is zero-filled and always shown. Its parse needs a
// run of adjacent units and fills them from the right with the numbers of
// the text; a total outside 32 bits fails.
//
// Stored settings (after the version): the date formats their display flags
// (int32); the duration format unit flags (int32), fixed width (boolean),
// day label (text), time label (text).
//
// Thread: any thread; instances are immutable after construction, and the
// settings record is read-only once built. Local-time conversions use the
// thread-safe C library calls (local_time.h).

#include "common/format.h"

#include <cstdint>
#include <string>

namespace Brivel::Common {

// The process-wide date-time settings, built on first use. Nothing in the
// library changes them.
struct DateTimeSettings {
    int32_t dateOrder = 0; // 0: day, month, year (the only order in use)
    std::string dateSeparator = "/"; // between the date's numbers
    std::string timeSeparator = ":"; // between the time's numbers
    std::string fractionSeparator = "."; // before the milliseconds
};

// The settings, built on the first call. Thread: any thread.
const DateTimeSettings& GetDateTimeSettings();

// Display flags of the date formats.
// The display flags (see the top of this file).
inline constexpr int32_t DateShowYear4 = 1;
inline constexpr int32_t DateShowYear2 = 2;
inline constexpr int32_t DateShowMonth = 4;
inline constexpr int32_t DateShowDay = 8;
inline constexpr int32_t DateShowHour = 16;
inline constexpr int32_t DateShowMinute = 32;
inline constexpr int32_t DateShowSecond = 64;
inline constexpr int32_t DateShowMillisecond = 128;
inline constexpr int32_t DateDefaultFlags = DateShowDay | DateShowMonth | DateShowYear2; // 14

// Unit flags of the duration format.
// The unit flags (see the top of this file).
inline constexpr int32_t DurationDays = 1;
inline constexpr int32_t DurationHours = 2;
inline constexpr int32_t DurationMinutes = 4;
inline constexpr int32_t DurationSeconds = 8;
inline constexpr int32_t DurationMilliseconds = 16;
inline constexpr int32_t DurationDefaultUnits = 30; // hours, minutes, seconds, milliseconds

// What the two date formats share: the display flags and their storage.
class CDateFormatBase : public CFormat {
public:
    // Edited as a date or time.
    bool IsDateTime() const override { return true; }
    bool IsSerializable() const override { return true; }
    void Serialize(CSerializer& serializer) override;

    // The display flags (also slot 63 of CInt64DateFormat, GetFlags).
    int32_t GetDisplayFlags() const noexcept { return m_flags; }

protected:
    // A date format of the value kind `kind` with the display flags `flags`.
    CDateFormatBase(ValueKind kind, int32_t flags) noexcept : CFormat(kind), m_flags(flags) {}

    int32_t m_flags; // the display flags
};

// Kind 9: 100-ns intervals since 1601-01-01, shown as calendar fields with no
// time-zone conversion (the benchmark stores local time in it). A negative
// value has no text.
class CInt64DateFormat : public CConcreteFormat<CInt64DateFormat, CDateFormatBase> {
public:
    static constexpr char TypeName[] = "Common::CInt64DateFormat"; // the registry name
    // A format with the display flags `flags`.
    explicit CInt64DateFormat(int32_t flags = DateDefaultFlags) noexcept : CConcreteFormat(KindInt64, flags) {}

    using CFormat::Format;
    using CFormat::FormatCString;
    using CFormat::Parse;
    // The text of a stamp; empty for a negative value.
    std::string Format(int64_t value, const CDataObject* context = nullptr) const override;
    // Reads a date and time as described at the top of this file.
    bool Parse(const std::string& text, int64_t& value, const CDataObject* context = nullptr) const override;

    // Slot 63: the display flags.
    virtual int32_t GetFlags() const { return m_flags; }
};

// Kind 7: seconds since 1970-01-01 00:00 UTC, shown in the local time zone.
// Bit 128 of the flags is ignored.
class CLongDateFormat : public CConcreteFormat<CLongDateFormat, CDateFormatBase> {
public:
    static constexpr char TypeName[] = "Common::CLongDateFormat"; // the registry name
    // A format with the display flags `flags` (bit 128 ignored).
    explicit CLongDateFormat(int32_t flags = DateDefaultFlags) noexcept : CConcreteFormat(KindLong, flags) {}

    using CFormat::Format;
    using CFormat::FormatCString;
    using CFormat::Parse;
    // The text of the local date and time of the stamp.
    std::string Format(int32_t value, const CDataObject* context = nullptr) const override;
    // Reads like CInt64DateFormat, then converts the local calendar time to
    // seconds; a moment outside the 32-bit range fails.
    bool Parse(const std::string& text, int32_t& value, const CDataObject* context = nullptr) const override;
};

// Kind 7: a signed duration in milliseconds.
class CLongMsecTimeFormat : public CConcreteFormat<CLongMsecTimeFormat, CFormat> {
public:
    static constexpr char TypeName[] = "Common::CLongMsecTimeFormat"; // the registry name
    // A format with the unit flags `unitFlags`, zero-filled units when
    // `fixedWidth`, and the labels written after the time part and after the
    // number of days.
    explicit CLongMsecTimeFormat(int32_t unitFlags = DurationDefaultUnits, bool fixedWidth = false,
                                 std::string timeLabel = {}, std::string dayLabel = {})
        : CConcreteFormat(KindLong), m_flags(unitFlags), m_fixedWidth(fixedWidth), m_timeLabel(std::move(timeLabel)),
          m_dayLabel(std::move(dayLabel))
    {
    }

    using CFormat::Format;
    using CFormat::FormatCString;
    using CFormat::Parse;
    // The text of the duration as described at the top of this file.
    std::string Format(int32_t value, const CDataObject* context = nullptr) const override;
    bool Parse(const std::string& text, int32_t& value, const CDataObject* context = nullptr) const override;

    // Edited as a time.
    bool IsDateTime() const override { return true; }
    bool IsSerializable() const override { return true; }
    void Serialize(CSerializer& serializer) override;

    // Slot 63: the unit flags.
    virtual int32_t GetFlags() const { return m_flags; }

    bool GetFixedWidth() const noexcept { return m_fixedWidth; } // every unit zero-filled and shown
    const std::string& GetTimeLabel() const noexcept { return m_timeLabel; } // written after the time part
    const std::string& GetDayLabel() const noexcept { return m_dayLabel; } // written after the number of days

private:
    int32_t m_flags;
    bool m_fixedWidth;
    std::string m_timeLabel; // after the time part
    std::string m_dayLabel;  // after the number of days
};

} // namespace Brivel::Common
