#include "spreadsheet/CalcShape.h"

#include "spreadsheet/CalcConnection.h"
#include "spreadsheet/CalcConvert.h"
#include "spreadsheet/CalcWorkbook.h"

#include <QCoreApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/graphic/GraphicProvider.hpp>
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/io/XInputStream.hpp>
#include <com/sun/star/io/XSeekable.hpp>
#include <com/sun/star/io/XStream.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>

using namespace css;
using CalcConvert::hmmToPoints;
using CalcConvert::pointsToHmm;
using CalcConvert::toOUString;
using CalcConvert::toQString;

namespace {

// Pictures can carry a caption in Calc, but in a workbook a picture has no text.
uno::Reference<text::XText> textOf(const CalcShapeIndex::Entry &entry)
{
    uno::Reference<text::XText> text;
    if (!entry.picture)
        text.set(entry.shape, uno::UNO_QUERY);
    if (!text.is())
        throw SpreadsheetError(QCoreApplication::translate("CalcShape", "the shape holds no text"));
    return text;
}

} // namespace

CalcShape::CalcShape(std::shared_ptr<CalcWorkbook> book, std::shared_ptr<CalcShapeIndex> index,
    const CalcShapeIndex::Entry &entry)
    : m_book(std::move(book)), m_index(std::move(index)), m_entry(entry)
{ }

QString CalcShape::name()
{
    return m_book->call([&] {
        return toQString(
            uno::Reference<container::XNamed>(m_entry.shape, uno::UNO_QUERY_THROW)->getName());
    });
}

void CalcShape::setName(const QString &name)
{
    m_book->call([&] {
        uno::Reference<container::XNamed>(m_entry.shape, uno::UNO_QUERY_THROW)
            ->setName(toOUString(name));
        m_index->renamed(m_entry.shape, name);
    });
}

QRectF CalcShape::geometry()
{
    return m_book->call([&] {
        const awt::Point p = m_entry.shape->getPosition();
        const awt::Size s = m_entry.shape->getSize();
        return QRectF(
            hmmToPoints(p.X), hmmToPoints(p.Y), hmmToPoints(s.Width), hmmToPoints(s.Height));
    });
}

void CalcShape::setGeometry(const QRectF &points)
{
    if (points.width() < 0 || points.height() < 0)
        throw SpreadsheetError(QCoreApplication::translate("CalcShape", "a shape cannot have a negative size"));
    m_book->call([&] {
        m_entry.shape->setPosition(
            awt::Point(pointsToHmm(points.left()), pointsToHmm(points.top())));
        m_entry.shape->setSize(
            awt::Size(pointsToHmm(points.width()), pointsToHmm(points.height())));
    });
}

void CalcShape::remove()
{
    m_book->call([&] {
        uno::Reference<drawing::XShapes> shapes(m_index->page(), uno::UNO_QUERY_THROW);
        shapes->remove(m_entry.shape);
        m_index->removed(m_entry.shape);
    });
}

QImage CalcShape::picture()
{
    const QByteArray bytes = m_book->call([&] {
        uno::Reference<graphic::XGraphic> graphic;
        uno::Reference<beans::XPropertySet> properties(m_entry.shape, uno::UNO_QUERY);
        if (properties.is() && m_entry.picture)
            properties->getPropertyValue("Graphic") >>= graphic;
        if (!graphic.is())
            throw SpreadsheetError(QCoreApplication::translate("CalcShape", "the shape holds no picture"));
        auto context = m_book->connection().context();
        // The provider writes only into a stream it can seek; a plain output stream stays empty.
        uno::Reference<io::XStream> stream(context->getServiceManager()->createInstanceWithContext(
                                               "com.sun.star.comp.MemoryStream", context),
            uno::UNO_QUERY_THROW);
        graphic::GraphicProvider::create(context)->storeGraphic(graphic,
            CalcConvert::properties({{"OutputStream", uno::Any(stream)},
                {"MimeType", uno::Any(rtl::OUString("image/png"))}}));
        uno::Reference<io::XSeekable>(stream, uno::UNO_QUERY_THROW)->seek(0);
        auto input = stream->getInputStream();
        QByteArray out;
        uno::Sequence<sal_Int8> chunk;
        while (input->readBytes(chunk, 1 << 20) > 0)
            out.append(reinterpret_cast<const char *>(chunk.getConstArray()), chunk.getLength());
        return out;
    });
    QImage image = QImage::fromData(bytes, "PNG");
    if (image.isNull())
        throw SpreadsheetError(
            QCoreApplication::translate("CalcShape", "the picture could not be read from the spreadsheet"));
    return image;
}

void CalcShape::copyPicture()
{
    if (!qGuiApp)
        throw SpreadsheetError(QCoreApplication::translate("CalcShape", "there is no clipboard to copy to"));
    QGuiApplication::clipboard()->setImage(picture());
}

QString CalcShape::text()
{
    return m_book->call([&] { return toQString(textOf(m_entry)->getString()); });
}

int CalcShape::characterCount()
{
    return m_book->call([&] { return static_cast<int>(textOf(m_entry)->getString().getLength()); });
}

void CalcShape::insertText(int start, const QString &text)
{
    m_book->call([&] {
        auto target = textOf(m_entry);
        const sal_Int32 length = target->getString().getLength();
        if (start < 1 || start > length + 1)
            throw SpreadsheetError(QCoreApplication::translate("CalcShape", "there is no character position %1").arg(start));
        auto cursor = target->createTextCursor();
        if (start == length + 1) {
            cursor->gotoEnd(false);
        } else {
            cursor->gotoStart(false);
            for (sal_Int32 left = start - 1; left > 0;) {
                const auto step = static_cast<sal_Int16>(std::min<sal_Int32>(left, 32767));
                cursor->goRight(step, false);
                left -= step;
            }
        }
        target->insertString(
            uno::Reference<text::XTextRange>(cursor.get()), toOUString(text), false);
    });
}
