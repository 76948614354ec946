// SPDX-License-Identifier: GPL-3.0-or-later
#include "rename/FileValidator.h"

#include "base/Cores.h"
#include "rename/FolderCase.h"
#include "rename/MovePlan.h"
#include "rename/PosixFileSystem.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/PreferenceKey.h"
#include "app/Preferences.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "filelist/FolderListings.h"
#include "model/File.h"
#include "rename/PositionTable.h"
#include "text/Characters.h"
#include "text/Regex.h"
#include "text/Utf.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace quillory {
namespace {

constexpr std::size_t kMaximumComponentBytes = 255;
constexpr std::size_t kMaximumNameCharacters = 255;

const char* const kFilenameEmpty = "Filename is empty";
const char* const kFilenameTooLong = "Filename is longer than 255 characters";
const char* const kFilenameTooManyBytes = "Filename is longer than 255 bytes";
const char* const kInvalidCharacters = "Filename contains invalid characters";
const char* const kFolderNameTooManyBytes = "Folder names cannot exceed 255 bytes each";
const char* const kTraversal = "Path cannot contain \".\" or \"..\" components";
const char* const kValidationFailed = "Validation Failed";
const char* const kFolderIntoItself = "A folder cannot be moved into itself";

// The item on the way to a target folder that is there but is no folder (nor a link to one), such as
// "notes.txt" for "notes.txt/a.jpg": the folder can never be made. Files of one folder come in runs,
// so each worker remembers its last answer.
struct FolderWayCache {
    std::string folder;
    std::string blocker;
};

// The listing of each folder that targets go to, when one may answer for it (looked up once per folder).
class ListedFolders {
public:
    ListedFolders(const FolderListings* listings, FileSystem& disk) : listings_(listings), disk_(disk) {}

    // True when the folder was listed, is unchanged since, and held no entry of the target's name.
    bool knownFree(const std::string& target) {
        const auto slash = target.rfind('/');
        if (!listings_ || slash == std::string::npos)
            return false;
        const std::string_view folder = slash == 0 ? std::string_view("/") : std::string_view(target).substr(0, slash);
        if (!last_ || last_->first != folder) {
            auto found = folders_.find(folder);
            if (found == folders_.end()) {
                std::string key(folder);
                // Names differ there in more than their bytes.
                auto listing = disk_.ignoresCase(key) ? nullptr : listings_->current(key);
                found = folders_.emplace(std::move(key), std::move(listing)).first;
            }
            last_ = &*found;
        }
        return last_->second && !last_->second->mayHold(std::string_view(target).substr(slash + 1));
    }

private:
    using Entry = std::pair<const std::string, std::shared_ptr<const FolderListings::Listing>>;
    const FolderListings* listings_;
    FileSystem& disk_;
    std::map<std::string, std::shared_ptr<const FolderListings::Listing>, std::less<>> folders_;
    const Entry* last_ = nullptr;
};

const std::string& blockingItem(FileSystem& disk, const std::string& folder, FolderWayCache& cache) {
    if (!cache.folder.empty() && cache.folder == folder)
        return cache.blocker;
    cache.folder = folder;
    cache.blocker.clear();
    // Up to the first folder that is there; "x/" is a folder only when x is one or leads to one (a link
    // that leads nowhere, or to itself, is no folder).
    for (std::string at = folder; !at.empty() && at != "/"; at = std::string(enclosingFolder(at))) {
        if (const auto item = disk.identify(at + "/"); item && item->isFolder)
            break;
        if (disk.exists(at)) {
            cache.blocker = at;
            break;
        }
    }
    return cache.blocker;
}

// "^\s*$" with anchors at line breaks, compiled once per thread (chunks run in parallel).
const Result<text::Regex>& blankLinePattern() {
    thread_local const Result<text::Regex> pattern =
        text::Regex::compile(std::string_view("^\\s*$"), text::RegexOptions{false, true, false});
    return pattern;
}

bool isAsciiSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isLineBreak(unsigned char c) { return c >= '\n' && c <= '\r'; }

// Whether the name is empty or holds a line of nothing but white space. Plain ASCII names without
// line breaks are decided without the regular expression, which is by far the common case.
std::optional<bool> isBlank(const std::string& name) {
    if (name.empty())
        return true;
    bool ascii = true;
    bool breaks = false;
    bool allSpace = true;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        ascii = ascii && c < 0x80;
        breaks = breaks || isLineBreak(c);
        allSpace = allSpace && isAsciiSpace(c);
    }
    if (ascii && !breaks)
        return allSpace;
    const auto& pattern = blankLinePattern();
    if (!pattern.ok())
        return std::nullopt;
    return pattern->contains(text::toUtf16(name));
}

std::size_t nameCharacters(const std::string& name, const std::string& ext) {
    // A character takes at least one byte: short texts need no counting.
    if (name.size() + ext.size() <= kMaximumNameCharacters)
        return name.size() + ext.size();
    return text::characterCount(name) + text::characterCount(ext);
}

bool hasInvalidCharacters(const FileTransform& transform) {
    const std::string& name = transform.transformedName;
    const std::string& ext = transform.transformedExt;
    // A NUL would cut the name short on its way to the system; a "/" would put the file into another
    // folder (or above its own, with ".."); "." and ".." name folders that already exist. One look at
    // each byte: find_first_of searches its set once a byte.
    const auto nulOrSlash = [](char c) { return c == '\0' || c == '/'; };
    const auto lineOrTab = [](char c) { return c == '\t' || c == '\r' || c == '\n'; };
    if (std::any_of(name.begin(), name.end(), [&](char c) { return nulOrSlash(c) || lineOrTab(c); }) ||
        std::any_of(ext.begin(), ext.end(), nulOrSlash) || transform.transformedPath.find('\0') != std::string::npos)
        return true;
    return ext.empty() && (name == "." || name == "..");
}

// The byte limits of Linux and the "." / ".." components that would escape the allowed folders.
void addPathComponentErrors(const std::string& path, std::set<std::string>& errors) {
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view piece(path.data() + start, slash - start);
        if (piece == "." || piece == "..")
            errors.insert(kTraversal);
        if (piece.size() > kMaximumComponentBytes)
            errors.insert(kFolderNameTooManyBytes);
        start = slash + 1;
    }
}

// The path rules depend only on the new and the original path, which runs of files in one folder
// share: each worker remembers the last answer.
struct PathRuleCache {
    bool valid = false;
    std::string path;
    std::string sourcePath;
    std::set<std::string> messages;
};

void addPathErrors(const File& file, const DirectoryValidator& directoryValidator, PathRuleCache* cache,
                   TextSet& errors) {
    const std::string& path = file.transformed.transformedPath;
    if (cache && cache->valid && cache->path == path && cache->sourcePath == file.source.path) {
        errors.insert(cache->messages.begin(), cache->messages.end());
        return;
    }
    std::set<std::string> messages = directoryValidator.validatePath(path, file.source.path);
    addPathComponentErrors(path, messages);
    errors.insert(messages.begin(), messages.end());
    if (cache)
        *cache = PathRuleCache{true, path, file.source.path, std::move(messages)};
}

void validateOneFile(File& file, const DirectoryValidator& directoryValidator, PathRuleCache* cache);

std::string extensionPart(const std::string& ext) {
    if (ext.empty())
        return {};
    return ext.front() == '.' ? ext : "." + ext;
}

} // namespace

FileValidator::FileValidator(FileDataSource* fileDataSource, Preferences* preferences,
                             NotificationCenter* notifications, std::shared_ptr<DirectoryValidator> directoryValidator)
    : _fileDataSource(fileDataSource), preferences_(preferences), notifications_(notifications),
      directoryValidator_(directoryValidator ? std::move(directoryValidator)
                                             : std::make_shared<DirectoryValidator>(preferences)) {}

FileValidator::~FileValidator() = default;

void FileValidator::validateFile(File& file, const DirectoryValidator& directoryValidator) {
    validateOneFile(file, directoryValidator, nullptr);
}

namespace {
void validateOneFile(File& file, const DirectoryValidator& directoryValidator, PathRuleCache* cache) {
    const FileTransform& transform = file.transformed;
    TextSet& errors = file.validation.errors;

    const auto blank = isBlank(transform.transformedName);
    if (!blank) {
        errors.insert(kValidationFailed);
        return;
    }
    if (!file.source.name.empty() && *blank)
        errors.insert(kFilenameEmpty);
    if (nameCharacters(transform.transformedName, transform.transformedExt) > kMaximumNameCharacters)
        errors.insert(kFilenameTooLong);
    if (transform.transformedName.size() + extensionPart(transform.transformedExt).size() > kMaximumComponentBytes)
        errors.insert(kFilenameTooManyBytes);
    if (hasInvalidCharacters(transform))
        errors.insert(kInvalidCharacters);
    if (MovePlan::isFolderEntry(file)) {
        const std::string source = MovePlan::sourceOf(file);
        const std::string target = MovePlan::targetOf(file, {});
        if (isInside(target, source))
            errors.insert(kFolderIntoItself);
    }

    addPathErrors(file, directoryValidator, cache, errors);
}
} // namespace

bool FileValidator::applyUniqueness(std::vector<File>& files, bool autoResolve, std::stop_token stopToken) {
    UniquenessOptions options;
    options.autoResolve = autoResolve;
    return applyUniqueness(files, options, stopToken);
}

namespace {

// What the uniqueness rules read of one file. Built from copies of the files or from the list's storage,
// so that validating a long list needs no second copy of its records.
struct UniqueItem {
    std::string source;
    std::string target;             // without a suffix; empty when the item stays
    std::size_t suffixAt = 0;       // where a numeric suffix goes into the target
    std::size_t componentBytes = 0; // of the target's last component, without a suffix
    bool moves = false;
    bool folder = false; // the item stands for a folder

    // `target`, when given, is the file's target without a suffix, made already.
    static UniqueItem of(const FileSource& source, const FileTransform& transformed, const FileValidation& validation,
                         bool renameEmptyFolders, std::string* target = nullptr) {
        UniqueItem item;
        item.source = MovePlan::sourceOf(source);
        item.moves = MovePlan::willMove(source, transformed, validation, renameEmptyFolders);
        if (!item.moves)
            return item;
        item.target = target ? std::move(*target) : MovePlan::targetOf(source, transformed, {});
        item.folder = source.isFolderEntry();
        if (item.folder) {
            item.suffixAt = item.target.size();
            item.componentBytes = lastPathComponent(transformed.transformedPath).size();
        } else {
            const std::size_t extension = transformed.dottedExtension().size();
            item.suffixAt = item.target.size() - extension;
            item.componentBytes = transformed.transformedName.size() + extension;
        }
        return item;
    }

    std::string withSuffix(std::string_view suffix) const {
        std::string candidate;
        candidate.reserve(target.size() + suffix.size());
        candidate.append(target, 0, suffixAt).append(suffix).append(target, suffixAt);
        return candidate;
    }
};

// One pass of the uniqueness rules; decides without touching the files, so that a pass that finds
// new errors can be run again with those files staying where they are.
struct UniquenessDecision {
    std::size_t position = 0;
    std::string suffix;
    std::string warning;
    std::string error;
};

// A set of paths held elsewhere (views), in one flat table: the uniqueness pass adds two per moving file,
// and a node per path would cost more than the rest of the pass.
class PathSet {
public:
    explicit PathSet(std::size_t count) : table_(count) { paths_.reserve(count); }
    static std::uint32_t hashOf(std::string_view path) { return PositionTable::hashOf(path); }

    bool contains(std::string_view path, std::uint32_t hash) const {
        return table_.find(path, hash, [this](std::size_t i) { return paths_[i]; }).has_value();
    }
    void insert(std::string_view path, std::uint32_t hash) {
        if (table_.add(path, hash, paths_.size(), [this](std::size_t i) { return paths_[i]; }))
            paths_.push_back(path);
    }

private:
    PositionTable table_;
    std::vector<std::string_view> paths_;
};

class UniquenessPass {
public:
    UniquenessPass(const std::vector<UniqueItem>& items, const FileValidator::UniquenessOptions& options,
                   FolderCase* folderCase)
        : items_(items), options_(options), folderCase_(folderCase),
          occupied_(items.size()) { // the staying items and the targets, about one per item
        for (const UniqueItem& item : items) {
            if (item.moves)
                continue;
            const PathKey key = keyOf(item.source);
            occupied_.insert(key.text, key.hash);
        }
    }

    // Decisions only for the items that do not keep their plain target. False when cancelled.
    bool run(std::vector<UniquenessDecision>& decisions, std::stop_token stopToken) {
        decisions.clear();
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const UniqueItem& item = items_[i];
            if (!item.moves)
                continue;
            if (stopToken.stop_requested())
                return false;
            const bool onDisk = options_.probed ? (*options_.probed)[i] != 0 : probe(item.target);
            const PathKey target = keyOf(item.target);
            if (isFree(target, item.target, onDisk, &item.source)) {
                occupied_.insert(target.text, target.hash);
                continue;
            }
            UniquenessDecision& decision = decisions.emplace_back();
            decision.position = i;
            if (!options_.autoResolve) {
                decision.error = kNotUnique;
                continue;
            }
            // Every lower number was taken when it was tried, and taken names stay taken, so the search
            // for the same target goes on where it stopped.
            long& number = nextSuffix_.try_emplace(item.target, 2).first->second;
            // A folder that cannot be examined answers "taken" for every name: the search ends somewhere.
            const long last = number + static_cast<long>(items_.size()) + 10000;
            for (;; ++number) {
                if (stopToken.stop_requested())
                    return false;
                if (number > last) {
                    decision.error = kNotUnique;
                    break;
                }
                const std::string suffix = " " + std::to_string(number);
                // Numbers only grow: once a suffix makes the name too long, every later one does. Checked
                // before the disk, which answers "taken" for a name too long to look up.
                if (item.componentBytes + suffix.size() > kMaximumComponentBytes) {
                    decision.error = kFilenameTooManyBytes;
                    break;
                }
                std::string candidate = item.withSuffix(suffix);
                std::string folded = folds(candidate) ? folderCase_->key(candidate) : std::string();
                const std::string_view text = folded.empty() ? std::string_view(candidate) : std::string_view(folded);
                const PathKey key{text, PathSet::hashOf(text)};
                if (!isFree(key, candidate, probe(candidate), nullptr))
                    continue;
                occupied_.insert(own(folded.empty() ? std::move(candidate) : std::move(folded)), key.hash);
                decision.suffix = suffix;
                decision.warning = "Filename is not unique. A numeric suffix '" + std::to_string(number) +
                                   "' has been added.";
                ++number;
                break;
            }
        }
        return true;
    }

private:
    static constexpr const char* kNotUnique = "Filename is not unique.";

    bool probe(const std::string& path) const { return options_.disk && options_.disk->exists(path); }

    // Where a folder ignores letter case, names that differ only in case are one name. The key of a path
    // the items hold is a view of it unless folding changes it.
    bool folds(const std::string& path) { return folderCase_ && folderCase_->foldsName(path); }
    // A path as the sets know it, with its hash: made once for a look-up and the insertion after it.
    struct PathKey {
        std::string_view text;
        std::uint32_t hash;
    };
    PathKey keyOf(const std::string& path) {
        const std::string_view text = folds(path) ? own(folderCase_->key(path)) : std::string_view(path);
        return {text, PathSet::hashOf(text)};
    }
    std::string_view own(std::string text) {
        owned_.push_back(std::move(text));
        return owned_.back();
    }

    // A target is free unless the list claims it, or something on disk holds it that is not a listed
    // item moving away. An item on disk that is the file itself under another spelling (a volume that
    // ignores letter case) leaves it free too.
    bool isFree(const PathKey& key, const std::string& target, bool onDisk, const std::string* source) {
        if (occupied_.contains(key.text, key.hash))
            return false;
        if (!onDisk || leaving().contains(key.text, key.hash))
            return true;
        if (!source || !options_.disk)
            return false;
        const auto there = options_.disk->identify(target);
        const auto here = options_.disk->identify(*source);
        return there && here && there->sameItem(*here);
    }

    const std::vector<UniqueItem>& items_;
    const FileValidator::UniquenessOptions& options_;
    FolderCase* folderCase_;
    std::deque<std::string> owned_; // keys that are not the items' own texts; a deque keeps views valid
    PathSet occupied_;
    // The sources of the moving items, wanted only where a target is taken on disk: made then.
    PathSet& leaving() {
        if (!leaving_) {
            leaving_.emplace(items_.size());
            for (const UniqueItem& item : items_) {
                if (!item.moves)
                    continue;
                const PathKey key = keyOf(item.source);
                leaving_->insert(key.text, key.hash);
            }
        }
        return *leaving_;
    }

    std::optional<PathSet> leaving_;
    std::unordered_map<std::string, long> nextSuffix_;
};

// Moves into a folder that the run itself changes: one another item's new name takes (a file named "d"
// and another going into "d/"), or one that moves away in the run. The run would stop half way there.
// Only the folders an item newly goes into are looked at: those it is in already stay. The items found
// stay where they are; false when there were none.
bool addFolderClashes(std::vector<UniqueItem>& items, const std::vector<UniquenessDecision>& decisions,
                      std::vector<UniquenessDecision>& errors) {
    const auto crosses = [](const UniqueItem& item) {
        return item.moves && enclosingFolder(item.target) != enclosingFolder(item.source);
    };
    if (std::none_of(items.begin(), items.end(), crosses))
        return false;
    std::unordered_map<std::size_t, std::string_view> suffixes;
    for (const UniquenessDecision& decision : decisions)
        if (!decision.suffix.empty())
            suffixes.emplace(decision.position, decision.suffix);
    const auto finalTarget = [&](std::size_t i) {
        const auto suffix = suffixes.find(i);
        return suffix == suffixes.end() ? items[i].target : items[i].withSuffix(suffix->second);
    };
    std::unordered_set<std::string> targets;
    std::unordered_set<std::string> leavingFolders;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].moves)
            continue;
        targets.insert(finalTarget(i));
        if (items[i].folder)
            leavingFolders.insert(items[i].source);
    }
    bool found = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!crosses(items[i]))
            continue;
        const std::string target = finalTarget(i);
        const std::string_view from = enclosingFolder(items[i].source);
        for (std::string_view folder = enclosingFolder(target); !folder.empty() && from != folder && !isInside(from, folder);
             folder = enclosingFolder(folder)) {
            const std::string path(folder);
            const char* clash = leavingFolders.contains(path) ? "The folder it moves into is moved away in this run."
                                : targets.contains(path)      ? "Another item of this run takes the name of the "
                                                                "folder it moves into."
                                                              : nullptr;
            if (!clash)
                continue;
            errors.push_back({i, {}, {}, clash});
            items[i].moves = false;
            found = true;
            break;
        }
    }
    return found;
}

// The rules over all items: a file that cannot take its target stays where it is, which may take a
// name another file was given, so the pass runs again with it in place. `errors` gets every error
// found; `decisions` the suffixes of the last pass. False when cancelled.
bool decideUniqueness(std::vector<UniqueItem>& items, const FileValidator::UniquenessOptions& options,
                      std::stop_token stopToken, std::vector<UniquenessDecision>& errors,
                      std::vector<UniquenessDecision>& decisions) {
    std::optional<FolderCase> folderCase;
    if (options.disk)
        folderCase.emplace(*options.disk);
    for (;;) {
        UniquenessPass pass(items, options, folderCase ? &*folderCase : nullptr);
        if (!pass.run(decisions, stopToken))
            return false;
        bool newErrors = false;
        for (UniquenessDecision& decision : decisions) {
            if (decision.error.empty())
                continue;
            items[decision.position].moves = false;
            errors.push_back(std::move(decision));
            newErrors = true;
        }
        // Once the names are settled: an item that stays for a clash may free or take a name again.
        if (!newErrors && !addFolderClashes(items, decisions, errors))
            return true;
    }
}

} // namespace

bool FileValidator::applyUniqueness(std::vector<File>& files, const UniquenessOptions& options,
                                    std::stop_token stopToken, std::vector<char>* touched) {
    std::vector<UniqueItem> items;
    items.reserve(files.size());
    for (const File& file : files)
        items.push_back(UniqueItem::of(file.source, file.transformed, file.validation, options.renameEmptyFolders));
    std::vector<UniquenessDecision> errors;
    std::vector<UniquenessDecision> decisions;
    if (!decideUniqueness(items, options, stopToken, errors, decisions))
        return false;
    for (const UniquenessDecision& error : errors) {
        files[error.position].validation.errors.insert(error.error);
        if (touched)
            (*touched)[error.position] = 1;
    }
    for (const UniquenessDecision& decision : decisions) {
        files[decision.position].validation.uniqueSuffix = decision.suffix;
        files[decision.position].validation.warnings.insert(decision.warning);
        if (touched)
            (*touched)[decision.position] = 1;
    }
    return true;
}

FileValidationResult FileValidator::result(const std::vector<File>& files, bool isPending) {
    FileValidationResult result;
    result.isPending = isPending;
    result.totalCount = static_cast<int>(files.size());
    for (const File& file : files) {
        if (!file.validation.errors.empty())
            ++result.errorCount;
        else if (MovePlan::changes(file))
            ++result.renameCount;
    }
    return result;
}

std::vector<File> FileValidator::validatedFiles() const {
    std::lock_guard lock(resultsMutex_);
    return validatedFiles_;
}

void FileValidator::post(const FileValidationResult& result) {
    if (notifications_)
        notifications_->post(AppNotification::validationResult, result);
}

void FileValidator::postText(std::string_view name, std::string text) {
    if (notifications_)
        notifications_->post(name, std::move(text));
}

FileSystem& FileValidator::fileSystem() {
    if (fileSystem_)
        return *fileSystem_;
    if (!ownFileSystem_)
        ownFileSystem_ = std::make_unique<PosixFileSystem>();
    return *ownFileSystem_;
}

bool FileValidator::validateChunks(std::size_t chunkCount, const ChunkSource& chunks, bool renameEmptyFolders,
                                   std::stop_token stopToken) {
    FileSystem& disk = fileSystem();
    const std::size_t workerCount =
        std::min<std::size_t>(usableCores(), chunkCount);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        PathRuleCache cache;
        FolderWayCache way;
        ListedFolders listed(listings_, disk);
        std::vector<File> held;
        for (std::size_t i; (i = next.fetch_add(1)) < chunkCount;) {
            const std::span<File> files = chunks.take(i, held);
            std::size_t position = i * FileChunk::maximumSize;
            for (File& file : files) {
                if (stopToken.stop_requested())
                    return;
                validateOneFile(file, *directoryValidator_, &cache);
                // One look at the disk per moving file, here where the chunks run in parallel.
                std::string target;
                if (MovePlan::willMove(file, renameEmptyFolders)) {
                    target = MovePlan::targetOf(file, {});
                    if (const std::string& blocker = blockingItem(disk, std::string(enclosingFolder(target)), way); !blocker.empty())
                        file.validation.errors.insert("\"" + blocker + "\" is not a folder: nothing can be moved "
                                                      "into it");
                    else if (position < probed_.size())
                        probed_[position] = !listed.knownFree(target) && disk.exists(target) ? 1 : 0;
                }
                if (chunks.checked)
                    chunks.checked(position, file, target.empty() ? nullptr : &target);
                ++position;
            }
            chunks.give(files, held);
        }
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t i = 1; i < workerCount; ++i)
            workers.emplace_back(work);
        work();
    }
    return !stopToken.stop_requested();
}

FileValidator::UniquenessOptions FileValidator::uniquenessOptions(bool renameEmptyFolders) {
    UniquenessOptions options;
    options.autoResolve = preferences_ ? preferences_->boolValue(PreferenceKey::autoResolveDuplicates) : true;
    options.renameEmptyFolders = renameEmptyFolders;
    options.disk = &fileSystem();
    options.probed = &probed_;
    return options;
}

bool FileValidator::renamesEmptyFolders() const {
    return preferences_ ? preferences_->boolValue(PreferenceKey::renameEmptyFolders) : true;
}

std::optional<FileValidationResult> FileValidator::aborted() {
    Logger::log("🔷 FileValidator valiate files aborted.");
    postText(AppNotification::hideProgressIndicator);
    return std::nullopt;
}

FileValidationResult FileValidator::finish(FileValidationResult final, bool needsLateUpdate) {
    Logger::log("Reporting validation result: files: ", final.totalCount, ", renameCount: ", final.renameCount,
                ", pending: ", final.isPending ? "true" : "false");
    post(final);
    if (needsLateUpdate)
        Logger::log("> Validation finished but needs lateUpdate <");
    postText(AppNotification::hideProgressIndicator);
    return final;
}

std::optional<FileValidationResult> FileValidator::validateFiles(std::vector<File> files, bool needsLateUpdate,
                                                                 std::stop_token stopToken) {
    return executor_.run([&]() -> std::optional<FileValidationResult> {
        if (files.empty()) {
            {
                std::lock_guard lock(resultsMutex_);
                validatedFiles_.clear();
            }
            const FileValidationResult empty{};
            post(empty);
            return empty;
        }
        postText(AppNotification::showProgressIndicator, "Validating...");
        post(FileValidationResult{true, 0, 0, 0});

        const bool renameEmptyFolders = renamesEmptyFolders();
        probed_.assign(files.size(), 0);
        const std::vector<FileChunk> fileChunks = FileChunk::cut(files);
        const ChunkSource chunks{
            [&](std::size_t i, std::vector<File>&) { return fileChunks[i].files; },
            [&](std::span<File> checked, std::vector<File>&) {
                if (_fileDataSource)
                    _fileDataSource->updateFiles(checked, stopToken, {FileComponentMutation::validation});
            },
            {}};
        if (!validateChunks(fileChunks.size(), chunks, renameEmptyFolders, stopToken))
            return aborted();
        post(result(files, true));

        std::vector<char> touched(files.size(), 0);
        if (!applyUniqueness(files, uniquenessOptions(renameEmptyFolders), stopToken, &touched))
            return aborted();
        if (_fileDataSource) {
            // The chunks wrote every validation already; only what the uniqueness pass added is new.
            std::vector<File> warned;
            for (std::size_t i = 0; i < files.size(); ++i)
                if (touched[i])
                    warned.push_back(files[i]);
            if (!warned.empty())
                _fileDataSource->updateFiles(std::move(warned), stopToken, {FileComponentMutation::validation});
        }

        const FileValidationResult final = result(files, needsLateUpdate);
        {
            std::lock_guard lock(resultsMutex_);
            if (keepsValidatedFiles_)
                validatedFiles_ = std::move(files);
            else
                validatedFiles_.clear();
        }
        return finish(final, needsLateUpdate);
    });
}

std::optional<FileValidationResult> FileValidator::validateList(bool needsLateUpdate, std::stop_token stopToken) {
    return executor_.run([&]() -> std::optional<FileValidationResult> {
        {
            std::lock_guard lock(resultsMutex_);
            validatedFiles_.clear();
        }
        FileDataSource* list = _fileDataSource;
        const std::size_t count = list ? list->count() : 0;
        if (count == 0) {
            const FileValidationResult empty{};
            post(empty);
            return empty;
        }
        postText(AppNotification::showProgressIndicator, "Validating...");
        post(FileValidationResult{true, 0, 0, 0});

        const std::uint64_t revision = list->revision();
        const bool renameEmptyFolders = renamesEmptyFolders();
        probed_.assign(count, 0);
        // Each worker holds one chunk's copy at a time and moves the checks back into the list; what the
        // uniqueness rules read of a file is taken there too, on both cores.
        std::vector<UniqueItem> items(count);
        // The checks read neither the attributes nor write them: those stay in the list.
        static const FileComponentMutations checkedComponents{
            FileComponentMutation::source, FileComponentMutation::transformed, FileComponentMutation::validation};
        const ChunkSource chunks{[&](std::size_t i, std::vector<File>& held) -> std::span<File> {
                                     held = list->files(i * FileChunk::maximumSize, FileChunk::maximumSize,
                                                        checkedComponents);
                                     return held;
                                 },
                                 [&](std::span<File>, std::vector<File>& held) {
                                     list->updateFiles(std::move(held), stopToken,
                                                       {FileComponentMutation::validation});
                                     held.clear();
                                 },
                                 [&](std::size_t position, const File& file, std::string* target) {
                                     if (position < items.size())
                                         items[position] = UniqueItem::of(file.source, file.transformed,
                                                                          file.validation, renameEmptyFolders, target);
                                 }};
        const std::size_t chunkCount = (count + FileChunk::maximumSize - 1) / FileChunk::maximumSize;
        if (!validateChunks(chunkCount, chunks, renameEmptyFolders, stopToken))
            return aborted();
        // Files came, went or moved: positions name other files now, and a new pass follows.
        const auto listChanged = [&] {
            if (list->revision() == revision)
                return false;
            Logger::log("🔷 FileValidator: the list changed during validation");
            return true;
        };
        if (listChanged())
            return aborted();
        post(result(*list, true));

        UniquenessOptions options = uniquenessOptions(renameEmptyFolders);
        std::vector<UniquenessDecision> errors;
        std::vector<UniquenessDecision> decisions;
        if (!decideUniqueness(items, options, stopToken, errors, decisions))
            return aborted();
        items = {};
        if (listChanged())
            return aborted();
        // The chunks wrote every validation already; only what the uniqueness pass added is new.
        std::map<std::size_t, File> touched;
        const auto touch = [&](std::size_t position) -> File* {
            auto [at, fresh] = touched.try_emplace(position);
            if (fresh)
                if (auto file = list->file(position))
                    at->second = std::move(*file);
            return at->second.index ? &at->second : nullptr;
        };
        for (const UniquenessDecision& error : errors)
            if (File* file = touch(error.position))
                file->validation.errors.insert(error.error);
        for (const UniquenessDecision& decision : decisions)
            if (File* file = touch(decision.position)) {
                file->validation.uniqueSuffix = decision.suffix;
                file->validation.warnings.insert(decision.warning);
            }
        std::vector<File> warned;
        warned.reserve(touched.size());
        for (auto& [position, file] : touched)
            if (file.index)
                warned.push_back(std::move(file));
        if (!warned.empty())
            list->updateFiles(std::move(warned), stopToken, {FileComponentMutation::validation});
        return finish(result(*list, needsLateUpdate), needsLateUpdate);
    });
}

FileValidationResult FileValidator::result(const FileDataSource& list, bool isPending) {
    FileValidationResult result;
    result.isPending = isPending;
    list.forEachFile([&](const FileDataSource::FileRef& file) {
        ++result.totalCount;
        if (!file.validation.errors.empty())
            ++result.errorCount;
        else if (MovePlan::changes(file.source, file.transformed))
            ++result.renameCount;
    });
    return result;
}

} // namespace quillory
