// What a copy gesture stores of the current file picture: unchanged up to 200 × 200, else scaled
// with halves rounded to even, or (column copy in full-size mode) the part the view shows.
#include "DBInputPic/PictureToStore.h"
#include "tests/support/TestEnvironment.h"

#include <QGuiApplication>

namespace {

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * 3 + y) & 0xFF));
    return image;
}

} // namespace

class PictureToStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void theStoredSizeFollowsTheRules_data()
    {
        QTest::addColumn<QSize>("file");
        QTest::addColumn<QSize>("stored");
        QTest::newRow("150 x 120 stays") << QSize(150, 120) << QSize(150, 120);
        QTest::newRow("200 x 200 stays") << QSize(200, 200) << QSize(200, 200);
        QTest::newRow("400 x 300") << QSize(400, 300) << QSize(200, 150);
        QTest::newRow("300 x 400") << QSize(300, 400) << QSize(150, 200);
        QTest::newRow("400 x 400") << QSize(400, 400) << QSize(200, 200);
        QTest::newRow("1000 x 333 rounds 66.6 up") << QSize(1000, 333) << QSize(200, 67);
        QTest::newRow("800 x 599 rounds 149.75 up") << QSize(800, 599) << QSize(200, 150);
        QTest::newRow("a half goes to the even neighbour below")
            << QSize(400, 201) << QSize(200, 100); // 100.5
        QTest::newRow("a half goes to the even neighbour above")
            << QSize(400, 203) << QSize(200, 102); // 101.5
        QTest::newRow("tall: a half to even") << QSize(201, 400) << QSize(100, 200);
        QTest::newRow("a sliver keeps one pixel") << QSize(1000, 1) << QSize(200, 1);
    }

    void theStoredSizeFollowsTheRules()
    {
        QFETCH(QSize, file);
        QFETCH(QSize, stored);
        const QImage picture = pattern(file.width(), file.height());
        QCOMPARE(PictureToStore::fitted(picture).size(), stored);
        QCOMPARE(PictureToStore::forColumnCopy(picture, true, {}).size(), stored);
        if (file.width() <= 200 && file.height() <= 200)
            QCOMPARE(PictureToStore::fitted(picture), picture);
    }

    void fullSizeColumnCopyStoresTheVisiblePart()
    {
        const QImage picture = pattern(400, 300);
        const QImage part = PictureToStore::forColumnCopy(picture, false, QPoint(-50, -20));
        QCOMPARE(part.size(), QSize(200, 200));
        QCOMPARE(part.copy().convertToFormat(QImage::Format_RGB32), picture.copy(50, 20, 200, 200));
        // A picture that fits is stored as it is in either mode.
        const QImage small = pattern(150, 120);
        QCOMPARE(PictureToStore::forColumnCopy(small, false, QPoint(0, 0)), small);
    }

    void outsideANarrowPictureTheVisiblePartIsWhite()
    {
        const QImage picture = pattern(120, 400);
        const QImage part = PictureToStore::visiblePart(picture, QPoint(0, -100));
        QCOMPARE(part.pixel(10, 10), picture.pixel(10, 110));
        QCOMPARE(part.pixel(150, 10), qRgb(255, 255, 255));
    }
};

TABVALE_TEST_MAIN(PictureToStoreTest, QGuiApplication)

#include "tst_PictureToStore.moc"
