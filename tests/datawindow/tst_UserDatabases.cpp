// Databases made by other programs: strings declared TEXT, pictures stored as JPEG, PNG or GIF
// files, photos with an orientation, files that must be left exactly as they were.
#include "common/Prompts.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"
#include "picture/BmpCodec.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QtEndian>

namespace {

const QSize SampleSize(32, 16);

QByteArray graphicHeader(const QByteArray &file)
{
    QByteArray h(8, '\0');
    auto *p = reinterpret_cast<uchar *>(h.data());
    qToLittleEndian<quint16>(1, p);
    qToLittleEndian<quint16>(0x0100, p + 2);
    qToLittleEndian<quint32>(quint32(file.size()), p + 4);
    return h + file;
}

// The database file and its companions (journal, WAL) with their bytes.
QMap<QString, QByteArray> filesOf(const QString &database)
{
    QMap<QString, QByteArray> files;
    const QFileInfo info(database);
    for (const QFileInfo &f :
        QDir(info.path()).entryInfoList({info.fileName() + u'*'}, QDir::Files)) {
        QFile file(f.filePath());
        files.insert(f.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

} // namespace

class UserDatabasesTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TForm1> m_main;
    QList<Prompts::Request> m_asked;

    void openMainWindow(const QString &alias, const QString &path)
    {
        DataFixture::writeAliases({{alias, path}});
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
    }
    DBImage *pictureOf(const QString &field) const
    {
        return m_main->FieldImages.value(m_main->Table1->fieldByName(field)->Tag);
    }

private slots:
    void initTestCase()
    {
        Prompts::setScript([this](const Prompts::Request &r) {
            m_asked << r;
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
    }
    void init() { m_asked.clear(); }
    void cleanup() { m_main.reset(); }

    void stringColumnsDeclaredTextShowTheirText()
    {
        const QString longText
            = QStringLiteral("A biography far longer than any grid column is "
                             "wide, with a second line\nthat a cell cannot show.");
        const QString path = DataFixture::makeDatabase(QStringLiteral("Strings"),
            {QStringLiteral("CREATE TABLE People (Name TEXT, Bio TEXT, Notes MEMO)")});
        DataFixture::execBound(path, QStringLiteral("INSERT INTO People VALUES (?1, ?2, ?3)"),
            {QStringLiteral("Ann"), longText, QStringLiteral("a memo")});
        openMainWindow(QStringLiteral("Strings"), path);

        QCOMPARE(m_main->Table1->fieldByName(QStringLiteral("Bio"))->dataType(), int(ftString));
        // Only the memo gets a control beside the grid.
        QCOMPARE(m_main->FieldMemos.size(), 1);
        QCOMPARE(m_main->FieldLabels.size(), 1);
        QCOMPARE(m_main->FieldLabels.first()->text(), QStringLiteral("Notes"));
        DBGrid *grid = m_main->DBGrid1;
        const QModelIndex name = grid->model()->index(0, 0);
        const QModelIndex bio = grid->model()->index(0, 1);
        QCOMPARE(name.data().toString(), QStringLiteral("Ann"));
        QCOMPARE(bio.data().toString(), longText);
        // The whole text is the tooltip of the cell that cannot show it; a cell that shows all
        // of its text has none.
        QCOMPARE(grid->hiddenTextAt(grid->visualRect(bio).center()), longText);
        QCOMPARE(grid->hiddenTextAt(grid->visualRect(name).center()), QString());
    }

    void everyPictureFormatShowsInEveryPictureField_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("readable");
        const QImage picture = PictureSamples::quadrants(SampleSize);
        const QByteArray jpeg = PictureSamples::jpeg(picture, PictureSamples::JpegKind::Baseline);
        QTest::newRow("JPEG file") << jpeg << true;
        QTest::newRow("PNG file") << PictureSamples::png(picture) << true;
        QTest::newRow("GIF file") << PictureSamples::gif(picture) << true;
        QTest::newRow("JPEG after the graphic header") << graphicHeader(jpeg) << true;
        QTest::newRow("bitmap (the stored form)") << BmpCodec::encode(picture) << true;
        QTest::newRow("JPEG cut short") << jpeg.left(jpeg.size() / 2) << false;
        QTest::newRow("text in a picture field") << QByteArray("no picture here") << false;
    }

    void everyPictureFormatShowsInEveryPictureField()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, readable);
        const QString path = DataFixture::makeDatabase(QStringLiteral("Formats"),
            {QStringLiteral("CREATE TABLE Photos (Name TEXT, AsBlob BLOB, AsGraphic GRAPHIC, "
                            "AsTyped TYPEDBINARY)")});
        DataFixture::execBound(
            path, QStringLiteral("INSERT INTO Photos VALUES ('p', ?1, ?1, ?1)"), {value});
        openMainWindow(QStringLiteral("Formats"), path);
        for (const QString field : {"AsBlob", "AsGraphic", "AsTyped"}) {
            DBImage *image = pictureOf(field);
            QVERIFY(image);
            if (readable) {
                QCOMPARE(image->picture().size(), SampleSize);
                QVERIFY2(image->loadError().isEmpty(), qPrintable(image->loadError()));
            } else {
                QVERIFY(image->picture().isNull());
                QVERIFY(!image->loadError().isEmpty());
            }
        }
    }

    void aPortraitPhotoShowsUpright()
    {
        // Stored lying on its side, 64 × 32, with the camera's note that its top is on the right.
        const QByteArray photo = PictureSamples::withExif(
            PictureSamples::jpeg(
                PictureSamples::quadrants(QSize(64, 32)), PictureSamples::JpegKind::Baseline),
            6);
        const QString path = DataFixture::makeDatabase(QStringLiteral("Portrait"),
            {QStringLiteral("CREATE TABLE Staff (Name TEXT, Photo BLOB)")});
        DataFixture::execBound(
            path, QStringLiteral("INSERT INTO Staff VALUES ('Ann', ?1)"), {photo});
        openMainWindow(QStringLiteral("Portrait"), path);
        const QImage shown = pictureOf(QStringLiteral("Photo"))->picture();
        QCOMPARE(shown.size(), QSize(32, 64));
        // The stored picture's bottom-left (blue) quadrant is the upright top-left.
        QVERIFY(qBlue(shown.pixel(4, 4)) > 200 && qRed(shown.pixel(4, 4)) < 60);
    }

    void changingOneFieldLeavesThePictureAndMemoAsTheyWere()
    {
        const QByteArray photo = PictureSamples::withExif(
            PictureSamples::jpeg(
                PictureSamples::quadrants(QSize(64, 32)), PictureSamples::JpegKind::Progressive),
            6);
        const QString memo = QStringLiteral("first line\r\nsecond line\r\n");
        const QString path = DataFixture::makeDatabase(QStringLiteral("Kept"),
            {QStringLiteral("CREATE TABLE Staff (Name TEXT, Photo BLOB, Notes MEMO)")});
        DataFixture::execBound(
            path, QStringLiteral("INSERT INTO Staff VALUES ('Ann', ?1, ?2)"), {photo, memo});
        openMainWindow(QStringLiteral("Kept"), path);
        m_main->Table1->edit();
        m_main->Table1->fieldByName(QStringLiteral("Name"))->setValue(QStringLiteral("Anna"));
        m_main->Table1->post();
        QCOMPARE(DataFixture::scalar(path, QStringLiteral("SELECT Name FROM Staff")).toString(),
            QStringLiteral("Anna"));
        // The photo is not turned into the stored form, the memo's line breaks are not changed.
        QCOMPARE(DataFixture::blob(path, QStringLiteral("SELECT Photo FROM Staff")), photo);
        QCOMPARE(
            DataFixture::scalar(path, QStringLiteral("SELECT Notes FROM Staff")).toString(), memo);
    }

    void openingActivatingAndQuittingLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("journalMode");
        QTest::newRow("rollback journal") << "delete";
        QTest::newRow("write-ahead log") << "wal";
    }

    void openingActivatingAndQuittingLeavesTheFileAsItWas()
    {
        QFETCH(QString, journalMode);
        const QByteArray photo = PictureSamples::jpeg(
            PictureSamples::quadrants(SampleSize), PictureSamples::JpegKind::Progressive);
        const QString path = DataFixture::makeDatabase(QStringLiteral("Untouched"),
            {QStringLiteral("PRAGMA journal_mode = %1").arg(journalMode),
                QStringLiteral("CREATE TABLE Staff (Id INTEGER PRIMARY KEY, Name TEXT, "
                               "Photo BLOB, Notes MEMO, Remark TEXT)"),
                QStringLiteral("CREATE TABLE Categories (Name TEXT, Picture BLOB)")});
        for (int i = 0; i < 3; ++i)
            DataFixture::execBound(path,
                QStringLiteral("INSERT INTO Staff (Name, Photo, Notes, Remark) "
                               "VALUES (?1, ?2, ?3, ?4)"),
                {QStringLiteral("Name %1").arg(i), photo, QStringLiteral("two\r\nlines"),
                    QStringLiteral("tab\tand\r\nbreak")});
        DataFixture::execBound(
            path, QStringLiteral("INSERT INTO Categories VALUES ('c', ?1)"), {photo});
        const auto before = filesOf(path);

        openMainWindow(QStringLiteral("Untouched"), path);
        QCOMPARE(m_main->Table1->recordCount(), 3);
        m_main->FormActivate();
        m_main->Table1->last();
        m_main->FormDeactivate();
        m_main->FormActivate();
        m_main->CBTable->setCurrentIndex(1); // the other table, as the user picks it
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Categories"));
        m_main->FormActivate();
        m_main->close();
        m_main.reset();
        QCOMPARE(filesOf(path), before);
        QVERIFY(m_asked.isEmpty());
    }

    void aReadOnlyDatabaseSaysSoOnceAndRefusesChanges()
    {
        const QString path = DataFixture::makeDatabase(QStringLiteral("Locked away"),
            {QStringLiteral("CREATE TABLE A (Name TEXT, Photo BLOB)"),
                QStringLiteral("CREATE TABLE B (Name TEXT)"),
                QStringLiteral("INSERT INTO A (Name) VALUES ('kept')")});
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        const auto before = filesOf(path);
        openMainWindow(QStringLiteral("Locked away"), path);
        QCOMPARE(m_asked.size(), 1);
        QVERIFY2(m_asked.first().text.contains(QStringLiteral("read-only")),
            qPrintable(m_asked.first().text));
        m_main->CBTable->setCurrentIndex(1);
        m_main->CBTable->setCurrentIndex(0);
        QCOMPARE(m_asked.size(), 1); // once for the database, not per table

        m_main->DBGrid1->setSelectedIndex(0);
        try {
            m_main->ToolButton26Click();
            QFAIL("a read-only database took a change");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("read-only")), qPrintable(e.message()));
        }
        QCOMPARE(m_main->Table1->state(), TTable::Browse);
        m_main->close();
        m_main.reset();
        QCOMPARE(filesOf(path), before);
    }
};

TABVALE_TEST_MAIN(UserDatabasesTest, QApplication)
#include "tst_UserDatabases.moc"
