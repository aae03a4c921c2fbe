// Feeds arbitrary bytes as the system that a recording's head names to
// what composes command lines: a check's run, a playback and the
// "-listxml" question. Each line is refused, or splits, by the rules that
// MAME's C runtime (and CommandLineToArgvW) split a line by, into exactly
// the arguments intended: nothing in a name adds, joins or drops one.
#include "emulator/command_line.h"
#include "emulator/recording_game.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The program's name ends at the first blank, or is quoted whole; every
// other argument takes quotes and the backslashes before a quote.
std::vector<std::string> splitLine(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    std::string program;
    if (i < line.size() && line[i] == '"') {
        for (++i; i < line.size() && line[i] != '"'; ++i)
            program += line[i];
        if (i < line.size())
            ++i;
    } else {
        for (; i < line.size() && !isBlank(line[i]); ++i)
            program += line[i];
    }
    words.push_back(program);
    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size())
            return words;
        std::string word;
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                word.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    word += '"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    word += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                word.append(slashes, '\\');
                if (i < line.size() && (quoted || !isBlank(line[i])))
                    word += line[i++];
            }
        }
        words.push_back(word);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The name as a head gives it: its bytes up to the first zero.
    std::string name(reinterpret_cast<const char*>(data), size);
    name = name.substr(0, name.find('\0'));
    const bool plain = isMameSystemName(name.c_str());

    char question[64];
    require(composeMachineQuestion(question, sizeof question, name.c_str()) == plain);
    if (plain)
        require(splitLine(std::string("mame.exe ") + question) ==
                std::vector<std::string>{"mame.exe", "-listxml", name});

    char line[1024];
    const CheckRequest check{
        "\"C:\\Program Files\\MAME\\mame.exe\"", name.c_str(), "C:\\My Files\\", "best.inp", 12, "checks\\snapshot.tmp",
        CommandForms{false, true, true}};
    require(composeCheckLine(line, sizeof line, check) == plain);
    if (plain)
        require(splitLine(line) ==
                std::vector<std::string>{"C:\\Program Files\\MAME\\mame.exe", name, "-input_directory",
                                         "C:\\My Files\\", "-playback", "best.inp", "-video", "none", "-sound", "none",
                                         "-nothrottle", "-seconds_to_run", "12", "-snapshot_directory",
                                         "checks\\snapshot.tmp", "-nvram_directory", "NUL", "-cfg_directory", "NUL"});

    Settings options;
    setSettingsDefaults(options);
    const LaunchRequest playback{"mame.exe",           name.c_str(), &options,   "",
                                 LaunchMode::playback, "inp",        "best.inp", CommandForms{false, true, true}};
    require(composeLaunchLine(line, sizeof line, playback) == plain);
    if (plain) {
        std::vector<std::string> words = splitLine(line);
        require(words.size() > 2 && words[1] == name && words[words.size() - 2] == "-playback" &&
                words.back() == "best.inp");
    }
    return 0;
}
