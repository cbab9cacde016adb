#include "formula/input_names.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "formula/bad_input.h"

namespace {

bool IsName(const std::string& name) {
    const auto letter = [](unsigned char c) { return std::isalpha(c) || c == '_'; };
    const auto rest = [&letter](unsigned char c) { return letter(c) || std::isdigit(c) || c == '.'; };
    return !name.empty() && letter(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(), rest) && name != "inf" && name != "NaN";
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

std::vector<std::string> ReadInputNames(const std::string& list) {
    std::vector<std::string> names;
    std::istringstream items(list + ",");  // so that a trailing comma leaves an empty name
    for (std::string name; std::getline(items, name, ',');) {
        if (!IsName(name)) {
            throw BadInput("--names: " + Quoted(name) +
                           " is not a name (a letter or _, then letters, digits, _ or .)");
        }
        if (std::find(names.begin(), names.end(), name) != names.end())
            throw BadInput("--names: " + Quoted(name) + " is given twice");
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> InputNames(const std::vector<std::string>& names, std::size_t inputCount,
                                    std::int64_t halfWidth) {
    const auto width = static_cast<std::size_t>(2 * halfWidth + 1);
    if (names.size() * width != inputCount) {
        std::string what = std::to_string(names.size()) + (names.size() == 1 ? " name" : " names");
        if (width > 1) what += " in windows of " + std::to_string(width) + " rows";
        throw BadInput("--names gives " + what + " for " + std::to_string(inputCount) + " inputs");
    }
    if (width == 1) return names;
    std::vector<std::string> windowNames;
    for (std::int64_t offset = -halfWidth; offset <= halfWidth; ++offset) {
        const std::string at = (offset > 0 ? "[+" : "[") + std::to_string(offset) + "]";
        for (const std::string& name : names) windowNames.push_back(name + at);
    }
    return windowNames;
}
