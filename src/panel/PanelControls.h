#pragma once

#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>

// Controls of the panel that report the events its handlers react to: a
// click, a typed key and the loss of focus of an edit field, and a mouse press
// on the selection list.

class PanelField : public QLineEdit {
    Q_OBJECT
public:
    explicit PanelField(QWidget *parent = nullptr) : QLineEdit(parent) {}

signals:
    void clicked();
    void keyTyped(int key);
    void focusLost();

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        QLineEdit::mousePressEvent(event);
        if (event->button() == Qt::LeftButton)
            emit clicked();
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        // Only keys that produce a character count as typed, as a key-press
        // event would report them.
        const bool typed = !event->text().isEmpty();
        QLineEdit::keyPressEvent(event);
        if (typed)
            emit keyTyped(event->key());
    }
    void focusOutEvent(QFocusEvent *event) override
    {
        QLineEdit::focusOutEvent(event);
        emit focusLost();
    }
};

class SelectionList : public QListWidget {
    Q_OBJECT
public:
    explicit SelectionList(QWidget *parent = nullptr) : QListWidget(parent) {}

signals:
    void mouseDown();

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        emit mouseDown();
        QListWidget::mousePressEvent(event);
    }
};

// A read-only multi-line text box. It keeps its text exactly as set, line ends
// included, and shows it with ordinary line breaks.
class HelpBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit HelpBox(QWidget *parent = nullptr) : QPlainTextEdit(parent) { setReadOnly(true); }

    QString text() const { return m_text; }
    void setText(const QString &text)
    {
        m_text = text;
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        setPlainText(shown);
    }

private:
    QString m_text;
};
