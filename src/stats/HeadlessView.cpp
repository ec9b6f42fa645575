#include "HeadlessView.h"

void HeadlessView::setBreakInLimitChecked(bool checked)
{
    if (m_breakIn == checked)
        return;
    m_breakIn = checked;
    if (onBreakInLimitClicked)
        onBreakInLimitClicked();
}

void HeadlessView::setEngineRebuildChecked(bool checked)
{
    if (m_rebuild == checked)
        return;
    m_rebuild = checked;
    if (onEngineRebuildClicked)
        onEngineRebuildClicked();
}
