// tabvale-bench-exchange: putting tables into a headless office and writing them back, as the data
// window does, against the bridge's own limit for moving the same cells in one block each way.
// 1,000 records x 10 ordinary fields, and 200 records with a memo and a picture.
#include "datawindow/exchange/ExportRecord.h"
#include "datawindow/exchange/SheetRows.h"
#include "datawindow/exchange/SheetWriteBack.h"
#include "datawindow/exchange/TableExport.h"
#include "engine/Database.h"
#include "engine/Engine.h"
#include "engine/TTable.h"
#include "engine/Transaction.h"
#include "picture/StoredPicture.h"
#include "spreadsheet/Cells.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TExcelApplication.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Workbooks.h"
#include "spreadsheet/Worksheet.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int Records = 1000;
constexpr int ObjectRecords = 200;

double ms(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

QImage photo(int seed)
{
    QImage image(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x + seed) & 0xFF, (y * 2 + seed) & 0xFF, (x ^ y) & 0xFF));
    return image;
}

void makeDatabase(const QString &path)
{
    Database::create(path);
    auto db = Database::open(path);
    db->exec(QStringLiteral(
        "CREATE TABLE Ordinary (Name VARCHAR(30), Code VARCHAR(10), No INTEGER, Small SMALLINT,"
        " Weight FLOAT, Price MONEY, Arrived DATE, At TIME, Seen DATETIME, Done BOOLEAN)"));
    db->exec(QStringLiteral("CREATE TABLE Objects (Name VARCHAR(30), Notes MEMO, Photo GRAPHIC)"));
    Transaction transaction(*db);
    Statement ordinary = db->prepare(
        QStringLiteral("INSERT INTO Ordinary VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"));
    for (int i = 1; i <= Records; ++i) {
        ordinary.bind(1, QStringLiteral("动物 animal %1").arg(i));
        ordinary.bind(2, QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')));
        ordinary.bind(3, QVariant::fromValue<qlonglong>(i * 37));
        ordinary.bind(4, QVariant::fromValue<qlonglong>(i % 1000));
        ordinary.bind(5, i * 0.25);
        ordinary.bind(6, i * 1.5);
        ordinary.bind(7, QDate(2020, 1, 1).addDays(i).toString(Qt::ISODate));
        ordinary.bind(8, QStringLiteral("%1:15:00").arg(i % 24, 2, 10, QLatin1Char('0')));
        ordinary.bind(
            9, QStringLiteral("2024-03-%1T10:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')));
        ordinary.bind(10, QVariant::fromValue<qlonglong>(i % 2));
        ordinary.step();
        ordinary.reset();
    }
    Statement objects = db->prepare(QStringLiteral("INSERT INTO Objects VALUES (?1, ?2, ?3)"));
    for (int i = 1; i <= ObjectRecords; ++i) {
        objects.bind(1, QStringLiteral("record %1").arg(i));
        objects.bind(2, QStringLiteral("备注 %1: ").arg(i) + QString(240, QChar(u'a' + i % 26)));
        objects.bind(3, StoredPicture::encode(photo(i), 17));
        objects.step();
        objects.reset();
    }
    transaction.commit();
}

// What the data window does after every post: the table is read again.
std::unique_ptr<TTable> openTable(const QString &name)
{
    auto table = std::make_unique<TTable>();
    table->setDatabaseName(QStringLiteral("Bench"));
    table->setTableName(name);
    table->AfterPost = [](TTable &t) {
        t.refresh();
    };
    table->open();
    return table;
}

struct Figures
{
    double exportMs = 0;
    double writeBackMs = 0;
    double readMs = 0; // reading the sheet's rows alone, as the write-back does
};

Figures exchange(SpreadsheetApplication &app, const QString &table, int columns, int rows)
{
    Figures f;
    ExportRecord record;
    auto sheet = app.workbooks()->add()->activeSheet();
    auto t = openTable(table);
    QElapsedTimer timer;
    timer.start();
    TableExport(*t, *sheet, record, table, QImage(8, 8, QImage::Format_Mono)).run();
    f.exportMs = ms(timer);

    timer.restart();
    SheetRows reader(*sheet->cells(), columns);
    for (int r = 2; r <= rows + 2; ++r)
        reader.hasText(r);
    f.readMs = ms(timer);

    t->first();
    timer.restart();
    Transaction transaction(*Engine::database(QStringLiteral("Bench")));
    SheetWriteBack(*t, *sheet, &record, table).run();
    transaction.commit();
    f.writeBackMs = ms(timer);
    app.activeWorkbook()->close();
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("bench.sqlite"));
    const QString aliases = dir.filePath(QStringLiteral("aliases.conf"));
    QFile file(aliases);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[Bench]\nDriver=SQLITE\nPath=%1\n").arg(dbPath).toUtf8());
    file.close();
    qputenv("TABVALE_ALIASES", aliases.toLocal8Bit());
    makeDatabase(dbPath);

    SpreadsheetOptions options;
    options.pipeName
        = QStringLiteral("tabvale-bench-exchange-%1").arg(QCoreApplication::applicationPid());
    options.profileDirectory = dir.filePath(QStringLiteral("profile"));
    options.headless = true;
    options.callTimeoutMs = 120000;
    TExcelApplication excel(options);
    auto &a = excel.Application();
    try {
        a.setVisible(false);

        // The bridge's limit: the same 1,000 x 10 typed values in one block each way.
        QList<QVariantList> block;
        for (int i = 1; i <= Records; ++i)
            block << QVariantList {QStringLiteral("动物 animal %1").arg(i),
                QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), double(i * 37),
                double(i % 1000), i * 0.25, QVariant::fromValue(CurrencyValue {i * 1.5}),
                QDate(2020, 1, 1).addDays(i), QTime(i % 24, 15),
                QDateTime(QDate(2024, 3, 1 + i % 28), QTime(10, 0)), bool(i % 2)};
        // Best of three, each into a fresh workbook, as the exports write into one.
        double blockWrite = 1e9, blockRead = 1e9;
        for (int run = 0; run < 3; ++run) {
            auto sheet = a.workbooks()->add()->activeSheet();
            QElapsedTimer timer;
            timer.start();
            sheet->cells()->setDataArray(2, 1, block);
            blockWrite = std::min(blockWrite, ms(timer));
            timer.restart();
            sheet->cells()->typedDataArray(2, 1, Records + 1, 10);
            blockRead = std::min(blockRead, ms(timer));
            a.activeWorkbook()->close();
        }

        // Warm-up, then the figures.
        exchange(a, QStringLiteral("Ordinary"), 10, Records);
        const Figures ordinary = exchange(a, QStringLiteral("Ordinary"), 10, Records);
        const Figures objects = exchange(a, QStringLiteral("Objects"), 1, ObjectRecords);

        std::printf("bridge limit, 1,000 x 10 typed cells: block write %.1f ms, typed block read "
                    "%.1f ms\n",
            blockWrite, blockRead);
        std::printf("export 1,000 x 10 ordinary: %.1f ms (%.2fx the block write)\n",
            ordinary.exportMs, ordinary.exportMs / blockWrite);
        std::printf("write-back 1,000 x 10 ordinary: %.1f ms in all; reading the sheet %.1f ms "
                    "(%.2fx the block read); 11,000 posts %.1f ms\n",
            ordinary.writeBackMs, ordinary.readMs, ordinary.readMs / blockRead,
            ordinary.writeBackMs - ordinary.readMs);
        std::printf("export 200 x (memo + 320x240 picture): %.1f ms, %.2f ms per object\n",
            objects.exportMs, objects.exportMs / (2 * ObjectRecords));
        std::printf("write-back 200 x (memo + picture), untouched: %.1f ms, %.2f ms per object\n",
            objects.writeBackMs, objects.writeBackMs / (2 * ObjectRecords));
        a.quit();
    } catch (const std::exception &e) {
        std::printf("failed: %s\n", e.what());
        a.quit();
        return 1;
    }
    return 0;
}
