#include "common/date_time_formats.h"

#include "common/local_time.h"
#include "common/serializer.h"

#include <bit>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

namespace Brivel::Common {

// ---- Sections ----
//   Settings and text helpers
//   Date text
//   Date parse
//   CInt64DateFormat, CLongDateFormat
//   Duration text and parse (CLongMsecTimeFormat)

// ---- Settings and text helpers ----

const DateTimeSettings& GetDateTimeSettings()
{
    static const DateTimeSettings s_settings; // thread-safe first-use construction
    return s_settings;
}

namespace {

// Appends a non-negative number with at least minDigits digits, as "%.Nd".
void AppendNumber(std::string& text, int64_t value, int minDigits)
{
    char digits[24];
    int count = 0;
    uint64_t rest = static_cast<uint64_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    for (int pad = count; pad < minDigits; ++pad)
        text.push_back('0');
    while (count > 0)
        text.push_back(digits[--count]);
}

// The C library's decimal conversion of a short number: leading blanks, an
// optional sign, then digits up to the first other character; nothing
// readable gives 0. Saturates at the 32-bit range.
int64_t ReadNumber(std::string_view text)
{
    size_t position = 0;
    while (position < text.size() && (text[position] == ' ' || text[position] == '\t'))
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '-' || text[position] == '+'))
        negative = text[position++] == '-';
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position)
        value = std::min(kLimit, value * 10 + (text[position] - '0'));
    return negative ? -value : value;
}

bool IsDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

// Splits text at every character of separators; empty pieces are kept.
std::vector<std::string_view> Split(std::string_view text, std::string_view separators)
{
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find_first_of(separators, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return pieces;
        start = end + 1;
    }
}

// ---- Date text ----

// The text of the date half (low four bits of flags).
void AppendDate(std::string& text, const SystemTime& time, int32_t flags, const std::string& separator)
{
    const int year2 = time.year % 100;
    switch (flags & 0x0F) {
    case 1: AppendNumber(text, time.year, 4); break;
    case 2: AppendNumber(text, year2, 2); break;
    case 4: AppendNumber(text, time.month, 2); break;
    case 5:
        AppendNumber(text, time.month, 2);
        text += separator;
        AppendNumber(text, time.year, 4);
        break;
    case 6:
        AppendNumber(text, time.month, 2);
        text += separator;
        AppendNumber(text, year2, 2);
        break;
    case 8: AppendNumber(text, time.day, 2); break;
    case 12:
        AppendNumber(text, time.day, 2);
        text += separator;
        AppendNumber(text, time.month, 2);
        break;
    case 13:
    case 14:
        AppendNumber(text, time.day, 2);
        text += separator;
        AppendNumber(text, time.month, 2);
        text += separator;
        AppendNumber(text, (flags & 0x0F) == 13 ? time.year : year2, (flags & 0x0F) == 13 ? 4 : 2);
        break;
    default: break; // no date
    }
}

// The text of the time half (bits 16..128 of timeBits).
void AppendTime(std::string& text, const SystemTime& time, int32_t timeBits, const DateTimeSettings& settings)
{
    const std::string& colon = settings.timeSeparator;
    switch (timeBits) {
    case 16: AppendNumber(text, time.hour, 2); break;
    case 32: AppendNumber(text, time.minute, 2); break;
    case 48:
        AppendNumber(text, time.hour, 2);
        text += colon;
        AppendNumber(text, time.minute, 2);
        break;
    case 64: AppendNumber(text, time.second, 2); break;
    case 96:
        AppendNumber(text, time.minute, 2);
        text += colon;
        AppendNumber(text, time.second, 2);
        break;
    case 112:
        AppendNumber(text, time.hour, 2);
        text += colon;
        AppendNumber(text, time.minute, 2);
        text += colon;
        AppendNumber(text, time.second, 2);
        break;
    case 128: AppendNumber(text, time.milliseconds, 3); break;
    case 192:
        AppendNumber(text, time.second, 2);
        text += settings.fractionSeparator;
        AppendNumber(text, time.milliseconds, 3);
        break;
    case 224:
        AppendNumber(text, time.minute, 2);
        text += colon;
        AppendNumber(text, time.second, 2);
        text += settings.fractionSeparator;
        AppendNumber(text, time.milliseconds, 3);
        break;
    case 240:
        AppendNumber(text, time.hour, 2);
        text += colon;
        AppendNumber(text, time.minute, 2);
        text += colon;
        AppendNumber(text, time.second, 2);
        text += settings.fractionSeparator;
        AppendNumber(text, time.milliseconds, 3);
        break;
    default: break; // no time
    }
}

// timeMask: the time bits the format knows (0xF0, or 0x70 without
// milliseconds).
std::string DateTimeText(const SystemTime& time, int32_t flags, int32_t timeMask)
{
    const DateTimeSettings& settings = GetDateTimeSettings();
    std::string text;
    AppendDate(text, time, flags, settings.dateSeparator);
    const int32_t timeBits = flags & timeMask;
    if (timeBits != 0 && !text.empty())
        text.push_back(' ');
    AppendTime(text, time, timeBits, settings);
    return text;
}

// ---- Date parse ----

// Calendar fields while a text is read: wide, so that a number from the
// text is range-checked before it is narrowed.
struct ParsedFields {
    int64_t year = 2000;
    int64_t month = 1;
    int64_t day = 1;
    int64_t hour = 1; // a text without a time gets 01:00
    int64_t minute = 0;
    int64_t second = 0;
    int64_t milliseconds = 0;
};

bool FitsField(int64_t value) noexcept
{
    return value >= 0 && value <= std::numeric_limits<uint16_t>::max();
}

bool ToSystemTime(const ParsedFields& fields, SystemTime& time)
{
    for (const int64_t value : {fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second,
                                fields.milliseconds}) {
        if (!FitsField(value))
            return false;
    }
    time = {};
    time.year = static_cast<uint16_t>(fields.year);
    time.month = static_cast<uint16_t>(fields.month);
    time.day = static_cast<uint16_t>(fields.day);
    time.hour = static_cast<uint16_t>(fields.hour);
    time.minute = static_cast<uint16_t>(fields.minute);
    time.second = static_cast<uint16_t>(fields.second);
    time.milliseconds = static_cast<uint16_t>(fields.milliseconds);
    return IsValidSystemTime(time);
}

// Reads the numbers of piece, split at separator, from the right into the
// parts whose bit is set in flags, in the order given; parts without a
// number keep their value.
void TakeFromTheRight(std::string_view piece, std::string_view separator, int32_t flags,
                      std::initializer_list<std::pair<int32_t, int64_t*>> parts)
{
    const std::vector<std::string_view> numbers = Split(piece, separator);
    size_t remaining = numbers.size();
    for (const auto& [bit, field] : parts) {
        if ((flags & bit) && remaining > 0)
            *field = ReadNumber(numbers[--remaining]);
    }
}

// Reads a date-time text into calendar fields; false for a text without
// digits or fields that name no moment.
bool ParseDateTime(std::string_view input, int32_t flags, SystemTime& time)
{
    const DateTimeSettings& settings = GetDateTimeSettings();
    const size_t firstDigit = input.find_first_of("0123456789");
    if (firstDigit == std::string_view::npos)
        return false;
    std::string text(input.substr(firstDigit));
    ParsedFields fields;

    // Milliseconds: up to three digits after the first fraction mark.
    const size_t comma = text.find(',');
    if (comma != std::string::npos)
        text[comma] = settings.fractionSeparator[0];
    const size_t fraction = text.find(settings.fractionSeparator[0]);
    if (fraction != std::string::npos) {
        int weight = 100;
        for (size_t position = fraction + 1; position < text.size() && weight > 0 && IsDigit(text[position]);
             ++position, weight /= 10)
            fields.milliseconds += (text[position] - '0') * weight;
        text.resize(fraction);
    } else if (flags == DateShowMillisecond) {
        fields.milliseconds = ReadNumber(text);
        return ToSystemTime(fields, time);
    }

    // Date and time pieces.
    const size_t blank = text.find_first_of(" \t");
    const std::string_view whole(text);
    const std::string_view pieces[2] = {
        whole.substr(0, blank),
        blank == std::string_view::npos ? std::string_view() : whole.substr(blank + 1),
    };
    const int pieceCount = blank == std::string_view::npos ? 1 : 2;
    int datePiece = -1;
    int timePiece = -1;
    for (int index = 0; index < pieceCount; ++index) {
        if (datePiece < 0 && pieces[index].find(settings.dateSeparator) != std::string_view::npos)
            datePiece = index;
        else if (timePiece < 0 && pieces[index].find_first_of(":.,") != std::string_view::npos)
            timePiece = index;
    }
    if (datePiece < 0 && timePiece < 0) {
        // No separators: the first piece is the date when dates are shown.
        if (flags & 0x0F)
            datePiece = 0;
        else
            timePiece = 0;
    }
    if (pieceCount == 2) {
        if (datePiece < 0)
            datePiece = 1 - timePiece;
        else if (timePiece < 0)
            timePiece = 1 - datePiece;
    }

    if (datePiece >= 0) {
        TakeFromTheRight(pieces[datePiece], settings.dateSeparator, flags,
                         {{DateShowYear4, &fields.year},
                          {DateShowYear2, &fields.year},
                          {DateShowMonth, &fields.month},
                          {DateShowDay, &fields.day}});
        if (fields.year >= 0 && fields.year < 100)
            fields.year += fields.year < 70 ? 2000 : 1900;
    }
    if (timePiece >= 0) {
        TakeFromTheRight(pieces[timePiece], settings.timeSeparator, flags,
                         {{DateShowSecond, &fields.second},
                          {DateShowMinute, &fields.minute},
                          {DateShowHour, &fields.hour}});
    }
    return ToSystemTime(fields, time);
}

} // namespace

// ---- CInt64DateFormat, CLongDateFormat ----

void CDateFormatBase::Serialize(CSerializer& serializer)
{
    if (!SerializeVersion(serializer))
        return;
    if (!serializer.IsRestoring())
        serializer.WriteInt32(m_flags);
    else
        m_flags = serializer.ReadInt32();
}

std::string CInt64DateFormat::Format(int64_t value, const CDataObject*) const
{
    SystemTime time;
    if (!FileTimeToSystemTime(value, time))
        return {};
    return DateTimeText(time, m_flags, 0xF0);
}

bool CInt64DateFormat::Parse(const std::string& text, int64_t& value, const CDataObject*) const
{
    SystemTime time;
    int64_t fileTime = 0;
    if (!ParseDateTime(text, m_flags, time) || !SystemTimeToFileTime(time, fileTime))
        return false;
    value = fileTime;
    return true;
}

std::string CLongDateFormat::Format(int32_t value, const CDataObject*) const
{
    SystemTime time;
    if (!SecondsToLocalTime(value, time))
        return {};
    return DateTimeText(time, m_flags, 0x70);
}

bool CLongDateFormat::Parse(const std::string& text, int32_t& value, const CDataObject*) const
{
    SystemTime time;
    int64_t seconds = 0;
    if (!ParseDateTime(text, m_flags & ~DateShowMillisecond, time) || !LocalTimeToSeconds(time, seconds))
        return false;
    if (seconds < std::numeric_limits<int32_t>::min() || seconds > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(seconds);
    return true;
}

// ---- Duration text and parse (CLongMsecTimeFormat) ----

std::string CLongMsecTimeFormat::Format(int32_t value, const CDataObject*) const
{
    const bool negative = value < 0;
    const int64_t amount = negative ? -static_cast<int64_t>(value) : value; // the most negative value too
    bool anyShownNonZero = false;

    std::string days;
    if (m_flags & DurationDays) {
        const int64_t count = amount / 86'400'000;
        if (m_fixedWidth || count != 0 || m_flags == DurationDays) {
            AppendNumber(days, count, 1);
            days += m_dayLabel;
            anyShownNonZero = count != 0;
        }
    }

    // The leading unit holds the whole amount in that unit (hours within the
    // day when days are shown); the others are taken modulo 60 or 1000.
    const int32_t units = m_flags & ~DurationDays;
    const int64_t totalHours = amount / 3'600'000;
    const int64_t hours = (m_flags & DurationDays) ? totalHours % 24 : totalHours;
    const int64_t minutes = (units & DurationHours) ? amount / 60'000 % 60 : amount / 60'000;
    const int64_t seconds = (units & (DurationHours | DurationMinutes)) ? amount / 1000 % 60 : amount / 1000;
    const int64_t milliseconds = (units & ~DurationMilliseconds) ? amount % 1000 : amount;

    // The shown units, most significant first, each with its digit count
    // under fixed width; unshown leading zero units are dropped below.
    struct Unit {
        int64_t value;
        int digits;
        const char* separatorAfter;
    };
    const DateTimeSettings& settings = GetDateTimeSettings();
    const char* colon = settings.timeSeparator.c_str();
    const char* point = settings.fractionSeparator.c_str();
    Unit shown[4];
    int count = 0;
    int droppable = 0; // leading units that may be left out when zero
    switch (units) {
    case DurationHours: shown[count++] = {hours, 2, ""}; break;
    case DurationMinutes: shown[count++] = {minutes, 2, ""}; break;
    case DurationHours | DurationMinutes:
        shown[count++] = {hours, 2, colon};
        shown[count++] = {minutes, 2, ""};
        break;
    case DurationSeconds: shown[count++] = {seconds, 2, ""}; break;
    case DurationMinutes | DurationSeconds:
        shown[count++] = {minutes, 2, colon};
        shown[count++] = {seconds, 2, ""};
        break;
    case DurationHours | DurationMinutes | DurationSeconds:
        shown[count++] = {hours, 2, colon};
        shown[count++] = {minutes, 2, colon};
        shown[count++] = {seconds, 2, ""};
        droppable = 1;
        break;
    case DurationMilliseconds: shown[count++] = {milliseconds, 3, ""}; break;
    case DurationSeconds | DurationMilliseconds:
        shown[count++] = {seconds, 2, point};
        shown[count++] = {milliseconds, 3, ""};
        droppable = 1;
        break;
    case DurationMinutes | DurationSeconds | DurationMilliseconds:
        shown[count++] = {minutes, 2, colon};
        shown[count++] = {seconds, 2, point};
        shown[count++] = {milliseconds, 3, ""};
        droppable = 1;
        break;
    case DurationHours | DurationMinutes | DurationSeconds | DurationMilliseconds:
        shown[count++] = {hours, 2, colon};
        shown[count++] = {minutes, 2, colon};
        shown[count++] = {seconds, 2, point};
        shown[count++] = {milliseconds, 3, ""};
        droppable = 2;
        break;
    default: break; // no time part
    }

    int first = 0;
    if (!m_fixedWidth) {
        while (first < droppable && shown[first].value == 0)
            ++first;
    }
    std::string time;
    for (int index = first; index < count; ++index) {
        AppendNumber(time, shown[index].value, m_fixedWidth || index > first ? shown[index].digits : 1);
        time += shown[index].separatorAfter;
        anyShownNonZero = anyShownNonZero || shown[index].value != 0;
    }

    std::string text;
    if (negative && anyShownNonZero)
        text.push_back('-');
    text += days;
    if (!time.empty()) {
        if (!days.empty())
            text.push_back(' ');
        text += time;
        text += m_timeLabel;
    }
    return text;
}

bool CLongMsecTimeFormat::Parse(const std::string& text, int32_t& value, const CDataObject*) const
{
    // The units must be a run of adjacent bits among the five.
    const uint32_t units = static_cast<uint32_t>(m_flags);
    if (units == 0 || (units & ~31u) != 0)
        return false;
    const uint32_t run = units >> std::countr_zero(units);
    if ((run & (run + 1)) != 0)
        return false;

    // From the first of "0123456789-" to the last digit.
    const size_t first = text.find_first_of("0123456789-");
    const size_t last = text.find_last_of("0123456789");
    std::string kept;
    if (first != std::string::npos && last != std::string::npos && first <= last)
        kept = text.substr(first, last - first + 1);
    const int64_t sign = !kept.empty() && kept.front() == '-' ? -1 : 1;

    // Numbers separated by any of ".,:;/", blank or tab; every other
    // character is dropped. Consecutive separators count as one.
    static constexpr std::string_view kSeparators = ".,:;/ \t";
    std::vector<int64_t> numbers;
    bool inNumber = false;
    for (const char c : kept) {
        if (IsDigit(c)) {
            if (!inNumber)
                numbers.push_back(0);
            inNumber = true;
            // Capped: a number this large overflows the total anyway.
            numbers.back() = std::min<int64_t>(numbers.back() * 10 + (c - '0'), int64_t{1} << 32);
        } else if (kSeparators.find(c) != std::string_view::npos) {
            inNumber = false;
        }
    }

    // Fill the selected units from the right, smallest first.
    static constexpr struct {
        int32_t unit;
        int64_t milliseconds;
    } kUnits[] = {{DurationMilliseconds, 1},
                  {DurationSeconds, 1000},
                  {DurationMinutes, 60'000},
                  {DurationHours, 3'600'000},
                  {DurationDays, 86'400'000}};
    size_t remaining = numbers.size();
    int64_t total = 0;
    for (const auto& unit : kUnits) {
        if ((m_flags & unit.unit) && remaining > 0)
            total += numbers[--remaining] * unit.milliseconds;
    }
    total *= sign;
    if (total < std::numeric_limits<int32_t>::min() || total > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(total);
    return true;
}

void CLongMsecTimeFormat::Serialize(CSerializer& serializer)
{
    if (!SerializeVersion(serializer))
        return;
    if (!serializer.IsRestoring()) {
        serializer.WriteInt32(m_flags);
        serializer.WriteBool(m_fixedWidth);
        serializer.WriteString(m_dayLabel);
        serializer.WriteString(m_timeLabel);
        return;
    }
    m_flags = serializer.ReadInt32();
    m_fixedWidth = serializer.ReadBool();
    m_dayLabel = serializer.ReadString();
    m_timeLabel = serializer.ReadString();
}

} // namespace Brivel::Common
