#include "spreadsheet/CalcWorksheet.h"

#include "spreadsheet/CalcConnection.h"
#include "spreadsheet/CalcConvert.h"
#include "spreadsheet/CalcSession.h"
#include "spreadsheet/CalcShape.h"
#include "spreadsheet/CalcShapeIndex.h"
#include "spreadsheet/CalcWorkbook.h"

#include <QCoreApplication>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/FillStyle.hpp>
#include <com/sun/star/drawing/LineStyle.hpp>
#include <com/sun/star/graphic/GraphicProvider.hpp>
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/io/SequenceInputStream.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XUniqueCellFormatRangesSupplier.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <algorithm>
#include <cmath>

using namespace css;
using CalcConvert::hmmToPoints;
using CalcConvert::pointsToHmm;
using CalcConvert::toOUString;
using CalcConvert::toQString;

namespace {

constexpr sal_Int32 kMaxRow = 1048576;
constexpr sal_Int32 kMaxColumn = 16384;

void checkCell(int row, int column)
{
    if (row < 1 || column < 1 || row > kMaxRow || column > kMaxColumn)
        throw SpreadsheetError(
            QCoreApplication::translate("CalcWorksheet", "there is no cell at row %1, column %2").arg(row).arg(column));
}

// Dates are day numbers from the workbook's null date, times the fraction of a day.
double dayNumber(const QDate &nullDate, const QDateTime &when)
{
    const double days = static_cast<double>(nullDate.daysTo(when.date()));
    return days + when.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime fromDayNumber(const QDate &nullDate, double value)
{
    const double days = std::floor(value);
    qint64 msecs = std::llround((value - days) * 86400000.0);
    QDate date = nullDate.addDays(static_cast<qint64>(days));
    if (msecs >= 86400000) {
        msecs -= 86400000;
        date = date.addDays(1);
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs)));
}

// What a value is written as: a number (with the format kind it needs) or text.
struct Written
{
    bool isText = false;
    rtl::OUString text;
    double number = 0;
    sal_Int16 kind = util::NumberFormat::NUMBER;
};

Written toWritten(const QVariant &value, const QDate &nullDate)
{
    Written w;
    if (value.metaType() == QMetaType::fromType<CurrencyValue>()) {
        w.number = value.value<CurrencyValue>().amount;
        w.kind = util::NumberFormat::CURRENCY;
        return w;
    }
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        w.isText = true;
        break;
    case QMetaType::Bool:
        w.number = value.toBool() ? 1 : 0;
        w.kind = util::NumberFormat::LOGICAL;
        break;
    case QMetaType::QDate:
        w.number = dayNumber(nullDate, QDateTime(value.toDate(), QTime(0, 0)));
        w.kind = util::NumberFormat::DATE;
        break;
    case QMetaType::QDateTime:
        w.number = dayNumber(nullDate, value.toDateTime());
        w.kind = util::NumberFormat::DATETIME;
        break;
    case QMetaType::QTime:
        w.number = value.toTime().msecsSinceStartOfDay() / 86400000.0;
        w.kind = util::NumberFormat::TIME;
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        w.number = value.toDouble();
        break;
    default:
        w.isText = true;
        w.text = toOUString(value.toString());
        break;
    }
    return w;
}

bool isSpecialKind(sal_Int16 kind)
{
    return (kind
               & (util::NumberFormat::DATE | util::NumberFormat::TIME
                   | util::NumberFormat::LOGICAL))
        != 0;
}

// A block as the office hands it over: numbers as double, text (and empty cells) as QString.
QList<QVariantList> fromDataArray(const uno::Sequence<uno::Sequence<uno::Any>> &data)
{
    QList<QVariantList> result;
    result.reserve(data.getLength());
    for (const auto &line : data) {
        QVariantList values;
        values.reserve(line.getLength());
        for (const uno::Any &v : line) {
            double number = 0;
            rtl::OUString text;
            if (v >>= number)
                values << number;
            else if (v >>= text)
                values << toQString(text);
            else
                values << QString();
        }
        result << values;
    }
    return result;
}

QVariant numberAsKind(double value, sal_Int16 kind, const QDate &nullDate)
{
    if (kind & util::NumberFormat::LOGICAL)
        return value != 0;
    const bool date = kind & util::NumberFormat::DATE;
    const bool time = kind & util::NumberFormat::TIME;
    if (date && time)
        return fromDayNumber(nullDate, value);
    if (date)
        return fromDayNumber(nullDate, value).date();
    if (time)
        return fromDayNumber(nullDate, value).time();
    return value;
}

} // namespace

CalcWorksheet::CalcWorksheet(
    std::shared_ptr<CalcWorkbook> book, const uno::Reference<sheet::XSpreadsheet> &sheet)
    : m_book(std::move(book)), m_sheet(sheet)
{ }

QString CalcWorksheet::name()
{
    return m_book->call([&] {
        return toQString(
            uno::Reference<container::XNamed>(m_sheet, uno::UNO_QUERY_THROW)->getName());
    });
}

void CalcWorksheet::setName(const QString &name)
{
    m_book->call([&] {
        uno::Reference<container::XNamed> named(m_sheet, uno::UNO_QUERY_THROW);
        const QString current = toQString(named->getName());
        // Calc takes a name that differs from another sheet's only in case; a workbook must not.
        uno::Reference<sheet::XSpreadsheetDocument> document(m_book->model(), uno::UNO_QUERY_THROW);
        for (const rtl::OUString &other : document->getSheets()->getElementNames()) {
            const QString o = toQString(other);
            if (o != current && o.compare(name, Qt::CaseInsensitive) == 0)
                throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "there is a sheet named %1 already").arg(o));
        }
        named->setName(toOUString(name));
        if (toQString(named->getName()) != name)
            throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "a sheet cannot be named %1").arg(name));
    });
}

void CalcWorksheet::activate()
{
    m_book->call([&] { m_book->setActiveSheet(m_sheet); });
    m_book->session()->setActive(m_book);
}

CellsPtr CalcWorksheet::cells()
{
    return CellsPtr(shared_from_this(), static_cast<Cells *>(this));
}

uno::Reference<table::XCell> CalcWorksheet::cell(int row, int column)
{
    checkCell(row, column);
    return m_sheet->getCellByPosition(column - 1, row - 1);
}

QRectF CalcWorksheet::cellRect(const uno::Reference<table::XCell> &c)
{
    uno::Reference<beans::XPropertySet> properties(c, uno::UNO_QUERY_THROW);
    awt::Point position;
    awt::Size size;
    properties->getPropertyValue("Position") >>= position;
    properties->getPropertyValue("Size") >>= size;
    return QRectF(hmmToPoints(position.X), hmmToPoints(position.Y), hmmToPoints(size.Width),
        hmmToPoints(size.Height));
}

QRectF CalcWorksheet::cellGeometry(int row, int column)
{
    return m_book->call([&] { return cellRect(cell(row, column)); });
}

void CalcWorksheet::activateCell(int row, int column)
{
    m_book->call([&] {
        auto c = cell(row, column);
        m_book->setActiveSheet(m_sheet);
        uno::Reference<view::XSelectionSupplier> selection(
            m_book->model()->getCurrentController(), uno::UNO_QUERY);
        if (selection.is())
            selection->select(uno::Any(c));
    });
    m_book->session()->setActive(m_book);
}

SheetShapePtr CalcWorksheet::paste()
{
    if (!qGuiApp)
        throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "there is no clipboard to paste from"));
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull())
        throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "the clipboard holds no picture"));
    return pastePicture(image);
}

SheetShapePtr CalcWorksheet::pastePicture(const QImage &picture)
{
    if (picture.isNull())
        throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "there is no picture to paste"));
    // PNG keeps every pixel, so the picture comes back exactly as it went in. The lightest
    // compression: a quarter of the default's time for nearly the same size.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG", 80))
        throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "the picture cannot be encoded"));

    auto shape = m_book->call([&] {
        auto context = m_book->connection().context();
        const uno::Sequence<sal_Int8> bytes(
            reinterpret_cast<const sal_Int8 *>(png.constData()), png.size());
        auto stream = io::SequenceInputStream::createStreamFromSequence(context, bytes);
        auto graphic = graphic::GraphicProvider::create(context)->queryGraphic(
            CalcConvert::properties({{"InputStream", uno::Any(stream)}}));
        if (!graphic.is())
            throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "the spreadsheet did not take the picture"));

        // It goes where a paste would: at the current cell.
        QPointF at(0, 0);
        uno::Reference<view::XSelectionSupplier> selection(
            m_book->model()->getCurrentController(), uno::UNO_QUERY);
        if (selection.is()) {
            uno::Reference<sheet::XCellRangeAddressable> range(
                selection->getSelection(), uno::UNO_QUERY);
            if (range.is()) {
                const table::CellRangeAddress a = range->getRangeAddress();
                at = cellRect(m_sheet->getCellByPosition(a.StartColumn, a.StartRow)).topLeft();
            }
        }

        uno::Reference<lang::XMultiServiceFactory> factory(m_book->model(), uno::UNO_QUERY_THROW);
        uno::Reference<drawing::XShape> s(
            factory->createInstance("com.sun.star.drawing.GraphicObjectShape"),
            uno::UNO_QUERY_THROW);
        uno::Reference<beans::XPropertySet>(s, uno::UNO_QUERY_THROW)
            ->setPropertyValue("Graphic", uno::Any(graphic));
        auto index = m_book->shapeIndex(m_sheet);
        index->page()->add(s);
        // Pixels at screen resolution: 96 per inch, 72 points per inch.
        s->setSize(
            awt::Size(pointsToHmm(picture.width() * 0.75), pointsToHmm(picture.height() * 0.75)));
        s->setPosition(awt::Point(pointsToHmm(at.x()), pointsToHmm(at.y())));
        CalcShapeIndex::Entry entry {s, QString(), true};
        index->added(entry);
        auto made = std::make_shared<CalcShape>(m_book, index, entry);
        m_book->adopt(made);
        return made;
    });
    m_book->session()->setSelection(shape);
    return shape;
}

SheetShapePtr CalcWorksheet::findShape(const QString &name, const char *kind)
{
    return m_book->call([&]() -> SheetShapePtr {
        auto index = m_book->shapeIndex(m_sheet);
        const auto entry = index->find(name);
        bool fits = entry.has_value();
        if (fits && qstrcmp(kind, "picture") == 0)
            fits = entry->picture;
        else if (fits && qstrcmp(kind, "text box") == 0)
            fits
                = !entry->picture && uno::Reference<text::XText>(entry->shape, uno::UNO_QUERY).is();
        if (!fits)
            throw SpreadsheetError(
                QCoreApplication::translate("CalcWorksheet", "there is no %1 named %2")
                    .arg(QCoreApplication::translate("CalcWorksheet", kind), name));
        auto shape = std::make_shared<CalcShape>(m_book, index, *entry);
        m_book->adopt(shape);
        return shape;
    });
}

SheetShapePtr CalcWorksheet::picture(const QString &name)
{
    return findShape(name, QT_TRANSLATE_NOOP("CalcWorksheet", "picture"));
}

SheetShapePtr CalcWorksheet::textBox(const QString &name)
{
    return findShape(name, QT_TRANSLATE_NOOP("CalcWorksheet", "text box"));
}

SheetShapePtr CalcWorksheet::shape(const QString &name)
{
    return findShape(name, QT_TRANSLATE_NOOP("CalcWorksheet", "shape"));
}

QStringList CalcWorksheet::shapeNames()
{
    return m_book->call([&] { return m_book->shapeIndex(m_sheet)->names(); });
}

SheetShapePtr CalcWorksheet::addTextbox(
    int orientation, double left, double top, double width, double height)
{
    if (orientation != 1)
        throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "only horizontal text boxes can be added"));
    return m_book->call([&] {
        uno::Reference<lang::XMultiServiceFactory> factory(m_book->model(), uno::UNO_QUERY_THROW);
        uno::Reference<drawing::XShape> s(
            factory->createInstance("com.sun.star.drawing.TextShape"), uno::UNO_QUERY_THROW);
        auto index = m_book->shapeIndex(m_sheet);
        index->page()->add(s);
        // A framed white box of fixed size, as text boxes look in a workbook; the text wraps
        // inside.
        uno::Reference<beans::XPropertySet> properties(s, uno::UNO_QUERY_THROW);
        properties->setPropertyValue("TextAutoGrowHeight", uno::Any(false));
        properties->setPropertyValue("TextAutoGrowWidth", uno::Any(false));
        properties->setPropertyValue("LineStyle", uno::Any(drawing::LineStyle_SOLID));
        properties->setPropertyValue("FillStyle", uno::Any(drawing::FillStyle_SOLID));
        properties->setPropertyValue("FillColor", uno::Any(sal_Int32(0xFFFFFF)));
        s->setPosition(awt::Point(pointsToHmm(left), pointsToHmm(top)));
        s->setSize(awt::Size(pointsToHmm(width), pointsToHmm(height)));
        CalcShapeIndex::Entry entry {s, QString(), false};
        index->added(entry);
        auto made = std::make_shared<CalcShape>(m_book, index, entry);
        m_book->adopt(made);
        return made;
    });
}

QVariant CalcWorksheet::item(int row, int column)
{
    return m_book->call([&]() -> QVariant {
        auto c = cell(row, column);
        const table::CellContentType type = c->getType();
        if (type == table::CellContentType_EMPTY)
            return QString();
        if (type == table::CellContentType_TEXT)
            return toQString(uno::Reference<text::XText>(c, uno::UNO_QUERY_THROW)->getString());
        uno::Reference<beans::XPropertySet> properties(c, uno::UNO_QUERY_THROW);
        if (type == table::CellContentType_FORMULA) {
            sal_Int32 result = 0;
            properties->getPropertyValue("FormulaResultType2") >>= result;
            if (result != 1) // not a number: its text, error texts included
                return toQString(uno::Reference<text::XText>(c, uno::UNO_QUERY_THROW)->getString());
        }
        sal_Int32 format = 0;
        properties->getPropertyValue("NumberFormat") >>= format;
        return numberAsKind(c->getValue(), m_book->formatKind(format), m_book->nullDate());
    });
}

void CalcWorksheet::setItem(int row, int column, const QVariant &value)
{
    m_book->call([&] {
        auto c = cell(row, column);
        const Written w = toWritten(value, m_book->nullDate());
        if (w.isText) {
            // Written as text, never parsed: "00123" stays "00123".
            uno::Reference<text::XText>(c, uno::UNO_QUERY_THROW)->setString(w.text);
            return;
        }
        c->setValue(w.number);
        uno::Reference<beans::XPropertySet> properties(c, uno::UNO_QUERY_THROW);
        if (w.kind != util::NumberFormat::NUMBER) {
            properties->setPropertyValue("NumberFormat", uno::Any(m_book->standardFormat(w.kind)));
            return;
        }
        // A plain number in a cell that showed a date or a yes/no would read back as one.
        sal_Int32 format = 0;
        properties->getPropertyValue("NumberFormat") >>= format;
        if (isSpecialKind(m_book->formatKind(format)))
            properties->setPropertyValue("NumberFormat", uno::Any(sal_Int32(0)));
    });
}

QList<QVariantList> CalcWorksheet::dataArray(int row, int column, int rows, int columns)
{
    if (rows < 1 || columns < 1)
        return {};
    checkCell(row, column);
    checkCell(row + rows - 1, column + columns - 1);
    return m_book->call([&] {
        uno::Reference<sheet::XCellRangeData> range(
            m_sheet->getCellRangeByPosition(
                column - 1, row - 1, column + columns - 2, row + rows - 2),
            uno::UNO_QUERY_THROW);
        return fromDataArray(range->getDataArray());
    });
}

QList<QVariantList> CalcWorksheet::typedDataArray(int row, int column, int rows, int columns)
{
    if (rows < 1 || columns < 1)
        return {};
    checkCell(row, column);
    checkCell(row + rows - 1, column + columns - 1);
    return m_book->call([&] {
        auto block = m_sheet->getCellRangeByPosition(
            column - 1, row - 1, column + columns - 2, row + rows - 2);
        QList<QVariantList> result = fromDataArray(
            uno::Reference<sheet::XCellRangeData>(block, uno::UNO_QUERY_THROW)->getDataArray());
        // The numbers that are dates, times or yes/no values, found by format: the office groups
        // the block's cells by format, a few calls instead of one per cell.
        auto groups
            = uno::Reference<sheet::XUniqueCellFormatRangesSupplier>(block, uno::UNO_QUERY_THROW)
                  ->getUniqueCellFormatRanges();
        const QDate nullDate = m_book->nullDate();
        for (sal_Int32 g = 0; g < groups->getCount(); ++g) {
            uno::Reference<sheet::XSheetCellRanges> group(
                groups->getByIndex(g), uno::UNO_QUERY_THROW);
            sal_Int32 format = 0;
            uno::Reference<beans::XPropertySet>(group, uno::UNO_QUERY_THROW)
                ->getPropertyValue("NumberFormat")
                >>= format;
            const sal_Int16 kind = m_book->formatKind(format);
            if (!isSpecialKind(kind))
                continue;
            for (const table::CellRangeAddress &a : group->getRangeAddresses()) {
                for (sal_Int32 r = std::max(a.StartRow, sal_Int32(row - 1));
                     r <= std::min(a.EndRow, sal_Int32(row + rows - 2)); ++r) {
                    QVariantList &line = result[r - (row - 1)];
                    for (sal_Int32 c = std::max(a.StartColumn, sal_Int32(column - 1));
                         c <= std::min(a.EndColumn, sal_Int32(column + columns - 2)); ++c) {
                        QVariant &v = line[c - (column - 1)];
                        if (v.typeId() == QMetaType::Double)
                            v = numberAsKind(v.toDouble(), kind, nullDate);
                    }
                }
            }
        }
        return result;
    });
}

void CalcWorksheet::setDataArray(int row, int column, const QList<QVariantList> &values)
{
    if (values.isEmpty())
        return;
    const qsizetype columns = values.first().size();
    for (const auto &line : values) {
        if (line.size() != columns)
            throw SpreadsheetError(QCoreApplication::translate("CalcWorksheet", "the rows of a block must be of equal length"));
    }
    if (columns == 0)
        return;
    checkCell(row, column);
    checkCell(row + static_cast<int>(values.size()) - 1, column + static_cast<int>(columns) - 1);
    m_book->call([&] {
        const QDate nullDate = m_book->nullDate();
        uno::Sequence<uno::Sequence<uno::Any>> data(static_cast<sal_Int32>(values.size()));
        auto *out = data.getArray();
        // Dates, times and booleans need their format; runs of one kind in a column get it at once.
        struct Run
        {
            sal_Int32 column, first, last;
            sal_Int16 kind;
        };
        std::vector<Run> runs;
        std::vector<int> openRun(columns, -1); // per column, the run that may still grow
        for (qsizetype r = 0; r < values.size(); ++r) {
            uno::Sequence<uno::Any> line(static_cast<sal_Int32>(columns));
            auto *cellOut = line.getArray();
            for (qsizetype col = 0; col < columns; ++col) {
                const Written w = toWritten(values[r][col], nullDate);
                cellOut[col] = w.isText ? uno::Any(w.text) : uno::Any(w.number);
                if (w.isText || w.kind == util::NumberFormat::NUMBER)
                    continue;
                const sal_Int32 rr = static_cast<sal_Int32>(r);
                int &i = openRun[col];
                if (i >= 0 && runs[i].kind == w.kind && runs[i].last == rr - 1) {
                    runs[i].last = rr;
                } else {
                    runs.push_back({static_cast<sal_Int32>(col), rr, rr, w.kind});
                    i = static_cast<int>(runs.size()) - 1;
                }
            }
            out[r] = line;
        }
        uno::Reference<sheet::XCellRangeData> range(
            m_sheet->getCellRangeByPosition(column - 1, row - 1,
                column + static_cast<sal_Int32>(columns) - 2,
                row + static_cast<sal_Int32>(values.size()) - 2),
            uno::UNO_QUERY_THROW);
        range->setDataArray(data);
        for (const Run &run : runs) {
            uno::Reference<beans::XPropertySet> block(
                m_sheet->getCellRangeByPosition(column - 1 + run.column, row - 1 + run.first,
                    column - 1 + run.column, row - 1 + run.last),
                uno::UNO_QUERY_THROW);
            block->setPropertyValue("NumberFormat", uno::Any(m_book->standardFormat(run.kind)));
        }
    });
}
