#pragma once
// A subscriber that records what it is told, for the data object tests.
// Records are kept per sink and, when a journal is given, in one shared
// journal too, so that tests can check the order across sinks.

#include "common/data_object.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Brivel::Common::Testing {

class CRecordingSink final : public CDataObject::ISink {
public:
    using CDataObject::ISink::OnUpdate;

    explicit CRecordingSink(std::vector<std::string>* journal = nullptr, std::string name = {})
        : m_journal(journal), m_name(std::move(name))
    {
    }

    void OnUpdate(int32_t id, CDataObject* object) override
    {
        updates.push_back(id);
        lastObject = object;
        if (m_journal)
            m_journal->push_back(m_name + ":" + std::to_string(id));
        if (onUpdate)
            onUpdate(id, object);
    }

    void OnDelete(CDataObject* object) override
    {
        ++deletes;
        lastObject = object;
        if (m_journal)
            m_journal->push_back(m_name + ":delete");
        if (onDelete)
            onDelete(object);
    }

    std::vector<int32_t> updates;
    int deletes = 0;
    CDataObject* lastObject = nullptr;
    // Run after recording, inside the announcement.
    std::function<void(int32_t, CDataObject*)> onUpdate;
    std::function<void(CDataObject*)> onDelete;

private:
    std::vector<std::string>* m_journal; // Not owned; outlives this.
    std::string m_name;
};

} // namespace Brivel::Common::Testing
