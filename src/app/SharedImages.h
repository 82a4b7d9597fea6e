#pragma once
// The shared image module: one list of small pictures that the category tree, the tree's
// tool bar, the category editor and the lending query pick by index.

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPixmap>

class TPubFrm : public QObject
{
    Q_OBJECT
public:
    // The indexes other windows pick pictures by; the rest of the list is there for them too.
    enum Image {
        imgDocument = 0,
        imgDelete = 1,
        imgEdit = 2,
        imgTree = 3,
        imgExit = 4,
        imgAllArchives = 5,
        imgAdd = 6,
        imgFind = 7,
        imgPrint = 8,
        imgSave = 9,
        imgUp = 10,
        imgDown = 11,
        imgPerson = 12,
        imgKey = 13,
        imgCalendar = 14,
        imgHelp = 15,
        imgRefresh = 16,
        imgOk = 17,
        imgCancel = 18,
        imgSheet = 19,
        imgWeb = 20,
        imgMail = 21,
        imgInfo = 22,
        imgFolder = 23,
        imgFolderOpen = 24,
        imgCataSettings = 25,
    };
    static constexpr int ImageCount = 26;
    static constexpr int ImageSize = 16;

    explicit TPubFrm(QObject *owner = nullptr);
    ~TPubFrm() override;

    // Every picture at 16 × 16, in index order.
    const QList<QIcon> &ImageList1() const { return m_images; }
    // The picture at the index, or a null icon outside the list.
    QIcon ImageAt(int index) const;

    // The drawing of one picture at any square size, so that larger tool bars can show the
    // same pictures without blurring. Empty outside the list.
    static QPixmap DrawImage(int index, int size);

private:
    QList<QIcon> m_images;
};

// The one image module, between its creation at start-up and the end of the process.
extern TPubFrm *PubFrm;
