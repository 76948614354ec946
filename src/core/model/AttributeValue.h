// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/DateFormat.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace quillory {

// A value of a file attribute: text, an integer, a real number, a date, or a list of values
// (keywords, tags). Printing rules depend on the kind.
struct AttributeValue {
    using List = std::vector<AttributeValue>;
    std::variant<std::monostate, std::string, std::int64_t, double, Date, List> data;

    AttributeValue() = default;
    AttributeValue(std::string text) : data(std::move(text)) {}
    AttributeValue(const char* text) : data(std::string(text)) {}
    AttributeValue(std::int64_t number) : data(number) {}
    AttributeValue(int number) : data(std::int64_t(number)) {}
    AttributeValue(double number) : data(number) {}
    AttributeValue(Date date) : data(date) {}
    AttributeValue(List list) : data(std::move(list)) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(data); }
    const std::string* text() const { return std::get_if<std::string>(&data); }
    const std::int64_t* integer() const { return std::get_if<std::int64_t>(&data); }
    const double* real() const { return std::get_if<double>(&data); }
    const Date* date() const { return std::get_if<Date>(&data); }
    const List* list() const { return std::get_if<List>(&data); }

    bool operator==(const AttributeValue&) const = default;
};

} // namespace quillory
