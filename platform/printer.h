#pragma once
// CPrinter: a printer device as the grid's printing sees it (the printer
// device context, its resolution and printable size, documents and pages),
// with the print dialog, the print preview and a progress dialog beside it.
// Everything here is Qt's print support (QPrinter, QPrintDialog,
// QPrintPreviewDialog, QProgressDialog); nothing above platform/ sees it.
//
// Output: a CPrinter made with the default constructor prints to the
// system's default printer; when no printer is configured it writes a PDF
// file instead (DefaultPdfPath). SetOutputFile makes any printer write that
// PDF file (tests, "print to file").
//
// Documents and pages: StartDoc only records that a document is wanted; the
// device is opened on the first StartPage, so a document that ends without a
// page writes nothing at all (no empty file, no blank sheet). Between
// StartPage and EndPage, GetPainter answers the painter of the page.
// EndDoc closes the device (idempotent); AbortDoc discards what was printed
// where the device allows it. The destructor ends an open document.
//
// Ownership: owns its QPrinter, or borrows one (the print preview's, which
// must outlive this); owns the painter of an open document.
// Thread: GUI thread only (Qt's print support and its dialogs live there).

#include "platform/rect.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QProgressDialog;
class QWidget;

namespace Brivel::Platform {

// The screen's resolution in pixels per logical inch (x, y); 96 x 96 when
// there is no screen. Thread: GUI thread only.
CSize GetScreenResolution();

class CPrinter {
public:
    // The default printer, or a PDF file at DefaultPdfPath() when none is
    // configured.
    CPrinter();
    // Borrows `printer` (a print preview's); its output stays as it is.
    explicit CPrinter(QPrinter& printer);
    CPrinter(const CPrinter&) = delete;
    CPrinter& operator=(const CPrinter&) = delete;
    ~CPrinter();

    // Where a document goes when no printer is configured: "<name>.pdf" in
    // the user's documents folder, else the current folder.
    static QString DefaultPdfPath(const QString& documentName);

    // Writes PDF to `path` from now on (an empty path: back to the printer).
    void SetOutputFile(const QString& path);
    QString GetOutputFile() const; // the PDF path; empty: the printer
    // Whether the output is a PDF file.
    bool IsPdf() const;
    // Whether the printable area is the whole sheet (no device margins).
    void SetFullPage(bool fullPage);
    // The document's name (in the print queue; the PDF's title).
    void SetDocumentName(const QString& name);
    QString GetDocumentName() const;

    // The page range; 0 means unbounded on that side. Negative values are
    // taken as 0.
    void SetPageRange(int32_t fromPage, int32_t toPage);
    int32_t GetFromPage() const { return m_fromPage; } // 0: from the first page
    int32_t GetToPage() const { return m_toPage; } // 0: to the last page

    // The printable area in device pixels, and the device's resolution in
    // pixels per inch (x, y). Zero sizes for a printer that is not usable.
    CSize GetPrintableSize() const;
    CSize GetResolution() const; // pixels per inch

    // The platform's print dialog over this printer (printer, copies, page
    // range from 1 to `lastPage`, or unbounded when it is 0 or less): true
    // when the user chose to print; the page range is then the dialog's
    // (0, 0 for all pages). Modal.
    bool ShowPrintDialog(QWidget* parent, int32_t lastPage);

    // ---- Documents and pages ----
    // Records that a document is wanted (see the top of this file).
    bool StartDoc();
    // Starts a page (opening the device for the first one); false when the
    // device refuses. The painter is then active with its state reset.
    bool StartPage();
    bool EndPage(); // ends the page; false when the device refused
    // Ends the document; false when the device reported an error. Idempotent.
    bool EndDoc();
    // Ends the document, discarding it where the device can.
    void AbortDoc();
    // Maps the current page anisotropically so that `logical` units cover the
    // whole printable area (window extent `logical`, viewport the printable
    // size); false outside a page or for an empty extent.
    bool SetPageMapping(const CSize& logical);
    // The painter of the current page; null outside a page.
    QPainter* GetPainter();
    // Pages started in the current (or last) document.
    int32_t GetPagesStarted() const { return m_pagesStarted; }

    QPrinter& GetQPrinter() { return *m_printer; } // the printer underneath

private:
    std::unique_ptr<QPrinter> m_ownedPrinter; // null when borrowed
    QPrinter* m_printer = nullptr;            // m_ownedPrinter's, or borrowed: outlives this
    std::unique_ptr<QPainter> m_painter;      // active from the first page to EndDoc
    int32_t m_fromPage = 0;
    int32_t m_toPage = 0;
    int32_t m_pagesStarted = 0;
    bool m_docStarted = false;
    bool m_inPage = false;
};

// The print preview dialog over `printer`: its pages come from `paint`,
// which is called with a CPrinter over the preview's own printer each time
// the preview needs the pages again (opening, page setup changes). Zoom and
// page navigation are the dialog's. Modal; false when the user closed it
// without printing, true when they printed from it.
bool ShowPrintPreview(CPrinter& printer, QWidget* parent, const std::function<void(CPrinter&)>& paint);

// A progress dialog with a Cancel button, shown at once, application modal
// while it lives. SetValue lets the event loop run (so that Cancel is seen).
class CProgressDialog {
public:
    // Shows the dialog with `label`, counting to `maximum`.
    CProgressDialog(QWidget* parent, const QString& label, int32_t maximum);
    CProgressDialog(const CProgressDialog&) = delete;
    CProgressDialog& operator=(const CProgressDialog&) = delete;
    ~CProgressDialog();

    // Shows `value` of the maximum; false once the user cancelled.
    bool SetValue(int32_t value);
    bool WasCanceled() const; // the user pressed Cancel
    // The dialog, for tests that press its Cancel button.
    QProgressDialog* GetDialog() const { return m_dialog.get(); }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace Brivel::Platform
