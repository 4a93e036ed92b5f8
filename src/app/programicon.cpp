#include "app/programicon.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <algorithm>

#include "platform/programfolder.h"
#include "platform/regularfile.h"
#include "platform/savefile.h"

namespace kv {
namespace {

const QString kIconResource = QStringLiteral(":/icons/kelvotrin.svg");

// A box (the archive) with a clock face on it (the schedule), for a Qt without SVG.
QIcon paintedIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x17, 0x3a, 0x66), 4));
    p.setBrush(QColor(0x2f, 0x6d, 0xb5));
    p.drawRoundedRect(QRectF(10, 18, 36, 40), 4, 4);
    p.setBrush(QColor(0x5b, 0x9b, 0xe0));
    p.drawRoundedRect(QRectF(6, 10, 44, 12), 3, 3);
    p.setBrush(QColor(0xf5, 0xa6, 0x23));
    p.drawEllipse(QPointF(46, 46), 16, 16);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(46, 46), 10, 10);
    p.setPen(QPen(QColor(0x17, 0x3a, 0x66), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(46, 46), QPointF(46, 38));
    p.drawLine(QPointF(46, 46), QPointF(51.5, 49.5));
    p.end();
    return QIcon(pixmap);
}

}  // namespace

QIcon programIcon(bool installed) {
    // Without the SVG plugins the icon loads but draws nothing.
    QIcon drawn(kIconResource);
    if (drawn.pixmap(QSize(32, 32)).isNull()) {
        drawn = paintedIcon();
    }
    return installed ? QIcon::fromTheme(kIconThemeName, drawn) : drawn;
}

QIcon withWarningMark(const QIcon& icon) {
    QIcon marked;
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = icon.pixmap(QSize(side, side));
        if (pixmap.isNull()) {
            continue;
        }
        pixmap.setDevicePixelRatio(1);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = pixmap.width();
        const QRectF mark(s * 0.42, s * 0.40, s * 0.58, s * 0.58);
        const QPolygonF triangle(
            {QPointF(mark.center().x(), mark.top()), mark.bottomRight(), mark.bottomLeft()});
        p.setPen(QPen(QColor(0x5a, 0x3a, 0x00), std::max(1.0, s / 24)));
        p.setBrush(QColor(0xff, 0xc8, 0x00));
        p.drawPolygon(triangle);
        p.setPen(QPen(Qt::black, std::max(1.5, s / 12), Qt::SolidLine, Qt::RoundCap));
        const double x = mark.center().x();
        p.drawLine(QPointF(x, mark.top() + mark.height() * 0.36),
                   QPointF(x, mark.top() + mark.height() * 0.66));
        p.drawPoint(QPointF(x, mark.top() + mark.height() * 0.83));
        p.end();
        marked.addPixmap(pixmap);
    }
    return marked;
}

QString launcherIcon(bool installed) {
    if (installed) {
        return kIconThemeName;
    }
    QFile resource(kIconResource);
    [[maybe_unused]] const bool compiledIn = resource.open(QIODevice::ReadOnly);
    Q_ASSERT(compiledIn);
    const QByteArray svg = resource.readAll();
    const QString file =
        QFileInfo(inProgramFolder(kIconThemeName + QStringLiteral(".svg"))).absoluteFilePath();
    const FileRead existing = readRegularFile(file, svg.size());
    if (existing.status != FileRead::Status::Read || existing.bytes != svg) {
        saveWholeFile(file, svg);
    }
    return file;
}

}  // namespace kv
