// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FileDataSource.h"

#include "app/AppNotification.h"
#include "app/Logger.h"
#include "app/NotificationCenter.h"
#include "app/PageWarmer.h"
#include "filelist/FileSorter.h"
#include "app/UndoManager.h"
#include "text/Characters.h"

#include <algorithm>
#include <limits>
#include <charconv>

namespace quillory {

const FileComponentMutations& allFileComponents() {
    static const FileComponentMutations all = {FileComponentMutation::source, FileComponentMutation::transformed,
                                               FileComponentMutation::validation, FileComponentMutation::attributes};
    return all;
}

// Parallel storage arrays, built outside the actor and installed in one step.
struct FileDataSource::Storage {
    std::vector<int> orderedIndex;
    std::vector<FileSource> fileSources;
    std::vector<FileTransform> fileTransforms;
    std::vector<FileValidation> fileValidations;
    std::vector<FileAttributes> fileAttributes;

    void reserve(std::size_t count) {
        orderedIndex.reserve(count);
        fileSources.reserve(count);
        fileTransforms.reserve(count);
        fileValidations.reserve(count);
        fileAttributes.reserve(count);
    }
    void warm(PageWarmer& warmer) const {
        warmer.add(orderedIndex);
        warmer.add(fileSources);
        warmer.add(fileTransforms);
        warmer.add(fileValidations);
        warmer.add(fileAttributes);
        warmer.start();
    }
    // A new file is shown after all existing ones.
    void add(File&& file) {
        orderedIndex.push_back(static_cast<int>(orderedIndex.size()));
        fileSources.push_back(std::move(file.source));
        fileTransforms.push_back(std::move(file.transformed));
        fileValidations.push_back(std::move(file.validation));
        fileAttributes.push_back(std::move(file.attributes));
    }
};

// The storage and its serial executor. Every mutation of the arrays happens inside run().
class FileDataSource::Actor {
public:
    template <typename F> auto run(F&& operation) { return executor_.run(std::forward<F>(operation)); }

    // Which components a copy of a file takes; the others stay empty.
    struct Components {
        bool source = true, transformed = true, validation = true, attributes = true;
    };
    File assemble(int storageIndex) const { return assemble(storageIndex, Components{}); }
    File assemble(int storageIndex, Components with) const {
        const auto i = static_cast<std::size_t>(storageIndex);
        File file;
        file.index = storageIndex;
        if (with.source)
            file.source = fileSources[i];
        if (with.transformed)
            file.transformed = fileTransforms[i];
        if (with.validation)
            file.validation = fileValidations[i];
        if (with.attributes)
            file.attributes = fileAttributes[i];
        return file;
    }
    std::vector<int> orderedIndex;
    FileSortOrder sortOrder = FileSortOrder::none;
    std::vector<FileSource> fileSources;
    std::vector<FileTransform> fileTransforms;
    std::vector<FileValidation> fileValidations;
    std::vector<FileAttributes> fileAttributes;
    LongestStrings longest;
    // Counts membership changes, so that a sort computed on an older list is not installed.
    std::uint64_t generation = 0;
    // Counts changes of membership, order or a source: a copy of the list taken at one revision is the
    // list, but for new names and checks, as long as the revision stays.
    std::uint64_t revision = 0;
    std::function<void()> validationCanceller;

private:
    SerialExecutor executor_;
};

namespace {

std::string describe(const std::optional<int>& index) { return index ? std::to_string(*index) : "nil"; }

std::optional<std::size_t> parsePosition(std::string_view piece) {
    std::size_t value = 0;
    auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (piece.empty() || error != std::errc() || end != piece.data() + piece.size())
        return std::nullopt;
    return value;
}

// Keeps the candidate when it has strictly more characters; bytes bound characters from above, so most
// candidates are decided without counting.
void keepLonger(std::string& current, std::size_t& currentCount, std::string candidate) {
    if (candidate.size() <= currentCount)
        return;
    const std::size_t count = text::characterCount(candidate);
    if (count <= currentCount)
        return;
    current = std::move(candidate);
    currentCount = count;
}

} // namespace

FileDataSource::FileDataSource(NotificationCenter* notifications, UndoManager* undoManager)
    : notifications_(notifications), undoManager_(undoManager), fileDataSourceActor_(std::make_unique<Actor>()) {}

FileDataSource::~FileDataSource() {
    currentSortTask_.cancelAndWait();
    observers_.removeAll();
}

void FileDataSource::post(std::string_view name, std::string text) { postText(notifications_, name, std::move(text)); }

std::size_t FileDataSource::count() const {
    return fileDataSourceActor_->run([&] { return fileDataSourceActor_->orderedIndex.size(); });
}

std::uint64_t FileDataSource::revision() const {
    return fileDataSourceActor_->run([&] { return fileDataSourceActor_->revision; });
}

std::optional<File> FileDataSource::file(std::size_t position) const {
    auto& actor = *fileDataSourceActor_;
    return actor.run([&]() -> std::optional<File> {
        if (position >= actor.orderedIndex.size())
            return std::nullopt;
        return actor.assemble(actor.orderedIndex[position]);
    });
}

std::vector<File> FileDataSource::files() const { return files(0, std::numeric_limits<std::size_t>::max()); }

std::vector<File> FileDataSource::files(std::size_t first, std::size_t count,
                                        const FileComponentMutations& components) const {
    auto& actor = *fileDataSourceActor_;
    const Actor::Components with{components.count(FileComponentMutation::source) > 0,
                                 components.count(FileComponentMutation::transformed) > 0,
                                 components.count(FileComponentMutation::validation) > 0,
                                 components.count(FileComponentMutation::attributes) > 0};
    return actor.run([&] {
        std::vector<File> result;
        const std::size_t size = actor.orderedIndex.size();
        const std::size_t end = first < size ? first + std::min(count, size - first) : first;
        if (end > first)
            result.reserve(end - first);
        for (std::size_t position = first; position < end; ++position)
            result.push_back(actor.assemble(actor.orderedIndex[position], with));
        return result;
    });
}

void FileDataSource::forEachFile(const std::function<void(const FileRef&)>& visit) const {
    auto& actor = *fileDataSourceActor_;
    actor.run([&] {
        for (int storageIndex : actor.orderedIndex) {
            const auto i = static_cast<std::size_t>(storageIndex);
            visit(FileRef{actor.fileSources[i], actor.fileTransforms[i], actor.fileValidations[i], storageIndex});
        }
    });
}

void FileDataSource::markAllForTransform() {
    auto& actor = *fileDataSourceActor_;
    std::vector<int> rows;
    actor.run([&] {
        rows.reserve(actor.fileTransforms.size());
        for (std::size_t i = 0; i < actor.fileTransforms.size(); ++i) {
            actor.fileTransforms[i].isDirty = true;
            auto& validation = actor.fileValidations[i];
            validation.errors.clear();
            validation.warnings.clear();
            validation.uniqueSuffix.clear();
            rows.push_back(static_cast<int>(i));
        }
    });
    notifyRowsUpdated(rows);
}

std::vector<int> FileDataSource::orderedIndex() const {
    return fileDataSourceActor_->run([&] { return fileDataSourceActor_->orderedIndex; });
}

FileSortOrder FileDataSource::sortOrder() const {
    return fileDataSourceActor_->run([&] { return fileDataSourceActor_->sortOrder; });
}

AsyncFileIterator FileDataSource::makeAsyncIterator() const { return AsyncFileIterator(*this); }

std::optional<File> AsyncFileIterator::next() {
    if (index_ >= fileDataSource_->count())
        return std::nullopt;
    auto file = fileDataSource_->file(index_);
    ++index_;
    return file;
}

FileDataSource::LongestStrings FileDataSource::longestStrings() const {
    return fileDataSourceActor_->run([&] { return fileDataSourceActor_->longest; });
}

void FileDataSource::applyFileAction(std::vector<File> oldFiles, std::vector<File> newFiles, FileAction action,
                                     bool undoing) {
    const std::size_t newCount = newFiles.size();
    registerFileActionUndo(std::move(oldFiles), newCount, action, undoing);
    doReplaceAllFiles(std::move(newFiles), action, undoing);
}

void FileDataSource::applyFileAction(std::vector<File> oldFiles, const FileProducer& produce, std::size_t newCount,
                                     FileAction action, bool undoing) {
    registerFileActionUndo(std::move(oldFiles), newCount, action, undoing);
    doReplaceAllFiles(produce, newCount, action, undoing);
}

void FileDataSource::registerFileActionUndo(std::vector<File> oldFiles, std::size_t newCount, FileAction action,
                                            bool undoing) {
    if (!undoManager_)
        return;
    std::string name = undoActionName(action, oldFiles.size(), newCount, undoing);
    // The inverse applies the previous list again with the same action; registered while undoing, it is
    // the redo. The list after this change is read back when the step runs instead of being kept twice;
    // a plain append keeps the previous files in storage, so neither list is kept for it.
    const bool plainAppend = action == FileAction::append && !undoing;
    const std::size_t previousCount = count();
    if (plainAppend)
        oldFiles.clear();
    undoManager_->beginGroup();
    undoManager_->registerUndo(name, [this, before = std::move(oldFiles), previousCount, plainAppend, action,
                                      undoing]() mutable {
        std::vector<File> after = files();
        if (!plainAppend) {
            applyFileAction(std::move(after), std::move(before), action, !undoing);
            return;
        }
        std::vector<File> previous;
        std::vector<File> added;
        for (auto& file : after)
            (static_cast<std::size_t>(file.index.value_or(0)) < previousCount ? previous : added)
                .push_back(std::move(file));
        applyFileAction(std::move(added), std::move(previous), action, !undoing);
    });
    undoManager_->setActionName(name);
    undoManager_->endGroup();
}

void FileDataSource::doReplaceAllFiles(std::vector<File> files, FileAction action, bool undoing) {
    const std::size_t expected = files.size();
    doReplaceAllFiles(
        [&files](const std::function<void(File&&)>& sink) {
            for (auto& file : files)
                sink(std::move(file));
        },
        expected, action, undoing);
}

void FileDataSource::doReplaceAllFiles(const FileProducer& produce, std::size_t expectedCount, FileAction action,
                                       bool undoing) {
    auto& actor = *fileDataSourceActor_;
    std::function<void()> cancelValidation = actor.run([&] { return actor.validationCanceller; });
    if (cancelValidation)
        cancelValidation();
    // A sort of the old list must not land on the new one.
    currentSortTask_.cancel();

    // Built outside the actor so that readers are not held up while a large list is made.
    Storage built;
    built.reserve(expectedCount);
    {
        PageWarmer warmer;
        built.warm(warmer);
        produce([&built](File&& file) { built.add(std::move(file)); });
    }

    const bool keepExisting = action == FileAction::append && !undoing;
    Storage replaced;
    const std::size_t total = actor.run([&] {
        if (keepExisting) {
            const std::size_t offset = actor.orderedIndex.size();
            const std::size_t needed = offset + built.orderedIndex.size();
            if (actor.fileSources.capacity() < needed) {
                const std::size_t capacity = std::max(needed, actor.fileSources.capacity() * 3 / 2);
                actor.orderedIndex.reserve(capacity);
                actor.fileSources.reserve(capacity);
                actor.fileTransforms.reserve(capacity);
                actor.fileValidations.reserve(capacity);
                actor.fileAttributes.reserve(capacity);
            }
            for (std::size_t i = 0; i < built.orderedIndex.size(); ++i) {
                actor.orderedIndex.push_back(static_cast<int>(offset + i));
                actor.fileSources.push_back(std::move(built.fileSources[i]));
                actor.fileTransforms.push_back(std::move(built.fileTransforms[i]));
                actor.fileValidations.push_back(std::move(built.fileValidations[i]));
                actor.fileAttributes.push_back(std::move(built.fileAttributes[i]));
            }
        } else {
            std::swap(replaced.orderedIndex, actor.orderedIndex);
            std::swap(replaced.fileSources, actor.fileSources);
            std::swap(replaced.fileTransforms, actor.fileTransforms);
            std::swap(replaced.fileValidations, actor.fileValidations);
            std::swap(replaced.fileAttributes, actor.fileAttributes);
            actor.orderedIndex = std::move(built.orderedIndex);
            actor.fileSources = std::move(built.fileSources);
            actor.fileTransforms = std::move(built.fileTransforms);
            actor.fileValidations = std::move(built.fileValidations);
            actor.fileAttributes = std::move(built.fileAttributes);
        }
        ++actor.generation;
        ++actor.revision;
        return actor.orderedIndex.size();
    });
    Logger::log("FileDataSourceActor doReplaceAllFiles for ", total, " files");
    post(AppNotification::dataSourceUpdated);
}

std::vector<File> FileDataSource::removingPositions(std::vector<File> files, std::string_view positionsText) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = positionsText.find(',', start);
        pieces.push_back(positionsText.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        auto position = parsePosition(*piece);
        if (!position || *position >= files.size())
            continue;
        files.erase(files.begin() + static_cast<std::ptrdiff_t>(*position));
    }
    return files;
}

void FileDataSource::removeFiles(const std::vector<int>& positions) {
    auto current = files();
    auto remaining = current;
    for (auto position = positions.rbegin(); position != positions.rend(); ++position)
        if (*position >= 0 && static_cast<std::size_t>(*position) < remaining.size())
            remaining.erase(remaining.begin() + *position);
    applyFileAction(std::move(current), std::move(remaining), FileAction::remove, false);
}

void FileDataSource::removeFilesEvent(const Notification& notification) {
    std::string text;
    if (const auto* value = std::any_cast<std::string>(&notification.object))
        text = *value;
    else if (const auto* view = std::any_cast<std::string_view>(&notification.object))
        text = std::string(*view);
    else if (const auto* chars = std::any_cast<const char*>(&notification.object))
        text = *chars;
    else
        return;
    auto current = files();
    auto remaining = removingPositions(current, text);
    applyFileAction(std::move(current), std::move(remaining), FileAction::remove, false);
}

void FileDataSource::replaceMovedFiles(std::vector<File> reordered) {
    applyFileAction(files(), std::move(reordered), FileAction::move, false);
    Logger::log("Post applyChanges from replaceMovedFiles");
    post(AppNotification::applyChanges);
}

void FileDataSource::clear() { applyFileAction(files(), {}, FileAction::clear, false); }

std::vector<int> FileDataSource::updateFiles(std::span<const File> files, std::stop_token stopToken,
                                             const FileComponentMutations& mutations) {
    const std::span<const File> view = files;
    return writeFiles(view, stopToken, mutations);
}

std::vector<int> FileDataSource::updateFiles(std::vector<File>&& files, std::stop_token stopToken,
                                             const FileComponentMutations& mutations) {
    return writeFiles(files, stopToken, mutations);
}

// Files is `const std::span<const File>` (components copied) or `std::vector<File>` (moved).
template <typename Files>
std::vector<int> FileDataSource::writeFiles(Files& files, std::stop_token stopToken,
                                            const FileComponentMutations& mutations) {
    constexpr bool moves = !std::is_const_v<Files>;
    const auto take = [](auto& component) -> decltype(auto) {
        if constexpr (moves)
            return std::move(component);
        else
            return static_cast<const std::remove_reference_t<decltype(component)>&>(component);
    };
    if (stopToken.stop_requested()) {
        Logger::log("updateFiles (", files.size(), ") aborted.");
        return {};
    }
    auto& actor = *fileDataSourceActor_;
    const bool writesSource = mutations.count(FileComponentMutation::source) > 0;
    const bool writesTransform = mutations.count(FileComponentMutation::transformed) > 0;
    const bool writesValidation = mutations.count(FileComponentMutation::validation) > 0;
    const bool writesAttributes = mutations.count(FileComponentMutation::attributes) > 0;
    std::vector<int> written;
    written.reserve(files.size());
    bool checked = actor.run([&] {
        const std::size_t n = actor.orderedIndex.size();
        if (n == 0)
            return false;
        if (actor.fileSources.size() != n || actor.fileValidations.size() != n || actor.fileAttributes.size() != n) {
            Logger::error("🚩 RACE CONDITION: updateFiles got inconsitent array counts: ", ", orderedIndex: ", n,
                          ", fileSources: ", actor.fileSources.size(), ", fileValidations: ",
                          actor.fileValidations.size(), ", fileAttributes: ", actor.fileAttributes.size());
            return false;
        }
        for (auto& file : files) {
            if (!file.index) {
                Logger::error("updateFiles got uninitialised file index for file: ", file.source.url());
                continue;
            }
            const int index = *file.index;
            if (index < 0 || static_cast<std::size_t>(index) >= n)
                continue;
            const auto slot = static_cast<std::size_t>(index);
            const FileSource& stored = actor.fileSources[slot];
            // A rename writes a new location, so a write that carries the source is matched by identity.
            const bool sameFile =
                stored.sameLocation(file.source) || (writesSource && stored.id == file.source.id);
            if (!sameFile) {
                Logger::log("⚠️ WARNING: updateFiles detected a data order inconsitency:\n", "newFile[", index,
                            "]: ", file.source.url(), "\n", "fileSources[", index, "]= ", stored.url());
                continue;
            }
            if (writesSource) {
                actor.fileSources[slot] = take(file.source);
                ++actor.revision;
            }
            if (writesTransform)
                actor.fileTransforms[slot] = take(file.transformed);
            if (writesValidation)
                actor.fileValidations[slot] = take(file.validation);
            if (writesAttributes)
                actor.fileAttributes[slot] = take(file.attributes);
            written.push_back(index);
        }
        return true;
    });
    if (!checked)
        return {};
    std::sort(written.begin(), written.end());
    written.erase(std::unique(written.begin(), written.end()), written.end());
    // A count rather than every index: a pass over 100,000 files would log a line of 600 KB.
    Logger::log("FileDataSourceActor updateFiles ", written.size(), " files from index ",
                describe(files.empty() ? std::nullopt : files.front().index), " to ",
                describe(files.empty() ? std::nullopt : files.back().index));
    std::vector<int> rows = std::move(written);
    notifyRowsUpdated(rows);
    return rows;
}

bool FileDataSource::writeComponent(const File& file, FileComponentMutation mutation) {
    if (!file.index) {
        Logger::error("updateFiles got uninitialised file index for file: ", file.source.url());
        return false;
    }
    auto& actor = *fileDataSourceActor_;
    return actor.run([&] {
        const int index = *file.index;
        if (index < 0 || static_cast<std::size_t>(index) >= actor.fileSources.size())
            return false;
        const auto slot = static_cast<std::size_t>(index);
        const FileSource& stored = actor.fileSources[slot];
        const bool sameFile = mutation == FileComponentMutation::source ? stored.id == file.source.id
                                                                         : stored.sameLocation(file.source);
        if (!sameFile) {
            Logger::log("⚠️ WARNING: updateFiles detected a data order inconsitency:\n", "newFile[", index, "]: ",
                        file.source.url(), "\n", "fileSources[", index, "]= ", stored.url());
            return false;
        }
        switch (mutation) {
        case FileComponentMutation::source:
            actor.fileSources[slot] = file.source;
            ++actor.revision;
            break;
        case FileComponentMutation::transformed:
            actor.fileTransforms[slot] = file.transformed;
            break;
        case FileComponentMutation::validation:
            actor.fileValidations[slot] = file.validation;
            break;
        case FileComponentMutation::attributes:
            actor.fileAttributes[slot] = file.attributes;
            break;
        }
        return true;
    });
}

bool FileDataSource::updateSource(const File& file) { return writeComponent(file, FileComponentMutation::source); }
bool FileDataSource::updateTransform(const File& file) {
    return writeComponent(file, FileComponentMutation::transformed);
}
bool FileDataSource::updateValidation(const File& file) {
    return writeComponent(file, FileComponentMutation::validation);
}
bool FileDataSource::updateAttributes(const File& file) {
    return writeComponent(file, FileComponentMutation::attributes);
}

bool FileDataSource::updateOrderedIndex(std::vector<int> newIndex) {
    auto& actor = *fileDataSourceActor_;
    return actor.run([&] {
        const std::size_t count = actor.fileSources.size();
        if (newIndex.size() != count) {
            Logger::error("🚩 RACE CONDITION: Update orderedIndex to ", newIndex.size(), " elements ",
                          "while the data source contains ", count, " elements");
            return false;
        }
        // An order that repeats or loses a file would hide files from every later pass.
        std::vector<bool> seen(count, false);
        for (int storageIndex : newIndex) {
            if (storageIndex < 0 || static_cast<std::size_t>(storageIndex) >= count || seen[storageIndex]) {
                Logger::error("🚩 RACE CONDITION: Update orderedIndex is not a permutation of ", count, " elements");
                return false;
            }
            seen[storageIndex] = true;
        }
        Logger::log("updateOrderedIndex ", newIndex.size(), " files");
        actor.orderedIndex = std::move(newIndex);
        ++actor.revision;
        return true;
    });
}

void FileDataSource::updateLongestStrings() {
    auto& actor = *fileDataSourceActor_;
    actor.run([&] {
        LongestStrings longest;
        std::size_t counts[4] = {0, 0, 0, 0};
        for (std::size_t i = 0; i < actor.fileSources.size(); ++i) {
            const auto& source = actor.fileSources[i];
            const auto& transform = actor.fileTransforms[i];
            keepLonger(longest.originalPath, counts[0], source.path);
            keepLonger(longest.originalName, counts[1], source.name + "." + source.ext);
            keepLonger(longest.transformedPath, counts[2], transform.transformedPath);
            keepLonger(longest.transformedName, counts[3], transform.transformedName + "." + transform.transformedExt);
        }
        actor.longest = std::move(longest);
    });
}

void FileDataSource::setSortOrder(FileSortOrder order) {
    fileDataSourceActor_->run([&] { fileDataSourceActor_->sortOrder = order; });
}

void FileDataSource::registerSortUndo(FileSortOrder previousOrder, std::vector<int> previousIndex,
                                      FileSortOrder order) {
    if (!undoManager_)
        return;
    const std::string name = "Change Sort Order";
    undoManager_->beginGroup();
    undoManager_->registerUndo(name, [this, previousOrder, previousIndex, order, name] {
        currentSortTask_.cancelAndWait();
        setSortOrder(previousOrder);
        if (updateOrderedIndex(previousIndex))
            post(AppNotification::dataSourceUpdated);
        if (undoManager_)
            undoManager_->registerUndo(name, [this, order] { sortBy(order); });
    });
    undoManager_->setActionName(name);
    undoManager_->endGroup();
}

void FileDataSource::sortBy(FileSortOrder order) {
    const FileSortOrder previousOrder = sortOrder();
    registerSortUndo(previousOrder, orderedIndex(), order);
    setSortOrder(order);
    if (currentSortTask_.isRunning()) {
        currentSortTask_.cancel();
        Logger::log("🔹 Cancelling Sorting. ");
    }
    if (order == FileSortOrder::none) {
        Logger::log("FileDataSource sortBy: none");
        return;
    }
    currentSortTask_.start([this, order](std::stop_token stopToken) { sort(order, stopToken); });
}

bool FileDataSource::sort(FileSortOrder order, std::stop_token stopToken) {
    auto& actor = *fileDataSourceActor_;
    if (order == FileSortOrder::none) {
        setSortOrder(FileSortOrder::none);
        Logger::log("FileDataSource sortBy: none");
        return true;
    }
    std::uint64_t generation = 0;
    auto entries = actor.run([&] {
        generation = actor.generation;
        std::vector<FileSorter::Entry> result;
        result.reserve(actor.orderedIndex.size());
        for (int storageIndex : actor.orderedIndex) {
            const auto i = static_cast<std::size_t>(storageIndex);
            result.push_back(FileSorter::entryFor(storageIndex, actor.fileSources[i], actor.fileTransforms[i],
                                                  actor.fileAttributes[i], order));
        }
        return result;
    });
    const std::size_t n = entries.size();
    Logger::log("🔹 Begin Sorting for ", n, " files.");
    post(AppNotification::disableUserInput);
    post(AppNotification::showProgressIndicator, "Sorting...");

    auto sorted = FileSorter::sort(std::move(entries), order, stopToken);
    bool installed = false;
    if (sorted && !stopToken.stop_requested()) {
        installed = actor.run([&] {
            if (actor.generation != generation)
                return false;
            Logger::log("🔷 finishSort completed for ", n, " files.");
            return updateOrderedIndex(std::move(*sorted));
        });
    }
    if (installed)
        post(AppNotification::dataSourceUpdated);
    else
        Logger::log("🔷 finishSort cancelled for ", n, " files.");
    post(AppNotification::enableUserInput);
    post(AppNotification::hideProgressIndicator);
    return installed;
}

void FileDataSource::waitForSort() { currentSortTask_.wait(); }

void FileDataSource::setValidationCanceller(std::function<void()> cancel) {
    fileDataSourceActor_->run([&] { fileDataSourceActor_->validationCanceller = std::move(cancel); });
}

void FileDataSource::setRowsUpdatedHandler(std::function<void(const std::vector<int>&)> handler) {
    std::lock_guard lock(rowsHandlerMutex_);
    rowsUpdated_ = std::move(handler);
}

void FileDataSource::notifyRowsUpdated(const std::vector<int>& rows) {
    if (rows.empty())
        return;
    // Called under its lock, so that a handler is never running once it has been replaced: its owner
    // may be gone the moment after.
    std::lock_guard lock(rowsHandlerMutex_);
    if (rowsUpdated_)
        rowsUpdated_(rows);
}

void FileDataSource::observeNotifications() {
    if (!notifications_)
        return;
    observers_.add(*notifications_, AppNotification::removeFiles,
                   [this](const Notification& notification) { removeFilesEvent(notification); });
}

void FileDataSource::setOpenedFolders(std::vector<std::string> folders, bool appending) {
    for (auto& folder : folders)
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
    std::lock_guard lock(openedFoldersMutex_);
    if (!appending)
        openedFolders_.clear();
    for (auto& folder : folders)
        if (std::find(openedFolders_.begin(), openedFolders_.end(), folder) == openedFolders_.end())
            openedFolders_.push_back(std::move(folder));
}

std::vector<std::string> FileDataSource::openedFolders() const {
    std::lock_guard lock(openedFoldersMutex_);
    return openedFolders_;
}

} // namespace quillory
