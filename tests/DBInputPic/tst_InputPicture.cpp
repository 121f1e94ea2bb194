// The picture input window: its table and selections, the file browser, the thumbnail strip,
// the field picture column, the copy gestures and the restore, driven through real widgets.
#include "DBInputPic/DirectoryListBox.h"
#include "DBInputPic/FieldColumnPanel.h"
#include "DBInputPic/FileListBox.h"
#include "DBInputPic/FileThumbPanel.h"
#include "DBInputPic/FilterComboBox.h"
#include "DBInputPic/PictureControl.h"
#include "DBInputPic/PictureToStore.h"
#include "DBInputPic/TFDBInputPic.h"
#include "DBInputPic/TagControls.h"
#include "USeePicture/TSeePicture.h"
#include "app/TabvaleApplication.h"
#include "app/WindowWiring.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "controls/DBImage.h"
#include "controls/TScrollBar.h"
#include "datawindow/TForm1.h"
#include "engine/RecordListLoader.h"
#include "engine/TTable.h"
#include "picture/BmpCodec.h"
#include "picture/JpegCodec.h"
#include "picture/StoredPicture.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// Colour depends on the position, so a part of the picture can be told from another.
QImage pattern(int w, int h, int blue = 90)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(
                x, y, qRgb((x * 255 / std::max(1, w - 1)), (y * 255 / std::max(1, h - 1)), blue));
    return image;
}

QImage solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString hex(const QByteArray &bytes)
{
    return QStringLiteral("X'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

bool near(QRgb a, QRgb b, int tolerance = 40)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

const QRgb Green = qRgb(0, 200, 0);
const QRgb Orange = qRgb(250, 150, 0);

} // namespace

class InputPictureTest : public QObject
{
    Q_OBJECT

private:
    QString m_db;
    std::unique_ptr<TForm1> m_main;
    QTemporaryDir m_root;
    QList<Prompts::Request> m_asked;
    QString m_chosenFile;

    TFDBInputPic *w() const { return FDBInputPic.data(); }

    // A table "Photos" of `records` records numbered from 1; the picture of record r is green,
    // except the rows listed in `empty` (null) and `damaged` (bytes that are no picture).
    void makeTable(int records, QList<int> empty = {}, QList<int> damaged = {},
        const QString &pictureType = QStringLiteral("GRAPHIC"))
    {
        const QString green = hex(StoredPicture::encode(solid(40, 30, Green), 17));
        QStringList statements {
            QStringLiteral("CREATE TABLE Photos (No INTEGER, Title MEMO, Pic %1)").arg(pictureType),
            QStringLiteral("CREATE TABLE Plain (No INTEGER, Name VARCHAR(10))"),
            QStringLiteral("INSERT INTO Plain VALUES (1, 'one')")};
        for (int r = 0; r < records; ++r) {
            const QString value = empty.contains(r) ? QStringLiteral("NULL")
                : damaged.contains(r)               ? QStringLiteral("X'0102030405060708090A'")
                                                    : green;
            statements << QStringLiteral("INSERT INTO Photos VALUES (%1, 'title %1', %2)")
                              .arg(r + 1)
                              .arg(value);
        }
        m_db = DataFixture::makeDatabase(QStringLiteral("Input"), statements);
        DataFixture::writeAliases({{QStringLiteral("Input"), m_db}});
    }

    void openWindow()
    {
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        m_main->InputPicture1Click();
        QVERIFY(w());
        QVERIFY(QTest::qWaitForWindowExposed(w()));
        waitForRuns();
    }

    void waitForRuns() { QTRY_VERIFY(!FileThreadBusy && !FieldThreadBusy); }

    QString folder(const QString &name)
    {
        const QString path = m_root.filePath(name);
        QDir().mkpath(path);
        return path;
    }

    // What the user's opening of a directory does.
    void openDirectory(const QString &path)
    {
        w()->DirectoryListBox1->setDirectory(path);
        emit w()->DirectoryListBox1->directoryChanged();
    }

    void runStrip()
    {
        QTest::mouseClick(w()->StartPicThread, Qt::LeftButton);
        waitForRuns();
    }

    QImage storedPicture(int row)
    {
        const QByteArray value = DataFixture::blob(
            m_db, QStringLiteral("SELECT Pic FROM Photos WHERE No = %1").arg(row + 1));
        return value.isEmpty() ? QImage() : StoredPicture::decode(value);
    }

    void pressColumnThumb(int row, Qt::MouseButton button, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(w()->PanDataThPic, button, mods, w()->fieldThumbRect(row).center());
    }

    void pressStripThumb(int n, Qt::MouseButton button, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(w()->PanFileThreadPic, button, mods,
            TFDBInputPic::fileThumbRect(n, w()->PanFileThreadPic->scrollOffset()).center());
    }

    void releaseInFileList(int item, Qt::MouseButton button, Qt::KeyboardModifiers mods = {})
    {
        const QPoint at = item < 0
            ? QPoint(10, w()->FileListBox1->viewport()->height() - 3)
            : w()->FileListBox1->visualItemRect(w()->FileListBox1->item(item)).center();
        QTest::mouseClick(w()->FileListBox1->viewport(), button, mods, at);
    }

    void selectFile(int item)
    {
        QTest::mouseClick(w()->FileListBox1->viewport(), Qt::LeftButton, {},
            w()->FileListBox1->visualItemRect(w()->FileListBox1->item(item)).center());
        QCOMPARE(w()->FileListBox1->itemIndex(), item);
    }

    // A folder of pictures of the given sizes, named in that order.
    QString pictureFolder(const QString &name, const QList<QSize> &sizes)
    {
        const QString dir = folder(name);
        for (int i = 0; i < sizes.size(); ++i)
            writeFile(QStringLiteral("%1/%2 file.jpg").arg(dir).arg(i, 2, 10, QLatin1Char('0')),
                JpegCodec::encode(pattern(sizes[i].width(), sizes[i].height()), 95));
        return dir;
    }

private slots:
    void initTestCase()
    {
        WindowWiring::install();
        Prompts::setScript([this](const Prompts::Request &r) {
            m_asked << r;
            if (r.kind == Prompts::Request::OpenFile)
                return Prompts::Answer {
                    m_chosenFile.isEmpty() ? QMessageBox::Cancel : QMessageBox::Ok, m_chosenFile};
            return Prompts::Answer {QMessageBox::Ok, {}};
        });
    }

    void init()
    {
        m_asked.clear();
        m_chosenFile.clear();
        FileThreadBusy = FieldThreadBusy = false;
    }

    void cleanup()
    {
        if (SeePicture)
            delete SeePicture.data();
        if (w())
            w()->close();
        QTRY_VERIFY(!w());
        m_main.reset();
        QVERIFY(!FileThreadBusy && !FieldThreadBusy);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void theWindowOpensOnTheMainWindowsTableAndLaysOutTheColumn()
    {
        makeTable(3, {1}, {2});
        openWindow();
        QCOMPARE(w()->windowTitle(), QStringLiteral("输入图形"));
        QVERIFY(m_main->InputPicture1->isChecked());
        QCOMPARE(w()->ComboDBase->currentText(), QStringLiteral("Input"));
        QCOMPARE(w()->ComboTable->currentText(), QStringLiteral("Photos"));
        QCOMPARE(w()->ComboCanKao->count(), 2); // No, Title (a memo may be the reference)
        QCOMPARE(w()->ComboXiuGai->currentText(), QStringLiteral("Pic"));
        QCOMPARE(w()->CurrRow, 0);
        // Only the top and bottom borders resize it.
        QCOMPARE(w()->minimumWidth(), 920);
        QCOMPARE(w()->maximumWidth(), 920);
        QCOMPARE(w()->CanKaoLabels, QStringList({"1", "2", "3"}));
        QCOMPARE(w()->FieldThumbLast, 2);
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(w()->fieldThumbRect(r), QRect(80, 2 + r * 60, 58, 58));
            QCOMPARE(w()->canKaoLabelRect(r), QRect(5, 21 + r * 60, 72, 20));
            QCOMPARE(w()->FieldThumbs[r].Tag, r);
        }
        QVERIFY(near(w()->FieldThumbs[0].picture().pixel(29, 29), Green, 10));
        QVERIFY(w()->FieldThumbs[1].picture().isNull()); // "无"
        QVERIFY(!w()->FieldThumbs[1].unreadable);
        QVERIFY(w()->FieldThumbs[2].unreadable); // "无效"
        QVERIFY(!w()->DBPicScroll->isEnabled());
        // The current row is navy with white text, the others are not.
        const QImage shot = w()->PanDataThPic->grab().toImage();
        QCOMPARE(shot.pixel(7, 23), FieldColumnPanel::HighlightColor.rgb());
        QVERIFY(shot.pixel(7, 83) != FieldColumnPanel::HighlightColor.rgb());
        // The reference field changes the labels only.
        w()->ComboCanKao->setCurrentIndex(1);
        QCOMPARE(w()->CanKaoLabels, QStringList({"title 1", "title 2", "title 3"}));
        QCOMPARE(w()->CanKaoZiDuan->text(), QStringLiteral("Title"));
        // The menu item closes it again.
        m_main->InputPicture1Click();
        QTRY_VERIFY(!w());
        QVERIFY(!m_main->InputPicture1->isChecked());
    }

    void aTableWithoutPictureFieldsLeavesTheColumnEmptyAndRefusesCopies()
    {
        makeTable(2);
        openWindow();
        const QString dir = pictureFolder(QStringLiteral("refusePlain"), {{50, 40}});
        openDirectory(dir);
        w()->ComboTable->setCurrentText(QStringLiteral("Plain"));
        QCOMPARE(w()->ComboXiuGai->count(), 0);
        QCOMPARE(w()->CurrRow, -1);
        QVERIFY(w()->NoPicField);
        QCOMPARE(w()->CanKaoLabelLast, -1);
        QCOMPARE(w()->FieldThumbLast, -1);
        QVERIFY(!w()->DBPicScroll->isEnabled());
        QVERIFY(!FieldThreadBusy);
        releaseInFileList(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(m_asked.isEmpty());
        QCOMPARE(DataFixture::scalar(m_db, QStringLiteral("SELECT count(*) FROM Plain")), 1);
    }

    void openPicTableKeepsOrResetsTheCurrentRow_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("recordsLeft");
        QTest::addColumn<int>("expected");
        QTest::newRow("row 2 of 5 is kept") << 2 << 5 << 2;
        QTest::newRow("the last row is kept") << 4 << 5 << 4;
        QTest::newRow("row 0 stays 0") << 0 << 5 << 0;
        QTest::newRow("a row past the records goes back to 0") << 4 << 3 << 0;
    }

    void openPicTableKeepsOrResetsTheCurrentRow()
    {
        QFETCH(int, row);
        QFETCH(int, recordsLeft);
        QFETCH(int, expected);
        makeTable(12);
        openWindow();
        w()->resize(920, 330); // a short column, so that it can be scrolled
        QTRY_VERIFY(w()->DBPicScroll->isEnabled() || w()->height() != 330);
        waitForRuns();
        w()->DBPicScroll->setValue(30);
        QCOMPARE(w()->ColumnOffset, -30);
        pressColumnThumb(row, Qt::LeftButton);
        QCOMPARE(w()->CurrRow, row);
        DataFixture::exec(
            m_db, QStringLiteral("DELETE FROM Photos WHERE No > %1").arg(recordsLeft));
        w()->ComboTableChange();
        waitForRuns();
        QCOMPARE(w()->CurrRow, expected);
        QCOMPARE(w()->ColumnOffset, expected > 0 ? -30 : 0);
        QCOMPARE(w()->Table1->recNo(), expected);
        QCOMPARE(w()->FieldThumbLast, recordsLeft - 1);
        // The new thumbnails stand beside their labels.
        QCOMPARE(w()->fieldThumbRect(1).top(), 62 + w()->ColumnOffset);
        QCOMPARE(w()->canKaoLabelRect(1).top(), 81 + w()->ColumnOffset);
    }

    void selectingAFileShowsItFittedOrAtFullSize()
    {
        makeTable(1);
        openWindow();
        const QString dir = folder(QStringLiteral("browse"));
        writeFile(dir + QStringLiteral("/a wide.jpg"), JpegCodec::encode(pattern(201, 150), 95));
        writeFile(dir + QStringLiteral("/b big.BMP"), BmpCodec::encode(pattern(400, 300)));
        writeFile(dir + QStringLiteral("/c fake.jpg"), QByteArray("not a jpeg at all"));
        writeFile(dir + QStringLiteral("/d square.bmp"), BmpCodec::encode(pattern(200, 200)));
        openDirectory(dir);
        // The first file is selected: overflow 1, only the horizontal bar, disabled in fit mode.
        QCOMPARE(w()->FileListBox1->itemIndex(), 0);
        QCOMPARE(w()->currFilePic->picture().size(), QSize(201, 150));
        QCOMPARE(w()->FilePicOverflow, quint8(1));
        QCOMPARE(w()->FilePicRollH->Max(), 201);
        QVERIFY(!w()->FilePicRollH->isEnabled());
        QCOMPARE(w()->currFilePic->drawnRect(), QRect(0, 25, 200, 149));
        // Full size: the picture at its own size, the bars that overflow enabled.
        QTest::mouseClick(w()->SpeedButton1, Qt::LeftButton);
        QCOMPARE(w()->SpeedButton1->Tag, 0);
        QCOMPARE(w()->SpeedButton1->text(), QStringLiteral("图像原形"));
        QCOMPARE(w()->SpeedButton1->palette().color(QPalette::Window), QColor(0, 128, 128));
        QVERIFY(w()->FilePicRollH->isEnabled());
        QVERIFY(!w()->FilePicRollV->isEnabled());
        // A new file in full-size mode starts at the corner with its bars enabled at once.
        selectFile(1);
        QCOMPARE(w()->FilePicOverflow, quint8(3));
        QVERIFY(w()->FilePicRollH->isEnabled() && w()->FilePicRollV->isEnabled());
        QCOMPARE(w()->currFilePic->geometry(), QRect(0, 0, 400, 300));
        w()->FilePicRollH->setValue(50);
        w()->FilePicRollV->setValue(20);
        QCOMPARE(w()->currFilePic->pos(), QPoint(-50, -20));
        // Past maximum − 200 the bar is set back.
        w()->FilePicRollV->setValue(101);
        QCOMPARE(w()->FilePicRollV->value(), 20);
        QCOMPARE(w()->currFilePic->pos(), QPoint(-50, -20));
        // Fit mode and back restores the scrolled place.
        QTest::mouseClick(w()->SpeedButton1, Qt::LeftButton);
        QCOMPARE(w()->currFilePic->geometry(), QRect(0, 0, 200, 200));
        QCOMPARE(w()->SpeedButton1->palette().color(QPalette::Window), QColor(128, 128, 0));
        QVERIFY(!w()->FilePicRollH->isEnabled());
        QTest::mouseClick(w()->SpeedButton1, Qt::LeftButton);
        QCOMPARE(w()->currFilePic->pos(), QPoint(-50, -20));
        QTest::mouseClick(w()->SpeedButton1, Qt::LeftButton);
        // A damaged file: "无效图形", the failed-load flag, no bars.
        selectFile(2);
        QVERIFY(w()->currFilePic->picture().isNull());
        QVERIFY(!w()->Label2->isHidden());
        QCOMPARE(w()->Label2->text(), QStringLiteral("无效图形"));
        QCOMPARE(w()->Label2->pos(), QPoint(80, 80));
        QCOMPARE(w()->FileListBox1->Tag, 1);
        QVERIFY(!w()->FilePicRollH->isEnabled() && !w()->FilePicRollV->isEnabled());
        selectFile(3);
        QCOMPARE(w()->FilePicOverflow, quint8(0));
        QVERIFY(w()->Label2->isHidden());
        // The filter changes the mask only.
        w()->FilterComboBox1->setCurrentIndex(3);
        emit w()->FilterComboBox1->activated(3);
        QCOMPARE(w()->FileListBox1->fileNames(), QStringList({"b big.BMP", "d square.bmp"}));
        // An empty directory: "无图形", and a plain click in the list reloads once.
        openDirectory(folder(QStringLiteral("browse/empty")));
        QCOMPARE(w()->Label2->text(), QStringLiteral("无图形"));
        QCOMPARE(w()->Label2->Tag, 1);
        releaseInFileList(-1, Qt::LeftButton);
        QCOMPARE(w()->Label2->Tag, 0);
    }

    void aReleaseOverTheFilePictureOpensTheViewerUnlessARunIsBusy()
    {
        makeTable(1);
        openWindow();
        openDirectory(pictureFolder(QStringLiteral("viewer"), {{300, 240}}));
        ViewerClosePoint = QPoint(0, 0);
        QCursor::setPos(500, 400);
        FileThreadBusy = true;
        QTest::mouseClick(w()->currFilePic, Qt::RightButton, {}, QPoint(100, 100));
        QVERIFY(!SeePicture);
        FileThreadBusy = false;
        QTest::mouseClick(w()->currFilePic, Qt::RightButton, {}, QPoint(100, 100));
        QVERIFY(SeePicture);
        QCOMPARE(SeePicture->Image1->size(), QSize(300, 240));
        QCOMPARE(inputLockImgTag(), 1);
        QPointer<TSeePicture> viewer = SeePicture.data();
        QTest::mouseClick(w()->currFilePic, Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(inputLockImgTag(), 0);
        QTRY_VERIFY(viewer.isNull());
    }

    void theStripPlacesNineThumbnailsInTwoRows()
    {
        makeTable(1);
        openWindow();
        const QList<QSize> sizes(9, QSize(80, 60));
        openDirectory(pictureFolder(QStringLiteral("nine"), sizes));
        QVERIFY(!w()->StartPicThread->isHidden());
        QCOMPARE(w()->StartPicThread->pos(), QPoint(192, 56));
        runStrip();
        QVERIFY(w()->StartPicThread->isHidden());
        QCOMPARE(w()->FileThumbLast, 8);
        for (int n = 0; n < 9; ++n) {
            QCOMPARE(TFDBInputPic::fileThumbRect(n), QRect(n % 8 * 60 + 2, n / 8 * 60 + 2, 58, 58));
            QCOMPARE(w()->FileThumbs[n].Tag, n);
            QCOMPARE(w()->FileThumbs[n].picture().size(), QSize(58, 58));
        }
        QCOMPARE(w()->fileStripContentHeight(), 130);
        QVERIFY(!w()->FileThreadPicRoll->isEnabled()); // the strip area is taller than 130
        // A lower window: the bar covers the content height.
        w()->resize(920, 29 + 224 + 100);
        QTRY_COMPARE(w()->PanFileThreadPic->height(), 100);
        QVERIFY(w()->FileThreadPicRoll->isEnabled());
        QCOMPARE(w()->FileThreadPicRoll->Max(), 130);
        QCOMPARE(w()->FileThreadPicRoll->PageSize(), 100);
        w()->FileThreadPicRoll->setValue(30);
        QCOMPARE(w()->PanFileThreadPic->scrollOffset(), -30);
        // A press selects the thumbnail's file.
        pressStripThumb(8, Qt::LeftButton);
        QCOMPARE(w()->FileListBox1->itemIndex(), 8);
        QCOMPARE(w()->currFilePic->picture().size(), QSize(80, 60));
    }

    void aDamagedFileIsSkippedAndTheNextClosesUp()
    {
        makeTable(1);
        openWindow();
        const QString dir
            = pictureFolder(QStringLiteral("damaged"), {{64, 48}, {64, 48}, {64, 48}});
        writeFile(dir + QStringLiteral("/01 file.jpg"), QByteArray("damaged"));
        openDirectory(dir);
        runStrip();
        QCOMPARE(w()->FileThumbLast, 1);
        QCOMPARE(w()->FileThumbs[0].Tag, 0);
        QCOMPARE(w()->FileThumbs[1].Tag, 2);
        QCOMPARE(w()->PanFileThreadPic->thumbAt(QPoint(62 + 29, 31)), 1);
        pressStripThumb(1, Qt::LeftButton);
        QCOMPARE(w()->FileListBox1->itemIndex(), 2);
    }

    void withoutThumbnailsALowStripGetsABarOf70()
    {
        makeTable(1);
        openWindow();
        w()->resize(920, 29 + 224 + 50);
        QTRY_COMPARE(w()->PanFileThreadPic->height(), 50);
        QVERIFY(w()->FileThreadPicRoll->isEnabled());
        QCOMPARE(w()->FileThreadPicRoll->Max(), 70);
        QCOMPARE(w()->FileThreadPicRoll->PageSize(), 50);
        w()->resize(920, 29 + 224 + 80);
        QTRY_COMPARE(w()->PanFileThreadPic->height(), 80);
        QVERIFY(!w()->FileThreadPicRoll->isEnabled());
    }

    void aStopInTheMiddleOfAStripRunDropsEverythingAfterIt()
    {
        makeTable(1);
        openWindow();
        const QString dir = folder(QStringLiteral("many"));
        const QByteArray big = JpegCodec::encode(pattern(2400, 1800), 80);
        for (int i = 0; i < 400; ++i)
            writeFile(QStringLiteral("%1/%2.jpg").arg(dir).arg(i, 3, 10, QLatin1Char('0')), big);
        openDirectory(dir);
        QTest::mouseClick(w()->StartPicThread, Qt::LeftButton);
        QVERIFY(FileThreadBusy);
        QVERIFY(QGuiApplication::overrideCursor());
        QTRY_VERIFY(w()->FileThumbLast >= 0);
        QVERIFY2(FileThreadBusy, "the run ended before it could be stopped");
        openDirectory(folder(QStringLiteral("many/none")));
        QVERIFY(!FileThreadBusy);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(w()->FileThumbLast, -1);
        QVERIFY(!w()->StartPicThread->isHidden());
        QCOMPARE(w()->StartPicThread->pos(), QPoint(192, 56));
        QTest::qWait(300);
        QCOMPARE(w()->FileThumbLast, -1);
        QVERIFY(w()->FileThumbs.isEmpty());
    }

    void aStopInTheMiddleOfAColumnRunLeavesTheTableOnTheCurrentRow()
    {
        makeTable(0);
        // Photos another program stored as JPEG files: every thumbnail is a real decode, so the run
        // lasts long enough to be stopped.
        const QString value = hex(JpegCodec::encode(pattern(1600, 1200), 90));
        DataFixture::exec(m_db,
            QStringLiteral(
                "INSERT INTO Photos (No, Pic) WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
                "SELECT x + 1 FROM c WHERE x < 400) SELECT x, %1 FROM c")
                .arg(value));
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        m_main->InputPicture1Click();
        QTRY_VERIFY(w()->FieldThumbLast >= 2);
        QVERIFY2(FieldThreadBusy, "the run ended before it could be stopped");
        pressColumnThumb(2, Qt::LeftButton);
        QCOMPARE(w()->CurrRow, 2);
        const int drawn = w()->FieldThumbLast;
        w()->stopFieldPicRun();
        QVERIFY(!FieldThreadBusy);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(w()->Table1->recNo(), 2);
        QTest::qWait(300);
        QVERIFY(w()->FieldThumbLast < 400);
        QVERIFY(w()->FieldThumbLast >= drawn);
        QCOMPARE(w()->FieldThumbLast, drawn);
        // Closing during a new run leaves no busy flag and the normal cursor.
        w()->ComboXiuGaiChange();
        QVERIFY(FieldThreadBusy);
        w()->close();
        QTRY_VERIFY(!w());
    }

    void theColumnCoversEveryRecordOfATableStillLoading()
    {
        makeTable(0);
        DataFixture::exec(m_db,
            QStringLiteral("INSERT INTO Photos (No, Title, Pic) WITH RECURSIVE c(x) AS (SELECT 1 "
                           "UNION ALL SELECT x + 1 FROM c WHERE x < 2500) SELECT x, 'title ' || "
                           "x, %1 FROM c")
                .arg(hex(StoredPicture::encode(solid(40, 30, Green), 17))));
        RecordListLoader::holdForTests(true);
        struct Release
        {
            ~Release() { RecordListLoader::holdForTests(false); }
        } release;
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        QCOMPARE(m_main->Table1->loadedRecordCount(), 1000);
        m_main->InputPicture1Click();
        QVERIFY(w());
        waitForRuns();
        QVERIFY(w()->Table1->recordListComplete());
        QCOMPARE(w()->CanKaoLabels.size(), 2500);
        QCOMPARE(w()->CanKaoLabels.last(), QStringLiteral("2500"));
        QCOMPARE(w()->FieldThumbLast, 2499);
        QCOMPARE(w()->FieldThumbs.last().Tag, 2499);
        QVERIFY(near(w()->FieldThumbs.last().picture().pixel(29, 29), Green, 10));
        QVERIFY(!m_main->Table1->recordListComplete()); // the main window's own list is held still
    }

    void theThreeGesturesStoreThePictureByTheirRules_data()
    {
        QTest::addColumn<QSize>("file");
        QTest::addColumn<bool>("fullSize");
        QTest::addColumn<QSize>("column");
        QTest::addColumn<QSize>("stripAndList");
        QTest::newRow("150 x 120 unchanged")
            << QSize(150, 120) << false << QSize(150, 120) << QSize(150, 120);
        QTest::newRow("400 x 300 fitted")
            << QSize(400, 300) << false << QSize(200, 150) << QSize(200, 150);
        QTest::newRow("400 x 300 at full size")
            << QSize(400, 300) << true << QSize(200, 200) << QSize(200, 150);
        QTest::newRow("1000 x 333 fitted")
            << QSize(1000, 333) << false << QSize(200, 67) << QSize(200, 67);
    }

    void theThreeGesturesStoreThePictureByTheirRules()
    {
        QFETCH(QSize, file);
        QFETCH(bool, fullSize);
        QFETCH(QSize, column);
        QFETCH(QSize, stripAndList);
        makeTable(4);
        openWindow();
        const QString dir = folder(QStringLiteral("rules"));
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        const QImage source = pattern(file.width(), file.height());
        writeFile(dir + QStringLiteral("/pic.bmp"), BmpCodec::encode(source));
        openDirectory(dir);
        runStrip();
        if (fullSize) {
            QTest::mouseClick(w()->SpeedButton1, Qt::LeftButton);
            w()->FilePicRollH->setValue(50);
            w()->FilePicRollV->setValue(20);
            QCOMPARE(w()->currFilePic->pos(), QPoint(-50, -20));
        }
        // Column copy into row 3.
        pressColumnThumb(3, Qt::RightButton, Qt::ControlModifier);
        QCOMPARE(storedPicture(3).size(), column);
        if (fullSize)
            QCOMPARE(storedPicture(3), source.copy(50, 20, 200, 200));
        else if (column == file)
            QCOMPARE(storedPicture(3), source);
        QVERIFY(w()->restorePending());
        QCOMPARE(w()->CurrRow, 3);
        // A plain press on the strip commits; then the strip copy writes row 0 and moves on.
        pressColumnThumb(0, Qt::LeftButton);
        QVERIFY(!w()->restorePending());
        pressStripThumb(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(storedPicture(0).size(), stripAndList);
        QCOMPARE(w()->CurrRow, 1);
        QCOMPARE(w()->Table1->recNo(), 1);
        // The list copy writes row 1.
        releaseInFileList(
            0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(storedPicture(1).size(), stripAndList);
        QCOMPARE(w()->CurrRow, 2);
        QVERIFY(w()->FieldThumbs[1].picture().size() == QSize(58, 58));
        // The stored form of a graphic field: a bitmap with its 8-byte header.
        const QByteArray value
            = DataFixture::blob(m_db, QStringLiteral("SELECT Pic FROM Photos WHERE No = 2"));
        QVERIFY(StoredPicture::hasGraphicHeader(value));
        QCOMPARE(value.mid(8, 2), QByteArray("BM"));
    }

    void everyCopyGestureStoresTheAliasesPictureForm_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("bitmap: the picture as the gesture fits it") << "bitmap";
        QTest::newRow("file: the camera file itself") << "file";
    }

    void everyCopyGestureStoresTheAliasesPictureForm()
    {
        QFETCH(QString, form);
        makeTable(4);
        DataFixture::writeAliases({{QStringLiteral("Input"), m_db}}, form);
        openWindow();
        const QString dir = folder(QStringLiteral("forms ") + form);
        const QByteArray camera = PictureSamples::withExif(JpegCodec::encode(pattern(300, 240), 90), 1);
        writeFile(dir + QStringLiteral("/camera.jpg"), camera);
        openDirectory(dir);
        runStrip();
        const QByteArray expected = form == u"file"
            ? camera
            : StoredPicture::encode(PictureToStore::fitted(JpegCodec::decode(camera)), 17);
        auto stored = [this](int row) {
            return DataFixture::blob(
                m_db, QStringLiteral("SELECT Pic FROM Photos WHERE No = %1").arg(row + 1));
        };
        // The column copy, and its restore, which puts back the very bytes.
        const QByteArray old = stored(3);
        pressColumnThumb(3, Qt::RightButton, Qt::ControlModifier);
        QCOMPARE(stored(3), expected);
        QTest::mouseClick(w()->DBPicFuYuan, Qt::LeftButton);
        QCOMPARE(stored(3), old);
        pressColumnThumb(3, Qt::RightButton, Qt::ControlModifier);
        pressColumnThumb(0, Qt::LeftButton); // commits
        QCOMPARE(stored(3), expected);
        // The strip copy and the list copy.
        pressStripThumb(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(stored(0), expected);
        releaseInFileList(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(stored(1), expected);
    }

    void aListCopyOfNothingEmptiesTheRecord()
    {
        makeTable(2);
        openWindow();
        openDirectory(pictureFolder(QStringLiteral("nothing"), {{50, 50}}));
        releaseInFileList(-1, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(storedPicture(0).isNull());
        QVERIFY(DataFixture::scalar(m_db, QStringLiteral("SELECT Pic FROM Photos WHERE No = 1"))
                    .isNull());
        QVERIFY(w()->FieldThumbs[0].picture().isNull());
        QCOMPARE(w()->CurrRow, 1);
    }

    void restoreBringsBackTheOldPictureAndCommitKeepsTheNewOne_data()
    {
        QTest::addColumn<QString>("after");
        QTest::newRow("restore") << "restore";
        QTest::newRow("a click in the file list commits") << "list click";
        QTest::newRow("a plain right click in the file list commits") << "list right";
        QTest::newRow("a press on another column thumbnail commits") << "column";
        QTest::newRow("deactivation commits") << "deactivate";
    }

    void restoreBringsBackTheOldPictureAndCommitKeepsTheNewOne()
    {
        QFETCH(QString, after);
        makeTable(3, {1});
        openWindow();
        w()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w()));
        openDirectory(pictureFolder(QStringLiteral("restore"), {{120, 90}}));
        const QImage old = storedPicture(2);
        pressColumnThumb(2, Qt::RightButton, Qt::ControlModifier);
        QVERIFY(w()->restorePending());
        QCOMPARE(w()->DBPicFuYuan->geometry(), QRect(142, 2 * 60 + 19, 30, 24));
        QCOMPARE(w()->DBPicFuYuan->Tag, 2);
        QCOMPARE(storedPicture(2).size(), QSize(120, 90));
        // While pending, the row keeps the old thumbnail and the field picture shows the new one.
        QVERIFY(near(w()->FieldThumbs[2].picture().pixel(29, 29), Green, 10));
        QCOMPARE(w()->DataBaseFieldPicture1->picture().size(), QSize(120, 90));
        QVERIFY(!w()->DataBaseFieldPicture2->dataSource());
        // Strip and list copies wait for the restore to be settled.
        releaseInFileList(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        if (after == "restore") {
            QVERIFY(w()->restorePending());
            QTest::mouseClick(w()->DBPicFuYuan, Qt::LeftButton);
            QVERIFY(!w()->restorePending());
            QCOMPARE(storedPicture(2), old);
            QCOMPARE(w()->Label2->Tag, 1);
            QVERIFY(w()->DataBaseFieldPicture2->dataSource());
            QVERIFY(near(w()->FieldThumbs[2].picture().pixel(29, 29), Green, 10));
            return;
        }
        if (after == "list click") {
            QVERIFY(w()->restorePending());
            selectFile(0);
        } else if (after == "list right") {
            // Ctrl+Alt was held above: that was refused; a plain right click commits.
            QVERIFY(w()->restorePending());
            releaseInFileList(0, Qt::RightButton);
        } else if (after == "column") {
            pressColumnThumb(0, Qt::LeftButton);
        } else {
            m_main->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        }
        QTRY_VERIFY(!w()->restorePending());
        QCOMPARE(storedPicture(2).size(), QSize(120, 90));
        QCOMPARE(w()->FieldThumbs[2].picture().size(), QSize(58, 58));
        QVERIFY(!near(w()->FieldThumbs[2].picture().pixel(29, 29), Green, 10));
        QVERIFY(w()->DataBaseFieldPicture2->dataSource());
    }

    void stripAndListCopiesOnTheLastRecordStayThere_data()
    {
        QTest::addColumn<bool>("fromStrip");
        QTest::newRow("strip") << true;
        QTest::newRow("list") << false;
    }

    void stripAndListCopiesOnTheLastRecordStayThere()
    {
        QFETCH(bool, fromStrip);
        makeTable(3);
        openWindow();
        openDirectory(pictureFolder(QStringLiteral("last"), {{30, 20}}));
        runStrip();
        pressColumnThumb(2, Qt::LeftButton);
        if (fromStrip)
            pressStripThumb(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        else
            releaseInFileList(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(storedPicture(2).size(), QSize(30, 20));
        QCOMPARE(w()->CurrRow, 2);
        QCOMPARE(w()->Table1->recNo(), 2);
    }

    void aListCopyScrollsTheColumnByTheHiddenAmountPlus2()
    {
        makeTable(12);
        openWindow();
        openDirectory(pictureFolder(QStringLiteral("scroll"), {{30, 20}}));
        const int visible = w()->PanDataThPic->contentsRect().height();
        QVERIFY(w()->DBPicScroll->isEnabled());
        QCOMPARE(w()->DBPicScroll->Max(), 11 * 60 + 70);
        // The last row whose thumbnail is fully visible; the next one is partly hidden.
        const int row = (visible - 2) / 60 - 1;
        pressColumnThumb(row, Qt::LeftButton);
        const int bottom = (row + 2) * 60 + 2;
        QVERIFY(bottom > visible);
        releaseInFileList(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(w()->CurrRow, row + 1);
        QCOMPARE(w()->DBPicScroll->value(), bottom - visible);
        QCOMPARE(w()->ColumnOffset, visible - bottom);
        QCOMPARE(w()->fieldThumbRect(row + 1).bottom() + 1 + 2, visible);
        QCOMPARE(w()->DBPicFuYuan->y(), 270 + visible - bottom); // the children moved along
    }

    void everyGestureIsRefusedWhileARunIsBusy_data()
    {
        QTest::addColumn<bool>("fileRun");
        QTest::newRow("file run") << true;
        QTest::newRow("field run") << false;
    }

    void everyGestureIsRefusedWhileARunIsBusy()
    {
        QFETCH(bool, fileRun);
        makeTable(3);
        openWindow();
        openDirectory(pictureFolder(QStringLiteral("busy"), {{30, 20}}));
        runStrip();
        (fileRun ? FileThreadBusy : FieldThreadBusy) = true;
        pressColumnThumb(0, Qt::RightButton, Qt::ControlModifier);
        pressStripThumb(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        releaseInFileList(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        // The main window's picture handling refuses too.
        m_chosenFile = m_root.filePath(QStringLiteral("busy/00 file.jpg"));
        QTest::mouseClick(w()->DataBaseFieldPicture1, Qt::RightButton);
        (fileRun ? FileThreadBusy : FieldThreadBusy) = false;
        QVERIFY(m_asked.isEmpty());
        QVERIFY(!w()->restorePending());
        for (int r = 0; r < 3; ++r)
            QCOMPARE(storedPicture(r).size(), QSize(40, 30));
        QCOMPARE(w()->CurrRow, 0);
    }

    void aStripCopyWhileARestoreIsPendingOnlySelectsTheFile()
    {
        makeTable(3);
        openWindow();
        openDirectory(pictureFolder(QStringLiteral("pending"), {{30, 20}, {60, 40}}));
        runStrip();
        pressColumnThumb(1, Qt::RightButton, Qt::ControlModifier);
        QVERIFY(w()->restorePending());
        pressStripThumb(1, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(w()->FileListBox1->itemIndex(), 1);
        QVERIFY(w()->restorePending());
        QCOMPARE(storedPicture(1).size(), QSize(30, 20));
        QCOMPARE(w()->CurrRow, 1);
    }

    void aFailedPostLeavesTheRecordAndTheColumnAsTheyWere()
    {
        makeTable(2);
        openWindow();
        openDirectory(pictureFolder(QStringLiteral("readonly"), {{30, 20}}));
        DataFixture::exec(m_db,
            QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON Photos "
                           "BEGIN SELECT RAISE(ABORT, 'no pictures today'); END"));
        pressColumnThumb(0, Qt::RightButton, Qt::ControlModifier);
        QVERIFY(!m_asked.isEmpty());
        QVERIFY2(m_asked.last().text.contains(
                     QStringLiteral("the database refuses the change: “no pictures today”")),
            qPrintable(m_asked.last().text));
        QVERIFY(!w()->restorePending());
        QCOMPARE(w()->Table1->state(), TTable::Browse);
        QCOMPARE(w()->DataBaseFieldPicture1->picture().size(), QSize(40, 30));
        QVERIFY(w()->DataBaseFieldPicture2->dataSource());
        QCOMPARE(w()->DataBaseFieldPicture2->dataField(), QStringLiteral("Pic"));
        m_asked.clear();
        releaseInFileList(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(w()->CurrRow, 0);
        QVERIFY(near(w()->FieldThumbs[0].picture().pixel(29, 29), Green, 10));
        QCOMPARE(storedPicture(0).size(), QSize(40, 30));
    }

    void activationResyncsUnlessTheViewerHasJustClosed()
    {
        makeTable(2);
        openWindow();
        QTRY_COMPARE(w()->Tag, 1); // the first activation only marks itself
        DataFixture::exec(m_db, QStringLiteral("INSERT INTO Photos (No) VALUES (3)"));
        setInputUnLockImgTag(88);
        w()->FormActivate();
        QCOMPARE(inputUnLockImgTag(), 0);
        QCOMPARE(w()->CanKaoLabelLast, 1);
        w()->FormActivate();
        waitForRuns();
        QCOMPARE(w()->CanKaoLabelLast, 2);
        QCOMPARE(w()->FieldThumbLast, 2);
        // Another table than the main window's: activation leaves it alone.
        w()->ComboTable->setCurrentText(QStringLiteral("Plain"));
        w()->ComboTable->setCurrentText(QStringLiteral("Photos"));
        waitForRuns();
        DataFixture::exec(m_db, QStringLiteral("INSERT INTO Photos (No) VALUES (4)"));
        w()->ComboDBase->setCurrentText(QStringLiteral("Input"));
        m_main->CBTable->setCurrentIndex(1); // the main window shows Plain now
        w()->FormActivate();
        QCOMPARE(w()->CanKaoLabelLast, 2);
    }

    void closingRefreshesTheMainWindowOnTheSameTable()
    {
        makeTable(2);
        openWindow();
        openDirectory(pictureFolder(QStringLiteral("close"), {{30, 20}}));
        releaseInFileList(0, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
        DataFixture::exec(m_db, QStringLiteral("INSERT INTO Photos (No) VALUES (9)"));
        QCOMPARE(m_main->Table1->recordCount(), 2);
        w()->close();
        QTRY_VERIFY(!w());
        QCOMPARE(m_main->Table1->recordCount(), 3);
        QVERIFY(!m_main->InputPicture1->isChecked());
    }

    void loadingAFileIntoTheFieldPictureRedrawsTheColumn()
    {
        makeTable(2);
        openWindow();
        const QString file = m_root.filePath(QStringLiteral("orange.bmp"));
        writeFile(file, BmpCodec::encode(solid(20, 20, Orange)));
        m_chosenFile = file;
        QTest::mouseClick(w()->DataBaseFieldPicture1, Qt::RightButton);
        waitForRuns();
        QCOMPARE(storedPicture(0).size(), QSize(20, 20));
        QVERIFY(near(w()->FieldThumbs[0].picture().pixel(29, 29), Orange, 10));
    }
};

TABVALE_TEST_MAIN(InputPictureTest, TabvaleApplication)

#include "tst_InputPicture.moc"
