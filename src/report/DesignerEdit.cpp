#include "DesignerEdit.h"

#include <algorithm>
#include <map>

namespace Report {

BandSetup SetupOf(const Band &band)
{
    BandSetup setup;
    setup.kind = band.kind;
    setup.name = band.name;
    setup.height = band.height;
    setup.canGrow = band.canGrow;
    setup.dataSet = band.dataSet;
    setup.condition = band.condition;
    setup.startNewPage = band.startNewPage;
    setup.printOnFirstPage = band.printOnFirstPage;
    return setup;
}

void ApplySetup(Band &band, const BandSetup &setup)
{
    band.kind = setup.kind;
    band.name = setup.name;
    band.height = setup.height;
    band.canGrow = setup.canGrow;
    band.dataSet = setup.dataSet;
    band.condition = setup.condition;
    band.startNewPage = setup.startNewPage;
    band.printOnFirstPage = setup.printOnFirstPage;
}

PageSetup SetupOf(const Page &page)
{
    return PageSetup{page.name, page.paperSize, page.orientation, page.margins};
}

void ApplySetup(Page &page, const PageSetup &setup)
{
    page.name = setup.name;
    page.paperSize = setup.paperSize;
    page.orientation = setup.orientation;
    page.margins = setup.margins;
}

bool PlaceOf(const Document &document, const Object *object, ObjectPlace &place)
{
    for (size_t p = 0; p < document.pages.size(); ++p) {
        const auto &bands = document.pages[p]->bands;
        for (size_t b = 0; b < bands.size(); ++b) {
            const auto &objects = bands[b]->objects;
            for (size_t i = 0; i < objects.size(); ++i)
                if (objects[i].get() == object) {
                    place = ObjectPlace{int(p), int(b), int(i)};
                    return true;
                }
        }
    }
    return false;
}

bool PlaceOf(const Document &document, const Band *band, int &page, int &index)
{
    for (size_t p = 0; p < document.pages.size(); ++p) {
        const auto &bands = document.pages[p]->bands;
        for (size_t b = 0; b < bands.size(); ++b)
            if (bands[b].get() == band) {
                page = int(p);
                index = int(b);
                return true;
            }
    }
    return false;
}

namespace {

Band &BandAt(Document &document, int page, int band)
{
    return *document.pages.at(size_t(page))->bands.at(size_t(band));
}

std::vector<std::unique_ptr<Object>> &ObjectsAt(Document &document, const ObjectPlace &place)
{
    return BandAt(document, place.page, place.band).objects;
}

template <class Entry> bool ObjectEntryBefore(const Entry &a, const Entry &b)
{
    return a.place < b.place;
}

template <class Entry> bool BandEntryBefore(const Entry &a, const Entry &b)
{
    return std::pair(a.page, a.index) < std::pair(b.page, b.index);
}

} // namespace

bool DocumentChange::IsEmpty() const
{
    return m_objectEdits.empty() && m_bandEdits.empty() && m_pageEdits.empty() && m_removedObjects.empty() &&
           m_addedObjects.empty() && m_removedBands.empty() && m_addedBands.empty();
}

void DocumentChange::PlaceAppended()
{
    std::map<std::pair<int, int>, int> appended;
    for (ObjectEntry &entry : m_addedObjects) {
        const int page = entry.place.page, band = entry.place.band;
        const auto removed =
            std::count_if(m_removedObjects.begin(), m_removedObjects.end(),
                          [&](const ObjectEntry &e) { return e.place.page == page && e.place.band == band; });
        entry.place.index = entry.bandSize - int(removed) + appended[{page, band}]++;
    }
}

void DocumentChange::ChangeObject(const Document &document, const Object *object, const Object &newValue)
{
    ObjectPlace place;
    if (!PlaceOf(document, object, place))
        return;
    for (ObjectEdit &edit : m_objectEdits)
        if (edit.place == place) {
            edit.after = newValue;
            return;
        }
    m_objectEdits.push_back(ObjectEdit{place, *object, newValue});
}

void DocumentChange::ChangeBand(const Document &document, const Band *band, const BandSetup &newSetup)
{
    int page = 0, index = 0;
    if (!PlaceOf(document, band, page, index))
        return;
    for (BandEdit &edit : m_bandEdits)
        if (edit.page == page && edit.index == index) {
            edit.after = newSetup;
            return;
        }
    m_bandEdits.push_back(BandEdit{page, index, SetupOf(*band), newSetup});
}

void DocumentChange::ChangePage(const Document &document, int page, const PageSetup &newSetup)
{
    if (page < 0 || page >= int(document.pages.size()))
        return;
    for (PageEdit &edit : m_pageEdits)
        if (edit.page == page) {
            edit.after = newSetup;
            return;
        }
    m_pageEdits.push_back(PageEdit{page, SetupOf(*document.pages[size_t(page)]), newSetup});
}

void DocumentChange::AddObject(const Document &document, const Band *band, const Object &value)
{
    int page = 0, index = 0;
    if (!PlaceOf(document, band, page, index))
        return;
    m_addedObjects.push_back(ObjectEntry{ObjectPlace{page, index, 0}, value, int(band->objects.size())});
    PlaceAppended();
}

void DocumentChange::AddBand(int page, int index, std::unique_ptr<Band> band)
{
    m_addedBands.push_back(BandEntry{page, index, std::shared_ptr<const Band>(std::move(band))});
}

void DocumentChange::Remove(const Document &document, const std::vector<const Object *> &objects,
                            const std::vector<const Band *> &bands)
{
    for (const Band *band : bands) {
        int page = 0, index = 0;
        if (PlaceOf(document, band, page, index))
            m_removedBands.push_back(BandEntry{page, index, std::shared_ptr<const Band>(band->Clone())});
    }
    for (const Object *object : objects) {
        ObjectPlace place;
        if (!PlaceOf(document, object, place))
            continue;
        const bool bandGoes =
            std::any_of(m_removedBands.begin(), m_removedBands.end(),
                        [&](const BandEntry &e) { return e.page == place.page && e.index == place.band; });
        if (!bandGoes)
            m_removedObjects.push_back(ObjectEntry{place, *object});
    }
    PlaceAppended();
}

void DocumentChange::MoveObject(const Document &document, const Object *object, const Band *target,
                                const Object &newValue)
{
    if (target == nullptr || document.BandOf(object) == target) {
        ChangeObject(document, object, newValue);
        return;
    }
    ObjectPlace place;
    if (!PlaceOf(document, object, place))
        return;
    m_removedObjects.push_back(ObjectEntry{place, *object});
    AddObject(document, target, newValue); // places every appended object again
}

void DocumentChange::Edit(Document &document, bool after, Selection &selection) const
{
    for (const ObjectEdit &edit : m_objectEdits) {
        Object &object = *ObjectsAt(document, edit.place).at(size_t(edit.place.index));
        object = after ? edit.after : edit.before;
        selection.objects.push_back(&object);
    }
    for (const BandEdit &edit : m_bandEdits) {
        Band &band = BandAt(document, edit.page, edit.index);
        ApplySetup(band, after ? edit.after : edit.before);
        selection.bands.push_back(&band);
    }
    for (const PageEdit &edit : m_pageEdits)
        ApplySetup(*document.pages.at(size_t(edit.page)), after ? edit.after : edit.before);
}

// Objects go before bands, each from the back, so that every place still points where it did.
void DocumentChange::Take(Document &document, std::vector<ObjectEntry> objects, std::vector<BandEntry> bands)
{
    std::sort(objects.rbegin(), objects.rend(), ObjectEntryBefore<ObjectEntry>);
    for (const ObjectEntry &entry : objects) {
        auto &list = ObjectsAt(document, entry.place);
        list.erase(list.begin() + entry.place.index);
    }
    std::sort(bands.rbegin(), bands.rend(), BandEntryBefore<BandEntry>);
    for (const BandEntry &entry : bands) {
        auto &list = document.pages.at(size_t(entry.page))->bands;
        list.erase(list.begin() + entry.index);
    }
}

// Bands go before the objects they may hold, each from the front.
void DocumentChange::Put(Document &document, std::vector<BandEntry> bands, std::vector<ObjectEntry> objects,
                         Selection &selection)
{
    std::sort(bands.begin(), bands.end(), BandEntryBefore<BandEntry>);
    for (const BandEntry &entry : bands) {
        auto &list = document.pages.at(size_t(entry.page))->bands;
        auto it = list.insert(list.begin() + entry.index, entry.band->Clone());
        selection.bands.push_back(it->get());
    }
    std::sort(objects.begin(), objects.end(), ObjectEntryBefore<ObjectEntry>);
    for (const ObjectEntry &entry : objects) {
        auto &list = ObjectsAt(document, entry.place);
        auto it = list.insert(list.begin() + entry.place.index, std::make_unique<Object>(entry.value));
        selection.objects.push_back(it->get());
    }
}

Selection DocumentChange::Apply(Document &document) const
{
    Selection selection;
    Edit(document, true, selection);
    Take(document, m_removedObjects, m_removedBands);
    Put(document, m_addedBands, m_addedObjects, selection);
    return selection;
}

Selection DocumentChange::Revert(Document &document) const
{
    Selection selection;
    Take(document, m_addedObjects, m_addedBands);
    Put(document, m_removedBands, m_removedObjects, selection);
    Edit(document, false, selection);
    return selection;
}

DesignCommand::DesignCommand(const QString &text, DocumentChange change, std::function<Document &()> document,
                             std::function<void(const Selection &)> changed)
    : QUndoCommand(text), m_change(std::move(change)), m_document(std::move(document)),
      m_changed(std::move(changed))
{
}

void DesignCommand::redo()
{
    const Selection selection = m_change.Apply(m_document());
    if (m_changed)
        m_changed(selection);
}

void DesignCommand::undo()
{
    const Selection selection = m_change.Revert(m_document());
    if (m_changed)
        m_changed(selection);
}

bool BandKindIsSingle(BandKind kind)
{
    switch (kind) {
    case BandKind::GroupHeader:
    case BandKind::MasterData:
    case BandKind::GroupFooter:
        return false;
    default:
        return true;
    }
}

int BandInsertIndex(const Page &page, BandKind kind, const Band *data)
{
    if (data != nullptr && (kind == BandKind::GroupHeader || kind == BandKind::GroupFooter)) {
        for (size_t i = 0; i < page.bands.size(); ++i)
            if (page.bands[i].get() == data)
                return int(i) + (kind == BandKind::GroupFooter ? 1 : 0);
    }
    int index = 0;
    for (size_t i = 0; i < page.bands.size(); ++i)
        if (int(page.bands[i]->kind) <= int(kind))
            index = int(i) + 1;
    return index;
}

} // namespace Report
