// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/AttributeLoader.h"
#include "tokens/FileAttributeUtil.h"
#include "tokens/TokenResolvers.h"

#include <functional>
#include <memory>

namespace quillory {

class FileAttributesWorker;
class GPSAddressResolver;
class Registry;
class TokenDetailsList;
class TransformerEngine;

// The attribute layer as the engine needs it: the reader of attribute maps and the two resolvers
// built over it.
struct AttributeServices {
    std::shared_ptr<const TokenDetailsList> catalogue;
    std::shared_ptr<FileAttributeUtil> reader;
    TokenResolvers resolvers; // full and quick AttributeResolver
    AttributeLoader loader;

    // `gps` may be null: the GPS address tokens then give the empty text.
    static AttributeServices make(std::shared_ptr<const TokenDetailsList> catalogue,
                                  std::shared_ptr<GPSAddressResolver> gps = nullptr);
};

// Hands the resolvers and the loader to the engine, tells it whether a preload is running, and, when
// a registry is given, registers the resolvers there for actions made outside the engine.
void wireAttributes(TransformerEngine& engine, FileAttributesWorker& worker, const AttributeServices& services,
                    Registry* registry = nullptr);

} // namespace quillory
