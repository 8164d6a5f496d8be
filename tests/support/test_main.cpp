#include <gtest/gtest.h>

#include <QApplication>

#include "core/core_state.h"
#include "platform/ui/dialogs.h"

// Sanitizer builds look for leaks in every test program; what Qt and the system libraries it
// loads keep until the process ends is listed in tests/lsan.supp. ASAN_OPTIONS or LSAN_OPTIONS
// in the environment still take precedence.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1";
}
extern "C" const char* __lsan_default_options() {
    return "suppressions=" QV_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0";
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    qv::SetNeverBlock(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
