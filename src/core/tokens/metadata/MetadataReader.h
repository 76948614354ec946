// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tokens/metadata/MetadataReport.h"
#include "tokens/metadata/MetadataRequest.h"

namespace quillory {

// Reads what the request asks for with the image and media libraries and our own ID3 and FLAC readers,
// in this process. Never fails: what cannot be read is absent. Crafted files can make the libraries
// loop or grow without bound, so the application calls this only inside a metadata worker process.
MetadataReport readMetadata(const MetadataRequest& request);

} // namespace quillory
