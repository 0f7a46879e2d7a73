#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

// The running settings: the reload period, the slide time, the display mode,
// the user's own picture and the picture selection. They are plain values
// that the settings files, the slide-set builder and the slideshow read and
// write; the panel shows and edits them, mirroring them in its controls both
// ways as they change (a direct call, so a write is on screen when it
// returns).
class RunningSettings : public QObject {
    Q_OBJECT
public:
    // Minutes between reloads of the slide set, as typed.
    const QString &reloadMinutes() const { return m_reloadMinutes; }
    void setReloadMinutes(const QString &text);
    // Seconds a slide stays, as typed.
    const QString &slideSeconds() const { return m_slideSeconds; }
    void setSlideSeconds(const QString &text);
    // The stored display mode (kFullScreen or kNormal).
    const QString &displayMode() const { return m_displayMode; }
    void setDisplayMode(const QString &text);
    // The user's own picture file; empty for none.
    const QString &ownPicture() const { return m_ownPicture; }
    void setOwnPicture(const QString &path);

    // The picture list: one row per catalogue entry, some of them selected.
    const QStringList &rows() const { return m_rows; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // New rows, none selected.
    void setRows(const QStringList &rows);
    bool isSelected(int row) const;
    void setSelected(int row, bool on);
    void clearSelection();
    std::vector<int> selectedRows() const;
    // Rows and selection at once, as the panel's list holds them after an edit.
    void setList(const QStringList &rows, const std::vector<bool> &selected);

signals:
    void reloadMinutesChanged(const QString &text);
    void slideSecondsChanged(const QString &text);
    void displayModeChanged(const QString &text);
    void ownPictureChanged(const QString &path);
    // The rows were replaced (their selection with them).
    void rowsChanged();
    // The selection of existing rows changed.
    void selectionChanged();

private:
    QString m_reloadMinutes;
    QString m_slideSeconds;
    QString m_displayMode;
    QString m_ownPicture;
    QStringList m_rows;
    std::vector<bool> m_selected;
};
