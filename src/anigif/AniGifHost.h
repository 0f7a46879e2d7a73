#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

class QNetworkAccessManager;
class QNetworkReply;

namespace anigif {

// A typed key -> value store that remembers the order keys were written in.
// Writing a value equal to its default stores nothing, as a designer host does.
class PropertyBag {
public:
    QVariant read(const QString &key, const QVariant &defaultValue) const;
    void write(const QString &key, const QVariant &value, const QVariant &defaultValue = QVariant());
    bool contains(const QString &key) const;
    QStringList keys() const;
    void clear() { m_entries.clear(); }

private:
    std::vector<std::pair<QString, QVariant>> m_entries;
};

// What the control needs from whatever hosts it: run or design mode, unit conversions,
// change notification, and an asynchronous read of a path or address.
class AniGifHost {
public:
    AniGifHost();
    virtual ~AniGifHost();

    virtual bool runMode() const { return true; }

    // Pixels to the container's size units and position units. The default container
    // measures in twips, at the screen's logical DPI.
    virtual double pixelsToContainerWidth(double px) const;
    virtual double pixelsToContainerHeight(double px) const;
    virtual double pixelsToContainerX(double px) const { return pixelsToContainerWidth(px); }
    virtual double pixelsToContainerY(double px) const { return pixelsToContainerHeight(px); }

    // The control tells its host that a saved property changed.
    virtual void propertyChanged(const QString &name) { (void)name; }

    // Fetches `path` (a local file or a URL) as bytes. `progress` gets status codes,
    // 0 meaning an error; `complete` gets the bytes. Returns false when the read cannot start.
    using Progress = std::function<void(int status)>;
    using Complete = std::function<void(const QByteArray &bytes)>;
    virtual bool startAsyncRead(const QString &path, const QString &propertyName,
                                Progress progress, Complete complete);
    virtual void cancelAsyncRead(const QString &propertyName);

private:
    QNetworkAccessManager *manager();
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QHash<QString, QNetworkReply *> m_reads;
};

} // namespace anigif
