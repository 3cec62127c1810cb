// The window tests run on Qt's offscreen platform unless a display is asked for explicitly, so
// they need no X server; test discovery runs this binary too, without the test environment.

#include <gtest/gtest.h>

#include <QApplication>

// The fake sites' HTTP server library is not built with ThreadSanitizer: its lazily built
// internals are synchronised in code the sanitizer cannot see, which it reports as races in the
// memcmp/memcpy calls that library makes. Our own code stays fully checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libcpp-httplib.so.0.11\n";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
