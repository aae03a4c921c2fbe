// Which names from outside (archive members, recording names) may become file names here.
#pragma once

// True when Windows takes `name` for a device rather than a file: the part
// before its first dot, without its trailing blanks and dots, is CON, PRN,
// AUX, NUL, COM0-9, LPT0-9 (also with the superscript digits 1-3, in code
// page 1252 or in UTF-8), CONIN$ or CONOUT$, in any letter case. "COM1 .inp" is the serial
// port, just as "COM1.inp" is.
bool isDeviceName(const char* name);

// True when `baseName` may be used as a file name in a folder: not empty,
// ".", ".."; no control character and none of < > : " / \ | ? *; not ending
// in a dot or blank; whole text of Hobrin's code page (an archive's name in
// another form would reach the file system as broken bytes); not a device
// name.
bool isSafeFileName(const char* baseName);

// True when a score's recording name may be both a file name and the last
// part of an address: a safe file name without "#" or "%", which an address
// would read as a fragment or an escape.
bool isUsableRecordingName(const char* name);
