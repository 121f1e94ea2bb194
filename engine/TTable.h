#pragma once

#include "engine/RecordList.h"
#include "engine/TField.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class TableDriver;
class TableWork;
struct RecordSource;

// A mark of one record: its key (the rowid on SQLite).
struct TBookmark
{
    qint64 rowid = 0;
    bool valid = false;
};

// A table of an alias, record by record, in rowid order. Opening reads the first rowids only;
// the rest of the list arrives from a loader on a connection of its own (recordListGrew tells of
// each part). Values are fetched by rowid a window at a time and picture bytes only when asked
// for. Whatever needs records not loaded yet (the last record, the count, a move past the loaded
// part, a bookmark beyond it, a new record) waits for them, with the wait hook around the wait.
// Every failure raises EngineError. GUI-thread object (one connection per alias per thread).
class TTable : public QObject
{
    Q_OBJECT
public:
    enum State { Inactive, Browse, Edit, Insert };

    explicit TTable(QObject *parent = nullptr);
    ~TTable() override;

    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &alias); // table must be closed
    QString tableName() const { return m_tableName; }
    void setTableName(const QString &name); // table must be closed

    void open();
    void close(); // a pending edit is cancelled
    bool active() const { return m_state != Inactive; }
    // While open: whether the table's database can only be read, and a sentence saying why.
    bool readOnly() const;
    QString readOnlyMessage() const;
    State state() const { return m_state; }

    // Fields (valid while open, in field order).
    int fieldCount() const;
    TField *field(int index) const;
    TField *fieldByName(const QString &name) const; // raises when missing
    TField *findField(const QString &name) const; // nullptr when missing

    // Called around every wait for records not loaded yet (true before, false after), so that
    // the windows can show the busy cursor. GUI thread.
    static void setWaitHook(std::function<void(bool waiting)> hook);

    // Navigation. Moving while editing posts a modified record first (or cancels an unmodified
    // one).
    int recordCount() const; // waits for the whole list
    // The records loaded so far: the first ones in record order; all of them once complete.
    int loadedRecordCount() const;
    bool recordListComplete() const;
    void waitForRecordList() const; // until the whole list is loaded
    int recNo() const; // 0-based position of the current record; -1 with no records;
                       // recordCount() while a new record is being inserted
    void first();
    void last();
    void next(); // on the last record sets eof() and stays
    void prior();
    int moveBy(int n); // returns how far it moved
    void moveTo(int position);
    bool bof() const;
    bool eof() const;

    TBookmark bookmark() const;
    // The bookmarks of all records in record order (a copy: workers read from it while the
    // table moves on). Waits for the whole list.
    RecordList bookmarks() const;
    // Where a worker reads this open table's records by these bookmarks (see FieldBytesReader).
    RecordSource recordSource() const;
    void gotoBookmark(const TBookmark &mark); // raises when the record no longer exists
    void freeBookmark(TBookmark &mark) { mark = {}; }

    // Editing. edit() is a no-op while editing; on a table without records it starts an insert.
    void edit();
    void insert(); // a new record after the last one (rowid order puts it there anyway)
    void append() { insert(); }
    void post(); // asks bound controls for their changes, writes, then runs AfterPost
    void cancel();
    void deleteRecord();
    void refresh(); // re-reads; keeps the current record (or the nearest one if it is gone)
    bool modified() const;
    // The one rule for a record left being edited or inserted (before a move, a drop into the
    // other window, maintenance): bound controls hand over their changes, then a changed record is
    // posted and an unchanged one is dropped, so a new record nobody typed into never becomes a
    // blank record. Nothing happens in browse state or on a closed table. Raises what post raises.
    void storePendingEdit();

    // Nested: while disabled, bound controls are not told about moves; enable tells them once.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // Drops the named table with its indexes and triggers; the table object must be closed.
    // (Maintenance goes through TableMaintenance, which checks that no other window shows it.)
    void deleteTable();
    // How many other table objects of this thread have this table open (other windows showing it).
    int openElsewhere() const;

    // Starts work done entirely or not at all on the open table's connection (a sheet written
    // back record by record): everything written until its commit() is undone when it goes away
    // without commit().
    std::unique_ptr<TableWork> beginWork();

    // Runs after every successful post, when the table is back in browse state.
    std::function<void(TTable &)> AfterPost;

    // For grids: values of any row without moving the current record. Ordinary fields only give
    // their value; for memo and picture-like fields only whether they are empty is known (no bytes
    // are read). Row recordCount() is the pending insert, if any.
    // A stored value the field cannot take (text in an integer field) comes back as text here;
    // TField::value() raises for it instead.
    QVariant valueAt(int row, int fieldIndex) const;
    bool isNullAt(int row, int fieldIndex) const;
    // Memo and picture-like fields show "(Memo)", "(Graphic)"..., in capitals when not empty.
    QString displayTextAt(int row, int fieldIndex) const;

    // Used by TField.
    QVariant currentValue(int fieldIndex) const;
    QByteArray currentBytes(int fieldIndex) const;
    bool currentIsNull(int fieldIndex) const;
    void setCurrentValue(int fieldIndex, const QVariant &value);

signals:
    void dataSetChanged(); // opened, closed, refreshed, structure or record set changed
    void recordChanged(); // moved to another record, or the current record's values changed
    void stateChanged();
    void updateRecordRequested(); // emitted by post() before it writes
    // More of the record list is loaded (loadedRecordCount() grew), or it became complete. Rows
    // before the old count keep their records.
    void recordListGrew();

private:
    void checkActive() const;
    void doPost();
    void notifyRecordChanged();
    void notifyDataSetChanged();
    void notifyRecordListGrew();
    void takeLoadedRecords(quint64 generation); // a loader's notice
    void resync(bool structureMayHaveChanged);
    // A write that changed nothing: raises goneMessage, or (where records carry versions) tells
    // that another user changed the record, after showing the records as they are stored now.
    [[noreturn]] void refuseChangedRecord(const QString &goneMessage);
    std::unique_ptr<TableDriver> makeDriver() const; // the table of the alias, not yet read

    struct Private;
    std::unique_ptr<Private> d;
    QString m_databaseName;
    QString m_tableName;
    State m_state = Inactive;
    int m_disableCount = 0;
    bool m_pendingNotify = false;
};
