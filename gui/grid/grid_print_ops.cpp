// CGrid: the public operations of printing, each carried to the GUI thread
// by the calling rule. The printer is made for each call (gui/print/
// grid_printer.h); the print settings live in the grid's options.

#include "gui/grid/grid.h"

#include "gui/grid/grid_call.h"
#include "gui/print/grid_printer.h"

#include "platform/printer.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace Brivel::GUI {

using CGridImpl = CGrid::CGridImpl;

namespace {

// The progress dialog of a long print. It appears with the first page of a
// document of more than PrintRequest::kProgressPages pages and lets the
// event loop run between pages, so its Cancel button works; the print also
// stops when the grid window goes meanwhile, and then touches it no more.
class CPrintProgressDialog final : public IPrintProgress {
public:
    CPrintProgressDialog(CGrid& grid, bool enabled) : m_grid(&grid), m_enabled(enabled) {}

    bool OnPagePrinted(int32_t printed, int32_t total) override
    {
        if (m_grid.isNull())
            return false;
        if (!m_enabled || total <= PrintRequest::kProgressPages)
            return true;
        if (m_dialog == nullptr)
            m_dialog = std::make_unique<Platform::CProgressDialog>(
                m_grid.data(), QObject::tr("Printing %1").arg(QString::fromUtf8(CGridPrinter::kDocumentName)), total);
        return m_dialog->SetValue(printed) && !m_grid.isNull();
    }

private:
    QPointer<CGrid> m_grid;
    bool m_enabled;
    std::unique_ptr<Platform::CProgressDialog> m_dialog;
};

void ApplyRequest(Platform::CPrinter& printer, const PrintRequest& request)
{
    if (!request.outputFile.isEmpty())
        printer.SetOutputFile(request.outputFile);
    printer.SetDocumentName(QString::fromUtf8(CGridPrinter::kDocumentName));
    printer.SetPageRange(request.fromPage, request.toPage);
}

} // namespace

PrintSettings CGrid::GetPrintSettings()
{
    return m_impl->Call(kOpGetPrintSettings, [](CGridImpl& impl) { return impl.GetOptions().print; });
}

void CGrid::SetPrintSettings(const PrintSettings& settings)
{
    m_impl->Call(kOpSetPrintSettings, [&](CGridImpl& impl) { impl.GetOptions().print = settings.Sanitized(); });
}

PrintResult CGrid::Print(const PrintRequest& request)
{
    return m_impl->Call(kOpPrint, [&](CGridImpl& impl) {
        const PrintSettings settings = impl.GetOptions().print;
        CGridPrinter printer(impl);
        Platform::CPrinter device;
        ApplyRequest(device, request);
        if (request.showDialog) {
            const CGridPrinter::Plan plan = printer.PlanDocument(device, settings);
            if (plan.result != PrintResult::kPrinted)
                return plan.result;
            if (!device.ShowPrintDialog(this, plan.pages))
                return PrintResult::kCancelled;
        }
        CPrintProgressDialog progress(*this, request.showProgress);
        return printer.Print(device, settings, &progress);
    });
}

PrintResult CGrid::PrintPreview(const PrintRequest& request)
{
    return m_impl->Call(kOpPrintPreview, [&](CGridImpl& impl) {
        const PrintSettings settings = impl.GetOptions().print;
        CGridPrinter printer(impl);
        Platform::CPrinter device;
        ApplyRequest(device, request);
        const CGridPrinter::Plan plan = printer.PlanDocument(device, settings);
        if (plan.result != PrintResult::kPrinted)
            return plan.result;
        QPointer<CGrid> alive(this);
        PrintResult last = PrintResult::kCancelled;
        const bool printed = Platform::ShowPrintPreview(device, this, [&](Platform::CPrinter& pages) {
            // A progress dialog per pass over the pages: it closes when they are done.
            CPrintProgressDialog progress(*this, request.showProgress);
            if (!alive.isNull())
                last = printer.Print(pages, settings, &progress);
        });
        return printed ? last : PrintResult::kCancelled;
    });
}

} // namespace Brivel::GUI
