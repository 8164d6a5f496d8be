#include "platform/ui/application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/cursor.h"
#include "platform/ui/dialogs.h"

namespace qv {

QvApplication::QvApplication(int& argc, char** argv) : QApplication(argc, argv) {
    InstallIoErrorReporter();
    InstallItalianTranslations();
}

bool QvApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const IoError& e) {
        ShowIoError(e);
        return true;
    } catch (const std::bad_alloc&) {
        ShowOutOfMemory();
        return true;
    }
}

namespace {
IoCodeExplainer gExplainer = nullptr;
}

void SetIoCodeExplainer(IoCodeExplainer explainer) {
    gExplainer = explainer;
}

void ShowOutOfMemory() {
    ShowIoError(IoError(kHeapOverflow, {}));
}

void ShowIoError(const IoError& e) {
    HourglassOff();
    std::string text = e.Message();
    if (text.empty()) {
        text = "Errore di input/output " + std::to_string(e.Code()) + ".";
        if (const std::string meaning = gExplainer ? gExplainer(e.Code()) : std::string(); !meaning.empty())
            text += "\n" + meaning;
    }
    if (!e.Path().empty()) text += "\nFile: " + DisplayPath(e.Path());
    ShowMessage({text, "Quorvanta-TV", MessageButtons::Ok, MessageIcon::Error, {}});
}

void InstallIoErrorReporter() {
    SetIoErrorReporter(&ShowIoError);
}

bool InstallItalianTranslations() {
    // Owned by the application object, so it goes when the application goes.
    static QPointer<QTranslator> installed;
    if (installed) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

}  // namespace qv
