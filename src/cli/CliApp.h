// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <stop_token>
#include <string>
#include <vector>

namespace quillory::cli {

// The whole command line tool behind main(): arguments in, exit code out. Output streams are passed
// in so tests can run it in-process.
int runCli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int runCli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err);
// `stop` is what Ctrl-C requests: the run ends between two files with nothing half-done.
int runCli(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err,
           std::stop_token stop);

} // namespace quillory::cli
