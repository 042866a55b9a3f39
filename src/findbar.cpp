#include "findbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {
// A page has a few thousand words; more matches than this is a search for a letter, not a word.
constexpr int kMostMatches = 10000;
} // namespace

TFindBar::TFindBar(QTextEdit* page, QWidget* parent) : QWidget(parent), m_page(page) {
    setObjectName(u"FindBar"_s);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(u"Найти:"_s, this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(u"FindField"_s);
    m_field->setAccessibleName(u"Найти на странице"_s);
    m_field->setClearButtonEnabled(true);
    label->setBuddy(m_field);
    m_count = new QLabel(this);
    m_count->setObjectName(u"FindCount"_s);
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(u"000 из 000"_s));
    const auto button = [this](const QString& name, const QString& text, const QString& hint) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    m_previous = button(u"FindPrevious"_s, u"▲"_s, u"Предыдущее совпадение (Shift+F3)"_s);
    m_next = button(u"FindNext"_s, u"▼"_s, u"Следующее совпадение (F3)"_s);
    m_close = button(u"FindClose"_s, u"✕"_s, u"Закрыть (Esc)"_s);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_count);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_close);

    connect(m_field, &QLineEdit::textChanged, this, &TFindBar::search);
    connect(m_previous, &QToolButton::clicked, this, &TFindBar::findPrevious);
    connect(m_next, &QToolButton::clicked, this, &TFindBar::findNext);
    connect(m_close, &QToolButton::clicked, this, &TFindBar::close);
    m_field->installEventFilter(this);
    hide();
}

QString TFindBar::patternFor(const QString& text) {
    QString pattern;
    for (const QChar c : text) {
        const QChar lower = c.toLower();
        if (lower == u'е' || lower == u'ё')
            pattern += u"[её]"_s;
        else
            pattern += QRegularExpression::escape(QString(c));
    }
    return pattern;
}

void TFindBar::open() {
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    search();
}

void TFindBar::close() {
    m_matches.clear();
    m_current = -1;
    m_page->setExtraSelections({});
    m_field->clear();
    setNoMatch(false);
    hide();
    m_page->setFocus();
}

void TFindBar::search() {
    m_matches.clear();
    m_current = -1;
    const QString text = m_field->text();
    if (!text.isEmpty()) {
        const QRegularExpression pattern(patternFor(text),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::UseUnicodePropertiesOption);
        QTextCursor at(m_page->document());
        while (m_matches.size() < kMostMatches) {
            at = m_page->document()->find(pattern, at);
            if (at.isNull()) break;
            if (!at.hasSelection()) break; // an empty match would never move on
            m_matches.append(at);
        }
        if (!m_matches.isEmpty()) {
            // The first match at or after what is shown now.
            const int visibleFrom = m_page->cursorForPosition(QPoint(0, 0)).position();
            m_current = 0;
            for (int i = 0; i < m_matches.size(); ++i) {
                if (m_matches[i].selectionStart() >= visibleFrom) {
                    m_current = i;
                    break;
                }
            }
        }
    }
    setNoMatch(!text.isEmpty() && m_matches.isEmpty());
    showCurrent();
}

void TFindBar::findNext() {
    if (m_matches.isEmpty()) return search();
    m_current = (m_current + 1) % int(m_matches.size());
    showCurrent();
}

void TFindBar::findPrevious() {
    if (m_matches.isEmpty()) return search();
    m_current = (m_current - 1 + int(m_matches.size())) % int(m_matches.size());
    showCurrent();
}

QString TFindBar::countText() const {
    if (m_field->text().isEmpty()) return {};
    if (m_matches.isEmpty()) return u"нет совпадений"_s;
    return u"%1 из %2"_s.arg(m_current + 1).arg(m_matches.size());
}

void TFindBar::showCurrent() {
    QList<QTextEdit::ExtraSelection> selections;
    QTextCharFormat all;
    all.setBackground(QColor(255, 236, 120));
    all.setForeground(Qt::black);
    QTextCharFormat current;
    current.setBackground(QColor(255, 150, 50));
    current.setForeground(Qt::black);
    for (int i = 0; i < m_matches.size(); ++i)
        selections.append({m_matches[i], i == m_current ? current : all});
    m_page->setExtraSelections(selections);
    if (m_current >= 0) {
        // The cursor goes to the match's start, so that scrolling brings its beginning into view.
        QTextCursor shown = m_matches[m_current];
        shown.setPosition(shown.selectionStart());
        m_page->setTextCursor(shown);
        m_page->ensureCursorVisible();
    }
    m_count->setText(countText());
}

void TFindBar::setNoMatch(bool none) {
    m_field->setStyleSheet(none ? u"QLineEdit { background: #ffd7d7; color: black; }"_s : QString());
    m_field->setAccessibleDescription(none ? u"Нет совпадений"_s : QString());
}

bool TFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F3:
            shift ? findPrevious() : findNext();
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
