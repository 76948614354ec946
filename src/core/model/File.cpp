// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/File.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace quillory {

FileId FileId::random() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    FileId id;
    do {
        id.high_ = generator();
        id.low_ = generator();
        id.high_ = (id.high_ & ~std::uint64_t{0xF000}) | 0x4000;                       // version 4
        id.low_ = (id.low_ & ~(std::uint64_t{0xC0} << 56)) | (std::uint64_t{0x80} << 56); // RFC 4122 variant
    } while (id.empty());
    return id;
}

std::string FileId::text() const {
    if (empty())
        return {};
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text(36, '-');
    std::size_t at = 0;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            ++at; // the dash is there already
        const std::uint64_t half = i < 8 ? high_ : low_;
        const auto byte = static_cast<unsigned>((half >> (56 - 8 * (i % 8))) & 0xFF);
        text[at++] = digits[byte >> 4];
        text[at++] = digits[byte & 15];
    }
    return text;
}

bool FileId::operator==(std::string_view other) const {
    const std::string own = text();
    return own.size() == other.size() &&
           std::equal(own.begin(), own.end(), other.begin(), [](char a, char b) {
               return a == (b >= 'a' && b <= 'f' ? static_cast<char>(b - 'a' + 'A') : b);
           });
}

FileId makeFileId() { return FileId::random(); }

std::string_view rawValue(TransformScope scope) {
    switch (scope) {
    case TransformScope::filename:
        return "filename";
    case TransformScope::path:
        return "path";
    case TransformScope::ext:
        return "extension";
    case TransformScope::fullPath:
        return "fullpath";
    }
    return "filename";
}

std::optional<TransformScope> transformScopeFromRaw(std::string_view raw) {
    if (raw == "filename")
        return TransformScope::filename;
    if (raw == "path")
        return TransformScope::path;
    if (raw == "extension")
        return TransformScope::ext;
    if (raw == "fullpath")
        return TransformScope::fullPath;
    return std::nullopt;
}

// --- path helpers -------------------------------------------------------------------------------

std::string percentDecode(std::string_view text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = hex(text[i + 1]);
            const int lo = hex(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string fileUrlFromPath(std::string_view path, bool isDirectory) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const auto plain = [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
               c == '_' || c == '.' || c == '~';
    };
    // Sized exactly, then written in place: URLs are made and kept for every listed file.
    std::size_t size = 7 + path.size();
    for (const char ch : path)
        size += plain(static_cast<unsigned char>(ch)) ? 0 : 2;
    // An empty path gives "file://", whose own slash ends it.
    const bool addSlash = isDirectory && !path.empty() && path.back() != '/';
    std::string url(size + (addSlash ? 1 : 0), '/');
    char* out = url.data();
    std::memcpy(out, "file://", 7);
    out += 7;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (plain(c)) {
            *out++ = ch;
        } else {
            *out++ = '%';
            *out++ = digits[c >> 4];
            *out++ = digits[c & 15];
        }
    }
    return url; // a trailing slash, when wanted, is already in place
}

std::string lastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/")
        return "/";
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::size_t lastSlash(std::string_view path) {
    const void* last = path.empty() ? nullptr : ::memrchr(path.data(), '/', path.size());
    return last ? static_cast<std::size_t>(static_cast<const char*>(last) - path.data()) : std::string_view::npos;
}

bool isInside(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path.starts_with(folder) && (path[folder.size()] == '/' || folder == "/");
}

std::string_view enclosingFolder(std::string_view path) {
    const std::size_t slash = lastSlash(path);
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? std::string_view("/") : path.substr(0, slash);
}

std::string deletingLastPathComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

namespace {
// The dot that starts the extension of a component, if it has one. A leading dot (".profile") does
// not start an extension, and neither does a final dot ("notes."): that name would otherwise lose it.
std::optional<std::size_t> extensionDot(std::string_view component) {
    const auto dot = component.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == component.size())
        return std::nullopt;
    return dot;
}
} // namespace

std::string pathExtension(std::string_view component) {
    const auto dot = extensionDot(component);
    return dot ? std::string(component.substr(*dot + 1)) : std::string();
}

std::string deletingPathExtension(std::string_view component) {
    const auto dot = extensionDot(component);
    return std::string(dot ? component.substr(0, *dot) : component);
}

std::string collapseSlashes(std::string_view path) {
    // Most paths have nothing to collapse.
    if (path.find("//") == std::string_view::npos && (path.empty() || path.back() != '/'))
        return std::string(path);
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        if (c == '/' && !out.empty() && out.back() == '/')
            continue;
        out += c;
    }
    if (!out.empty() && out.back() == '/')
        out.pop_back();
    return out;
}

std::string normaliseExtension(std::string_view ext) {
    std::string out;
    out.reserve(ext.size());
    for (const char c : ext) {
        if (c == '.' && !out.empty() && out.back() == '.')
            continue;
        out += c;
    }
    if (!out.empty() && out.front() == '.')
        out.erase(0, 1);
    if (!out.empty() && out.back() == '.')
        out.pop_back();
    return out;
}

std::string joinPath(std::string_view path, std::string_view name, std::string_view ext) {
    std::string out;
    out.reserve(path.size() + name.size() + ext.size() + 2);
    out.append(path).append("/").append(name);
    if (!ext.empty()) {
        if (ext.front() != '.')
            out += '.';
        out.append(ext);
    }
    return out;
}

// --- components ---------------------------------------------------------------------------------

std::string FileSource::fullPath() const {
    // One allocation: this runs several times per file in every pass.
    std::string out;
    out.reserve(path.size() + name.size() + ext.size() + 2);
    out.append(path).append(1, '/').append(name);
    if (!ext.empty())
        out.append(1, '.').append(ext);
    return out;
}

std::string FileSource::location() const {
    if (isFolderEntry())
        return path.empty() ? std::string("/") : path;
    return fullPath();
}

std::string FileSource::url() const { return fileUrlFromPath(location(), isFolderEntry()); }

std::string FileTransform::dottedExtension() const {
    if (transformedExt.empty())
        return {};
    if (transformedExt.front() == '.')
        return transformedExt;
    return "." + transformedExt;
}

std::string FileTransform::text(TransformScope scope) const {
    switch (scope) {
    case TransformScope::filename:
        return transformedName;
    case TransformScope::path:
        return transformedPath;
    case TransformScope::ext:
        return transformedExt;
    case TransformScope::fullPath:
        return transformedPath + "/" + transformedName + dottedExtension();
    }
    return {};
}

void FileTransform::setText(std::string_view text, TransformScope scope) {
    switch (scope) {
    case TransformScope::filename:
        transformedName = text == "/" ? std::string() : std::string(text);
        return;
    case TransformScope::path:
        transformedPath = collapseSlashes(text);
        return;
    case TransformScope::ext:
        transformedExt = normaliseExtension(text);
        return;
    case TransformScope::fullPath:
        setFullPath(text);
        return;
    }
}

void FileTransform::setFullPath(std::string_view text) {
    transformedPath = collapseSlashes(deletingLastPathComponent(text));
    const std::string last = lastPathComponent(text);
    const std::string name = deletingPathExtension(last);
    transformedName = name == "/" ? std::string() : name;
    transformedExt = normaliseExtension(pathExtension(last));
}

FileAttribute::FileAttribute(std::string id, std::string label, AttributeValue value)
    : id(std::move(id)), label(std::move(label)), attributeValue(std::move(value)) {
    if (auto* text = std::get_if<std::string>(&attributeValue.data)) {
        std::string sanitised;
        sanitised.reserve(text->size());
        for (const char c : *text) {
            if (c == ':')
                sanitised += "\xEA\x9E\x89"; // U+A789 MODIFIER LETTER COLON
            else if (c == '/')
                sanitised += ':';
            else
                sanitised += c;
        }
        *text = std::move(sanitised);
    }
}

// --- file ---------------------------------------------------------------------------------------

File File::fromUrl(std::string_view url, bool isAlias) {
    File file;
    file.source.id = makeFileId();
    file.source.isAlias = isAlias;

    auto stripScheme = [](std::string decoded) {
        for (std::size_t pos; (pos = decoded.find("file://")) != std::string::npos;)
            decoded.erase(pos, 7);
        if (!decoded.empty() && decoded.back() == '/')
            decoded.pop_back();
        return decoded;
    };

    if (!url.empty() && url.back() == '/') {
        file.source.path = stripScheme(percentDecode(url));
    } else {
        const auto slash = url.rfind('/');
        const std::string_view parent = slash == std::string_view::npos ? std::string_view() : url.substr(0, slash + 1);
        const std::string last = percentDecode(slash == std::string_view::npos ? url : url.substr(slash + 1));
        file.source.path = stripScheme(percentDecode(parent));
        file.source.name = deletingPathExtension(last);
        file.source.ext = pathExtension(last);
    }

    file.transformed.transformedPath = file.source.path;
    file.transformed.transformedName = file.source.name;
    file.transformed.transformedExt = file.source.ext;
    return file;
}

namespace {
// A new record of the entry `last` of `folder`, both as they stand in a plain path.
File plainRecord(std::string_view folder, std::string_view last, bool isAlias) {
    File file;
    file.source.id = makeFileId();
    file.source.isAlias = isAlias;
    file.source.path = std::string(folder);
    file.source.name = deletingPathExtension(last);
    file.source.ext = pathExtension(last);
    file.transformed.transformedPath = file.source.path;
    file.transformed.transformedName = file.source.name;
    file.transformed.transformedExt = file.source.ext;
    return file;
}
} // namespace

File File::fromPath(std::string_view absolutePath, bool isAlias) {
    // The pieces come straight from the path, as decoding its URL would give them; a path that ends in
    // "/" or holds a scheme text takes the long way, which treats those specially.
    if (absolutePath.empty() || absolutePath.back() == '/' || absolutePath.find("file://") != std::string_view::npos)
        return fromUrl(fileUrlFromPath(absolutePath), isAlias);
    const auto slash = lastSlash(absolutePath);
    if (slash == std::string_view::npos)
        return plainRecord({}, absolutePath, isAlias);
    return plainRecord(absolutePath.substr(0, slash), absolutePath.substr(slash + 1), isAlias);
}

File File::inFolder(const std::string& folder, std::string_view name, bool isAlias) {
    // Joining adds one "/" (none after the root), so only the folder can hold a scheme text; a name
    // with a "/" is not one entry. Both take the long way.
    if (name.empty() || name.find('/') != std::string_view::npos || folder.find("file://") != std::string::npos)
        return fromPath((folder == "/" ? std::string() : folder) + "/" + std::string(name), isAlias);
    return plainRecord(folder == "/" ? std::string_view() : std::string_view(folder), name, isAlias);
}

void File::resetTransform() {
    transformed.transformedName = source.name == "/" ? std::string() : source.name;
    transformed.transformedPath = collapseSlashes(source.path);
    transformed.transformedExt = normaliseExtension(source.ext);
    transformed.isSelected = true;
    validation.errors.clear();
    validation.warnings.clear();
}

bool File::isRenameRequired() const {
    if (!validation.errors.empty())
        return false;
    return transformed.transformedName != source.name || transformed.transformedPath != source.path ||
           transformed.transformedExt != source.ext;
}

std::string File::parentDirectory(int level) const {
    std::vector<std::string_view> pieces;
    std::string_view path = source.path;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('/', start);
        const auto end = slash == std::string_view::npos ? path.size() : slash;
        if (end > start)
            pieces.push_back(path.substr(start, end - start));
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    const auto count = static_cast<int>(pieces.size());
    if (level < 1 || level > count)
        return {};
    return std::string(pieces[static_cast<std::size_t>(count - level)]);
}

} // namespace quillory
