#pragma once

#include "link/Failure.h"

#include <QString>

#include <optional>

class Prompt;
class QPrinter;
struct ModuleStatistics;
struct ReportContext;

// "Print Statistics": the report of a record, one line a step of the Abort/Retry/Ignore
// contract.
namespace StatisticsPrintout {

inline constexpr char CommentPrompt[] = "Serial number or comment?";
inline constexpr char CommentTitle[] = "Optional Information Entry";

// The comment box; Cancel gives an empty comment and does not stop the printout.
QString askComment(Prompt &prompt);

// Prints; the first failure when the printout did not go through whole.
std::optional<Failure> print(QPrinter &printer, Prompt &prompt, const ModuleStatistics &stats,
                             const ReportContext &context);

}  // namespace StatisticsPrintout
