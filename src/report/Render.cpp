#include "Render.h"

#include "Barcode.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <numeric>

namespace Report {

namespace {

int TextFlags(const Object &object)
{
    int flags = int(object.alignment);
    if (object.wordWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

QRectF Scaled(const QRectF &rect)
{
    return QRectF(rect.x() * DrawUnitsPerMM, rect.y() * DrawUnitsPerMM, rect.width() * DrawUnitsPerMM,
                  rect.height() * DrawUnitsPerMM);
}

QPen PenFor(const Object &object)
{
    QPen pen(object.color);
    pen.setWidthF(std::max<qreal>(object.lineWidth, 0.01) * DrawUnitsPerMM);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void PaintFrame(QPainter &painter, const Object &object, const QRectF &r)
{
    if (object.frame == FrameNone)
        return;
    painter.setPen(PenFor(object));
    if (object.frame & FrameLeft)
        painter.drawLine(r.topLeft(), r.bottomLeft());
    if (object.frame & FrameTop)
        painter.drawLine(r.topLeft(), r.topRight());
    if (object.frame & FrameRight)
        painter.drawLine(r.topRight(), r.bottomRight());
    if (object.frame & FrameBottom)
        painter.drawLine(r.bottomLeft(), r.bottomRight());
}

void PaintText(QPainter &painter, const Object &object, const QString &text, const QRectF &r)
{
    if (text.isEmpty())
        return;
    painter.setFont(DrawFont(object.font));
    painter.setPen(object.color);
    const QRectF inner = r.adjusted(TextPaddingX * DrawUnitsPerMM, TextPaddingY * DrawUnitsPerMM,
                                    -TextPaddingX * DrawUnitsPerMM, -TextPaddingY * DrawUnitsPerMM);
    painter.drawText(inner, TextFlags(object), text);
}

void PaintPicture(QPainter &painter, const Object &object, const QRectF &r)
{
    QImage image;
    if (object.image.isEmpty() || !image.loadFromData(object.image))
        return;
    QRectF target = r;
    if (object.keepAspect && image.width() > 0 && image.height() > 0) {
        const QSizeF fitted = QSizeF(image.size()).scaled(r.size(), Qt::KeepAspectRatio);
        target = QRectF(QPointF(r.center().x() - fitted.width() / 2, r.center().y() - fitted.height() / 2),
                        fitted);
    }
    painter.drawImage(target, image);
}

void PaintBarcode(QPainter &painter, const Object &object, const QRectF &r)
{
    const std::vector<int> widths = Code128Widths(object.text);
    if (widths.empty()) {
        // Something the symbology cannot hold: say so where the bars would be.
        Object note = object;
        note.color = Qt::red;
        note.wordWrap = true;
        PaintText(painter, note, QStringLiteral("Code 128: %1").arg(object.text), r);
        return;
    }
    qreal barsHeight = r.height();
    QRectF textRect;
    if (object.showText) {
        const qreal textHeight = QFontMetricsF(DrawFont(object.font)).height();
        barsHeight = std::max<qreal>(r.height() - textHeight, r.height() / 2);
        textRect = QRectF(r.left(), r.top() + barsHeight, r.width(), r.height() - barsHeight);
    }
    const int modules = std::accumulate(widths.begin(), widths.end(), 0);
    const qreal module = r.width() / modules;
    qreal x = r.left();
    for (size_t i = 0; i < widths.size(); ++i) {
        const qreal w = widths[i] * module;
        if (i % 2 == 0)
            painter.fillRect(QRectF(x, r.top(), w, barsHeight), object.color);
        x += w;
    }
    if (object.showText) {
        painter.setFont(DrawFont(object.font));
        painter.setPen(object.color);
        painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, object.text);
    }
}

} // namespace

QFont DrawFont(const Font &font)
{
    QFont qfont(font.family);
    qfont.setPixelSize(std::max(1, qRound(font.size * 25.4 / 72 * DrawUnitsPerMM)));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    // Hinting would make text widths depend on the device, and a line that fits on screen
    // could wrap on paper.
    qfont.setHintingPreference(QFont::PreferNoHinting);
    return qfont;
}

qreal TextHeight(const Object &object, const QString &text)
{
    const QFontMetricsF metrics(DrawFont(object.font));
    const qreal width = std::max<qreal>(object.rect.width() - 2 * TextPaddingX, 0.1) * DrawUnitsPerMM;
    const QString measured = text.isEmpty() ? QStringLiteral(" ") : text;
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, width, 1e9), TextFlags(object), measured);
    return bounds.height() / DrawUnitsPerMM + 2 * TextPaddingY;
}

void PaintObject(QPainter &painter, const Object &object)
{
    painter.save();
    painter.scale(1 / DrawUnitsPerMM, 1 / DrawUnitsPerMM);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QRectF r = Scaled(object.rect);
    switch (object.kind) {
    case ObjectKind::Text:
        if (object.fill.isValid())
            painter.fillRect(r, object.fill);
        painter.save();
        painter.setClipRect(r.adjusted(-1, -1, 1, 1));
        PaintText(painter, object, object.text, r);
        painter.restore();
        PaintFrame(painter, object, r);
        break;
    case ObjectKind::Line:
        painter.setPen(PenFor(object));
        painter.drawLine(r.topLeft(), r.bottomRight());
        break;
    case ObjectKind::Rect:
        painter.setPen(object.lineWidth > 0 ? PenFor(object) : QPen(Qt::NoPen));
        painter.setBrush(object.fill.isValid() ? QBrush(object.fill) : QBrush(Qt::NoBrush));
        painter.drawRect(r);
        break;
    case ObjectKind::Picture:
        if (object.fill.isValid())
            painter.fillRect(r, object.fill);
        PaintPicture(painter, object, r);
        PaintFrame(painter, object, r);
        break;
    case ObjectKind::Barcode:
        if (object.fill.isValid())
            painter.fillRect(r, object.fill);
        // Bars must stay crisp for scanners.
        painter.setRenderHint(QPainter::Antialiasing, false);
        PaintBarcode(painter, object, r);
        PaintFrame(painter, object, r);
        break;
    }
    painter.restore();
}

QPageLayout PageLayoutFor(const QSizeF &sizeMM)
{
    return QPageLayout(QPageSize(sizeMM, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace Report
