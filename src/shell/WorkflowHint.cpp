#include "WorkflowHint.h"

#include "PreferenceKeys.h"

#include <QSettings>

WorkflowHint::WorkflowHint(QObject *parent) : QObject(parent)
{
    QSettings settings;
    m_hasSeen = settings.value(PreferenceKeys::hasSeenWorkflowHint, false).toBool();
    m_views = settings.value(PreferenceKeys::workflowHintViews, 0).toInt();
}

void WorkflowHint::recordAppearance()
{
    QSettings settings;
    m_views = settings.value(PreferenceKeys::workflowHintViews, 0).toInt() + 1;
    settings.setValue(PreferenceKeys::workflowHintViews, m_views);
    if (m_views > 2)
        markSeen();
}

void WorkflowHint::dismiss()
{
    markSeen();
}

void WorkflowHint::markSeen()
{
    QSettings().setValue(PreferenceKeys::hasSeenWorkflowHint, true);
    if (m_hasSeen)
        return;
    m_hasSeen = true;
    emit isVisibleChanged(false);
}
