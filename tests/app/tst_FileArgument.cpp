// Starting with a database file: its alias found or added, chosen in the main window with its
// first table open; a file that is no database gets one message and changes nothing.
#include "app/FileArgument.h"
#include "common/Prompts.h"
#include "datawindow/TForm1.h"
#include "engine/TTable.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class FileArgumentTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TForm1> m_main;
    QList<Prompts::Request> m_asked;
    QString m_zoo;

    // A database whose first table (in creation order, not by name) is Birds, with one record.
    QString makeDatabase(const QString &relative)
    {
        const QString path = m_dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile::remove(path);
        DataFixture::exec(path, QStringLiteral("CREATE TABLE Birds (Name TEXT)"));
        DataFixture::exec(path, QStringLiteral("CREATE TABLE Alpacas (Name TEXT)"));
        DataFixture::exec(path, QStringLiteral("INSERT INTO Birds VALUES ('Crane')"));
        return path;
    }
    static QByteArray aliasFileBytes()
    {
        QFile f(qEnvironmentVariable("TABVALE_ALIASES"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void startWith(const QString &file)
    {
        m_main = std::make_unique<TForm1>(true);
        FileArgument::open(m_main.get(), file);
        m_main->show();
        QApplication::processEvents();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        Prompts::setScript([this](const Prompts::Request &r) {
            m_asked << r;
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
    }
    void cleanupTestCase() { Prompts::setScript(nullptr); }
    void init()
    {
        m_asked.clear();
        m_zoo = DataFixture::makeDatabase(
            QStringLiteral("Zoo"), {QStringLiteral("CREATE TABLE Animals (Name TEXT)")});
        DataFixture::writeAliases({{QStringLiteral("Zoo"), m_zoo}});
    }
    void cleanup() { m_main.reset(); }

    void theFileIsTakenFromTheArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("none: the usual start") << QStringList {"tabvale"} << QString();
        QTest::newRow("a path") << QStringList {"tabvale", "/data/photos.sqlite"}
                                << "/data/photos.sqlite";
        QTest::newRow("a file URL")
            << QStringList {"tabvale", "file:///data/my%20photos%E5%9B%BE.sqlite"}
            << "/data/my photos图.sqlite";
        QTest::newRow("a relative path")
            << QStringList {"tabvale", "photos.sqlite"} << "photos.sqlite";
    }

    void theFileIsTakenFromTheArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QCOMPARE(FileArgument::fromArguments(arguments), file);
    }

    void theFileIsChosenWithItsFirstTableOpen_data()
    {
        QTest::addColumn<QString>("aliasedAs"); // an alias the file has before, or ""
        QTest::addColumn<QString>("otherPhotos"); // an alias "photos" of another file, or ""
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QStringList>("list"); // the 数据库 list afterwards
        QTest::newRow("a new file")
            << QString() << QString() << "photos" << QStringList {"Zoo", "photos"};
        QTest::newRow("an aliased file")
            << "Mine" << QString() << "Mine" << QStringList {"Zoo", "Mine"};
        QTest::newRow("a name clash")
            << QString() << "old/photos.sqlite"
            << "photos (2)" << QStringList {"Zoo", "photos", "photos (2)"};
    }

    void theFileIsChosenWithItsFirstTableOpen()
    {
        QFETCH(QString, aliasedAs);
        QFETCH(QString, otherPhotos);
        QFETCH(QString, alias);
        QFETCH(QStringList, list);
        const QString file = makeDatabase(QStringLiteral("new/photos.sqlite"));
        QList<QPair<QString, QString>> aliases {{QStringLiteral("Zoo"), m_zoo}};
        if (!aliasedAs.isEmpty())
            aliases.append({aliasedAs, file});
        if (!otherPhotos.isEmpty())
            aliases.append({QStringLiteral("photos"), makeDatabase(otherPhotos)});
        DataFixture::writeAliases(aliases);

        startWith(file);
        QCOMPARE(m_asked.size(), 0);
        QStringList shown;
        for (int i = 0; i < m_main->CBDBase->count(); ++i)
            shown << m_main->CBDBase->itemText(i);
        QCOMPARE(shown, list);
        QCOMPARE(m_main->CBDBase->currentText(), alias);
        QCOMPARE(m_main->CBTable->currentText(), QStringLiteral("Birds"));
        QVERIFY(m_main->Table1->active());
        QCOMPARE(m_main->Table1->databaseName(), alias);
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Birds"));
        QCOMPARE(m_main->Table1->recordCount(), 1);
        // The lists answer the user as before.
        m_main->CBTable->setCurrentIndex(m_main->CBTable->findText(QStringLiteral("Alpacas")));
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Alpacas"));
    }

    void aFileThatIsNoDatabaseGetsOneMessageAndChangesNothing()
    {
        const QString notes = m_dir.filePath(QStringLiteral("notes.sqlite"));
        QFile f(notes);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database\n");
        f.close();
        const QByteArray aliasesBefore = aliasFileBytes();

        startWith(notes);
        QTRY_COMPARE(m_asked.size(), 1);
        QVERIFY2(
            m_asked[0].text.contains(QLatin1String("notes.sqlite")), qPrintable(m_asked[0].text));
        QCOMPARE(m_asked[0].icon, QMessageBox::Warning);
        QCOMPARE(m_asked[0].buttons, QMessageBox::Ok);
        QCOMPARE(m_main->CBDBase->currentText(), QStringLiteral("Zoo"));
        QCOMPARE(m_main->CBDBase->count(), 1);
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Animals"));
        QVERIFY(m_main->Table1->active());
        QCOMPARE(aliasFileBytes(), aliasesBefore);
        QTest::qWait(50);
        QCOMPARE(m_asked.size(), 1);
    }
};

TABVALE_TEST_MAIN(FileArgumentTest, QApplication)
#include "tst_FileArgument.moc"
