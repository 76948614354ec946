// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/Transformable.h"

#include "app/Registry.h"

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

TransformStatus Transformable::transform(const TransformerProperties& properties, TransformScope scope, File& file,
                                         int index) {
    auto full = resolver(false);
    if (!full)
        return TransformError::fatal("Attribute resolution is not available", "No token resolver is registered.");
    return transformWith(properties, scope, file, index, *full);
}

TransformStatus Transformable::transformQuick(const TransformerProperties& properties, TransformScope scope,
                                              File& file, int index) {
    auto quick = resolver(true);
    if (!quick)
        return TransformError::fatal("Attribute resolution is not available", "No token resolver is registered.");
    return transformWith(properties, scope, file, index, *quick);
}

} // namespace quillory
