// A picture field to and from a folder through the data menu, as a user meets it: the dialog that
// chooses the fields and the folder, the question about existing files, the dry run shown before a
// load, and the undo that puts every record back.
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "common/Prompts.h"
#include "datawindow/TForm1.h"
#include "datawindow/picturefolder/LoadPlanDialog.h"
#include "datawindow/picturefolder/PictureFolderDialog.h"
#include "engine/TTable.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray photo(int seed)
{
    return PictureSamples::withExif(
        PictureSamples::jpeg(PictureSamples::stripes(QSize(20 + seed, 12), 6),
            PictureSamples::JpegKind::Baseline),
        6);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class PictureFolderMenuTest : public QObject
{
    Q_OBJECT

private:
    QString m_db;
    std::unique_ptr<TForm1> m_main;
    QString m_folder; // what the field dialog is given
    QList<Prompts::Request> m_asked;
    QList<Prompts::Answer> m_answers; // for the questions and messages, in turn; then OK
    QStringList m_shownPlan; // the dry run's lists as the dialog showed them
    bool m_confirmPlan = true;

    // Every record's picture as SQLite quotes it, in rowid order.
    QString photos()
    {
        return DataFixture::scalar(m_db,
            QStringLiteral("SELECT group_concat(quote(Photo), ' ') FROM (SELECT Photo FROM Staff "
                           "ORDER BY rowid)"))
            .toString();
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const Prompts::Request &r : m_asked) {
            if (r.kind == Prompts::Request::Message || r.kind == Prompts::Request::Choice)
                texts << r.text;
        }
        return texts;
    }

    Prompts::Answer answer(const Prompts::Request &r)
    {
        m_asked << r;
        if (auto *fields = qobject_cast<PictureFolderDialog *>(r.dialog)) {
            fields->choose(QStringLiteral("Photo"), QStringLiteral("Name"), m_folder);
            return {QMessageBox::Ok, {}};
        }
        if (auto *plan = qobject_cast<LoadPlanDialog *>(r.dialog)) {
            using L = LoadPlanDialog::List;
            for (L list : {L::Matched, L::FilesWithoutRecord, L::RecordsWithoutFile, L::Ambiguous})
                m_shownPlan << plan->rows(list).join(QStringLiteral("; "));
            return {m_confirmPlan ? QMessageBox::Ok : QMessageBox::Cancel, {}};
        }
        return m_answers.isEmpty() ? Prompts::Answer {QMessageBox::Ok, {}} : m_answers.takeFirst();
    }

private slots:
    void initTestCase()
    {
        WindowWiring::install();
        Prompts::setScript([this](const Prompts::Request &r) { return answer(r); });
    }

    void init()
    {
        m_db = DataFixture::makeDatabase(QStringLiteral("Album"),
            {QStringLiteral("CREATE TABLE Staff (Name TEXT, Photo BLOB)"),
                QStringLiteral("INSERT INTO Staff VALUES ('Davolio', NULL), ('Fuller', NULL), "
                               "('King', NULL), ('Twin', NULL), ('Twin', NULL), ('Empty', NULL)")});
        DataFixture::execBound(m_db, QStringLiteral("UPDATE Staff SET Photo = ?1 WHERE rowid = 1"),
            {photo(1)});
        DataFixture::execBound(m_db, QStringLiteral("UPDATE Staff SET Photo = ?1 WHERE rowid = 2"),
            {PictureSamples::png(PictureSamples::quadrants(QSize(8, 6)))});
        DataFixture::writeAliases({{QStringLiteral("Album"), m_db}}, QStringLiteral("file"));
        m_asked.clear();
        m_answers.clear();
        m_shownPlan.clear();
        m_confirmPlan = true;
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Staff"));
    }

    void cleanup() { m_main.reset(); }

    void theMenuExportWritesEachPictureAsItsFileAndAsksBeforeTouchingExistingOnes()
    {
        QTemporaryDir out;
        m_folder = out.path();
        m_main->ExportPictures1->trigger();
        QCOMPARE(readFile(out.filePath(QStringLiteral("Davolio.jpg"))), photo(1));
        QCOMPARE(readFile(out.filePath(QStringLiteral("Fuller.png"))),
            PictureSamples::png(PictureSamples::quadrants(QSize(8, 6))));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);
        QVERIFY2(messages().last().contains(u"2 pictures were written"), qPrintable(messages().last()));
        QVERIFY(messages().last().contains(u"4 records have no picture"));

        // Again into the same folder: one question for both files; keeping them writes nothing.
        writeFile(out.filePath(QStringLiteral("Davolio.jpg")), "the user's own file");
        m_asked.clear();
        m_answers = {Prompts::Answer {QMessageBox::Ok, {}, 0}};
        m_main->ExportPictures1->trigger();
        QCOMPARE(messages().size(), 2); // the question, then the summary
        QVERIFY(messages().first().contains(u"Davolio.jpg"));
        QCOMPARE(readFile(out.filePath(QStringLiteral("Davolio.jpg"))), "the user's own file");
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);
        QVERIFY2(messages().last().contains(u"0 pictures were written"), qPrintable(messages().last()));
        QVERIFY(messages().last().contains(u"Davolio.jpg, Fuller.png"));
    }

    void theMenuLoadShowsTheDryRunFirstAndOneUndoPutsEveryRecordBack()
    {
        QTemporaryDir in;
        m_folder = in.path();
        for (const char *name : {"Davolio.jpg", "King.JPG", "Twin.jpg", "Nobody.jpg"})
            writeFile(in.filePath(QString::fromLatin1(name)), photo(int(qstrlen(name))));
        const QString before = photos();

        m_main->LoadPictures1->trigger();
        QCOMPARE(m_shownPlan,
            QStringList({QStringLiteral("Davolio.jpg | Davolio (record 1) | %1 | replaced; "
                                        "King.JPG | King (record 3) | %2 | none yet")
                             .arg(QLocale().formattedDataSize(photo(11).size()),
                                 QLocale().formattedDataSize(photo(8).size())),
                "Nobody.jpg",
                "Fuller (record 2); Empty (record 6)",
                "Twin | 2 | Twin.jpg"}));
        QCOMPARE(DataFixture::blob(m_db, QStringLiteral("SELECT Photo FROM Staff WHERE rowid = 1")),
            photo(11));
        QCOMPARE(DataFixture::blob(m_db, QStringLiteral("SELECT Photo FROM Staff WHERE rowid = 3")),
            photo(8));
        QVERIFY(messages().last().contains(u"2 pictures were loaded, 1 of them in place"));
        QVERIFY(m_main->Table1->active());

        m_asked.clear();
        m_answers = {Prompts::Answer {QMessageBox::Yes, {}}};
        m_main->UndoPictureLoad1->trigger();
        QVERIFY(messages().first().contains(u"Undo the load of 2 pictures"));
        QCOMPARE(photos(), before);
        QCOMPARE(DataFixture::scalar(m_db,
                     QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE '$$$%'")),
            QVariant(qlonglong(0)));

        // Nothing is left to undo, and saying so changes nothing.
        m_asked.clear();
        m_main->UndoPictureLoad1->trigger();
        QCOMPARE(messages(), QStringList {"No picture load into “Staff” is left to undo."});
        QCOMPARE(photos(), before);
    }

    void cancellingTheDryRunChangesNothing()
    {
        QTemporaryDir in;
        m_folder = in.path();
        writeFile(in.filePath(QStringLiteral("King.jpg")), photo(3));
        m_confirmPlan = false;
        const QString before = photos();
        m_main->LoadPictures1->trigger();
        QCOMPARE(m_shownPlan.size(), 4);
        QCOMPARE(photos(), before);
        QCOMPARE(DataFixture::scalar(m_db,
                     QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE '$$$%'")),
            QVariant(qlonglong(0)));
        QCOMPARE(messages(), QStringList());
    }
};

TABVALE_TEST_MAIN(PictureFolderMenuTest, TabvaleApplication)
#include "tst_PictureFolderMenu.moc"
