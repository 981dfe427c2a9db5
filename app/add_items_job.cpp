#include "app/add_items_job.h"

#include "app/main_frame.h"

namespace Quellon {

void CAddItemsJob::Execute(Brivel::Common::CAutomat& /*automat*/)
{
    m_frame.AddItems(m_count, m_positionCode, true);
}

} // namespace Quellon
