#include "tests/spreadsheet/FakeSpreadsheet.h"

#include <QClipboard>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>

namespace {

using Book = FakeSpreadsheet::Book;
using Sheet = FakeSpreadsheet::Sheet;
using Shape = FakeSpreadsheet::Shape;

const QDate NullDate(1899, 12, 30);
constexpr double ColumnWidth = 64;
constexpr double RowHeight = 12.75;

[[noreturn]] void refuse(const QString &message)
{
    throw SpreadsheetError(message);
}

void checkCell(int row, int column)
{
    if (row < 1 || column < 1 || row > 1048576 || column > 16384)
        refuse(QStringLiteral("there is no cell at row %1, column %2").arg(row).arg(column));
}

// A value as a cell keeps it, the way item() gives it back.
QVariant stored(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.metaType() == QMetaType::fromType<CurrencyValue>())
        return value.value<CurrencyValue>().amount;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return value;
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
        return value.toDouble();
    default:
        return value.toString().isEmpty() ? QVariant() : QVariant(value.toString());
    }
}

// What a plain block read gives: numbers and text only.
QVariant plain(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Bool:
        return value.toBool() ? 1.0 : 0.0;
    case QMetaType::QDate:
        return double(NullDate.daysTo(value.toDate()));
    case QMetaType::QTime:
        return value.toTime().msecsSinceStartOfDay() / 86400000.0;
    case QMetaType::QDateTime:
        return double(NullDate.daysTo(value.toDateTime().date()))
            + value.toDateTime().time().msecsSinceStartOfDay() / 86400000.0;
    default:
        return value;
    }
}

std::shared_ptr<Book> copyOf(const Book &book)
{
    auto copy = std::make_shared<Book>(book);
    copy->sheets.clear();
    for (const auto &sheet : book.sheets) {
        auto s = std::make_shared<Sheet>(*sheet);
        s->shapes.clear();
        for (const auto &shape : sheet->shapes) {
            if (!shape->removed)
                s->shapes.push_back(std::make_shared<Shape>(*shape));
        }
        copy->sheets.push_back(s);
    }
    return copy;
}

class FakeShape final : public SheetShape
{
public:
    FakeShape(std::shared_ptr<FakeSpreadsheet> app, std::shared_ptr<Shape> shape)
        : m_app(std::move(app)), m_shape(std::move(shape))
    { }

    QString name() override { return live().name; }
    void setName(const QString &name) override { live().name = name; }
    QRectF geometry() override { return live().geometry; }
    void setGeometry(const QRectF &points) override
    {
        if (points.width() < 0 || points.height() < 0)
            refuse(QStringLiteral("a shape cannot have a negative size"));
        live().geometry = points;
    }
    void remove() override { live().removed = true; }
    QImage picture() override
    {
        if (!live().picture)
            refuse(QStringLiteral("the shape holds no picture"));
        return m_shape->image;
    }
    void copyPicture() override { QGuiApplication::clipboard()->setImage(picture()); }
    QString text() override { return textShape().text; }
    int characterCount() override { return int(textShape().text.size()); }
    void insertText(int start, const QString &text) override
    {
        Shape &s = textShape();
        if (start < 1 || start > s.text.size() + 1)
            refuse(QStringLiteral("there is no character position %1").arg(start));
        // Half a character would not survive the way into the office.
        if (!text.isEmpty() && (text.front().isLowSurrogate() || text.back().isHighSurrogate()))
            refuse(QStringLiteral("the text splits a character"));
        s.text.insert(start - 1, text);
    }

private:
    Shape &live()
    {
        m_app->call();
        if (m_shape->removed)
            refuse(QStringLiteral("the spreadsheet object no longer exists"));
        return *m_shape;
    }
    Shape &textShape()
    {
        Shape &s = live();
        if (s.picture)
            refuse(QStringLiteral("the shape holds no text"));
        return s;
    }

    std::shared_ptr<FakeSpreadsheet> m_app;
    std::shared_ptr<Shape> m_shape;
};

class FakeSheet final : public Worksheet,
                        public Cells,
                        public std::enable_shared_from_this<FakeSheet>
{
public:
    FakeSheet(std::shared_ptr<FakeSpreadsheet> app, std::shared_ptr<Book> book,
        std::shared_ptr<Sheet> sheet)
        : m_app(std::move(app)), m_book(std::move(book)), m_sheet(std::move(sheet))
    { }

    QString name() override { return live().name; }
    void setName(const QString &name) override
    {
        live();
        static const QRegularExpression forbidden(QStringLiteral("[\\[\\]*?:/\\\\]"));
        if (name.isEmpty() || name.contains(forbidden))
            refuse(QStringLiteral("a sheet cannot be named %1").arg(name));
        for (const auto &other : m_book->sheets) {
            if (other != m_sheet && other->name.compare(name, Qt::CaseInsensitive) == 0)
                refuse(QStringLiteral("there is a sheet named %1 already").arg(other->name));
        }
        m_sheet->name = name;
    }
    void activate() override
    {
        live();
        m_book->active = index();
        m_app->activate(m_book);
    }
    CellsPtr cells() override
    {
        live();
        return CellsPtr(shared_from_this(), static_cast<Cells *>(this));
    }
    QRectF cellGeometry(int row, int column) override
    {
        live();
        checkCell(row, column);
        return QRectF((column - 1) * ColumnWidth, (row - 1) * RowHeight, ColumnWidth, RowHeight);
    }
    void activateCell(int row, int column) override
    {
        live();
        checkCell(row, column);
        if (m_app->editingCalls > 0) {
            --m_app->editingCalls;
            refuse(QStringLiteral("a cell is being edited"));
        }
        m_sheet->current = {row, column};
        m_book->active = index();
        m_app->activate(m_book);
    }
    SheetShapePtr paste() override
    {
        const QImage image = QGuiApplication::clipboard()->image();
        if (image.isNull())
            refuse(QStringLiteral("the clipboard holds no picture"));
        return pastePicture(image);
    }
    SheetShapePtr pastePicture(const QImage &picture) override
    {
        live();
        if (picture.isNull())
            refuse(QStringLiteral("there is no picture to paste"));
        auto shape = std::make_shared<Shape>();
        shape->picture = true;
        shape->image = picture;
        const QPointF at(
            (m_sheet->current.second - 1) * ColumnWidth, (m_sheet->current.first - 1) * RowHeight);
        shape->geometry = QRectF(at, QSizeF(picture.width() * 0.75, picture.height() * 0.75));
        m_sheet->shapes.push_back(shape);
        m_app->setSelection(shape);
        return std::make_shared<FakeShape>(m_app, shape);
    }
    SheetShapePtr picture(const QString &name) override { return find(name, 1); }
    SheetShapePtr textBox(const QString &name) override { return find(name, 0); }
    SheetShapePtr shape(const QString &name) override { return find(name, -1); }
    QStringList shapeNames() override
    {
        live();
        QStringList names;
        for (const auto &s : m_sheet->shapes) {
            if (!s->removed)
                names << s->name;
        }
        return names;
    }
    SheetShapePtr addTextbox(
        int orientation, double left, double top, double width, double height) override
    {
        live();
        if (orientation != 1)
            refuse(QStringLiteral("only horizontal text boxes can be added"));
        auto shape = std::make_shared<Shape>();
        shape->geometry = QRectF(left, top, width, height);
        m_sheet->shapes.push_back(shape);
        return std::make_shared<FakeShape>(m_app, shape);
    }

    QVariant item(int row, int column) override
    {
        live();
        ++m_app->cellCalls;
        checkCell(row, column);
        return m_sheet->cells.value({row, column}, QString());
    }
    void setItem(int row, int column, const QVariant &value) override
    {
        live();
        ++m_app->cellCalls;
        checkCell(row, column);
        put(row, column, value);
    }
    QList<QVariantList> dataArray(int row, int column, int rows, int columns) override
    {
        auto block = typedDataArray(row, column, rows, columns);
        for (auto &line : block) {
            for (auto &v : line)
                v = plain(v);
        }
        return block;
    }
    QList<QVariantList> typedDataArray(int row, int column, int rows, int columns) override
    {
        live();
        ++m_app->blockCalls;
        if (rows < 1 || columns < 1)
            return {};
        checkCell(row, column);
        checkCell(row + rows - 1, column + columns - 1);
        QList<QVariantList> block;
        for (int r = 0; r < rows; ++r) {
            QVariantList line;
            for (int c = 0; c < columns; ++c)
                line << m_sheet->cells.value({row + r, column + c}, QString());
            block << line;
        }
        return block;
    }
    void setDataArray(int row, int column, const QList<QVariantList> &values) override
    {
        live();
        ++m_app->blockCalls;
        if (values.isEmpty())
            return;
        for (const auto &line : values) {
            if (line.size() != values.first().size())
                refuse(QStringLiteral("the rows of a block must be of equal length"));
            for (const QVariant &v : line) {
                if (m_app->refuses && m_app->refuses(v))
                    refuse(QStringLiteral("the block holds a value the cells refuse"));
            }
        }
        checkCell(row, column);
        checkCell(row + int(values.size()) - 1, column + int(values.first().size()) - 1);
        for (int r = 0; r < values.size(); ++r) {
            for (int c = 0; c < values[r].size(); ++c)
                put(row + r, column + c, values[r][c]);
        }
    }

private:
    Sheet &live()
    {
        m_app->call();
        if (!m_book->open || index() < 0)
            refuse(QStringLiteral("the spreadsheet object no longer exists"));
        return *m_sheet;
    }
    int index() const
    {
        for (size_t i = 0; i < m_book->sheets.size(); ++i) {
            if (m_book->sheets[i] == m_sheet)
                return int(i);
        }
        return -1;
    }
    void put(int row, int column, const QVariant &value)
    {
        if (m_app->refuses && m_app->refuses(value))
            refuse(QStringLiteral("the cell refuses the value"));
        const QVariant v = stored(value);
        if (v.isValid())
            m_sheet->cells.insert({row, column}, v);
        else
            m_sheet->cells.remove({row, column});
    }
    // kind: 1 pictures, 0 text boxes, -1 any shape.
    SheetShapePtr find(const QString &name, int kind)
    {
        live();
        for (const auto &s : m_sheet->shapes) {
            if (s->removed || s->name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            if (kind >= 0 && s->picture != (kind == 1))
                break;
            return std::make_shared<FakeShape>(m_app, s);
        }
        refuse(QStringLiteral("there is no %1 named %2")
                   .arg(kind == 1      ? QStringLiteral("picture")
                           : kind == 0 ? QStringLiteral("text box")
                                       : QStringLiteral("shape"),
                       name));
    }

    std::shared_ptr<FakeSpreadsheet> m_app;
    std::shared_ptr<Book> m_book;
    std::shared_ptr<Sheet> m_sheet;
};

class FakeBook final : public Workbook, public Sheets, public std::enable_shared_from_this<FakeBook>
{
public:
    FakeBook(std::shared_ptr<FakeSpreadsheet> app, std::shared_ptr<Book> book)
        : m_app(std::move(app)), m_book(std::move(book))
    { }

    QString name() override { return FakeSpreadsheet::bookName(live()); }
    QString fullName() override
    {
        const Book &b = live();
        return b.path.isEmpty() ? b.untitled : b.path;
    }
    void activate() override
    {
        live();
        m_app->activate(m_book);
    }
    WorksheetPtr activeSheet() override
    {
        Book &b = live();
        return std::make_shared<FakeSheet>(m_app, m_book, b.sheets[size_t(b.active)]);
    }
    void saveAs(const QString &path) override
    {
        Book &b = live();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            refuse(QStringLiteral("cannot write %1").arg(path));
        file.write("a workbook of the fake spreadsheet\n");
        b.path = QFileInfo(path).absoluteFilePath();
        FakeSpreadsheet::disk().insert(b.path, copyOf(b));
    }
    void save() override
    {
        Book &b = live();
        if (b.path.isEmpty())
            refuse(QStringLiteral("the workbook %1 has no file yet").arg(b.untitled));
        FakeSpreadsheet::disk().insert(b.path, copyOf(b));
    }
    void close() override
    {
        live();
        if (!m_app->close(m_book))
            refuse(QStringLiteral("the workbook was kept open"));
    }
    SheetsPtr sheets() override
    {
        live();
        return SheetsPtr(shared_from_this(), static_cast<Sheets *>(this));
    }
    SheetsPtr worksheets() override { return sheets(); }

    int count() override { return int(live().sheets.size()); }
    WorksheetPtr item(int index) override
    {
        Book &b = live();
        if (index < 1 || index > int(b.sheets.size()))
            refuse(QStringLiteral("there is no sheet %1").arg(index));
        return std::make_shared<FakeSheet>(m_app, m_book, b.sheets[size_t(index - 1)]);
    }
    WorksheetPtr item(const QString &name) override
    {
        for (const auto &s : live().sheets) {
            if (s->name.compare(name, Qt::CaseInsensitive) == 0)
                return std::make_shared<FakeSheet>(m_app, m_book, s);
        }
        refuse(QStringLiteral("there is no sheet named %1").arg(name));
    }
    WorksheetPtr add() override
    {
        Book &b = live();
        QString name;
        for (int n = 1;; ++n) {
            name = QStringLiteral("Sheet%1").arg(n);
            if (std::none_of(b.sheets.begin(), b.sheets.end(),
                    [&](const auto &s) { return s->name.compare(name, Qt::CaseInsensitive) == 0; }))
                break;
        }
        auto sheet = std::make_shared<Sheet>();
        sheet->name = name;
        b.sheets.push_back(sheet);
        b.active = int(b.sheets.size()) - 1;
        return std::make_shared<FakeSheet>(m_app, m_book, sheet);
    }

private:
    Book &live()
    {
        m_app->call();
        if (!m_book->open)
            refuse(QStringLiteral("the workbook is closed"));
        return *m_book;
    }

    std::shared_ptr<FakeSpreadsheet> m_app;
    std::shared_ptr<Book> m_book;
};

} // namespace

QHash<QString, std::shared_ptr<FakeSpreadsheet::Book>> &FakeSpreadsheet::disk()
{
    static QHash<QString, std::shared_ptr<Book>> saved;
    return saved;
}

QString FakeSpreadsheet::bookName(const Book &book)
{
    return book.path.isEmpty() ? book.untitled : QFileInfo(book.path).fileName();
}

void FakeSpreadsheet::call()
{
    if (goneAfterCalls == 0)
        gone = true;
    if (goneAfterCalls > 0)
        --goneAfterCalls;
    if (gone)
        throw SpreadsheetError(QStringLiteral("the spreadsheet application has gone away"),
            SpreadsheetError::Kind::Gone);
}

WorkbookPtr FakeSpreadsheet::wrap(const std::shared_ptr<Book> &book)
{
    return std::make_shared<FakeBook>(shared_from_this(), book);
}

void FakeSpreadsheet::activate(const std::shared_ptr<Book> &book)
{
    m_active = book;
}

bool FakeSpreadsheet::close(const std::shared_ptr<Book> &book)
{
    if (m_events && m_handler && m_handler(wrap(book)))
        return false;
    book->open = false;
    std::erase(books, book);
    return true;
}

bool FakeSpreadsheet::userCloses(const std::shared_ptr<Book> &book)
{
    return close(book);
}

void FakeSpreadsheet::setVisible(bool visible)
{
    call();
    m_visible = visible;
}

bool FakeSpreadsheet::visible() const
{
    return m_visible;
}

void FakeSpreadsheet::sendKeys(const QString &keys)
{
    call();
    const QString k = keys.trimmed().toUpper();
    if (k != QLatin1String("{TAB}") && k != QLatin1String("{ESC}"))
        refuse(QStringLiteral("keys %1 cannot be sent to the spreadsheet").arg(keys));
    keysSent << k;
}

void FakeSpreadsheet::setDisplayAlerts(bool on)
{
    m_alerts = on;
}

bool FakeSpreadsheet::displayAlerts() const
{
    return m_alerts;
}

void FakeSpreadsheet::setEnableEvents(bool on)
{
    m_events = on;
}

bool FakeSpreadsheet::enableEvents() const
{
    return m_events;
}

void FakeSpreadsheet::save()
{
    call();
    for (const auto &b : books) {
        if (!b->path.isEmpty())
            disk().insert(b->path, copyOf(*b));
    }
}

void FakeSpreadsheet::quit()
{
    // Like Calc ending: nothing is asked, nothing is saved.
    for (const auto &b : books)
        b->open = false;
    books.clear();
    m_active.reset();
    m_selection.reset();
    ++quitCount;
}

WorkbooksPtr FakeSpreadsheet::workbooks()
{
    call();
    return WorkbooksPtr(shared_from_this(), static_cast<Workbooks *>(this));
}

WorkbookPtr FakeSpreadsheet::activeWorkbook()
{
    call();
    auto active = m_active.lock();
    if (!active || !active->open) {
        if (books.empty())
            refuse(QStringLiteral("no workbook is open"));
        active = books.back();
    }
    return wrap(active);
}

WorksheetPtr FakeSpreadsheet::activeSheet()
{
    return activeWorkbook()->activeSheet();
}

CellsPtr FakeSpreadsheet::cells()
{
    return activeSheet()->cells();
}

SheetShapePtr FakeSpreadsheet::selection()
{
    if (!m_selection)
        refuse(QStringLiteral("nothing is selected"));
    return std::make_shared<FakeShape>(shared_from_this(), m_selection);
}

void FakeSpreadsheet::setBeforeCloseHandler(BeforeCloseHandler handler)
{
    m_handler = std::move(handler);
}

int FakeSpreadsheet::count()
{
    call();
    return int(books.size());
}

WorkbookPtr FakeSpreadsheet::item(int index)
{
    call();
    if (index < 1 || index > int(books.size()))
        refuse(QStringLiteral("there is no workbook %1").arg(index));
    return wrap(books[size_t(index - 1)]);
}

WorkbookPtr FakeSpreadsheet::item(const QString &name)
{
    call();
    for (const auto &b : books) {
        const QString n = bookName(*b);
        if (n.compare(name, Qt::CaseInsensitive) == 0
            || QFileInfo(n).completeBaseName().compare(name, Qt::CaseInsensitive) == 0)
            return wrap(b);
    }
    refuse(QStringLiteral("there is no workbook named %1").arg(name));
}

WorkbookPtr FakeSpreadsheet::add()
{
    call();
    auto book = std::make_shared<Book>();
    book->untitled = QStringLiteral("Book%1").arg(++m_untitled);
    auto sheet = std::make_shared<Sheet>();
    sheet->name = QStringLiteral("Sheet1");
    book->sheets.push_back(sheet);
    books.push_back(book);
    m_active = book;
    return wrap(book);
}

WorkbookPtr FakeSpreadsheet::open(const QString &path)
{
    call();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const auto &b : books) {
        if (b->path == absolute) {
            m_active = b;
            return wrap(b);
        }
    }
    if (!QFileInfo(path).isFile())
        refuse(QStringLiteral("the workbook %1 does not exist").arg(path));
    const auto saved = disk().value(absolute);
    if (!saved)
        refuse(QStringLiteral("%1 is not a workbook").arg(path));
    auto book = copyOf(*saved);
    book->open = true;
    books.push_back(book);
    m_active = book;
    return wrap(book);
}
