// A value, or the report of why there is none: the one shape of a result
// that can fail (the writers excepted, which report through OnError).
// `return value;` gives the value, `return Unexpected{report};` the failure.
#pragma once

#include "platform/Report.h"

#include <optional>
#include <utility>
#include <variant>

namespace tolvane::platform {

template <typename E> struct Unexpected { E error; };
template <typename E> Unexpected(E) -> Unexpected<E>;

template <typename T, typename E = Report> class [[nodiscard]] Expected {
public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <typename G>
    Expected(Unexpected<G> failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}

    bool HasValue() const { return state_.index() == 0; }
    explicit operator bool() const { return HasValue(); }

    // @pre HasValue()
    T& Value() & { return std::get<0>(state_); }
    const T& Value() const& { return std::get<0>(state_); }
    T&& Value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }

    // @pre !HasValue()
    E& Error() & { return std::get<1>(state_); }
    const E& Error() const& { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

// Success without a value.
template <typename E> class [[nodiscard]] Expected<void, E> {
public:
    Expected() = default;
    template <typename G> Expected(Unexpected<G> failure) : error_(std::move(failure.error)) {}

    bool HasValue() const { return !error_; }
    explicit operator bool() const { return HasValue(); }

    // @pre !HasValue()
    E& Error() & { return *error_; }
    const E& Error() const& { return *error_; }

private:
    std::optional<E> error_;
};

} // namespace tolvane::platform
