// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/Transformable.h"

#include "app/Registry.h"
#include "text/RegexTimeoutWatch.h"

namespace quillory {

TokenResolver* Transformable::resolver(bool quick) {
    if (!resolvers_) {
        auto shared = Registry::shared().get<TokenResolvers>();
        if (!shared)
            return nullptr;
        resolvers_ = *shared;
    }
    return (quick ? resolvers_->quick : resolvers_->full).get();
}

TransformError Transformable::timeoutError() {
    return TransformError::fatal("The pattern took too long",
                                 "A search pattern of this action ran past its time limit on this name. Patterns "
                                 "with nested repetitions such as (a+)+ can take for ever; simplify the pattern.");
}

TransformStatus Transformable::dispatch(const TransformerProperties& properties, TransformScope scope, File& file,
                                        int index, bool quick, std::stop_token stop) {
    auto chosen = resolver(quick);
    if (!chosen)
        return TransformError::fatal("Attribute resolution is not available", "No token resolver is registered.");
    return transformWith(properties, scope, file, index, *chosen, std::move(stop));
}

TransformStatus Transformable::transform(const TransformerProperties& properties, TransformScope scope, File& file,
                                         int index, std::stop_token stop) {
    const bool wasSelected = file.transformed.isSelected;
    const text::RegexTimeoutWatch watch;
    TransformStatus status = dispatch(properties, scope, file, index, false, std::move(stop));
    if (!watch.timedOut())
        return status;
    // The texts are guarded where they are written; the selection is the one other thing an action sets.
    file.transformed.isSelected = wasSelected;
    return timeoutError();
}

TransformStatus Transformable::transformQuick(const TransformerProperties& properties, TransformScope scope,
                                              File& file, int index, std::stop_token stop) {
    const bool wasSelected = file.transformed.isSelected;
    const text::RegexTimeoutWatch watch;
    TransformStatus status = dispatch(properties, scope, file, index, true, std::move(stop));
    if (!watch.timedOut())
        return status;
    file.transformed.isSelected = wasSelected;
    return timeoutError();
}

} // namespace quillory
