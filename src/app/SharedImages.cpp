#include "SharedImages.h"

#include <QPainter>
#include <QPainterPath>

TPubFrm *PubFrm = nullptr;

namespace {
const QColor Ink(0x40, 0x40, 0x40);
const QColor Paper(0xfd, 0xfd, 0xf6);
const QColor Blue(0x2f, 0x6f, 0xb8);
const QColor Green(0x2e, 0x8b, 0x3a);
const QColor Red(0xc8, 0x2a, 0x2a);
const QColor Manila(0xe9, 0xc4, 0x6a);

void Page(QPainter &p)
{
    p.setPen(QPen(Ink, 0.8));
    p.setBrush(Paper);
    QPainterPath page;
    page.moveTo(3, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(13, 4.5);
    page.lineTo(13, 14.5);
    page.lineTo(3, 14.5);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(10, 1.5), QPointF(10, 4.5));
    p.drawLine(QPointF(10, 4.5), QPointF(13, 4.5));
}

void TextLines(QPainter &p, double left, double right, double top, int count)
{
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 0.8));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * 2.2), QPointF(right, top + i * 2.2));
}

void Cross(QPainter &p, const QColor &colour, const QRectF &box, double width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
}

void Plus(QPainter &p, const QColor &colour, const QPointF &centre, double half, double width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre - QPointF(half, 0), centre + QPointF(half, 0));
    p.drawLine(centre - QPointF(0, half), centre + QPointF(0, half));
}

void Folder(QPainter &p, bool open)
{
    p.setPen(QPen(Manila.darker(150), 0.8));
    p.setBrush(Manila.darker(110));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(14.5, 5);
    back.lineTo(14.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(Manila);
    if (open) {
        QPolygonF front;
        front << QPointF(3.5, 7) << QPointF(15.5, 7) << QPointF(13.5, 13.5) << QPointF(1.5, 13.5);
        p.drawPolygon(front);
    } else {
        p.drawRect(QRectF(1.5, 6, 13, 7.5));
    }
}

void Arrow(QPainter &p, bool up)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    QPolygonF arrow;
    if (up)
        arrow << QPointF(8, 2) << QPointF(14, 8) << QPointF(10.5, 8) << QPointF(10.5, 14) << QPointF(5.5, 14)
              << QPointF(5.5, 8) << QPointF(2, 8);
    else
        arrow << QPointF(8, 14) << QPointF(14, 8) << QPointF(10.5, 8) << QPointF(10.5, 2) << QPointF(5.5, 2)
              << QPointF(5.5, 8) << QPointF(2, 8);
    p.drawPolygon(arrow);
}

void Letter(QPainter &p, const QColor &fill, const QString &letter)
{
    p.setPen(QPen(fill.darker(140), 0.8));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, letter);
}

void Magnifier(QPainter &p)
{
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(0xd8, 0xea, 0xfa));
    p.drawEllipse(QRectF(2, 2, 8, 8));
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x2b), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
}

void Draw(QPainter &p, int index)
{
    switch (index) {
    case TPubFrm::imgDocument:
        Page(p);
        TextLines(p, 5, 11, 7, 3);
        break;
    case TPubFrm::imgDelete:
        Cross(p, Red, QRectF(3.5, 3.5, 9, 9), 2.4);
        break;
    case TPubFrm::imgEdit: {
        Page(p);
        TextLines(p, 5, 9, 7, 2);
        p.setPen(QPen(QColor(0xd0, 0x8a, 0x20), 2.2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(8, 13), QPointF(14.5, 6.5));
        break;
    }
    case TPubFrm::imgTree:
        p.setPen(QPen(Ink, 0.8));
        p.drawLine(QPointF(4, 4), QPointF(4, 12));
        p.drawLine(QPointF(4, 8), QPointF(8, 8));
        p.drawLine(QPointF(4, 12), QPointF(8, 12));
        p.setBrush(Manila);
        p.drawRect(QRectF(1.5, 1.5, 5, 3.5));
        p.drawRect(QRectF(8.5, 6.5, 6, 3.5));
        p.drawRect(QRectF(8.5, 10.5, 6, 3.5));
        break;
    case TPubFrm::imgExit:
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(QColor(0xb0, 0x7a, 0x48));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        p.setBrush(Green);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF() << QPointF(15, 8) << QPointF(11, 4.5) << QPointF(11, 11.5));
        p.setPen(QPen(Green, 2));
        p.drawLine(QPointF(7, 8), QPointF(12, 8));
        break;
    case TPubFrm::imgAllArchives:
        // A cabinet of three drawers: every archive.
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(QColor(0x9c, 0xb8, 0xd8));
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(2.5, 5.8 + i * 4.3), QPointF(13.5, 5.8 + i * 4.3));
            p.drawLine(QPointF(6.5, 3.6 + i * 4.3), QPointF(9.5, 3.6 + i * 4.3));
        }
        break;
    case TPubFrm::imgAdd:
        Page(p);
        Plus(p, Green, QPointF(8, 9), 3.5, 2.2);
        break;
    case TPubFrm::imgFind:
        Magnifier(p);
        break;
    case TPubFrm::imgPrint:
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xa0, 0xa0, 0xa0));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
        p.setBrush(Paper);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case TPubFrm::imgSave:
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Blue);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Paper);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.drawRect(QRectF(4, 9.5, 8, 5));
        break;
    case TPubFrm::imgUp:
    case TPubFrm::imgDown:
        Arrow(p, index == TPubFrm::imgUp);
        break;
    case TPubFrm::imgPerson:
        p.setPen(QPen(Blue.darker(130), 0.8));
        p.setBrush(QColor(0xf2, 0xc9, 0xa0));
        p.drawEllipse(QRectF(5, 1.5, 6, 6));
        p.setBrush(Blue);
        p.drawChord(QRectF(2, 8, 12, 13), 0, 180 * 16);
        break;
    case TPubFrm::imgKey:
        p.setPen(QPen(QColor(0xa8, 0x80, 0x10), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 4.5, 6, 6));
        p.drawLine(QPointF(7.5, 7.5), QPointF(14.5, 7.5));
        p.drawLine(QPointF(12, 7.5), QPointF(12, 11));
        p.drawLine(QPointF(14.5, 7.5), QPointF(14.5, 10));
        break;
    case TPubFrm::imgCalendar:
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(1.5, 2.5, 13, 12));
        p.setBrush(Red);
        p.drawRect(QRectF(1.5, 2.5, 13, 3.5));
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 4; ++column)
                p.drawRect(QRectF(3 + column * 3, 7.5 + row * 2.3, 1.5, 1.3));
        break;
    case TPubFrm::imgHelp:
        Letter(p, Blue, QStringLiteral("?"));
        break;
    case TPubFrm::imgRefresh: {
        p.setPen(QPen(Green, 2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        p.drawPolygon(QPolygonF() << QPointF(9, 0.5) << QPointF(13.5, 3.5) << QPointF(9, 6.5));
        break;
    }
    case TPubFrm::imgOk:
        p.setPen(QPen(Green, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF() << QPointF(2.5, 8.5) << QPointF(6.5, 12.5) << QPointF(13.5, 3.5));
        break;
    case TPubFrm::imgCancel:
        p.setPen(QPen(Red, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        Cross(p, Red, QRectF(5, 5, 6, 6), 1.8);
        break;
    case TPubFrm::imgSheet:
        p.setPen(QPen(Green.darker(120), 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Green);
        p.drawRect(QRectF(1.5, 1.5, 13, 3));
        for (int i = 1; i < 4; ++i)
            p.drawLine(QPointF(1.5, 4.5 + i * 2.5), QPointF(14.5, 4.5 + i * 2.5));
        p.drawLine(QPointF(6, 4.5), QPointF(6, 14.5));
        break;
    case TPubFrm::imgWeb:
        p.setPen(QPen(Blue, 0.9));
        p.setBrush(QColor(0xd8, 0xea, 0xfa));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        break;
    case TPubFrm::imgMail:
        p.setPen(QPen(Ink, 0.8));
        p.setBrush(Paper);
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        p.drawPolyline(QPolygonF() << QPointF(1.5, 3.5) << QPointF(8, 9) << QPointF(14.5, 3.5));
        break;
    case TPubFrm::imgInfo:
        Letter(p, Green, QStringLiteral("i"));
        break;
    case TPubFrm::imgFolder:
    case TPubFrm::imgFolderOpen:
        Folder(p, index == TPubFrm::imgFolderOpen);
        break;
    case TPubFrm::imgCataSettings:
        Folder(p, false);
        p.setPen(QPen(Blue, 1.6));
        p.setBrush(Paper);
        p.drawEllipse(QRectF(8.5, 8.5, 6, 6));
        Plus(p, Blue, QPointF(11.5, 11.5), 4.2, 1.4);
        break;
    default:
        break;
    }
}
} // namespace

TPubFrm::TPubFrm(QObject *owner) : QObject(owner)
{
    setObjectName(QStringLiteral("PubFrm"));
    for (int i = 0; i < ImageCount; ++i)
        m_images.append(QIcon(DrawImage(i, ImageSize)));
    PubFrm = this;
}

TPubFrm::~TPubFrm()
{
    if (PubFrm == this)
        PubFrm = nullptr;
}

QIcon TPubFrm::ImageAt(int index) const
{
    return index >= 0 && index < m_images.size() ? m_images.at(index) : QIcon();
}

QPixmap TPubFrm::DrawImage(int index, int size)
{
    if (index < 0 || index >= ImageCount || size <= 0)
        return {};
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(ImageSize), size / double(ImageSize));
    Draw(painter, index);
    return picture;
}
