// The "Recording check" window: MAME plays a recording to its end without a screen, and the window tells how far.
#include "shell/recording_check.h"

#include "common/bounded_text.h"
#include "common/late_dlls.h"
#include "common/message.h"
#include "emulator/game_list.h"
#include "emulator/recording_check.h"
#include "emulator/recording_check_win.h"
#include "emulator/versions.h"
#include "shell/app.h"
#include "resource.h"

#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <vector>

namespace {

const char kTitle[] = "Recording check";
// A recording of an hour takes a few MB; a larger file is no recording.
const long long kMostRecordingBytes = 256ll * 1024 * 1024;
const UINT_PTR kElapsedTimer = 1;

// The one check window; touched only by the thread that owns the windows.
struct Check {
    const char* directory;
    const char* fileName;
    CheckFallback fallback;
    char pictureName[256];
    RecordingFrames frames;
    bool framesKnown;
    bool inputsKnown;
    char system[13];
    char versionId[20];
    unsigned secondsToRun;
    bool running;
    bool closeWhenEnded;
    DWORD started;
    HBITMAP picture;
};
Check check;

// The whole file, or nothing with `tooLarge` set when it is larger than a
// recording can be, or than this 32-bit program can hold.
std::vector<unsigned char> readRecording(const char* path, bool& tooLarge)
{
    std::vector<unsigned char> bytes;
    tooLarge = false;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size{};
    DWORD got = 0;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size)) {
        tooLarge = size.QuadPart > kMostRecordingBytes;
        try {
            if (!tooLarge)
                bytes.resize(static_cast<std::size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            tooLarge = true;
        }
        if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            got = 0;
        bytes.resize(got);
    }
    CloseHandle(file);
    return bytes;
}

// The picture of the last frame, decoded by the system's imaging component
// and scaled to fit the picture control, its proportions kept.
HBITMAP loadPicture(const char* path, int width, int height)
{
    wchar_t widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) <= 0)
        return nullptr;
    IWICImagingFactory* factory = nullptr;
    if (FAILED(late::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(&factory))))
        return nullptr;
    HBITMAP bitmap = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT pictureWidth = 0, pictureHeight = 0;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(widePath, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                     &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&pictureWidth, &pictureHeight)) &&
        pictureWidth > 0 && pictureHeight > 0) {
        double scale = std::min(static_cast<double>(width) / pictureWidth, static_cast<double>(height) / pictureHeight);
        UINT scaledWidth = std::max(1u, static_cast<UINT>(pictureWidth * scale));
        UINT scaledHeight = std::max(1u, static_cast<UINT>(pictureHeight * scale));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = static_cast<LONG>(scaledWidth);
        info.bmiHeader.biHeight = -static_cast<LONG>(scaledHeight);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        if (SUCCEEDED(factory->CreateBitmapScaler(&scaler)) &&
            SUCCEEDED(scaler->Initialize(frame, scaledWidth, scaledHeight, WICBitmapInterpolationModeFant)) &&
            SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
            SUCCEEDED(converter->Initialize(scaler, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                            WICBitmapPaletteTypeCustom)) &&
            (bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) != nullptr &&
            FAILED(converter->CopyPixels(nullptr, scaledWidth * 4, scaledWidth * scaledHeight * 4,
                                         static_cast<BYTE*>(bits)))) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    for (IUnknown* object : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(scaler),
                             static_cast<IUnknown*>(frame), static_cast<IUnknown*>(decoder)}) {
        if (object)
            object->Release();
    }
    factory->Release();
    return bitmap;
}

void showPicture(HWND window, const char* path)
{
    HWND control = GetDlgItem(window, IDC_CHECK_PICTURE);
    RECT room;
    GetClientRect(control, &room);
    check.picture = loadPicture(path, room.right - 4, room.bottom - 4);
    if (check.picture)
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(check.picture));
}

// What the file's head and frames tell, before MAME runs.
void showFile(HWND window, const RecordingHeader& header)
{
    if (!header.present) {
        SetDlgItemTextA(window, IDC_CHECK_FILE, "The file has no head of a recording of MAME 0.125 or later.");
        return;
    }
    setDlgItemFormat(window, IDC_CHECK_SYSTEM, "System: %s", header.system);
    setDlgItemFormat(window, IDC_CHECK_MADE_BY, "Recorded using %s", header.madeBy);
    std::time_t created = static_cast<std::time_t>(header.created);
    // As MAME reports it: "Tue Dec  8 20:31:53 2026".
    char date[64] = "?";
    if (std::tm* local = std::localtime(&created)) {
        char dayAndMonth[16], time[32];
        std::strftime(dayAndMonth, sizeof dayAndMonth, "%a %b", local);
        std::strftime(time, sizeof time, "%H:%M:%S %Y", local);
        formatText(date, sizeof date, "%s %2d %s", dayAndMonth, local->tm_mday, time);
    }
    setDlgItemFormat(window, IDC_CHECK_CREATED, "Created %s", date);
    if (!check.framesKnown) {
        if (check.inputsKnown)
            SetDlgItemTextA(window, IDC_CHECK_FILE,
                            "The frames could not be counted: the data after the head is no zlib stream.");
        else
            setDlgItemFormat(window, IDC_CHECK_FILE,
                             "The frames could not be counted: MAME %s does not list the inputs of %s.",
                             check.versionId, check.system);
        return;
    }
    char length[32];
    formatPlayLength(check.frames.lastFrameSeconds, length, sizeof length);
    setDlgItemFormat(window, IDC_CHECK_FILE, "The file holds %llu frames, %s%s",
                     static_cast<unsigned long long>(check.frames.frames), length,
                     check.frames.complete ? "" : ", and ends inside its data");
}

// The run's verdict, or why there is none.
void finish(HWND window, const char* verdict)
{
    check.running = false;
    KillTimer(window, kElapsedTimer);
    SetDlgItemTextA(window, IDC_CHECK_VERDICT, verdict);
    EnableWindow(GetDlgItem(window, IDC_CHECK_CANCEL), FALSE);
    EnableWindow(GetDlgItem(window, IDC_CHECK_CLOSE), TRUE);
    SendMessageA(window, DM_SETDEFID, IDC_CHECK_CLOSE, 0);
    SetFocus(GetDlgItem(window, IDC_CHECK_CLOSE));
}

// The system and the version to run, from the file's head when it names
// them, else the fallback.
bool chooseRun(HWND window, const RecordingHeader& header, const char*& system, int& version)
{
    system = header.present && header.system[0] ? header.system : nullptr;
    if (!system && isGameIndex(check.fallback.game))
        system = gameTable[static_cast<std::size_t>(check.fallback.game)].shortName;
    char made[20];
    version = header.present && makerVersion(header.madeBy, made, sizeof made) ? findVersion(made) : -1;
    if (version < 0)
        version = check.fallback.version;
    if (!system) {
        finish(window, "The recording names no game: select its game in the list and check it again.");
        return false;
    }
    copyText(check.system, sizeof check.system, system);
    char* versionId = check.versionId;
    switch (checkSupport(version, versionId, sizeof check.versionId)) {
    case CheckSupport::yes: return true;
    case CheckSupport::tooOld: {
        char text[256];
        formatText(text, sizeof text,
                   "MAME %s cannot check recordings: playing one to its end without a screen, and saving the "
                   "picture of its last frame, takes MAME 0.125 or later.",
                   versionId);
        finish(window, text);
        return false;
    }
    case CheckSupport::unknown: break;
    }
    finish(window, version < 0 ? "No emulator version is listed to check it with."
                               : "This emulator version did not tell its version when asked \"-help\", so it is not "
                                 "known to check recordings.");
    return false;
}

void onOpen(HWND window)
{
    check.picture = nullptr;
    check.running = false;
    check.closeWhenEnded = false;
    check.framesKnown = false;
    check.inputsKnown = false;
    setDlgItemFormat(window, IDC_CHECK_RECORDING, "Recording: %s\\%s", check.directory, check.fileName);
    const char* dot = std::strrchr(check.fileName, '.');
    copySpan(check.pictureName, sizeof check.pictureName, check.fileName,
             dot ? static_cast<std::size_t>(dot - check.fileName) : std::strlen(check.fileName));
    char path[MAX_PATH + 256];
    formatText(path, sizeof path, "%s\\%s", check.directory, check.fileName);
    bool tooLarge = false;
    std::vector<unsigned char> bytes = readRecording(path, tooLarge);
    if (tooLarge) {
        char text[128];
        formatText(text, sizeof text, "The file is larger than %lld MB: too large to be a recording, and not checked.",
                   kMostRecordingBytes / (1024 * 1024));
        finish(window, text);
        return;
    }
    RecordingHeader header = readRecordingHeader(bytes.data(), bytes.size());
    const char* system = nullptr;
    int version = -1;
    if (!chooseRun(window, header, system, version)) {
        showFile(window, header);
        return;
    }
    MachineInputs inputs = header.present ? askMachineInputs(version, system) : MachineInputs{false, 0, 0};
    check.inputsKnown = inputs.known;
    if (inputs.known) {
        check.frames = countRecordingFrames(bytes.data() + kRecordingHeadBytes, bytes.size() - kRecordingHeadBytes,
                                            frameBytes(inputs));
        check.framesKnown = check.frames.readable;
    }
    showFile(window, header);
    // MAME saves its picture and ends a second after the recording's last
    // frame. Without its length, a MAME that ends by itself plays it to its
    // end; an older one could only be stopped at a guess. A file without a
    // head is refused at once.
    if (check.framesKnown)
        check.secondsToRun = static_cast<unsigned>(std::ceil(check.frames.lastFrameSeconds)) + 1;
    else if (endsAfterPlayback(version))
        check.secondsToRun = 0;
    else if (!header.present)
        check.secondsToRun = 1;
    else {
        char text[256];
        formatText(text, sizeof text,
                   "MAME %s cannot check this recording: without its frames counted, only MAME 0.171 or later can "
                   "play it to its end by itself.",
                   check.versionId);
        finish(window, text);
        return;
    }
    CheckRun run{version, system, check.directory, check.fileName, check.secondsToRun};
    if (!startCheckRun(run, window)) {
        finish(window, "MAME could not be started to check the recording.");
        return;
    }
    check.running = true;
    check.started = GetTickCount();
    SetDlgItemTextA(window, IDC_CHECK_STATUS, "Checking... 0:00");
    SetTimer(window, kElapsedTimer, 250, nullptr);
}

void onElapsed(HWND window)
{
    char elapsed[32];
    formatPlayLength((GetTickCount() - check.started) / 1000.0, elapsed, sizeof elapsed);
    setDlgItemFormat(window, IDC_CHECK_STATUS, "Checking... %s", elapsed);
}

void onEnd(HWND window, bool ended, DWORD exitCode)
{
    CheckResult result = collectCheckRun(check.pictureName);
    PlaybackReport report = readPlaybackReport(result.output.data(), result.output.size());
    char words[256];
    mameWords(result.errors.data(), result.errors.size(), words, sizeof words);
    if (report.playedFrames >= 0)
        setDlgItemFormat(window, IDC_CHECK_PLAYED,
                         report.speed >= 0 ? "Total playback frames: %lld, average recorded speed %d%%"
                                           : "Total playback frames: %lld",
                         report.playedFrames, report.speed);
    char verdict[512];
    if (!ended && check.closeWhenEnded) {
        EndDialog(window, 0);
        return;
    }
    if (!ended) {
        copyText(verdict, sizeof verdict, "Cancelled: MAME was ended before the recording's end.");
    } else {
        RecordingFrames file = check.framesKnown ? check.frames : RecordingFrames{false, true, 0, 0, 0.0};
        formatVerdict(CheckOutcome{true, exitCode, file, report, words}, verdict, sizeof verdict);
    }
    finish(window, verdict);
    if (!result.picture.empty()) {
        showPicture(window, result.picture.c_str());
        setDlgItemFormat(window, IDC_CHECK_STATUS, "Picture: %s", result.picture.c_str());
    } else {
        SetDlgItemTextA(window, IDC_CHECK_STATUS,
                        ended && exitCode == 0 && check.secondsToRun == 0
                            ? "No picture: the recording's length is not known."
                            : "");
    }
}

void onCancel(HWND window)
{
    if (!check.running)
        return;
    EnableWindow(GetDlgItem(window, IDC_CHECK_CANCEL), FALSE);
    cancelCheckRun();
}

void onClose(HWND window)
{
    if (check.running) {
        check.closeWhenEnded = true;
        cancelCheckRun();
        return;
    }
    EndDialog(window, 0);
}

INT_PTR CALLBACK recordingCheckProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: onOpen(window); return TRUE;
    case WM_TIMER: onElapsed(window); return TRUE;
    case kCheckEndMessage: onEnd(window, wParam == 1, static_cast<DWORD>(lParam)); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CHECK_CANCEL: onCancel(window); break;
        case IDC_CHECK_CLOSE: onClose(window); break;
        }
        return TRUE;
    case WM_CLOSE: onClose(window); return TRUE;
    case WM_DESTROY:
        if (check.picture)
            DeleteObject(check.picture);
        check.picture = nullptr;
        return TRUE;
    }
    return FALSE;
}

} // namespace

void runRecordingCheck(HWND owner, const char* directory, const char* fileName, const CheckFallback& fallback)
{
    // The imaging component is a COM one.
    static bool comReady = SUCCEEDED(late::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (void)comReady;
    check.directory = directory;
    check.fileName = fileName;
    check.fallback = fallback;
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_RECORDING_CHECK), owner, recordingCheckProc, 0);
}
