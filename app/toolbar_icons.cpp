#include "app/toolbar_icons.h"

#include "app/commands.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include <map>

namespace Quellon {

namespace {

const QColor kOutline(60, 60, 70);
const QColor kTableFill(250, 250, 252);
const QColor kTableLine(150, 155, 170);
const QColor kGreen(30, 150, 50);
const QColor kRed(200, 30, 30);
const QColor kBlue(40, 90, 190);

// A 3 x 3 table in the rectangle, the common motif of the row commands.
void DrawTable(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kTableLine, 1));
    p.setBrush(kTableFill);
    p.drawRect(r);
    for (int i = 1; i < 3; ++i) {
        const qreal y = r.top() + r.height() * i / 3;
        const qreal x = r.left() + r.width() * i / 3;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
}

// A round badge with a bar (minus) or a cross (plus) in it.
void DrawBadge(QPainter& p, const QPointF& centre, const QColor& colour, bool plus)
{
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(colour);
    p.drawEllipse(centre, 6.5, 6.5);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(centre + QPointF(-3.5, 0), centre + QPointF(3.5, 0));
    if (plus)
        p.drawLine(centre + QPointF(0, -3.5), centre + QPointF(0, 3.5));
}

void DrawSliders(QPainter& p)
{
    const qreal knobs[3] = {7, 15, 10};
    for (int i = 0; i < 3; ++i) {
        const qreal x = 5.5 + i * 6.5;
        p.setPen(QPen(kOutline, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x, 3), QPointF(x, 21));
        p.setPen(QPen(kOutline, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(x - 2.5, knobs[i] - 2, 5, 4));
    }
}

void DrawPlay(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kGreen);
    p.drawEllipse(QRectF(2, 2, 20, 20));
    QPolygonF arrow;
    arrow << QPointF(9, 6.5) << QPointF(17.5, 12) << QPointF(9, 17.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
}

void DrawClock(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(QColor(255, 248, 220));
    p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
    p.setPen(QPen(kOutline, 1));
    for (int i = 0; i < 12; i += 3) {
        p.save();
        p.translate(12, 12);
        p.rotate(i * 30);
        p.drawLine(QPointF(0, -8), QPointF(0, -6));
        p.restore();
    }
    p.setPen(QPen(kRed, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 12), QPointF(12, 6));
    p.drawLine(QPointF(12, 12), QPointF(16.5, 14));
}

void DrawCrossedEnvelope(QPainter& p)
{
    const QRectF r(3, 6, 18, 13);
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(255, 255, 240));
    p.drawRect(r);
    p.drawLine(r.topLeft(), QPointF(12, 13.5));
    p.drawLine(r.topRight(), QPointF(12, 13.5));
    p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(20, 20));
}

void DrawStackedPages(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(200, 215, 245));
    p.drawRect(QRectF(8.5, 3.5, 12, 14));
    p.setBrush(kTableFill);
    p.drawRect(QRectF(3.5, 7.5, 12, 14));
    p.setPen(QPen(kTableLine, 1));
    for (int y = 11; y <= 18; y += 3)
        p.drawLine(QPointF(6, y + 0.5), QPointF(13, y + 0.5));
}

// A cell with a highlight drawn as `kind` says: 0 none (crossed out),
// 1 a flat translucent tint, 2 a tint that fades out to the right.
void DrawHighlightedCell(QPainter& p, int kind)
{
    const QRectF cell(2.5, 6.5, 19, 11);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kTableFill);
    p.drawRect(cell);
    if (kind == 1) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 10, 14, 140));
        p.drawRect(cell.adjusted(1, 1, -1, -1));
    } else if (kind == 2) {
        QLinearGradient fade(cell.topLeft(), cell.topRight());
        fade.setColorAt(0, QColor(230, 10, 14, 230));
        fade.setColorAt(1, QColor(230, 10, 14, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(fade);
        p.drawRect(cell.adjusted(1, 1, -1, -1));
    }
    p.setPen(QPen(kOutline, 1.2));
    p.drawLine(QPointF(6, 12), QPointF(18, 12)); // the cell's text
    if (kind == 0) {
        p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
    }
}

} // namespace

QImage DrawCommandImage(int32_t commandId)
{
    QImage image(kToolbarImageSize, kToolbarImageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (commandId) {
    case kCmdAddItems:
        DrawTable(p, QRectF(1.5, 1.5, 16, 14));
        DrawBadge(p, QPointF(16, 16), kGreen, true);
        break;
    case kCmdRemoveItems:
        DrawTable(p, QRectF(1.5, 1.5, 16, 14));
        DrawBadge(p, QPointF(16, 16), kRed, false);
        break;
    case kCmdUpdateSettings: DrawSliders(p); break;
    case kCmdEnableUpdates: DrawPlay(p); break;
    case kCmdOnIdleOptimization: DrawClock(p); break;
    case kCmdNotificationsOptimization: DrawCrossedEnvelope(p); break;
    case kCmdDoubleBuffering: DrawStackedPages(p); break;
    case kCmdNoHighlighting: DrawHighlightedCell(p, 0); break;
    case kCmdAlphaHighlighting: DrawHighlightedCell(p, 1); break;
    case kCmdFadingHighlighting: DrawHighlightedCell(p, 2); break;
    default: p.end(); return {};
    }
    return image;
}

namespace {

// The command icons drawn so far, kept for the life of the application
// object (a child of it, so they go before Qt's pixmap support does): every
// frame shares them, and Qt's pixmap cache, keyed by icon, holds one set
// rather than one per frame ever made.
class CCommandIconCache final : public QObject {
public:
    explicit CCommandIconCache(QObject* app) : QObject(app) { setObjectName(kName); }
    static CCommandIconCache* Of(QCoreApplication* app)
    {
        if (app == nullptr)
            return nullptr;
        auto* cache = app->findChild<CCommandIconCache*>(kName, Qt::FindDirectChildrenOnly);
        return cache ? cache : new CCommandIconCache(app); // owned by the application object
    }
    std::map<int32_t, QIcon> icons;

private:
    static constexpr const char* kName = "Quellon.CommandIcons";
};

} // namespace

QIcon MakeCommandIcon(int32_t commandId)
{
    CCommandIconCache* const cache = CCommandIconCache::Of(QCoreApplication::instance());
    if (cache != nullptr) {
        const auto found = cache->icons.find(commandId);
        if (found != cache->icons.end())
            return found->second;
    }
    const QImage image = DrawCommandImage(commandId);
    if (image.isNull())
        return {};
    QIcon icon(QPixmap::fromImage(image));
    if (cache != nullptr)
        cache->icons.emplace(commandId, icon);
    return icon;
}

QIcon MakeApplicationIcon()
{
    QIcon icon;
    for (int side : {16, 32}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 24.0, side / 24.0);
        DrawTable(p, QRectF(1.5, 2.5, 21, 19));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 10, 14, 200));
        p.drawRect(QRectF(8.5, 9, 7, 6.3));
        p.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace Quellon
