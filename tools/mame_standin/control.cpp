// The stand-in's control file (standin-control.txt; its keys are listed in standin.h) and the switch -kind.
#include "standin.h"

namespace standin {
namespace {

const char kControlFile[] = "standin-control.txt";

bool parseKind(const std::string& text, Kind& kind)
{
    if (text == "2006")
        kind = Kind::of2006;
    else if (text == "between")
        kind = Kind::between;
    else if (text == "today")
        kind = Kind::today;
    else
        return false;
    return true;
}

void readFound(const std::string& valueText, Control& control)
{
    control.found.clear();
    std::string rest = valueText + " ";
    for (size_t at = 0, end; (end = rest.find(' ', at)) != std::string::npos; at = end + 1) {
        if (end > at)
            control.found.push_back(rest.substr(at, end - at));
    }
}

// A number key's value within [low, high], else a warning that names it.
void readNumber(const std::string& key, const std::string& valueText, long long low, long long high, DWORD& field)
{
    long long value = 0;
    if (parseInteger(valueText, low, high, value))
        field = static_cast<DWORD>(value);
    else
        std::fprintf(stderr, "Warning: %s: bad %s\n", kControlFile, key.c_str());
}

void readSetting(const std::string& key, const std::string& valueText, Control& control)
{
    long long value = 0;
    if (key == "exit_code") {
        // Up to 0xFFFFFFFF so a test can fake a crash status such as 0xC0000005.
        if (parseInteger(valueText, -2147483647LL - 1, 4294967295LL, value))
            control.exitCode = value;
        else
            std::fprintf(stderr, "Warning: %s: bad exit_code\n", kControlFile);
    } else if (key == "kind") {
        Kind kind = Kind::of2006;
        if (parseKind(valueText, kind))
            control.kind = kind;
        else
            std::fprintf(stderr, "Warning: %s: kind is 2006, between or today\n", kControlFile);
    } else if (key == "help") {
        const char* const names[] = {"banner", "none", "crash", "hang", "flood"};
        bool known = false;
        for (int i = 0; i < 5; ++i) {
            if (valueText == names[i]) {
                control.help = static_cast<Help>(i);
                known = true;
            }
        }
        if (!known)
            std::fprintf(stderr, "Warning: %s: help is banner, none, crash, hang or flood\n", kControlFile);
    } else if (key == "sort_needed") {
        control.sortNeeded = valueText == "1";
    } else if (key == "check_error") {
        control.checkError = valueText;
    } else if (key == "ports") {
        control.portsListed = valueText != "none";
    } else if (key == "found") {
        readFound(valueText, control);
    } else if (key == "audit") {
        if (valueText == "today")
            control.auditWords = AuditWords::today;
        else if (valueText == "2006")
            control.auditWords = AuditWords::of2006;
        else if (valueText == "oldest")
            control.auditWords = AuditWords::oldest;
        else
            std::fprintf(stderr, "Warning: %s: audit is today, 2006 or oldest\n", kControlFile);
    } else if (key == "slow_ms" || key == "back_ms") {
        readNumber(key, valueText, 0, 0xFFFFFFFELL, key == "slow_ms" ? control.slowMs : control.backMs);
    } else if (key == "frame_ms") {
        readNumber(key, valueText, 0, 60000, control.frameMs);
    } else if (key == "audit_ms") {
        readNumber(key, valueText, 0, 0xFFFFFFFELL, control.auditMs);
    } else if (key == "run_ms" || key == "listing_ms") {
        // INFINITE (0xFFFFFFFF) is kept out: a test wants a long run, not a hang.
        readNumber(key, valueText, 0, 0xFFFFFFFELL, key == "run_ms" ? control.runMs : control.listingMs);
    } else {
        std::fprintf(stderr, "Warning: %s: unknown key %s\n", kControlFile, key.c_str());
    }
}

void readControlFile(Control& control)
{
    std::string text;
    if (!readFile(kControlFile, text))
        return;
    for (const std::string& rawLine : splitLines(text)) {
        std::string line = trim(rawLine);
        if (line.empty() || line[0] == '#')
            continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "Warning: %s: ignoring line without '='\n", kControlFile);
            continue;
        }
        readSetting(trim(line.substr(0, equals)), trim(line.substr(equals + 1)), control);
    }
}

} // namespace

Control readControl(int argc, char** argv)
{
    Control control;
    readControlFile(control);
    // The switch wins over the file.
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "-kind" && !parseKind(argv[i + 1], control.kind))
            std::fprintf(stderr, "Warning: -kind is 2006, between or today\n");
    }
    return control;
}

} // namespace standin
