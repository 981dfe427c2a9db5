// CGrid: the public operations of the clipboard, each carried to the GUI
// thread by the calling rule. The work is CGridClipboard's
// (gui/clipboard/grid_clipboard.h).

#include "gui/grid/grid.h"

#include "gui/grid/grid_call.h"

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

bool CGrid::Copy()
{
    return m_impl->Call(kOpCopy, [](CGridImpl& impl) { return impl.GetClipboard().Copy(); });
}

bool CGrid::Cut()
{
    return m_impl->Call(kOpCut, [](CGridImpl& impl) { return impl.GetClipboard().Cut(); });
}

bool CGrid::Paste()
{
    return m_impl->Call(kOpPaste, [](CGridImpl& impl) { return impl.GetClipboard().Paste(); });
}

IClipboardImporter* CGrid::SetClipboardImporter(IClipboardImporter* importer)
{
    return m_impl->Call(kOpSetClipboardImporter,
                        [&](CGridImpl& impl) { return impl.GetClipboard().SetImporter(importer); });
}

void CGrid::SetClipboardFormats(int32_t mask)
{
    m_impl->Call(kOpSetClipboardFormats, [&](CGridImpl& impl) { impl.GetClipboard().SetFormats(mask); });
}

int32_t CGrid::GetClipboardFormats()
{
    return m_impl->Call(kOpGetClipboardFormats, [](CGridImpl& impl) { return impl.GetClipboard().GetFormats(); });
}

} // namespace Brivel::GUI
