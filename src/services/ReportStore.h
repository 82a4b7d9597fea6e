#pragma once
// The report store and runner. Templates live in table `report`, one row per template, each
// in a report group that stands for one printing place; the runner binds the data sets the
// calling screen hands over as "d0", "d1", ... and answers the report's questions about the
// company and operator variables, the user data set "u" and the script function Show1.

#include "QuerySets.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class TDataSet;
class TReportEngine;

class TRep
{
public:
    TRep();
    virtual ~TRep();
    TRep(const TRep &) = delete;
    TRep &operator=(const TRep &) = delete;

    // An empty name adds nothing; an empty value is kept as a single blank, so that a
    // template printing it still gets a value.
    void AddVariable(const QString &name, const QString &value);
    // Binds the data sets in order as "d0", "d1", ...; the data sets are not owned.
    void SetDataSets(const QList<TDataSet *> &dataSets);
    void ClearDataSets();

    // Puts the stored template into the report (an empty or missing one leaves it cleared)
    // and keeps the id in the report's tag, where a designer save looks for its row.
    void LoadReport(int id);
    // Answers the new template's id: the highest id of any group plus one.
    int AddReport(const QString &title, int groupId);
    void RenameReport(int id, const QString &title);
    void DeleteReport(int id);

    virtual void Preview(int id);
    virtual void Design(int id);

    // The engine's questions, answered here.
    // A variable used in an expression; unknown names are left to the engine.
    QVariant VariableValue(const QString &name, bool &handled) const;
    // A field of the user data set "u"; an unknown field answers its own name.
    QVariant UserValue(const QString &fieldName) const;
    // The script function Show1: 1 unless the Show1 table holds an entry for the key.
    int Show1(const QString &fieldName, int l1) const;
    // The designer's open command: answers whether a file was chosen.
    bool DesignerOpen();
    // The designer's save commands: into the template's row, or (saveAs) into a file.
    bool DesignerSave(bool saveAs);

    TReportEngine &Report() const { return *m_report; }
    const QStringList &VariableNames() const { return m_names; }
    const QStringList &VariableValues() const { return m_values; }
    // Entries "key=value"; nothing in the system fills it, so every Show1 call answers 1.
    QStringList &Show1Table() { return m_show1; }
    // The data sets bound by SetDataSets, in order.
    const QList<TDataSet *> &DataSets() const { return m_dataSets; }

private:
    int VariableIndex(const QString &name) const;
    void PublishUserDataSet();

    QStringList m_names;
    QStringList m_values;
    QStringList m_show1;
    QList<TDataSet *> m_dataSets;
    std::unique_ptr<TReportEngine> m_report;
};

// The runner the system prints with: the company record and the operator as they are when
// it is created.
class TProjRep : public TRep
{
public:
    TProjRep();
};

// The templates of one report group.
class TRepSet : public TRecordSet
{
    Q_OBJECT
public:
    explicit TRepSet(QObject *owner = nullptr);

    TField *IdField() const { return m_id; }
    TField *TitleField() const { return m_title; }
    // Answers the number of templates in the group, ordered by title.
    int OpenGroup(int groupId);

private:
    TField *m_id;
    TField *m_title;
};

// The file filter of the designer's open and save commands, and the extension it adds.
extern const QString ReportFileFilter;
extern const QString ReportFileExt;
