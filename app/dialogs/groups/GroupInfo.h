#pragma once
// "groupinfo.ini": named sets of open screens, recorded by their positions in
// the list of open screens (and their names, which readers ignore). Every
// operation reads the file, changes it and writes it back whole.
#include <QList>
#include <QString>
#include <QStringList>

class CCore;
struct tagItemData;

namespace dialogs {

// The texts of one screen's row in the screen lists of the group and bulk
// dialogs: name, width, height, link kind, link parameters.
QStringList ScreenRowTexts(const tagItemData* screen);
// The open screens in list order.
QList<tagItemData*> OpenScreens(CCore& core);
QString ScreenName(const tagItemData* screen);
// The file beside the program.
QString DefaultGroupInfoPath();

class GroupInfoFile {
public:
    enum Result { Ok, EmptyName, NoScreen, NameTaken, NoSelection, WriteFailed, Damaged };

    explicit GroupInfoFile(QString path) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }

    // "num", or `fallback` when missing; 0 when the file cannot be used.
    int count(int fallback) const;
    // The path and why the file cannot be used (it cannot be read, or it
    // counts more groups than it holds), empty when it can. An unusable file
    // reads as no groups and every change to it is refused (Damaged).
    QString problem() const;
    // Names of groups 1..num, stopping at the first empty one (the group dialog's list).
    QStringList listedNames() const;
    // Every non-empty name of groups 1..num (the bulk dialog's choice).
    QStringList allNames() const;
    // Positions recorded by every group called `name`, each below screenCount, ascending.
    QList<int> membersNamed(const QString& name, int screenCount) const;

    // A new group n + 1 of the ticked positions (ascending) with their names;
    // `listed` are the names the dialog shows, checked for a clash.
    Result add(const QString& name, const QList<int>& ticked, const QStringList& screenNames,
               const QStringList& listed);
    // Group k (1-based) gets the name and exactly the ticked members.
    Result change(int k, const QString& name, const QList<int>& ticked, const QStringList& screenNames);
    // Deletes group k and moves every later group down by one with all its keys.
    Result remove(int k);

private:
    Result write(const QString& name, int k, const QList<int>& ticked, const QStringList& screenNames,
                 bool dropRest);
    QString m_path;
};

} // namespace dialogs
