#pragma once
// PrintSettings: how a grid prints, one record per grid (a member of its
// options), and its stored form in the grid's settings stream. Beside it the
// two records of a print call: PrintRequest (where the document goes) and
// PrintResult (what came of it).
//
// Stored form (CArchive, little-endian, flags one byte):
//   int32 version (1); flag print header; flag repeat header on every page;
//   flag print pinned list; flag print body list; double scale; int32 top,
//   bottom, left and right margin in millimetres.
// Loading: a version above 1 raises CArchiveException kBadSchema; one of 0 or
// less (the empty block older streams hold) reads nothing more and keeps the
// settings as they are. Loaded values are sanitised (Sanitized below).
//
// Thread: a plain value; the grid reads and writes its own on the GUI thread.

#include <QString>

#include <cstdint>

namespace Brivel::Platform {
class CArchive;
}

namespace Brivel::GUI {

// How a grid prints (see the top of this file).
struct PrintSettings {
    static constexpr int32_t kVersion = 1; // the version of the stored form this code writes and reads
    // The scale is kept within this range: below it a band would need a
    // bitmap many pages large, above it a page would hold a few pixels.
    static constexpr double kMinScale = 0.25;
    static constexpr double kMaxScale = 4.0;
    // Margins are kept within 0 .. this many millimetres.
    static constexpr int32_t kMaxMargin = 1000;

    bool printHeader = true; // the header strip is printed
    bool repeatHeader = false; // the header strip on every page, not just the first
    bool printPinned = true; // the pinned rows are printed
    bool printBody = true; // the body rows are printed
    double scale = 1.0;        // 2: everything twice as large on paper
    int32_t topMargin = 3;     // millimetres, kept at every scale
    int32_t bottomMargin = 0; // millimetres
    int32_t leftMargin = 10; // millimetres
    int32_t rightMargin = 10; // millimetres

    // Member-wise equality.
    bool operator==(const PrintSettings&) const = default;

    // The same settings with the scale clamped to kMinScale .. kMaxScale (a
    // scale that is not a number becomes 1) and the margins to 0 .. kMaxMargin.
    PrintSettings Sanitized() const;

    // Stores or loads the form above.
    void Serialize(Platform::CArchive& ar);
};

// The outcome of a print. Only kPrinted means a document was produced.
enum class PrintResult : int32_t {
    kNotPrinted = 0,  // nothing was done (the grid's window is destroyed)
    kPrinted = 1,     // every page of the range went to the printer
    kCancelled,       // the user cancelled a dialog or the progress; no document
    kNothingToPrint,  // no rows in the printed lists, every list off, or no visible column
    kBadPageRange,    // the range starts past the last page, or ends before it starts
    kMarginsTooLarge, // the margins leave no room on the page
    kBandTooLarge,    // a band's bitmap would be too large (columns far wider than a page)
    kPrinterFailed,   // no usable printer, or it refused a document or page
};

// Where a print goes and what the user is asked.
struct PrintRequest {
    // Documents with more pages than this show a progress dialog with Cancel.
    static constexpr int32_t kProgressPages = 3;

    // The platform's print dialog chooses the printer and the page range.
    bool showDialog = true;
    // Not empty: the document is written to this PDF file. Empty: the
    // printer (the dialog's, else the default one), or, with no printer
    // configured, a PDF file named after the document in the documents folder.
    QString outputFile;
    // The page range when no dialog is shown; 0 leaves that side unbounded.
    int32_t fromPage = 0;
    int32_t toPage = 0; // (see fromPage)
    // The progress dialog for documents of more than kProgressPages pages.
    bool showProgress = true;
};

} // namespace Brivel::GUI
