// The alias file, the first start with its sample database, and the tabvale-aliases tool.
#include "engine/AliasRegistry.h"
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/Statement.h"
#include "engine/TTable.h"
#include "picture/PictureError.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

// Points the engine at another alias file for the life of the object.
class AliasFileSwitch
{
public:
    AliasFileSwitch() : m_previous(qgetenv("TABVALE_ALIASES"))
    {
        qputenv("TABVALE_ALIASES", path().toLocal8Bit());
    }
    ~AliasFileSwitch() { qputenv("TABVALE_ALIASES", m_previous); }
    QString path() const { return m_dir.filePath(QStringLiteral("aliases.conf")); }
    QString folder() const { return m_dir.path(); }
    void write(const QByteArray &text) const
    {
        QFile f(path());
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A one-table SQLite database made through the engine's own writer (WAL, as Tabvale makes them).
void makeDatabase(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    Database::create(path);
    Database::open(path)->exec(QStringLiteral("CREATE TABLE Photos (Name TEXT)"));
}

QList<int> fieldCodes(const QString &alias, const QString &table)
{
    TTable t;
    t.setDatabaseName(alias);
    t.setTableName(table);
    t.open();
    QList<int> codes;
    for (int i = 0; i < t.fieldCount(); ++i)
        codes << t.field(i)->dataType();
    return codes;
}

} // namespace

class AliasRegistryTest : public QObject
{
    Q_OBJECT
private slots:
    // First: the test's alias file does not exist yet.
    void aFirstStartMakesTheSampleDatabase();
    void samplePicturesDecodeAndDiffer();
    void theSamplePictureFolderHoldsEveryCase();
    void aliasesKeepTheFileOrder();
    void oddAliasNamesAndPathsSurviveTheFile_data();
    void oddAliasNamesAndPathsSurviveTheFile();
    void addAndRemoveRefuseWhatTheyCannotDo();
    void relativePathsAreTakenFromTheAliasFileFolder();
    void badAliasesGiveClearMessages();
    void thePictureFormIsReadFromTheAliasesSection_data();
    void thePictureFormIsReadFromTheAliasesSection();
    void theToolListsAddsAndRemovesAliases();
    void anOpenedFileReusesItsAliasOrGetsOneNamedAfterIt_data();
    void anOpenedFileReusesItsAliasOrGetsOneNamedAfterIt();
    void aFileThatIsNoDatabaseAddsNothing_data();
    void aFileThatIsNoDatabaseAddsNothing();
};

void AliasRegistryTest::aFirstStartMakesTheSampleDatabase()
{
    QVERIFY(!QFile::exists(AliasRegistry::aliasFilePath()));
    QCOMPARE(Engine::aliasNames(), QStringList(QStringLiteral("Samples")));
    QVERIFY(QFile::exists(AliasRegistry::aliasFilePath()));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QCOMPARE(AliasRegistry::find(QStringLiteral("Samples")).path,
        data + QStringLiteral("/Tabvale/Samples.sqlite"));
    QCOMPARE(Engine::tableNames(QStringLiteral("Samples")),
        QStringList({QStringLiteral("Animals"), QStringLiteral("Albums"),
            QStringLiteral("Price list"), QStringLiteral("Scans")}));
    QCOMPARE(fieldCodes(QStringLiteral("Samples"), QStringLiteral("Animals")),
        QList<int>({ftInteger, ftString, ftString, ftFloat, ftCurrency, ftDate, ftBoolean, ftMemo,
            ftGraphic}));
    QCOMPARE(fieldCodes(QStringLiteral("Samples"), QStringLiteral("Albums")),
        QList<int>({ftString, ftMemo, ftMemo, ftGraphic}));
    for (int code : fieldCodes(QStringLiteral("Samples"), QStringLiteral("Price list")))
        QCOMPARE(fieldClassOf(code), FieldClass::Ordinary);
    QCOMPARE(fieldCodes(QStringLiteral("Samples"), QStringLiteral("Scans")),
        QList<int>({ftString, ftBlob, ftTypedBinary}));

    TTable animals;
    animals.setDatabaseName(QStringLiteral("Samples"));
    animals.setTableName(QStringLiteral("Animals"));
    animals.open();
    QCOMPARE(animals.recordCount(), 24);
    bool chinese = false;
    for (int row = 0; row < 24; ++row) {
        const QString name = animals.displayTextAt(row, 1);
        chinese = chinese
            || std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() >= 0x4e00; });
        for (int f = 0; f < animals.fieldCount() - 2; ++f)
            QVERIFY(!animals.valueAt(row, f).toString().isEmpty() || f == 7);
    }
    QVERIFY(chinese);
    // A second start keeps what the user has.
    animals.close();
    const QDateTime built
        = QFileInfo(AliasRegistry::find(QStringLiteral("Samples")).path).lastModified();
    QCOMPARE(Engine::aliasNames(), QStringList(QStringLiteral("Samples")));
    QCOMPARE(QFileInfo(AliasRegistry::find(QStringLiteral("Samples")).path).lastModified(), built);
}

void AliasRegistryTest::samplePicturesDecodeAndDiffer()
{
    TTable t;
    t.setDatabaseName(QStringLiteral("Samples"));
    t.setTableName(QStringLiteral("Animals"));
    t.open();
    TField *photo = t.fieldByName(QStringLiteral("Photo"));
    QList<QImage> images;
    int small = 0;
    int large = 0;
    for (t.first(); !t.eof(); t.next()) {
        const QByteArray stored = photo->asBytes();
        QVERIFY(StoredPicture::hasGraphicHeader(stored));
        const QImage image = StoredPicture::decode(stored);
        QVERIFY(!image.isNull());
        small += image.width() < 200 && image.height() < 200 ? 1 : 0;
        large += image.width() >= 800 ? 1 : 0;
        images << image.scaled(32, 32).convertToFormat(QImage::Format_RGB32);
    }
    QCOMPARE(images.size(), 24);
    QVERIFY(small >= 4);
    QVERIFY(large >= 2);
    for (int i = 1; i < images.size(); ++i)
        QVERIFY2(images[i] != images[i - 1],
            qPrintable(QStringLiteral("records %1 and %2 look alike").arg(i).arg(i + 1)));

    TTable scans;
    scans.setDatabaseName(QStringLiteral("Samples"));
    scans.setTableName(QStringLiteral("Scans"));
    scans.open();
    const QByteArray raw = scans.fieldByName(QStringLiteral("Raw"))->asBytes();
    const QByteArray typed = scans.fieldByName(QStringLiteral("Typed"))->asBytes();
    QVERIFY(raw.startsWith("BM"));
    QVERIFY(StoredPicture::hasGraphicHeader(typed));
    QVERIFY(!StoredPicture::decode(raw).isNull());
    QVERIFY(!StoredPicture::decode(typed).isNull());
}

void AliasRegistryTest::theSamplePictureFolderHoldsEveryCase()
{
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Tabvale/Pictures"));
    QVERIFY(folder.exists());
    QSet<QString> sizes;
    bool upperCaseBmp = false;
    bool jpeg = false;
    bool bmp = false;
    for (const QFileInfo &file : folder.entryInfoList(QDir::Files)) {
        if (file.fileName() == u"Not a picture.jpg") {
            QVERIFY_THROWS_EXCEPTION(PictureError, PictureFile::load(file.filePath()));
            continue;
        }
        upperCaseBmp = upperCaseBmp || file.suffix() == u"BMP";
        jpeg = jpeg || file.suffix() == u"jpg";
        bmp = bmp || file.suffix().compare(u"bmp", Qt::CaseInsensitive) == 0;
        const QImage image = PictureFile::load(file.filePath());
        const QString size = QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
        QVERIFY2(file.fileName().contains(size),
            qPrintable(file.fileName() + QStringLiteral(" is ") + size));
        sizes.insert(size);
    }
    QVERIFY(upperCaseBmp && jpeg && bmp);
    for (const char *wanted : {"150x120", "201x150", "200x200", "400x300", "300x400", "1024x768"})
        QVERIFY2(sizes.contains(QLatin1String(wanted)), wanted);
}

void AliasRegistryTest::aliasesKeepTheFileOrder()
{
    AliasFileSwitch file;
    file.write(
        "; hand-written\n[Zeta]\nDriver=SQLITE\nPath=/z.sqlite\n\n[alpha]\nPath = /a.sqlite\n"
        "[Mid]\nDriver=SQLITE\nPath=/m.sqlite\n[alpha]\nPath=/duplicate.sqlite\n");
    QCOMPARE(Engine::aliasNames(),
        QStringList({QStringLiteral("Zeta"), QStringLiteral("alpha"), QStringLiteral("Mid")}));
    QCOMPARE(AliasRegistry::find(QStringLiteral("alpha")).path, QStringLiteral("/a.sqlite"));
    QCOMPARE(AliasRegistry::find(QStringLiteral("alpha")).driver, QStringLiteral("SQLITE"));
    Alias added;
    added.name = QStringLiteral("Added");
    added.path = QStringLiteral("/added.sqlite");
    AliasRegistry::add(added);
    AliasRegistry::remove(QStringLiteral("Zeta"));
    QCOMPARE(Engine::aliasNames(),
        QStringList({QStringLiteral("alpha"), QStringLiteral("Mid"), QStringLiteral("Added")}));
}

void AliasRegistryTest::oddAliasNamesAndPathsSurviveTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("spaces") << "My pictures"
                            << "/data/my pictures/db.sqlite";
    QTest::newRow("spaces at the ends") << "  padded  "
                                        << "/data/trailing space /x.sqlite ";
    QTest::newRow("brackets") << "[in brackets] and ]"
                              << "/data/[x]/db.sqlite";
    QTest::newRow("ini punctuation") << "a=b; c # d"
                                     << "/data/a=b;c#d.sqlite";
    QTest::newRow("backslashes") << "C:\\Tabvale\\n"
                                 << "/data/back\\slash\\new\\t.db";
    QTest::newRow("line breaks") << "two\nlines\r"
                                 << "/data/odd\nname.sqlite";
    QTest::newRow("Chinese") << "图片库"
                             << "/数据/图片库.sqlite";
    QTest::newRow("quotes and dollars") << "\"$$$\" 'x'"
                                        << "/data/$HOME/x.sqlite";
}

void AliasRegistryTest::oddAliasNamesAndPathsSurviveTheFile()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    AliasFileSwitch file;
    file.write("[First]\nDriver=SQLITE\nPath=/first.sqlite\n");
    Alias alias;
    alias.name = name;
    alias.path = path;
    AliasRegistry::add(alias);
    Alias last;
    last.name = QStringLiteral("Last");
    last.path = QStringLiteral("/last.sqlite");
    AliasRegistry::add(last);
    const QList<Alias> read = AliasRegistry::load();
    QCOMPARE(read.size(), 3);
    QCOMPARE(read[1].name, name);
    QCOMPARE(read[1].path, path);
    QCOMPARE(read[2].name, QStringLiteral("Last"));
    AliasRegistry::remove(name);
    QCOMPARE(Engine::aliasNames(), QStringList({QStringLiteral("First"), QStringLiteral("Last")}));
}

void AliasRegistryTest::addAndRemoveRefuseWhatTheyCannotDo()
{
    AliasFileSwitch file;
    file.write("[One]\nDriver=SQLITE\nPath=/one.sqlite\n");
    Alias duplicate;
    duplicate.name = QStringLiteral("One");
    duplicate.path = QStringLiteral("/other.sqlite");
    QVERIFY_THROWS_EXCEPTION(EngineError, AliasRegistry::add(duplicate));
    Alias unnamed;
    unnamed.path = QStringLiteral("/x.sqlite");
    QVERIFY_THROWS_EXCEPTION(EngineError, AliasRegistry::add(unnamed));
    QVERIFY_THROWS_EXCEPTION(
        EngineError, AliasRegistry::remove(QStringLiteral("one"))); // names are exact
    QCOMPARE(AliasRegistry::load().size(), 1);
    QCOMPARE(AliasRegistry::load()[0].path, QStringLiteral("/one.sqlite"));
}

void AliasRegistryTest::relativePathsAreTakenFromTheAliasFileFolder()
{
    AliasFileSwitch file;
    file.write("[Near]\nPath=dbs/near.sqlite\n");
    QCOMPARE(AliasRegistry::find(QStringLiteral("Near")).path,
        file.folder() + QStringLiteral("/dbs/near.sqlite"));
}

void AliasRegistryTest::badAliasesGiveClearMessages()
{
    AliasFileSwitch file;
    file.write("[Old]\nDriver=PARADOX\nPath=/x.db\n[Gone]\nDriver=SQLITE\nPath=/no/such/"
               "file.sqlite\n[Empty]\n");
    const QList<QPair<QString, QString>> cases
        = {{QStringLiteral("Old"), QStringLiteral("PARADOX")},
            {QStringLiteral("Gone"), QStringLiteral("/no/such/file.sqlite")},
            {QStringLiteral("Empty"), QStringLiteral("Path")},
            {QStringLiteral("Unknown"), QStringLiteral("“Unknown”")}};
    for (const auto &[alias, expected] : cases) {
        try {
            Engine::tableNames(alias);
            QFAIL("no error");
        } catch (const EngineError &e) {
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        }
    }
}

void AliasRegistryTest::thePictureFormIsReadFromTheAliasesSection_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("form"); // -1: refused
    QTest::newRow("no key is bitmap") << QByteArray() << int(PictureForm::Bitmap);
    QTest::newRow("bitmap") << QByteArray("PictureForm=bitmap\n") << int(PictureForm::Bitmap);
    QTest::newRow("file in any letter case") << QByteArray("pictureform = FILE\n")
                                             << int(PictureForm::File);
    QTest::newRow("an unknown form") << QByteArray("PictureForm=jpeg\n") << -1;
}

void AliasRegistryTest::thePictureFormIsReadFromTheAliasesSection()
{
    QFETCH(QByteArray, key);
    QFETCH(int, form);
    AliasFileSwitch file;
    // The key belongs to its own section only.
    file.write("[Other]\nDriver=SQLITE\nPath=/o.sqlite\nPictureForm=file\n[Photos]\nDriver=SQLITE\n"
        + key + "Path=/p.sqlite\n");
    QCOMPARE(Engine::pictureForm(QStringLiteral("Other")), PictureForm::File);
    if (form >= 0) {
        QCOMPARE(int(Engine::pictureForm(QStringLiteral("Photos"))), form);
        return;
    }
    try {
        Engine::pictureForm(QStringLiteral("Photos"));
        QFAIL("an unknown form was taken");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(u"“jpeg”") && e.message().contains(u"PictureForm=file"),
            qPrintable(e.message()));
    }
}

void AliasRegistryTest::theToolListsAddsAndRemovesAliases()
{
    AliasFileSwitch file;
    file.write("[First]\nDriver=SQLITE\nPath=/first.sqlite\n");
    const auto run = [&](const QStringList &args, QString *output = nullptr) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TABVALE_ALIASES"), file.path());
        // An English locale: the texts below are the tool's English ones.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(TABVALE_ALIASES_TOOL), args);
        if (!tool.waitForFinished(30000))
            return -1;
        if (output)
            *output = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
        return tool.exitCode();
    };
    const QString database = file.folder() + QStringLiteral("/new 图片.sqlite");
    QString output;
    QCOMPARE(run({QStringLiteral("add"), QStringLiteral("Second one"), database}, &output), 1);
    QVERIFY2(output.contains(QStringLiteral("does not exist")), qPrintable(output));
    QCOMPARE(run({QStringLiteral("add"), QStringLiteral("--create"), QStringLiteral("Second one"),
                 database}),
        0);
    QVERIFY(QFile::exists(database));
    QCOMPARE(run({QStringLiteral("add"), QStringLiteral("Second one"), database}, &output), 1);
    QVERIFY2(output.contains(QStringLiteral("already exists")), qPrintable(output));
    QCOMPARE(run({QStringLiteral("list")}, &output), 0);
    QCOMPARE(output.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
        QStringList({QStringLiteral("First\tSQLITE\t/first.sqlite"),
            QStringLiteral("Second one\tSQLITE\t") + database}));
    QVERIFY(Engine::tableNames(QStringLiteral("Second one")).isEmpty()); // a real, empty database
    {
        // Made for picture files: large pages, and the log Tabvale's own databases have.
        const auto db = Database::open(database);
        Statement pageSize = db->prepare(QStringLiteral("PRAGMA page_size"));
        QVERIFY(pageSize.step());
        QCOMPARE(pageSize.columnInt64(0), qint64(Database::PictureFilesPageSize));
        Statement journal = db->prepare(QStringLiteral("PRAGMA journal_mode"));
        QVERIFY(journal.step());
        QCOMPARE(journal.columnText(0), QStringLiteral("wal"));
    }
    QCOMPARE(run({QStringLiteral("remove"), QStringLiteral("First")}), 0);
    QCOMPARE(run({QStringLiteral("remove"), QStringLiteral("First")}, &output), 1);
    QVERIFY2(output.contains(QStringLiteral("First")), qPrintable(output));
    QCOMPARE(Engine::aliasNames(), QStringList(QStringLiteral("Second one")));
    // A new alias keeps picture files as they are; the sample alias names no form (bitmaps).
    QVERIFY(contents(file.path())
                .contains("[Second one]\nDriver=SQLITE\nPath=" + database.toUtf8()
                    + "\nPictureForm=file\n"));
    QCOMPARE(run({}, &output), 2);
    QVERIFY2(output.contains(QStringLiteral("Usage")), qPrintable(output));
    QCOMPARE(run({QStringLiteral("rename"), QStringLiteral("x")}), 2);
}

void AliasRegistryTest::anOpenedFileReusesItsAliasOrGetsOneNamedAfterIt_data()
{
    // Paths are relative to a scratch folder; the file opened is always photos/photos.sqlite.
    QTest::addColumn<QString>("aliasFile"); // the alias file before
    QTest::addColumn<QString>("opened"); // how the user names the file
    QTest::addColumn<QString>("alias"); // the alias it gets
    QTest::addColumn<int>("added"); // aliases added
    QTest::newRow("a new file gets an alias named after it") << "[Other]\nPath=other.sqlite\n"
                                                             << "photos/photos.sqlite"
                                                             << "photos" << 1;
    QTest::newRow("an aliased file is reused, whatever its path looks like")
        << "[Mine]\nPath=photos/photos.sqlite\n"
        << "photos/../photos/./photos.sqlite"
        << "Mine" << 0;
    QTest::newRow("an aliased file is reused through a link to it")
        << "[Mine]\nPath=photos/photos.sqlite\n"
        << "link.sqlite"
        << "Mine" << 0;
    QTest::newRow("a name taken by another file gets a number") << "[photos]\nPath=other.sqlite\n"
                                                                << "photos/photos.sqlite"
                                                                << "photos (2)" << 1;
    QTest::newRow("numbers taken go on counting")
        << "[photos]\nPath=other.sqlite\n[photos (2)]\nPath=third.sqlite\n"
        << "photos/photos.sqlite"
        << "photos (3)" << 1;
    QTest::newRow("an alias of another driver is not the file's")
        << "[photos]\nDriver=PGSQL\nPath=photos/photos.sqlite\n"
        << "photos/photos.sqlite"
        << "photos (2)" << 1;
}

void AliasRegistryTest::anOpenedFileReusesItsAliasOrGetsOneNamedAfterIt()
{
    QFETCH(QString, aliasFile);
    QFETCH(QString, opened);
    QFETCH(QString, alias);
    QFETCH(int, added);
    AliasFileSwitch file;
    const QDir folder(file.folder());
    makeDatabase(folder.filePath(QStringLiteral("photos/photos.sqlite")));
    QVERIFY(QFile::link(
        folder.filePath(QStringLiteral("photos/photos.sqlite")), folder.filePath("link.sqlite")));
    file.write(aliasFile.toUtf8());
    const int before = AliasRegistry::load().size();

    const Alias got = AliasRegistry::aliasForFile(folder.filePath(opened));
    QCOMPARE(got.name, alias);
    QCOMPARE(AliasRegistry::load().size(), before + added);
    const Alias stored = AliasRegistry::find(alias);
    QCOMPARE(QFileInfo(stored.path).canonicalFilePath(),
        QFileInfo(folder.filePath(QStringLiteral("photos/photos.sqlite"))).canonicalFilePath());
    QCOMPARE(Engine::tableNames(alias), QStringList(QStringLiteral("Photos")));
    if (added) {
        QCOMPARE(stored.pictureForm, QStringLiteral("file"));
        // The form survives the next rewrite of the file.
        Alias later;
        later.name = QStringLiteral("Later");
        later.path = QStringLiteral("/later.sqlite");
        AliasRegistry::add(later);
        QCOMPARE(AliasRegistry::find(alias).pictureForm, QStringLiteral("file"));
    }
    // Opening it again finds the same alias.
    QCOMPARE(AliasRegistry::aliasForFile(folder.filePath(opened)).name, alias);
    QCOMPARE(AliasRegistry::load().size(), before + added + (added ? 1 : 0));
}

void AliasRegistryTest::aFileThatIsNoDatabaseAddsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // written to the file unless it is "missing"/"folder"
    QTest::addColumn<QString>("said");
    QTest::newRow("missing") << "missing.sqlite" << QByteArray() << "does not exist";
    QTest::newRow("a folder") << "folder.sqlite" << QByteArray() << "is a folder";
    QTest::newRow("a text file") << "notes.txt" << QByteArray("just some notes\n")
                                 << "is not a SQLite database";
    QTest::newRow("an empty file") << "empty.sqlite" << QByteArray() << "is not a SQLite database";
    QTest::newRow("a picture named like a database")
        << "photo.sqlite" << QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000")
        << "is not a SQLite database";
    QTest::newRow("a damaged database")
        << "damaged.sqlite" << QByteArray("SQLite format 3", 16).append(QByteArray(84, '\xee'))
        << "damaged.sqlite";
}

void AliasRegistryTest::aFileThatIsNoDatabaseAddsNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, said);
    AliasFileSwitch file;
    file.write("[One]\nDriver=SQLITE\nPath=/one.sqlite\n");
    const QByteArray before = contents(file.path());
    const QString path = QDir(file.folder()).filePath(name);
    if (name.startsWith(u"folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (!name.startsWith(u"missing")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    try {
        AliasRegistry::aliasForFile(path);
        QFAIL("no error");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(said), qPrintable(e.message()));
        QVERIFY2(e.message().contains(name), qPrintable(e.message()));
    }
    QCOMPARE(contents(file.path()), before);
}

TABVALE_TEST_MAIN(AliasRegistryTest, QGuiApplication)
#include "tst_AliasRegistry.moc"
