#include "desktopintegration.h"

#include "core/catalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

QString applicationId() {
    return QStringLiteral(SOLVENNA_APP_ID);
}

void announceDesktopEntry() {
    QGuiApplication::setDesktopFileName(applicationId());
}

QTranslator* installQtTranslations() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(QCoreApplication::instance());
    // The C locale names no language; its "en" would give English texts in a Russian program.
    const QLocale locale;
    const bool loaded =
        (locale.language() != QLocale::C && translator->load(locale, u"qtbase"_s, u"_"_s, folder)) ||
        translator->load(u"qtbase_ru"_s, folder);
    if (!loaded || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

QString userConfigFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (folder.isEmpty()) return {};
    QString native = QDir::toNativeSeparators(QDir::cleanPath(folder));
    if (!native.endsWith(solvenna::pathDelimiter())) native += solvenna::pathDelimiter();
    return native;
}

} // namespace solvenna::ui
