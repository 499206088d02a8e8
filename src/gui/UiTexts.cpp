#include "UiTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tolvane::gui {

QString UiTexts::operator()(const char* english) const {
    return FromCore(table_->Translate(english, language_));
}

QString UiTexts::operator()(const char* english, const QString& argument) const {
    return (*this)(english).arg(argument);
}

QString UiTexts::TranslateCount(const char* singular, const char* plural, qint64 n) const {
    return FromCore(table_->TranslateCount(singular, plural, n, language_));
}

void InstallQtTranslations(int language) {
    static const char* const kLocales[] = {"en", "es", "fr", "de", "ru"};
    if (language <= 0 || language >= static_cast<int>(std::size(kLocales)))
        return;
    // Once per application: the translator is the application's child.
    QCoreApplication* application = QCoreApplication::instance();
    const QString name = QStringLiteral("tolvaneQtTranslator");
    if (application->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly))
        return;
    const QLocale locale(QString::fromLatin1(kLocales[language]));
    QLocale::setDefault(locale);
    auto* translator = new QTranslator(application);
    translator->setObjectName(name);
    if (translator->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

QString MessageText(const std::string& text) {
    QString out = FromCore(text);
    out.replace("\r\n", "\n");
    out.replace('\r', '\n');
    return out;
}

QString WithAccelerator(const QString& caption) {
    if (caption.isEmpty() || caption.contains('&'))
        return caption;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i].isLetter())
            return caption.left(i) + '&' + caption.mid(i);
    }
    return caption;
}

} // namespace tolvane::gui
