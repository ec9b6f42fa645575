#pragma once

#include "ModuleStatistics.h"

class StatisticsView;
struct Download;

// The one way a download reaches the screen: every field, cell and box from the part of
// the download it belongs to, and blank (a box unchecked) where the download does not
// hold that part, so that nothing of an earlier download survives a later one.
namespace StatisticsPresenter {

// Empties the value fields, the text box and the grid values (Clear Data).
void clear(StatisticsView &view);
// Shows a download, whole or as far as it was read; the status boxes only with the
// status display, as nothing else shows them.
void show(const Download &download, StatisticsView &view, bool statusDisplay);
// The label text of a firmware ID: every "&" doubled, so that a label shows it as it is.
QString firmwareIdCaption(const QString &id);
// "the user data, the statistics" for the parts not read; empty when every part was.
QString partNames(ModuleParts parts);

}  // namespace StatisticsPresenter
