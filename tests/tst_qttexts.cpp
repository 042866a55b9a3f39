#include "desktopintegration.h"
#include "pageview.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// Qt's own texts (context menus, standard buttons) in the language the program loads for a locale.
class QtTextsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void contextMenusAndButtons_data();
    void contextMenusAndButtons();
    void cleanup();

private:
    QTranslator* m_translator = nullptr;
};

namespace {
// The menu's entries as a person reads them: no access-key marks, no shortcut part.
QStringList entries(QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator()) texts << action->text().remove(u'&').section(u'\t', 0, 0);
    return texts;
}
} // namespace

void QtTextsTest::contextMenusAndButtons_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QString>("selectAll");
    QTest::addColumn<QString>("cancel");
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QTest::newRow("Russian") << russian << u"Копировать"_s << u"Выделить всё"_s << u"Отмена"_s;
    // The whole interface is Russian: where Qt has nothing for the language, Qt's texts are Russian too.
    QTest::newRow("C locale") << QLocale::c() << u"Копировать"_s << u"Выделить всё"_s << u"Отмена"_s;
    QTest::newRow("Kazakh, which Qt does not translate")
        << QLocale(QLocale::Kazakh, QLocale::Kazakhstan) << u"Копировать"_s << u"Выделить всё"_s
        << u"Отмена"_s;
    QTest::newRow("German, which it does") << QLocale(QLocale::German, QLocale::Germany) << u"Kopieren"_s
                                           << u"Alles auswählen"_s << u"Abbrechen"_s;
}

void QtTextsTest::contextMenusAndButtons() {
    QFETCH(QLocale, locale);
    QFETCH(QString, copy);
    QFETCH(QString, selectAll);
    QFETCH(QString, cancel);
    QLocale::setDefault(locale);
    m_translator = solvenna::ui::installQtTranslations();
    QVERIFY2(m_translator, "Qt's translations are installed (qt6-translations-l10n)");

    PageView page;
    page.setHtml(u"<p>Текст страницы</p>"_s);
    const std::unique_ptr<QMenu> pageMenu(page.createStandardContextMenu(QPoint(2, 2)));
    const QStringList pageEntries = entries(pageMenu.get());
    QVERIFY2(pageEntries.contains(copy), qPrintable(pageEntries.join(u" | ")));
    QVERIFY2(pageEntries.contains(selectAll), qPrintable(pageEntries.join(u" | ")));

    QLineEdit field;
    field.setText(u"Анна"_s);
    const std::unique_ptr<QMenu> fieldMenu(field.createStandardContextMenu());
    const QStringList fieldEntries = entries(fieldMenu.get());
    QVERIFY2(fieldEntries.contains(copy) && fieldEntries.contains(selectAll),
             qPrintable(fieldEntries.join(u" | ")));
    for (const QString& english : {u"Copy"_s, u"Paste"_s, u"Select All"_s, u"Undo"_s})
        QVERIFY2(!fieldEntries.contains(english), qPrintable(fieldEntries.join(u" | ")));

    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove(u'&'), cancel);
}

void QtTextsTest::cleanup() {
    if (m_translator) QCoreApplication::removeTranslator(m_translator);
    delete m_translator;
    m_translator = nullptr;
    QLocale::setDefault(QLocale::c());
}

QTEST_MAIN(QtTextsTest)
#include "tst_qttexts.moc"
