// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillory {
class Preferences;
}

namespace quillory::cli {

// Paths given on standard input: one a line, or separated by NUL bytes (find -print0), which is the only
// way to pass names that hold line feeds. Empty entries are skipped; nothing else is trimmed, since
// blanks and carriage returns are valid in names.
std::vector<std::string> readPaths(std::istream& in, bool nulSeparated);

// Folders given with --allow join the allowed ones for this run only (made absolute; never stored).
void allowForThisRun(Preferences& preferences, const std::vector<std::string>& folders);

} // namespace quillory::cli
