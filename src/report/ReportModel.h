#pragma once
// The template model: a document of pages, each page a list of bands, each band a list of
// objects with plain properties. The designer edits these objects in place and the engine lays
// them out; both read and write the same XML (share/reports/FORMAT.md).
//
// Lengths are millimetres, font sizes points. Object positions are relative to the top-left
// corner of their band; bands are stacked by the layout, so a band has a height but no position.

#include <QByteArray>
#include <QColor>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace Report {

enum class BandKind {
    ReportTitle,   // once, at the top of the first page
    PageHeader,    // at the top of every page
    ColumnHeader,  // below the page header on every page that shows data
    GroupHeader,   // when its condition changes value; see Page::bands for grouping
    MasterData,    // once per row of its data set
    GroupFooter,   // closes the group opened by the matching header
    ColumnFooter,  // after the data of every page
    ReportSummary, // once, after all data
    PageFooter,    // at the bottom of every page
};
// The names used in the XML ("ReportTitle", "MasterData", ...).
QString BandKindName(BandKind kind);
std::optional<BandKind> BandKindFromName(const QString &name);

enum class ObjectKind { Text, Line, Rect, Picture, Barcode };
// The XML element names: "text", "line", "rect", "picture", "barcode".
QString ObjectKindName(ObjectKind kind);
std::optional<ObjectKind> ObjectKindFromName(const QString &name);

enum FrameSide { FrameNone = 0, FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

struct Font
{
    QString family = QStringLiteral("Sans Serif");
    qreal size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const Font &) const = default;
};

// One object of a band. Which properties matter depends on the kind; the others keep their
// defaults and are not saved.
struct Object
{
    ObjectKind kind = ObjectKind::Text;
    // Unique within the document; error messages about the object name it.
    QString name;
    // Within the band. A line runs from the top-left to the bottom-right corner of its rect, so
    // a horizontal line has height 0.
    QRectF rect{0, 0, 40, 6};

    // Text and barcode: the content. Text between square brackets is an expression
    // ("Code: [d0.Code]"); "[[" and "]]" stand for literal brackets.
    QString text;
    Font font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = false;
    // How values of expressions are shown: dates as "yyyy-mm-dd hh:nn:ss" patterns, numbers as
    // "#,##0.00" patterns. Empty: dates "yyyy-mm-dd" (with the time when there is one).
    QString format;

    int frame = FrameNone;    // FrameSide flags
    qreal lineWidth = 0.2;    // of the frame, of a line, of a rectangle's border
    QColor color = Qt::black; // text, frame, line and bars
    QColor fill;              // background; invalid = transparent

    // Picture: the image file's bytes (PNG or JPEG), stored base64 in the XML.
    QByteArray image;
    bool keepAspect = true;

    // Barcode: the symbology ("Code128" is the one drawn) and whether the text is printed
    // under the bars.
    QString barcodeType = QStringLiteral("Code128");
    bool showText = true;

    bool operator==(const Object &) const = default;
};

class Band
{
public:
    explicit Band(BandKind kind = BandKind::MasterData) : kind(kind) {}
    std::unique_ptr<Band> Clone() const;

    BandKind kind;
    QString name;
    qreal height = 10;
    // The band grows to fit its word-wrapped text objects (and never shrinks below `height`).
    bool canGrow = false;
    // MasterData: the data set it repeats over ("d0").
    QString dataSet;
    // GroupHeader: the expression whose change of value starts a new group ("d0.Category").
    QString condition;
    // MasterData, GroupHeader, ReportSummary: start on a fresh page (not before the first row).
    bool startNewPage = false;
    // PageHeader, PageFooter: false leaves the first page without it.
    bool printOnFirstPage = true;

    std::vector<std::unique_ptr<Object>> objects;

    // Appends an object of the kind with a document-unique name chosen by the caller.
    Object *AddObject(ObjectKind objectKind, const QString &objectName);
    // Removes and frees the object; false when it is not in this band.
    bool RemoveObject(const Object *object);
};

enum class Orientation { Portrait, Landscape };

class Page
{
public:
    std::unique_ptr<Page> Clone() const;

    QString name;
    // The paper as it is held in portrait (A4: 210 x 297); the orientation turns it.
    QSizeF paperSize{210, 297};
    Orientation orientation = Orientation::Portrait;
    QMarginsF margins{10, 10, 10, 10};

    // The bands in design order. Kinds that appear once per page (title, headers, footers,
    // summary) may sit anywhere in the list. A MasterData band owns the GroupHeader bands
    // directly before it (outermost first) and the GroupFooter bands directly after it
    // (innermost first). Several MasterData bands print one after the other.
    std::vector<std::unique_ptr<Band>> bands;

    // The paper as printed (width and height swapped in landscape).
    QSizeF PrintedSize() const;
    // The printable area within the printed paper.
    QRectF ContentRect() const;

    Band *AddBand(BandKind kind, const QString &bandName);
    // Inserts a band at a position in the list (clamped), e.g. a group header before its data.
    Band *InsertBand(int index, BandKind kind, const QString &bandName);
    bool RemoveBand(const Band *band);
    // The first band of the kind, or nullptr.
    Band *FindBand(BandKind kind) const;
};

class Document
{
public:
    Document(); // an empty report: one A4 portrait page without bands
    ~Document();
    std::unique_ptr<Document> Clone() const;

    // Back to the empty report.
    void Clear();
    // Replaces the document with the one in the bytes. Bytes that are empty, truncated or not
    // a template leave the empty report and answer false with a message in `error`.
    bool LoadFromXml(const QByteArray &bytes, QString *error = nullptr);
    // The XML of the document; properties at their defaults are left out.
    QByteArray SaveToXml() const;

    // Shown by the designer; kept in the file.
    QString name;
    // Script text run once before the report is laid out: functions it defines may be called
    // from expressions.
    QString script;
    std::vector<std::unique_ptr<Page>> pages;

    Page *AddPage(const QString &pageName);
    bool RemovePage(const Page *page);

    // Name look-ups across all pages; nullptr when there is none.
    Object *FindObject(const QString &objectName) const;
    Band *FindBand(const QString &bandName) const;
    // The band and page that hold an object (nullptr when it is not in this document).
    Band *BandOf(const Object *object) const;
    Page *PageOf(const Band *band) const;
    // "Text1", "Text2", ...: the first name with the prefix that no page, band or object uses.
    QString UniqueName(const QString &prefix) const;
};

// The paper names the format knows ("A4", "A3", "A5", "B5", "Letter", "Legal"), with their
// portrait sizes in millimetres.
QStringList PaperNames();
std::optional<QSizeF> PaperSizeByName(const QString &paperName);
// The name of a portrait size, or an empty text for a custom size.
QString PaperNameOf(const QSizeF &portraitSize);

} // namespace Report
