#include "host/console_display.h"

#include "pal/utf.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace host {

namespace {

constexpr int kBarCells = 20;
constexpr std::string_view kClearLine = "\r\x1b[K";

long long Span(const pal::ProgressBarState& bar)
{
    return static_cast<long long>(bar.high) - bar.low;
}

long long Done(const pal::ProgressBarState& bar)
{
    return static_cast<long long>(bar.position) - bar.low;
}

// A run's range is pictures × 100, so such a range, once set, counts pictures.
std::string CountText(const pal::ProgressBarState& bar, bool rangeSet)
{
    const long long span = Span(bar);
    char text[48];
    if (rangeSet && span > 0 && span % 100 == 0) {
        const int digits = std::snprintf(nullptr, 0, "%lld", span / 100);
        std::snprintf(text, sizeof text, "%*lld/%lld", digits, Done(bar) / 100, span / 100);
    } else {
        std::snprintf(text, sizeof text, "%3lld%%", span > 0 ? Done(bar) * 100 / span : 0);
    }
    return text;
}

std::string_view StateWord(int state)
{
    return state == PBST_PAUSED ? "paused" : state == PBST_ERROR ? "error" : "";
}

// A line break or tab inside the text would break the one-line display.
std::string OneLine(std::u16string_view text)
{
    std::string line = pal::ToUtf8(text);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return line;
}

// Cut to columns code points, one column each.
void CutTo(std::string& line, int columns)
{
    int seen = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
        if (seen++ == columns) {
            line.resize(i);
            return;
        }
    }
}

// Windows ends lines with \r\n; the terminal wants \n.
std::string Lines(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    if (out.empty() || out.back() != '\n') out += '\n';
    return out;
}

} // namespace

ConsoleOutput ConsoleOutput::StandardError()
{
    ConsoleOutput output;
    output.write = [](std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    };
    output.isTerminal = isatty(STDERR_FILENO) != 0;
    return output;
}

std::optional<LRESULT> ConsoleDisplay::ProgressMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const pal::ProgressBarState before = bar_;
    const std::optional<LRESULT> answer = bar_.Handle(message, wParam, lParam);
    if (!answer || finished_) return answer;
    if (message == PBM_SETRANGE || message == PBM_SETRANGE32) rangeSet_ = true;
    if (bar_.state != before.state) {
        if (output_.isTerminal) {
            Draw(true);
        } else if (!StateWord(bar_.state).empty()) {
            output_.write(PlainLine(StateWord(bar_.state)) + "\n");
        }
    } else if (output_.isTerminal && (bar_.position != before.position || Span(bar_) != Span(before))) {
        Draw(false);
    }
    return answer;
}

void ConsoleDisplay::SetStatus(std::u16string_view text)
{
    if (text == status_) return;
    status_ = text;
    if (finished_) return;
    if (output_.isTerminal) {
        Draw(true);
    } else if (!status_.empty() && status_ != printed_) {
        printed_ = status_;
        output_.write(PlainLine(OneLine(status_)) + "\n");
    }
}

void ConsoleDisplay::ShowMessageBox(std::string_view caption, std::string_view text)
{
    Print(Lines(caption) + Lines(text));
}

void ConsoleDisplay::PrintAbove(std::string_view line)
{
    Print(Lines(line));
}

void ConsoleDisplay::Print(const std::string& lines)
{
    if (!shown_) {
        output_.write(lines);
        return;
    }
    output_.write(std::string(kClearLine) + lines);
    shown_ = false;
    drawn_.clear();
    Draw(true);
}

void ConsoleDisplay::Finish()
{
    if (finished_) return;
    if (output_.isTerminal && shown_) {
        Draw(true);
        output_.write("\n");
    }
    shown_ = false;
    finished_ = true;
}

void ConsoleDisplay::Draw(bool immediately)
{
    if (finished_) return;
    std::string line = TerminalLine();
    if (shown_ && line == drawn_) return;
    const auto now = std::chrono::steady_clock::now();
    // A move skipped here shows with the next change or at Finish.
    if (!immediately && shown_ && now - lastDraw_ < output_.redrawInterval) return;
    // One write, so the terminal never shows the line half drawn.
    output_.write("\r" + line + "\x1b[K");
    drawn_ = std::move(line);
    shown_ = true;
    lastDraw_ = now;
}

std::string ConsoleDisplay::TerminalLine() const
{
    const long long span = Span(bar_);
    const int filled = span > 0 ? static_cast<int>(Done(bar_) * kBarCells / span) : 0;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarCells - filled), '.') + "]  " +
                       CountText(bar_, rangeSet_);
    if (const std::string_view word = StateWord(bar_.state); !word.empty()) (line += "  ") += word;
    if (!status_.empty()) (line += "  ") += OneLine(status_);
    // One column short of the edge, so the cursor never wraps to the next row.
    CutTo(line, Width() - 1);
    const std::string_view colour = bar_.state == PBST_PAUSED ? "\x1b[33m" : bar_.state == PBST_ERROR ? "\x1b[31m" : "";
    if (colour.empty()) return line;
    const std::size_t barEnd = std::min<std::size_t>(line.size(), kBarCells + 2);
    return std::string(colour) + line.substr(0, barEnd) + "\x1b[0m" + line.substr(barEnd);
}

std::string ConsoleDisplay::PlainLine(std::string_view text) const
{
    return "[" + CountText(bar_, rangeSet_) + "] " + std::string(text);
}

int ConsoleDisplay::Width() const
{
    if (output_.width > 0) return output_.width;
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

} // namespace host
