// The viewer's view of the publishing log: one line per logged call, coloured
// by its level. The plug-in logs from its run's thread, so lines are posted
// to the GUI thread and appended there.
#pragma once

#include "host/publishing_log.h"

#include <QPlainTextEdit>
#include <QTextCharFormat>

namespace viewer {

// Trace grey, progress in the text colour, warnings amber, a failed picture
// red, a failed run bold red.
QTextCharFormat LineFormat(LONG level);

class LogPane : public QPlainTextEdit {
  public:
    explicit LogPane(QWidget* parent = nullptr);

    // GUI thread.
    void AppendLine(LONG level, const QString& text);

    // A sink for PublishingLog, callable from any thread: the line is
    // appended later on the GUI thread, unless the pane is gone by then.
    host::PublishingLog::EchoSink Sink();
};

} // namespace viewer
