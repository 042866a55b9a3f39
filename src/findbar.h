#pragma once

#include <QList>
#include <QTextCursor>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTextEdit;
class QToolButton;

// Find in page: a bar under the page that highlights every match of what is typed, the current one
// distinct and scrolled into view, with an "3 из 12" count. Letter case is ignored, and "е" and "ё"
// match each other.
class TFindBar : public QWidget {
    Q_OBJECT
public:
    explicit TFindBar(QTextEdit* page, QWidget* parent = nullptr);

    // Shows the bar with the focus in its field, what it holds selected.
    void open();
    // Hides the bar and clears its highlights.
    void close();

    void findNext();
    void findPrevious();

    int matchCount() const { return int(m_matches.size()); }
    int currentMatch() const { return m_current; } // 0-based, -1 when none
    QString countText() const;
    QLineEdit* field() const { return m_field; }

    // A search pattern for the text: case ignored, "е" and "ё" alike.
    static QString patternFor(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search();
    void showCurrent();
    void setNoMatch(bool none);

    QTextEdit* m_page;
    QLineEdit* m_field;
    QLabel* m_count;
    QToolButton* m_previous;
    QToolButton* m_next;
    QToolButton* m_close;
    QList<QTextCursor> m_matches;
    int m_current = -1;
};
