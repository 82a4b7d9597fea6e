#include "ReportModel.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <array>
#include <set>

namespace Report {

namespace {

const char *const RootElement = "pzreport";
const int FormatVersion = 1;

struct BandKindEntry
{
    BandKind kind;
    const char *name;
};
const std::array<BandKindEntry, 9> BandKinds{{
    {BandKind::ReportTitle, "ReportTitle"},
    {BandKind::PageHeader, "PageHeader"},
    {BandKind::ColumnHeader, "ColumnHeader"},
    {BandKind::GroupHeader, "GroupHeader"},
    {BandKind::MasterData, "MasterData"},
    {BandKind::GroupFooter, "GroupFooter"},
    {BandKind::ColumnFooter, "ColumnFooter"},
    {BandKind::ReportSummary, "ReportSummary"},
    {BandKind::PageFooter, "PageFooter"},
}};

struct ObjectKindEntry
{
    ObjectKind kind;
    const char *name;
};
const std::array<ObjectKindEntry, 5> ObjectKinds{{
    {ObjectKind::Text, "text"},
    {ObjectKind::Line, "line"},
    {ObjectKind::Rect, "rect"},
    {ObjectKind::Picture, "picture"},
    {ObjectKind::Barcode, "barcode"},
}};

struct PaperEntry
{
    const char *name;
    qreal width;
    qreal height;
};
const std::array<PaperEntry, 6> Papers{{
    {"A4", 210, 297},
    {"A3", 297, 420},
    {"A5", 148, 210},
    {"B5", 176, 250},
    {"Letter", 215.9, 279.4},
    {"Legal", 215.9, 355.6},
}};

// Ten significant digits keep any length a user can type, so a saved file reads back equal.
QString Num(qreal value)
{
    return QString::number(value, 'g', 10);
}

QString AlignName(Qt::Alignment alignment, bool horizontal)
{
    if (horizontal) {
        if (alignment & Qt::AlignHCenter)
            return QStringLiteral("center");
        if (alignment & Qt::AlignRight)
            return QStringLiteral("right");
        if (alignment & Qt::AlignJustify)
            return QStringLiteral("justify");
        return QStringLiteral("left");
    }
    if (alignment & Qt::AlignVCenter)
        return QStringLiteral("center");
    if (alignment & Qt::AlignBottom)
        return QStringLiteral("bottom");
    return QStringLiteral("top");
}

QString FrameText(int frame)
{
    if (frame == FrameAll)
        return QStringLiteral("all");
    QStringList sides;
    if (frame & FrameLeft)
        sides << QStringLiteral("left");
    if (frame & FrameTop)
        sides << QStringLiteral("top");
    if (frame & FrameRight)
        sides << QStringLiteral("right");
    if (frame & FrameBottom)
        sides << QStringLiteral("bottom");
    return sides.join(QLatin1Char(','));
}

QString ColorText(const QColor &color)
{
    return color.alpha() == 255 ? color.name(QColor::HexRgb) : color.name(QColor::HexArgb);
}

// ---- reading ----

// Reads one document; every problem ends the read with a message that names the place.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_xml(bytes) {}

    bool Read(Document &document)
    {
        if (!NextStart())
            return Fail(QStringLiteral("the file is empty or is not XML"));
        if (m_xml.name() != QLatin1String(RootElement))
            return Fail(QStringLiteral("the file is not a report template (its first element is <%1>)")
                            .arg(m_xml.name().toString()));
        const int version = m_xml.attributes().value(QStringLiteral("version")).toInt();
        if (version > FormatVersion)
            return Fail(
                QStringLiteral("the template was written by a newer version (format %1)").arg(version));
        document.name = m_xml.attributes().value(QStringLiteral("name")).toString();
        while (NextStartWithin(QLatin1String(RootElement))) {
            if (m_xml.name() == QLatin1String("script")) {
                document.script = m_xml.readElementText();
            } else if (m_xml.name() == QLatin1String("page")) {
                auto page = std::make_unique<Page>();
                if (!ReadPage(*page))
                    return false;
                document.pages.push_back(std::move(page));
            } else {
                return Unknown();
            }
        }
        if (m_xml.hasError())
            return XmlFailure();
        if (!m_failure.isEmpty())
            return false;
        if (document.pages.empty())
            document.AddPage(QStringLiteral("Page1"));
        return true;
    }

    QString Error() const { return m_failure; }

private:
    bool ReadPage(Page &page)
    {
        page.name = Text(QStringLiteral("name"));
        const QString paper = Text(QStringLiteral("paper"));
        if (!paper.isEmpty()) {
            const auto size = PaperSizeByName(paper);
            if (!size)
                return Fail(QStringLiteral("unknown paper \"%1\"").arg(paper));
            page.paperSize = *size;
        }
        if (!Length(QStringLiteral("width"), page.paperSize.rwidth()) ||
            !Length(QStringLiteral("height"), page.paperSize.rheight()))
            return false;
        if (page.paperSize.width() <= 0 || page.paperSize.height() <= 0)
            return Fail(QStringLiteral("the paper size must be positive"));
        const QString orientation = Text(QStringLiteral("orientation"));
        if (orientation == QLatin1String("landscape"))
            page.orientation = Orientation::Landscape;
        else if (!orientation.isEmpty() && orientation != QLatin1String("portrait"))
            return Fail(QStringLiteral("unknown orientation \"%1\"").arg(orientation));
        qreal left = page.margins.left(), top = page.margins.top(), right = page.margins.right(),
              bottom = page.margins.bottom();
        if (!Length(QStringLiteral("left"), left) || !Length(QStringLiteral("top"), top) ||
            !Length(QStringLiteral("right"), right) || !Length(QStringLiteral("bottom"), bottom))
            return false;
        page.margins = QMarginsF(left, top, right, bottom);
        while (NextStartWithin(QLatin1String("page"))) {
            if (m_xml.name() != QLatin1String("band"))
                return Unknown();
            const QString kindName = Text(QStringLiteral("kind"));
            const auto kind = BandKindFromName(kindName);
            if (!kind)
                return Fail(QStringLiteral("unknown band kind \"%1\"").arg(kindName));
            auto band = std::make_unique<Band>(*kind);
            if (!ReadBand(*band))
                return false;
            page.bands.push_back(std::move(band));
        }
        return m_failure.isEmpty();
    }

    bool ReadBand(Band &band)
    {
        band.name = Text(QStringLiteral("name"));
        band.dataSet = Text(QStringLiteral("dataset"));
        band.condition = Text(QStringLiteral("condition"));
        if (!Length(QStringLiteral("height"), band.height) ||
            !Bool(QStringLiteral("canGrow"), band.canGrow) ||
            !Bool(QStringLiteral("startNewPage"), band.startNewPage) ||
            !Bool(QStringLiteral("printOnFirstPage"), band.printOnFirstPage))
            return false;
        if (band.height < 0)
            return Fail(QStringLiteral("the height of band \"%1\" is negative").arg(band.name));
        while (NextStartWithin(QLatin1String("band"))) {
            const auto kind = ObjectKindFromName(m_xml.name().toString());
            if (!kind)
                return Unknown();
            auto object = std::make_unique<Object>();
            object->kind = *kind;
            if (!ReadObject(*object))
                return false;
            band.objects.push_back(std::move(object));
        }
        return m_failure.isEmpty();
    }

    bool ReadObject(Object &object)
    {
        object.name = Text(QStringLiteral("name"));
        qreal x = object.rect.x(), y = object.rect.y(), w = object.rect.width(), h = object.rect.height();
        if (object.kind == ObjectKind::Line)
            h = 0;
        if (!Length(QStringLiteral("x"), x) || !Length(QStringLiteral("y"), y) ||
            !Length(QStringLiteral("width"), w) || !Length(QStringLiteral("height"), h))
            return false;
        object.rect = QRectF(x, y, w, h);

        if (Has(QStringLiteral("font")))
            object.font.family = Text(QStringLiteral("font"));
        if (!Length(QStringLiteral("size"), object.font.size) ||
            !Bool(QStringLiteral("bold"), object.font.bold) ||
            !Bool(QStringLiteral("italic"), object.font.italic) ||
            !Bool(QStringLiteral("underline"), object.font.underline))
            return false;
        if (object.font.size <= 0)
            return Fail(QStringLiteral("the font size of \"%1\" must be positive").arg(object.name));

        Qt::Alignment horizontal = Qt::AlignLeft, vertical = Qt::AlignTop;
        const QString halign = Text(QStringLiteral("halign"));
        if (halign == QLatin1String("center"))
            horizontal = Qt::AlignHCenter;
        else if (halign == QLatin1String("right"))
            horizontal = Qt::AlignRight;
        else if (halign == QLatin1String("justify"))
            horizontal = Qt::AlignJustify;
        else if (!halign.isEmpty() && halign != QLatin1String("left"))
            return Fail(QStringLiteral("unknown halign \"%1\"").arg(halign));
        const QString valign = Text(QStringLiteral("valign"));
        if (valign == QLatin1String("center"))
            vertical = Qt::AlignVCenter;
        else if (valign == QLatin1String("bottom"))
            vertical = Qt::AlignBottom;
        else if (!valign.isEmpty() && valign != QLatin1String("top"))
            return Fail(QStringLiteral("unknown valign \"%1\"").arg(valign));
        object.alignment = horizontal | vertical;

        if (!Bool(QStringLiteral("wrap"), object.wordWrap))
            return false;
        object.format = Text(QStringLiteral("format"));
        const QString frame = Text(QStringLiteral("frame"));
        object.frame = FrameNone;
        for (const QString &side : frame.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString s = side.trimmed();
            if (s == QLatin1String("all"))
                object.frame |= FrameAll;
            else if (s == QLatin1String("left"))
                object.frame |= FrameLeft;
            else if (s == QLatin1String("top"))
                object.frame |= FrameTop;
            else if (s == QLatin1String("right"))
                object.frame |= FrameRight;
            else if (s == QLatin1String("bottom"))
                object.frame |= FrameBottom;
            else if (s != QLatin1String("none"))
                return Fail(QStringLiteral("unknown frame side \"%1\"").arg(s));
        }
        if (!Length(QStringLiteral("lineWidth"), object.lineWidth) ||
            !Color(QStringLiteral("color"), object.color) || !Color(QStringLiteral("fill"), object.fill) ||
            !Bool(QStringLiteral("keepAspect"), object.keepAspect) ||
            !Bool(QStringLiteral("showText"), object.showText))
            return false;
        if (Has(QStringLiteral("type")))
            object.barcodeType = Text(QStringLiteral("type"));

        const QString content = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (m_xml.hasError())
            return XmlFailure();
        if (object.kind == ObjectKind::Picture) {
            const auto decoded =
                QByteArray::fromBase64Encoding(content.simplified().remove(QLatin1Char(' ')).toLatin1(),
                                               QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                return Fail(QStringLiteral("the image of \"%1\" is not base64").arg(object.name));
            object.image = *decoded;
        } else if (object.kind == ObjectKind::Text || object.kind == ObjectKind::Barcode) {
            object.text = content;
        }
        return true;
    }

    bool Has(const QString &attribute) const { return m_xml.attributes().hasAttribute(attribute); }
    QString Text(const QString &attribute) const { return m_xml.attributes().value(attribute).toString(); }

    bool Length(const QString &attribute, qreal &value)
    {
        if (!Has(attribute))
            return true;
        bool ok = false;
        const qreal read = Text(attribute).toDouble(&ok);
        if (!ok)
            return Fail(QStringLiteral("%1=\"%2\" is not a number").arg(attribute, Text(attribute)));
        value = read;
        return true;
    }

    bool Bool(const QString &attribute, bool &value)
    {
        if (!Has(attribute))
            return true;
        const QString text = Text(attribute);
        if (text == QLatin1String("true") || text == QLatin1String("1"))
            value = true;
        else if (text == QLatin1String("false") || text == QLatin1String("0"))
            value = false;
        else
            return Fail(QStringLiteral("%1=\"%2\" is neither true nor false").arg(attribute, text));
        return true;
    }

    bool Color(const QString &attribute, QColor &value)
    {
        if (!Has(attribute))
            return true;
        const QString text = Text(attribute);
        if (text.isEmpty() || text == QLatin1String("none")) {
            value = QColor();
            return true;
        }
        const QColor read = QColor::fromString(text);
        if (!read.isValid())
            return Fail(QStringLiteral("%1=\"%2\" is not a colour").arg(attribute, text));
        value = read;
        return true;
    }

    bool NextStart()
    {
        while (!m_xml.atEnd()) {
            if (m_xml.readNext() == QXmlStreamReader::StartElement)
                return true;
        }
        return false;
    }

    // The next child element of the open element, or false at its end (or at an error).
    bool NextStartWithin(QLatin1String parent)
    {
        while (!m_xml.atEnd() && m_failure.isEmpty()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::StartElement)
                return true;
            if (token == QXmlStreamReader::EndElement && m_xml.name() == parent)
                return false;
        }
        if (m_xml.hasError())
            XmlFailure();
        else if (m_failure.isEmpty())
            Fail(QStringLiteral("the file ends inside <%1>").arg(parent));
        return false;
    }

    bool Unknown() { return Fail(QStringLiteral("unknown element <%1>").arg(m_xml.name().toString())); }

    bool XmlFailure()
    {
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            return Fail(QStringLiteral("the file is truncated"));
        return Fail(m_xml.errorString());
    }

    bool Fail(const QString &message)
    {
        if (m_failure.isEmpty())
            m_failure = QStringLiteral("%1 (line %2)").arg(message).arg(m_xml.lineNumber());
        return false;
    }

    QXmlStreamReader m_xml;
    QString m_failure;
};

// ---- writing ----

void WriteObject(QXmlStreamWriter &xml, const Object &object)
{
    const Object defaults;
    xml.writeStartElement(ObjectKindName(object.kind));
    if (!object.name.isEmpty())
        xml.writeAttribute(QStringLiteral("name"), object.name);
    xml.writeAttribute(QStringLiteral("x"), Num(object.rect.x()));
    xml.writeAttribute(QStringLiteral("y"), Num(object.rect.y()));
    xml.writeAttribute(QStringLiteral("width"), Num(object.rect.width()));
    xml.writeAttribute(QStringLiteral("height"), Num(object.rect.height()));
    const bool hasText = object.kind == ObjectKind::Text || object.kind == ObjectKind::Barcode;
    if (hasText) {
        if (object.font.family != defaults.font.family)
            xml.writeAttribute(QStringLiteral("font"), object.font.family);
        if (object.font.size != defaults.font.size)
            xml.writeAttribute(QStringLiteral("size"), Num(object.font.size));
        if (object.font.bold)
            xml.writeAttribute(QStringLiteral("bold"), QStringLiteral("true"));
        if (object.font.italic)
            xml.writeAttribute(QStringLiteral("italic"), QStringLiteral("true"));
        if (object.font.underline)
            xml.writeAttribute(QStringLiteral("underline"), QStringLiteral("true"));
        if (AlignName(object.alignment, true) != QLatin1String("left"))
            xml.writeAttribute(QStringLiteral("halign"), AlignName(object.alignment, true));
        if (AlignName(object.alignment, false) != QLatin1String("top"))
            xml.writeAttribute(QStringLiteral("valign"), AlignName(object.alignment, false));
        if (object.wordWrap)
            xml.writeAttribute(QStringLiteral("wrap"), QStringLiteral("true"));
        if (!object.format.isEmpty())
            xml.writeAttribute(QStringLiteral("format"), object.format);
    }
    if (object.frame != FrameNone)
        xml.writeAttribute(QStringLiteral("frame"), FrameText(object.frame));
    if (object.lineWidth != defaults.lineWidth)
        xml.writeAttribute(QStringLiteral("lineWidth"), Num(object.lineWidth));
    if (object.color != defaults.color)
        xml.writeAttribute(QStringLiteral("color"), ColorText(object.color));
    if (object.fill.isValid())
        xml.writeAttribute(QStringLiteral("fill"), ColorText(object.fill));
    if (object.kind == ObjectKind::Picture && !object.keepAspect)
        xml.writeAttribute(QStringLiteral("keepAspect"), QStringLiteral("false"));
    if (object.kind == ObjectKind::Barcode) {
        if (object.barcodeType != defaults.barcodeType)
            xml.writeAttribute(QStringLiteral("type"), object.barcodeType);
        if (!object.showText)
            xml.writeAttribute(QStringLiteral("showText"), QStringLiteral("false"));
    }
    if (hasText && !object.text.isEmpty())
        xml.writeCharacters(object.text);
    if (object.kind == ObjectKind::Picture && !object.image.isEmpty())
        xml.writeCharacters(QString::fromLatin1(object.image.toBase64()));
    xml.writeEndElement();
}

void WriteBand(QXmlStreamWriter &xml, const Band &band)
{
    xml.writeStartElement(QStringLiteral("band"));
    xml.writeAttribute(QStringLiteral("kind"), BandKindName(band.kind));
    if (!band.name.isEmpty())
        xml.writeAttribute(QStringLiteral("name"), band.name);
    xml.writeAttribute(QStringLiteral("height"), Num(band.height));
    if (band.canGrow)
        xml.writeAttribute(QStringLiteral("canGrow"), QStringLiteral("true"));
    if (!band.dataSet.isEmpty())
        xml.writeAttribute(QStringLiteral("dataset"), band.dataSet);
    if (!band.condition.isEmpty())
        xml.writeAttribute(QStringLiteral("condition"), band.condition);
    if (band.startNewPage)
        xml.writeAttribute(QStringLiteral("startNewPage"), QStringLiteral("true"));
    if (!band.printOnFirstPage)
        xml.writeAttribute(QStringLiteral("printOnFirstPage"), QStringLiteral("false"));
    for (const auto &object : band.objects)
        WriteObject(xml, *object);
    xml.writeEndElement();
}

void WritePage(QXmlStreamWriter &xml, const Page &page)
{
    const Page defaults;
    xml.writeStartElement(QStringLiteral("page"));
    if (!page.name.isEmpty())
        xml.writeAttribute(QStringLiteral("name"), page.name);
    const QString paper = PaperNameOf(page.paperSize);
    if (!paper.isEmpty()) {
        xml.writeAttribute(QStringLiteral("paper"), paper);
    } else {
        xml.writeAttribute(QStringLiteral("width"), Num(page.paperSize.width()));
        xml.writeAttribute(QStringLiteral("height"), Num(page.paperSize.height()));
    }
    if (page.orientation == Orientation::Landscape)
        xml.writeAttribute(QStringLiteral("orientation"), QStringLiteral("landscape"));
    if (page.margins != defaults.margins) {
        xml.writeAttribute(QStringLiteral("left"), Num(page.margins.left()));
        xml.writeAttribute(QStringLiteral("top"), Num(page.margins.top()));
        xml.writeAttribute(QStringLiteral("right"), Num(page.margins.right()));
        xml.writeAttribute(QStringLiteral("bottom"), Num(page.margins.bottom()));
    }
    for (const auto &band : page.bands)
        WriteBand(xml, *band);
    xml.writeEndElement();
}

} // namespace

// ---- names ----

QString BandKindName(BandKind kind)
{
    for (const auto &entry : BandKinds)
        if (entry.kind == kind)
            return QString::fromLatin1(entry.name);
    return {};
}

std::optional<BandKind> BandKindFromName(const QString &name)
{
    for (const auto &entry : BandKinds)
        if (name == QLatin1String(entry.name))
            return entry.kind;
    return std::nullopt;
}

QString ObjectKindName(ObjectKind kind)
{
    for (const auto &entry : ObjectKinds)
        if (entry.kind == kind)
            return QString::fromLatin1(entry.name);
    return {};
}

std::optional<ObjectKind> ObjectKindFromName(const QString &name)
{
    for (const auto &entry : ObjectKinds)
        if (name == QLatin1String(entry.name))
            return entry.kind;
    return std::nullopt;
}

QStringList PaperNames()
{
    QStringList names;
    for (const auto &paper : Papers)
        names << QString::fromLatin1(paper.name);
    return names;
}

std::optional<QSizeF> PaperSizeByName(const QString &paperName)
{
    for (const auto &paper : Papers)
        if (paperName.compare(QLatin1String(paper.name), Qt::CaseInsensitive) == 0)
            return QSizeF(paper.width, paper.height);
    return std::nullopt;
}

QString PaperNameOf(const QSizeF &portraitSize)
{
    for (const auto &paper : Papers)
        if (qAbs(portraitSize.width() - paper.width) < 0.01 &&
            qAbs(portraitSize.height() - paper.height) < 0.01)
            return QString::fromLatin1(paper.name);
    return {};
}

// ---- band ----

std::unique_ptr<Band> Band::Clone() const
{
    auto copy = std::make_unique<Band>(kind);
    copy->name = name;
    copy->height = height;
    copy->canGrow = canGrow;
    copy->dataSet = dataSet;
    copy->condition = condition;
    copy->startNewPage = startNewPage;
    copy->printOnFirstPage = printOnFirstPage;
    for (const auto &object : objects)
        copy->objects.push_back(std::make_unique<Object>(*object));
    return copy;
}

Object *Band::AddObject(ObjectKind objectKind, const QString &objectName)
{
    auto object = std::make_unique<Object>();
    object->kind = objectKind;
    object->name = objectName;
    if (objectKind == ObjectKind::Line)
        object->rect.setHeight(0);
    objects.push_back(std::move(object));
    return objects.back().get();
}

bool Band::RemoveObject(const Object *object)
{
    const auto it = std::find_if(objects.begin(), objects.end(),
                                 [object](const auto &held) { return held.get() == object; });
    if (it == objects.end())
        return false;
    objects.erase(it);
    return true;
}

// ---- page ----

std::unique_ptr<Page> Page::Clone() const
{
    auto copy = std::make_unique<Page>();
    copy->name = name;
    copy->paperSize = paperSize;
    copy->orientation = orientation;
    copy->margins = margins;
    for (const auto &band : bands)
        copy->bands.push_back(band->Clone());
    return copy;
}

QSizeF Page::PrintedSize() const
{
    return orientation == Orientation::Landscape ? paperSize.transposed() : paperSize;
}

QRectF Page::ContentRect() const
{
    return QRectF(QPointF(0, 0), PrintedSize()).marginsRemoved(margins);
}

Band *Page::AddBand(BandKind kind, const QString &bandName)
{
    return InsertBand(int(bands.size()), kind, bandName);
}

Band *Page::InsertBand(int index, BandKind kind, const QString &bandName)
{
    auto band = std::make_unique<Band>(kind);
    band->name = bandName;
    index = std::clamp(index, 0, int(bands.size()));
    return bands.insert(bands.begin() + index, std::move(band))->get();
}

bool Page::RemoveBand(const Band *band)
{
    const auto it =
        std::find_if(bands.begin(), bands.end(), [band](const auto &held) { return held.get() == band; });
    if (it == bands.end())
        return false;
    bands.erase(it);
    return true;
}

Band *Page::FindBand(BandKind kind) const
{
    for (const auto &band : bands)
        if (band->kind == kind)
            return band.get();
    return nullptr;
}

// ---- document ----

Document::Document()
{
    Clear();
}

Document::~Document() = default;

std::unique_ptr<Document> Document::Clone() const
{
    auto copy = std::make_unique<Document>();
    copy->pages.clear();
    copy->name = name;
    copy->script = script;
    for (const auto &page : pages)
        copy->pages.push_back(page->Clone());
    return copy;
}

void Document::Clear()
{
    name.clear();
    script.clear();
    pages.clear();
    AddPage(QStringLiteral("Page1"));
}

bool Document::LoadFromXml(const QByteArray &bytes, QString *error)
{
    Document read;
    read.pages.clear();
    Reader reader(bytes);
    if (!reader.Read(read)) {
        Clear();
        if (error)
            *error = QStringLiteral("The report template cannot be read: %1.").arg(reader.Error());
        return false;
    }
    name = std::move(read.name);
    script = std::move(read.script);
    pages = std::move(read.pages);
    return true;
}

QByteArray Document::SaveToXml() const
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QLatin1String(RootElement));
    xml.writeAttribute(QStringLiteral("version"), QString::number(FormatVersion));
    if (!name.isEmpty())
        xml.writeAttribute(QStringLiteral("name"), name);
    if (!script.isEmpty())
        xml.writeTextElement(QStringLiteral("script"), script);
    for (const auto &page : pages)
        WritePage(xml, *page);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

Page *Document::AddPage(const QString &pageName)
{
    auto page = std::make_unique<Page>();
    page->name = pageName;
    pages.push_back(std::move(page));
    return pages.back().get();
}

bool Document::RemovePage(const Page *page)
{
    const auto it =
        std::find_if(pages.begin(), pages.end(), [page](const auto &held) { return held.get() == page; });
    if (it == pages.end())
        return false;
    pages.erase(it);
    return true;
}

Object *Document::FindObject(const QString &objectName) const
{
    for (const auto &page : pages)
        for (const auto &band : page->bands)
            for (const auto &object : band->objects)
                if (object->name == objectName)
                    return object.get();
    return nullptr;
}

Band *Document::FindBand(const QString &bandName) const
{
    for (const auto &page : pages)
        for (const auto &band : page->bands)
            if (band->name == bandName)
                return band.get();
    return nullptr;
}

Band *Document::BandOf(const Object *object) const
{
    for (const auto &page : pages)
        for (const auto &band : page->bands)
            for (const auto &held : band->objects)
                if (held.get() == object)
                    return band.get();
    return nullptr;
}

Page *Document::PageOf(const Band *band) const
{
    for (const auto &page : pages)
        for (const auto &held : page->bands)
            if (held.get() == band)
                return page.get();
    return nullptr;
}

QString Document::UniqueName(const QString &prefix) const
{
    std::set<QString> used;
    for (const auto &page : pages) {
        used.insert(page->name);
        for (const auto &band : page->bands) {
            used.insert(band->name);
            for (const auto &object : band->objects)
                used.insert(object->name);
        }
    }
    for (int n = 1;; ++n) {
        const QString candidate = prefix + QString::number(n);
        if (!used.count(candidate))
            return candidate;
    }
}

} // namespace Report
