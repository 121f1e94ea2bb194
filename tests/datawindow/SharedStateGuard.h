#pragma once

// Puts the shared drag and viewer state back to how a new data window leaves it, on construction
// and again on destruction, and lets go of a mouse grab a failed test left behind; so every test
// starts clean whatever the one before it did.
class SharedStateGuard
{
public:
    SharedStateGuard() { reset(); }
    ~SharedStateGuard() { reset(); }
    SharedStateGuard(const SharedStateGuard &) = delete;
    SharedStateGuard &operator=(const SharedStateGuard &) = delete;

    static void reset();
};
