#pragma once
// The project services: the process-wide date formats, the settings stores, and the
// process-wide service objects that StartServices creates and StopServices frees.

#include "CompanyInfo.h"
#include "DateFormats.h"
#include "Operators.h"
#include "QuerySets.h"

// Numbered settings in table `keyvalue`, one row per KeyId, created on first use with every
// value empty. The table is read once into the cache; writes go to the database first and
// are then mirrored in the cache.
class TKeyValue2 : public TRecordSet
{
    Q_OBJECT
public:
    // Creates the fields; the table is read on first use.
    explicit TKeyValue2(QObject *owner = nullptr);

    // Show the feedback form when the system exits (KeyId 0).
    bool FeedbackPrompt() { return GetByIndex(0); }
    void SetFeedbackPrompt(bool value) { SetByIndex(0, value); }
    // Show the daily tip after start-up (KeyId 1).
    bool DailyTipPrompt() { return GetByIndex(1); }
    void SetDailyTipPrompt(bool value) { SetByIndex(1, value); }
    // Reserved (KeyId 2).
    bool GetStartPrompt() { return GetByIndex(2); }
    void SetGetStartPrompt(bool value) { SetByIndex(2, value); }

    // The Vbool of the setting; an empty value reads false.
    bool GetByIndex(int keyId);
    // Writes the setting's Vbool, with the other values emptied.
    void SetByIndex(int keyId, bool value);
    // Writes the four values of the setting on which SelectKey left the cursor; answers
    // whether exactly one row was written.
    bool WriteValues(int keyId, const QString &vstr, int vint, double vfloat, bool vbool);
    // Makes the setting's row exist and puts the cached cursor on it.
    void SelectKey(int keyId);

private:
    TField *m_keyId;
    TField *m_vint;
    TField *m_vstr;
    TField *m_vfloat;
    TField *m_vbool;
};

// Numbered pick lists in table `options`, in Key order.
class TPickListSet : public TRecordSet
{
    Q_OBJECT
public:
    explicit TPickListSet(QObject *owner = nullptr);

    // Reads the table when asked to or when the cache is not open yet.
    void OpenLists(bool reload);
    int Count() { return GetCount(); }
    void SetCount(int count);
    int GetCount();

private:
    TField *m_key;
    TField *m_label;
    TField *m_list;
};

// The process-wide service objects; they exist between StartServices and StopServices.
extern TCompany *Company;
extern TKeyValue2 *SettingsStore;
extern TPickListSet *PickListStore;
extern TOperator *CurrentOperator;

// Fixes the date formats, makes null conversions lenient and creates the service objects:
// the company record and the current operator empty, the two settings stores unopened.
void StartServices();
void StopServices();
