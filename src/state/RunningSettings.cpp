#include "state/RunningSettings.h"

namespace {
// Sets a value and tells whether it changed, so a mirror echoing the value
// back ends at once.
bool assign(QString &field, const QString &text)
{
    if (field == text)
        return false;
    field = text;
    return true;
}
} // namespace

void RunningSettings::setReloadMinutes(const QString &text)
{
    if (assign(m_reloadMinutes, text))
        emit reloadMinutesChanged(m_reloadMinutes);
}

void RunningSettings::setSlideSeconds(const QString &text)
{
    if (assign(m_slideSeconds, text))
        emit slideSecondsChanged(m_slideSeconds);
}

void RunningSettings::setDisplayMode(const QString &text)
{
    if (assign(m_displayMode, text))
        emit displayModeChanged(m_displayMode);
}

void RunningSettings::setOwnPicture(const QString &path)
{
    if (assign(m_ownPicture, path))
        emit ownPictureChanged(m_ownPicture);
}

void RunningSettings::setRows(const QStringList &rows)
{
    m_rows = rows;
    m_selected.assign(m_rows.size(), false);
    emit rowsChanged();
}

bool RunningSettings::isSelected(int row) const
{
    return row >= 0 && row < rowCount() && m_selected[row];
}

void RunningSettings::setSelected(int row, bool on)
{
    if (row < 0 || row >= rowCount() || m_selected[row] == on)
        return;
    m_selected[row] = on;
    emit selectionChanged();
}

void RunningSettings::clearSelection()
{
    bool any = false;
    for (auto &&flag : m_selected) {
        any = any || flag;
        flag = false;
    }
    if (any)
        emit selectionChanged();
}

std::vector<int> RunningSettings::selectedRows() const
{
    std::vector<int> out;
    for (int i = 0; i < rowCount(); ++i)
        if (m_selected[i])
            out.push_back(i);
    return out;
}

void RunningSettings::setList(const QStringList &rows, const std::vector<bool> &selected)
{
    std::vector<bool> flags = selected;
    flags.resize(rows.size(), false);
    if (rows == m_rows) {
        if (flags != m_selected) {
            m_selected = flags;
            emit selectionChanged();
        }
        return;
    }
    m_rows = rows;
    m_selected = flags;
    emit rowsChanged();
}
