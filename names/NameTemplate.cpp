#include "names/NameTemplate.h"

#include "harvest/SafeFileName.h"
#include "names/FittedName.h"
#include "names/NumberedName.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QStringList FieldNames = {
    QStringLiteral("name"), QStringLiteral("ext"),   QStringLiteral("num"),
    QStringLiteral("site"), QStringLiteral("title"), QStringLiteral("viewer"),
    QStringLiteral("w"),    QStringLiteral("h"),     QStringLiteral("date")};

bool IsControl(QChar c) {
    const char16_t code = c.unicode();
    return code < 0x20 || (code >= 0x7f && code < 0xa0);
}

// A page chooses titles and names: none may bring a folder separator or a
// hidden name into the path.
QString SafeValue(const QString& value) {
    QString plain = value;
    for (QChar& c : plain)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || IsControl(c))
            c = QLatin1Char('_');
    return SafeFileName::Of(plain.simplified());
}

QString SiteOf(const QUrl& page) {
    const QString host = page.host().toLower();
    return host.startsWith(QLatin1String("www.")) ? host.mid(4) : host;
}

// A piece of a refused template, short enough for the refusal to stay one line.
QString Quoted(const QString& piece) {
    constexpr qsizetype shown = 32;
    return piece.size() <= shown ? piece : piece.left(shown - 1) + QChar(0x2026);
}

QString SizeText(int pixels) {
    return pixels > 0 ? QString::number(pixels) : QString();
}

} // namespace

NameTemplate::NameTemplate(const QString& text) : text(text) {
    if (!Parse(text, parts).isEmpty()) {
        this->text = Default();
        parts.clear();
        Parse(this->text, parts);
    }
}

QString NameTemplate::Refusal(const QString& text) {
    std::vector<Part> parts;
    return Parse(text, parts);
}

QList<NameTemplate::Choice> NameTemplate::ReadyChoices() {
    return {{QStringLiteral("As listed"), Default()},
            {QStringLiteral("By site"), QStringLiteral("{site}/{name}.{ext}")},
            {QStringLiteral("By site and title"), QStringLiteral("{site}/{title}/{name}.{ext}")},
            {QStringLiteral("Numbered in gallery order"),
             QStringLiteral("{site}/{title}/{num:03}-{name}.{ext}")}};
}

QString NameTemplate::Parse(const QString& text, std::vector<Part>& parts) {
    if (text.trimmed().isEmpty())
        return QStringLiteral("The name template is empty.");
    if (text.startsWith(QLatin1Char('/')))
        return QStringLiteral("A name template starts inside the folder, not with \"/\".");
    if (text.contains(QLatin1String("..")))
        return QStringLiteral("A name template may not hold \"..\": files stay in the folder.");
    if (std::any_of(text.begin(), text.end(), IsControl))
        return QStringLiteral("A name template may not hold control characters.");
    static const QRegularExpression field(QStringLiteral("\\{([a-z]+)(?::0([1-9]))?\\}"));
    parts.assign(1, Part());
    for (qsizetype at = 0; at < text.size();) {
        const QChar c = text[at];
        if (c == QLatin1Char('/')) {
            parts.emplace_back();
            ++at;
            continue;
        }
        if (c == QLatin1Char('{')) {
            const qsizetype close = text.indexOf(QLatin1Char('}'), at);
            if (close < 0)
                return QStringLiteral("A field of the name template is not closed: %1")
                    .arg(Quoted(text.mid(at)));
            const QString written = text.mid(at, close + 1 - at);
            const QRegularExpressionMatch match =
                field.match(text, at, QRegularExpression::NormalMatch,
                            QRegularExpression::AnchorAtOffsetMatchOption);
            if (!match.hasMatch() || !FieldNames.contains(match.captured(1))) {
                if (!FieldNames.contains(written.mid(1).section(QLatin1Char(':'), 0, 0)))
                    return QStringLiteral("Unknown field in the name template: %1")
                        .arg(Quoted(written));
                return QStringLiteral("A field's width is written as in {num:03}, not %1")
                    .arg(Quoted(written));
            }
            if (match.capturedLength(2) > 0 && match.captured(1) != QLatin1String("num"))
                return QStringLiteral("Only {num} takes a width, as in {num:03}.");
            parts.back().push_back({true, match.captured(1), match.captured(2).toInt()});
            at += match.capturedLength();
            continue;
        }
        if (c == QLatin1Char('}'))
            return QStringLiteral("A \"}\" in the name template closes no field.");
        if (parts.back().empty() || parts.back().back().field)
            parts.back().push_back({false, QString(), 0});
        parts.back().back().text += c;
        ++at;
    }
    const bool emptyPart = std::any_of(parts.begin(), parts.end(), [](const Part& part) {
        return part.empty() ||
               (part.size() == 1 && !part[0].field && part[0].text.trimmed() == QLatin1String("."));
    });
    if (emptyPart)
        return QStringLiteral("A name template may not have an empty folder (\"//\" or a \"/\" "
                              "at the end).");
    if (int(parts.size()) > MaxFolders + 1)
        return QStringLiteral("A name template makes at most %1 folders.").arg(MaxFolders);
    return QString();
}

NameTemplate::Placement NameTemplate::Apply(const NameFields& fields) const {
    QStringList folders;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const QString folder = Expand(parts[i], fields);
        if (!folder.isEmpty())
            folders.append(FittedName::Of(folder, 1, FolderLimit));
    }
    return {folders.join(QLatin1Char('/')), Expand(parts.back(), fields)};
}

// Text beside an empty field goes with it: "{w}x{h}" with no size gives
// nothing, not "x", and "{name}-{w}x{h}.{ext}" gives "name.ext". Text before
// the first field and after the last one stays while they gave something.
QString NameTemplate::Expand(const Part& part, const NameFields& fields) {
    QString expanded;
    QString pending; // text since the last field
    bool anyField = false;
    bool lastEmpty = false;
    for (const Token& token : part) {
        if (!token.field) {
            pending += token.text;
            continue;
        }
        const QString value = Value(token, fields);
        if (!value.isEmpty() && (!expanded.isEmpty() || !anyField))
            expanded += pending;
        expanded += value;
        pending.clear();
        anyField = true;
        lastEmpty = value.isEmpty();
    }
    if (!lastEmpty)
        expanded += pending;
    return SafeFileName::Of(expanded.trimmed());
}

QString NameTemplate::Value(const Token& token, const NameFields& fields) {
    const QString& field = token.text;
    const qsizetype split = NumberedName::ExtensionStart(fields.name);
    if (field == QLatin1String("name"))
        return SafeValue(fields.name.left(split));
    if (field == QLatin1String("ext"))
        return SafeValue(fields.name.mid(split + 1));
    if (field == QLatin1String("num"))
        return QStringLiteral("%1").arg(fields.number, token.width, 10, QLatin1Char('0'));
    if (field == QLatin1String("site"))
        return SafeValue(SiteOf(fields.page));
    if (field == QLatin1String("title"))
        return SafeValue(fields.title);
    if (field == QLatin1String("viewer"))
        return SafeValue(fields.viewer.isEmpty() ? fields.title : fields.viewer);
    if (field == QLatin1String("w"))
        return SizeText(fields.width);
    if (field == QLatin1String("h"))
        return SizeText(fields.height);
    return fields.date.toString(Qt::ISODate);
}
