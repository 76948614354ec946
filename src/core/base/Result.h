// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace quillory {

// A failure carried as a value: the message shown or logged.
struct Error {
    std::string message;
};

// A value or an error. The core reports recoverable failures this way instead of throwing; the rename
// actions use the same shape with their own error type.
template <typename T, typename E = Error> class [[nodiscard]] Result {
public:
    Result(T value) : data_(std::move(value)) {}
    Result(E error) : data_(std::move(error)) {}

    bool ok() const { return data_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(data_); }
    const T& value() const& { return std::get<0>(data_); }
    T&& value() && { return std::get<0>(std::move(data_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const E& error() const { return std::get<1>(data_); }
    T valueOr(T fallback) const { return ok() ? value() : std::move(fallback); }

private:
    std::variant<T, E> data_;
};

// The result of an operation that yields nothing but may fail.
template <typename E = Error> class [[nodiscard]] BasicStatus {
public:
    BasicStatus() = default;
    BasicStatus(E error) : error_(std::move(error)) {}
    static BasicStatus success() { return {}; }

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const E& error() const { return *error_; }

private:
    std::optional<E> error_;
};

using Status = BasicStatus<Error>;

} // namespace quillory
