// The stand-in's answers to questions a front-end asks before a run: -help and -showconfig.
#include "standin.h"

namespace standin {

// The banner each kind's MAME prints first for -help, then some of its usage.
int showHelp(const Options& options, const Control& control)
{
    std::fflush(stdout);
    switch (control.help) {
    case Help::banner: break;
    case Help::none: std::printf("Usage: mame-standin [options] gamename\n"); return 0;
    case Help::crash: ExitProcess(0xC0000005u);
    case Help::hang: Sleep(INFINITE); return 0;
    case Help::flood:
        for (;;)
            std::printf("MAME v0.251 (mame0251) - Multiple Arcade Machine Emulator, and more of it\n");
    }
    const char* v = options.version.c_str();
    switch (control.kind) {
    case Kind::of2006:
        std::printf(
            "M.A.M.E. v%s (May 14 2006) - Multiple Arcade Machine Emulator\n"
            "Copyright (C) 1997-2006 by Nicola Salmoria and the MAME Team\n\n",
            v);
        break;
    case Kind::between:
        std::printf("MAME v%s (Feb 24 2016)\nCopyright Nicola Salmoria and the MAME team\n\n", v);
        break;
    case Kind::today: std::printf("MAME v%s (mame0251)\nCopyright MAMEdev and contributors\n\n", v); break;
    }
    std::printf("Usage:  mame-standin [machine] [media] [software] [options]\n");
    return 0;
}

// The core options as the emulators after 2006 list them, with their values.
int showConfig(const Control& control)
{
    std::string out =
        "#\n# CORE CONFIGURATION OPTIONS\n#\nreadconfig                1\nwriteconfig               0\n\n"
        "#\n# CORE SEARCH PATH OPTIONS\n#\nrompath                   roms\n\n"
        "#\n# CORE OUTPUT DIRECTORY OPTIONS\n#\ncfg_directory             cfg\n"
        "nvram_directory           nvram\ninput_directory           inp\n\n"
        "#\n# CORE STATE/PLAYBACK OPTIONS\n#\nplayback                  \nrecord                    \n\n"
        "#\n# CORE PERFORMANCE OPTIONS\n#\nautoframeskip             0\nframeskip                 0\n\n"
        "#\n# CORE SOUND OPTIONS\n#\nsamplerate                48000\n\n";
    if (control.kind == Kind::today) {
        out += "#\n# CORE MISC OPTIONS\n#\ncheat                     0\n\n";
        out += "#\n# SCRIPTING OPTIONS\n#\nplugins                   1\n\n";
        out += "#\n# OSD SOUND OPTIONS\n#\nsound                     auto\n";
    } else {
        out += "#\n# WINDOWS VIDEO OPTIONS\n#\nhwstretch                 1\n\n";
        out += "#\n# CORE SOUND OPTIONS\n#\nsound                     1\n";
    }
    writeAll(stdout, out);
    return 0;
}

} // namespace standin
