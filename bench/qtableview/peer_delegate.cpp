#include "bench/qtableview/peer_delegate.h"

#include "bench/qtableview/peer_model.h"

#include "app/test_object.h"
#include "common/tick_count.h"

#include <QPainter>
#include <QSortFilterProxyModel>

namespace QuellonPeer {

namespace {

const QRgb kEvenBack = qRgb(230, 237, 237);
const QRgb kOddBack = qRgb(255, 255, 255);
const QColor kText(0, 0, 0);
constexpr int kMargin = 2;

} // namespace

CPeerDelegate::CPeerDelegate(const CPeerModel& model, const PeerHighlight& highlight, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model), m_highlight(highlight)
{
}

QRgb CPeerDelegate::Blend(QRgb under, QRgb over, int32_t alpha)
{
    const auto mix = [alpha](int u, int o) { return (o * alpha + u * (255 - alpha) + 127) / 255; };
    return qRgb(mix(qRed(under), qRed(over)), mix(qGreen(under), qGreen(over)), mix(qBlue(under), qBlue(over)));
}

void CPeerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int sourceRow = m_proxy ? m_proxy->mapToSource(index).row() : index.row();
    const Quellon::CTestObject* object = m_model.ObjectAt(sourceRow);
    if (!object)
        return;
    const int column = index.column();
    QRgb back = (index.row() & 1) ? kOddBack : kEvenBack; // the view's row: row 0 is even
    if (m_highlight.mode != PeerHighlight::Mode::None && column != 0) {
        const int32_t changed = m_model.ChangeTimeOf(object, column);
        if (changed >= 0) {
            const int32_t age = static_cast<int32_t>(Brivel::Common::GetTickCount()) - changed;
            if (const int32_t alpha = m_highlight.AlphaAt(age); alpha > 0)
                back = Blend(back, m_highlight.color, alpha);
        }
    }
    painter->fillRect(option.rect, QColor(back));
    const QString text = column == 0 ? QString::fromStdString(object->GetName())
                                     : CPeerModel::FormatValue(CPeerModel::ValueOf(*object, column));
    painter->setPen(kText);
    painter->drawText(option.rect.adjusted(kMargin, 0, -kMargin, 0),
                      Qt::AlignVCenter | Qt::TextSingleLine | (column == 0 ? Qt::AlignLeft : Qt::AlignRight), text);
}

QSize CPeerDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {80, 14}; // rows and columns have fixed sizes: nothing to measure
}

} // namespace QuellonPeer
