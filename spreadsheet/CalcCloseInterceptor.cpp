#include "CalcCloseInterceptor.h"

#include "CalcSession.h"

#include <com/sun/star/frame/DispatchDescriptor.hpp>
#include <com/sun/star/frame/XStatusListener.hpp>
#include <com/sun/star/util/URL.hpp>

using namespace css;

namespace {

const char *const closingCommands[] = {".uno:CloseDoc", ".uno:CloseWin", ".uno:CloseFrame"};

bool closes(const util::URL &url)
{
    for (const char *command : closingCommands) {
        if (url.Complete.equalsAscii(command))
            return true;
    }
    return false;
}

} // namespace

uno::Reference<frame::XDispatch> CalcCloseInterceptor::slaveDispatch(const util::URL &url)
{
    uno::Reference<frame::XDispatchProvider> slave;
    {
        std::lock_guard lock(m_mutex);
        slave = m_slave;
    }
    return slave.is() ? slave->queryDispatch(url, "", 0) : nullptr;
}

uno::Reference<frame::XDispatch> CalcCloseInterceptor::queryDispatch(const util::URL &url,
                                                                     const rtl::OUString &target, sal_Int32 flags)
{
    if (closes(url))
        return this;
    uno::Reference<frame::XDispatchProvider> slave;
    {
        std::lock_guard lock(m_mutex);
        slave = m_slave;
    }
    return slave.is() ? slave->queryDispatch(url, target, flags) : nullptr;
}

uno::Sequence<uno::Reference<frame::XDispatch>>
CalcCloseInterceptor::queryDispatches(const uno::Sequence<frame::DispatchDescriptor> &requests)
{
    uno::Sequence<uno::Reference<frame::XDispatch>> result(requests.getLength());
    auto *out = result.getArray();
    for (sal_Int32 i = 0; i < requests.getLength(); ++i)
        out[i] = queryDispatch(requests[i].FeatureURL, requests[i].FrameName, requests[i].SearchFlags);
    return result;
}

uno::Reference<frame::XDispatchProvider> CalcCloseInterceptor::getSlaveDispatchProvider()
{
    std::lock_guard lock(m_mutex);
    return m_slave;
}

void CalcCloseInterceptor::setSlaveDispatchProvider(const uno::Reference<frame::XDispatchProvider> &p)
{
    std::lock_guard lock(m_mutex);
    m_slave = p;
}

uno::Reference<frame::XDispatchProvider> CalcCloseInterceptor::getMasterDispatchProvider()
{
    std::lock_guard lock(m_mutex);
    return m_master;
}

void CalcCloseInterceptor::setMasterDispatchProvider(const uno::Reference<frame::XDispatchProvider> &p)
{
    std::lock_guard lock(m_mutex);
    m_master = p;
}

uno::Sequence<rtl::OUString> CalcCloseInterceptor::getInterceptedURLs()
{
    uno::Sequence<rtl::OUString> urls(std::size(closingCommands));
    auto *out = urls.getArray();
    for (const char *command : closingCommands)
        *out++ = rtl::OUString::createFromAscii(command);
    return urls;
}

void CalcCloseInterceptor::dispatch(const util::URL &url, const uno::Sequence<beans::PropertyValue> &arguments)
{
    if (auto session = m_session.lock(); session && session->keepOpen(m_frame))
        return;
    if (auto next = slaveDispatch(url); next.is())
        next->dispatch(url, arguments);
}

// The menu entries keep the state Calc gives them.
void CalcCloseInterceptor::addStatusListener(const uno::Reference<frame::XStatusListener> &listener,
                                             const util::URL &url)
{
    if (auto next = slaveDispatch(url); next.is())
        next->addStatusListener(listener, url);
}

void CalcCloseInterceptor::removeStatusListener(const uno::Reference<frame::XStatusListener> &listener,
                                                const util::URL &url)
{
    if (auto next = slaveDispatch(url); next.is())
        next->removeStatusListener(listener, url);
}
