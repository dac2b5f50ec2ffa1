#pragma once
// The one guard of the library boundary: exported members that allocate run
// their work through it, so nothing thrown (a failed allocation, mostly)
// reaches the program. The failure handler undoes what the work left half
// done and gives the member's failure result.
#include <utility>

namespace sorvane::model {

template <typename Work, typename OnFailure>
auto GuardedCall(Work&& work, OnFailure&& onFailure) noexcept -> decltype(work())
{
    try {
        return std::forward<Work>(work)();
    } catch (...) {
        return std::forward<OnFailure>(onFailure)();
    }
}

// The same with a fixed failure result.
template <typename Work, typename Result>
auto GuardedResult(Result failure, Work&& work) noexcept -> decltype(work())
{
    return GuardedCall(std::forward<Work>(work), [&] { return static_cast<decltype(work())>(failure); });
}

} // namespace sorvane::model
