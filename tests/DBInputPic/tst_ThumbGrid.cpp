// The thumbnail geometry of the strip and the column: forward and back agree everywhere.
#include "DBInputPic/ThumbGrid.h"

#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(ThumbGrid)

class ThumbGridTest : public QObject
{
    Q_OBJECT
private slots:
    void grids_data();
    void theItemAtEveryPointOfAnItemIsThatItem_data() { grids_data(); }
    void theItemAtEveryPointOfAnItemIsThatItem();
    void gapsAndItemsBeyondTheLastAreNoItem_data() { grids_data(); }
    void gapsAndItemsBeyondTheLastAreNoItem();
    void aBandsRowsCoverEveryItemItShows_data() { grids_data(); }
    void aBandsRowsCoverEveryItemItShows();
    void theWindowsPlacesStayWhereTheyWere();
};

void ThumbGridTest::grids_data()
{
    QTest::addColumn<ThumbGrid>("grid");
    QTest::addColumn<int>("offset");
    QTest::newRow("strip") << ThumbGrid::fileStrip() << 0;
    QTest::newRow("strip scrolled") << ThumbGrid::fileStrip() << -437;
    QTest::newRow("column") << ThumbGrid::fieldColumn() << 0;
    QTest::newRow("column scrolled") << ThumbGrid::fieldColumn() << -1201;
}

void ThumbGridTest::theItemAtEveryPointOfAnItemIsThatItem()
{
    QFETCH(ThumbGrid, grid);
    QFETCH(int, offset);
    const int last = 37;
    for (int n = 0; n <= last; ++n) {
        const QRect r = grid.itemRect(n, offset);
        QCOMPARE(r.size(), QSize(ThumbGrid::Side, ThumbGrid::Side));
        for (const QPoint p :
            {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight(), r.center()})
            QCOMPARE(grid.itemAt(p, offset, last), n);
    }
}

void ThumbGridTest::gapsAndItemsBeyondTheLastAreNoItem()
{
    QFETCH(ThumbGrid, grid);
    QFETCH(int, offset);
    const int last = 20;
    for (int n = 0; n <= last; ++n) {
        const QRect r = grid.itemRect(n, offset);
        QCOMPARE(grid.itemAt(r.topLeft() - QPoint(1, 0), offset, last), -1); // the gap before
        QCOMPARE(grid.itemAt(r.bottomRight() + QPoint(1, 0), offset, last), -1); // the gap across
        QCOMPARE(grid.itemAt(r.bottomRight() + QPoint(0, 1), offset, last), -1); // the gap below
        QCOMPARE(grid.itemAt(r.center(), offset, n - 1), -1); // not there yet
    }
    const QRect lastRect = grid.itemRect(grid.columns - 1, offset);
    QCOMPARE(grid.itemAt(lastRect.center() + QPoint(ThumbGrid::Pitch, 0), offset, last), -1);
    QCOMPARE(
        grid.itemAt(grid.itemRect(0, offset).center() - QPoint(0, ThumbGrid::Pitch), offset, last),
        -1);
}

void ThumbGridTest::aBandsRowsCoverEveryItemItShows()
{
    QFETCH(ThumbGrid, grid);
    QFETCH(int, offset);
    QRandomGenerator random(17);
    const int last = 400;
    for (int i = 0; i < 2000; ++i) {
        const int top = random.bounded(-200, 4000);
        const QRect band(0, top, 500, random.bounded(1, 300));
        const int first = grid.firstRowIn(band.top(), offset);
        const int lastRow = grid.lastRowIn(band.bottom(), offset);
        for (int n = 0; n <= last; ++n) {
            if (grid.itemRect(n, offset).intersects(band)) {
                const int row = n / grid.columns;
                QVERIFY2(row >= first && row <= lastRow,
                    qPrintable(QStringLiteral("item %1 in band %2..%3 outside rows %4..%5")
                                   .arg(n)
                                   .arg(band.top())
                                   .arg(band.bottom())
                                   .arg(first)
                                   .arg(lastRow)));
            }
        }
    }
}

void ThumbGridTest::theWindowsPlacesStayWhereTheyWere()
{
    // The places the window's thumbnails, labels and scroll ranges have always had.
    const ThumbGrid strip = ThumbGrid::fileStrip();
    const ThumbGrid column = ThumbGrid::fieldColumn();
    for (int n = 0; n < 30; ++n) {
        QCOMPARE(strip.itemRect(n, -5), QRect(n % 8 * 60 + 2, n / 8 * 60 + 2 - 5, 58, 58));
        QCOMPARE(column.itemRect(n, -5), QRect(80, n * 60 - 5 + 2, 58, 58));
        QCOMPARE(strip.contentHeight(n), n / 8 * 60 + 70);
        QCOMPARE(column.contentHeight(n), n * 60 + 70);
    }
}

QTEST_APPLESS_MAIN(ThumbGridTest)
#include "tst_ThumbGrid.moc"
