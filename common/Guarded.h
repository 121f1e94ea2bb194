#pragma once

#include <exception>
#include <type_traits>
#include <utility>

// The application's error display, for handlers that Qt calls from its own frames (an exception
// must not cross them) and for code that catches an error itself. An error ends the handler where
// it stands and is shown in a message box through Prompts; the window stays as far as it got.
namespace Guarded {

void showException(const std::exception &error);

// Runs a handler the way an event would.
template<typename F>
void run(F &&handler)
{
    try {
        std::forward<F>(handler)();
    } catch (const std::exception &error) {
        showException(error);
    }
}

// A slot for a Qt signal that runs handler guarded; signal arguments the handler does not take
// (clicked's checked) are dropped.
template<typename F>
auto slot(F handler)
{
    return [handler](auto &&...args) {
        run([&] {
            if constexpr (std::is_invocable_v<F, decltype(args)...>)
                handler(args...);
            else
                handler();
        });
    };
}

} // namespace Guarded
