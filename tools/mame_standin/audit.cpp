// The stand-in's audit of the ROMs (-verifyroms): the sets of "found=", in the words of the era.
#include "standin.h"

namespace standin {

int verifyRoms(const Control& control)
{
    if (control.auditMs > 0)
        Sleep(control.auditMs);
    AuditWords words = control.auditWords;
    if (words == AuditWords::byKind)
        words = control.kind == Kind::of2006 ? AuditWords::of2006 : AuditWords::today;
    std::string out;
    for (size_t i = 0; i < control.found.size(); ++i) {
        if (words == AuditWords::of2006)
            std::fprintf(stderr, "%u%%\r", static_cast<unsigned>(100 * (i + 1) / control.found.size()));
        out += words == AuditWords::oldest ? control.found[i] + "    correct\n"
                                           : "romset " + control.found[i] + " is good\n";
    }
    if (words != AuditWords::oldest)
        out += std::to_string(control.found.size()) + " romsets found, " + std::to_string(control.found.size()) +
               " were OK.\n";
    writeAll(stdout, out);
    return 0;
}

} // namespace standin
