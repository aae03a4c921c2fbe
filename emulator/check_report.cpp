// The report of a table of checks, as a CSV file that spreadsheets read.
#include "emulator/check_report.h"

#include <cstring>

namespace {

void appendField(std::string& text, const std::string& field, bool last)
{
    text += '"';
    // A text that a spreadsheet would take for a formula (a player named
    // "=HYPERLINK(...)") is marked as text, as OWASP advises.
    if (!field.empty() && field[0] != '\0' && std::strchr("=+-@\t\r", field[0]))
        text += '\'';
    for (char c : field) {
        if (c == '"')
            text += '"';
        text += c;
    }
    text += last ? "\"\r\n" : "\",";
}

void appendRow(std::string& text, const CheckReportRow& row)
{
    const std::string* fields[] = {&row.position, &row.score,  &row.player, &row.version, &row.checkedWith,
                                   &row.verdict,  &row.frames, &row.length, &row.speed,   &row.lowest,
                                   &row.paused,   &row.states, &row.picture};
    const std::size_t count = sizeof fields / sizeof fields[0];
    for (std::size_t i = 0; i < count; ++i)
        appendField(text, *fields[i], i + 1 == count);
}

} // namespace

std::string checkReportCsv(const std::vector<CheckReportRow>& rows)
{
    std::string text = "\xEF\xBB\xBF";
    appendRow(text, CheckReportRow{"Position", "Score", "Player", "Version", "Checked with", "Verdict", "Frames",
                                   "Length", "Speed", "Lowest", "Paused", "States", "Picture"});
    for (const CheckReportRow& row : rows)
        appendRow(text, row);
    return text;
}
