// What an emulator's answers to "-help" and "-listxml NAME" tell of it.
#pragma once

#include <cstddef>
#include <functional>

// The version identifier in the banner that MAME prints first for "-help",
// as the leaderboard writes it: "MAME v0.251 (mame0251)" gives "0.251",
// "M.A.M.E. v0.106u2 (...)" "0.106u2", "M.A.M.E. v0.37 BETA 5 (...)"
// "0.37b5" (a "RELEASE CANDIDATE n" gives "rcn"). False, with an empty
// `versionId`, when the first line is no such banner or the identifier does
// not fit `size` bytes.
bool readHelpBanner(const char* text, std::size_t length, char* versionId, std::size_t size);

enum class MachineKind { unknown, system, device };

// Where the first machine's element of a "-listxml" answer begins:
// "<machine " today, "<game " in the early years; `length` when there is
// none.
std::size_t findMachineElement(const char* text, std::size_t length);

// The kind of the first machine that a "-listxml NAME" answer describes:
// today's emulators mark a device isdevice="yes". unknown when the answer
// holds no machine.
MachineKind readMachineKind(const char* text, std::size_t length);

// What the listing's devices are, if it lists any.
struct DeviceSearch {
    bool known;      // false when the emulator could not tell: ask again later
    int firstDevice; // the index of the first device, or -1 when it lists none
};

// Today's emulators list their systems sorted by short name, then every
// device. `names` are the listing's short names in its order; `kindOf`
// asks the emulator about the entry at an index. The entry where the order
// first breaks (else the last) tells whether devices follow the systems;
// if it is one, the first device is searched for backwards from there.
// Listings of older emulators, sorted otherwise or not at all, never start
// devices at such an entry, so they are kept whole.
DeviceSearch findFirstDevice(const char* const* names, int count, const std::function<MachineKind(int)>& kindOf);
