#include "core/startpage.h"

#include "core/catalogue.h"
#include "core/compatibility.h"
#include "core/pagebuilder.h"

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {

constexpr auto kBodyClass = u"start";
constexpr auto kGuide = u"Guide/guide.htm";

// How the person dialog is reached, said alike on both pages.
Html howToBegin(const QString& then) {
    return Html::text(u"Нажмите «Личные данные» на панели инструментов или Ctrl+P, введите имя и дату "
                      u"рождения и нажмите «Готово». "_s +
                      then);
}

Html guideLine() {
    return Html::text(u"Подробнее обо всём — в "_s) +
           PageBuilder::dataLink(QString::fromUtf16(kGuide), u"руководстве"_s) + Html::text(u" (F1)."_s);
}

// The page of a sign in the data folder, '/' between the parts; the zodiac's is its first topic.
std::optional<QString> signPage(HoroscopeSystem system, int sign) {
    const SystemEntry& entry = systemEntry(system);
    const std::optional<QString> file = entry.signEntry(sign);
    if (!file) return std::nullopt;
    if (system != HoroscopeSystem::Zodiac) return systemFolderName(system) + u'/' + *file;
    const std::optional<QString> topic = topicFile(0);
    return topic ? std::optional(systemFolderName(system) + u'/' + *file + u'/' + *topic) : std::nullopt;
}

// "Анна — 15 августа, через 3 дня, исполнится 50, Лев", one line each.
void upcomingSection(PageBuilder& page, const QList<UpcomingBirthday>& upcoming) {
    if (upcoming.isEmpty()) return;
    page.heading(2, u"Ближайшие дни рождения"_s);
    for (const UpcomingBirthday& b : upcoming) {
        QStringList parts{dayMonthText(b.birthDate), daysText(b.days),
                          u"исполнится "_s + QString::number(b.turns)};
        if (const QString sign = signName(HoroscopeSystem::Zodiac, b.zodiac); !sign.isEmpty()) parts << sign;
        page.paragraph(Html::text(displayName(b.name)).bold() + Html::text(u" — "_s + parts.join(u", "_s)),
                       u"class=\"birthday\""_s);
    }
}

} // namespace

QString welcomePage(const QList<UpcomingBirthday>& upcoming) {
    PageBuilder page;
    page.beginDocument(u"Добро пожаловать"_s, QString::fromUtf16(kBodyClass));
    page.heading(1, u"Добро пожаловать"_s);
    page.paragraph(u"Solvenna составляет гороскоп по дате рождения в шести системах: зодиакальной, "
                   u"китайской, друидской, зороастрийской, мифологической и нумерологической."_s);
    page.heading(2, u"С чего начать"_s);
    page.paragraph(howToBegin(u"Здесь появятся ваши знаки, каждый со ссылкой на свою страницу."_s));
    upcomingSection(page, upcoming);
    page.paragraph(guideLine());
    page.endDocument();
    return page.html();
}

QString personStartPage(const QString& name, const QString& dateText, Date birthDate,
                        const QList<UpcomingBirthday>& upcoming) {
    const QString shown = displayName(name);
    const PersonSigns signs = personSigns(birthDate);
    const int bySystem[kSystemCount] = {signs.zodiac, signs.chinese,  signs.tree,
                                        signs.totem,  signs.creature, signs.number};
    PageBuilder page;
    page.beginDocument(shown, QString::fromUtf16(kBodyClass));
    page.heading(1, shown);
    page.paragraph(u"Дата рождения: "_s + dateText);
    page.heading(2, u"Знаки"_s);
    page.beginTable(u"cellspacing=\"0\""_s);
    for (const SystemEntry& entry : systemTable()) {
        const int sign = bySystem[int(entry.system)];
        const QString signText = signName(entry.system, sign);
        const std::optional<QString> target = signPage(entry.system, sign);
        const Html cell = signText.isEmpty() ? Html::text(noSignReason(entry.system))
                          : target           ? PageBuilder::dataLink(*target, signText)
                                             : Html::text(signText);
        page.row({Html::text(systemCaption(entry.system)).bold(), cell});
    }
    page.endTable();
    page.paragraph(u"Ссылка открывает страницу знака. Гороскоп с разделами — кнопка «Гороскоп»; другой "
                   u"человек — «Личные данные» (Ctrl+P)."_s);
    upcomingSection(page, upcoming);
    page.paragraph(guideLine());
    page.endDocument();
    return page.html();
}

} // namespace solvenna
