// quillon-cli settings [--json] | settings get NAME | settings set NAME VALUE: the values of the
// Options key, global and per format, by their value names.
#include <charconv>
#include <cstdio>
#include <set>
#include <string>

#include "app/session.h"
#include "cli/cli_command.h"
#include "formats/conversion_settings.h"
#include "formats/settings_values.h"
#include "platform/registry_store.h"
#include "util/json_writer.h"
#include "util/numbers.h"
#include "util/text.h"

namespace quillon::cli {

namespace {

using formats::SettingType;
using formats::SettingValue;

constexpr const char* kUsage = "settings [--json] | settings get NAME | settings set NAME VALUE";

// The shortest text that reads back as the same double ("29.97", "-1").
std::string ShortestDouble(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string ValueText(const SettingValue& v) {
    switch (v.type) {
    case SettingType::Dword: return std::to_string(*v.dword);
    case SettingType::String: return *v.text;
    case SettingType::Double: return ShortestDouble(*v.number);
    }
    return {};
}

// A DWORD accepts any 32-bit pattern: -2147483648 ... 4294967295.
bool ParseDword(const std::string& text, int32_t& out) {
    const std::optional<int64_t> v = util::ReadInteger<int64_t>(text);
    if (!v || *v < INT32_MIN || *v > int64_t{UINT32_MAX}) return false;
    out = static_cast<int32_t>(static_cast<uint32_t>(*v));
    return true;
}

bool ParseDouble(const std::string& text, double& out) {
    const std::optional<double> v = util::ReadNumber(text);
    if (v) out = *v;
    return v.has_value();
}

struct Loaded {
    app::Session session;
    std::vector<SettingValue> values;  // each name once, pointing into the session
};

void Load(Loaded& loaded) {
    loaded.session.Load();
    std::set<std::string> seen;
    for (SettingValue& v : formats::AllSettingValues(loaded.session.Settings(), loaded.session.Catalogue())) {
        if (seen.insert(v.name).second) loaded.values.push_back(std::move(v));
    }
}

int Unknown(const std::string& name) {
    std::fprintf(stderr, "quillon-cli settings: unknown setting \"%s\"\n", name.c_str());
    return 2;
}

int List(const std::vector<SettingValue>& values, bool json) {
    if (!json) {
        for (const SettingValue& v : values) {
            std::printf("%s (%s) = %s\n", v.name.c_str(), formats::SettingTypeName(v.type), ValueText(v).c_str());
        }
        return 0;
    }
    util::JsonWriter out;
    out.BeginArray();
    for (const SettingValue& v : values) {
        out.BeginObject().Key("name").String(v.name).Key("type").String(formats::SettingTypeName(v.type));
        out.Key("value");
        switch (v.type) {
        case SettingType::Dword: out.Int(*v.dword); break;
        case SettingType::String: out.String(*v.text); break;
        case SettingType::Double: out.Double(*v.number); break;
        }
        out.EndObject();
    }
    out.EndArray();
    std::printf("%s\n", out.str().c_str());
    return 0;
}

int Set(Loaded& loaded, const std::string& name, const std::string& text) {
    const SettingValue* found = nullptr;
    for (const SettingValue& v : loaded.values) {
        if (util::EqualsIgnoringAsciiCase(v.name, name)) found = &v;
    }
    if (!found) return Unknown(name);
    SettingValue v = *found;
    switch (v.type) {
    case SettingType::Dword:
        if (!ParseDword(text, *v.dword)) {
            std::fprintf(stderr,
                         "quillon-cli settings: %s is a dword; \"%s\" is not a whole number "
                         "from -2147483648 to 4294967295\n",
                         v.name.c_str(), text.c_str());
            return 2;
        }
        break;
    case SettingType::Double:
        if (!ParseDouble(text, *v.number)) {
            std::fprintf(stderr, "quillon-cli settings: %s is a double; \"%s\" is not a number\n", v.name.c_str(),
                         text.c_str());
            return 2;
        }
        break;
    case SettingType::String: *v.text = text; break;
    }
    // Only this value is written; whatever else the store holds stays as another process left it.
    platform::RegistryStore& store = loaded.session.Store();
    if (!store.Update([&](platform::RegistryTree& tree) { formats::WriteSettingValue(tree, v); })) {
        std::fprintf(stderr, "quillon-cli settings: cannot write %s\n", store.FilePath().c_str());
        return 1;
    }
    return 0;
}

int RunSettings(const std::vector<std::string>& args) {
    Loaded loaded;
    if (args.empty() || (args.size() == 1 && args[0] == "--json")) {
        Load(loaded);
        return List(loaded.values, !args.empty());
    }
    if (args[0] == "get" && args.size() == 2) {
        Load(loaded);
        for (const SettingValue& v : loaded.values) {
            if (util::EqualsIgnoringAsciiCase(v.name, args[1])) {
                std::printf("%s\n", ValueText(v).c_str());
                return 0;
            }
        }
        return Unknown(args[1]);
    }
    if (args[0] == "set" && args.size() == 3) {
        Load(loaded);
        return Set(loaded, args[1], args[2]);
    }
    std::fprintf(stderr, "usage: quillon-cli %s\n", kUsage);
    return 2;
}

const CliCommandRegistration kRegistration{CliCommand{"settings", kUsage, &RunSettings}};

}  // namespace

}  // namespace quillon::cli
