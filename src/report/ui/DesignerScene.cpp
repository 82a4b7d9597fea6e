#include "DesignerScene.h"

#include "Render.h"

#include <QDragEnterEvent>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <cmath>

namespace Report {

QString FieldMimeType()
{
    return QStringLiteral("application/x-pzarc-report-field");
}

// ---- scene ----

DesignScene::DesignScene(QObject *parent) : QGraphicsScene(parent) {}

qreal DesignScene::Snap(qreal mm) const
{
    return std::round(mm / m_grid) * m_grid;
}

QPointF DesignScene::Snap(const QPointF &mm) const
{
    return QPointF(Snap(mm.x()), Snap(mm.y()));
}

void DesignScene::drawBackground(QPainter *painter, const QRectF &rect)
{
    painter->fillRect(rect, QColor(0x80, 0x80, 0x80));
}

// ---- page ----

PageItem::PageItem(const QRectF &paper, const QRectF &content) : QGraphicsRectItem(paper), m_content(content)
{
    setZValue(-1);
}

void PageItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QRectF paper = rect();
    painter->fillRect(paper.translated(1.5, 1.5), QColor(0x50, 0x50, 0x50));
    painter->fillRect(paper, Qt::white);

    // Dots every fifth grid step: denser would turn the paper grey at normal zoom.
    auto *designScene = static_cast<DesignScene *>(scene());
    const qreal step = designScene ? designScene->Grid() * 5 : 5;
    QPen dot(QColor(0xb0, 0xb0, 0xb0));
    dot.setWidthF(0.3);
    dot.setCapStyle(Qt::RoundCap);
    painter->setPen(dot);
    for (qreal y = m_content.top(); y <= m_content.bottom() + 1e-6; y += step)
        for (qreal x = m_content.left(); x <= m_content.right() + 1e-6; x += step)
            painter->drawPoint(QPointF(x, y));

    QPen margin(QColor(0xa0, 0xa0, 0xc0), 0);
    margin.setStyle(Qt::DashLine);
    painter->setPen(margin);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(m_content);
}

// ---- band ----

BandItem::BandItem(Band *band, qreal width, const QString &caption, QGraphicsItem *parent)
    : QGraphicsItem(parent), m_band(band), m_width(width), m_height(band->height), m_caption(caption)
{
    setFlag(ItemIsSelectable);
    setAcceptHoverEvents(true);
}

DesignScene *BandItem::Scene() const
{
    return static_cast<DesignScene *>(scene());
}

QRectF BandItem::StripSceneRect() const
{
    return mapRectToScene(QRectF(0, 0, m_width, m_height));
}

QRectF BandItem::boundingRect() const
{
    // Reaches a little below the strip, so that its lower edge can be caught from either side.
    const qreal reach = Scene() ? Scene()->HandleMM() / 2 : 1;
    return QRectF(0, -BandCaptionMM, m_width, BandCaptionMM + m_height + reach);
}

void BandItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const bool selected = isSelected();
    const QRectF caption(0, -BandCaptionMM, m_width, BandCaptionMM);
    painter->fillRect(caption, selected ? QColor(0x9c, 0xc3, 0xe6) : QColor(0xe4, 0xe8, 0xee));
    painter->fillRect(QRectF(0, 0, m_width, m_height), QColor(0xf6, 0xf8, 0xfb));

    painter->save();
    // Fonts take whole pixels; draw the caption in tenths of a millimetre to keep its size.
    painter->scale(0.1, 0.1);
    QFont font = painter->font();
    font.setPixelSize(28);
    painter->setFont(font);
    painter->setPen(QColor(0x30, 0x30, 0x40));
    painter->drawText(QRectF(15, -BandCaptionMM * 10, m_width * 10 - 30, BandCaptionMM * 10),
                      Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    painter->restore();

    QPen edge(selected ? QColor(0x2a, 0x6f, 0xc9) : QColor(0xa8, 0xb0, 0xbc), 0);
    painter->setPen(edge);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(0, -BandCaptionMM, m_width, BandCaptionMM + m_height));
}

bool BandItem::OnBottomEdge(const QPointF &local) const
{
    const qreal reach = Scene() ? Scene()->HandleMM() / 2 : 1;
    return std::abs(local.y() - m_height) <= reach;
}

void BandItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && OnBottomEdge(event->pos())) {
        m_stretching = true;
        event->accept();
        return;
    }
    QGraphicsItem::mousePressEvent(event);
}

void BandItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_stretching) {
        QGraphicsItem::mouseMoveEvent(event);
        return;
    }
    const qreal grid = Scene()->Grid();
    const qreal height = std::max(grid, Scene()->Snap(event->pos().y()));
    if (height != m_height) {
        prepareGeometryChange();
        m_height = height;
    }
}

void BandItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_stretching) {
        QGraphicsItem::mouseReleaseEvent(event);
        return;
    }
    m_stretching = false;
    if (m_height != m_band->height)
        emit Scene()->BandResized(m_band, m_height);
}

void BandItem::hoverMoveEvent(QGraphicsSceneHoverEvent *event)
{
    if (OnBottomEdge(event->pos()))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

// ---- object ----

ObjectItem::ObjectItem(Object *object, BandItem *band)
    : QGraphicsItem(band), m_object(object), m_size(object->rect.size())
{
    setFlags(ItemIsSelectable | ItemIsMovable | ItemSendsGeometryChanges);
    setAcceptHoverEvents(true);
    setPos(object->rect.topLeft());
}

DesignScene *ObjectItem::Scene() const
{
    return static_cast<DesignScene *>(scene());
}

QRectF ObjectItem::boundingRect() const
{
    const qreal margin = Scene() ? Scene()->HandleMM() : 1.5;
    return QRectF(QPointF(0, 0), m_size).adjusted(-margin, -margin, margin, margin);
}

QPainterPath ObjectItem::shape() const
{
    // A line has no area of its own: give it a grip as wide as a handle.
    const qreal grip = m_object->kind == ObjectKind::Line && Scene() ? Scene()->HandleMM() / 2 : 0;
    QPainterPath path;
    path.addRect(QRectF(QPointF(0, 0), m_size).adjusted(-grip, -grip, grip, grip));
    if (isSelected())
        for (int handle = 0; handle < 8; ++handle)
            path.addRect(HandleRect(handle));
    return path;
}

void ObjectItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    Object shown = *m_object;
    shown.rect = QRectF(QPointF(0, 0), m_size);
    PaintObject(*painter, shown);

    if (m_object->kind != ObjectKind::Line && m_object->kind != ObjectKind::Rect) {
        // Objects without a frame would be invisible while empty.
        QPen outline(QColor(0x90, 0x90, 0x90), 0);
        outline.setStyle(Qt::DotLine);
        painter->setPen(outline);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(shown.rect);
    }
    if (isSelected()) {
        painter->setPen(QPen(QColor(0x1a, 0x5f, 0xb4), 0));
        painter->setBrush(QColor(0x1a, 0x5f, 0xb4));
        for (int handle = 0; handle < 8; ++handle)
            painter->drawRect(HandleRect(handle));
    }
}

QRectF ObjectItem::HandleRect(int handle) const
{
    const qreal size = Scene() ? Scene()->HandleMM() : 1.5;
    const qreal w = m_size.width(), h = m_size.height();
    static const qreal fx[8] = {0, 0.5, 1, 1, 1, 0.5, 0, 0};
    static const qreal fy[8] = {0, 0, 0, 0.5, 1, 1, 1, 0.5};
    const QPointF centre(fx[handle] * w, fy[handle] * h);
    return QRectF(centre.x() - size / 2, centre.y() - size / 2, size, size);
}

int ObjectItem::HandleAt(const QPointF &local) const
{
    if (!isSelected())
        return -1;
    for (int handle = 0; handle < 8; ++handle)
        if (HandleRect(handle).contains(local))
            return handle;
    return -1;
}

QVariant ObjectItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemPositionChange && Scene() != nullptr)
        return Scene()->Snap(value.toPointF());
    return QGraphicsItem::itemChange(change, value);
}

void ObjectItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    const int handle = event->button() == Qt::LeftButton ? HandleAt(event->pos()) : -1;
    if (handle >= 0) {
        m_resizing = handle;
        m_startRect = CurrentRect();
        event->accept();
        return;
    }
    QGraphicsItem::mousePressEvent(event);
}

void ObjectItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_resizing < 0) {
        QGraphicsItem::mouseMoveEvent(event);
        return;
    }
    const QPointF p = Scene()->Snap(mapToParent(event->pos()));
    const qreal least = m_object->kind == ObjectKind::Line ? 0 : Scene()->Grid();
    qreal left = m_startRect.left(), top = m_startRect.top();
    qreal right = m_startRect.right(), bottom = m_startRect.bottom();
    const int h = m_resizing;
    if (h == 0 || h == 6 || h == 7)
        left = std::min(p.x(), right - least);
    if (h == 2 || h == 3 || h == 4)
        right = std::max(p.x(), left + least);
    if (h == 0 || h == 1 || h == 2)
        top = std::min(p.y(), bottom - least);
    if (h == 4 || h == 5 || h == 6)
        bottom = std::max(p.y(), top + least);
    prepareGeometryChange();
    m_size = QSizeF(right - left, bottom - top);
    setPos(left, top);
    update();
}

void ObjectItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_resizing >= 0) {
        m_resizing = -1;
        if (CurrentRect() != m_object->rect)
            emit Scene()->ObjectResized(m_object, CurrentRect());
        return;
    }
    QGraphicsItem::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && pos() != m_object->rect.topLeft())
        emit Scene()->ObjectsDragged();
}

void ObjectItem::hoverMoveEvent(QGraphicsSceneHoverEvent *event)
{
    switch (HandleAt(event->pos())) {
    case 0:
    case 4:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case 2:
    case 6:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case 1:
    case 5:
        setCursor(Qt::SizeVerCursor);
        break;
    case 3:
    case 7:
        setCursor(Qt::SizeHorCursor);
        break;
    default:
        setCursor(Qt::SizeAllCursor);
        break;
    }
}

// ---- view ----

DesignView::DesignView(DesignScene *scene, QWidget *parent) : QGraphicsView(scene, parent)
{
    setAcceptDrops(true);
    setDragMode(RubberBandDrag);
    setRubberBandSelectionMode(Qt::ContainsItemShape);
    setRenderHint(QPainter::Antialiasing);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

BandItem *DesignView::BandAt(const QPointF &scenePos) const
{
    for (QGraphicsItem *item : scene()->items(scenePos))
        if (item->type() == BandItem::Type) {
            auto *band = static_cast<BandItem *>(item);
            if (band->StripSceneRect().contains(scenePos))
                return band;
        }
    return nullptr;
}

void DesignView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && onPlace && onPlace(mapToScene(event->position().toPoint()))) {
        event->accept();
        return;
    }
    QGraphicsView::mousePressEvent(event);
}

void DesignView::keyPressEvent(QKeyEvent *event)
{
    if (onKey && onKey(event)) {
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

bool DesignView::AcceptField(QDropEvent *event, bool drop)
{
    const QMimeData *mime = event->mimeData();
    if (mime == nullptr || !mime->hasFormat(FieldMimeType()) || !onField)
        return false;
    const QString expression = QString::fromUtf8(mime->data(FieldMimeType()));
    return onField(expression, mapToScene(event->position().toPoint()), drop);
}

void DesignView::dragEnterEvent(QDragEnterEvent *event)
{
    // Taken whatever the point: the verdict per point comes with each move.
    if (event->mimeData() != nullptr && event->mimeData()->hasFormat(FieldMimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignView::dragMoveEvent(QDragMoveEvent *event)
{
    if (AcceptField(event, false))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignView::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
}

void DesignView::dropEvent(QDropEvent *event)
{
    if (AcceptField(event, true))
        event->acceptProposedAction();
    else
        event->ignore();
}

} // namespace Report
