// The pieces of the exchange with the spreadsheet, each on its own: value conversion, the sheet's
// layout, the workbook's place, the release sequence, blocks of cells, and a table's export and
// write-back over the in-memory spreadsheet (no window).
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "datawindow/TForm1.h"
#include "datawindow/exchange/CellBlocks.h"
#include "datawindow/exchange/CellValues.h"
#include "datawindow/exchange/ExchangeError.h"
#include "datawindow/exchange/ExportRecord.h"
#include "datawindow/exchange/ReleaseSequence.h"
#include "datawindow/exchange/SheetLayout.h"
#include "datawindow/exchange/SheetWriteBack.h"
#include "datawindow/exchange/TableExport.h"
#include "datawindow/exchange/WorkbookLocation.h"
#include "datawindow/exchange/WorkbookLock.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"
#include "picture/StoredPicture.h"
#include "spreadsheet/Cells.h"
#include "spreadsheet/OfficeLockFile.h"
#include "spreadsheet/TExcelApplication.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/datawindow/OfficeMarks.h"
#include "tests/spreadsheet/FakeSpreadsheet.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 9 & 0xFF, y * 3 & 0xFF, 200));
    return image;
}

// Sets an environment variable for one test.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// What the build writes beside the program it builds.
void markAsBuildFolder(const QString &programDirectory)
{
    QFile marker(
        QDir(programDirectory).filePath(QString::fromLatin1(WorkbookLocation::BuildFolderMarker)));
    if (!marker.open(QIODevice::WriteOnly))
        qFatal("cannot mark %s as a build folder", qPrintable(programDirectory));
}

} // namespace

class ExchangePartsTest : public QObject
{
    Q_OBJECT

private:
    QString m_db;
    std::shared_ptr<FakeSpreadsheet> m_fake;
    std::unique_ptr<TTable> m_table;
    ExportRecord m_record;

    WorksheetPtr freshSheet() { return m_fake->add()->activeSheet(); }
    void open(const QString &table)
    {
        m_table = std::make_unique<TTable>();
        m_table->setDatabaseName(QStringLiteral("Parts"));
        m_table->setTableName(table);
        m_table->open();
    }
    QVariant stored(const QString &sql) const { return DataFixture::scalar(m_db, sql); }

private slots:
    void init()
    {
        m_fake = std::make_shared<FakeSpreadsheet>();
        m_db = DataFixture::makeDatabase(QStringLiteral("Parts"),
            {QStringLiteral("CREATE TABLE Clean (Name VARCHAR(10))"),
                QStringLiteral("INSERT INTO Clean VALUES ('one')"),
                QStringLiteral("CREATE TABLE Odd (Name VARCHAR(10), No INTEGER, Notes MEMO,"
                               " Photo GRAPHIC)"),
                QStringLiteral("INSERT INTO Odd VALUES ('fine', 'abc', x'fffe00', x'00010203'),"
                               " ('Tiger', 2, 'text', NULL)")});
        DataFixture::writeAliases({{QStringLiteral("Parts"), m_db}});
    }

    void cleanup()
    {
        m_table.reset();
        m_fake.reset();
    }

    void trimmingRemovesBlanksAndControlCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("blanks and line breaks")
            << QStringLiteral("  a b \r\n") << QStringLiteral("a b");
        QTest::newRow("control characters")
            << QStringLiteral("\x01\tx\x7f\x1b") << QStringLiteral("x");
        QTest::newRow("wide and fixed spaces")
            << QStringLiteral("\u3000\u00a0字\u3000") << QStringLiteral("字");
        QTest::newRow("nothing but blanks") << QStringLiteral(" \n\t ") << QString();
        QTest::newRow("inner breaks stay")
            << QStringLiteral("one\ntwo") << QStringLiteral("one\ntwo");
    }

    void trimmingRemovesBlanksAndControlCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(CellValues::trimmed(text), trimmed);
        QCOMPARE(CellValues::isBlank(text), trimmed.isEmpty());
    }

    void typedValuesAreNeverBlank()
    {
        QVERIFY(CellValues::isBlank(QVariant()));
        QVERIFY(!CellValues::isBlank(0.0));
        QVERIFY(!CellValues::isBlank(false));
        QVERIFY(!CellValues::isBlank(QDate(2000, 1, 1)));
    }

    void fieldValuesBecomeTypedCells_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("cell");
        QTest::newRow("null") << QVariant() << int(ftInteger) << QVariant();
        QTest::newRow("whole number")
            << QVariant(qlonglong(-42)) << int(ftInteger) << QVariant(-42.0);
        QTest::newRow("too large for a cell goes as text") << QVariant(qlonglong(1)
            << 60) << int(ftInteger) << QVariant(QStringLiteral("1152921504606846976"));
        QTest::newRow("money") << QVariant(12.5) << int(ftCurrency)
                               << QVariant::fromValue(CurrencyValue {12.5});
        QTest::newRow("yes/no") << QVariant(true) << int(ftBoolean) << QVariant(true);
        QTest::newRow("date") << QVariant(QDate(1999, 12, 31)) << int(ftDate)
                              << QVariant(QDate(1999, 12, 31));
        QTest::newRow("time") << QVariant(QTime(1, 2, 3, 4)) << int(ftTime)
                              << QVariant(QTime(1, 2, 3, 4));
        QTest::newRow("text that looks like a number") << QVariant(
            QStringLiteral("00123")) << int(ftString) << QVariant(QStringLiteral("00123"));
    }

    void fieldValuesBecomeTypedCells()
    {
        QFETCH(QVariant, value);
        QFETCH(int, type);
        QFETCH(QVariant, cell);
        const QVariant result = CellValues::toCell(value, type);
        QCOMPARE(result.metaType(), cell.metaType());
        if (cell.metaType() == QMetaType::fromType<CurrencyValue>())
            QCOMPARE(result.value<CurrencyValue>(), cell.value<CurrencyValue>());
        else
            QCOMPARE(result, cell);
    }

    void aYesNoCellTypedAsANumberIsAYesNoValue()
    {
        QCOMPARE(CellValues::toField(1.0, ftBoolean), QVariant(true));
        QCOMPARE(CellValues::toField(0.0, ftBoolean), QVariant(false));
        QCOMPARE(CellValues::toField(2.0, ftBoolean), QVariant(2.0)); // the field refuses it
        QCOMPARE(CellValues::toField(2.0, ftString), QVariant(2.0));
    }

    void ordinaryFieldsComeFirstThenMemosAndPictures()
    {
        const QList<int> types {ftMemo, ftString, ftGraphic, ftInteger, ftBlob};
        QCOMPARE(SheetLayout::exportColumns(types), (QList<int> {3, 1, 4, 2, 5}));
        QCOMPARE(SheetLayout::writeBackColumns(types), (QList<int> {0, 1, 0, 2, 0}));
        QCOMPARE(SheetLayout::objectName(2, QStringLiteral("Remark")), QStringLiteral("2Remark"));
    }

    void workbooksLiveBesideTheProgramWhileThatCanBeWritten()
    {
        QTemporaryDir program;
        markAsBuildFolder(program.path());
        const QString user = QStringLiteral("/home/someone/.local/share");
        QCOMPARE(WorkbookLocation::directoryFor(program.path(), user), program.filePath("Data"));
        // A program directory that is not one, or a Data that is a file: the user's directory.
        QCOMPARE(WorkbookLocation::directoryFor(QStringLiteral("/no/such/program"), user),
            user + QStringLiteral("/Tabvale/Data"));
        QFile file(program.filePath(QStringLiteral("Data")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(WorkbookLocation::directoryFor(program.path(), user),
            user + QStringLiteral("/Tabvale/Data"));
        QVERIFY(!WorkbookLocation::makeDirectory(program.filePath(QStringLiteral("Data/x"))));
        QVERIFY(WorkbookLocation::makeDirectory(program.filePath(QStringLiteral("Tabvale/Data"))));
    }

    void onlyAProgramRunFromItsBuildFolderKeepsWorkbooksBesideItself()
    {
        const QString user = QStringLiteral("/home/someone/.local/share");
        // The build writes its marker beside the program it builds.
        QVERIFY(WorkbookLocation::isBuildFolder(QStringLiteral(TABVALE_PROGRAM_DIR)));
        QCOMPARE(WorkbookLocation::directoryFor(QStringLiteral(TABVALE_PROGRAM_DIR), user),
            QStringLiteral(TABVALE_PROGRAM_DIR "/Data"));
        // Installed (or copied elsewhere), a program keeps them in the user's data folder, even
        // where it could write beside itself.
        QTemporaryDir installed;
        QVERIFY(QFile::copy(QStringLiteral(TABVALE_PROGRAM_DIR "/tabvale"),
            installed.filePath(QStringLiteral("tabvale"))));
        QVERIFY(!WorkbookLocation::isBuildFolder(installed.path()));
        QCOMPARE(WorkbookLocation::directoryFor(installed.path(), user),
            user + QStringLiteral("/Tabvale/Data"));
        QCOMPARE(WorkbookLocation::directoryFor(QStringLiteral("/usr/bin"), user),
            user + QStringLiteral("/Tabvale/Data"));
    }

    void anOfficeMarkIsReadWithItsEscapes_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("fields"); // owner, login, host, since, profile; none: unread
        QTest::newRow("a mark without the office user's name")
            << QByteArray(",alice,pc1,09.12.2026 20:10,file:///home/alice/.config/libreoffice/4;")
            << QStringList {"alice", "alice", "pc1", "09.12.2026 20:10",
                   "file:///home/alice/.config/libreoffice/4"};
        QTest::newRow("a name with escaped commas and a line break after the mark")
            << QByteArray("Li\\, Wei\\\\,li,pc1.example.org,01.01.2027 08:00,file:///p/lo;\n")
            << QStringList {
                   "Li, Wei\\", "li", "pc1.example.org", "01.01.2027 08:00", "file:///p/lo"};
        QTest::newRow("Chinese names")
            << QByteArray("王伟,wang,电脑,01.01.2027 08:00,file:///w;")
            << QStringList {"王伟", "wang", "电脑", "01.01.2027 08:00", "file:///w"};
        QTest::newRow("too few fields") << QByteArray("alice,pc1;") << QStringList();
        QTest::newRow("empty") << QByteArray() << QStringList();
    }

    void anOfficeMarkIsReadWithItsEscapes()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, fields);
        const auto mark = OfficeLockFile::parse(text);
        QCOMPARE(mark.has_value(), !fields.isEmpty());
        if (!mark)
            return;
        QCOMPARE((QStringList {mark->owner(), mark->login(), mark->host(), mark->since(),
                     mark->profileUrl()}),
            fields);
    }

    void anOfficeOwnsAMarkByTheProfileItRunsOn_data()
    {
        // The mark's profile: file:///home/alice/lo%20profile.
        QTest::addColumn<QStringList>("commandLine");
        QTest::addColumn<QString>("defaultProfile"); // of the process's user
        QTest::addColumn<bool>("owns");
        const QString office = QStringLiteral("/usr/lib/libreoffice/program/soffice.bin");
        const QString alices = QStringLiteral("/home/alice/.config/libreoffice/4");
        QTest::newRow("the mark's profile, as a URL") << QStringList {office, "--calc",
            "-env:UserInstallation=file:///home/alice/lo%20profile"}
                                                      << alices << true;
        QTest::newRow("the mark's profile, as a path with a slash")
            << QStringList {"soffice", "--env:UserInstallation=/home/alice/lo profile/"} << alices
            << true;
        QTest::newRow("another profile")
            << QStringList {office, "-env:UserInstallation=file:///tmp/x"} << alices << false;
        QTest::newRow("the default profile when it is the mark's")
            << QStringList {office, "--splash-pipe=5"} << "/home/alice/lo profile" << true;
        QTest::newRow("the default profile when it is another")
            << QStringList {office} << alices << false;
        QTest::newRow("the launcher")
            << QStringList {"oosplash", "--calc"} << "/home/alice/lo profile" << true;
        QTest::newRow("not an office")
            << QStringList {"vim", "-env:UserInstallation=file:///home/alice/lo%20profile"}
            << alices << false;
        QTest::newRow("a process without a command line")
            << QStringList() << "/home/alice/lo profile" << false;
    }

    void anOfficeOwnsAMarkByTheProfileItRunsOn()
    {
        QFETCH(QStringList, commandLine);
        QFETCH(QString, defaultProfile);
        QFETCH(bool, owns);
        const auto mark = OfficeLockFile::parse(OfficeMarks::text(QStringLiteral("alice"),
            QSysInfo::machineHostName(), QStringLiteral("file:///home/alice/lo%20profile")));
        QVERIFY(mark);
        QCOMPARE(mark->mayBeOwnedBy(commandLine, defaultProfile), owns);
        QVERIFY(mark->madeWith(QStringLiteral("/home/alice/lo profile")));
        QVERIFY(!mark->madeWith(QStringLiteral("/home/alice/lo")));
    }

    void aMarkIsHeldWhileItsOfficeRunsHereAndAlwaysFromElsewhere()
    {
        const QString profile = QStringLiteral("file:///tmp/tabvale-test-profile-%1")
                                    .arg(QCoreApplication::applicationPid());
        const auto here = OfficeLockFile::parse(OfficeMarks::text(
            QStringLiteral("someone-else"), QSysInfo::machineHostName(), profile));
        const auto elsewhere = OfficeLockFile::parse(OfficeMarks::text(
            QStringLiteral("someone-else"), QStringLiteral("far-away-host"), profile));
        QVERIFY(here && elsewhere);
        QVERIFY(here->madeHere());
        QVERIFY(!elsewhere->madeHere());
        QVERIFY(!here->ownerRunning());
        {
            OfficeMarks::PretendOffice office(profile);
            QVERIFY(here->ownerRunning());
            office.stop();
            QVERIFY(!here->ownerRunning());
        }
        QVERIFY(elsewhere->ownerRunning());
    }

    void aStaleMarkIsRemovedAndALiveOneStopsTheExportSayingWhose()
    {
        QTemporaryDir folder;
        const QString workbook = folder.filePath(QStringLiteral("Parts.xls"));
        const QString markPath = OfficeLockFile::pathFor(workbook);
        QCOMPARE(markPath, folder.filePath(QStringLiteral(".~lock.Parts.xls#")));
        const QString profile = QStringLiteral("file:///tmp/tabvale-test-profile-%1")
                                    .arg(QCoreApplication::applicationPid());
        const QByteArray held = OfficeMarks::text(QStringLiteral("someone-else"),
            QSysInfo::machineHostName(), profile, QStringLiteral("Wang Wei"));

        // No mark: nothing to do.
        WorkbookLock::clearStale(*m_fake, workbook);
        // Its office has ended: the mark goes.
        OfficeMarks::write(workbook, held);
        WorkbookLock::clearStale(*m_fake, workbook);
        QVERIFY(!QFileInfo::exists(markPath));
        // A mark no office could read goes too.
        OfficeMarks::write(workbook, "garbage");
        WorkbookLock::clearStale(*m_fake, workbook);
        QVERIFY(!QFileInfo::exists(markPath));

        // A mark of the export's own office, which does not have the workbook open, is stale even
        // while that office runs.
        const QString ours = QUrl::fromLocalFile(OfficeLockFile::defaultProfile()).toString();
        {
            OfficeMarks::PretendOffice ourOffice(ours);
            OfficeMarks::write(workbook,
                OfficeMarks::text(QStringLiteral("me"), QSysInfo::machineHostName(), ours));
            WorkbookLock::clearStale(*m_fake, workbook);
            QVERIFY(!QFileInfo::exists(markPath));
        }

        // Another office runs on the mark's profile: the export stops with who has it, and the
        // mark stays.
        OfficeMarks::write(workbook, held);
        OfficeMarks::PretendOffice office(profile);
        try {
            WorkbookLock::clearStale(*m_fake, workbook);
            QFAIL("no error");
        } catch (const ExchangeError &e) {
            for (const QString &part : {QStringLiteral("Parts.xls"), QStringLiteral("Wang Wei"),
                     QSysInfo::machineHostName()})
                QVERIFY2(e.message().contains(part), qPrintable(e.message()));
        }
        QVERIFY(QFileInfo::exists(markPath));
        // Unless the workbook is open in the application the export drives.
        m_fake->add()->saveAs(workbook);
        WorkbookLock::clearStale(*m_fake, workbook);
        QVERIFY(QFileInfo::exists(markPath));
    }

    void aMarkThatCannotBeRemovedStopsTheExportSayingWhere()
    {
        QTemporaryDir folder;
        const QString workbook = folder.filePath(QStringLiteral("Parts.xls"));
        // A folder in the mark's place: it can be neither read nor removed as a file.
        QVERIFY(QDir().mkpath(OfficeLockFile::pathFor(workbook) + QStringLiteral("/inside")));
        try {
            WorkbookLock::clearStale(*m_fake, workbook);
            QFAIL("no error");
        } catch (const ExchangeError &e) {
            QVERIFY2(
                e.message().contains(QStringLiteral(".~lock.Parts.xls#")), qPrintable(e.message()));
        }
    }

    void databaseNamesBecomeSafeDistinctFileNames_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << QStringLiteral("Zoo") << QStringLiteral("Zoo.xls");
        QTest::newRow("Chinese and spaces")
            << QStringLiteral("动物 园") << QStringLiteral("动物 园.xls");
        QTest::newRow("a slash cannot leave the directory")
            << QStringLiteral("../../etc/passwd") << QStringLiteral("..%2F..%2Fetc%2Fpasswd.xls");
        QTest::newRow("backslash") << QStringLiteral("a\\b") << QStringLiteral("a%5Cb.xls");
        QTest::newRow("the escape itself")
            << QStringLiteral("a%2Fb") << QStringLiteral("a%252Fb.xls");
        QTest::newRow("dots alone") << QStringLiteral("..") << QStringLiteral("%2E%2E.xls");
        QTest::newRow("a line break") << QStringLiteral("a\nb") << QStringLiteral("a%0Ab.xls");
    }

    void databaseNamesBecomeSafeDistinctFileNames()
    {
        QFETCH(QString, database);
        QFETCH(QString, file);
        QCOMPARE(WorkbookLocation::fileNameFor(database), file);
        QVERIFY(!file.contains(QLatin1Char('/')));
        const QStringList databases {QStringLiteral("other"), database};
        QCOMPARE(WorkbookLocation::databaseOf(file, databases), database);
    }

    void aWorkbookNamesItsDatabaseExactly()
    {
        const QStringList databases {QStringLiteral("Zoo"), QStringLiteral("a/b")};
        QCOMPARE(WorkbookLocation::databaseOf(QStringLiteral("zoo.xls"), databases), QString());
        QCOMPARE(WorkbookLocation::databaseOf(QStringLiteral("Zoo.ods"), databases), QString());
        QCOMPARE(WorkbookLocation::databaseOf(QStringLiteral("a_b.xls"), databases), QString());
        QVERIFY(WorkbookLocation::fileNameFor(QString(250, QChar(u'长'))).toUtf8().size() <= 244);
    }

    void theReleaseSequenceRetriesUntilTheCellIsLeftThenHides()
    {
        freshSheet();
        m_fake->editingCalls = 2;
        int retry = 0;
        ReleaseSequence::run(*m_fake, retry);
        QCOMPARE(retry, 0);
        QVERIFY(!m_fake->visible());
        QCOMPARE(m_fake->keysSent.size(), 6); // Tab and Escape, three times
        QCOMPARE(m_fake->keysSent.mid(4),
            (QStringList {QStringLiteral("{TAB}"), QStringLiteral("{ESC}")}));
    }

    void theReleaseSequenceGivesUpAfterItsBound()
    {
        freshSheet();
        m_fake->editingCalls = 1000;
        int retry = 0;
        QElapsedTimer timer;
        timer.start();
        try {
            ReleaseSequence::run(*m_fake, retry, 1200);
            QFAIL("the sequence never gave up");
        } catch (const SpreadsheetError &e) {
            QCOMPARE(e.message(), QStringLiteral("the spreadsheet application does not answer"));
            QCOMPARE(e.kind(), SpreadsheetError::Kind::NotAnswering);
        }
        QVERIFY(timer.elapsed() >= 1200);
        QVERIFY(m_fake->editingCalls > 990);
        // An application that is gone is not waited for.
        m_fake->gone = true;
        timer.restart();
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, ReleaseSequence::run(*m_fake, retry));
        QVERIFY(timer.elapsed() < ReleaseSequence::WaitMs);
    }

    void aRefusedBlockIsWrittenCellByCellSkippingTheRefusedCell()
    {
        auto cells = freshSheet()->cells();
        m_fake->refuses = [](const QVariant &v) {
            return v == QVariant(QStringLiteral("bad"));
        };
        CellBlocks::write(*cells, 2, 3, {{1, QStringLiteral("bad")}, {QStringLiteral("ok"), 4}});
        QCOMPARE(cells->item(2, 3), QVariant(1.0));
        QCOMPARE(cells->item(2, 4), QVariant(QString()));
        QCOMPARE(cells->item(3, 3), QVariant(QStringLiteral("ok")));
        QCOMPARE(cells->item(3, 4), QVariant(4.0));
        // A block that goes through is one call.
        m_fake->blockCalls = m_fake->cellCalls = 0;
        CellBlocks::write(*cells, 5, 1, {{1, 2, 3}, {4, 5, 6}});
        QCOMPARE(m_fake->blockCalls, 1);
        QCOMPARE(m_fake->cellCalls, 0);
        // Gone is not a refused cell.
        m_fake->gone = true;
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, CellBlocks::write(*cells, 1, 1, {{1}}));
    }

    void valuesTheTableCannotReadComeBackUntouched()
    {
        open(QStringLiteral("Odd"));
        auto sheet = freshSheet();
        const QString key = ExportRecord::sheetKey(QStringLiteral("/data/Parts.xls"), "Odd");
        TableExport(*m_table, *sheet, m_record, key, pattern(8, 8)).run();
        auto cells = sheet->cells();
        // Shown as the text it is stored as; no text box or picture for what cannot be read.
        QCOMPARE(cells->item(2, 2), QVariant(QStringLiteral("abc")));
        QCOMPARE(sheet->shapeNames(), QStringList {QStringLiteral("3Notes")});
        m_table->first();
        SheetWriteBack(*m_table, *sheet, &m_record, key).run();
        QCOMPARE(stored(QStringLiteral("SELECT No FROM Odd WHERE rowid = 1")),
            QVariant(QStringLiteral("abc")));
        QCOMPARE(DataFixture::blob(m_db, QStringLiteral("SELECT Notes FROM Odd WHERE rowid = 1")),
            QByteArray::fromHex("fffe00"));
        QCOMPARE(DataFixture::blob(m_db, QStringLiteral("SELECT Photo FROM Odd WHERE rowid = 1")),
            QByteArray::fromHex("00010203"));
        // What the user puts there instead is taken.
        cells->setItem(2, 2, 7.0);
        sheet->pastePicture(pattern(5, 5))->setName(QStringLiteral("2Photo"));
        m_table->first();
        SheetWriteBack(*m_table, *sheet, &m_record, key).run();
        QCOMPARE(stored(QStringLiteral("SELECT No FROM Odd WHERE rowid = 1")), QVariant(7));
        QCOMPARE(StoredPicture::decode(DataFixture::blob(
                     m_db, QStringLiteral("SELECT Photo FROM Odd WHERE rowid = 1"))),
            pattern(5, 5));
    }

    void aCellTheSheetRefusesIsSkippedAndTheExportGoesOn()
    {
        open(QStringLiteral("Odd"));
        auto sheet = freshSheet();
        m_fake->refuses = [](const QVariant &v) {
            return v == QVariant(QStringLiteral("Tiger"));
        };
        TableExport(*m_table, *sheet, m_record, QStringLiteral("k"), pattern(8, 8)).run();
        auto cells = sheet->cells();
        QCOMPARE(cells->item(3, 1), QVariant(QString()));
        QCOMPARE(cells->item(3, 2), QVariant(2.0));
        QCOMPARE(cells->item(2, 1), QVariant(QStringLiteral("fine")));
        QCOMPARE(sheet->textBox(QStringLiteral("3Notes"))->text(), QStringLiteral("text"));
        // Each field's Tag holds its column.
        QCOMPARE(m_table->fieldByName(QStringLiteral("Photo"))->Tag, 4);
    }

    void aMemoIsCutIntoPiecesWithoutSplittingACharacter()
    {
        DataFixture::exec(m_db, QStringLiteral("CREATE TABLE Memos (Notes MEMO)"));
        const QString text = QString(99, QChar(u'a')) + QStringLiteral("😀") + QString(150, u'b');
        DataFixture::exec(m_db, QStringLiteral("INSERT INTO Memos VALUES ('%1')").arg(text));
        open(QStringLiteral("Memos"));
        auto sheet = freshSheet();
        // The in-memory text boxes refuse a piece that splits a character, as it would be mangled.
        TableExport(*m_table, *sheet, m_record, QStringLiteral("k"), pattern(8, 8)).run();
        QCOMPARE(sheet->textBox(QStringLiteral("2Notes"))->text(), text);
    }

    void withoutASpreadsheetTheMenuSaysSoAndChangesNothing()
    {
        QList<Prompts::Request> asked;
        Prompts::setScript([&](const Prompts::Request &r) {
            asked << r;
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
        ScopedEnv program("TABVALE_CALC_PROGRAM", "/no/such/office");
        TExcelApplication::setFactory(nullptr);
        {
            TForm1 window(true);
            window.LookData1->trigger();
            QVERIFY(LookDataForm);
            window.IntoExcel1->trigger();
            QCOMPARE(asked.size(), 1);
            QCOMPARE(asked[0].text, QStringLiteral("the spreadsheet application is not installed"));
            QVERIFY(window.LookData1->isChecked());
            QVERIFY(LookDataForm);
            QVERIFY(!window.ExcelApplication1);
            QVERIFY(!window.SaveAndClose1->isEnabled());
        }
        Prompts::setScript(nullptr);
    }

    void aDirectoryThatCannotBeMadeIsAProgramError()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        // Neither beside the program nor in the user's data directory can Data/ be made.
        WorkbookLocation::setProgramDirectory(dir.filePath(QStringLiteral("file")));
        ScopedEnv data("XDG_DATA_HOME", dir.filePath(QStringLiteral("file/share")).toLocal8Bit());
        TExcelApplication::setFactory([this] { return m_fake; });
        QList<Prompts::Request> asked;
        Prompts::setScript([&](const Prompts::Request &r) {
            asked << r;
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
        {
            TForm1 window(true);
            window.IntoExcel1->trigger();
            QCOMPARE(asked.size(), 1);
            QCOMPARE(asked[0].text, QStringLiteral("程序错误！"));
            QCOMPARE(asked[0].buttons, QMessageBox::Ok);
            QVERIFY(m_fake->books.empty());
            QVERIFY(!window.SaveAndClose1->isEnabled());
        }
        Prompts::setScript(nullptr);
        TExcelApplication::setFactory(nullptr);
        WorkbookLocation::setProgramDirectory(QString());
    }
};

TABVALE_TEST_MAIN(ExchangePartsTest, QApplication)
#include "tst_ExchangeParts.moc"
