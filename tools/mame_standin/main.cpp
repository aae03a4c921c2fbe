// The stand-in emulator's entry: reads its settings and command line and hands the run to its part (standin.h).
#include "standin.h"

#include <fcntl.h>
#include <io.h>

#include <cstring>

namespace {

const char kCallsFile[] = "standin-calls.txt";

// "-launcher" first: stands for a launcher that starts the emulator and
// waits for it, as a player's front-end script would. It starts itself
// again with the rest of its line, with its standard handles, and ends
// with that run's exit code.
int launchAnother()
{
    std::string line = GetCommandLineA();
    std::size_t at = line.find(" -launcher");
    if (at == std::string::npos)
        return 1;
    line.erase(at, std::strlen(" -launcher"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(exitCode);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace standin;
    // Exact bytes out: a lone "\r" stays lone and "\n" never becomes "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    if (argc > 1 && std::string(argv[1]) == "-launcher")
        return launchAnother();
    appendLine(kCallsFile, GetCommandLineA());

    Control control = readControl(argc, argv);
    Options options;
    int result = parseArguments(argc, argv, control, options);
    if (result != 0)
        return result;

    if (options.version.empty())
        options.version = control.kind == Kind::today ? "0.251" : control.kind == Kind::between ? "0.171" : "0.106";
    if (options.help)
        return showHelp(options, control);
    if (!options.listXml.empty())
        return showMachine(options, control);
    if (options.listFull)
        return listGames(options, control);
    if (options.showConfig)
        return showConfig(control);
    if (options.verifyRoms)
        return verifyRoms(control);
    if (options.game.empty()) {
        std::fprintf(stderr,
                     "Usage: mame-standin [options] gamename\n"
                     "       mame-standin -listfull [-sortname | -sortdriver]\n");
        return 1;
    }
    return runGame(options, control);
}
