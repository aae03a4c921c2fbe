// The files that the program keeps in its working folder, each named once.
#pragma once

// The options, the new ones while they are saved, and the old ones for the
// moment the new ones take their place.
constexpr char kSettingsFile[] = "hobrin.cfg";
constexpr char kSettingsTempFile[] = "hobrin.cfg.tmp";
constexpr char kSettingsOldFile[] = "hobrin.cfg.old.tmp";
// The options that came after the settings file's 52 bytes, beside it.
constexpr char kMoreSettingsFile[] = "hobrin.ini";
constexpr char kMoreSettingsTempFile[] = "hobrin.ini.tmp";
constexpr char kMoreSettingsOldFile[] = "hobrin.ini.old.tmp";
// The emulator versions, and their new and old texts while "Add..." or "Remove" saves it.
constexpr char kVersionsFile[] = "versions.ini";
constexpr char kVersionsTempFile[] = "versions.ini.tmp";
constexpr char kVersionsOldFile[] = "versions.ini.old.tmp";
// What the program learned of each emulator, the same way.
constexpr char kKnownEmulatorsFile[] = "emulators.ini";
constexpr char kKnownEmulatorsTempFile[] = "emulators.ini.tmp";
constexpr char kKnownEmulatorsOldFile[] = "emulators.ini.old.tmp";
// What each emulator's audit found, the same way.
constexpr char kFoundGamesFile[] = "found.ini";
constexpr char kFoundGamesTempFile[] = "found.ini.tmp";
constexpr char kFoundGamesOldFile[] = "found.ini.old.tmp";
// The emulator's listing, while the game list is built.
constexpr char kListingFile[] = "gamelist.tmp";
// What the emulator printed during its last run.
constexpr char kConsoleFile[] = "./mame.out";
// An emulator's answers to the questions asked of it, while they are read.
constexpr char kConfigAnswerFile[] = "showconfig.tmp";
constexpr char kHelpAnswerFile[] = "help.tmp";
constexpr char kMachineAnswerFile[] = "listxml.tmp";
// The audit's own questions, asked on a thread of their own beside the others.
constexpr char kAuditConfigFile[] = "audit-showconfig.tmp";
constexpr char kAuditAnswerFile[] = "verifyroms.tmp";
// Made and removed at once at the start: the check that the folder can be written.
constexpr char kWriteCheckFile[] = "hobrin-write-check.tmp";
// Checks of recordings: the pictures kept (checks\NAME.png), where MAME
// saves its picture during a check, and what it printed.
constexpr char kChecksFolder[] = "checks";
constexpr char kCheckSnapshotFolder[] = "checks\\snapshot.tmp";
constexpr char kCheckOutputFile[] = "check.out";
constexpr char kCheckErrorFile[] = "check.err";
