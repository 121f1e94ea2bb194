// tabvale-pictures as a script runs it: what it prints, its exit status, and that it never replaces
// a file or changes a record it was not told to.
#include "tests/engine/ScratchDatabase.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/picturefolder/FolderFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

using FolderFixture::literal;

namespace {

QByteArray photo(int seed)
{
    return PictureSamples::withExif(
        PictureSamples::jpeg(PictureSamples::stripes(QSize(10 + seed, 8), 4),
            PictureSamples::JpegKind::Baseline),
        1);
}

struct Run
{
    int status = -1;
    QString output; // standard output, then standard error
};

Run tool(const QStringList &args)
{
    QProcess p;
    // An English locale: the texts below are the tool's English ones.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TABVALE_PICTURES_TOOL), args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return r;
}

// "Staff": Davolio and Fuller with pictures, King without, Twin twice.
void makeStaff(ScratchDatabase &db)
{
    db.exec(QStringLiteral("CREATE TABLE Staff (Name TEXT, Photo BLOB)"));
    db.exec(QStringLiteral("INSERT INTO Staff VALUES ('Davolio', %1), ('Fuller', %2), "
                           "('King', NULL), ('Twin', NULL), ('Twin', NULL)")
                .arg(literal(photo(1)), literal(photo(2))));
}

} // namespace

class PicturesToolTest : public QObject
{
    Q_OBJECT

private slots:
    void anExportNeverReplacesAFileUnlessTold_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("davolio"); // Davolio.jpg afterwards
        QTest::newRow("no option: skipped, listed, status 3")
            << "" << 3 << QStringList {"Davolio.jpg", "Fuller.jpg"} << QByteArray("mine");
        QTest::newRow("--overwrite") << "--overwrite" << 0
                                     << QStringList {"Davolio.jpg", "Fuller.jpg"} << photo(1);
        QTest::newRow("--keep-both")
            << "--keep-both" << 0 << QStringList {"Davolio (2).jpg", "Davolio.jpg", "Fuller.jpg"}
            << QByteArray("mine");
    }

    void anExportNeverReplacesAFileUnlessTold()
    {
        QFETCH(QString, option);
        QFETCH(int, status);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, davolio);
        ScratchDatabase db(QStringLiteral("Tool"), {}, QStringLiteral("file"));
        makeStaff(db);
        QTemporaryDir out;
        FolderFixture::writeFile(out.path(), "Davolio.jpg", "mine");
        QStringList args {QStringLiteral("export"), db.alias(), QStringLiteral("Staff"),
            QStringLiteral("Photo"), QStringLiteral("--name-by"), QStringLiteral("Name"),
            out.path()};
        if (!option.isEmpty())
            args << option;
        const Run r = tool(args);
        QCOMPARE(r.status, status);
        QCOMPARE(FolderFixture::fileNames(out.path()), files);
        QCOMPARE(FolderFixture::readFile(out.filePath(QStringLiteral("Davolio.jpg"))), davolio);
        QCOMPARE(FolderFixture::readFile(out.filePath(QStringLiteral("Fuller.jpg"))), photo(2));
        QCOMPARE(r.output.contains(u"Skipped, the file exists: Davolio.jpg"), option.isEmpty());
    }

    void aDryRunPrintsTheListsAndALoadIsUndoneByOneCommand()
    {
        ScratchDatabase db(QStringLiteral("Tool"), {}, QStringLiteral("file"));
        makeStaff(db);
        QTemporaryDir in;
        FolderFixture::writeFile(in.path(), "King.jpg", photo(3));
        FolderFixture::writeFile(in.path(), "Davolio.jpg", photo(4));
        FolderFixture::writeFile(in.path(), "Twin.jpg", photo(5));
        FolderFixture::writeFile(in.path(), "Nobody.png",
            PictureSamples::png(PictureSamples::quadrants(QSize(4, 4))));
        const QStringList before = FolderFixture::dump(db, QStringLiteral("Staff"));
        const QStringList load {QStringLiteral("load"), db.alias(), QStringLiteral("Staff"),
            QStringLiteral("Photo"), QStringLiteral("--name-by"), QStringLiteral("Name"), in.path()};

        Run r = tool(load + QStringList {QStringLiteral("--dry-run")});
        QCOMPARE(r.status, 0);
        const QString lists = QStringLiteral(
            "Files matched to a record (2):\n"
            "  Davolio.jpg -> Davolio (record 1), replaces its picture\n"
            "  King.jpg -> King (record 3)\n"
            "Files without a record (1):\n"
            "  Nobody.png\n"
            "Records without a file (1):\n"
            "  Fuller (record 2)\n"
            "Names matching several records or files, not loaded (1):\n"
            "  Twin: 2 records, files Twin.jpg\n");
        QCOMPARE(r.output, lists);
        QCOMPARE(FolderFixture::dump(db, QStringLiteral("Staff")), before);

        r = tool(load);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.output.startsWith(lists), qPrintable(r.output));
        QVERIFY(r.output.contains(u"Loaded 2 pictures (1 of them replaced one)"));
        QCOMPARE(db.query(QStringLiteral("SELECT Photo FROM Staff WHERE rowid = 3")).toByteArray(),
            photo(3));
        QCOMPARE(db.query(QStringLiteral("SELECT Photo FROM Staff WHERE rowid = 1")).toByteArray(),
            photo(4));

        const QStringList undo {QStringLiteral("undo-load"), db.alias(), QStringLiteral("Staff")};
        r = tool(undo);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.output.contains(u"Restored 2 records"), qPrintable(r.output));
        QCOMPARE(FolderFixture::dump(db, QStringLiteral("Staff")), before);
        r = tool(undo);
        QCOMPARE(r.status, 1);
        QVERIFY(r.output.contains(u"no picture load into “Staff” to undo"));
    }

    void anUndoOfRecordsChangedSinceChangesNothingUnlessTold()
    {
        ScratchDatabase db(QStringLiteral("Tool"), {}, QStringLiteral("file"));
        makeStaff(db);
        QTemporaryDir in;
        FolderFixture::writeFile(in.path(), "King.jpg", photo(3));
        FolderFixture::writeFile(in.path(), "Davolio.jpg", photo(4));
        QCOMPARE(tool({QStringLiteral("load"), db.alias(), QStringLiteral("Staff"),
                          QStringLiteral("Photo"), QStringLiteral("--name-by"),
                          QStringLiteral("Name"), in.path()})
                     .status,
            0);
        db.exec(QStringLiteral("UPDATE Staff SET Photo = %1 WHERE rowid = 3").arg(literal(photo(6))));
        const QStringList changed = FolderFixture::dump(db, QStringLiteral("Staff"));
        const QStringList undo {QStringLiteral("undo-load"), db.alias(), QStringLiteral("Staff")};

        Run r = tool(undo);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.output.contains(u"1 of the 2 records it filled have been changed"),
            qPrintable(r.output));
        QCOMPARE(FolderFixture::dump(db, QStringLiteral("Staff")), changed);

        r = tool(undo + QStringList {QStringLiteral("--keep-changed")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.output.contains(u"Restored 1 records; kept as they are now: 1 changed"),
            qPrintable(r.output));
        QCOMPARE(db.query(QStringLiteral("SELECT Photo FROM Staff WHERE rowid = 1")).toByteArray(),
            photo(1));
        QCOMPARE(db.query(QStringLiteral("SELECT Photo FROM Staff WHERE rowid = 3")).toByteArray(),
            photo(6));
    }

    void wrongArgumentsPrintTheUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("an unknown command") << QStringList {"import", "A", "T"};
        QTest::newRow("no --name-by") << QStringList {"export", "A", "T", "F", "N", "/tmp"};
        QTest::newRow("both ways to meet a file")
            << QStringList {"export", "A", "T", "F", "--name-by", "N", "/tmp", "--overwrite",
                   "--keep-both"};
        QTest::newRow("undo without a table") << QStringList {"undo-load", "A"};
    }

    void wrongArgumentsPrintTheUsage()
    {
        QFETCH(QStringList, args);
        const Run r = tool(args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.output.startsWith(u"Usage:"));
    }
};

TABVALE_TEST_MAIN(PicturesToolTest, QGuiApplication)
#include "tst_PicturesTool.moc"
