#include "app/remove_items_job.h"

#include "app/main_frame.h"

namespace Quellon {

void CRemoveItemsJob::Execute(Brivel::Common::CAutomat& /*automat*/)
{
    m_frame.RemoveItems(m_count, m_positionCode, true);
}

} // namespace Quellon
