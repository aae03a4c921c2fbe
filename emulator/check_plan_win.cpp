// Deciding how MAME checks a recording: reading it, asking its emulator what the check needs, counting its frames.
#include "emulator/check_plan_win.h"

#include "common/bounded_text.h"
#include "common/program_files.h"
#include "common/program_folder.h"
#include "common/shown_text.h"
#include "emulator/emulator_forms_win.h"
#include "emulator/emulator_identity_win.h"
#include "emulator/emulator_run_win.h"
#include "emulator/known_emulators_win.h"
#include "emulator/versions.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// The first release whose recordings carry today's head, and which plays
// one without a screen and saves a picture by itself (-seconds_to_run).
const char kFirstCheckingVersion[] = "0.125";
// The first release that ends by itself at a recording's end.
const char kFirstEndingVersion[] = "0.171";
// A recording of an hour takes a few MB; a larger file is no recording.
const long long kMostRecordingBytes = 256ll * 1024 * 1024;
// The file is read in blocks of this size, so that Cancel ends a read soon.
const DWORD kReadBlockBytes = 4 * 1024 * 1024;

enum class Support { yes, tooOld, unknown };

// Whether a version's MAME can check recordings: it must play one without
// a screen and save a picture by itself, which MAME does from 0.125 (the
// recordings' format of today). Its version is the one its "-help" banner
// names, asked once and kept in emulators.ini.
Support checkSupport(int versionIndex, char* versionId, std::size_t size, HANDLE cancel)
{
    copyText(versionId, size, "");
    if (versionIndex < 0 || versionIndex >= versionCount)
        return Support::unknown;
    recallEmulatorForms(versionIndex);
    const char* known = emulatorForms[versionIndex].helpVersion;
    if (known[0] == '\0') {
        EmulatorIdentity identity = identifyEmulator(versionTable[versionIndex].command, cancel);
        if (identity.answer != HelpAnswer::mame)
            return Support::unknown;
        rememberHelpVersion(versionIndex, identity.versionId);
    }
    copyText(versionId, size, known);
    return compareVersions(known, kFirstCheckingVersion) >= 0 ? Support::yes : Support::tooOld;
}

bool endsAfterPlayback(int versionIndex)
{
    return compareVersions(emulatorForms[versionIndex].helpVersion, kFirstEndingVersion) >= 0;
}

// The inputs of `system` as version `versionIndex` describes them
// ("-listxml NAME"); `known` is false when it did not.
MachineInputs askMachineInputs(int versionIndex, const char* system, HANDLE cancel)
{
    MachineInputs none{false, 0, 0, 0.0};
    char question[64];
    if (!composeMachineQuestion(question, sizeof question, system))
        return none;
    EmulatorAnswer answer = askEmulator(versionTable[versionIndex].command, question, kMachineAnswerFile, cancel);
    return answer.ended ? readMachineInputs(answer.text.data(), answer.text.size()) : none;
}

// The whole file, or nothing with `tooLarge` set when it is larger than a
// recording can be, or than this 32-bit program can hold.
std::vector<unsigned char> readRecording(const char* path, bool& tooLarge, const std::atomic<bool>& stop)
{
    std::vector<unsigned char> bytes;
    tooLarge = false;
    HANDLE file = CreateFileA(ownFile(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size{};
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
        tooLarge = size.QuadPart > kMostRecordingBytes;
        try {
            if (!tooLarge)
                bytes.resize(static_cast<std::size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            tooLarge = true;
        }
        std::size_t got = 0;
        while (got < bytes.size() && !stop.load()) {
            DWORD block =
                bytes.size() - got < kReadBlockBytes ? static_cast<DWORD>(bytes.size() - got) : kReadBlockBytes;
            DWORD read = 0;
            if (!ReadFile(file, bytes.data() + got, block, &read, nullptr) || read == 0)
                break;
            got += read;
        }
        bytes.resize(got);
    }
    CloseHandle(file);
    return bytes;
}

// The system and the version to run, from the file's head when it names
// them, else the fallback; false with the verdict set when there is none
// that can check.
bool chooseRun(const CheckOrder& order, HANDLE cancel, CheckPlan& plan, char* verdict, std::size_t size)
{
    const RecordingHeader& header = plan.header;
    bool fromHead = header.present && header.system[0] != '\0';
    copyText(plan.system, sizeof plan.system, fromHead ? header.system : order.fallbackSystem);
    char makerId[20];
    plan.version = order.forcedVersion;
    if (plan.version < 0 && header.present && makerVersion(header.madeBy, makerId, sizeof makerId))
        plan.version = findVersion(makerId);
    if (plan.version < 0)
        plan.version = order.fallbackVersion;
    if (plan.system[0] == '\0') {
        copyText(verdict, size, "The recording names no game: select its game in the list and check it again.");
        return false;
    }
    // Anyone may upload a recording: what its head names goes on MAME's
    // command line only when it is a system's name.
    if (!isMameSystemName(plan.system)) {
        formatText(verdict, size,
                   fromHead ? "The recording names its system \"%s\", which is no MAME system name; it was not "
                              "checked."
                            : "The selected game's short name \"%s\" is no MAME system name; the recording was not "
                              "checked.",
                   plan.system);
        return false;
    }
    // A score's recording of another game than the score's proves nothing of it.
    if (fromHead && order.expectedSystem[0] != '\0' && std::strcmp(plan.system, order.expectedSystem) != 0) {
        formatText(verdict, size, "The recording is of \"%s\", not of this score's game \"%s\"; it was not checked.",
                   plan.system, order.expectedSystem);
        return false;
    }
    switch (checkSupport(plan.version, plan.versionId, sizeof plan.versionId, cancel)) {
    case Support::yes: return true;
    case Support::tooOld:
        formatText(verdict, size,
                   "MAME %s cannot check recordings: playing one to its end without a screen, and saving the "
                   "picture of its last frame, takes MAME 0.125 or later.",
                   plan.versionId);
        return false;
    case Support::unknown: break;
    }
    copyText(verdict, size,
             plan.version < 0 ? "No emulator version is listed to check it with."
                              : "This emulator version did not tell its version when asked \"-help\", so it is not "
                                "known to check recordings.");
    return false;
}

// What the head's fields and the frames tell, for the window; false with
// the verdict set when the frames refuse the check.
bool describeFrames(const CheckPlan& plan, bool inputsKnown, CheckFileReport& file, char* verdict,
                    std::size_t verdictSize)
{
    char* text = file.frames;
    std::size_t size = sizeof file.frames;
    const RecordingFrames& frames = plan.frames;
    if (!plan.header.present) {
        copyText(text, size, "The file has no head of a recording of MAME 0.125 or later.");
    } else if (plan.header.major != kReadFramesFormat) {
        formatText(text, size,
                   "The frames could not be counted: the recording's format %u.%u lays them out otherwise than the "
                   "format 3 this check reads.",
                   plan.header.major, plan.header.minor);
    } else if (!inputsKnown) {
        formatText(text, size, "The frames could not be counted: MAME %s does not list the inputs of %s.",
                   plan.versionId, plan.system);
    } else if (frames.pastBound) {
        copyText(text, size, "The frames could not be counted: there are too many.");
        copyText(verdict, verdictSize,
                 "The recording's data runs past 24 hours of frames: it is not a recording that MAME made, and was "
                 "not checked.");
        return false;
    } else if (frames.damaged) {
        formatText(text, size, "The frames could not be counted past frame %llu.",
                   static_cast<unsigned long long>(frames.frames));
        formatText(verdict, verdictSize, "The file's data is damaged %llu bytes into the frames.",
                   static_cast<unsigned long long>(frames.damagedAt));
        appendFindings(verdict, verdictSize, "Up to there: ", plan.findings);
        return false;
    } else if (!frames.readable) {
        copyText(text, size, "The frames could not be counted: the data after the head is no zlib stream.");
    } else if (!plan.lengthKnown) {
        copyText(text, size, "The frames could not be counted: the time of the last frame is no recording's.");
    } else {
        char length[32];
        formatPlayLength(frames.lastFrameSeconds, length, sizeof length);
        formatText(text, size, "The file holds %llu frames, %s%s", static_cast<unsigned long long>(frames.frames),
                   length, frames.complete ? "" : ", and ends inside its data");
    }
    return true;
}

// Counts the recording's frames and, as they go by, what they tell of the
// play, into `plan`. The findings hold a day's series: they live on the heap
// for the count only, and without memory for them the frames are counted
// alone.
void countFrames(const std::vector<unsigned char>& bytes, const MachineInputs& inputs, const Worker& worker,
                 CheckPlan& plan)
{
    std::unique_ptr<FrameFindings> findings(new (std::nothrow) FrameFindings());
    try {
        if (findings)
            startFrameFindings(*findings, inputs.refresh);
    } catch (const std::bad_alloc&) {
        findings.reset();
    }
    plan.frames =
        countRecordingFrames(bytes.data() + kRecordingHeadBytes, bytes.size() - kRecordingHeadBytes, frameBytes(inputs),
                             FrameBounds{mostRecordingFrames(inputs), &worker.stop}, findings.get());
    plan.lengthKnown = playLengthKnown(plan.frames);
    if (findings && findings->frames > 0) {
        plan.figures = findingFigures(*findings);
        makeSpeedGraph(*findings, plan.graph);
        // Written in UTF-8 (its dash), shown in Hobrin's code page.
        char words[sizeof plan.findings];
        if (formatFrameVerdict(*findings, words, sizeof words) &&
            copyShownText(plan.findings, sizeof plan.findings, words, std::strlen(words), TextForm::utf8).cut)
            plan.findings[0] = '\0';
    }
}

} // namespace

bool prepareCheck(const CheckOrder& order, const Worker& worker, CheckPlan& plan, CheckFileReport& file, char* verdict,
                  std::size_t verdictSize)
{
    char path[sizeof order.directory + sizeof order.fileName + 2];
    formatText(path, sizeof path, "%s\\%s", order.directory, order.fileName);
    bool tooLarge = false;
    std::vector<unsigned char> bytes = readRecording(path, tooLarge, worker.stop);
    if (tooLarge) {
        formatText(verdict, verdictSize,
                   "The file is larger than %lld MB: too large to be a recording, and not checked.",
                   kMostRecordingBytes / (1024 * 1024));
        return false;
    }
    if (worker.stop.load())
        return false;
    plan.header = readRecordingHeader(bytes.data(), bytes.size());
    file.header = plan.header;
    bool chosen = chooseRun(order, worker.cancel, plan, verdict, verdictSize);
    MachineInputs inputs{false, 0, 0, 0.0};
    if (chosen && plan.header.present && plan.header.major == kReadFramesFormat)
        inputs = askMachineInputs(plan.version, plan.system, worker.cancel);
    if (inputs.known)
        countFrames(bytes, inputs, worker, plan);
    if (worker.stop.load())
        return false;
    bool counted = chosen ? describeFrames(plan, inputs.known, file, verdict, verdictSize) : true;
    if (!chosen && !plan.header.present)
        copyText(file.frames, sizeof file.frames, "The file has no head of a recording of MAME 0.125 or later.");
    file.graph = plan.graph;
    plan.fileRead = true;
    if (!chosen || !counted)
        return false;
    // MAME saves its picture and ends a second after the recording's last
    // frame. Without its length, a MAME that ends by itself plays it to its
    // end; an older one could only be stopped at a guess. A file without a
    // head is refused at once.
    if (plan.lengthKnown)
        plan.secondsToRun = secondsToRunFor(plan.frames.lastFrameSeconds);
    else if (endsAfterPlayback(plan.version))
        plan.secondsToRun = 0;
    else if (!plan.header.present)
        plan.secondsToRun = 1;
    else {
        formatText(verdict, verdictSize,
                   "MAME %s cannot check this recording: without its frames counted, only MAME 0.171 or later can "
                   "play it to its end by itself.",
                   plan.versionId);
        return false;
    }
    // What the run needs of the shared tables is taken now, so that the run
    // itself, on a thread of its own, reads none of them.
    plan.forms = commandForms(learnEmulatorForms(plan.version, worker.cancel));
    copyText(plan.command, sizeof plan.command, versionTable[plan.version].command);
    return !worker.stop.load();
}
