// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputWatch.h"

#include <cerrno>

namespace quillory::cli {

OutputWatch::OutputWatch(std::ostream& stream) : stream_(stream), target_(stream.rdbuf()) {
    stream_.rdbuf(this);
}

OutputWatch::~OutputWatch() {
    stream_.rdbuf(target_);
}

// errno is cleared before each write so that a failure is not blamed on an older call.
OutputWatch::int_type OutputWatch::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    errno = 0;
    const int_type written = target_->sputc(traits_type::to_char_type(c));
    if (traits_type::eq_int_type(written, traits_type::eof()))
        failed();
    return written;
}

std::streamsize OutputWatch::xsputn(const char* text, std::streamsize count) {
    errno = 0;
    const std::streamsize written = target_->sputn(text, count);
    if (written < count)
        failed();
    return written;
}

int OutputWatch::sync() {
    errno = 0;
    const int result = target_->pubsync();
    if (result != 0)
        failed();
    return result;
}

void OutputWatch::failed() {
    if (error_ == 0)
        error_ = errno;
}

} // namespace quillory::cli
