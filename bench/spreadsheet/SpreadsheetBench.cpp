// Prints how long writing and reading cells takes one call per cell and one call per block, and how
// long it takes to start a headless office and connect to it. Uses a private profile and pipe.
#include "spreadsheet/Cells.h"
#include "spreadsheet/SpreadsheetError.h"
#include "spreadsheet/TExcelApplication.h"
#include "spreadsheet/Workbook.h"
#include "spreadsheet/Workbooks.h"
#include "spreadsheet/Worksheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    SpreadsheetOptions options;
    options.pipeName = QStringLiteral("tabvale-bench-%1").arg(QCoreApplication::applicationPid());
    options.profileDirectory = dir.filePath(QStringLiteral("profile"));
    options.headless = true;
    options.callTimeoutMs = 120000;
    TExcelApplication excel(options);
    auto &a = excel.Application();
    try {
        QElapsedTimer t;
        t.start();
        a.setVisible(false);
        std::printf("start and connect: %lld ms\n", t.elapsed());
        for (int cells : {2000, 20000}) {
            const int columns = 10, rows = cells / columns;
            auto sheet = a.workbooks()->add()->activeSheet();
            auto c = sheet->cells();
            QList<QVariantList> block;
            for (int r = 0; r < rows; ++r) {
                QVariantList line;
                for (int col = 0; col < columns; ++col)
                    line << (col % 2 ? QVariant(r * 1.5)
                                     : QVariant(QStringLiteral("r%1c%2").arg(r).arg(col)));
                block << line;
            }
            t.restart();
            for (int r = 0; r < rows; ++r)
                for (int col = 0; col < columns; ++col)
                    c->setItem(r + 1, col + 1, block[r][col]);
            const double perCellWrite = t.nsecsElapsed() / 1e6;
            t.restart();
            for (int r = 0; r < rows; ++r)
                for (int col = 0; col < columns; ++col)
                    c->item(r + 1, col + 1);
            const double perCellRead = t.nsecsElapsed() / 1e6;
            t.restart();
            c->setDataArray(1, columns + 2, block);
            const double blockWrite = t.nsecsElapsed() / 1e6;
            t.restart();
            const auto back = c->dataArray(1, columns + 2, rows, columns);
            const double blockRead = t.nsecsElapsed() / 1e6;
            if (back.size() != rows || back[rows - 1][1] != block[rows - 1][1])
                std::printf("block read back differs!\n");
            std::printf(
                "%6d cells: per-cell write %8.1f ms (%.3f ms/cell), read %8.1f ms (%.3f ms/cell)\n",
                cells, perCellWrite, perCellWrite / cells, perCellRead, perCellRead / cells);
            std::printf("%6d cells: block    write %8.1f ms (%.0fx), read %8.1f ms (%.0fx)\n",
                cells, blockWrite, perCellWrite / blockWrite, blockRead, perCellRead / blockRead);
            a.activeWorkbook()->close();
        }
        a.quit();
    } catch (const SpreadsheetError &e) {
        std::printf("failed: %s\n", qPrintable(e.message()));
        a.quit();
        return 1;
    }
    return 0;
}
