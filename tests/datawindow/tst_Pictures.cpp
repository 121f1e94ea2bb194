// Picture fields: the viewer, loading a picture file into a field, emptying a field, and the
// Help and About dialogs.
#include "UAboutDialog/TAboutDialog1.h"
#include "UHelpDialog/THelpDialog1.h"
#include "USeePicture/TSeePicture.h"
#include "app/TabvaleApplication.h"
#include "common/Guarded.h"
#include "common/Prompts.h"
#include "common/SharedState.h"
#include "common/TOpenPictureDialog.h"
#include "controls/DBImage.h"
#include "controls/TImage.h"
#include "datawindow/TForm1.h"
#include "datawindow/grid/DBGrid.h"
#include "engine/TTable.h"
#include "picture/BmpCodec.h"
#include "picture/JpegCodec.h"
#include "picture/PictureFile.h"
#include "picture/StoredPicture.h"
#include "tests/datawindow/DataFixture.h"
#include "tests/picture/samples/PictureSamples.h"
#include "tests/support/TestEnvironment.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, 90));
    return image;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class PicturesTest : public QObject
{
    Q_OBJECT

private:
    QString m_db;
    QTemporaryDir m_files;
    std::unique_ptr<TForm1> m_main;
    QString m_chosenFile;
    QList<Prompts::Request> m_asked;

    DBImage *pictureOf(const QString &fieldName)
    {
        return m_main->FieldImages.value(m_main->Table1->fieldByName(fieldName)->Tag);
    }

private slots:
    void initTestCase()
    {
        writeFile(m_files.filePath(QStringLiteral("caps.BMP")), BmpCodec::encode(pattern(30, 20)));
        writeFile(
            m_files.filePath(QStringLiteral("photo.jpg")), JpegCodec::encode(pattern(64, 48), 95));
        writeFile(m_files.filePath(QStringLiteral("fake.jpg")), QByteArray("not a jpeg at all"));
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
        m_db = DataFixture::makeDatabase(QStringLiteral("Pics"),
            {QStringLiteral("CREATE TABLE Pics (Name VARCHAR(10), Photo GRAPHIC, Raw BLOB,"
                            " Typed TYPEDBINARY)"),
                QStringLiteral("INSERT INTO Pics (Name) VALUES ('one'), ('two')")});
        DataFixture::writeAliases({{QStringLiteral("Pics"), m_db}});
        m_main = std::make_unique<TForm1>(true);
        m_main->show();
        ViewerLeft = ViewerTop = -1;
        ViewerAlpha = 255;
        ViewerClosePoint = QPoint(0, 0);
    }

    void cleanup()
    {
        if (SeePicture)
            delete SeePicture.data();
        m_main.reset();
    }

    void viewerSizeFollowsThePicture_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<bool>("scrollBars");
        QTest::newRow("small picture gets 200 x 200") << QSize(100, 50) << QSize(200, 200) << false;
        QTest::newRow("wide but short stays at least 200")
            << QSize(199, 150) << QSize(200, 200) << false;
        QTest::newRow("wraps a 640 x 480 picture") << QSize(640, 480) << QSize(640, 480) << false;
        QTest::newRow("wraps 200 x 100") << QSize(200, 100) << QSize(200, 100) << false;
        QTest::newRow("1024 x 768 is held to 800 x 600")
            << QSize(1024, 768) << QSize(800, 600) << true;
        QTest::newRow("exactly 800 wide keeps the layout width")
            << QSize(800, 700) << QSize(452, 600) << true;
    }

    void viewerSizeFollowsThePicture()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, window);
        QFETCH(bool, scrollBars);
        TSeePicture *viewer
            = TSeePicture::openViewer(pattern(picture.width(), picture.height()), QPoint(30, 40));
        QCOMPARE(viewer->size(), window);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("原始图像"));
        QCOMPARE(viewer->Image1->size(), picture);
        QTest::qWait(1);
        const bool bars = viewer->scrollArea()->horizontalScrollBar()->maximum() > 0
            || viewer->scrollArea()->verticalScrollBar()->maximum() > 0;
        QCOMPARE(bars, scrollBars);
        QCOMPARE(viewer->pos(), QPoint(30, 40));
        QCOMPARE(m_main->InputLockImg->Tag, 1);
        viewer->close();
    }

    void theNextViewerOpensWhereAndAsClearTheLastOneWas()
    {
        TSeePicture *first = TSeePicture::openViewer(pattern(50, 50), QPoint(10, 20));
        QCOMPARE(first->alphaBlendValue(), 255);
        first->move(300, 200);
        first->setAlphaBlendValue(120);
        first->Image1Click();
        QCOMPARE(m_main->InputLockImg->Tag, 0);
        QCOMPARE(m_main->InputUnLockImg->Tag, 88);
        QCOMPARE(ViewerLeft, 300);
        QCOMPARE(ViewerAlpha, std::uint8_t(120));
        TSeePicture *second = TSeePicture::openViewer(pattern(50, 50), QPoint(700, 700));
        QCOMPARE(second->pos(), QPoint(300, 200));
        QCOMPARE(second->alphaBlendValue(), 120);
        QVERIFY(qAbs(second->windowOpacity() - 120 / 255.0) <= 1 / 255.0);
        second->close();
        // A new data window forgets the place and the transparency.
        TForm1 another(false);
        QCOMPARE(ViewerLeft, -1);
        QCOMPARE(ViewerAlpha, std::uint8_t(255));
        Form1 = m_main.get();
    }

    void draggingWithTheRightButtonChangesTransparencyWithinLimits_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("distance");
        QTest::addColumn<int>("expected");
        QTest::newRow("300 right from 200 ends at 255") << 200 << 300 << 255;
        QTest::newRow("left ends no lower than 50") << 100 << -400 << 50;
        QTest::newRow("a short drag moves by its distance") << 150 << -30 << 120;
    }

    void draggingWithTheRightButtonChangesTransparencyWithinLimits()
    {
        QFETCH(int, start);
        QFETCH(int, distance);
        QFETCH(int, expected);
        ViewerAlpha = std::uint8_t(start);
        TSeePicture *viewer = TSeePicture::openViewer(pattern(300, 300), QPoint(0, 0));
        viewer->Image1MouseDown(150);
        const int steps = 10;
        for (int i = 1; i <= steps; ++i)
            viewer->Image1MouseMove(Qt::RightButton, 150 + distance * i / steps);
        QCOMPARE(viewer->alphaBlendValue(), expected);
        viewer->Image1MouseMove(Qt::LeftButton, 0); // without the right button nothing happens
        QCOMPARE(viewer->alphaBlendValue(), expected);
        viewer->close();
    }

    void aLeftClickOpensTheViewerAndTheNextClickClosesIt()
    {
        DBImage *photo = pictureOf(QStringLiteral("Photo"));
        QCursor::setPos(400, 300);
        m_main->DBImageMouseUp(photo, Qt::LeftButton, {}, {});
        QVERIFY(SeePicture);
        QCOMPARE(m_main->InputLockImg->Tag, 1);
        QPointer<TSeePicture> viewer = SeePicture.data();
        m_main->DBImageMouseUp(photo, Qt::LeftButton, {}, {});
        QCOMPARE(m_main->InputLockImg->Tag, 0);
        QTRY_VERIFY(viewer.isNull());
    }

    void theClickThatClosedAViewerIsSwallowedByPosition()
    {
        DBImage *photo = pictureOf(QStringLiteral("Photo"));
        ViewerClosePoint = QPoint(400, 123);
        QCursor::setPos(400, 500); // same column
        m_main->DBImageMouseUp(photo, Qt::LeftButton, {}, {});
        QVERIFY(!SeePicture);
        QCOMPARE(ViewerClosePoint, QPoint(0, 0));
        m_main->DBImageMouseUp(photo, Qt::LeftButton, {}, {});
        QVERIFY(SeePicture);
    }

    void busyWorkersMakeClicksDoNothing()
    {
        FileThreadBusy = true;
        m_chosenFile = m_files.filePath(QStringLiteral("caps.BMP"));
        m_main->DBImageMouseUp(pictureOf(QStringLiteral("Photo")), Qt::LeftButton, {}, {});
        m_main->DBImageMouseUp(pictureOf(QStringLiteral("Photo")), Qt::RightButton, {}, {});
        FileThreadBusy = false;
        QVERIFY(!SeePicture);
        QVERIFY(m_asked.isEmpty());
    }

    void aRightClickStoresTheChosenFileInEachKindOfPictureField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("header");
        QTest::newRow("BMP in capitals into a graphic") << "Photo"
                                                        << "caps.BMP" << QSize(30, 20) << true;
        QTest::newRow("JPEG into a graphic") << "Photo"
                                             << "photo.jpg" << QSize(64, 48) << true;
        QTest::newRow("JPEG into a BLOB") << "Raw"
                                          << "photo.jpg" << QSize(64, 48) << false;
        QTest::newRow("BMP into a typed binary") << "Typed"
                                                 << "caps.BMP" << QSize(30, 20) << true;
    }

    void aRightClickStoresTheChosenFileInEachKindOfPictureField()
    {
        QFETCH(QString, field);
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QFETCH(bool, header);
        m_main->Table1->moveTo(1);
        m_chosenFile = m_files.filePath(file);
        m_main->DBImageMouseUp(pictureOf(field), Qt::RightButton, {}, {});
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_asked[0].filter, TForm1::pictureFilter());
        QCOMPARE(m_main->Table1->state(), TTable::Browse);
        const QByteArray stored = DataFixture::blob(
            m_db, QStringLiteral("SELECT \"%1\" FROM Pics WHERE rowid=2").arg(field));
        QCOMPARE(StoredPicture::hasGraphicHeader(stored), header);
        QCOMPARE(stored.mid(header ? 8 : 0, 2), QByteArray("BM"));
        const QImage back = StoredPicture::decode(stored);
        QCOMPARE(back.size(), size);
        if (file.endsWith(QStringLiteral(".BMP")))
            QCOMPARE(back.pixel(7, 5), pattern(30, 20).pixel(7, 5));
        const int column = m_main->Table1->fieldByName(field)->index();
        QCOMPARE(m_main->DBGrid1->model()->index(1, column).data().toString(),
            QStringLiteral("(%1)").arg(field == u"Raw" ? "BLOB"
                    : field == u"Photo"                ? "GRAPHIC"
                                                       : "TYPEDBINARY"));
        QCOMPARE(DataFixture::scalar(m_db,
                     QStringLiteral("SELECT count(*) FROM Pics WHERE \"%1\""
                                    " IS NOT NULL")
                         .arg(field)),
            QVariant(qlonglong(1)));
    }

    void aRightClickStoresTheFileInTheAliasesPictureForm_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("file");
        for (const char *form : {"file", "bitmap"}) {
            QTest::addRow("%s form: a turned camera JPEG into a graphic", form)
                << form << "Photo"
                << "turned.jpg";
            QTest::addRow("%s form: a turned camera JPEG into a BLOB", form) << form << "Raw"
                                                                           << "turned.jpg";
            QTest::addRow("%s form: a bitmap into a typed binary", form) << form << "Typed"
                                                                         << "caps.BMP";
        }
    }

    void aRightClickStoresTheFileInTheAliasesPictureForm()
    {
        QFETCH(QString, form);
        QFETCH(QString, field);
        QFETCH(QString, file);
        // Held turned: stored 64 × 48, shown upright 48 × 64.
        QTemporaryDir own;
        writeFile(own.filePath(QStringLiteral("turned.jpg")),
            PictureSamples::withExif(JpegCodec::encode(pattern(64, 48), 95), 6));
        QFile::copy(m_files.filePath(QStringLiteral("caps.BMP")), own.filePath(QStringLiteral("caps.BMP")));
        DataFixture::writeAliases({{QStringLiteral("Pics"), m_db}}, form);
        m_chosenFile = own.filePath(file);
        m_main->DBImageMouseUp(pictureOf(field), Qt::RightButton, {}, {});
        const QByteArray stored = DataFixture::blob(
            m_db, QStringLiteral("SELECT \"%1\" FROM Pics WHERE rowid=1").arg(field));
        QFile chosen(m_chosenFile);
        QVERIFY(chosen.open(QIODevice::ReadOnly));
        const QByteArray bytes = chosen.readAll();
        const QImage upright = PictureFile::load(m_chosenFile);
        if (form == u"file")
            QCOMPARE(stored, bytes); // the EXIF block included
        else
            QCOMPARE(stored,
                StoredPicture::encode(upright, m_main->Table1->fieldByName(field)->dataType()));
        // The field panel shows it upright either way.
        QCOMPARE(pictureOf(field)->picture().size(), upright.size());
        if (file.endsWith(u".jpg"))
            QCOMPARE(upright.size(), QSize(48, 64));
    }

    void cancellingTheDialogLeavesTheRecordUntouched()
    {
        m_main->DBImageMouseUp(pictureOf(QStringLiteral("Photo")), Qt::RightButton, {}, {});
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_main->Table1->state(), TTable::Browse);
        QVERIFY(DataFixture::scalar(m_db, QStringLiteral("SELECT Photo FROM Pics WHERE rowid=1"))
                    .isNull());
    }

    void anUnreadableFileIsReportedAndTheRecordIsLeftAlone()
    {
        m_chosenFile = m_files.filePath(QStringLiteral("photo.jpg"));
        m_main->DBImageMouseUp(pictureOf(QStringLiteral("Photo")), Qt::RightButton, {}, {});
        m_asked.clear();
        m_chosenFile = m_files.filePath(QStringLiteral("fake.jpg"));
        // The handler raises; the application's error display shows it.
        Guarded::run([&] {
            m_main->DBImageMouseUp(pictureOf(QStringLiteral("Photo")), Qt::RightButton, {}, {});
        });
        QCOMPARE(m_asked.size(), 2);
        QCOMPARE(m_asked[1].kind, Prompts::Request::Message);
        QCOMPARE(m_main->Table1->state(), TTable::Browse);
        QCOMPARE(StoredPicture::decode(DataFixture::blob(m_db,
                                           QStringLiteral("SELECT Photo FROM Pics WHERE rowid=1")))
                     .size(),
            QSize(64, 48));
    }

    void deleteImageEmptiesTheSelectedFieldOfWhateverType()
    {
        m_chosenFile = m_files.filePath(QStringLiteral("caps.BMP"));
        m_main->DBImageMouseUp(pictureOf(QStringLiteral("Raw")), Qt::RightButton, {}, {});
        m_main->DBGrid1->setSelectedIndex(2);
        m_main->ToolButton26Click();
        QVERIFY(DataFixture::scalar(m_db, QStringLiteral("SELECT Raw FROM Pics WHERE rowid=1"))
                    .isNull());
        m_main->DBGrid1->setSelectedIndex(0);
        m_main->ToolButton26Click();
        QVERIFY(DataFixture::scalar(m_db, QStringLiteral("SELECT Name FROM Pics WHERE rowid=1"))
                    .isNull());
    }

    void eachFilterEntryReallyFiltersAndThePreviewShowsThePicture_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("all pictures")
            << 0 << QStringList {"b.jpeg", "caps.BMP", "fake.jpg", "photo.jpg"};
        QTest::newRow("jpg") << 1 << QStringList {"fake.jpg", "photo.jpg"};
        QTest::newRow("jpeg") << 2 << QStringList {"b.jpeg"};
        QTest::newRow("bitmaps, any letter case") << 3 << QStringList {"caps.BMP"};
    }

    void eachFilterEntryReallyFiltersAndThePreviewShowsThePicture()
    {
        QFETCH(int, entry);
        QFETCH(QStringList, files);
        writeFile(m_files.filePath(QStringLiteral("b.jpeg")), JpegCodec::encode(pattern(8, 8)));
        writeFile(m_files.filePath(QStringLiteral("notes.txt")), "text");
        TOpenPictureDialog dialog(TForm1::pictureFilter());
        QCOMPARE(dialog.filterNames(),
            QStringList({"All (*.jpg;*.jpeg;*.bmp)", "JPEG Image File (*.jpg)",
                "JPEG Image File (*.jpeg)", "Bitmaps (*.bmp)"}));
        dialog.setDirectory(m_files.path());
        dialog.selectFilter(entry);
        auto onlyFiles = [&] {
            QStringList names = dialog.visibleFiles();
            names.removeIf([](const QString &n) { return n == QStringLiteral(".."); });
            names.sort();
            return names;
        };
        QTRY_COMPARE(onlyFiles(), files);
        dialog.highlight(QStringLiteral("photo.jpg"));
        QVERIFY(!dialog.preview()->pixmap().isNull());
        QCOMPARE(dialog.preview()->pixmap().size(), QSize(64, 48));
        dialog.accept();
        QCOMPARE(dialog.fileName(), m_files.filePath(QStringLiteral("photo.jpg")));
    }

    void helpOpensOnceAndAgainAfterItWasClosed()
    {
        m_main->Content1Click();
        QPointer<THelpDialog1> first = HelpDialog1.data();
        QVERIFY(first);
        m_main->Content1Click();
        QCOMPARE(HelpDialog1.data(), first.data());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                     [](QWidget *w) { return qobject_cast<THelpDialog1 *>(w) && w->isVisible(); }),
            1);
        const QStringList lines = first->Memo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 20);
        QCOMPARE(lines[0], QStringLiteral("1、鼠标左键拖动：在首窗口和“查找数据”窗口之"));
        for (int i : {4, 6, 8, 11, 13})
            QVERIFY2(lines[i].startsWith(QStringLiteral("   ")) && lines[i][3] != QLatin1Char(' '),
                qPrintable(lines[i]));
        first->close();
        QTRY_VERIFY(first.isNull());
        QVERIFY(!HelpDialog1);
        m_main->Content1Click();
        QVERIFY(HelpDialog1 && HelpDialog1->isVisible());
    }

    void closingTheMainWindowFreesTheViewerAndTheHelp()
    {
        QCursor::setPos(500, 500);
        m_main->DBImageMouseUp(pictureOf(QStringLiteral("Photo")), Qt::LeftButton, {}, {});
        m_main->Content1Click();
        QPointer<TSeePicture> viewer = SeePicture.data();
        QPointer<THelpDialog1> help = HelpDialog1.data();
        QVERIFY(viewer && help);
        m_main.reset();
        QVERIFY(viewer.isNull());
        QVERIFY(help.isNull());
        QVERIFY(!HelpDialog1);
    }

    void theAboutPhraseRevealsThePictureAndAWrongKeyDiscardsTheBlock()
    {
        TAboutDialog1 about;
        const auto ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
        const QString phrase = TAboutDialog1::phrase();
        auto type = [&](const QString &keys, Qt::KeyboardModifiers mods) {
            for (QChar c : keys)
                about.Memo1KeyDown(Qt::Key_A + (c.unicode() - 'A'), mods);
        };
        // One wrong key in the block: the whole block is thrown away.
        QString wrong = phrase;
        wrong[10] = QLatin1Char('Z');
        type(wrong, ctrlAlt);
        QVERIFY(!about.Image1->isVisibleTo(&about));
        QCOMPARE(about.KeyCount, quint8(0));
        // Keys without both Ctrl and Alt do not count.
        type(phrase.left(5), Qt::ControlModifier);
        about.Memo1KeyDown(Qt::Key_Control, ctrlAlt);
        QCOMPARE(about.KeyCount, quint8(0));
        type(phrase, ctrlAlt);
        QVERIFY(about.Image1->isVisibleTo(&about));
        QVERIFY(!about.Memo1->isVisibleTo(&about));
        about.Image1Click();
        QVERIFY(about.Memo1->isVisibleTo(&about));
        QCOMPARE(about.windowTitle(), QStringLiteral("信息"));
        QCOMPARE(about.Memo1->toPlainText().split(QLatin1Char('\n'))[4],
            QStringLiteral("      版    本：2.00"));
    }
};

TABVALE_TEST_MAIN(PicturesTest, TabvaleApplication)
#include "tst_Pictures.moc"
