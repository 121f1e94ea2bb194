// Putting a table into the spreadsheet and taking it back, through the data window's menu. The
// same cases run against the in-memory spreadsheet and, built with TABVALE_LIVE_CALC, against a
// headless Calc of the test's own.
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/DBMemo.h"
#include "datawindow/TForm1.h"
#include "datawindow/exchange/WorkbookLocation.h"
#include "engine/RecordListLoader.h"
#include "engine/TTable.h"
#include "picture/BmpCodec.h"
#include "picture/JpegCodec.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "spreadsheet/Cells.h"
#include "spreadsheet/OfficeLockFile.h"
#include "spreadsheet/SheetShape.h"
#include "spreadsheet/Sheets.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TExcelApplication.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Workbooks.h"
#include "spreadsheet/Worksheet.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/datawindow/OfficeMarks.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QSysInfo>
#include <QTemporaryDir>

#ifdef TABVALE_LIVE_CALC
#include "spreadsheet/CalcWorkbook.h"
#include "tests/spreadsheet/CalcTestOffice.h"
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#else
#include "tests/spreadsheet/FakeSpreadsheet.h"
#endif

namespace {

QImage pattern(int w, int h, int seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed * 40) & 0xFF, (y * 5 + seed) & 0xFF, 90));
    return image;
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

// The spreadsheet keeps geometry in its own units: equal within a tenth of a point.
bool samePlace(const QRectF &a, const QRectF &b)
{
    return qAbs(a.left() - b.left()) < 0.1 && qAbs(a.top() - b.top()) < 0.1
        && qAbs(a.width() - b.width()) < 0.1 && qAbs(a.height() - b.height()) < 0.1;
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.size() == b.size()
        && a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class ExchangeTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_program; // the program's directory: its Data/ is written
    QString m_db;
    std::unique_ptr<TForm1> m_main;
    QList<Prompts::Request> m_asked;
    QHash<QString, QMessageBox::StandardButton> m_answers; // by caption
    std::function<void(const Prompts::Request &)> m_onAsk;
#ifdef TABVALE_LIVE_CALC
    std::unique_ptr<CalcTestOffice> m_office;
#else
    std::shared_ptr<FakeSpreadsheet> m_fake;
#endif

    static const QString Zoo;

    SpreadsheetApplication &app()
    {
        return m_main->ExcelApplication1->Application();
    }
    WorksheetPtr sheet(const QString &table, const QString &database = Zoo)
    {
        return app()
            .workbooks()
            ->item(WorkbookLocation::fileNameFor(database))
            ->sheets()
            ->item(table);
    }
    // Compared as one joined text, so that a failure prints the messages themselves.
    QStringList errors() const
    {
        QStringList texts;
        for (const auto &r : m_asked) {
            if (r.icon == QMessageBox::Critical)
                texts << r.text;
        }
        return texts;
    }
    QStringList captionsAsked() const
    {
        QStringList captions;
        for (const auto &r : m_asked)
            captions << r.caption;
        return captions;
    }

    void choose(const QString &table, const QString &database = Zoo)
    {
        if (m_main->CBDBase->currentText() != database)
            m_main->CBDBase->setCurrentIndex(m_main->CBDBase->findText(database));
        m_main->CBTable->setCurrentIndex(m_main->CBTable->findText(table));
        QCOMPARE(m_main->Table1->tableName(), table);
        QVERIFY(m_main->Table1->active());
    }
    void exportTable(const QString &table, const QString &database = Zoo)
    {
        choose(table, database);
        m_main->IntoExcel1->trigger();
    }
    void closeSpreadsheet(QMessageBox::StandardButton answer)
    {
        m_answers.insert(QStringLiteral("退出"), answer);
        m_main->SaveAndClose1->trigger();
    }
    QVariant stored(const QString &sql) const
    {
        return DataFixture::scalar(m_db, sql);
    }
    int recordCount(const QString &table) const
    {
        return stored(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).toInt();
    }
    // What the user does in the spreadsheet: typing a cell, rewriting a memo, putting a picture.
    void type(const QString &table, int row, int column, const QVariant &value)
    {
        sheet(table)->cells()->setItem(row, column, value);
    }
    void rewriteMemo(const QString &table, const QString &object, const QString &text)
    {
        auto s = sheet(table);
        auto old = s->textBox(object);
        const QRectF place = old->geometry();
        old->remove();
        auto box = s->addTextbox(1, place.left(), place.top(), place.width(), place.height());
        box->setName(object);
        box->insertText(1, text);
    }
    void replacePicture(const QString &table, const QString &object, const QImage &picture)
    {
        auto s = sheet(table);
        s->picture(object)->remove();
        auto shape = s->pastePicture(picture);
        shape->setName(object);
    }
    // The user closes the workbook in the spreadsheet's own window; false when it was kept.
    bool userClosesWorkbook(const QString &database = Zoo)
    {
        auto book = app().workbooks()->item(WorkbookLocation::fileNameFor(database));
#ifdef TABVALE_LIVE_CALC
        // What the close box of the workbook's window does.
        auto &calc = dynamic_cast<CalcWorkbook &>(*book);
        return calc.connection().call([&] {
            css::uno::Reference<css::util::XCloseable> window(
                calc.model()->getCurrentController()->getFrame(), css::uno::UNO_QUERY_THROW);
            try {
                window->close(true);
            } catch (const css::util::CloseVetoException &) {
                return false;
            }
            return true;
        });
#else
        for (const auto &b : m_fake->books) {
            if (FakeSpreadsheet::bookName(*b) == book->name())
                return m_fake->userCloses(b);
        }
        return true;
#endif
    }
    void killSpreadsheet()
    {
#ifdef TABVALE_LIVE_CALC
        m_office->kill();
#else
        m_fake->gone = true;
#endif
    }
    // The window shows its table with its field panel, and its lists open other tables again.
    void checkTheWindowIsUsable(const QString &table)
    {
        QCOMPARE(m_main->Table1->tableName(), table);
        QVERIFY(m_main->Table1->active());
        choose(QStringLiteral("Keepers"));
        QCOMPARE(m_main->LabelCount, 0);
        choose(QStringLiteral("Animals"));
        QCOMPARE(m_main->ImageCount, 1);
        QCOMPARE(m_main->MemoCount, 1);
        QCOMPARE(m_main->LabelCount, 2);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
#ifdef TABVALE_LIVE_CALC
        m_office = std::make_unique<CalcTestOffice>(m_dir.path());
        m_office->start();
#endif
        Prompts::setScript([this](const Prompts::Request &r) {
            m_asked << r;
            if (m_onAsk)
                m_onAsk(r);
            return Prompts::Answer {m_answers.value(r.caption, QMessageBox::Ok), {}};
        });
    }

    void cleanupTestCase()
    {
        Prompts::setScript(nullptr);
#ifdef TABVALE_LIVE_CALC
        m_office.reset();
#endif
    }

    void init()
    {
        m_asked.clear();
        m_answers.clear();
        m_onAsk = nullptr;
#ifndef TABVALE_LIVE_CALC
        FakeSpreadsheet::disk().clear();
        m_fake = std::make_shared<FakeSpreadsheet>();
        TExcelApplication::setFactory([this] { return m_fake; });
#else
        if (!m_office->running())
            m_office->start();
#endif
        m_program = std::make_unique<QTemporaryDir>();
        // A program run from its build folder: its workbooks are written beside it.
        QFile marker(m_program->filePath(QString::fromLatin1(WorkbookLocation::BuildFolderMarker)));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        WorkbookLocation::setProgramDirectory(m_program->path());
        const QByteArray photo = StoredPicture::encode(pattern(40, 30, 1), 17);
        m_db = DataFixture::makeDatabase(Zoo,
            {QStringLiteral("CREATE TABLE Animals (Name VARCHAR(20), Notes MEMO, No INTEGER,"
                            " Photo GRAPHIC, Weight FLOAT)"),
                QStringLiteral(
                    "INSERT INTO Animals VALUES ('Panda', 'Eats bamboo.', 1, x'%1', 80.5),"
                    " ('Tiger', NULL, 2, NULL, 190), ('Crane', 'Tall.', 3, NULL, 6.25)")
                    .arg(hex(photo)),
                QStringLiteral("CREATE TABLE Keepers (Name VARCHAR(20), Since DATE)"),
                QStringLiteral("INSERT INTO Keepers VALUES ('Wang', '2019-04-01')"),
                QStringLiteral("CREATE TABLE Empty (Name VARCHAR(10), Notes MEMO, Photo GRAPHIC,"
                               " Age INTEGER)")});
        DataFixture::writeAliases({{Zoo, m_db}});
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
    }

    void cleanup()
    {
        m_main.reset(); // its destroy handler quits the spreadsheet
#ifndef TABVALE_LIVE_CALC
        TExcelApplication::setFactory(nullptr);
        m_fake.reset();
#endif
        WorkbookLocation::setProgramDirectory(QString());
        m_program.reset();
    }

    void aTableWithoutRecordsGivesOnlyTheHeader()
    {
        exportTable(QStringLiteral("Empty"));
        QCOMPARE(errors().join(u'\n'), QString());
        QVERIFY(m_main->ExcelApplication1);
        QCOMPARE(m_main->ExcelApplication1->Tag, 1);
        QVERIFY(app().visible());
        QVERIFY(m_main->SaveAndClose1->isEnabled());
        QVERIFY(QFileInfo::exists(m_program->filePath(QStringLiteral("Data/Zoo.xls"))));
        auto cells = sheet(QStringLiteral("Empty"))->cells();
        // Ordinary fields first, then memos and pictures, in field order.
        const QList<QVariantList> header = cells->dataArray(1, 1, 2, 5);
        QCOMPARE(header[0],
            (QVariantList {QStringLiteral("Name"), QStringLiteral("Age"), QStringLiteral("Notes"),
                QStringLiteral("Photo"), QString()}));
        QCOMPARE(header[1], QVariantList(5, QString()));
        QCOMPARE(sheet(QStringLiteral("Empty"))->shapeNames(), QStringList());
        // The window shows its table again, its fields' tags link the field panel once more.
        QCOMPARE(m_main->Table1->fieldByName(QStringLiteral("Photo"))->Tag, 0);
        QCOMPARE(m_main->ImageCount, 1);
    }

    void recordsGoInAsTypedCellsWithTheirMemosAndPicturesOverTheirCells()
    {
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(errors().join(u'\n'), QString());
        auto s = sheet(QStringLiteral("Animals"));
        auto cells = s->cells();
        QCOMPARE(cells->item(2, 1), QVariant(QStringLiteral("Panda")));
        QCOMPARE(cells->item(2, 2), QVariant(1.0));
        QCOMPARE(cells->item(4, 3), QVariant(6.25));
        QCOMPARE(cells->item(1, 4), QVariant(QStringLiteral("Notes")));
        QCOMPARE(cells->item(1, 5), QVariant(QStringLiteral("Photo")));
        QCOMPARE(s->textBox(QStringLiteral("2Notes"))->text(), QStringLiteral("Eats bamboo."));
        QCOMPARE(s->textBox(QStringLiteral("4Notes"))->text(), QStringLiteral("Tall."));
        auto photo = s->picture(QStringLiteral("2Photo"));
        QVERIFY(samePixels(photo->picture(), pattern(40, 30, 1)));
        // Its own size (40 x 30 pixels at 96 per inch), at its cell.
        QVERIFY(samePlace(
            photo->geometry(), QRectF(s->cellGeometry(2, 5).topLeft(), QSizeF(30, 22.5))));
        QVERIFY(samePlace(s->textBox(QStringLiteral("2Notes"))->geometry(), s->cellGeometry(2, 4)));
        // A record without a memo or picture leaves nothing over its cells.
        const QStringList names = s->shapeNames();
        QVERIFY(!names.contains(QStringLiteral("3Notes")));
        QVERIFY(!names.contains(QStringLiteral("3Photo")));
        QCOMPARE(names.size(), 3);
    }

    void anEmptyMemoLeavesNoTextBoxAndAnEmptyPictureNoPicture()
    {
        DataFixture::exec(
            m_db, QStringLiteral("UPDATE Animals SET Notes = ' \r\n\t ' WHERE Name = 'Panda'"));
        choose(QStringLiteral("Keepers")); // the window reads the table anew
        exportTable(QStringLiteral("Animals"));
        const QStringList names = sheet(QStringLiteral("Animals"))->shapeNames();
        QVERIFY2(!names.contains(QStringLiteral("2Notes")), qPrintable(names.join(u' ')));
        QVERIFY(!names.contains(QStringLiteral("3Photo")));
        QVERIFY(names.contains(QStringLiteral("2Photo")));
    }

    void aLongMemoGoesInPiecesAndReadsBackWhole()
    {
        QString text;
        for (int i = 0; i < 250; ++i)
            text += QChar(i % 10 == 9 ? u'字' : QChar(u'a' + i % 26));
        DataFixture::exec(
            m_db, QStringLiteral("UPDATE Animals SET Notes = '%1' WHERE Name = 'Tiger'").arg(text));
        choose(QStringLiteral("Keepers"));
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(sheet(QStringLiteral("Animals"))->textBox(QStringLiteral("3Notes"))->text(), text);
    }

    void aHeaderTheUserChangedStays()
    {
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 1, 1, QStringLiteral("名字"));
        type(QStringLiteral("Animals"), 1, 2, QVariant());
        exportTable(QStringLiteral("Animals"));
        auto cells = sheet(QStringLiteral("Animals"))->cells();
        QCOMPARE(cells->item(1, 1), QVariant(QStringLiteral("名字")));
        QCOMPARE(cells->item(1, 2), QVariant(QStringLiteral("No")));
    }

    void exportingAgainAsksAndOverwritesRowByRowKeepingEachObjectsPlace()
    {
        exportTable(QStringLiteral("Animals"));
        auto s = sheet(QStringLiteral("Animals"));
        const QRectF memoPlace(300, 40, 120, 60);
        const QRectF picturePlace(450, 30, 90, 70);
        s->textBox(QStringLiteral("2Notes"))->setGeometry(memoPlace);
        s->picture(QStringLiteral("2Photo"))->setGeometry(picturePlace);
        type(QStringLiteral("Animals"), 3, 1, QStringLiteral("Lion"));
        type(QStringLiteral("Animals"), 7, 1, QStringLiteral("below the records"));
        m_asked.clear();

        exportTable(QStringLiteral("Animals"));
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_asked[0].caption, QStringLiteral("将数据调入Excel"));
        QCOMPARE(m_asked[0].text,
            QStringLiteral("Excel中Zoo工作簿中Animals工作表中\n的数据将会被当前数据表(Animals表)"
                           "中的数据替换,\n是否调入？"));
        QCOMPARE(m_asked[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
        s = sheet(QStringLiteral("Animals"));
        QCOMPARE(s->cells()->item(3, 1), QVariant(QStringLiteral("Tiger")));
        QCOMPARE(s->cells()->item(7, 1), QVariant(QStringLiteral("below the records")));
        QVERIFY(samePlace(s->textBox(QStringLiteral("2Notes"))->geometry(), memoPlace));
        QVERIFY(samePlace(s->picture(QStringLiteral("2Photo"))->geometry(), picturePlace));
        QCOMPARE(s->shapeNames().size(), 3); // replaced, not added
    }

    void cancellingTheQuestionLeavesTheSheetAsItWas()
    {
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 3, 1, QStringLiteral("Lion"));
        m_answers.insert(QStringLiteral("将数据调入Excel"), QMessageBox::Cancel);
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(sheet(QStringLiteral("Animals"))->cells()->item(3, 1),
            QVariant(QStringLiteral("Lion")));
        QVERIFY(app().visible());
        QVERIFY(m_main->SaveAndClose1->isEnabled());
    }

    void aSecondTableTakesOverTheNextDefaultSheet()
    {
        exportTable(QStringLiteral("Animals"));
        auto book = app().workbooks()->item(QStringLiteral("Zoo.xls"));
        QCOMPARE(book->sheets()->item(1)->name(), QStringLiteral("Animals"));
        exportTable(QStringLiteral("Keepers"));
        QCOMPARE(book->sheets()->count(), 2);
        QCOMPARE(book->sheets()->item(2)->name(), QStringLiteral("Keepers"));
        QCOMPARE(book->sheets()->item(2)->cells()->item(2, 1), QVariant(QStringLiteral("Wang")));
        QCOMPARE(book->sheets()->item(2)->cells()->item(2, 2), QVariant(QDate(2019, 4, 1)));
        // A default sheet there is taken over, by its number first, whatever its letter case.
        book->sheets()->add()->setName(QStringLiteral("Notes"));
        book->sheets()->add()->setName(QStringLiteral("SHEET2"));
        book->sheets()->add()->setName(QStringLiteral("Sheet3"));
        exportTable(QStringLiteral("Empty"));
        QCOMPARE(book->sheets()->count(), 5);
        QCOMPARE(book->sheets()->item(4)->name(), QStringLiteral("Empty"));
        QCOMPARE(book->sheets()->item(5)->name(), QStringLiteral("Sheet3"));
    }

    void writingBackAppendsKeepsAndClearsByRows_data()
    {
        QTest::addColumn<QList<QVariantList>>("rows"); // Name, No, Weight from row 2
        QTest::addColumn<QStringList>("names"); // the table's names afterwards
        QTest::addColumn<QVariantList>("numbers");
        QTest::newRow("more rows than records are appended")
            << QList<QVariantList> {{QStringLiteral("Panda"), 1, 80.5},
                   {QStringLiteral("Tiger"), 2, 190}, {QStringLiteral("Crane"), 3, 6.25},
                   {QStringLiteral("Yak"), 4, 300}, {QVariant(), 5, QVariant()}}
            << QStringList {QStringLiteral("Panda"), QStringLiteral("Tiger"),
                   QStringLiteral("Crane"), QStringLiteral("Yak"), QString()}
            << QVariantList {1, 2, 3, 4, 5};
        QTest::newRow("fewer rows keep the other records")
            << QList<QVariantList> {{QStringLiteral("Bear"), 7, 80.5}, {}, {}}
            << QStringList {QStringLiteral("Bear"), QStringLiteral("Tiger"),
                   QStringLiteral("Crane")}
            << QVariantList {7, 2, 3};
        QTest::newRow("the data end at the first blank row")
            << QList<QVariantList> {{QStringLiteral("Panda"), 1, 80.5},
                   {QStringLiteral("  "), QVariant(), QStringLiteral("\n")},
                   {QStringLiteral("Ghost"), 9, 1}}
            << QStringList {QStringLiteral("Panda"), QStringLiteral("Tiger"),
                   QStringLiteral("Crane")}
            << QVariantList {1, 2, 3};
        QTest::newRow("a blank row 2 clears the first record")
            << QList<QVariantList> {{QVariant(), QVariant(), QVariant()}, {}, {}}
            << QStringList {QString(), QStringLiteral("Tiger"), QStringLiteral("Crane")}
            << QVariantList {QVariant(), 2, 3};
    }

    void writingBackAppendsKeepsAndClearsByRows()
    {
        QFETCH(QList<QVariantList>, rows);
        QFETCH(QStringList, names);
        QFETCH(QVariantList, numbers);
        exportTable(QStringLiteral("Animals"));
        for (int r = 0; r < rows.size(); ++r) {
            if (rows[r].isEmpty()) {
                for (int c = 1; c <= 3; ++c)
                    type(QStringLiteral("Animals"), r + 2, c, QVariant());
                continue;
            }
            for (int c = 0; c < 3; ++c)
                type(QStringLiteral("Animals"), r + 2, c + 1, rows[r][c]);
        }
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(recordCount(QStringLiteral("Animals")), names.size());
        for (int i = 0; i < names.size(); ++i) {
            const QString where = QStringLiteral(" FROM Animals WHERE rowid = %1").arg(i + 1);
            QCOMPARE(stored(QStringLiteral("SELECT Name") + where).toString(), names[i]);
            QCOMPARE(stored(QStringLiteral("SELECT No") + where), numbers[i]);
        }
        QVERIFY(!m_main->ExcelApplication1);
        QVERIFY(!m_main->SaveAndClose1->isEnabled());
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Animals"));
        QCOMPARE(m_main->Table1->recNo(), 0);
        QCOMPARE(m_main->Table1->recordCount(), names.size());
    }

    void aRefusedValueLeavesItsFieldAndTheRowGoesOn()
    {
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 2, 1, QStringLiteral("Giant panda"));
        type(QStringLiteral("Animals"), 2, 2, QStringLiteral("one"));
        type(QStringLiteral("Animals"), 2, 3, 81.0);
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Giant panda")));
        QCOMPARE(stored(QStringLiteral("SELECT No FROM Animals WHERE rowid = 1")), QVariant(1));
        QCOMPARE(
            stored(QStringLiteral("SELECT Weight FROM Animals WHERE rowid = 1")), QVariant(81.0));
    }

    void aSheetNamedOnlyLikeItsTableIsSkipped()
    {
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 2, 1, QStringLiteral("Giant panda"));
        sheet(QStringLiteral("Animals"))->setName(QStringLiteral("animals"));
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Panda")));
    }

    void memosAndPicturesComeBackAsTheSheetShowsThem_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("bitmap form: a changed picture becomes the stored bitmap") << "bitmap";
        QTest::newRow("file form: a changed picture becomes a PNG file") << "file";
    }

    void memosAndPicturesComeBackAsTheSheetShowsThem()
    {
        QFETCH(QString, form);
        DataFixture::writeAliases({{Zoo, m_db}}, form);
        const QByteArray rawBitmap = BmpCodec::encode(pattern(24, 16, 5));
        const QByteArray jpeg = JpegCodec::encode(pattern(32, 24, 7), 85);
        DataFixture::exec(m_db,
            QStringLiteral("UPDATE Animals SET Photo = x'%1', Notes = 'Two lines\r\nkept ' "
                           "WHERE Name = 'Crane'")
                .arg(hex(rawBitmap)));
        DataFixture::exec(m_db,
            QStringLiteral("UPDATE Animals SET Photo = x'%1' WHERE Name = 'Tiger'").arg(hex(jpeg)));
        const QByteArray pandaPhoto
            = DataFixture::blob(m_db, QStringLiteral("SELECT Photo FROM Animals WHERE rowid = 1"));
        choose(QStringLiteral("Keepers"));
        exportTable(QStringLiteral("Animals"));
        rewriteMemo(QStringLiteral("Animals"), QStringLiteral("2Notes"),
            QStringLiteral("  Eats bamboo all day.\n"));
        replacePicture(QStringLiteral("Animals"), QStringLiteral("2Photo"), pattern(20, 20, 9));
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().join(u'\n'), QString());

        // Changed: the trimmed text, the stored form of the new picture for a graphic field.
        QCOMPARE(stored(QStringLiteral("SELECT Notes FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Eats bamboo all day.")));
        const QByteArray newPhoto
            = DataFixture::blob(m_db, QStringLiteral("SELECT Photo FROM Animals WHERE rowid = 1"));
        QVERIFY(newPhoto != pandaPhoto);
        if (form == u"file")
            QCOMPARE(PictureFile::formatOf(newPhoto), PictureFile::Format::Png); // no header
        else
            QVERIFY(StoredPicture::hasGraphicHeader(newPhoto));
        QVERIFY(samePixels(StoredPicture::decode(newPhoto), pattern(20, 20, 9)));
        // Untouched: byte for byte as it was, even a bitmap stored without the graphic header.
        QCOMPARE(
            DataFixture::blob(m_db, QStringLiteral("SELECT Photo FROM Animals WHERE rowid = 3")),
            rawBitmap);
        QCOMPARE(
            DataFixture::blob(m_db, QStringLiteral("SELECT Photo FROM Animals WHERE rowid = 2")),
            jpeg);
        QCOMPARE(stored(QStringLiteral("SELECT Notes FROM Animals WHERE rowid = 3")),
            QVariant(QStringLiteral("Two lines\r\nkept ")));
    }

    void deletedObjectsEmptyTheirFields()
    {
        exportTable(QStringLiteral("Animals"));
        sheet(QStringLiteral("Animals"))->picture(QStringLiteral("2Photo"))->remove();
        sheet(QStringLiteral("Animals"))->textBox(QStringLiteral("4Notes"))->remove();
        closeSpreadsheet(QMessageBox::Yes);
        QVERIFY(
            stored(QStringLiteral("SELECT Photo IS NULL FROM Animals WHERE rowid = 1")).toBool());
        QVERIFY(
            stored(QStringLiteral("SELECT Notes IS NULL FROM Animals WHERE rowid = 3")).toBool());
        QCOMPARE(stored(QStringLiteral("SELECT Notes FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Eats bamboo.")));
    }

    void everyFieldTypeRoundTrips()
    {
        const QByteArray typed = StoredPicture::encode(pattern(16, 12, 3), 21);
        const QByteArray blob = StoredPicture::encode(pattern(12, 16, 4), 15);
        DataFixture::exec(m_db,
            QStringLiteral("CREATE TABLE Types (S VARCHAR(12), Code VARCHAR(8), I INTEGER,"
                           " Big INTEGER, Small SMALLINT, B BOOLEAN, F FLOAT, M MONEY,"
                           " N NUMERIC, D DATE, T TIME, DT DATETIME, Memo MEMO, G GRAPHIC,"
                           " Bl BLOB, Tb TYPEDBINARY)"));
        DataFixture::exec(m_db,
            QStringLiteral(
                "INSERT INTO Types VALUES ('中文 text', '00123', -42, 1152921504606846977, 7, 1,"
                " 0.1, 1234.56, 3.25, '1900-01-01', '07:30:15.250', '2024-02-29T23:59:58',"
                " '多行\nmemo', NULL, x'%1', x'%2'),"
                " ('=1+2', '1e5', 0, -9007199254740993, -32768, 0, -1.5e-7, 0, 0, '2099-12-31',"
                " '00:00:00', '1970-01-01T00:00:00', NULL, NULL, NULL, NULL)")
                .arg(hex(blob), hex(typed)));
        const QString columns = QStringLiteral(
            "S, Code, I, Big, Small, B, F, M, N, D, T, DT, Memo, hex(G), hex(Bl), hex(Tb)");
        auto snapshot = [&] {
            QList<QVariantList> rows;
            for (int r = 1; r <= 2; ++r) {
                QVariantList row;
                for (const QString &c : columns.split(QStringLiteral(", ")))
                    row << stored(
                        QStringLiteral("SELECT %1 FROM Types WHERE rowid = %2").arg(c).arg(r));
                rows << row;
            }
            return rows;
        };
        const auto before = snapshot();
        m_main = std::make_unique<TForm1>(true); // lists the new table
        exportTable(QStringLiteral("Types"));
        QCOMPARE(errors().join(u'\n'), QString());
        auto cells = sheet(QStringLiteral("Types"))->cells();
        // Text that looks like a number or a formula stays text; the others are typed cells.
        QCOMPARE(cells->item(2, 2), QVariant(QStringLiteral("00123")));
        QCOMPARE(cells->item(3, 1), QVariant(QStringLiteral("=1+2")));
        QCOMPARE(cells->item(2, 3), QVariant(-42.0));
        QCOMPARE(cells->item(2, 6), QVariant(true));
        QCOMPARE(cells->item(2, 10), QVariant(QDate(1900, 1, 1)));
        QCOMPARE(cells->item(2, 11), QVariant(QTime(7, 30, 15, 250)));
        QCOMPARE(cells->item(2, 12), QVariant(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58))));
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().join(u'\n'), QString());
        const auto after = snapshot();
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < before[r].size(); ++c)
                QVERIFY2(after[r][c] == before[r][c],
                    qPrintable(QStringLiteral("row %1 %2: %3 became %4")
                                   .arg(r + 1)
                                   .arg(columns.split(QStringLiteral(", "))[c],
                                       before[r][c].toString(), after[r][c].toString())));
        QCOMPARE(recordCount(QStringLiteral("Types")), 2);
    }

    void noQuitsWithoutTouchingTheDatabase()
    {
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 2, 1, QStringLiteral("Giant panda"));
        type(QStringLiteral("Animals"), 9, 1, QStringLiteral("Yak"));
        closeSpreadsheet(QMessageBox::No);
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(m_asked.last().text, QStringLiteral("是否要将数据存入数据库中？"));
        QCOMPARE(m_asked.last().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Panda")));
        QCOMPARE(recordCount(QStringLiteral("Animals")), 3);
        QVERIFY(!m_main->ExcelApplication1);
        QVERIFY(!m_main->SaveAndClose1->isEnabled());
        QVERIFY(m_main->Table1->active());
        // The next export starts afresh: a new connection, the workbook opened from its file.
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(sheet(QStringLiteral("Animals"))->cells()->item(2, 1),
            QVariant(QStringLiteral("Panda")));
    }

    void cancelChangesNothing()
    {
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 2, 1, QStringLiteral("Giant panda"));
        TExcelApplication *connection = m_main->ExcelApplication1;
        closeSpreadsheet(QMessageBox::Cancel);
        QCOMPARE(m_main->ExcelApplication1, connection);
        QVERIFY(m_main->SaveAndClose1->isEnabled());
        QCOMPARE(sheet(QStringLiteral("Animals"))->cells()->item(2, 1),
            QVariant(QStringLiteral("Giant panda")));
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Panda")));
        QVERIFY(app().enableEvents());
    }

    void closingTheWorkbookInTheSpreadsheetLeavesItOpen()
    {
        exportTable(QStringLiteral("Animals"));
        QVERIFY(!userClosesWorkbook());
        QCOMPARE(sheet(QStringLiteral("Animals"))->cells()->item(2, 1),
            QVariant(QStringLiteral("Panda")));
        // The user's own documents in the same application close as usual.
        auto own = app().workbooks()->add();
        own->saveAs(m_dir.filePath(QStringLiteral("own.xls")));
        QVERIFY(userClosesWorkbook(QStringLiteral("own")));
        // Once written back, events are off and nothing is kept.
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().join(u'\n'), QString());
    }

    void sheetsOfEveryOpenWorkbookAreWrittenBackInOrder()
    {
        const QString farm = DataFixture::makeDatabase(QStringLiteral("Farm"),
            {QStringLiteral("CREATE TABLE Animals (Name VARCHAR(20))"),
                QStringLiteral("INSERT INTO Animals VALUES ('Cow')")});
        DataFixture::writeAliases({{Zoo, m_db}, {QStringLiteral("Farm"), farm}});
        m_main = std::make_unique<TForm1>(true);
        exportTable(QStringLiteral("Keepers"));
        exportTable(QStringLiteral("Animals"));
        exportTable(QStringLiteral("Animals"), QStringLiteral("Farm"));
        QCOMPARE(errors().join(u'\n'), QString());
        app()
            .workbooks()
            ->item(QStringLiteral("Farm"))
            ->sheets()
            ->item(1)
            ->cells()
            ->setItem(2, 1, QStringLiteral("Sheep"));
        type(QStringLiteral("Keepers"), 2, 1, QStringLiteral("Li"));
        type(QStringLiteral("Animals"), 3, 1, QStringLiteral("Lion"));
        choose(QStringLiteral("Keepers"));
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(DataFixture::scalar(farm, QStringLiteral("SELECT Name FROM Animals")),
            QVariant(QStringLiteral("Sheep")));
        QCOMPARE(
            stored(QStringLiteral("SELECT Name FROM Keepers")), QVariant(QStringLiteral("Li")));
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 2")),
            QVariant(QStringLiteral("Lion")));
        // The window shows again what was chosen before, its lists answering as before.
        QCOMPARE(m_main->CBDBase->currentText(), Zoo);
        QCOMPARE(m_main->CBTable->currentText(), QStringLiteral("Keepers"));
        QCOMPARE(m_main->Table1->tableName(), QStringLiteral("Keepers"));
        QCOMPARE(m_main->CBTable->count(), 3);
        checkTheWindowIsUsable(QStringLiteral("Keepers"));
    }

    void aTableStillLoadingGoesInWhole()
    {
        const QString big = DataFixture::makeDatabase(QStringLiteral("Big"),
            {QStringLiteral("CREATE TABLE Many (Name VARCHAR(10), No INTEGER)"),
                QStringLiteral("WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c "
                               "WHERE i < 2500) INSERT INTO Many SELECT 'n' || i, i FROM c")});
        DataFixture::writeAliases({{Zoo, m_db}, {QStringLiteral("Big"), big}});
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        RecordListLoader::holdForTests(true);
        struct Release
        {
            ~Release() { RecordListLoader::holdForTests(false); }
        } release;
        choose(QStringLiteral("Many"), QStringLiteral("Big"));
        QVERIFY(!m_main->Table1->recordListComplete());
        m_main->IntoExcel1->trigger();
        QCOMPARE(errors(), QStringList());
        auto cells = sheet(QStringLiteral("Many"), QStringLiteral("Big"))->cells();
        QCOMPARE(cells->item(1001, 1), QVariant(QStringLiteral("n1000")));
        QCOMPARE(cells->item(1002, 1), QVariant(QStringLiteral("n1001")));
        QCOMPARE(cells->item(2501, 1), QVariant(QStringLiteral("n2500")));
        QCOMPARE(cells->item(2501, 2), QVariant(2500.0));
        QCOMPARE(cells->item(2502, 1).toString(), QString());
    }

    void aSpreadsheetKilledDuringTheExportGivesOneMessageAndAUsableWindow()
    {
        exportTable(QStringLiteral("Animals"));
        m_onAsk = [this](const Prompts::Request &r) {
            if (r.caption == QStringLiteral("将数据调入Excel"))
                killSpreadsheet();
        };
        exportTable(QStringLiteral("Animals"));
        m_onAsk = nullptr;
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors()[0].contains(QLatin1String("has gone away")), qPrintable(errors()[0]));
        QVERIFY(!m_main->ExcelApplication1);
        QVERIFY(!m_main->SaveAndClose1->isEnabled());
        checkTheWindowIsUsable(QStringLiteral("Animals"));
#ifdef TABVALE_LIVE_CALC
        m_office->start();
#else
        m_fake = std::make_shared<FakeSpreadsheet>();
#endif
        m_asked.clear();
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(errors().join(u'\n'), QString());
        QVERIFY(m_main->SaveAndClose1->isEnabled());
    }

    void aSpreadsheetKilledBeforeTheWriteBackGivesOneMessageAndAUsableWindow()
    {
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 2, 1, QStringLiteral("Giant panda"));
        m_onAsk = [this](const Prompts::Request &r) {
            if (r.caption == QStringLiteral("退出"))
                killSpreadsheet();
        };
        closeSpreadsheet(QMessageBox::Yes);
        m_onAsk = nullptr;
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors()[0].contains(QLatin1String("has gone away")), qPrintable(errors()[0]));
        QVERIFY(!m_main->ExcelApplication1);
        QVERIFY(!m_main->SaveAndClose1->isEnabled());
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Panda")));
        checkTheWindowIsUsable(QStringLiteral("Animals"));
    }

    void aFailedWriteBackNamesTheSheetAndRowAndLeavesAUsableWindow()
    {
        // The database refuses the third record's change: nothing of that sheet is stored.
        DataFixture::exec(m_db,
            QStringLiteral("CREATE TRIGGER NoYeti BEFORE UPDATE ON Animals WHEN new.Name = 'Yeti'"
                           " BEGIN SELECT RAISE(ABORT, 'no yetis here'); END"));
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 2, 1, QStringLiteral("Giant panda"));
        type(QStringLiteral("Animals"), 4, 1, QStringLiteral("Yeti"));
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors()[0].contains(QStringLiteral("“Animals” of Zoo.xls stopped at row 4")),
            qPrintable(errors()[0]));
        // The trigger's refusal, in its author's words and without its statement.
        QVERIFY2(errors()[0].contains(QStringLiteral("the database refuses the change: “no yetis here”")),
            qPrintable(errors()[0]));
        QVERIFY2(errors()[0].contains(QLatin1String("Nothing of that sheet was stored")),
            qPrintable(errors()[0]));
        QVERIFY2(!errors()[0].contains(QLatin1String("UPDATE")), qPrintable(errors()[0]));
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Panda")));
        // Still connected, events on again: the user can mend the sheet and close once more.
        QVERIFY(m_main->ExcelApplication1);
        QVERIFY(m_main->SaveAndClose1->isEnabled());
        QVERIFY(app().enableEvents());
        checkTheWindowIsUsable(QStringLiteral("Animals"));
        QVERIFY(!userClosesWorkbook());
        type(QStringLiteral("Animals"), 4, 1, QStringLiteral("Crane"));
        m_asked.clear();
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Giant panda")));
    }

    void aTableTheSpreadsheetCannotNameGivesOneMessageAndLeavesItShown()
    {
        exportTable(QStringLiteral("Animals"));
        DataFixture::exec(m_db, QStringLiteral("CREATE TABLE \"Cats: big\" (Name TEXT)"));
        m_main->CBDBase->setCurrentIndex(-1); // read the lists again
        m_main->CBDBase->setCurrentIndex(0);
        m_asked.clear();
        exportTable(QStringLiteral("Cats: big"));
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors()[0].contains(QLatin1String("Cats: big")), qPrintable(errors()[0]));
        QVERIFY(app().visible());
        QVERIFY(m_main->SaveAndClose1->isEnabled());
        checkTheWindowIsUsable(QStringLiteral("Cats: big"));
        // What was exported before is still written back.
        type(QStringLiteral("Animals"), 2, 1, QStringLiteral("Giant panda"));
        closeSpreadsheet(QMessageBox::Yes);
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Giant panda")));
    }

    void aMarkLeftByAnOfficeThatEndedIsClearedAndTheExportWorks()
    {
        // As another user's office leaves it in a Data/ folder two users share.
        const QString workbook = m_program->filePath(QStringLiteral("Data/Zoo.xls"));
        const QByteArray stale = OfficeMarks::text(QStringLiteral("someone-else"),
            QSysInfo::machineHostName(), QStringLiteral("file:///home/someone-else/.config/lo"));
        QVERIFY(QDir().mkpath(m_program->filePath(QStringLiteral("Data"))));
        OfficeMarks::write(workbook, stale); // before the workbook is made
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(sheet(QStringLiteral("Animals"))->cells()->item(2, 1),
            QVariant(QStringLiteral("Panda")));
        closeSpreadsheet(QMessageBox::No);
        OfficeMarks::write(workbook, stale); // and before it is opened again
        exportTable(QStringLiteral("Keepers"));
        QCOMPARE(errors().join(u'\n'), QString());
        QCOMPARE(sheet(QStringLiteral("Keepers"))->cells()->item(2, 1),
            QVariant(QStringLiteral("Wang")));
        // The mark there now is the export's own office's.
#ifdef TABVALE_LIVE_CALC
        const auto mark = OfficeLockFile::read(workbook);
        QVERIFY(mark);
        QVERIFY2(mark->profileUrl().contains(QLatin1String("office-profile")),
            qPrintable(mark->profileUrl()));
#else
        QVERIFY(!QFileInfo::exists(OfficeLockFile::pathFor(workbook)));
#endif
    }

    void aWorkbookOpenInAnotherRunningOfficeGivesOneMessageAndNoEmptyWindow()
    {
        const QString profile = QStringLiteral("file://%1/their-profile").arg(m_dir.path());
        const QString workbook = m_program->filePath(QStringLiteral("Data/Zoo.xls"));
        QVERIFY(QDir().mkpath(m_program->filePath(QStringLiteral("Data"))));
        OfficeMarks::write(workbook,
            OfficeMarks::text(QStringLiteral("someone-else"), QSysInfo::machineHostName(), profile,
                QStringLiteral("Wang Wei")));
        OfficeMarks::PretendOffice theirs(profile);
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors()[0].contains(QLatin1String("Wang Wei")), qPrintable(errors()[0]));
        QVERIFY2(errors()[0].contains(QLatin1String("Zoo.xls")), qPrintable(errors()[0]));
        QCOMPARE(app().workbooks()->count(), 0); // nothing left open, not even an empty workbook
        QVERIFY(!m_main->SaveAndClose1->isEnabled());
        checkTheWindowIsUsable(QStringLiteral("Animals"));
        // Once they have closed it, the export goes through.
        theirs.stop();
        m_asked.clear();
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(errors().join(u'\n'), QString());
        QVERIFY(m_main->SaveAndClose1->isEnabled());
    }

    void aWorkbookThatCannotBeSavedGivesOneMessageAndNoEmptyWindow()
    {
        // The workbook's name leads to a folder that does not exist.
        QVERIFY(QDir().mkpath(m_program->filePath(QStringLiteral("Data"))));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("no/such/folder/Zoo.xls")),
            m_program->filePath(QStringLiteral("Data/Zoo.xls"))));
        exportTable(QStringLiteral("Animals"));
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors()[0].contains(QLatin1String("Zoo.xls")), qPrintable(errors()[0]));
        QVERIFY2(!errors()[0].contains(QLatin1String("0x")), qPrintable(errors()[0]));
        QCOMPARE(app().workbooks()->count(), 0); // the new, empty workbook is not left open
        QVERIFY(!m_main->SaveAndClose1->isEnabled());
        checkTheWindowIsUsable(QStringLiteral("Animals"));
    }

    void theExportClosesTheFindDataWindow()
    {
        m_main->LookData1->trigger();
        QVERIFY(LookDataForm);
        exportTable(QStringLiteral("Animals"));
        QVERIFY(!m_main->LookData1->isChecked());
        QTRY_VERIFY(!LookDataForm);
        QCOMPARE(errors().join(u'\n'), QString());
    }

    void quittingWithAnExportOpenClosesTheSpreadsheet()
    {
        exportTable(QStringLiteral("Animals"));
        type(QStringLiteral("Animals"), 2, 1, QStringLiteral("Giant panda"));
        QVERIFY(m_main->close());
        m_main.reset();
        QCOMPARE(stored(QStringLiteral("SELECT Name FROM Animals WHERE rowid = 1")),
            QVariant(QStringLiteral("Panda")));
#ifndef TABVALE_LIVE_CALC
        QCOMPARE(
            m_fake->keysSent, (QStringList {QStringLiteral("{TAB}"), QStringLiteral("{ESC}")}));
        QCOMPARE(m_fake->quitCount, 1);
        QVERIFY(m_fake->books.empty());
#endif
    }
};

const QString ExchangeTest::Zoo = QStringLiteral("Zoo");

TABVALE_TEST_MAIN(ExchangeTest, QApplication)
#include "tst_Exchange.moc"
