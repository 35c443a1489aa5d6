// The viewer's parts on their own: the display state's links, the log pane
// fed from another thread, the thumbnails of a folder.
#include "host/viewer/display_state_links.h"
#include "host/viewer/log_pane.h"
#include "host/viewer/thumbnails.h"
#include "tests/support/temporary_prefix.h"
#include "tests/support/test_pictures.h"
#include "tests/ui/modal_driver.h"

#include <QApplication>
#include <QTextBlock>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace {

namespace fs = std::filesystem;

TEST(DisplayStateLinks, EachAnchorCarriesItsVerbAndParameters)
{
    const QString state = QStringLiteral(
        "Publish to Trips. Send JPEG files intact. <a id=\"settings\" href=\"parameters\">Settings...</a>");
    const QString linked = viewer::WithVerbLinks(state);
    EXPECT_EQ(QStringLiteral("Publish to Trips. Send JPEG files intact. "
                             "<a href=\"orvana-verb:settings?parameters\">Settings...</a>"),
              linked);
    const auto link = viewer::ParseVerbLink(QStringLiteral("orvana-verb:settings?parameters"));
    ASSERT_TRUE(link);
    EXPECT_EQ(QStringLiteral("settings"), link->verb);
    EXPECT_EQ(QStringLiteral("parameters"), link->parameters);

    // An empty href is still a verb's link; the order of the attributes does not matter.
    const QString two = viewer::WithVerbLinks(
        QStringLiteral("<A href='' id='authorize'>Authorize...</A> and <a href=\"x\" id=\"settings\">S</a>"));
    EXPECT_EQ(QStringLiteral("<a href=\"orvana-verb:authorize?\">Authorize...</A> and "
                             "<a href=\"orvana-verb:settings?x\">S</a>"),
              two);
    const auto authorize = viewer::ParseVerbLink(QStringLiteral("orvana-verb:authorize?"));
    ASSERT_TRUE(authorize);
    EXPECT_EQ(QStringLiteral("authorize"), authorize->verb);
    EXPECT_TRUE(authorize->parameters.isEmpty());
}

TEST(DisplayStateLinks, ParametersSurviveTheRoundTripAndOtherAnchorsStay)
{
    // Escaped in the markup, and holding the separator and percent signs themselves.
    const QString linked = viewer::WithVerbLinks(QStringLiteral("<a id=\"a?b\" href=\"p?q&amp;r=50%&quot;\">x</a>"));
    const qsizetype start = linked.indexOf(QStringLiteral("orvana-verb:"));
    ASSERT_GE(start, 0);
    const QString href = linked.mid(start, linked.indexOf(u'"', start) - start);
    const auto link = viewer::ParseVerbLink(href);
    ASSERT_TRUE(link);
    EXPECT_EQ(QStringLiteral("a?b"), link->verb);
    EXPECT_EQ(QStringLiteral("p?q&r=50%\""), link->parameters);

    const QString plain = QStringLiteral("<a>Go to your homepage</a> <a href=\"http://example.com/\">site</a>");
    EXPECT_EQ(plain, viewer::WithVerbLinks(plain));
    EXPECT_FALSE(viewer::ParseVerbLink(QStringLiteral("http://example.com/")));
    EXPECT_FALSE(viewer::ParseVerbLink(QStringLiteral("orvana-verb:?parameters")));
    EXPECT_FALSE(viewer::ParseVerbLink(QStringLiteral("orvana-verb:settings")));
}

void ProcessPendingEvents()
{
    for (int n = 0; n < 5; ++n)
        QCoreApplication::processEvents();
}

TEST(LogPane, LinesFromAnotherThreadArriveInOrderColouredByLevel)
{
    viewer::LogPane pane;
    const host::PublishingLog::EchoSink sink = pane.Sink();
    std::thread worker([&sink] {
        for (LONG level = host::kLogTrace; level <= host::kLogRunFailed; ++level)
            sink(level, u"line " + std::u16string(1, static_cast<char16_t>(u'0' + level)));
    });
    worker.join();
    EXPECT_TRUE(pane.toPlainText().isEmpty()) << "appended on the GUI thread only";
    ProcessPendingEvents();
    EXPECT_EQ(QStringLiteral("line 0\nline 1\nline 2\nline 3\nline 4"), pane.toPlainText());

    const QColor text = pane.palette().color(QPalette::Text);
    std::vector<QTextCharFormat> formats;
    for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next())
        formats.push_back(block.begin().fragment().charFormat());
    ASSERT_EQ(5u, formats.size());
    EXPECT_EQ(QColor(0x80, 0x80, 0x80), formats[0].foreground().color());
    EXPECT_FALSE(formats[1].hasProperty(QTextFormat::ForegroundBrush))
        << "progress keeps the text colour " << text.name().toStdString();
    EXPECT_EQ(QColor(0xb3, 0x6b, 0x00), formats[2].foreground().color());
    EXPECT_EQ(QColor(0xc6, 0x28, 0x28), formats[3].foreground().color());
    EXPECT_NE(QFont::Bold, formats[3].fontWeight());
    EXPECT_EQ(QColor(0xc6, 0x28, 0x28), formats[4].foreground().color());
    EXPECT_EQ(QFont::Bold, formats[4].fontWeight());
}

TEST(LogPane, ALineForAPaneClosedMeanwhileIsDropped)
{
    auto pane = std::make_unique<viewer::LogPane>();
    const host::PublishingLog::EchoSink sink = pane->Sink();
    std::thread([&sink] { sink(host::kLogProgress, u"late"); }).join();
    pane.reset();
    ProcessPendingEvents(); // must not reach the destroyed pane
    std::thread([&sink] { sink(host::kLogProgress, u"later still"); }).join();
    ProcessPendingEvents();
}

class Thumbnails : public testing_support::PrefixTest {};

TEST_F(Thumbnails, AFolderShowsItsPicturesScaledAndTheRestAsFiles)
{
    const fs::path folder = prefix_.Path() / "pictures";
    fs::create_directories(folder);
    test_pictures::JpegOptions wide;
    wide.width = 300;
    wide.height = 200;
    test_pictures::WriteJpeg(folder / "b_wide.jpg", wide);
    test_pictures::WritePng(folder / "a_small.png", 40, 30);
    std::ofstream(folder / "c_broken.jpg") << "not a picture";
    std::ofstream(folder / "d_camera.CR2") << "not a raw either";
    std::ofstream(folder / "notes.txt") << "not listed";
    test_pictures::WriteDng(folder / "e_raw.dng", 90, 60, 6); // a camera turned upright
    test_pictures::WriteTiff(folder / "f_scan.tif", 256, 128);
    test_pictures::WritePng(folder / "g_misnamed.jpg", 50, 20);

    viewer::ThumbnailList list;
    int folderShown = 0;
    list.OnAllThumbnailsShown([&] { ++folderShown; });
    list.ShowFolder(folder);
    ASSERT_EQ(7, list.count()) << "every item at once, before its thumbnail";
    EXPECT_EQ(QStringLiteral("a_small.png"), list.item(0)->text());
    EXPECT_EQ(QStringLiteral("b_wide.jpg"), list.item(1)->text());
    EXPECT_EQ(QStringLiteral("c_broken.jpg"), list.item(2)->text());
    EXPECT_EQ(QStringLiteral("d_camera.CR2"), list.item(3)->text());
    ASSERT_TRUE(ui_testing::WaitUntil([&] { return list.AllThumbnailsShown(); }));
    EXPECT_EQ(1, folderShown);
    for (int row = 0; row < list.count(); ++row)
        EXPECT_EQ((QList<QSize>{QSize(128, 128)}), list.item(row)->icon().availableSizes()) << "names line up";

    EXPECT_EQ(QSize(128, 85), viewer::RenderThumbnail(folder / "b_wide.jpg").size()) << "scaled to fit, aspect kept";
    EXPECT_EQ(QSize(40, 30), viewer::RenderThumbnail(folder / "a_small.png").size()) << "never enlarged";
    EXPECT_TRUE(viewer::RenderThumbnail(folder / "c_broken.jpg").isNull());
    EXPECT_EQ(QSize(60, 90), viewer::RenderThumbnail(folder / "e_raw.dng").size())
        << "developed and turned as the camera was held";
    EXPECT_EQ(QSize(128, 64), viewer::RenderThumbnail(folder / "f_scan.tif").size());
    EXPECT_EQ(QSize(50, 20), viewer::RenderThumbnail(folder / "g_misnamed.jpg").size()) << "shown by its content";
    const QImage generic = list.item(2)->icon().pixmap(128).toImage();
    EXPECT_EQ(generic, list.item(3)->icon().pixmap(128).toImage()) << "one icon for what cannot be decoded";
    for (const int picture : {1, 4, 5, 6})
        EXPECT_NE(generic, list.item(picture)->icon().pixmap(128).toImage()) << picture;

    // Selected in any order, named in the list's.
    list.item(2)->setSelected(true);
    list.item(0)->setSelected(true);
    EXPECT_EQ((std::vector<fs::path>{folder / "a_small.png", folder / "c_broken.jpg"}), list.SelectedFiles());

    // Another folder while the first is still being rendered: only its own
    // thumbnails arrive, and it reports once it is complete.
    const fs::path other = prefix_.Path() / "other";
    fs::create_directories(other);
    test_pictures::WritePng(other / "only.png", 20, 10);
    list.ShowFolder(folder);
    list.ShowFolder(other);
    ASSERT_EQ(1, list.count());
    ASSERT_TRUE(ui_testing::WaitUntil([&] { return list.AllThumbnailsShown(); }));
    for (int spin = 0; spin < 20; ++spin)
        QCoreApplication::processEvents();
    EXPECT_EQ(2, folderShown);
    EXPECT_NE(generic, list.item(0)->icon().pixmap(128).toImage());
}

} // namespace
