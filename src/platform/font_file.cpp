#include "platform/font_file.h"

#include <fontconfig/fontconfig.h>

#include <QFile>
#include <QFontInfo>
#include <QHash>
#include <QString>

namespace lenzora::platform {
namespace {

QString matchingFile(const QString& family, const QString& style) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return {};
    const QByteArray familyName = family.toUtf8();
    const QByteArray styleName = style.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyName.data()));
    if (!styleName.isEmpty())
        FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(styleName.data()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    QString path;
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        path = QString::fromUtf8(reinterpret_cast<const char*>(file));
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

}  // namespace

QByteArray fontFileData(const QFont& font) {
    const QFontInfo info(font);
    const QString key = info.family() + QLatin1Char('\n') + info.styleName();
    static QHash<QString, QByteArray> files;  // a font file does not change during a run
    auto it = files.constFind(key);
    if (it != files.constEnd()) return it.value();
    QByteArray data;
    QFile file(matchingFile(info.family(), info.styleName()));
    if (!file.fileName().isEmpty() && file.open(QIODevice::ReadOnly)) data = file.readAll();
    files.insert(key, data);
    return data;
}

}  // namespace lenzora::platform
