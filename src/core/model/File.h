// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/AttributeSources.h"
#include "model/AttributeValue.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace quillory {

// A file's identity in the list, kept by its source: a random version 4 UUID. Held as its 128 bits,
// which a record copies without touching the heap; scripts read it as text.
class FileId {
public:
    FileId() = default; // the empty id, which no listed file has
    static FileId random();
    // "XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX" in upper-case hex; empty for the empty id.
    std::string text() const;
    bool empty() const { return high_ == 0 && low_ == 0; }
    bool operator==(const FileId&) const = default;
    // The id written as text() (either case), for a caller that names a file by its id.
    bool operator==(std::string_view text) const;

private:
    std::uint64_t high_ = 0;
    std::uint64_t low_ = 0;
};
FileId makeFileId();

// Which part of a name an action works on. Raw values are stored in recipes.
enum class TransformScope { filename, path, ext, fullPath };
std::string_view rawValue(TransformScope scope);
std::optional<TransformScope> transformScopeFromRaw(std::string_view raw);

// Where the item is now.
struct FileSource {
    FileId id;
    std::string path;      // containing folder, no trailing "/"
    std::string name;      // last component without extension
    std::string ext;       // extension without the dot
    bool isAlias = false;  // a symbolic link

    std::string fullPath() const;
    // An entry with neither name nor extension stands for its folder.
    bool isFolderEntry() const { return name.empty() && ext.empty(); }
    // Where the item is: its full path, or its folder's for a folder entry ("/" for the root).
    std::string location() const;
    // The file URL of the location, percent-encoded; a folder's ends in "/". Made when asked for: the
    // list would otherwise hold a second spelling of every path.
    std::string url() const;
    // The same place: the same folder, name and extension.
    bool sameLocation(const FileSource& other) const {
        return name == other.name && ext == other.ext && path == other.path;
    }
    bool operator==(const FileSource&) const = default;
};

// The new location the chain of actions computed.
struct FileTransform {
    std::string transformedPath;
    std::string transformedName;
    std::string transformedExt;
    bool isDirty = true;
    bool isSelected = true;
    int sequenceOffset = 0;

    std::string dottedExtension() const;
    std::string text(TransformScope scope) const;
    void setText(std::string_view text, TransformScope scope);
    void setFullPath(std::string_view text);
    std::string fullPath() const { return text(TransformScope::fullPath); }
    bool operator==(const FileTransform&) const = default;
};

// The errors or the warnings of a file, in order. Nearly every file has none, so an empty set is one
// pointer and takes nothing from the heap: a list of 100,000 files would otherwise hold 200,000 empty
// trees of 48 bytes each.
class TextSet {
public:
    using Texts = std::set<std::string>;
    using value_type = std::string;
    using const_iterator = Texts::const_iterator;
    using iterator = const_iterator;

    TextSet() = default;
    TextSet(std::initializer_list<std::string> texts) { insert(texts.begin(), texts.end()); }
    TextSet(const TextSet& other) { *this = other; }
    TextSet(TextSet&&) noexcept = default;
    TextSet& operator=(const TextSet& other) {
        if (this != &other)
            texts_ = other.empty() ? nullptr : std::make_unique<Texts>(*other.texts_);
        return *this;
    }
    TextSet& operator=(TextSet&&) noexcept = default;

    bool empty() const { return !texts_ || texts_->empty(); }
    std::size_t size() const { return texts_ ? texts_->size() : 0; }
    const_iterator begin() const { return texts().begin(); }
    const_iterator end() const { return texts().end(); }
    bool contains(const std::string& text) const { return texts_ && texts_->contains(text); }

    void insert(std::string text) { own().insert(std::move(text)); }
    template <typename Iterator> void insert(Iterator first, Iterator last) {
        if (first != last)
            own().insert(first, last);
    }
    void clear() { texts_.reset(); }

    bool operator==(const TextSet& other) const { return std::equal(begin(), end(), other.begin(), other.end()); }
    bool operator==(const Texts& other) const { return std::equal(begin(), end(), other.begin(), other.end()); }

private:
    const Texts& texts() const {
        static const Texts none;
        return texts_ ? *texts_ : none;
    }
    Texts& own() {
        if (!texts_)
            texts_ = std::make_unique<Texts>();
        return *texts_;
    }
    std::unique_ptr<Texts> texts_;
};

struct FileValidation {
    TextSet errors;
    TextSet warnings;
    std::string uniqueSuffix;
    bool operator==(const FileValidation&) const = default;
};

// A sanitised attribute: in text values ":" becomes U+A789 and then "/" becomes ":", so that a value
// never adds a path separator to a name.
struct FileAttribute {
    std::string id;
    std::string label;
    AttributeValue attributeValue;

    FileAttribute() = default;
    FileAttribute(std::string id, std::string label, AttributeValue value);
    bool operator==(const FileAttribute&) const = default;
};

using AttributeMap = std::map<std::string, FileAttribute>;

// Not loaded (a newly listed file), none (there is no map), or loaded (possibly empty) from some sources.
struct FileAttributes {
    enum class State { notLoaded, none, loaded };
    State state = State::notLoaded;
    AttributeMap attributes;
    AttributeSources sources; // what a loaded map was read from

    static FileAttributes notLoaded() { return {}; }
    static FileAttributes none() { return {State::none, {}, {}}; }
    static FileAttributes loaded(AttributeMap map, AttributeSources from = AttributeSources::all()) {
        return {State::loaded, std::move(map), from};
    }
    bool isLoaded() const { return state == State::loaded; }
    // Whether the map holds everything these sources would give; a file without a map needs nothing.
    bool covers(AttributeSources wanted) const {
        if (state == State::none || wanted.empty())
            return true;
        return state == State::loaded && sources.contains(wanted);
    }
    bool operator==(const FileAttributes&) const = default;
};

enum class FileComponentMutation { source, transformed, validation, attributes };

struct File {
    std::optional<int> index;
    FileSource source;
    FileTransform transformed;
    FileValidation validation;
    FileAttributes attributes;

    // From a file URL ("file:///home/me/a%20b.txt") or, for convenience, an absolute path.
    static File fromUrl(std::string_view url, bool isAlias = false);
    static File fromPath(std::string_view absolutePath, bool isAlias = false);
    // An entry `name` of `folder`, as fromPath gives it for the joined path, without joining the path and
    // splitting it again: a folder of many thousand entries is read this way.
    static File inFolder(const std::string& folder, std::string_view name, bool isAlias = false);

    const FileId& id() const { return source.id; }
    void resetTransform();
    bool isRenameRequired() const;
    std::string parentDirectory(int level) const;

    // Two records of one file: they are at the same place (whatever their new names).
    bool isSameFile(const File& other) const { return source.sameLocation(other.source); }
};

// Percent-encoding of a path into a file URL and back; every byte sequence survives.
std::string fileUrlFromPath(std::string_view path, bool isDirectory = false);
std::string percentDecode(std::string_view text);

// Path helpers with the platform's rules: the extension is the text after the last dot of the last
// component; a component that only begins with a dot has none.
std::string lastPathComponent(std::string_view path);
std::string deletingLastPathComponent(std::string_view path);
// The folder part of a path as written, a view into it: up to its last "/" ("/" for an item at the root,
// "" without a "/"). Unlike deletingLastPathComponent it does not skip trailing slashes.
std::string_view enclosingFolder(std::string_view path);
// Whether `path` lies below `folder` (not the folder itself).
bool isInside(std::string_view path, std::string_view folder);
// Where the last "/" of a path is; npos without one. Asked several times for every moved file: it looks a
// word at a time where rfind looks a byte at a time.
std::size_t lastSlash(std::string_view path);
std::string pathExtension(std::string_view component);
std::string deletingPathExtension(std::string_view component);
std::string normaliseExtension(std::string_view ext);
std::string collapseSlashes(std::string_view path);
// path + "/" + name + extension part, where the extension part keeps a leading dot if present.
std::string joinPath(std::string_view path, std::string_view name, std::string_view ext);

} // namespace quillory
