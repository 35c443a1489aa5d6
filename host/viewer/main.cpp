// orvana-viewer [--screenshot FILE] [FOLDER]: a folder's pictures as a picture
// viewer shows them, published through the plug-in with the setup the
// console host keeps in the same prefix.
#include "host/com_apartment.h"
#include "host/host_classes.h"
#include "host/plugin_session.h"
#include "host/viewer/thumbnails.h"
#include "host/viewer/viewer_window.h"
#include "pal/window/qt/gui_thread.h"
#include "pal/window/window_object.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <filesystem>
#include <iostream>
#include <optional>

namespace {

struct Options {
    std::filesystem::path folder;
    std::optional<QString> screenshot;
};

std::optional<Options> ParseOptions(const QStringList& arguments)
{
    Options options;
    bool folderGiven = false;
    for (qsizetype n = 1; n < arguments.size(); ++n) {
        const QString& argument = arguments[n];
        if (argument == QLatin1String("--screenshot") && n + 1 < arguments.size()) {
            options.screenshot = arguments[++n];
        } else if (!argument.startsWith(QLatin1String("--")) && !folderGiven) {
            options.folder = argument.toStdString();
            folderGiven = true;
        } else {
            return std::nullopt;
        }
    }
    if (!folderGiven) options.folder = std::filesystem::current_path();
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    // The viewer owns the application; the plug-in's windows run on its thread.
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvana-viewer"));
    // A window host has no terminal bell to ring: the desktop's sound instead.
    pal::SetBeeper([](UINT) { pal::qt::PostToGuiThread([] { QApplication::beep(); }); });
    const std::optional<Options> options = ParseOptions(QApplication::arguments());
    if (!options) {
        std::cerr << "usage: orvana-viewer [--screenshot FILE] [FOLDER]\n";
        return 2;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(options->folder, error)) {
        std::cerr << "orvana-viewer: not a folder: " << options->folder.string() << '\n';
        return 2;
    }
    try {
        host::ComApartment apartment;
        host::HostClassRegistration hostClasses;
        host::PluginSession session(host::StateStore::InPrefix(), true);
        int status = 0;
        {
            viewer::ViewerWindow window(session, options->folder);
            window.show();
            if (options->screenshot) {
                // Once every thumbnail is in, after the layout passes, which
                // the icon view runs from its own timer.
                auto takeScreenshot = [&window, file = *options->screenshot] {
                    QTimer::singleShot(300, &window, [&window, file] {
                        const bool saved = window.grab().save(file);
                        if (!saved) std::cerr << "orvana-viewer: cannot write " << file.toStdString() << '\n';
                        QCoreApplication::exit(saved ? 0 : 1);
                    });
                };
                if (window.Thumbnails()->AllThumbnailsShown())
                    takeScreenshot();
                else
                    window.Thumbnails()->OnAllThumbnailsShown(takeScreenshot);
            }
            status = QApplication::exec();
        }
        session.Finish();
        return status;
    } catch (const std::exception& failure) {
        std::cerr << "orvana-viewer: " << failure.what() << '\n';
        if (!QApplication::arguments().contains(QStringLiteral("--screenshot")))
            QMessageBox::critical(nullptr, QStringLiteral("Orvana Viewer"), QString::fromStdString(failure.what()));
        return 2;
    }
}
