#pragma once

#include <QDialog>
#include <optional>

struct LoadPlan;
class QTreeWidget;

namespace LoadUndo {
struct Load;
}

// The dry run of a folder load, for the user to look at before anything changes: the files
// matched to records (and whether each replaces a picture), the files without a record, the
// records without a file, the names that match several records or files, and matched files that
// are no pictures. Loading is the default button only when something matched.
class LoadPlanDialog : public QDialog
{
    Q_OBJECT
public:
    // previous: the table's last load, which this one would make impossible to undo.
    LoadPlanDialog(const LoadPlan &plan, const std::optional<LoadUndo::Load> &previous,
        QWidget *parent = nullptr);

    // The lists as shown, for tests: each row's columns joined by " | ".
    enum class List { Matched, FilesWithoutRecord, RecordsWithoutFile, Ambiguous, NotPictures };
    QStringList rows(List list) const;
    bool canLoad() const;

private:
    QTreeWidget *m_lists[5] = {};
    bool m_canLoad = false;
};
