// Feeds arbitrary bytes as the system that a recording's head names, the
// folder and the archive member's name to what composes command lines: a
// check's run, a playback and the "-listxml" question. Each line is refused, or splits, by the rules that
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
    // The name as a head gives it (its bytes up to the first zero), then,
    // after byte 01 each, the folder and the archive member's name.
    std::string parts[3];
    std::size_t part = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 1 && part < 2)
            ++part;
        else
            parts[part] += static_cast<char>(data[i]);
    }
    std::string name = parts[0].substr(0, parts[0].find('\0'));
    const std::string folder = parts[1].substr(0, parts[1].find('\0'));
    const std::string file = parts[2].empty() ? std::string("best.inp") : parts[2].substr(0, parts[2].find('\0'));
    const bool plain = isMameSystemName(name.c_str());
    const bool folderWhole = !folder.empty() && folder.find('"') == std::string::npos;
    const bool fileWhole = !file.empty() && file.find_first_of("\"\\") == std::string::npos;

    char question[64];
    require(composeMachineQuestion(question, sizeof question, name.c_str()) == plain);
    if (plain)
        require(splitLine(std::string("mame.exe ") + question) ==
                std::vector<std::string>{"mame.exe", "-listxml", name});

    // Every argument a folder holds or a file names is itself, whatever
    // blanks or backslashes it holds; what would break out is refused.
    char line[4096];
    const CheckRequest check{
        "\"C:\\Program Files\\MAME\\mame.exe\"", name.c_str(), folder.c_str(), file.c_str(), 12, "checks\\snapshot.tmp",
        CommandForms{false, true, true}};
    const bool checked = composeCheckLine(line, sizeof line, check);
    require(checked == (plain && folderWhole && fileWhole));
    if (checked)
        require(splitLine(line) == std::vector<std::string>{"C:\\Program Files\\MAME\\mame.exe", name,
                                                            "-input_directory", folder, "-playback", file, "-video",
                                                            "none", "-sound", "none", "-nothrottle", "-seconds_to_run",
                                                            "12", "-snapshot_directory", "checks\\snapshot.tmp",
                                                            "-nvram_directory", "NUL", "-cfg_directory", "NUL"});

    Settings options;
    setSettingsDefaults(options);
    const LaunchRequest playback{"mame.exe",           name.c_str(),   &options,     "",
                                 LaunchMode::playback, folder.c_str(), file.c_str(), CommandForms{false, true, true}};
    const bool composed = composeLaunchLine(line, sizeof line, playback);
    require(composed == (plain && folderWhole && fileWhole));
    if (composed) {
        std::vector<std::string> words = splitLine(line);
        require(words.size() > 4 && words[1] == name && words[words.size() - 4] == "-input_directory" &&
                words[words.size() - 3] == folder && words[words.size() - 2] == "-playback" && words.back() == file);
    }
    return 0;
}
