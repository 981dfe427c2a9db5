#pragma once
// CPeerDelegate: the QTableView peer's lean cell painter. It fills the cell
// with its row's colour (even rows tinted as in the benchmark's test grid)
// or, while the cell's value changed within the highlight's duration, with
// the highlight colour blended over it (alpha-blended: a fixed alpha; fading:
// an alpha falling linearly to 0 over the duration, the grid's own rule), and
// draws the text with a 2-pixel margin. It reads the row's object straight
// from the model (through the proxy when the view sorts), so no text is made
// for a cell it does not draw and no style is consulted.
//
// Ownership: borrows the model and the proxy (null while unsorted); the
// frame owns all three.
// Thread: GUI thread only.

#include <QStyledItemDelegate>

#include <cstdint>

class QSortFilterProxyModel;

namespace QuellonPeer {

class CPeerModel;

// How changed cells are highlighted, as the benchmark's test grid sets it up.
struct PeerHighlight {
    enum class Mode { None, Alpha, Fade };
    Mode mode = Mode::Alpha;
    int32_t durationMs = 2000;
    int32_t refreshMs = 30;     // between repaints of a fading cell
    QRgb color = qRgb(230, 10, 14);
    int32_t alpha = 150;

    // The alpha of a highlight `ageMs` old, 0 when none shows.
    int32_t AlphaAt(int32_t ageMs) const
    {
        if (mode == Mode::None || ageMs < 0 || ageMs >= durationMs)
            return 0;
        if (mode == Mode::Alpha)
            return alpha;
        return static_cast<int32_t>(int64_t(durationMs - ageMs) * alpha / durationMs);
    }
};

class CPeerDelegate : public QStyledItemDelegate {
public:
    CPeerDelegate(const CPeerModel& model, const PeerHighlight& highlight, QObject* parent);

    void SetProxy(const QSortFilterProxyModel* proxy) { m_proxy = proxy; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // `over` blended onto `under` at `alpha` (0 .. 255).
    static QRgb Blend(QRgb under, QRgb over, int32_t alpha);

private:
    const CPeerModel& m_model;           // Not owned; outlives this.
    const PeerHighlight& m_highlight;    // Not owned; the frame's, outlives this.
    const QSortFilterProxyModel* m_proxy = nullptr; // Not owned; null while unsorted.
};

} // namespace QuellonPeer
