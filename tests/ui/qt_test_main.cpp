// The widget tests' main: Qt's offscreen platform and a pinned font, so that
// dialog units, and with them every size, are the same on every machine.
// ORVANA_TEST_ON_DISPLAY=1 leaves the platform to Qt, to watch the same tests
// on a real X server (xvfb-run).
#include <QApplication>
#include <QFont>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    const char* onDisplay = std::getenv("ORVANA_TEST_ON_DISPLAY");
    if (!onDisplay || std::string_view(onDisplay) != "1") ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        // Qt warns on every run without a private runtime directory.
        const std::string runtime =
            (std::filesystem::temp_directory_path() / ("orvana-test-runtime-" + std::to_string(::getuid()))).string();
        ::mkdir(runtime.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    return RUN_ALL_TESTS();
}
