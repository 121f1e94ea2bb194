#include "spreadsheet/CalcCloseListener.h"

#include "spreadsheet/CalcSession.h"

#include <com/sun/star/util/CloseVetoException.hpp>

void CalcCloseListener::queryClosing(const css::lang::EventObject &source, sal_Bool)
{
    auto session = m_session.lock();
    if (session && session->keepOpen(source.Source))
        throw css::util::CloseVetoException("the workbook is kept open by Tabvale", nullptr);
}

void CalcCloseListener::notifyClosing(const css::lang::EventObject &source)
{
    if (auto session = m_session.lock())
        session->forget(source.Source);
}

void CalcCloseListener::disposing(const css::lang::EventObject &source)
{
    if (auto session = m_session.lock())
        session->forget(source.Source);
}
