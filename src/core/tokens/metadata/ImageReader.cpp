// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/ImageReader.h"

#include "app/Logger.h"
#include "tokens/metadata/MetadataConsole.h"

#include <exiv2/exiv2.hpp>
#include <libheif/heif.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>

namespace quillory {

namespace {

enum class Shape { scalar, list, coordinate, time, compactText };

struct Mapping {
    const char* dictionary;
    const char* name;
    Shape shape = Shape::scalar;
};

// Library keys and the names the platform dictionaries use for them.
const std::unordered_map<std::string, Mapping>& exifMappings() {
    static const std::unordered_map<std::string, Mapping> table = {
        {"Exif.Image.Make", {"{TIFF}", "Make"}},
        {"Exif.Image.Model", {"{TIFF}", "Model"}},
        {"Exif.Image.Software", {"{TIFF}", "Software"}},
        {"Exif.Image.DateTime", {"{TIFF}", "DateTime"}},
        {"Exif.Image.Artist", {"{TIFF}", "Artist"}},
        {"Exif.Image.Copyright", {"{TIFF}", "Copyright"}},
        {"Exif.Image.ImageDescription", {"{TIFF}", "ImageDescription"}},
        {"Exif.Image.HostComputer", {"{TIFF}", "HostComputer"}},
        {"Exif.Image.Orientation", {"{TIFF}", "Orientation"}},
        {"Exif.Image.XResolution", {"{TIFF}", "XResolution"}},
        {"Exif.Image.YResolution", {"{TIFF}", "YResolution"}},
        {"Exif.Image.ResolutionUnit", {"{TIFF}", "ResolutionUnit"}},
        {"Exif.Photo.DateTimeOriginal", {"{Exif}", "DateTimeOriginal"}},
        {"Exif.Photo.DateTimeDigitized", {"{Exif}", "DateTimeDigitized"}},
        {"Exif.Photo.OffsetTime", {"{Exif}", "OffsetTime"}},
        {"Exif.Photo.OffsetTimeOriginal", {"{Exif}", "OffsetTimeOriginal"}},
        {"Exif.Photo.OffsetTimeDigitized", {"{Exif}", "OffsetTimeDigitized"}},
        {"Exif.Photo.SubSecTime", {"{Exif}", "SubsecTime"}},
        {"Exif.Photo.SubSecTimeOriginal", {"{Exif}", "SubsecTimeOriginal"}},
        {"Exif.Photo.SubSecTimeDigitized", {"{Exif}", "SubsecTimeDigitized"}},
        {"Exif.Photo.ExposureTime", {"{Exif}", "ExposureTime"}},
        {"Exif.Photo.FNumber", {"{Exif}", "FNumber"}},
        {"Exif.Photo.ExposureProgram", {"{Exif}", "ExposureProgram"}},
        {"Exif.Photo.ISOSpeedRatings", {"{Exif}", "ISOSpeedRatings", Shape::list}},
        {"Exif.Photo.ShutterSpeedValue", {"{Exif}", "ShutterSpeedValue"}},
        {"Exif.Photo.ApertureValue", {"{Exif}", "ApertureValue"}},
        {"Exif.Photo.BrightnessValue", {"{Exif}", "BrightnessValue"}},
        {"Exif.Photo.ExposureBiasValue", {"{Exif}", "ExposureBiasValue"}},
        {"Exif.Photo.MaxApertureValue", {"{Exif}", "MaxApertureValue"}},
        {"Exif.Photo.SubjectDistance", {"{Exif}", "SubjectDistance"}},
        {"Exif.Photo.MeteringMode", {"{Exif}", "MeteringMode"}},
        {"Exif.Photo.LightSource", {"{Exif}", "LightSource"}},
        {"Exif.Photo.Flash", {"{Exif}", "Flash"}},
        {"Exif.Photo.FocalLength", {"{Exif}", "FocalLength"}},
        {"Exif.Photo.ColorSpace", {"{Exif}", "ColorSpace"}},
        {"Exif.Photo.PixelXDimension", {"{Exif}", "PixelXDimension"}},
        {"Exif.Photo.PixelYDimension", {"{Exif}", "PixelYDimension"}},
        {"Exif.Photo.ExposureMode", {"{Exif}", "ExposureMode"}},
        {"Exif.Photo.WhiteBalance", {"{Exif}", "WhiteBalance"}},
        {"Exif.Photo.DigitalZoomRatio", {"{Exif}", "DigitalZoomRatio"}},
        {"Exif.Photo.FocalLengthIn35mmFilm", {"{Exif}", "FocalLenIn35mmFilm"}},
        {"Exif.Photo.SceneCaptureType", {"{Exif}", "SceneCaptureType"}},
        {"Exif.Photo.Contrast", {"{Exif}", "Contrast"}},
        {"Exif.Photo.Saturation", {"{Exif}", "Saturation"}},
        {"Exif.Photo.Sharpness", {"{Exif}", "Sharpness"}},
        {"Exif.Photo.ImageUniqueID", {"{Exif}", "ImageUniqueID"}},
        {"Exif.Photo.CameraOwnerName", {"{Exif}", "CameraOwnerName"}},
        {"Exif.Photo.BodySerialNumber", {"{Exif}", "BodySerialNumber"}},
        {"Exif.Photo.LensSpecification", {"{Exif}", "LensSpecification", Shape::list}},
        {"Exif.Photo.LensMake", {"{Exif}", "LensMake"}},
        {"Exif.Photo.LensModel", {"{Exif}", "LensModel"}},
        {"Exif.Photo.LensSerialNumber", {"{Exif}", "LensSerialNumber"}},
        {"Exif.GPSInfo.GPSVersionID", {"{GPS}", "GPSVersion", Shape::list}},
        {"Exif.GPSInfo.GPSLatitudeRef", {"{GPS}", "LatitudeRef"}},
        {"Exif.GPSInfo.GPSLatitude", {"{GPS}", "Latitude", Shape::coordinate}},
        {"Exif.GPSInfo.GPSLongitudeRef", {"{GPS}", "LongitudeRef"}},
        {"Exif.GPSInfo.GPSLongitude", {"{GPS}", "Longitude", Shape::coordinate}},
        {"Exif.GPSInfo.GPSAltitudeRef", {"{GPS}", "AltitudeRef"}},
        {"Exif.GPSInfo.GPSAltitude", {"{GPS}", "Altitude"}},
        {"Exif.GPSInfo.GPSTimeStamp", {"{GPS}", "TimeStamp", Shape::time}},
        {"Exif.GPSInfo.GPSDateStamp", {"{GPS}", "DateStamp"}},
        {"Exif.GPSInfo.GPSSatellites", {"{GPS}", "Satellites"}},
        {"Exif.GPSInfo.GPSStatus", {"{GPS}", "Status"}},
        {"Exif.GPSInfo.GPSMeasureMode", {"{GPS}", "MeasureMode"}},
        {"Exif.GPSInfo.GPSDOP", {"{GPS}", "DOP"}},
        {"Exif.GPSInfo.GPSSpeedRef", {"{GPS}", "SpeedRef"}},
        {"Exif.GPSInfo.GPSSpeed", {"{GPS}", "Speed"}},
        {"Exif.GPSInfo.GPSTrackRef", {"{GPS}", "TrackRef"}},
        {"Exif.GPSInfo.GPSTrack", {"{GPS}", "Track"}},
        {"Exif.GPSInfo.GPSImgDirectionRef", {"{GPS}", "ImgDirectionRef"}},
        {"Exif.GPSInfo.GPSImgDirection", {"{GPS}", "ImgDirection"}},
        {"Exif.GPSInfo.GPSMapDatum", {"{GPS}", "MapDatum"}},
        {"Exif.GPSInfo.GPSDestBearingRef", {"{GPS}", "DestBearingRef"}},
        {"Exif.GPSInfo.GPSDestBearing", {"{GPS}", "DestBearing"}},
        {"Exif.GPSInfo.GPSHPositioningError", {"{GPS}", "HPositioningError"}},
    };
    return table;
}

const std::unordered_map<std::string, Mapping>& iptcMappings() {
    static const std::unordered_map<std::string, Mapping> table = {
        {"Iptc.Application2.ObjectName", {"{IPTC}", "ObjectName"}},
        {"Iptc.Application2.Keywords", {"{IPTC}", "Keywords", Shape::list}},
        {"Iptc.Application2.City", {"{IPTC}", "City"}},
        {"Iptc.Application2.SubLocation", {"{IPTC}", "SubLocation"}},
        {"Iptc.Application2.ProvinceState", {"{IPTC}", "Province/State"}},
        {"Iptc.Application2.CountryName", {"{IPTC}", "Country/PrimaryLocationName"}},
        {"Iptc.Application2.CountryCode", {"{IPTC}", "Country/PrimaryLocationCode"}},
        {"Iptc.Application2.Byline", {"{IPTC}", "Byline", Shape::list}},
        {"Iptc.Application2.BylineTitle", {"{IPTC}", "BylineTitle", Shape::list}},
        {"Iptc.Application2.Caption", {"{IPTC}", "Caption/Abstract"}},
        {"Iptc.Application2.Headline", {"{IPTC}", "Headline"}},
        {"Iptc.Application2.Credit", {"{IPTC}", "Credit"}},
        {"Iptc.Application2.Source", {"{IPTC}", "Source"}},
        {"Iptc.Application2.Copyright", {"{IPTC}", "CopyrightNotice"}},
        {"Iptc.Application2.DateCreated", {"{IPTC}", "DateCreated", Shape::compactText}},
        {"Iptc.Application2.TimeCreated", {"{IPTC}", "TimeCreated", Shape::compactText}},
        {"Iptc.Application2.Writer", {"{IPTC}", "Writer/Editor"}},
        {"Iptc.Application2.Program", {"{IPTC}", "OriginatingProgram"}},
        {"Iptc.Application2.ProgramVersion", {"{IPTC}", "ProgramVersion"}},
        {"Iptc.Application2.Category", {"{IPTC}", "Category"}},
        {"Iptc.Application2.SuppCategory", {"{IPTC}", "SupplementalCategory", Shape::list}},
        {"Iptc.Application2.SpecialInstructions", {"{IPTC}", "SpecialInstructions"}},
        {"Iptc.Application2.Contact", {"{IPTC}", "Contact", Shape::list}},
    };
    return table;
}

std::string trimmedText(std::string text) {
    while (!text.empty() && (text.back() == '\0' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::optional<double> rationalAt(const Exiv2::Value& value, long index) {
    Exiv2::Rational r = value.toRational(index);
    if (r.second == 0)
        return std::nullopt;
    return static_cast<double>(r.first) / static_cast<double>(r.second);
}

// One element as a number or text, by the stored type.
std::optional<AttributeValue> element(const Exiv2::Value& value, long index) {
    switch (value.typeId()) {
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedByte:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
    case Exiv2::tiffIfd: return AttributeValue(static_cast<std::int64_t>(value.toLong(index)));
    case Exiv2::unsignedRational:
    case Exiv2::signedRational:
        if (auto number = rationalAt(value, index))
            return AttributeValue(*number);
        return std::nullopt;
    case Exiv2::tiffFloat:
    case Exiv2::tiffDouble: return AttributeValue(static_cast<double>(value.toFloat(index)));
    default: return std::nullopt;
    }
}

bool isText(const Exiv2::Value& value) {
    auto type = value.typeId();
    return type == Exiv2::asciiString || type == Exiv2::string || type == Exiv2::date || type == Exiv2::time;
}

std::optional<AttributeValue> convert(const Exiv2::Value& value, Shape shape) {
    long count = value.count();
    if (count <= 0)
        return std::nullopt;
    switch (shape) {
    case Shape::coordinate: {
        // Degrees, minutes, seconds as rationals; the sign lives in the reference letter.
        double degrees = 0;
        double scale = 1;
        for (long i = 0; i < std::min(count, 3L); ++i, scale *= 60) {
            auto part = rationalAt(value, i);
            if (!part)
                return std::nullopt;
            degrees += *part / scale;
        }
        return AttributeValue(std::fabs(degrees));
    }
    case Shape::time: {
        if (count < 3)
            return std::nullopt;
        auto h = rationalAt(value, 0), m = rationalAt(value, 1), s = rationalAt(value, 2);
        if (!h || !m || !s)
            return std::nullopt;
        char text[32];
        if (*s == std::floor(*s))
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(*h), int(*m), int(*s));
        else
            std::snprintf(text, sizeof text, "%02d:%02d:%05.2f", int(*h), int(*m), *s);
        return AttributeValue(std::string(text));
    }
    case Shape::compactText: {
        std::string text = trimmedText(value.toString());
        std::string compact;
        for (char c : text)
            if (c != '-' && c != ':')
                compact.push_back(c);
        return AttributeValue(compact);
    }
    case Shape::scalar:
    case Shape::list: break;
    }
    if (isText(value))
        return AttributeValue(trimmedText(value.toString()));
    if (count == 1 && shape == Shape::scalar)
        return element(value, 0);
    AttributeValue::List list;
    for (long i = 0; i < count; ++i)
        if (auto item = element(value, i))
            list.push_back(std::move(*item));
    if (list.empty())
        return std::nullopt;
    return AttributeValue(std::move(list));
}

std::optional<double> asNumber(const AttributeValue* value) {
    if (!value)
        return std::nullopt;
    if (auto integer = value->integer())
        return static_cast<double>(*integer);
    if (auto real = value->real())
        return *real;
    return std::nullopt;
}

void addTopLevel(ImageProperties& properties, const Exiv2::Image& image) {
    std::int64_t width = image.pixelWidth();
    std::int64_t height = image.pixelHeight();
    if (width <= 0 || height <= 0) {
        auto x = asNumber(properties.value("{Exif}", "PixelXDimension"));
        auto y = asNumber(properties.value("{Exif}", "PixelYDimension"));
        width = x ? static_cast<std::int64_t>(*x) : 0;
        height = y ? static_cast<std::int64_t>(*y) : 0;
    }
    if (width > 0 && height > 0) {
        properties.set("PixelWidth", AttributeValue(width));
        properties.set("PixelHeight", AttributeValue(height));
    }
    if (auto orientation = properties.value("{TIFF}", "Orientation"))
        properties.set("Orientation", *orientation);
    // Resolution is only meaningful with a unit: inches as they are, centimetres converted.
    auto unit = asNumber(properties.value("{TIFF}", "ResolutionUnit")).value_or(2);
    double factor = unit == 2 ? 1.0 : unit == 3 ? 2.54 : 0.0;
    auto x = asNumber(properties.value("{TIFF}", "XResolution"));
    auto y = asNumber(properties.value("{TIFF}", "YResolution"));
    if (factor > 0 && x && y) {
        properties.set("DPIWidth", AttributeValue(*x * factor));
        properties.set("DPIHeight", AttributeValue(*y * factor));
    }
}

ImageProperties collect(Exiv2::Image& image) {
    ImageProperties properties;
    const auto& exif = exifMappings();
    for (const auto& datum : image.exifData()) {
        auto it = exif.find(datum.key());
        if (it == exif.end())
            continue;
        if (auto value = convert(datum.value(), it->second.shape))
            properties.set(it->second.dictionary, it->second.name, std::move(*value));
    }
    const auto& iptc = iptcMappings();
    for (const auto& datum : image.iptcData()) {
        auto it = iptc.find(datum.key());
        if (it == iptc.end())
            continue;
        auto value = convert(datum.value(), it->second.shape == Shape::list ? Shape::scalar : it->second.shape);
        if (!value)
            continue;
        if (it->second.shape == Shape::list)
            properties.append(it->second.dictionary, it->second.name, std::move(*value));
        else
            properties.set(it->second.dictionary, it->second.name, std::move(*value));
    }
    addTopLevel(properties, image);
    return properties;
}

// The EXIF block of a HEIC or AVIF file as TIFF bytes. The image library finds the block only in the
// item layouts of some writers; libheif reads them all.
std::optional<std::string> heifExif(const std::filesystem::path& path) {
    std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(), heif_context_free);
    if (!context || heif_context_read_from_file(context.get(), path.c_str(), nullptr).code != heif_error_Ok)
        return std::nullopt;
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return std::nullopt;
    std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> handle(rawHandle,
                                                                                    heif_image_handle_release);
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), "Exif", &id, 1) < 1)
        return std::nullopt;
    std::string block(heif_image_handle_get_metadata_size(handle.get(), id), '\0');
    if (block.size() < 4 || heif_image_handle_get_metadata(handle.get(), id, block.data()).code != heif_error_Ok)
        return std::nullopt;
    // The block starts with the offset of the TIFF header behind those four bytes ("Exif\0\0" usually).
    std::uint32_t offset = 0;
    for (int i = 0; i < 4; ++i)
        offset = (offset << 8) | static_cast<std::uint8_t>(block[static_cast<std::size_t>(i)]);
    if (offset > block.size() - 4)
        return std::nullopt;
    return block.substr(4 + offset);
}

void addHeifExif(Exiv2::Image& image, const std::filesystem::path& path) {
    const auto tiff = heifExif(path);
    if (!tiff || tiff->empty())
        return;
    Exiv2::ExifData exif;
    Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(tiff->data()),
                              static_cast<std::uint32_t>(tiff->size()));
    image.setExifData(exif);
}

} // namespace

std::optional<ImageProperties> readImageProperties(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    metadata::routeLibraryOutputToLogger();
    // HEIC and AVIF photos keep their EXIF in ISO media boxes, which the library reads only when asked to.
    static const bool mediaBoxes = (Exiv2::enableBMFF(true), true);
    (void)mediaBoxes;
    try {
        const int type = Exiv2::ImageFactory::getType(path.string());
        if (!type)
            return std::nullopt; // not an image format the library knows
        auto image = Exiv2::ImageFactory::open(path.string());
        if (!image.get())
            return std::nullopt;
        image->readMetadata();
        if (type == Exiv2::ImageType::bmff && image->exifData().empty())
            addHeifExif(*image, path);
        return collect(*image);
    } catch (const std::exception& failure) {
        Logger::log("Image properties of ", path.string(), " unreadable: ", failure.what());
    } catch (...) {
        Logger::log("Image properties of ", path.string(), " unreadable");
    }
    return std::nullopt;
}

} // namespace quillory
