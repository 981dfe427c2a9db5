#pragma once
// CLogMessage: one line of the benchmark's journal, the row of the log grid:
// what was done, when, and a text.
//
// Field table (ids are also the log grid's column ids), every field
// read-only:
//   0 "Action type"  int32_t      &CLogMessage::GetActionType  CLongEnumFormat of the four
//                                                               ActionType words below
//   1 "Timestamp"    int64_t      &CLogMessage::GetTimestamp   CInt64DateFormat(240):
//                                                               "hh:mm:ss.fff"
//   2 "Message"      std::string  &CLogMessage::GetMessage     none
//
// The time stamp is the local wall-clock time of creation on the 1601
// file-time scale (100-ns units, taken from the local time, not from UTC);
// when the conversion fails it is 0, which the format shows as 1601-01-01
// 00:00:00.000.
//
// Ownership: the benchmark's main frame creates and deletes these objects;
// the log grid only points at them. The destructor announces the deletion
// before the message goes.
// Thread: immutable after construction; any thread may read it.

#include "common/data_object.h"
#include "common/field_table.h"
#include "common/local_time.h"

#include <cstdint>
#include <string>

namespace Quellon {

class CLogMessage : public Brivel::Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()

public:
    // The action a journal line reports. The benchmark writes Add for add
    // runs, Remove for remove runs and their failure, Settings for every
    // settings change; Update is in the table but never written.
    enum class ActionType : int32_t { Add = 0, Remove = 1, Update = 2, Settings = 3 };

    static constexpr int32_t kActionTypeField = 0;
    static constexpr int32_t kTimestampField = 1;
    static constexpr int32_t kMessageField = 2;

    // Stores the action type, takes the time stamp, copies the message.
    // Announces nothing.
    CLogMessage(ActionType actionType, std::string message);
    ~CLogMessage() override;

    int32_t GetActionType() const noexcept { return m_actionType; }
    int64_t GetTimestamp() const noexcept { return m_timestamp; }
    std::string GetMessage() const { return m_message; }

    // The clock the time stamps are read from: GetLocalTime unless a test
    // sets another; null restores it. Process-wide.
    using LocalTimeSource = Brivel::Common::SystemTime (*)();
    static void SetLocalTimeSourceForTesting(LocalTimeSource source) noexcept;

private:
    const int32_t m_actionType;
    const int64_t m_timestamp;
    const std::string m_message;
};

} // namespace Quellon
