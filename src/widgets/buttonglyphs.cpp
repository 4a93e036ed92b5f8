#include "widgets/buttonglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kv {
namespace {

constexpr int kSize = 32;

const QColor kInk(0x2b, 0x3a, 0x4a);
const QColor kPaper(0xfb, 0xfb, 0xf7);
const QColor kGreen(0x2e, 0x8b, 0x3a);
const QColor kRed(0xc6, 0x28, 0x28);
const QColor kBlue(0x1f, 0x5f, 0xaf);
const QColor kYellow(0xe8, 0xb5, 0x3c);

QPen pen(const QColor& color, qreal width = 2.5) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded corner.
void sheet(QPainter& p) {
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(19, 3);
    page.lineTo(25, 9);
    page.lineTo(25, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.setPen(pen(kInk, 2));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(19, 3), QPointF(19, 9), QPointF(25, 9)}));
}

void triangle(QPainter& p, qreal left, qreal width) {
    p.drawPolygon(QPolygonF({QPointF(left, 6), QPointF(left + width, 16), QPointF(left, 26)}));
}

bool draw(QPainter& p, QStyle::StandardPixmap kind) {
    switch (kind) {
        case QStyle::SP_FileIcon:  // a new sheet
            sheet(p);
            p.setPen(pen(kGreen, 3));
            p.drawLine(QPointF(16, 13), QPointF(16, 23));
            p.drawLine(QPointF(11, 18), QPointF(21, 18));
            break;
        case QStyle::SP_FileDialogDetailedView:  // a sheet with lines
            sheet(p);
            p.setPen(pen(kBlue, 2));
            for (int y : {13, 18, 23}) {
                p.drawLine(QPointF(11, y), QPointF(21, y));
            }
            break;
        case QStyle::SP_FileDialogContentsView:  // the run history: a clock face
            p.setPen(pen(kInk, 2));
            p.setBrush(kPaper);
            p.drawEllipse(QRectF(4, 4, 24, 24));
            p.setPen(pen(kBlue, 2.5));
            p.drawPolyline(QPolygonF({QPointF(16, 8), QPointF(16, 16), QPointF(22, 19)}));
            break;
        case QStyle::SP_TrashIcon:  // a bin
            p.setPen(pen(kInk, 2));
            p.setBrush(QColor(0xd0, 0xd4, 0xd8));
            p.drawPolygon(
                QPolygonF({QPointF(8, 9), QPointF(24, 9), QPointF(22, 29), QPointF(10, 29)}));
            p.drawLine(QPointF(5, 8), QPointF(27, 8));
            p.drawLine(QPointF(13, 4), QPointF(19, 4));
            for (qreal x : {13.0, 16.0, 19.0}) {
                p.drawLine(QPointF(x, 13), QPointF(x, 25));
            }
            break;
        case QStyle::SP_DialogOpenButton:  // an open folder
            p.setPen(pen(kInk, 2));
            p.setBrush(kYellow.darker(115));
            p.drawPolygon(QPolygonF({QPointF(3, 7), QPointF(12, 7), QPointF(14, 10),
                                     QPointF(27, 10), QPointF(27, 26), QPointF(3, 26)}));
            p.setBrush(kYellow);
            p.drawPolygon(
                QPolygonF({QPointF(7, 14), QPointF(30, 14), QPointF(26, 26), QPointF(3, 26)}));
            break;
        case QStyle::SP_MediaPlay:  // run
            p.setPen(pen(kGreen.darker(120), 2));
            p.setBrush(kGreen);
            triangle(p, 9, 16);
            break;
        case QStyle::SP_MediaSeekForward:  // run all
            p.setPen(pen(kGreen.darker(120), 2));
            p.setBrush(kGreen);
            triangle(p, 4, 12);
            triangle(p, 16, 12);
            break;
        case QStyle::SP_BrowserStop:  // run, then power off
            p.setPen(pen(kRed, 3.5));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(6, 7, 20, 20), 120 * 16, 300 * 16);
            p.drawLine(QPointF(16, 4), QPointF(16, 16));
            break;
        case QStyle::SP_DialogApplyButton:  // run the marked
            p.setPen(pen(kGreen, 4));
            p.drawPolyline(QPolygonF({QPointF(6, 17), QPointF(13, 24), QPointF(26, 8)}));
            break;
        case QStyle::SP_ComputerIcon:  // the archivers: a screen on a stand
            p.setPen(pen(kInk, 2));
            p.setBrush(kBlue.lighter(170));
            p.drawRoundedRect(QRectF(4, 5, 24, 17), 2, 2);
            p.drawLine(QPointF(16, 22), QPointF(16, 27));
            p.drawLine(QPointF(10, 28), QPointF(22, 28));
            break;
        case QStyle::SP_DialogSaveButton:  // save: a diskette
            p.setPen(pen(kInk, 2));
            p.setBrush(kBlue);
            p.drawPolygon(QPolygonF(
                {QPointF(4, 4), QPointF(24, 4), QPointF(28, 8), QPointF(28, 28), QPointF(4, 28)}));
            p.setBrush(kPaper);
            p.drawRect(QRectF(9, 4, 13, 8));
            p.drawRect(QRectF(8, 17, 16, 11));
            break;
        case QStyle::SP_DialogCancelButton:  // drop the entries: a "no" sign
            p.setPen(pen(kRed, 3.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(5, 5, 22, 22));
            p.drawLine(QPointF(9, 9), QPointF(23, 23));
            break;
        case QStyle::SP_DialogCloseButton:  // exit
            p.setPen(pen(kRed, 4));
            p.drawLine(QPointF(8, 8), QPointF(24, 24));
            p.drawLine(QPointF(24, 8), QPointF(8, 24));
            break;
        case QStyle::SP_DialogHelpButton: {  // help
            p.setPen(pen(kBlue.darker(110), 2));
            p.setBrush(kBlue);
            p.drawEllipse(QRectF(3, 3, 26, 26));
            QFont font = p.font();
            font.setBold(true);
            font.setPixelSize(20);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        default:
            return false;
    }
    return true;
}

}  // namespace

QIcon buttonGlyph(QStyle::StandardPixmap kind) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const bool drawn = draw(p, kind);
    p.end();
    return drawn ? QIcon(pixmap) : QIcon();
}

}  // namespace kv
