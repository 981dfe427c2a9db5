// CPrinter, the print dialog, the print preview and the progress dialog over
// Qt's print support.

#include "platform/printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>

namespace Brivel::Platform {

CSize GetScreenResolution()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (const QScreen* const screen = QGuiApplication::primaryScreen()) {
            const int x = qRound(screen->logicalDotsPerInchX());
            const int y = qRound(screen->logicalDotsPerInchY());
            if (x > 0 && y > 0)
                return CSize(x, y);
        }
    }
    return CSize(96, 96);
}

// ---- CPrinter ----

CPrinter::CPrinter()
    : m_ownedPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)), m_printer(m_ownedPrinter.get())
{
    // No printer to print on: the document goes to a PDF file instead.
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        SetOutputFile(DefaultPdfPath(QStringLiteral("document")));
}

CPrinter::CPrinter(QPrinter& printer) : m_printer(&printer)
{
    if (printer.printRange() == QPrinter::PageRange)
        SetPageRange(printer.fromPage(), printer.toPage());
}

CPrinter::~CPrinter()
{
    EndDoc();
}

QString CPrinter::DefaultPdfPath(const QString& documentName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::currentPath();
    return QDir(folder).filePath(documentName + QStringLiteral(".pdf"));
}

void CPrinter::SetOutputFile(const QString& path)
{
    if (path.isEmpty()) {
        m_printer->setOutputFileName({});
        m_printer->setOutputFormat(QPrinter::NativeFormat);
        return;
    }
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(path);
}

QString CPrinter::GetOutputFile() const
{
    return m_printer->outputFileName();
}

bool CPrinter::IsPdf() const
{
    return m_printer->outputFormat() == QPrinter::PdfFormat;
}

void CPrinter::SetFullPage(bool fullPage)
{
    m_printer->setFullPage(fullPage);
}

void CPrinter::SetDocumentName(const QString& name)
{
    m_printer->setDocName(name);
    // The fallback file is named after the document.
    if (m_ownedPrinter != nullptr && IsPdf() &&
        m_printer->outputFileName() == DefaultPdfPath(QStringLiteral("document")))
        m_printer->setOutputFileName(DefaultPdfPath(name));
}

QString CPrinter::GetDocumentName() const
{
    return m_printer->docName();
}

void CPrinter::SetPageRange(int32_t fromPage, int32_t toPage)
{
    m_fromPage = std::max(fromPage, 0);
    m_toPage = std::max(toPage, 0);
}

CSize CPrinter::GetPrintableSize() const
{
    return CSize(std::max(m_printer->width(), 0), std::max(m_printer->height(), 0));
}

CSize CPrinter::GetResolution() const
{
    return CSize(std::max(m_printer->logicalDpiX(), 0), std::max(m_printer->logicalDpiY(), 0));
}

bool CPrinter::ShowPrintDialog(QWidget* parent, int32_t lastPage)
{
    QPrintDialog dialog(m_printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (lastPage > 0)
        dialog.setMinMax(1, lastPage);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (m_printer->printRange() == QPrinter::PageRange)
        SetPageRange(m_printer->fromPage(), m_printer->toPage());
    else
        SetPageRange(0, 0);
    return true;
}

bool CPrinter::StartDoc()
{
    EndDoc();
    m_docStarted = true;
    m_pagesStarted = 0;
    return true;
}

bool CPrinter::StartPage()
{
    if (!m_docStarted || m_inPage)
        return false;
    if (m_painter == nullptr) {
        auto painter = std::make_unique<QPainter>();
        if (!painter->begin(m_printer))
            return false;
        m_painter = std::move(painter);
    } else if (!m_printer->newPage()) {
        return false;
    }
    m_painter->resetTransform();
    m_painter->setWindow(QRect(0, 0, m_printer->width(), m_printer->height()));
    m_painter->setViewport(QRect(0, 0, m_printer->width(), m_printer->height()));
    m_inPage = true;
    ++m_pagesStarted;
    return true;
}

bool CPrinter::EndPage()
{
    if (!m_inPage)
        return false;
    m_inPage = false;
    return m_printer->printerState() != QPrinter::Error;
}

bool CPrinter::EndDoc()
{
    m_inPage = false;
    m_docStarted = false;
    if (m_painter == nullptr)
        return true;
    const bool ended = m_painter->end();
    m_painter.reset();
    return ended && m_printer->printerState() != QPrinter::Error;
}

void CPrinter::AbortDoc()
{
    const bool opened = m_painter != nullptr;
    if (opened)
        m_printer->abort();
    EndDoc();
    // A PDF cannot be aborted on the way: the file written so far goes.
    if (opened && IsPdf() && !m_printer->outputFileName().isEmpty())
        QFile::remove(m_printer->outputFileName());
}

bool CPrinter::SetPageMapping(const CSize& logical)
{
    if (!m_inPage || logical.cx <= 0 || logical.cy <= 0)
        return false;
    m_painter->setWindow(QRect(0, 0, logical.cx, logical.cy));
    m_painter->setViewport(QRect(0, 0, m_printer->width(), m_printer->height()));
    return true;
}

QPainter* CPrinter::GetPainter()
{
    return m_inPage ? m_painter.get() : nullptr;
}

// ---- Print preview ----

bool ShowPrintPreview(CPrinter& printer, QWidget* parent, const std::function<void(CPrinter&)>& paint)
{
    QPrintPreviewDialog dialog(&printer.GetQPrinter(), parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        CPrinter pages(*target);
        paint(pages);
    });
    return dialog.exec() == QDialog::Accepted;
}

// ---- Progress dialog ----

CProgressDialog::CProgressDialog(QWidget* parent, const QString& label, int32_t maximum)
    : m_dialog(std::make_unique<QProgressDialog>(label, QObject::tr("Cancel"), 0, std::max(maximum, 1), parent))
{
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->show();
    QCoreApplication::processEvents();
}

CProgressDialog::~CProgressDialog() = default;

bool CProgressDialog::SetValue(int32_t value)
{
    m_dialog->setValue(std::clamp(value, m_dialog->minimum(), m_dialog->maximum()));
    QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
}

bool CProgressDialog::WasCanceled() const
{
    return m_dialog->wasCanceled();
}

} // namespace Brivel::Platform
