#include "spreadsheet/CalcWorkbook.h"

#include "spreadsheet/CalcConvert.h"
#include "spreadsheet/CalcSession.h"
#include "spreadsheet/CalcShapeIndex.h"
#include "spreadsheet/CalcWorksheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

using namespace css;
using CalcConvert::toOUString;
using CalcConvert::toQString;

CalcWorkbook::CalcWorkbook(const std::shared_ptr<CalcSession> &session,
    const uno::Reference<frame::XModel> &model, const QString &untitledName, bool ours)
    : m_session(session), m_connection(session->connection()), m_model(model),
      m_untitledName(untitledName), m_ours(ours), m_generation(m_connection->generation())
{ }

void CalcWorkbook::adopt(std::weak_ptr<CalcLinkBound> child)
{
    // A sheet object is made for every look-up: forget the ones nobody holds now and then.
    if (m_children.size() >= m_childrenPruned) {
        std::erase_if(
            m_children, [](const std::weak_ptr<CalcLinkBound> &c) { return c.expired(); });
        m_childrenPruned = std::max<std::size_t>(16, 2 * m_children.size());
    }
    m_children.push_back(std::move(child));
}

void CalcWorkbook::releaseLink()
{
    m_released = true;
    for (const auto &c : m_children) {
        if (auto child = c.lock())
            child->releaseLink();
    }
    m_children.clear();
    m_model.clear();
    m_frame.clear();
    m_activeSheet.clear();
    m_formats.clear();
    m_shapeIndexes.clear();
}

std::shared_ptr<CalcSession> CalcWorkbook::session()
{
    auto s = m_session.lock();
    if (!s)
        throw SpreadsheetError(QCoreApplication::translate("CalcWorkbook", "the spreadsheet connection is closed"));
    return s;
}

QString CalcWorkbook::nameInCall()
{
    const rtl::OUString url = m_model->getURL();
    return url.isEmpty() ? m_untitledName : CalcConvert::fileNameOfUrl(url);
}

QString CalcWorkbook::fullNameInCall()
{
    const rtl::OUString url = m_model->getURL();
    return url.isEmpty() ? m_untitledName : CalcConvert::localPathOfUrl(url);
}

QString CalcWorkbook::name()
{
    {
        std::lock_guard lock(m_questionMutex);
        if (m_questionNames)
            return m_questionNames->first;
    }
    return call([&] { return nameInCall(); });
}

QString CalcWorkbook::fullName()
{
    {
        std::lock_guard lock(m_questionMutex);
        if (m_questionNames)
            return m_questionNames->second;
    }
    return call([&] { return fullNameInCall(); });
}

void CalcWorkbook::beginQuestion(const QString &name, const QString &fullName)
{
    std::lock_guard lock(m_questionMutex);
    m_questionNames.emplace(name, fullName);
}

void CalcWorkbook::endQuestion(bool letClose)
{
    std::lock_guard lock(m_questionMutex);
    m_questionNames.reset();
    if (letClose)
        m_closeApproved = std::chrono::steady_clock::now();
    else
        m_closeApproved.reset();
}

bool CalcWorkbook::closeJustApproved()
{
    std::lock_guard lock(m_questionMutex);
    return m_closeApproved
        && std::chrono::steady_clock::now() - *m_closeApproved < std::chrono::seconds(5);
}

uno::Reference<sheet::XSpreadsheetView> CalcWorkbook::view()
{
    return uno::Reference<sheet::XSpreadsheetView>(m_model->getCurrentController(), uno::UNO_QUERY);
}

void CalcWorkbook::activate()
{
    call([&] {
        if (session()->showsWindows() && session()->visible()) {
            if (auto controller = m_model->getCurrentController(); controller.is())
                controller->getFrame()->activate();
        }
    });
    session()->setActive(shared_from_this());
}

void CalcWorkbook::setActiveSheet(const uno::Reference<sheet::XSpreadsheet> &sheet)
{
    m_activeSheet = sheet;
    if (auto v = view(); v.is())
        v->setActiveSheet(sheet);
}

uno::Reference<sheet::XSpreadsheet> CalcWorkbook::activeSheetInCall()
{
    if (auto v = view(); v.is())
        return v->getActiveSheet();
    if (!m_activeSheet.is()) {
        uno::Reference<container::XIndexAccess> all(sheetContainer(), uno::UNO_QUERY_THROW);
        m_activeSheet.set(all->getByIndex(0), uno::UNO_QUERY_THROW);
    }
    return m_activeSheet;
}

WorksheetPtr CalcWorkbook::activeSheet()
{
    return call([&] { return wrap(activeSheetInCall()); });
}

namespace {

// The office reports a file it cannot write only by its own error codes.
SpreadsheetError notStored(const QString &path)
{
    return SpreadsheetError(QCoreApplication::translate("CalcWorkbook",
        "the spreadsheet application could not save the workbook “%1”: its folder may be "
        "read-only, the disk full, or the file in use by another program")
                                .arg(QDir::toNativeSeparators(path)));
}

} // namespace

void CalcWorkbook::saveAs(const QString &path)
{
    call([&] {
        uno::Reference<frame::XStorable> storable(m_model, uno::UNO_QUERY_THROW);
        try {
            storable->storeAsURL(CalcConvert::fileUrl(path),
                CalcConvert::properties({{"FilterName", uno::Any(CalcConvert::filterForPath(path))},
                    {"Overwrite", uno::Any(true)}}));
        } catch (const io::IOException &) {
            throw notStored(path);
        }
    });
}

void CalcWorkbook::save()
{
    call([&] {
        uno::Reference<frame::XStorable> storable(m_model, uno::UNO_QUERY_THROW);
        if (!storable->hasLocation())
            throw SpreadsheetError(
                QCoreApplication::translate("CalcWorkbook", "the workbook %1 has no file yet").arg(m_untitledName));
        try {
            storable->store();
        } catch (const io::IOException &) {
            throw notStored(fullNameInCall());
        }
    });
}

void CalcWorkbook::close()
{
    call([&] {
        uno::Reference<util::XCloseable> closeable(m_model, uno::UNO_QUERY_THROW);
        try {
            closeable->close(true);
        } catch (const util::CloseVetoException &) {
            throw SpreadsheetError(QCoreApplication::translate("CalcWorkbook", "the workbook was kept open"));
        }
    });
    session()->forget(m_model);
}

SheetsPtr CalcWorkbook::sheets()
{
    return SheetsPtr(shared_from_this(), static_cast<Sheets *>(this));
}

uno::Reference<sheet::XSpreadsheets> CalcWorkbook::sheetContainer()
{
    uno::Reference<sheet::XSpreadsheetDocument> document(m_model, uno::UNO_QUERY_THROW);
    auto container = document->getSheets();
    // A closed document answers with no sheets at all.
    if (!container.is())
        throw SpreadsheetError(QCoreApplication::translate("CalcWorkbook", "the workbook is closed"));
    return container;
}

WorksheetPtr CalcWorkbook::wrap(const uno::Reference<sheet::XSpreadsheet> &sheet)
{
    auto worksheet = std::make_shared<CalcWorksheet>(shared_from_this(), sheet);
    adopt(worksheet);
    return worksheet;
}

int CalcWorkbook::count()
{
    return call([&] {
        uno::Reference<container::XIndexAccess> all(sheetContainer(), uno::UNO_QUERY_THROW);
        return static_cast<int>(all->getCount());
    });
}

WorksheetPtr CalcWorkbook::item(int index)
{
    return call([&] {
        uno::Reference<container::XIndexAccess> all(sheetContainer(), uno::UNO_QUERY_THROW);
        if (index < 1 || index > all->getCount())
            throw SpreadsheetError(QCoreApplication::translate("CalcWorkbook", "there is no sheet %1").arg(index));
        return wrap(
            uno::Reference<sheet::XSpreadsheet>(all->getByIndex(index - 1), uno::UNO_QUERY_THROW));
    });
}

WorksheetPtr CalcWorkbook::item(const QString &name)
{
    return call([&] {
        auto container = sheetContainer();
        // Calc refuses two names that differ only in case, so at most one matches.
        for (const rtl::OUString &n : container->getElementNames()) {
            if (toQString(n).compare(name, Qt::CaseInsensitive) == 0)
                return wrap(uno::Reference<sheet::XSpreadsheet>(
                    container->getByName(n), uno::UNO_QUERY_THROW));
        }
        throw SpreadsheetError(QCoreApplication::translate("CalcWorkbook", "there is no sheet named %1").arg(name));
    });
}

WorksheetPtr CalcWorkbook::add()
{
    auto sheet = call([&] {
        auto container = sheetContainer();
        const auto names = container->getElementNames();
        QString name;
        for (int n = 1;; ++n) {
            name = QStringLiteral("Sheet%1").arg(n);
            bool used = false;
            for (const rtl::OUString &existing : names)
                used = used || toQString(existing).compare(name, Qt::CaseInsensitive) == 0;
            if (!used)
                break;
        }
        container->insertNewByName(toOUString(name), static_cast<sal_Int16>(names.getLength()));
        uno::Reference<sheet::XSpreadsheet> added(
            container->getByName(toOUString(name)), uno::UNO_QUERY_THROW);
        setActiveSheet(added);
        return wrap(added);
    });
    return sheet;
}

std::shared_ptr<CalcShapeIndex> CalcWorkbook::shapeIndex(
    const uno::Reference<sheet::XSpreadsheet> &sheet)
{
    const uno::Reference<uno::XInterface> key(sheet, uno::UNO_QUERY);
    for (const auto &[s, index] : m_shapeIndexes) {
        if (s == key)
            return index;
    }
    // The document's draw pages run parallel to its sheets.
    const sal_Int16 position
        = uno::Reference<sheet::XCellRangeAddressable>(sheet, uno::UNO_QUERY_THROW)
              ->getRangeAddress()
              .Sheet;
    uno::Reference<drawing::XDrawPagesSupplier> supplier(m_model, uno::UNO_QUERY_THROW);
    uno::Reference<drawing::XDrawPage> page(
        supplier->getDrawPages()->getByIndex(position), uno::UNO_QUERY_THROW);
    auto index = std::make_shared<CalcShapeIndex>(page);
    m_shapeIndexes.emplace_back(key, index);
    return index;
}

const uno::Reference<util::XNumberFormats> &CalcWorkbook::numberFormats()
{
    if (!m_formats.is()) {
        uno::Reference<util::XNumberFormatsSupplier> supplier(m_model, uno::UNO_QUERY_THROW);
        m_formats = supplier->getNumberFormats();
    }
    return m_formats;
}

sal_Int16 CalcWorkbook::formatKind(sal_Int32 key)
{
    if (auto it = m_formatKinds.find(key); it != m_formatKinds.end())
        return it->second;
    sal_Int16 kind = 0;
    if (auto properties = numberFormats()->getByKey(key); properties.is())
        properties->getPropertyValue("Type") >>= kind;
    m_formatKinds.emplace(key, kind);
    return kind;
}

sal_Int32 CalcWorkbook::standardFormat(sal_Int16 kind)
{
    if (auto it = m_standardFormats.find(kind); it != m_standardFormats.end())
        return it->second;
    uno::Reference<util::XNumberFormatTypes> types(numberFormats(), uno::UNO_QUERY_THROW);
    const sal_Int32 key = types->getStandardFormat(kind, lang::Locale());
    m_standardFormats.emplace(kind, key);
    m_formatKinds.emplace(key, kind);
    return key;
}

QDate CalcWorkbook::nullDate()
{
    if (m_nullDate.isValid())
        return m_nullDate;
    uno::Reference<util::XNumberFormatsSupplier> supplier(m_model, uno::UNO_QUERY_THROW);
    util::Date d;
    if (supplier->getNumberFormatSettings()->getPropertyValue("NullDate") >>= d)
        m_nullDate = QDate(d.Year, d.Month, d.Day);
    if (!m_nullDate.isValid())
        m_nullDate = QDate(1899, 12, 30);
    return m_nullDate;
}
