#include "app/bench_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace Quellon {

namespace {

// Which options a scenario takes.
enum OptionBit : uint32_t {
    kRows = 1u << 0,
    kPos = 1u << 1,
    kThread = 1u << 2,
    kRate = 1u << 3,
    kSeconds = 1u << 4,
    kSource = 1u << 5,
    kHighlight = 1u << 6,
    kSorted = 1u << 7,
    kWidth = 1u << 8,
    kHeight = 1u << 9,
    kFrames = 1u << 10,
    kScreenshot = 1u << 11,
};

uint32_t AllowedOptions(BenchScenario scenario)
{
    switch (scenario) {
    case BenchScenario::Add: return kRows | kPos | kThread | kScreenshot;
    case BenchScenario::Remove: return kRows | kThread | kScreenshot;
    case BenchScenario::Updates: return kRows | kRate | kSeconds | kSource | kHighlight | kSorted | kScreenshot;
    case BenchScenario::Paint: return kRows | kWidth | kHeight | kFrames | kScreenshot;
    case BenchScenario::Mixed: return kRows | kPos | kRate | kHighlight | kScreenshot;
    case BenchScenario::Memory: return kRows | kScreenshot;
    case BenchScenario::Soak: return kRows | kSeconds;
    case BenchScenario::Default: return kScreenshot;
    case BenchScenario::Help: return 0;
    }
    return 0;
}

struct OptionName {
    std::string_view name;
    OptionBit bit;
    bool takesValue;
};

constexpr OptionName kOptions[] = {
    {"--rows", kRows, true},         {"--pos", kPos, true},       {"--thread", kThread, true},
    {"--rate", kRate, true},         {"--seconds", kSeconds, true}, {"--source", kSource, true},
    {"--highlight", kHighlight, true}, {"--sorted", kSorted, false}, {"--width", kWidth, true},
    {"--height", kHeight, true},     {"--frames", kFrames, true}, {"--screenshot", kScreenshot, true},
};

bool ParseWhole(const std::string& text, int64_t low, int64_t high, int32_t* out)
{
    if (text.empty() || text.size() > 12)
        return false;
    size_t i = 0;
    if (text[0] == '-' || text[0] == '+')
        i = 1;
    if (i == text.size())
        return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < low || value > high)
        return false;
    *out = static_cast<int32_t>(value);
    return true;
}

bool ParseSeconds(const std::string& text, double* out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value) || value <= 0 || value > 3600)
        return false;
    *out = value;
    return true;
}

bool ParseWord(const std::string& text, std::initializer_list<std::string_view> words, int32_t* index)
{
    int32_t i = 0;
    for (std::string_view word : words) {
        if (text == word) {
            *index = i;
            return true;
        }
        ++i;
    }
    return false;
}

BenchParseResult Refuse(std::string error)
{
    return BenchParseResult{std::nullopt, std::move(error)};
}

// Applies one option's value; an error text when it is bad.
std::string ApplyOption(OptionBit bit, const std::string& value, BenchOptions& o)
{
    int32_t index = 0;
    switch (bit) {
    case kRows:
        return ParseWhole(value, 0, 10'000'000, &o.rows) ? "" : "--rows wants a whole number from 0 to 10000000";
    case kPos:
        if (!ParseWord(value, {"head", "tail", "random"}, &index))
            return "--pos wants head, tail or random";
        o.position = index;
        return "";
    case kThread:
        if (!ParseWord(value, {"gui", "worker"}, &index))
            return "--thread wants gui or worker";
        o.fromWorker = index == 1;
        return "";
    case kRate:
        return ParseWhole(value, 0, 2'147'483'647, &o.rate) ? "" : "--rate wants a whole number from 0 to 2147483647";
    case kSeconds:
        return ParseSeconds(value, &o.seconds) ? "" : "--seconds wants a number above 0 and at most 3600";
    case kSource:
        if (!ParseWord(value, {"gui", "timer"}, &o.source))
            return "--source wants gui or timer";
        return "";
    case kHighlight:
        if (!ParseWord(value, {"none", "alpha", "fade"}, &o.highlight))
            return "--highlight wants none, alpha or fade";
        return "";
    case kWidth:
        return ParseWhole(value, 1, 8192, &o.width) ? "" : "--width wants a whole number from 1 to 8192";
    case kHeight:
        return ParseWhole(value, 1, 8192, &o.height) ? "" : "--height wants a whole number from 1 to 8192";
    case kFrames:
        return ParseWhole(value, 1, 100'000, &o.frames) ? "" : "--frames wants a whole number from 1 to 100000";
    case kScreenshot:
        if (value.empty())
            return "--screenshot wants a file name";
        o.screenshot = value;
        return "";
    case kSorted: o.sorted = true; return "";
    }
    return "unknown option";
}

} // namespace

BenchParseResult ParseBenchCommandLine(const std::vector<std::string>& args)
{
    BenchOptions options;
    size_t next = 0;
    if (!args.empty()) {
        const std::string& first = args[0];
        if (first == "--help" || first == "-h") {
            if (args.size() != 1)
                return Refuse("--help takes nothing else");
            options.scenario = BenchScenario::Help;
            return BenchParseResult{options, {}};
        }
        if (first.rfind("--", 0) != 0) {
            int32_t index = 0;
            if (!ParseWord(first, {"add", "remove", "updates", "paint", "mixed", "memory", "soak"}, &index))
                return Refuse("unknown scenario '" + first + "'");
            constexpr BenchScenario kScenarios[] = {BenchScenario::Add, BenchScenario::Remove,
                                                    BenchScenario::Updates, BenchScenario::Paint,
                                                    BenchScenario::Mixed, BenchScenario::Memory,
                                                    BenchScenario::Soak};
            options.scenario = kScenarios[index];
            next = 1;
        }
    }
    const uint32_t allowed = AllowedOptions(options.scenario);
    for (size_t i = next; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const size_t eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionName* option = nullptr;
        for (const OptionName& candidate : kOptions)
            if (candidate.name == name)
                option = &candidate;
        if (!option)
            return Refuse("unknown option '" + args[i] + "'");
        if (!(allowed & option->bit))
            return Refuse("option '" + name + "' does not belong to this scenario");
        std::string value;
        if (option->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else {
                if (i + 1 >= args.size())
                    return Refuse("option '" + name + "' wants a value");
                value = args[++i];
            }
        } else if (inlineValue) {
            return Refuse("option '" + name + "' takes no value");
        }
        if (std::string error = ApplyOption(option->bit, value, options); !error.empty())
            return Refuse(error + " (got '" + value + "')");
    }
    if (options.scenario == BenchScenario::Default && options.screenshot.empty())
        options.screenshot = "quellon.png";
    return BenchParseResult{options, {}};
}

std::string BenchUsage(std::string_view program)
{
    const std::string name(program);
    const std::string pad(name.size(), ' ');
    return "usage:\n"
           "  " + name + " add     --rows N --pos tail|head|random --thread gui|worker\n"
           "  " + name + " remove  --rows N --thread gui|worker\n"
           "  " + name + " updates --rows N --rate R --seconds S --source gui|timer\n"
           "  " + pad + "         --highlight none|alpha|fade [--sorted]\n"
           "  " + name + " paint   --rows N --width W --height H --frames F\n"
           "  " + name + " mixed   --rows N --pos tail|head|random --rate R --highlight none|alpha|fade\n"
           "  " + name + " memory  --rows N\n"
           "  " + name + " soak    --rows N --seconds S\n"
           "  " + name + "         (the default scenario)\n"
           "every scenario also takes --screenshot FILE (a PNG of the window at the end)\n"
           "each scenario prints one JSON line of figures; a bad command line exits with 2\n";
}

} // namespace Quellon
