#include "platform/qt/font_substitutions.h"

#include <QFont>
#include <QStringList>

namespace lenzora::platform {

void registerFontSubstitutions() {
    const QString hei = QStringLiteral("WenQuanYi Zen Hei");
    const QString kai = QStringLiteral("AR PL UKai CN");
    const QStringList serif = {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif"),
                               hei};
    const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                              hei};
    QFont::insertSubstitutions(QStringLiteral("MS Serif"), serif);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QString::fromUtf8("楷体_GB2312"), {kai, hei});
    QFont::insertSubstitutions(QString::fromUtf8("黑体"), {hei});
}

}  // namespace lenzora::platform
