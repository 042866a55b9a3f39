#include "core/htmltext.h"

#include "core/cp1251.h"

#include <QRegularExpression>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
QString declaredCharset(const QByteArray& bytes) {
    // The declaration sits in the head; 4 KiB is plenty and keeps big pages cheap.
    const QString head = QString::fromLatin1(bytes.left(4096));
    static const QRegularExpression charset(u"<meta[^>]*charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_\\-]+)"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = charset.match(head);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}
} // namespace

QString decodeHtml(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    const QString charset = declaredCharset(bytes);
    if (charset == u"windows-1251" || charset == u"cp1251" || charset == u"x-cp1251")
        return cp1251::decode(bytes);
    if (charset == u"utf-8" || charset == u"utf8") return QString::fromUtf8(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder named(charset.toLatin1().constData());
        if (named.isValid()) return named.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? cp1251::decode(bytes) : text;
}

} // namespace solvenna
