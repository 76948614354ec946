// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The metadata libraries print warnings about damaged files to the console on their own. Before the
// first use, their output is redirected to our Logger, once per process; safe to call from any thread.
namespace quillory::metadata {

void routeLibraryOutputToLogger();

} // namespace quillory::metadata
