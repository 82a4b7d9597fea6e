#pragma once
// The record about the organisation that uses the system: printed on reports, offered to
// the feedback form, and asked for at start-up while its name is still short.

#include <QString>

class TCompany
{
public:
    int Id = 0;
    QString CompanyName;
    QString Manager;
    QString Tel;
    QString Fax;
    QString Address;
    QString Zip;
    QString Profile;
    // Read and written back unchanged; nothing in this system sets it.
    bool Updated = false;

    // Fills the object from the first row of the table; an empty table leaves Id 0, the
    // texts empty and Updated false. A failing read leaves it so too, and raises.
    void LoadCompany();
    // Updates the row with the object's Id, or inserts it when there is none.
    void SaveCompany();
    bool CompanyExists();
    // Whether the name counts as filled in: 8 bytes or more in the GBK code page, so four
    // Chinese characters are enough.
    bool HasLongName() const;
    // Empties every field.
    void Clear();
};
