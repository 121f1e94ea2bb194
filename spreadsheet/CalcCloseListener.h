#pragma once

#include <com/sun/star/util/XCloseListener.hpp>
#include <cppuhelper/implbase1.hxx>
#include <memory>

class CalcSession;

// Listens to every workbook of a session and to its window: asks the session before either closes
// (a veto keeps it open) and tells it when a workbook has gone. Called on the office's threads or
// inside our own call.
class CalcCloseListener : public cppu::WeakImplHelper1<css::util::XCloseListener>
{
public:
    explicit CalcCloseListener(std::weak_ptr<CalcSession> session) : m_session(std::move(session))
    { }

    void SAL_CALL queryClosing(const css::lang::EventObject &source, sal_Bool ownership) override;
    void SAL_CALL notifyClosing(const css::lang::EventObject &source) override;
    void SAL_CALL disposing(const css::lang::EventObject &source) override;

private:
    std::weak_ptr<CalcSession> m_session;
};
