#include "app/log_message.h"

#include "common/date_time_formats.h"
#include "common/enum_format.h"

#include <atomic>
#include <memory>
#include <utility>

namespace Quellon {

using Brivel::Common::CInt64DateFormat;
using Brivel::Common::CLongEnumFormat;
using Brivel::Common::SystemTime;

namespace {

// The words of the action type column, in list order.
constexpr CLongEnumFormat::Item kActionTypeItems[] = {
    {0, "Add"},
    {1, "Remove"},
    {2, "Update"},
    {3, "Settings"},
};

std::atomic<CLogMessage::LocalTimeSource> g_localTimeSource{nullptr};

int64_t TakeTimestamp()
{
    const CLogMessage::LocalTimeSource source = g_localTimeSource.load(std::memory_order_acquire);
    const SystemTime now = source ? source() : Brivel::Common::GetLocalTime();
    int64_t fileTime = 0;
    return Brivel::Common::SystemTimeToFileTime(now, fileTime) ? fileTime : 0;
}

} // namespace

BRIVEL_BEGIN_FIELD_MAP(CLogMessage)
    BRIVEL_FIELD(0, "Action type", &CLogMessage::GetActionType, 0, std::make_unique<CLongEnumFormat>(kActionTypeItems, 4))
    BRIVEL_FIELD(1, "Timestamp", &CLogMessage::GetTimestamp, 0, std::make_unique<CInt64DateFormat>(240))
    BRIVEL_FIELD(2, "Message", &CLogMessage::GetMessage, 0, nullptr)
BRIVEL_END_FIELD_MAP()

CLogMessage::CLogMessage(ActionType actionType, std::string message)
    : m_actionType(static_cast<int32_t>(actionType)), m_timestamp(TakeTimestamp()), m_message(std::move(message))
{
}

CLogMessage::~CLogMessage()
{
    AnnounceDeletion();
}

void CLogMessage::SetLocalTimeSourceForTesting(LocalTimeSource source) noexcept
{
    g_localTimeSource.store(source, std::memory_order_release);
}

} // namespace Quellon
