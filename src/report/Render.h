#pragma once
// Drawing of template objects. The painter's coordinates are millimetres; the engine sets that
// up for pages, the designer for its canvas. An object is drawn with its own `text`, so the
// engine passes objects whose text is already evaluated and the designer the raw template text.

#include "ReportModel.h"

#include <QFont>
#include <QPageLayout>
#include <QSizeF>

class QPainter;

namespace Report {

// Inner gap between a text object's border and its text.
constexpr qreal TextPaddingX = 0.5;
constexpr qreal TextPaddingY = 0.3;

void PaintObject(QPainter &painter, const Object &object);
// The height a text object needs to show `text` at its width (word wrap as the object says),
// padding included.
qreal TextHeight(const Object &object, const QString &text);

// Internal drawing happens in hundredths of a millimetre so that font sizes, which Qt takes
// as whole pixels, keep their precision whatever the device.
constexpr qreal DrawUnitsPerMM = 100;
QFont DrawFont(const Font &font);

// A page of that size in millimetres, portrait, without margins: printing and PDF draw the
// whole sheet.
QPageLayout PageLayoutFor(const QSizeF &sizeMM);

} // namespace Report
