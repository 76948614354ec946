// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/TransformableFactory.h"

#include "actions/InsertTransformer.h"
#include "actions/PrefixTransformer.h"
#include "actions/SelectTransformer.h"
#include "actions/SetTransformer.h"
#include "actions/SimpleTransformer.h"
#include "actions/SuffixTransformer.h"
#include "model/TransformerTypes.h"

#include <type_traits>

// Kinds written on other branches join the factory as soon as their headers are present.
#if __has_include("actions/NumberingTransformer.h")
#include "actions/NumberingTransformer.h"
#define QUILLORY_HAVE_NUMBERING 1
#endif
#if __has_include("actions/ConversionTransformer.h")
#include "actions/ConversionTransformer.h"
#define QUILLORY_HAVE_CONVERSION 1
#endif
#if __has_include("actions/TrimTransformer.h")
#include "actions/TrimTransformer.h"
#define QUILLORY_HAVE_TRIM 1
#endif
#if __has_include("actions/RegularExpressionTransformer.h")
#include "actions/RegularExpressionTransformer.h"
#define QUILLORY_HAVE_REGULAR_EXPRESSION 1
#endif

namespace quillory {
namespace {

template <typename Kind> std::unique_ptr<Transformable> make(std::string_view helpText, const TransformerState &state) {
    if constexpr (std::is_constructible_v<Kind, std::string, TransformerState>) {
        return std::make_unique<Kind>(std::string(helpText), state);
    } else {
        // A kind that knows its own help text.
        static_assert(std::is_constructible_v<Kind, TransformerState>,
                      "an action kind is made from the record's state");
        return std::make_unique<Kind>(state);
    }
}

} // namespace

std::unique_ptr<Transformable> makeTransformable(const Transformer &transformer) {
    const TransformerTypeInfo *info = transformerTypeInfo(transformer.type);
    if (!info)
        return nullptr;
    const std::string_view type = info->typeId;
    const TransformerState &state = transformer.state;
    if (type == TransformerType::simple)
        return make<SimpleTransformer>(info->helpText, state);
    if (type == TransformerType::insert)
        return make<InsertTransformer>(info->helpText, state);
    if (type == TransformerType::prefix)
        return make<PrefixTransformer>(info->helpText, state);
    if (type == TransformerType::suffix)
        return make<SuffixTransformer>(info->helpText, state);
    if (type == TransformerType::set)
        return make<SetTransformer>(info->helpText, state);
    if (type == TransformerType::select)
        return make<SelectTransformer>(info->helpText, state);
#ifdef QUILLORY_HAVE_NUMBERING
    if (type == TransformerType::numbering)
        return make<NumberingTransformer>(info->helpText, state);
#endif
#ifdef QUILLORY_HAVE_CONVERSION
    if (type == TransformerType::conversion)
        return make<ConversionTransformer>(info->helpText, state);
#endif
#ifdef QUILLORY_HAVE_TRIM
    if (type == TransformerType::trim)
        return make<TrimTransformer>(info->helpText, state);
#endif
#ifdef QUILLORY_HAVE_REGULAR_EXPRESSION
    if (type == TransformerType::regularExpression)
        return make<RegularExpressionTransformer>(info->helpText, state);
#endif
    return nullptr;
}

} // namespace quillory
