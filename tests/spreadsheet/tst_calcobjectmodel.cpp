#include "spreadsheet/CalcConnection.h"
#include "spreadsheet/CalcWorkbook.h"
#include "spreadsheet/Cells.h"
#include "spreadsheet/SheetShape.h"
#include "spreadsheet/Sheets.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TExcelApplication.h"
#include "spreadsheet/Workbooks.h"
#include "spreadsheet/Worksheet.h"
#include "tests/spreadsheet/CalcTestOffice.h"
#include "tests/support/TestEnvironment.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <memory>

// The object model against a real headless Calc: one office for the whole run.
class CalcObjectModelTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CalcTestOffice> m_office;
    std::unique_ptr<TExcelApplication> m_excel;
    SpreadsheetApplication &app() { return m_excel->Application(); }
    WorksheetPtr freshSheet()
    {
        auto book = app().workbooks()->add();
        return book->activeSheet();
    }
    static QImage patterned(int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        QRandomGenerator random(1234);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixel(x, y, 0xff000000u | (random.generate() & 0xffffffu));
        return image;
    }
    // What the close box of the workbook's window does; false when the window was kept.
    static bool closeWindow(Workbook &workbook)
    {
        auto &book = dynamic_cast<CalcWorkbook &>(workbook);
        return book.connection().call([&] {
            css::uno::Reference<css::util::XCloseable> window(
                book.model()->getCurrentController()->getFrame(), css::uno::UNO_QUERY_THROW);
            try {
                window->close(true);
            } catch (const css::util::CloseVetoException &) {
                return false;
            }
            return true;
        });
    }
    static bool hasWindow(Workbook &workbook)
    {
        auto &book = dynamic_cast<CalcWorkbook &>(workbook);
        return book.connection().call([&] { return book.model()->getCurrentController().is(); });
    }
    static bool samePixels(const QImage &a, const QImage &b)
    {
        return a.size() == b.size()
            && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_office = std::make_unique<CalcTestOffice>(m_dir.path());
        m_office->start();
        m_excel = std::make_unique<TExcelApplication>();
        app().setVisible(false); // the first call connects
        QVERIFY(!app().visible());
    }

    void cleanupTestCase()
    {
        m_excel.reset();
        m_office.reset();
    }

    void workbookSavedAsIsFoundByNameAndOpensAgain()
    {
        auto books = app().workbooks();
        const int before = books->count();
        auto book = books->add();
        QCOMPARE(books->count(), before + 1);
        QVERIFY(book->name().startsWith(QLatin1String("Book")));
        QCOMPARE(app().activeWorkbook()->name(), book->name());

        const QString path = m_dir.filePath(QStringLiteral("Pictures.xls"));
        book->saveAs(path);
        QCOMPARE(book->name(), QStringLiteral("Pictures.xls"));
        QCOMPARE(books->item(QStringLiteral("pictures"))->fullName(), path);
        QCOMPARE(
            books->item(QStringLiteral("PICTURES.XLS"))->name(), QStringLiteral("Pictures.xls"));
        QCOMPARE(books->item(books->count())->name(), QStringLiteral("Pictures.xls"));

        book->close();
        QCOMPARE(books->count(), before);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, books->item(QStringLiteral("Pictures")));

        auto reopened = books->open(path);
        QCOMPARE(reopened->name(), QStringLiteral("Pictures.xls"));
        QCOMPARE(app().activeWorkbook()->name(), QStringLiteral("Pictures.xls"));
        // Opening it again gives the same workbook, not a second copy.
        books->open(path);
        QCOMPARE(books->count(), before + 1);
        reopened->close();
    }

    void missingWorkbooksAndIndicesRaise()
    {
        auto books = app().workbooks();
        QVERIFY_THROWS_EXCEPTION(
            SpreadsheetError, books->open(m_dir.filePath(QStringLiteral("none.xls"))));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, books->item(0));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, books->item(books->count() + 1));
        auto book = books->add();
        QVERIFY_THROWS_EXCEPTION(
            SpreadsheetError, book->saveAs(m_dir.filePath(QStringLiteral("x.txt"))));
        QVERIFY_THROWS_EXCEPTION(
            SpreadsheetError, book->sheets()->item(book->sheets()->count() + 1));
        book->close();
    }

    void sheetsAreAddedWithFreeDefaultNamesAndFoundWithoutCase()
    {
        auto book = app().workbooks()->add();
        auto sheets = book->worksheets();
        QCOMPARE(sheets->count(), 1);
        QCOMPARE(sheets->item(1)->name(), QStringLiteral("Sheet1"));

        auto second = sheets->add();
        QCOMPARE(second->name(), QStringLiteral("Sheet2"));
        QCOMPARE(book->activeSheet()->name(), QStringLiteral("Sheet2"));
        QCOMPARE(sheets->count(), 2);

        sheets->item(1)->setName(QStringLiteral("Customers"));
        // "Sheet1" is free again: the next sheet takes the lowest free number.
        QCOMPARE(sheets->add()->name(), QStringLiteral("Sheet1"));
        QCOMPARE(sheets->item(QStringLiteral("CUSTOMERS"))->name(), QStringLiteral("Customers"));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, sheets->item(QStringLiteral("Orders")));
        // Calc keeps sheet names unique without regard to case.
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, second->setName(QStringLiteral("customers")));

        sheets->item(QStringLiteral("customers"))->activate();
        QCOMPARE(app().activeSheet()->name(), QStringLiteral("Customers"));
        book->close();
    }

    void cellValuesComeBackAsTheyWentIn_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("number") << QVariant(3.25) << QVariant(3.25);
        QTest::newRow("integer reads as a number") << QVariant(42) << QVariant(42.0);
        QTest::newRow("text that looks like a number")
            << QVariant(QStringLiteral("00123")) << QVariant(QStringLiteral("00123"));
        QTest::newRow("text that looks like a formula")
            << QVariant(QStringLiteral("=1+1")) << QVariant(QStringLiteral("=1+1"));
        QTest::newRow("chinese text")
            << QVariant(QStringLiteral("图片数据库")) << QVariant(QStringLiteral("图片数据库"));
        QTest::newRow("date") << QVariant(QDate(2024, 2, 29)) << QVariant(QDate(2024, 2, 29));
        QTest::newRow("date before 1900")
            << QVariant(QDate(1850, 7, 1)) << QVariant(QDate(1850, 7, 1));
        QTest::newRow("date and time")
            << QVariant(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58)))
            << QVariant(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58)));
        QTest::newRow("time") << QVariant(QTime(7, 30, 15)) << QVariant(QTime(7, 30, 15));
        QTest::newRow("boolean") << QVariant(true) << QVariant(true);
        QTest::newRow("empty") << QVariant() << QVariant(QString());
    }

    void cellValuesComeBackAsTheyWentIn()
    {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        auto cells = freshSheet()->cells();
        cells->setItem(3, 2, value);
        const QVariant back = cells->item(3, 2);
        QCOMPARE(back.typeId(), expected.typeId());
        QCOMPARE(back, expected);
        // The neighbour stays empty and reads as empty text.
        QCOMPARE(cells->item(3, 3), QVariant(QString()));
        // The active sheet's cells are the same cells.
        QCOMPARE(app().cells()->item(3, 2), expected);
        app().activeWorkbook()->close();
    }

    void aNumberWrittenOverADateReadsAsANumber()
    {
        auto cells = freshSheet()->cells();
        cells->setItem(1, 1, QDate(2020, 1, 1));
        cells->setItem(1, 1, 12.5);
        QCOMPARE(cells->item(1, 1), QVariant(12.5));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, cells->item(0, 1));
        app().activeWorkbook()->close();
    }

    void blocksMatchTheSingleCells()
    {
        auto cells = freshSheet()->cells();
        const QList<QVariantList> block {
            {QStringLiteral("Name"), QStringLiteral("Born"), QStringLiteral("Size")},
            {QStringLiteral("Wang"), QDate(1990, 5, 17), 1.5},
            {QStringLiteral("007"), QDate(2001, 1, 2), QVariant()}};
        cells->setDataArray(2, 3, block);
        QCOMPARE(cells->item(2, 3), QVariant(QStringLiteral("Name")));
        QCOMPARE(cells->item(3, 4), QVariant(QDate(1990, 5, 17)));
        QCOMPARE(cells->item(4, 4), QVariant(QDate(2001, 1, 2)));
        QCOMPARE(cells->item(4, 3), QVariant(QStringLiteral("007")));
        QCOMPARE(cells->item(3, 5), QVariant(1.5));
        QCOMPARE(cells->item(4, 5), QVariant(QString()));

        const auto read = cells->dataArray(2, 3, 3, 3);
        QCOMPARE(read.size(), 3);
        QCOMPARE(read[1][0], QVariant(QStringLiteral("Wang")));
        QCOMPARE(read[1][2], QVariant(1.5));
        // Blocks carry numbers and text only: a date comes back as its day number.
        QCOMPARE(read[1][1], QVariant(double(QDate(1899, 12, 30).daysTo(QDate(1990, 5, 17)))));
        QCOMPARE(read[2][2], QVariant(QString()));
        QVERIFY_THROWS_EXCEPTION(
            SpreadsheetError, cells->setDataArray(1, 1, {{1, 2}, {3}})); // ragged rows
        app().activeWorkbook()->close();
    }

    void typedBlocksReadAsTheSingleCellsDo()
    {
        auto cells = freshSheet()->cells();
        const QList<QVariantList> block {{QStringLiteral("Wang"), QDate(1990, 5, 17), 1.5, true},
            {QStringLiteral("007"), QTime(7, 30, 15, 250),
                QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)), QVariant()},
            {QVariant::fromValue(CurrencyValue {12.5}), false, -3.0, QStringLiteral("=1+2")}};
        cells->setDataArray(2, 3, block);
        const auto typed = cells->typedDataArray(2, 3, 3, 4);
        QCOMPARE(typed.size(), 3);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 4; ++c) {
                const QVariant single = cells->item(2 + r, 3 + c);
                QCOMPARE(typed[r][c].typeId(), single.typeId());
                QCOMPARE(typed[r][c], single);
            }
        }
        QCOMPARE(typed[0][1], QVariant(QDate(1990, 5, 17)));
        QCOMPARE(typed[0][3], QVariant(true));
        QCOMPARE(typed[1][2], QVariant(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58))));
        QCOMPARE(typed[2][0], QVariant(12.5)); // a sum of money reads back as its number
        QCOMPARE(typed[2][3], QVariant(QStringLiteral("=1+2"))); // text stays text
        cells->setItem(6, 1, QVariant::fromValue(CurrencyValue {-0.25}));
        QCOMPARE(cells->item(6, 1), QVariant(-0.25));
        app().activeWorkbook()->close();
    }

    void cellGeometryIsInPointsFromTheTopLeft()
    {
        auto sheet = freshSheet();
        const QRectF a1 = sheet->cellGeometry(1, 1);
        const QRectF b2 = sheet->cellGeometry(2, 2);
        QCOMPARE(a1.topLeft(), QPointF(0, 0));
        QVERIFY(a1.width() > 20 && a1.width() < 200); // a default column, in points
        QVERIFY(qAbs(b2.left() - a1.width()) < 0.05);
        QVERIFY(qAbs(b2.top() - a1.height()) < 0.05);
        app().activeWorkbook()->close();
    }

    void textBoxFilledInPiecesReadsBackWhole()
    {
        auto sheet = freshSheet();
        auto box = sheet->addTextbox(1, 1, 1, 80, 30);
        box->setName(QStringLiteral("2Remark"));
        const QRectF cell = sheet->cellGeometry(2, 4);
        box->setGeometry(cell);

        QString text;
        for (int i = 0; i < 250; ++i)
            text += i % 7 == 0 ? QChar(0x6587) : QChar('a' + i % 26);
        for (int at = 0; at < text.size(); at += 100)
            box->insertText(box->characterCount() + 1, text.mid(at, 100));

        auto found = sheet->textBox(QStringLiteral("2remark"));
        QCOMPARE(found->text(), text);
        QCOMPARE(found->characterCount(), 250);
        // The box keeps the size it was given, whatever the text.
        QVERIFY(qAbs(found->left() - cell.left()) < 0.05);
        QVERIFY(qAbs(found->height() - cell.height()) < 0.05);

        found->insertText(1, QStringLiteral(">"));
        QCOMPARE(found->text(), QStringLiteral(">") + text);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, found->insertText(300, QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, sheet->addTextbox(2, 1, 1, 80, 30));
        app().activeWorkbook()->close();
    }

    void pastedPictureIsFoundByNamePlacedAndReadBackPixelForPixel()
    {
        auto sheet = freshSheet();
        const QImage image = patterned(37, 23);
        sheet->activateCell(3, 2);
        auto pasted = sheet->pastePicture(image);
        // It lands on the current cell and is the selection, as a paste is.
        const QRectF b3 = sheet->cellGeometry(3, 2);
        QVERIFY(qAbs(pasted->left() - b3.left()) < 0.05);
        QVERIFY(qAbs(pasted->top() - b3.top()) < 0.05);
        QVERIFY(qAbs(pasted->width() - 37 * 0.75) < 0.05);
        app().selection()->setName(QStringLiteral("2Photo"));

        const QRectF target(40.5, 60.25, 90, 45.5);
        auto found = sheet->picture(QStringLiteral("2PHOTO"));
        found->setGeometry(target);
        found->setTop(70);
        QVERIFY(qAbs(sheet->shape(QStringLiteral("2Photo"))->top() - 70) < 0.05);
        QVERIFY(qAbs(found->left() - target.left()) < 0.05);
        QVERIFY(qAbs(found->width() - target.width()) < 0.05);
        QVERIFY(qAbs(found->height() - target.height()) < 0.05);
        QVERIFY(samePixels(found->picture(), image));

        // Through the clipboard both ways.
        found->copyPicture();
        QVERIFY(samePixels(QGuiApplication::clipboard()->image(), image));
        auto again = sheet->paste();
        QVERIFY(samePixels(again->picture(), image));
        app().activeWorkbook()->close();
    }

    void lookupsByNameRaiseForMissingNamesAndWrongKinds()
    {
        auto sheet = freshSheet();
        sheet->pastePicture(patterned(4, 4))->setName(QStringLiteral("2Photo"));
        sheet->addTextbox(1, 1, 1, 80, 30)->setName(QStringLiteral("2Remark"));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, sheet->picture(QStringLiteral("3Photo")));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, sheet->textBox(QStringLiteral("2Photo")));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, sheet->picture(QStringLiteral("2Remark")));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, sheet->shape(QString()));
        QVERIFY_THROWS_EXCEPTION(
            SpreadsheetError, sheet->textBox(QStringLiteral("2Remark"))->picture());
        QVERIFY_THROWS_EXCEPTION(
            SpreadsheetError, sheet->picture(QStringLiteral("2Photo"))->text());
        app().activeWorkbook()->close();
    }

    void deletingByNameRemovesOnlyThatShape()
    {
        auto sheet = freshSheet();
        for (int row = 2; row <= 4; ++row)
            sheet->addTextbox(1, 1, 1, 80, 30)->setName(QStringLiteral("%1Remark").arg(row));
        sheet->shape(QStringLiteral("3Remark"))->remove();
        QCOMPARE(sheet->shapeNames(),
            (QStringList {QStringLiteral("2Remark"), QStringLiteral("4Remark")}));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, sheet->textBox(QStringLiteral("3Remark")));
        sheet->textBox(QStringLiteral("4Remark"))->remove();
        QCOMPARE(sheet->textBox(QStringLiteral("2Remark"))->name(), QStringLiteral("2Remark"));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, sheet->textBox(QStringLiteral("4Remark")));
        app().activeWorkbook()->close();
    }

    void savedWorkbooksKeepNamesTextAndPixels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xls") << QStringLiteral("Round.xls");
        QTest::newRow("xlsx") << QStringLiteral("Round.xlsx");
        QTest::newRow("ods") << QStringLiteral("Round.ods");
    }

    void savedWorkbooksKeepNamesTextAndPixels()
    {
        QFETCH(QString, file);
        const QImage image = patterned(19, 11);
        const QString memo = QStringLiteral("第一行\n second line");
        {
            auto book = app().workbooks()->add();
            auto sheet = book->activeSheet();
            sheet->setName(QStringLiteral("表一"));
            sheet->cells()->setItem(1, 1, QStringLiteral("备注"));
            sheet->cells()->setItem(2, 1, QDate(2022, 10, 1));
            auto box = sheet->addTextbox(1, 1, 1, 80, 30);
            box->setName(QStringLiteral("2备注"));
            box->insertText(1, memo);
            auto picture = sheet->pastePicture(image);
            picture->setName(QStringLiteral("2Photo"));
            picture->setGeometry(sheet->cellGeometry(2, 3));
            book->saveAs(m_dir.filePath(file));
            book->close();
        }
        auto book = app().workbooks()->open(m_dir.filePath(file));
        auto sheet = book->sheets()->item(QStringLiteral("表一"));
        QCOMPARE(sheet->cells()->item(1, 1), QVariant(QStringLiteral("备注")));
        QCOMPARE(sheet->cells()->item(2, 1), QVariant(QDate(2022, 10, 1)));
        // Text boxes may come back as another kind of shape: they are found by name.
        QCOMPARE(sheet->textBox(QStringLiteral("2备注"))->text(), memo);
        auto picture = sheet->picture(QStringLiteral("2Photo"));
        QVERIFY(samePixels(picture->picture(), image));
        const QRectF cell = sheet->cellGeometry(2, 3);
        QVERIFY2(qAbs(picture->left() - cell.left()) < 1 && qAbs(picture->top() - cell.top()) < 1,
            qPrintable(QStringLiteral("picture at %1,%2, cell at %3,%4")
                           .arg(picture->left())
                           .arg(picture->top())
                           .arg(cell.left())
                           .arg(cell.top())));
        book->close();
    }

    void aVetoFromTheCloseEventKeepsTheWorkbookOpen()
    {
        auto book = app().workbooks()->add();
        book->saveAs(m_dir.filePath(QStringLiteral("Kept.xls")));
        QStringList asked;
        auto keep = connect(m_excel.get(), &TExcelApplication::workbookBeforeClose, this,
            [&asked](Workbook &wb, bool &cancel) {
                asked << wb.name();
                cancel = true;
            });
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, book->close());
        QCOMPARE(asked, QStringList {QStringLiteral("Kept.xls")});
        QCOMPARE(
            app().workbooks()->item(QStringLiteral("Kept"))->name(), QStringLiteral("Kept.xls"));

        // With events off nobody is asked and the workbook closes.
        app().setEnableEvents(false);
        book->close();
        app().setEnableEvents(true);
        QCOMPARE(asked.size(), 1);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, app().workbooks()->item(QStringLiteral("Kept")));
        disconnect(keep);

        // Without a veto the close goes ahead after asking.
        auto other = app().workbooks()->add();
        int questions = 0;
        auto count = connect(m_excel.get(), &TExcelApplication::workbookBeforeClose, this,
            [&questions](Workbook &, bool &) { ++questions; });
        other->close();
        disconnect(count);
        QCOMPARE(questions, 1);
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, other->sheets()->count());
    }

    // The close box closes the window before the document is asked: the window is asked first.
    void closingTheWorkbooksWindowIsAskedOnceAndAVetoKeepsIt()
    {
        auto book = app().workbooks()->add();
        book->saveAs(m_dir.filePath(QStringLiteral("Window.ods")));
        QStringList asked;
        auto keep = connect(m_excel.get(), &TExcelApplication::workbookBeforeClose, this,
            [&asked](Workbook &wb, bool &cancel) {
                asked << wb.name(); // answered while Calc waits for the verdict
                cancel = true;
            });
        QVERIFY(!closeWindow(*book));
        disconnect(keep);
        QCOMPARE(asked, QStringList {QStringLiteral("Window.ods")});
        QVERIFY(hasWindow(*book));
        QCOMPARE(book->sheets()->count(), 1);

        // Let go, the window closes and the handler was asked once for it.
        // (A headless Calc keeps the document itself open after its last window, so it is closed
        // here.)
        int questions = 0;
        auto count = connect(m_excel.get(), &TExcelApplication::workbookBeforeClose, this,
            [&questions](Workbook &, bool &) { ++questions; });
        QVERIFY(closeWindow(*book));
        QVERIFY(!hasWindow(*book));
        book->close();
        disconnect(count);
        QCOMPARE(
            questions, 1); // the document's own question follows at once and is not asked again
    }

    void onlyTabAndEscapeCanBeSent()
    {
        app().sendKeys(QStringLiteral("{TAB}"));
        app().sendKeys(QStringLiteral("{ESC}"));
        QVERIFY_THROWS_EXCEPTION(SpreadsheetError, app().sendKeys(QStringLiteral("%{F4}")));
        app().setVisible(true); // headless: only recorded
        QVERIFY(app().visible());
        app().setVisible(false);
    }
};

TABVALE_TEST_MAIN(CalcObjectModelTest, QGuiApplication)
#include "tst_calcobjectmodel.moc"
