#include "common/InputPictureWindow.h"

namespace InputPictureWindow {

namespace {
Handlers &installed()
{
    static Handlers handlers;
    return handlers;
}

void call(const std::function<void()> &handler)
{
    if (handler)
        handler();
}
} // namespace

void install(Handlers handlers)
{
    installed() = std::move(handlers);
}

void open()
{
    call(installed().open);
}

void close()
{
    call(installed().close);
}

void free()
{
    call(installed().free);
}

} // namespace InputPictureWindow
