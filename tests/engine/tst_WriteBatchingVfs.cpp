// Writes gathered into large ones: what a connection commits is what it and other programs read,
// a rollback or a killed process leaves the database as it was, and gathering is refused where it
// could not be safe. The cache is kept tiny, so pages are written (and read back) from the file in
// the middle of the transaction, as in a large load.
#include "engine/WriteBatchingVfs.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Connection
{
public:
    // batching: through the VFS that gathers writes; otherwise as another program opens it.
    Connection(const QString &path, bool batching)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                batching ? WriteBatchingVfs::name() : nullptr)
            != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(path));
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }

    void exec(const QByteArray &sql)
    {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK)
            qFatal("%s: %s", sql.constData(), error);
    }
    // The first column of the first row.
    QByteArray value(const QByteArray &sql)
    {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(m_db, sql.constData(), -1, &s, nullptr);
        QByteArray result;
        if (s && sqlite3_step(s) == SQLITE_ROW)
            result = QByteArray(
                static_cast<const char *>(sqlite3_column_blob(s, 0)), sqlite3_column_bytes(s, 0));
        sqlite3_finalize(s);
        return result;
    }
    void insert(int id, const QByteArray &bytes)
    {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(
            m_db, "INSERT OR REPLACE INTO pictures VALUES (?1, ?2)", -1, &s, nullptr);
        sqlite3_bind_int(s, 1, id);
        sqlite3_bind_blob64(s, 2, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_STATIC);
        const int rc = sqlite3_step(s);
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE)
            qFatal("insert: %s", sqlite3_errmsg(m_db));
    }
    QByteArray picture(int id)
    {
        return value("SELECT bytes FROM pictures WHERE id = " + QByteArray::number(id));
    }

private:
    sqlite3 *m_db = nullptr;
};

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes((size + 3) / 4 * 4, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    bytes.truncate(size);
    return bytes;
}

// Sizes around the gathered write's size and pages, so that writes end inside, at and after it; the
// last is large enough for the system to be asked to write back in the middle.
const QList<int> Sizes = {100, 4000, 65536, 70000, 300001, 1 << 20, 10 << 20};

// A database with a few pictures, committed by another program.
void makeDatabase(const QString &path, const QByteArray &journal, int pageSize)
{
    Connection other(path, false);
    other.exec("PRAGMA page_size = " + QByteArray::number(pageSize));
    other.exec("PRAGMA journal_mode = " + journal.split(' ').first());
    other.exec("CREATE TABLE pictures (id INTEGER PRIMARY KEY, bytes BLOB)");
    for (int i = 0; i < 3; ++i)
        other.insert(i, randomBytes(50000, 1000 + i));
}

// "wal NORMAL": the journal mode, then how the writing connection syncs (FULL when not said).
QByteArray synchronousOf(const QByteArray &journal)
{
    const QList<QByteArray> words = journal.split(' ');
    return words.size() > 1 ? words.last() : QByteArray("FULL");
}

void addJournalRows()
{
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<int>("pageSize");
    QTest::newRow("rollback journal, 4 KB pages") << QByteArray("delete") << 4096;
    QTest::newRow("truncated journal, 1 KB pages") << QByteArray("truncate") << 1024;
    QTest::newRow("persistent journal, 4 KB pages") << QByteArray("persist") << 4096;
    QTest::newRow("write-ahead log, 4 KB pages") << QByteArray("wal") << 4096;
    QTest::newRow("write-ahead log, 64 KB pages") << QByteArray("wal") << 65536;
    QTest::newRow("write-ahead log synced at checkpoints") << QByteArray("wal NORMAL") << 4096;
    QTest::newRow("rollback journal, 64 KB pages") << QByteArray("delete") << 65536;
}

} // namespace

class WriteBatchingVfsTest : public QObject
{
    Q_OBJECT

private slots:
    void gatheredBytesReachTheFileBeforeAnythingCanRelyOnThem_data();
    void gatheredBytesReachTheFileBeforeAnythingCanRelyOnThem();
    void whatIsCommittedIsWhatEveryoneReads_data();
    void whatIsCommittedIsWhatEveryoneReads();
    void aRollbackLeavesTheFileAsItWas_data();
    void aRollbackLeavesTheFileAsItWas();
    void aProcessKilledMidTransactionLeavesTheDatabaseAsItWas_data();
    void aProcessKilledMidTransactionLeavesTheDatabaseAsItWas();
    void theLogGathersOnlyWhenEachCommitSyncsIt_data();
    void theLogGathersOnlyWhenEachCommitSyncsIt();
    void gatheringIsRefusedWhereItCannotBeSafe_data();
    void gatheringIsRefusedWhereItCannotBeSafe();
    void eachFileOpenedIsKnownByItsOwnDescriptor();
};

using FileCall = std::function<int(sqlite3 *db, sqlite3_file *file, sqlite3_int64 end)>;

void WriteBatchingVfsTest::gatheredBytesReachTheFileBeforeAnythingCanRelyOnThem_data()
{
    QTest::addColumn<FileCall>("call");
    QTest::addColumn<bool>("written"); // the gathered bytes are in the file after the call
    const auto m = [](sqlite3_file *f) {
        return f->pMethods;
    };
    QTest::newRow("a sync") << FileCall([m](sqlite3 *, sqlite3_file *f, sqlite3_int64) {
        return m(f)->xSync(f, SQLITE_SYNC_NORMAL);
    }) << true;
    QTest::newRow("an unlock") << FileCall([m](sqlite3 *, sqlite3_file *f, sqlite3_int64) {
        return m(f)->xUnlock(f, SQLITE_LOCK_NONE);
    }) << true;
    QTest::newRow("asking the size") << FileCall([m](sqlite3 *, sqlite3_file *f, sqlite3_int64) {
        sqlite3_int64 size = 0;
        return m(f)->xFileSize(f, &size);
    }) << true;
    QTest::newRow("a truncation") << FileCall([m](sqlite3 *, sqlite3_file *f, sqlite3_int64 end) {
        return m(f)->xTruncate(f, end + 3000);
    }) << true;
    QTest::newRow("a read of gathered bytes") << FileCall(
        [m](sqlite3 *, sqlite3_file *f, sqlite3_int64 end) {
            char bytes[100];
            const int rc = m(f)->xRead(f, bytes, 100, end + 2900);
            return rc == SQLITE_OK && QByteArray(bytes, 100) == randomBytes(3000, 5).mid(2900)
                ? SQLITE_OK
                : SQLITE_CORRUPT;
        }) << true;
    QTest::newRow("a file control") << FileCall([m](sqlite3 *, sqlite3_file *f, sqlite3_int64) {
        int persist = -1;
        return m(f)->xFileControl(f, SQLITE_FCNTL_PERSIST_WAL, &persist);
    }) << true;
    QTest::newRow("gathering turned off") << FileCall(
        [](sqlite3 *db, sqlite3_file *, sqlite3_int64) {
            return WriteBatchingVfs::setBatching(db, false) ? SQLITE_ERROR : SQLITE_OK;
        }) << true;
    QTest::newRow("a read elsewhere") << FileCall([m](sqlite3 *, sqlite3_file *f, sqlite3_int64) {
        char bytes[100];
        return m(f)->xRead(f, bytes, 100, 0);
    }) << false;
    QTest::newRow("a size hint") << FileCall([m](sqlite3 *, sqlite3_file *f, sqlite3_int64 end) {
        sqlite3_int64 size = end + 1000000;
        return m(f)->xFileControl(f, SQLITE_FCNTL_SIZE_HINT, &size);
    }) << false;
}

void WriteBatchingVfsTest::gatheredBytesReachTheFileBeforeAnythingCanRelyOnThem()
{
    QFETCH(FileCall, call);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pictures.sqlite"));
    makeDatabase(path, "delete", 4096);
    Connection db(path, true);
    QVERIFY(WriteBatchingVfs::setBatching(db.handle(), true));
    sqlite3_file *file = nullptr;
    QCOMPARE(
        sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file), SQLITE_OK);
    // Bytes past the end of the database, in two writes that follow one another.
    const sqlite3_int64 end = QFileInfo(path).size();
    const QByteArray bytes = randomBytes(3000, 5);
    QCOMPARE(file->pMethods->xWrite(file, bytes.constData(), 1000, end), SQLITE_OK);
    QCOMPARE(file->pMethods->xWrite(file, bytes.constData() + 1000, 2000, end + 1000), SQLITE_OK);
    QCOMPARE(QFileInfo(path).size(), end); // gathered

    QCOMPARE(call(db.handle(), file, end), SQLITE_OK);
    QFile raw(path);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    raw.seek(end);
    QCOMPARE(raw.read(3000), written ? bytes : QByteArray());
    QCOMPARE(file->pMethods->xTruncate(file, end), SQLITE_OK); // the database as it was
    QCOMPARE(db.value("PRAGMA integrity_check"), QByteArray("ok"));
}

void WriteBatchingVfsTest::whatIsCommittedIsWhatEveryoneReads_data()
{
    addJournalRows();
}

void WriteBatchingVfsTest::whatIsCommittedIsWhatEveryoneReads()
{
    QFETCH(QByteArray, journal);
    QFETCH(int, pageSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pictures.sqlite"));
    makeDatabase(path, journal, pageSize);
    Connection other(path, false);
    {
        Connection db(path, true);
        db.exec("PRAGMA cache_size = 10");
        db.exec("PRAGMA synchronous = " + synchronousOf(journal));
        QVERIFY(WriteBatchingVfs::setBatching(db.handle(), true));
        db.exec("BEGIN");
        for (int i = 0; i < Sizes.size(); ++i)
            db.insert(10 + i, randomBytes(Sizes[i], quint32(i)));
        db.insert(1, randomBytes(12345, 77)); // a picture replaced
        // Read back in the transaction, mostly from the file: gathered bytes included.
        for (int i = 0; i < Sizes.size(); ++i)
            QCOMPARE(db.picture(10 + i), randomBytes(Sizes[i], quint32(i)));
        db.exec("COMMIT");
        QVERIFY(!WriteBatchingVfs::setBatching(db.handle(), false));
    }
    QCOMPARE(other.value("PRAGMA integrity_check"), QByteArray("ok"));
    for (int i = 0; i < Sizes.size(); ++i)
        QCOMPARE(other.picture(10 + i), randomBytes(Sizes[i], quint32(i)));
    QCOMPARE(other.picture(1), randomBytes(12345, 77));
    QCOMPARE(other.picture(2), randomBytes(50000, 1002));
}

void WriteBatchingVfsTest::aRollbackLeavesTheFileAsItWas_data()
{
    addJournalRows();
}

void WriteBatchingVfsTest::aRollbackLeavesTheFileAsItWas()
{
    QFETCH(QByteArray, journal);
    QFETCH(int, pageSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pictures.sqlite"));
    makeDatabase(path, journal, pageSize);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    Connection db(path, true);
    db.exec("PRAGMA cache_size = 10");
    db.exec("PRAGMA synchronous = " + synchronousOf(journal));
    QVERIFY(WriteBatchingVfs::setBatching(db.handle(), true));
    db.exec("BEGIN");
    for (int i = 0; i < Sizes.size(); ++i)
        db.insert(i, randomBytes(Sizes[i], quint32(i)));
    db.exec("ROLLBACK");
    QCOMPARE(db.picture(0), randomBytes(50000, 1000));
    Connection other(path, false);
    QCOMPARE(other.value("PRAGMA integrity_check"), QByteArray("ok"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(other.picture(i), randomBytes(50000, 1000 + quint32(i)));
    if (!journal.startsWith(
            "wal")) { // a log keeps the file as it is anyway, until it is checkpointed
        file.seek(0);
        QVERIFY(file.readAll() == before);
    }
}

void WriteBatchingVfsTest::aProcessKilledMidTransactionLeavesTheDatabaseAsItWas_data()
{
    addJournalRows();
}

void WriteBatchingVfsTest::aProcessKilledMidTransactionLeavesTheDatabaseAsItWas()
{
    QFETCH(QByteArray, journal);
    QFETCH(int, pageSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pictures.sqlite"));
    makeDatabase(path, journal, pageSize);
    // The child writes pictures, some of them reaching the file and some still gathered, and
    // dies without a word: no commit, no unlock, no close.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        Connection db(path, true);
        db.exec("PRAGMA cache_size = 10");
        db.exec("PRAGMA synchronous = " + synchronousOf(journal));
        if (!WriteBatchingVfs::setBatching(db.handle(), true))
            ::_exit(2);
        db.exec("BEGIN");
        for (int i = 0; i < Sizes.size(); ++i)
            db.insert(i, randomBytes(Sizes[i], quint32(i)));
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    Connection other(path, false);
    QCOMPARE(other.value("PRAGMA integrity_check"), QByteArray("ok"));
    QCOMPARE(other.value("SELECT group_concat(id) FROM pictures"), QByteArray("0,1,2"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(other.picture(i), randomBytes(50000, 1000 + quint32(i)));
}

void WriteBatchingVfsTest::theLogGathersOnlyWhenEachCommitSyncsIt_data()
{
    QTest::addColumn<QByteArray>("synchronous");
    QTest::addColumn<bool>("gathers");
    QTest::newRow("syncing in full") << QByteArray("FULL") << true;
    QTest::newRow("syncing only at checkpoints") << QByteArray("NORMAL") << false;
}

void WriteBatchingVfsTest::theLogGathersOnlyWhenEachCommitSyncsIt()
{
    QFETCH(QByteArray, synchronous);
    QFETCH(bool, gathers);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pictures.sqlite"));
    makeDatabase(path, "wal", 4096);
    Connection db(path, true);
    db.exec("PRAGMA synchronous = " + synchronous);
    db.exec("INSERT INTO pictures VALUES (7, x'0102')"); // the log is open
    QVERIFY(WriteBatchingVfs::setBatching(db.handle(), true));
    sqlite3_file *log = nullptr;
    QCOMPARE(
        sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_JOURNAL_POINTER, &log), SQLITE_OK);
    QVERIFY(log && log->pMethods);
    // Bytes past the log's last frame, which no reader looks at.
    const QString logPath = path + QStringLiteral("-wal");
    const sqlite3_int64 end = QFileInfo(logPath).size();
    const QByteArray bytes = randomBytes(2000, 9);
    QCOMPARE(log->pMethods->xWrite(log, bytes.constData(), 1000, end), SQLITE_OK);
    QCOMPARE(log->pMethods->xWrite(log, bytes.constData() + 1000, 1000, end + 1000), SQLITE_OK);
    QCOMPARE(QFileInfo(logPath).size(), gathers ? end : end + 2000);
    QCOMPARE(log->pMethods->xSync(log, SQLITE_SYNC_NORMAL), SQLITE_OK);
    QCOMPARE(QFileInfo(logPath).size(), end + 2000);
    QCOMPARE(log->pMethods->xTruncate(log, end), SQLITE_OK);
    QCOMPARE(db.picture(7), QByteArray("\x01\x02"));
}

void WriteBatchingVfsTest::gatheringIsRefusedWhereItCannotBeSafe_data()
{
    QTest::addColumn<bool>("throughTheVfs");
    QTest::addColumn<QByteArray>("synchronous");
    QTest::addColumn<bool>("gathers");
    QTest::newRow("syncing in full") << true << QByteArray("FULL") << true;
    QTest::newRow("syncing at the critical moments") << true << QByteArray("NORMAL") << true;
    QTest::newRow("never syncing") << true << QByteArray("OFF") << false;
    QTest::newRow("a file opened by another VFS") << false << QByteArray("FULL") << false;
}

void WriteBatchingVfsTest::gatheringIsRefusedWhereItCannotBeSafe()
{
    QFETCH(bool, throughTheVfs);
    QFETCH(QByteArray, synchronous);
    QFETCH(bool, gathers);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pictures.sqlite"));
    makeDatabase(path, "delete", 4096);
    Connection db(path, throughTheVfs);
    db.exec("PRAGMA synchronous = " + synchronous);
    QCOMPARE(WriteBatchingVfs::setBatching(db.handle(), true), gathers);
}

// The descriptor noted while a file is opened (to start its write-back early) is that file's, for
// every connection; a file this VFS did not open has none.
void WriteBatchingVfsTest::eachFileOpenedIsKnownByItsOwnDescriptor()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pictures.sqlite"));
    makeDatabase(path, "wal", 4096);
    struct stat named;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &named), 0);
    Connection first(path, true);
    Connection second(path, true);
    first.value("SELECT count(*) FROM pictures"); // the log too is open now
    for (const Connection *c : {&first, &second}) {
        const int fd = WriteBatchingVfs::descriptorOf(c->handle());
        struct stat opened;
        QVERIFY(fd >= 0);
        QCOMPARE(::fstat(fd, &opened), 0);
        QCOMPARE(opened.st_ino, named.st_ino);
        QCOMPARE(opened.st_dev, named.st_dev);
    }
    QVERIFY(WriteBatchingVfs::descriptorOf(first.handle()) != WriteBatchingVfs::descriptorOf(second.handle()));
    Connection other(path, false);
    QCOMPARE(WriteBatchingVfs::descriptorOf(other.handle()), -1);
}

QTEST_GUILESS_MAIN(WriteBatchingVfsTest)
#include "tst_WriteBatchingVfs.moc"
