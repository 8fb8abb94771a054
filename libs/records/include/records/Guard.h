/* The body of a C export. Each in-house library links its own C++ runtime, so no exception
   may leave one: any exception ends the call with `neutral`, the value that means "nothing
   done" to the caller. */
#ifndef KVX_GUARD_H
#define KVX_GUARD_H

template <typename Result, typename Body> Result Guard(Result neutral, const Body& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return neutral;
    }
}

template <typename Body> void Guard(const Body& body) noexcept
{
    try {
        body();
    } catch (...) {
    }
}

#endif
