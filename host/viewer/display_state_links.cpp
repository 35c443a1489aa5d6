#include "host/viewer/display_state_links.h"

#include <QRegularExpression>
#include <QUrl>

namespace viewer {

namespace {

const QString kScheme = QStringLiteral("orvana-verb:");

// Attribute values arrive HTML-escaped; the label unescapes hrefs the same way.
QString Unescaped(QString value)
{
    value.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    value.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    value.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    value.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    value.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return value;
}

QString Encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QString Decoded(QStringView value)
{
    return QUrl::fromPercentEncoding(value.toLatin1());
}

} // namespace

QString WithVerbLinks(const QString& displayState)
{
    static const QRegularExpression anchor(QStringLiteral(R"re(<a\b([^>]*)>)re"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(
        QStringLiteral(R"re(([A-Za-z_:][-A-Za-z0-9_:.]*)\s*=\s*("([^"]*)"|'([^']*)'))re"));
    QString result;
    qsizetype copied = 0;
    for (auto anchors = anchor.globalMatch(displayState); anchors.hasNext();) {
        const QRegularExpressionMatch found = anchors.next();
        std::optional<QString> id;
        QString href;
        for (auto attributes = attribute.globalMatch(found.captured(1)); attributes.hasNext();) {
            const QRegularExpressionMatch pair = attributes.next();
            const QString value = Unescaped(pair.hasCaptured(3) ? pair.captured(3) : pair.captured(4));
            const QString name = pair.captured(1).toLower();
            if (name == QLatin1String("id")) id = value;
            if (name == QLatin1String("href")) href = value;
        }
        if (!id) continue;
        result += QStringView(displayState).mid(copied, found.capturedStart() - copied);
        result += QStringLiteral("<a href=\"") + kScheme + Encoded(*id) + u'?' + Encoded(href) + QStringLiteral("\">");
        copied = found.capturedEnd();
    }
    result += QStringView(displayState).mid(copied);
    return result;
}

std::optional<VerbLink> ParseVerbLink(const QString& href)
{
    if (!href.startsWith(kScheme)) return std::nullopt;
    const QStringView rest = QStringView(href).mid(kScheme.size());
    const qsizetype mark = rest.indexOf(u'?');
    if (mark <= 0) return std::nullopt;
    return VerbLink{Decoded(rest.left(mark)), Decoded(rest.mid(mark + 1))};
}

} // namespace viewer
