#include "host/viewer/log_pane.h"

#include "pal/window/qt/gui_thread.h"

#include <QPointer>
#include <QScrollBar>
#include <QTextCursor>

namespace viewer {

QTextCharFormat LineFormat(LONG level)
{
    QTextCharFormat format;
    switch (level) {
    case host::kLogTrace:
        format.setForeground(QColor(0x80, 0x80, 0x80));
        break;
    case host::kLogWarning:
        format.setForeground(QColor(0xb3, 0x6b, 0x00));
        break;
    case host::kLogPictureFailed:
        format.setForeground(QColor(0xc6, 0x28, 0x28));
        break;
    case host::kLogRunFailed:
        format.setForeground(QColor(0xc6, 0x28, 0x28));
        format.setFontWeight(QFont::Bold);
        break;
    default:
        break; // progress and unknown levels: the palette's text colour
    }
    return format;
}

LogPane::LogPane(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(false);
    setPlaceholderText(QStringLiteral("The publishing log: every line the plug-in logs during a run."));
    setMaximumBlockCount(10000); // a long session keeps its recent lines
}

void LogPane::AppendLine(LONG level, const QString& text)
{
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!document()->isEmpty()) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor.insertText(text, LineFormat(level));
    if (following) bar->setValue(bar->maximum());
}

host::PublishingLog::EchoSink LogPane::Sink()
{
    QPointer<LogPane> pane(this);
    return [pane](LONG level, std::u16string_view text) {
        QString line = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
        // The pane is looked at only on the GUI thread.
        pal::qt::PostToGuiThread([pane, level, line = std::move(line)] {
            if (pane) pane->AppendLine(level, line);
        });
    };
}

} // namespace viewer
