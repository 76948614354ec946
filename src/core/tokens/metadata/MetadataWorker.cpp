// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MetadataWorker.h"

#include "tokens/metadata/MetadataReader.h"
#include "tokens/metadata/MetadataWireFormat.h"

#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace quillory::metadata {

namespace {

bool readExactly(int fd, char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t got = ::read(fd, data, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// The parent kills an overrunning worker itself; this alarm only ends one whose parent has gone.
void armWatchdog(std::uint32_t timeLimitMs) {
    itimerval timer{};
    if (timeLimitMs > 0)
        timer.it_value.tv_sec = static_cast<time_t>(timeLimitMs / 1000 * 4 + 10);
    ::setitimer(ITIMER_REAL, &timer, nullptr);
}

} // namespace

int runMetadataWorker(int input, int output) {
    if (!writeAll(output, encodeHello()))
        return 1;
    std::string header(kFrameHeaderSize, '\0');
    std::string payload;
    while (readExactly(input, header.data(), header.size())) {
        const auto length = framePayloadLength(header);
        if (!length)
            return 1;
        payload.resize(*length);
        if (!readExactly(input, payload.data(), payload.size()))
            return 1;
        const auto request = decodeRequest(payload);
        if (!request)
            return 1;
        armWatchdog(request->timeLimitMs);
        const std::string reply = encodeReport(readMetadata(*request));
        armWatchdog(0);
        if (!writeAll(output, reply))
            return 1;
    }
    return 0;
}

} // namespace quillory::metadata
