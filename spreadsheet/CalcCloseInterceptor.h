#pragma once

#include <com/sun/star/frame/XDispatch.hpp>
#include <com/sun/star/frame/XDispatchProviderInterceptor.hpp>
#include <com/sun/star/frame/XInterceptorInfo.hpp>
#include <cppuhelper/implbase3.hxx>

#include <memory>
#include <mutex>

class CalcSession;

// Sits in front of a workbook window's commands and takes only the ones that close it (Close in the
// File and Window menus and their shortcuts): Calc closes the window for those without asking the
// window's close listeners, and a veto from the document comes too late to keep the window. The
// session is asked first; the command goes on to Calc only when it lets the workbook close.
class CalcCloseInterceptor
    : public cppu::WeakImplHelper3<css::frame::XDispatchProviderInterceptor, css::frame::XInterceptorInfo,
                                   css::frame::XDispatch>
{
public:
    CalcCloseInterceptor(std::weak_ptr<CalcSession> session, css::uno::Reference<css::uno::XInterface> frame)
        : m_session(std::move(session)), m_frame(std::move(frame))
    {
    }

    // XDispatchProvider
    css::uno::Reference<css::frame::XDispatch> SAL_CALL queryDispatch(const css::util::URL &url,
                                                                       const rtl::OUString &target,
                                                                       sal_Int32 flags) override;
    css::uno::Sequence<css::uno::Reference<css::frame::XDispatch>> SAL_CALL
    queryDispatches(const css::uno::Sequence<css::frame::DispatchDescriptor> &requests) override;
    // XDispatchProviderInterceptor
    css::uno::Reference<css::frame::XDispatchProvider> SAL_CALL getSlaveDispatchProvider() override;
    void SAL_CALL setSlaveDispatchProvider(const css::uno::Reference<css::frame::XDispatchProvider> &p) override;
    css::uno::Reference<css::frame::XDispatchProvider> SAL_CALL getMasterDispatchProvider() override;
    void SAL_CALL setMasterDispatchProvider(const css::uno::Reference<css::frame::XDispatchProvider> &p) override;
    // XInterceptorInfo: only these commands are routed here, so the office does not ask this
    // process about every toolbar state.
    css::uno::Sequence<rtl::OUString> SAL_CALL getInterceptedURLs() override;
    // XDispatch, for the closing commands
    void SAL_CALL dispatch(const css::util::URL &url,
                           const css::uno::Sequence<css::beans::PropertyValue> &arguments) override;
    void SAL_CALL addStatusListener(const css::uno::Reference<css::frame::XStatusListener> &listener,
                                    const css::util::URL &url) override;
    void SAL_CALL removeStatusListener(const css::uno::Reference<css::frame::XStatusListener> &listener,
                                       const css::util::URL &url) override;

private:
    css::uno::Reference<css::frame::XDispatch> slaveDispatch(const css::util::URL &url);

    std::weak_ptr<CalcSession> m_session;
    css::uno::Reference<css::uno::XInterface> m_frame;
    std::mutex m_mutex; // the office calls in on its own threads
    css::uno::Reference<css::frame::XDispatchProvider> m_slave;
    css::uno::Reference<css::frame::XDispatchProvider> m_master;
};
