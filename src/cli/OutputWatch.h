// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <streambuf>

namespace quillory::cli {

// Stands between a stream and its buffer and keeps why a write failed: by the time the tool checks
// that its output arrived, errno tells of something else (standard error flushes standard output
// whenever it is written to).
class OutputWatch final : public std::streambuf {
public:
    // Takes the stream's place until destroyed; the stream's state is cleared both times.
    explicit OutputWatch(std::ostream& stream);
    ~OutputWatch() override;
    OutputWatch(const OutputWatch&) = delete;
    OutputWatch& operator=(const OutputWatch&) = delete;

    // errno of the first write that failed; 0 when none did, or when the buffer below did not say.
    int error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void failed();

    std::ostream& stream_;
    std::streambuf* target_;
    int error_ = 0;
};

} // namespace quillory::cli
