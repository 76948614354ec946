// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/AttributeServices.h"

#include "app/Registry.h"
#include "engine/TransformerEngine.h"
#include "tokens/AttributeResolver.h"
#include "engine/FileAttributesWorker.h"
#include "model/TokenDetailsList.h"
#include "tokens/gps/GPSAddressResolver.h"

namespace quillory {

AttributeServices AttributeServices::make(std::shared_ptr<const TokenDetailsList> catalogue,
                                          std::shared_ptr<GPSAddressResolver> gps) {
    AttributeServices services;
    services.catalogue = catalogue;
    services.reader = std::make_shared<FileAttributeUtil>(std::move(catalogue));
    services.loader = [reader = services.reader](const File& file, AttributeSources sources) {
        return reader->load(file, sources);
    };
    services.resolvers.full =
        std::make_shared<AttributeResolver>(AttributeResolver::Mode::full, services.loader, gps);
    services.resolvers.quick =
        std::make_shared<AttributeResolver>(AttributeResolver::Mode::quick, services.loader, std::move(gps));
    return services;
}

void wireAttributes(TransformerEngine& engine, FileAttributesWorker& worker, const AttributeServices& services,
                    Registry* registry) {
    engine.setResolvers(services.resolvers);
    engine.setAttributeLoader(services.loader);
    engine.setPreloadRunning([&worker] { return worker.isRunning(); });
    engine.setPreloadStarter([&worker](AttributeSources sources) { return worker.preloadMissing(sources); });
    if (registry)
        registry->add(std::make_shared<TokenResolvers>(services.resolvers), "TokenResolvers");
}

} // namespace quillory
