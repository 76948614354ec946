// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/Directory.h"

#include "base/Cores.h"
#include "app/Logger.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FolderListings.h"
#include "text/Collation.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <thread>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {
namespace {

using Entry = Directory::Entry;

// Closes the directory stream however the reading ends.
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

enum class ListedOrder { ascending, descending, neither };

// Many volumes list a folder in the order its entries were made, or the reverse, and names are often
// made in order: such a listing needs one look, with one key at a time, and no sort. No two children
// are equal (the names differ), so the order is known from the first pair.
template <typename KeyInto>
ListedOrder listedOrder(const std::vector<Entry>& children, const KeyInto& keyInto) {
    std::string previous;
    std::string current;
    int direction = 0;
    if (!children.empty())
        keyInto(children.front().name, previous);
    for (std::size_t i = 1; i < children.size(); ++i) {
        keyInto(children[i].name, current);
        int order = previous.compare(current);
        if (order == 0)
            order = children[i - 1].name.compare(children[i].name);
        const int step = order < 0 ? 1 : -1;
        if (direction != 0 && step != direction)
            return ListedOrder::neither;
        direction = step;
        previous.swap(current);
    }
    return direction < 0 ? ListedOrder::descending : ListedOrder::ascending;
}

// In the collator's order, equal names by their bytes. Names made only of ASCII get keys of their own
// without ICU, once the reading is large enough to repay making that order (a few milliseconds, once);
// other folders get ICU's keys, made on two threads in a large folder (each has its own collator).
void sortNaturally(std::vector<Entry>& children, std::size_t namesBefore) {
    constexpr std::size_t largeFrom = text::AsciiCollation::worthMakingFrom; // also where two threads repay
    const auto covered = [](const Entry& child) { return text::AsciiCollation::covers(child.name); };
    const text::AsciiCollation* ascii = nullptr;
    if (namesBefore + children.size() >= largeFrom && std::all_of(children.begin(), children.end(), covered))
        ascii = text::defaultAsciiCollation();
    const auto keyInto = [ascii](const std::string& name, std::string& key) {
        if (ascii)
            ascii->keyInto(name, key);
        else
            key = text::localizedStandardSortKey(name);
    };
    switch (listedOrder(children, keyInto)) {
    case ListedOrder::ascending:
        return;
    case ListedOrder::descending:
        std::reverse(children.begin(), children.end());
        return;
    case ListedOrder::neither:
        break;
    }
    std::vector<std::string> keys(children.size());
    const auto makeKeys = [&children, &keys, &keyInto](std::size_t first, std::size_t end) {
        for (std::size_t i = first; i < end; ++i)
            keyInto(children[i].name, keys[i]);
    };
    if (!ascii && children.size() >= largeFrom && usableCores() > 1) {
        const std::size_t half = children.size() / 2;
        std::jthread second(makeKeys, half, children.size());
        makeKeys(0, half);
    } else {
        makeKeys(0, children.size());
    }
    // Positions are sorted, not the children: moving a name and its key costs more than comparing them.
    std::vector<std::uint32_t> order(children.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&children, &keys](std::uint32_t a, std::uint32_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : children[a].name < children[b].name;
    });
    std::vector<Entry> sorted;
    sorted.reserve(children.size());
    for (const std::uint32_t position : order)
        sorted.push_back(std::move(children[position]));
    children = std::move(sorted);
}

std::string childPath(const std::string& folder, const std::string& name) {
    if (folder == "/")
        return "/" + name;
    return folder + "/" + name;
}

} // namespace

Directory::Directory(std::string folderPath, std::shared_ptr<DirectoryValidator> validator)
    : url(fileUrlFromPath(folderPath, true)), path(std::move(folderPath)), name(lastPathComponent(path)),
      directoryValidator(std::move(validator)) {}

bool Directory::markVisited(VisitedFolders& visited, const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return true; // cannot be identified: let the reading report it
    return visited.insert({static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)}).second;
}

void Directory::load(LoadContext& context) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::unique_ptr<DIR, DirCloser> dir(fd >= 0 ? ::fdopendir(fd) : nullptr);
    if (!dir) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        Logger::error("Error reading directory: ", path, ": ", std::strerror(error));
        if (directoryValidator)
            directoryValidator->addRejectedDirectory({path, RejectionReason::error});
        return;
    }

    // Files and subfolders are kept apart: the list takes the folder's own files first, then each subfolder's.
    std::vector<Entry> folders;
    // The ASCII order costs ICU several milliseconds, once: a reading that will want it has it made
    // beside the rest of the reading. Joined before the reading ends.
    std::jthread asciiOrder;
    bool hasEntries = false;
    FolderListings::Reading listing;
    if (context.listings)
        listing.begin(fd);
    // readdir reports an error only through errno, so it is cleared before every call: a failed
    // fstatat below must not make a folder that was read in full look unreadable.
    for (errno = 0; const dirent* entry = ::readdir(dir.get()); errno = 0) {
        const char* entryName = entry->d_name;
        if (std::strcmp(entryName, ".") == 0 || std::strcmp(entryName, "..") == 0)
            continue;
        hasEntries = true;
        listing.add(entryName, FolderListings::listedInode(*entry));
        if (entryName[0] == '.' && !context.reading.includeHidden)
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat info {};
            if (::fstatat(::dirfd(dir.get()), entryName, &info, AT_SYMLINK_NOFOLLOW) != 0) {
                Logger::error("Error reading file attributes: ", std::strerror(errno));
                type = DT_REG;
            } else if (S_ISLNK(info.st_mode)) {
                type = DT_LNK;
            } else if (S_ISDIR(info.st_mode)) {
                type = DT_DIR;
            } else {
                type = DT_REG;
            }
        }
        (type == DT_DIR ? folders : files).push_back({entryName, type == DT_LNK});
        if (context.fileCount + files.size() + folders.size() == text::AsciiCollation::worthMakingFrom)
            asciiOrder = std::jthread([] {
                try {
                    text::defaultAsciiCollation();
                } catch (...) {
                    // Made again when the sort asks for it, where a failure has someone to go to.
                }
            });
    }
    if (errno != 0) {
        Logger::error("Error reading directory: ", path, ": ", std::strerror(errno));
        if (directoryValidator)
            directoryValidator->addRejectedDirectory({path, RejectionReason::error});
    } else if (context.listings) {
        context.listings->record(path, std::move(listing));
    }
    dir.reset();

    if (!hasEntries) {
        if (context.renameEmptyFolders) {
            files.push_back({std::string(), false});
            ++context.fileCount;
            if (context.emptyFolderListed)
                context.emptyFolderListed();
        }
        return;
    }
    isEmptyDirectory = false;

    // Directory order on Linux is arbitrary; numbering follows list order, so list names naturally.
    sortNaturally(files, context.fileCount);
    context.fileCount += files.size();
    sortNaturally(folders, context.fileCount);

    for (const Entry& child : folders) {
        if (context.stopToken.stop_requested())
            return;
        if (context.reading.depth && context.level >= *context.reading.depth)
            continue;
        const std::string location = childPath(path, child.name);
        if (!markVisited(context.visited, location))
            continue;
        // A real subfolder (links are listed, never followed) of an allowed folder is inside it: asking the
        // validator would resolve the whole path again at every level, which a deep tree pays for dearly.
        auto sub = std::make_shared<Directory>(location, directoryValidator);
        ++context.level;
        sub->load(context);
        --context.level;
        subDirectories.push_back(std::move(sub));
    }
    if (context.progress)
        context.progress(context.fileCount);
}

void Directory::produceFiles(const std::function<void(File&&)>& sink) {
    for (const auto& entry : files) {
        if (entry.name.empty())
            sink(File::fromUrl(url, false));
        else
            sink(File::inFolder(path, entry.name, entry.isAlias));
    }
    files = {};
    for (auto& sub : subDirectories)
        sub->produceFiles(sink);
    subDirectories = {};
}

std::vector<File> Directory::takeFiles() {
    std::vector<File> result;
    result.reserve(totalFileCount());
    produceFiles([&result](File&& file) { result.push_back(std::move(file)); });
    return result;
}

std::size_t Directory::totalFileCount() const {
    std::size_t total = files.size();
    for (const auto& sub : subDirectories)
        total += sub->totalFileCount();
    return total;
}

} // namespace quillory
