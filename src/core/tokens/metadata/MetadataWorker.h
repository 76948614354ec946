// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillory::metadata {

// The loop of a metadata worker process: reads request frames from `input`, answers each with a report
// frame on `output`, until `input` ends (0) or carries something that is not a request (1). A request
// that runs far past its time limit ends the process by SIGALRM, in case nobody is left to kill it.
int runMetadataWorker(int input, int output);

} // namespace quillory::metadata
