#pragma once
// The designer's changes to a template, kept apart from its windows so that they can be built
// and checked on a plain document.
//
// A change names what it touches by place (page, band and object positions), never by pointer:
// the undo stack replays changes in strict order, so a place always denotes the same thing when
// the change is applied or reverted, while pointers die whenever an object is taken out and put
// back.

#include "ReportModel.h"

#include <QUndoCommand>

#include <functional>
#include <memory>
#include <vector>

namespace Report {

// The properties of a band apart from its objects.
struct BandSetup
{
    BandKind kind = BandKind::MasterData;
    QString name;
    qreal height = 10;
    bool canGrow = false;
    QString dataSet;
    QString condition;
    bool startNewPage = false;
    bool printOnFirstPage = true;
    bool operator==(const BandSetup &) const = default;
};
BandSetup SetupOf(const Band &band);
void ApplySetup(Band &band, const BandSetup &setup);

// The properties of a page apart from its bands.
struct PageSetup
{
    QString name;
    QSizeF paperSize{210, 297};
    Orientation orientation = Orientation::Portrait;
    QMarginsF margins{10, 10, 10, 10};
    bool operator==(const PageSetup &) const = default;
};
PageSetup SetupOf(const Page &page);
void ApplySetup(Page &page, const PageSetup &setup);

struct ObjectPlace
{
    int page = 0;
    int band = 0;
    int index = 0;
    auto operator<=>(const ObjectPlace &) const = default;
};

// Where an object or band sits in a document; false when it is not there.
bool PlaceOf(const Document &document, const Object *object, ObjectPlace &place);
bool PlaceOf(const Document &document, const Band *band, int &page, int &index);

// The selection a change leaves behind.
struct Selection
{
    std::vector<Object *> objects;
    std::vector<Band *> bands;
};

// One undoable change. Applying it first changes objects, bands and pages in place (places as
// before the change), then takes out objects and bands (places as before), then puts in bands
// and objects (places as after). Reverting runs the mirror image. Objects are put into bands
// that stay where they are: one change either adds or removes bands or moves objects into
// bands, never both.
class DocumentChange
{
public:
    bool IsEmpty() const;

    // The builders below read the document as it is now, before the change is applied.
    void ChangeObject(const Document &document, const Object *object, const Object &newValue);
    void ChangeBand(const Document &document, const Band *band, const BandSetup &newSetup);
    void ChangePage(const Document &document, int page, const PageSetup &newSetup);
    // An object put at the end of a band (after whatever else this change puts there).
    void AddObject(const Document &document, const Band *band, const Object &value);
    // A band put at a position of a page's list (after the bands this change removes).
    void AddBand(int page, int index, std::unique_ptr<Band> band);
    // Objects and bands taken out; objects whose band goes too are taken out with it.
    void Remove(const Document &document, const std::vector<const Object *> &objects,
                const std::vector<const Band *> &bands);
    // An object changed and, when `target` is another band, moved to the end of it.
    void MoveObject(const Document &document, const Object *object, const Band *target,
                    const Object &newValue);

    // Answers what the change leaves selected: what it put in or changed.
    Selection Apply(Document &document) const;
    Selection Revert(Document &document) const;

private:
    struct ObjectEdit
    {
        ObjectPlace place;
        Object before, after;
    };
    struct ObjectEntry
    {
        ObjectPlace place;
        Object value;
        int bandSize = 0; // appended objects: the band's object count before the change
    };
    struct BandEdit
    {
        int page, index;
        BandSetup before, after;
    };
    struct BandEntry
    {
        int page, index;
        std::shared_ptr<const Band> band; // shared: entries are copied while sorting
    };
    struct PageEdit
    {
        int page;
        PageSetup before, after;
    };

    // Appended objects follow what stays in their band, so their places move with every
    // removal the change learns of.
    void PlaceAppended();
    // The edits in place, to their after (or before) state.
    void Edit(Document &document, bool after, Selection &selection) const;
    static void Take(Document &document, std::vector<ObjectEntry> objects, std::vector<BandEntry> bands);
    static void Put(Document &document, std::vector<BandEntry> bands, std::vector<ObjectEntry> objects,
                    Selection &selection);

    std::vector<ObjectEdit> m_objectEdits;
    std::vector<BandEdit> m_bandEdits;
    std::vector<PageEdit> m_pageEdits;
    std::vector<ObjectEntry> m_removedObjects, m_addedObjects;
    std::vector<BandEntry> m_removedBands, m_addedBands;
};

// A change on the undo stack. The document is asked for each time, because opening a file
// replaces it; `changed` hears what the change left selected.
class DesignCommand : public QUndoCommand
{
public:
    DesignCommand(const QString &text, DocumentChange change, std::function<Document &()> document,
                  std::function<void(const Selection &)> changed);
    void redo() override;
    void undo() override;

private:
    DocumentChange m_change;
    std::function<Document &()> m_document;
    std::function<void(const Selection &)> m_changed;
};

// Where a new band of a kind goes in a page's list: kinds keep the order title, page header,
// column header, group header, data, group footer, column footer, summary, page footer; a group
// header goes directly before `data` and a group footer directly after it (innermost), when a
// data band is given.
int BandInsertIndex(const Page &page, BandKind kind, const Band *data);
// Title, headers, footers and summary appear once on a page.
bool BandKindIsSingle(BandKind kind);

} // namespace Report
