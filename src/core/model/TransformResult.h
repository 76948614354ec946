// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/TransformError.h"

#include <optional>
#include <utility>
#include <variant>

namespace quillory {

// A value or a TransformError. Hot paths (quick passes over many files) return this instead of throwing.
template <typename T> class TransformResult {
public:
    TransformResult(T value) : data_(std::move(value)) {}
    TransformResult(TransformError error) : data_(std::move(error)) {}

    bool ok() const { return data_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(data_); }
    const T& value() const& { return std::get<0>(data_); }
    T&& value() && { return std::get<0>(std::move(data_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const TransformError& error() const { return std::get<1>(data_); }

private:
    std::variant<T, TransformError> data_;
};

// Success, or the TransformError that stopped the action for this file.
class TransformStatus {
public:
    TransformStatus() = default;
    TransformStatus(TransformError error) : error_(std::move(error)) {}
    static TransformStatus success() { return {}; }

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }
    const TransformError& error() const { return *error_; }

private:
    std::optional<TransformError> error_;
};

} // namespace quillory
