#pragma once

#include <QString>

class Prompt;
class QPrinter;
struct ModuleStatistics;

// "Print Statistics": asks for an optional comment, then prints the report of the record
// as it stands, one line a step.
namespace StatisticsPrintout {

inline constexpr char CommentPrompt[] = "Serial number or comment?";
inline constexpr char CommentTitle[] = "Optional Information Entry";

// The comment box; Cancel gives an empty comment and does not stop the printout.
QString askComment(Prompt &prompt);

void print(QPrinter &printer, Prompt &prompt, const ModuleStatistics &stats, const QString &makerName,
           bool statusDisplayEnabled);

}  // namespace StatisticsPrintout
