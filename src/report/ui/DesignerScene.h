#pragma once
// The designer's canvas: the page as paper with its bands stacked as strips, each strip with
// a caption bar above it, and the band's objects on the strip. Scene units are millimetres, the
// model's own unit, so an item's position is the object's place in its band as it is stored.
//
// Items never change the model themselves: a finished drag, resize or band stretch is reported
// by the scene, and the designer turns it into an undoable change and rebuilds the items.

#include "ReportModel.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>

#include <functional>

namespace Report {

// Height of the caption bar drawn above each band strip; a whole number of grid steps, so that
// an object moved to another band keeps its place on the grid.
constexpr qreal BandCaptionMM = 5;

class DesignScene : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit DesignScene(QObject *parent = nullptr);

    qreal Grid() const { return m_grid; }
    qreal Snap(qreal mm) const;
    QPointF Snap(const QPointF &mm) const;
    // Screen pixels per millimetre at the current zoom, so that handles keep their size.
    qreal PixelsPerMM() const { return m_pixelsPerMM; }
    void SetPixelsPerMM(qreal pixels) { m_pixelsPerMM = pixels; }
    qreal HandleMM() const { return 6 / m_pixelsPerMM; }

signals:
    // The selected objects were dragged and let go; their items' positions say where.
    void ObjectsDragged();
    void ObjectResized(Report::Object *object, const QRectF &rect);
    void BandResized(Report::Band *band, qreal height);

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;

private:
    qreal m_grid = 1.0;
    qreal m_pixelsPerMM = 96 / 25.4;
};

class PageItem : public QGraphicsRectItem
{
public:
    enum { Type = UserType + 1 };
    // `paper` is the printed sheet, stretched when the bands need more room than it has.
    PageItem(const QRectF &paper, const QRectF &content);
    int type() const override { return Type; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QRectF m_content;
};

class BandItem : public QGraphicsItem
{
public:
    enum { Type = UserType + 2 };
    // Local origin: the band's top-left corner, where its objects are measured from; the caption
    // sits above it.
    BandItem(Band *band, qreal width, const QString &caption, QGraphicsItem *parent);
    int type() const override { return Type; }
    Band *GetBand() const { return m_band; }
    qreal Width() const { return m_width; }
    // The strip itself, without the caption, in scene coordinates.
    QRectF StripSceneRect() const;

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void hoverMoveEvent(QGraphicsSceneHoverEvent *event) override;

private:
    bool OnBottomEdge(const QPointF &local) const;
    DesignScene *Scene() const;

    Band *m_band;
    qreal m_width;
    qreal m_height;
    QString m_caption;
    bool m_stretching = false;
};

class ObjectItem : public QGraphicsItem
{
public:
    enum { Type = UserType + 3 };
    ObjectItem(Object *object, BandItem *band);
    int type() const override { return Type; }
    Object *GetObject() const { return m_object; }
    BandItem *Owner() const { return static_cast<BandItem *>(parentItem()); }
    // The rectangle the item shows now, in its band's coordinates (differs from the object's
    // while it is being dragged or resized).
    QRectF CurrentRect() const { return QRectF(pos(), m_size); }

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void hoverMoveEvent(QGraphicsSceneHoverEvent *event) override;

private:
    // Handles are numbered 0..7 clockwise from the top-left corner; -1 is none.
    int HandleAt(const QPointF &local) const;
    QRectF HandleRect(int handle) const;
    DesignScene *Scene() const;

    Object *m_object;
    QSizeF m_size;
    int m_resizing = -1;
    QRectF m_startRect;
};

// The view adds what the items cannot do: placing a new object with a click, keys that act on
// the selection, and fields dropped from the data tree.
class DesignView : public QGraphicsView
{
    Q_OBJECT
public:
    explicit DesignView(DesignScene *scene, QWidget *parent = nullptr);

    // Answers true when the click placed something and must not reach the items.
    std::function<bool(const QPointF &scenePos)> onPlace;
    // Answers true when the key was used.
    std::function<bool(QKeyEvent *event)> onKey;
    // A field dragged over the canvas: `drop` false asks whether it may land there.
    std::function<bool(const QString &expression, const QPointF &scenePos, bool drop)> onField;

    // The band strip under a scene point, or nullptr.
    BandItem *BandAt(const QPointF &scenePos) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool AcceptField(QDropEvent *event, bool drop);
};

// The mime type of a field dragged from the data tree; the payload is the expression text.
QString FieldMimeType();

} // namespace Report
