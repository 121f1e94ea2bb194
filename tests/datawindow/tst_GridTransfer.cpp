// The drags' decisions and writes, without any window: which cell is a target, how the hovered
// cell follows the cursor, which keys do what, what a value may go into, and how a carried value
// is written.
#include "datawindow/transfer/CarriedValue.h"
#include "datawindow/transfer/ClipboardTransfer.h"
#include "datawindow/transfer/GridTransfer.h"
#include "engine/EngineError.h"
#include "engine/FieldType.h"
#include "engine/TTable.h"
#include "picture/JpegCodec.h"
#include "picture/PictureError.h"
#include "picture/StoredPicture.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QGuiApplication>

using GridTransfer::DragCells;
using GridTransfer::RightDrop;

Q_DECLARE_METATYPE(DragCells)

namespace {

QImage picture(QColor color)
{
    QImage image(5, 4, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

} // namespace

class GridTransferTest : public QObject
{
    Q_OBJECT

private:
    QString m_db;
    std::unique_ptr<TTable> m_table;

    TField *field(const char *name) const
    {
        return m_table->fieldByName(QString::fromLatin1(name));
    }

private slots:
    void init()
    {
        const QByteArray damaged = QByteArray("BM not really a bitmap").toHex();
        m_db = DataFixture::makeDatabase(QStringLiteral("Transfer"),
            {QStringLiteral("CREATE TABLE T (Qty INTEGER, Name VARCHAR(4), Born DATE, Notes MEMO,"
                            " Photo GRAPHIC, Raw BLOB)"),
                QStringLiteral("INSERT INTO T VALUES (7, 'abc', '2020-02-03', 'memo', X'%1', NULL)")
                    .arg(QString::fromLatin1(damaged)),
                QStringLiteral(
                    "INSERT INTO T VALUES ('not a number', 'x', NULL, NULL, NULL, NULL)")});
        DataFixture::writeAliases({{QStringLiteral("Transfer"), m_db}});
        m_table = std::make_unique<TTable>();
        m_table->setDatabaseName(QStringLiteral("Transfer"));
        m_table->setTableName(QStringLiteral("T"));
        m_table->open();
    }

    void cleanup() { m_table.reset(); }

    void theHoveredCellFollowsTheCursorAndTheDragPointLeansAhead_data()
    {
        QTest::addColumn<QPoint>("mouse"); // col, row under the cursor
        QTest::addColumn<QPoint>("before"); // the hovered cell so far
        QTest::addColumn<QPoint>("shift"); // how the drag point moves
        QTest::addColumn<bool>("changed");
        QTest::newRow("coming from no cell")
            << QPoint(2, 3) << QPoint(-1, -1) << QPoint(-3, -3) << true;
        QTest::newRow("down a row") << QPoint(2, 4) << QPoint(2, 3) << QPoint(0, 3) << true;
        QTest::newRow("up a row") << QPoint(2, 2) << QPoint(2, 3) << QPoint(0, -3) << true;
        QTest::newRow("right a column") << QPoint(3, 3) << QPoint(2, 3) << QPoint(3, 0) << true;
        QTest::newRow("left a column") << QPoint(1, 3) << QPoint(2, 3) << QPoint(-3, 0) << true;
        QTest::newRow("from the title row down")
            << QPoint(2, 1) << QPoint(0, 0) << QPoint(3, 3) << true;
        QTest::newRow("diagonally up and right")
            << QPoint(3, 2) << QPoint(2, 3) << QPoint(3, -3) << true;
        QTest::newRow("the same cell") << QPoint(2, 3) << QPoint(2, 3) << QPoint(0, 0) << false;
    }

    void theHoveredCellFollowsTheCursorAndTheDragPointLeansAhead()
    {
        QFETCH(QPoint, mouse);
        QFETCH(QPoint, before);
        QFETCH(QPoint, shift);
        QFETCH(bool, changed);
        int col = before.x();
        int row = before.y();
        QPoint point(100, 50);
        bool cellChanged = false;
        GridTransfer::followCell(mouse.x(), mouse.y(), col, row, point, cellChanged);
        QCOMPARE(QPoint(col, row), mouse);
        QCOMPARE(point, QPoint(100, 50) + shift);
        QCOMPARE(cellChanged, changed);
    }

    void aCellIsATargetOnlyDuringADragAndNeverTheStartCell_data()
    {
        QTest::addColumn<DragCells>("cells");
        QTest::addColumn<bool>("painted");
        QTest::addColumn<bool>("dropped");
        const DragCells drag {2, 3, 4, 1, 1, 1, 1, true};
        auto with = [](DragCells d, auto change) {
            change(d);
            return d;
        };
        QTest::newRow("another cell of the same window") << drag << true << true;
        QTest::newRow("no drag under way")
            << with(drag, [](DragCells &d) { d.state = 0; }) << false << false;
        QTest::newRow("a refused press")
            << with(drag, [](DragCells &d) { d.state = 1; }) << false << false;
        QTest::newRow("highlight off")
            << with(drag, [](DragCells &d) { d.highlight = false; }) << false << true;
        QTest::newRow("the start cell")
            << with(drag, [](DragCells &d) { d.col = d.row = 1; }) << false << false;
        QTest::newRow("the start cell's place in the other window")
            << with(drag, [](DragCells &d) { d.col = d.row = 1, d.overTag = 2; }) << true << true;
        QTest::newRow("the title row")
            << with(drag, [](DragCells &d) { d.row = 0; }) << true << false;
        QTest::newRow("the indicator column")
            << with(drag, [](DragCells &d) { d.col = 0; }) << true << false;
        QTest::newRow("outside the cells")
            << with(drag, [](DragCells &d) { d.col = d.row = -1; }) << true << false;
        QTest::newRow("over no grid")
            << with(drag, [](DragCells &d) { d.overTag = 0; }) << true << false;
    }

    void aCellIsATargetOnlyDuringADragAndNeverTheStartCell()
    {
        QFETCH(DragCells, cells);
        QFETCH(bool, painted);
        QFETCH(bool, dropped);
        const QRect cell(10, 20, 60, 18);
        // The painter tests only the drawn cell's rectangle; the drop needs a data cell.
        QCOMPARE(GridTransfer::paintsDropTarget(cells, cell, QPoint(40, 30)), painted);
        QVERIFY(!GridTransfer::paintsDropTarget(cells, cell, QPoint(70, 30)));
        QCOMPARE(GridTransfer::isValidDrop(cells), dropped);
    }

    void theKeysAtTheReleaseChooseTheRightDrop_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<RightDrop>("action");
        QTest::newRow("none") << Qt::KeyboardModifiers() << RightDrop::Nothing;
        QTest::newRow("Alt") << Qt::KeyboardModifiers(Qt::AltModifier) << RightDrop::Nothing;
        QTest::newRow("Ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier) << RightDrop::Copy;
        QTest::newRow("Shift") << Qt::KeyboardModifiers(Qt::ShiftModifier) << RightDrop::Replace;
        QTest::newRow("Alt+Shift") << (Qt::AltModifier | Qt::ShiftModifier) << RightDrop::Replace;
        QTest::newRow("Ctrl+Shift") << (Qt::ControlModifier | Qt::ShiftModifier) << RightDrop::Copy;
        QTest::newRow("Ctrl+Alt") << (Qt::ControlModifier | Qt::AltModifier) << RightDrop::Swap;
        QTest::newRow("Ctrl+Alt+Shift")
            << (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier) << RightDrop::Swap;
    }

    void theKeysAtTheReleaseChooseTheRightDrop()
    {
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(RightDrop, action);
        QCOMPARE(GridTransfer::rightDropAction(keys), action);
    }

    void valuesGoOnlyIntoFieldsOfTheirClass()
    {
        QVERIFY(GridTransfer::sameClass(ftGraphic, ftBlob));
        QVERIFY(GridTransfer::sameClass(ftTypedBinary, ftGraphic));
        QVERIFY(GridTransfer::sameClass(ftInteger, ftString));
        QVERIFY(GridTransfer::sameClass(ftMemo, ftMemo));
        QVERIFY(!GridTransfer::sameClass(ftMemo, ftString));
        QVERIFY(!GridTransfer::sameClass(ftGraphic, ftMemo));
        QVERIFY(!GridTransfer::sameClass(ftInteger, ftBlob));
    }

    void aRefusedOrdinaryValueLeavesTheOldOne_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("text into a number") << "Qty" << QVariant("seven") << false << QVariant(7LL);
        QTest::newRow("a number as text") << "Qty" << QVariant("42") << true << QVariant(42LL);
        QTest::newRow("a fraction into a number")
            << "Qty" << QVariant(2.5) << false << QVariant(7LL);
        QTest::newRow("too long for the string")
            << "Name" << QVariant("abcdef") << false << QVariant("abc");
        QTest::newRow("a number into a string")
            << "Name" << QVariant(12LL) << true << QVariant("12");
        QTest::newRow("an impossible date")
            << "Born" << QVariant("2021-02-30") << false << QVariant(QDate(2020, 2, 3));
        QTest::newRow("null") << "Qty" << QVariant() << true << QVariant();
    }

    void aRefusedOrdinaryValueLeavesTheOldOne()
    {
        QFETCH(QString, target);
        QFETCH(QVariant, value);
        QFETCH(bool, written);
        QFETCH(QVariant, expected);
        m_table->edit();
        TField *f = m_table->fieldByName(target);
        QCOMPARE(GridTransfer::writeOrdinary(*f, value), written);
        QCOMPARE(f->value(), expected);
        m_table->post();
        QCOMPARE(m_table->fieldByName(target)->value(), expected);
    }

    void aStoredValueThatCannotBeReadIsStillOverwritten()
    {
        m_table->moveTo(1); // Qty holds text
        m_table->edit();
        QVERIFY(GridTransfer::writeOrdinary(*field("Qty"), 5));
        m_table->post();
        QCOMPARE(DataFixture::scalar(m_db, QStringLiteral("SELECT Qty FROM T WHERE rowid=2")),
            QVariant(5LL));
    }

    void aCarriedValueThatCannotBeReadIsRefusedWhereItWouldGo()
    {
        m_table->moveTo(1);
        const CarriedValue badNumber = CarriedValue::take(*field("Qty"), nullptr, nullptr);
        QVERIFY(!badNumber.error.isEmpty());
        m_table->moveTo(0);
        const CarriedValue badPicture = CarriedValue::take(*field("Photo"), nullptr, nullptr);
        QVERIFY(!badPicture.error.isEmpty());
        m_table->edit();
        QVERIFY_THROWS_EXCEPTION(EngineError, badNumber.putInto(*field("Name"), nullptr, nullptr));
        QVERIFY_THROWS_EXCEPTION(PictureError, badPicture.putInto(*field("Raw"), nullptr, nullptr));
        // Into a field of another class it goes nowhere, and nothing is raised.
        QVERIFY(!badPicture.putInto(*field("Notes"), nullptr, nullptr));
        QCOMPARE(field("Name")->value(), QVariant("abc"));
    }

    void aCopiedPictureKeepsItsBytesWhereTheTargetsFormAllows_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("throughClipboard");
        const QByteArray jpeg = JpegCodec::encode(picture(Qt::red), 95);
        const QByteArray bitmap = StoredPicture::encode(picture(Qt::blue), 17);
        for (bool clipboard : {false, true}) {
            const char *how = clipboard ? "left drag" : "right drag";
            QTest::addRow("%s: a JPEG into a file-form field stays that JPEG", how)
                << jpeg << "file" << "Photo" << jpeg << clipboard;
            QTest::addRow("%s: a JPEG into a bitmap-form field becomes a bitmap", how)
                << jpeg << "bitmap" << "Photo"
                << StoredPicture::encode(JpegCodec::decode(jpeg), 17) << clipboard;
            QTest::addRow("%s: a bitmap value into a file-form field stays as it was", how)
                << bitmap << "file" << "Raw" << bitmap << clipboard;
            QTest::addRow("%s: a bitmap value keeps its bytes in a bitmap-form BLOB", how)
                << bitmap << "bitmap" << "Raw" << StoredPicture::bitmapPart(bitmap) << clipboard;
        }
    }

    void aCopiedPictureKeepsItsBytesWhereTheTargetsFormAllows()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, form);
        QFETCH(QString, target);
        QFETCH(QByteArray, stored);
        QFETCH(bool, throughClipboard);
        DataFixture::execBound(m_db, QStringLiteral("UPDATE T SET Raw = ?1 WHERE rowid = 1"), {value});
        DataFixture::writeAliases({{QStringLiteral("Transfer"), m_db}}, form);
        m_table->refresh();
        m_table->first();
        TField *to = m_table->fieldByName(target);
        if (throughClipboard) {
            ClipboardTransfer::take(*field("Raw"), nullptr, nullptr);
            m_table->last();
            m_table->edit();
            QVERIFY(ClipboardTransfer::drop(*to, nullptr, nullptr));
        } else {
            const CarriedValue v = CarriedValue::take(*field("Raw"), nullptr, nullptr);
            m_table->last();
            m_table->edit();
            QVERIFY(v.putInto(*to, nullptr, nullptr));
        }
        m_table->post();
        QCOMPARE(DataFixture::blob(
                     m_db, QStringLiteral("SELECT \"%1\" FROM T WHERE rowid = 2").arg(target)),
            stored);
    }

    void aPictureArrivesInTheTargetsStoredForm_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("header");
        QTest::newRow("graphic") << "Photo" << true;
        QTest::newRow("blob") << "Raw" << false;
    }

    void aPictureArrivesInTheTargetsStoredForm()
    {
        QFETCH(QString, target);
        QFETCH(bool, header);
        CarriedValue v;
        v.fieldType = ftTypedBinary;
        v.picture = picture(Qt::red);
        m_table->edit();
        QVERIFY(v.putInto(*m_table->fieldByName(target), nullptr, nullptr));
        m_table->post();
        const QByteArray stored = DataFixture::blob(
            m_db, QStringLiteral("SELECT \"%1\" FROM T WHERE rowid=1").arg(target));
        QCOMPARE(StoredPicture::hasGraphicHeader(stored), header);
        QCOMPARE(StoredPicture::decode(stored).pixelColor(2, 2), QColor(Qt::red));
        // No picture, no value.
        m_table->edit();
        const CarriedValue nothing {ftBlob, {}, {}, {}, {}, {}};
        QVERIFY(nothing.putInto(*m_table->fieldByName(target), nullptr, nullptr));
        m_table->post();
        QVERIFY(DataFixture::scalar(
            m_db, QStringLiteral("SELECT \"%1\" IS NULL FROM T WHERE rowid=1").arg(target))
                    .toBool());
    }
};

TABVALE_TEST_MAIN(GridTransferTest, QGuiApplication)
#include "tst_GridTransfer.moc"
