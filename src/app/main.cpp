#include <cstring>
#include <new>
#include <string>

#include "app/register_all.h"
#include "app/startup.h"
#include "cardwindow/ui/tprincipale.h"
#include "core/core_state.h"
#include "core/text_tables.h"
#include "platform/io_error.h"
#include "platform/paths.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/printing.h"

int main(int argc, char** argv) {
    const char* root = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--root") == 0) root = argv[i + 1];
    qv::SetRootDir(qv::DefaultRootDir(root));

    qv::QvApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvanta-TV"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvanta-TV"));

    qv::SetIoCodeExplainer(
        [](int code) { return code == qv::kHeapOverflow ? qv::LoadText(2100) : std::string(); });
    try {
        qv::StartProgram();
    } catch (const qv::IoError& e) {
        // A failed start-up shows its error and ends without a window, saving nothing.
        qv::ShowIoError(e);
        return 1;
    } catch (const std::bad_alloc&) {
        qv::ShowOutOfMemory();
        return 1;
    }

    qv::RegisterAllDialogs();
    qv::SetPrintFolderSource([] { return qv::CoreState.ArchiveDir; });
    int result = 0;
    {
        qv::TPrincipale window;
        try {
            window.FormCreate();
        } catch (const qv::IoError& e) {
            qv::ShowIoError(e);
        } catch (const std::bad_alloc&) {
            qv::ShowOutOfMemory();
        }
        window.show();
        for (const std::string& notice : qv::StartupNotices()) qv::ShowInfo(notice);
        result = app.exec();
    }
    qv::StopProgram();
    return result;
}
