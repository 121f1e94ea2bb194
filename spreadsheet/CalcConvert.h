#pragma once

#include <QString>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Sequence.hxx>
#include <initializer_list>
#include <rtl/ustring.hxx>
#include <utility>

// Conversions between Qt and UNO values, and between points and the office's 1/100 mm.
namespace CalcConvert {

inline rtl::OUString toOUString(const QString &s)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode *>(s.utf16()), s.size());
}

inline QString toQString(const rtl::OUString &s)
{
    return QString(reinterpret_cast<const QChar *>(s.getStr()), s.getLength());
}

inline sal_Int32 pointsToHmm(double points)
{
    return static_cast<sal_Int32>(points * 2540.0 / 72.0 + (points < 0 ? -0.5 : 0.5));
}

inline double hmmToPoints(sal_Int32 hmm)
{
    return hmm * 72.0 / 2540.0;
}

rtl::OUString fileUrl(const QString &path);
QString fileNameOfUrl(const rtl::OUString &url);
QString localPathOfUrl(const rtl::OUString &url);

// The office's store filter for a file name, by its extension; raises for one it does not write.
rtl::OUString filterForPath(const QString &path);

css::uno::Sequence<css::beans::PropertyValue> properties(
    std::initializer_list<std::pair<const char *, css::uno::Any>> values);

} // namespace CalcConvert
