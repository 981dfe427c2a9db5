#include "gui/dragdrop/drop_importer.h"

#include "gui/grid/grid.h"
#include "gui/header/column.h"
#include "gui/header/header.h"

#include "common/field.h"

#include <string>

namespace Brivel::GUI {

// ---- CDropImporter ----

CDropImporter& CDropImporter::Shared()
{
    static CDropImporter importer;
    return importer;
}

DropAction CDropImporter::GetDropAction(const DropRequest& request)
{
    if (request.source == nullptr || request.rows.empty())
        return DropAction::kRefuse;
    if (request.source == request.target && !request.copyKey)
        return DropAction::kMove;
    return DropAction::kCopy;
}

std::vector<Common::CDataObject*> CDropImporter::ImportText(CGrid& /*target*/, std::string_view /*text*/)
{
    return {};
}

// ---- CTextDropImporter ----

DropAction CTextDropImporter::GetDropAction(const DropRequest& request)
{
    if (request.source == nullptr)
        return request.text.empty() ? DropAction::kRefuse : DropAction::kImport;
    return CDropImporter::GetDropAction(request);
}

std::vector<Common::CDataObject*> CTextDropImporter::ImportText(CGrid& target, std::string_view text)
{
    std::vector<Common::CDataObject*> made;
    const CHeader* const header = target.GetHeader();
    if (header == nullptr)
        return made;
    struct Field {
        int32_t id;
        std::string caption;
    };
    std::vector<Field> fields;
    const int32_t count = header->GetVisibleColumnCount();
    for (int32_t visibleIndex = 0; visibleIndex < count; ++visibleIndex)
        if (const CColumn* const column = header->GetVisibleColumn(visibleIndex))
            fields.push_back({column->GetId(), column->GetCaption()});
    if (fields.empty())
        return made;

    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        auto object = std::make_unique<Common::CDynamicObject>(true);
        for (const Field& field : fields)
            object->AddField(Common::CField::CreateDescription(field.id, field.caption.c_str(), Common::KindStdString));
        for (const Field& field : fields) {
            const size_t tab = line.find('\t');
            object->SetStdString(field.id, std::string(line.substr(0, tab)));
            if (tab == std::string_view::npos)
                break;
            line.remove_prefix(tab + 1);
        }
        made.push_back(object.get());
        m_objects.push_back(std::move(object));
    }
    return made;
}

} // namespace Brivel::GUI
