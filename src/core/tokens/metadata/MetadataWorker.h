// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillory::metadata {

// Sanitizer runtimes reserve terabytes of address space for their shadow memory, so sanitized builds run
// their workers without the address-space limit; the time limit still holds.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kAddressSpaceLimitApplies = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
inline constexpr bool kAddressSpaceLimitApplies = false;
#else
inline constexpr bool kAddressSpaceLimitApplies = true;
#endif
#else
inline constexpr bool kAddressSpaceLimitApplies = true;
#endif

// The loop of a metadata worker process: reads request frames from `input`, answers each with a report
// frame on `output`, until `input` ends (0) or carries something that is not a request (1). A request
// that runs far past its time limit ends the process by SIGALRM, in case nobody is left to kill it.
int runMetadataWorker(int input, int output);

} // namespace quillory::metadata
