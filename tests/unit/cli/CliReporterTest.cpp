#include "CliReporter.h"
#include "app/MStrings.h"

#include <QString>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A pseudo-terminal 60 columns wide: the reporter writes to its terminal side, the test reads
// what a terminal would have been sent from the other.
class MPseudoTerminal
{
public:
    MPseudoTerminal()
    {
        winsize size {};
        size.ws_col = 60;
        size.ws_row = 20;
        if (openpty(&m_Master, &m_Slave, nullptr, nullptr, &size) != 0)
            return;
        fcntl(m_Master, F_SETFL, fcntl(m_Master, F_GETFL) | O_NONBLOCK);
        m_Stream = fdopen(m_Slave, "w");
    }
    ~MPseudoTerminal()
    {
        if (m_Stream)
            std::fclose(m_Stream);
        if (m_Master >= 0)
            close(m_Master);
    }
    FILE* Terminal() const { return m_Stream; }
    // Everything sent so far.
    QString Read()
    {
        char buffer[4096];
        for (ssize_t n; (n = read(m_Master, buffer, sizeof buffer)) > 0;)
            m_Seen.append(buffer, n);
        return QString::fromUtf8(m_Seen);
    }

private:
    int m_Master = -1;
    int m_Slave = -1;
    FILE* m_Stream = nullptr;
    QByteArray m_Seen;
};

QString ReadAll(FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, qsizetype(n));
    return QString::fromUtf8(bytes);
}

} // namespace

TEST(CliReporter, OnATerminalProgressIsOneLineRewrittenInPlace)
{
    SetStringTableLanguage(QStringLiteral("en"));
    MPseudoTerminal tty;
    ASSERT_NE(tty.Terminal(), nullptr);
    FILE* results = std::tmpfile();
    {
        MCliReporter reporter(tty.Terminal(), results);
        ASSERT_TRUE(reporter.IsTerminal());
        reporter.ShowProgress({0, 3, -1});
        reporter.ShowStatus(QStringLiteral("Travel Journal/Lisbon 2024"));
        reporter.ShowProgress({1, 3, 130});
        reporter.ShowStatus(QStringLiteral("Travel Journal/Lisbon 2024/") + QString(80, QLatin1Char('x')));
        const QString during = tty.Read();
        EXPECT_FALSE(during.contains(QLatin1Char('\n'))) << "no new line while the run goes on";
        EXPECT_TRUE(during.contains(QStringLiteral("\r\033[K1 of 3 · about 3 min left · Travel Journal/Lisbon 2024")));
        // The line never reaches the terminal's last column, so it cannot wrap.
        const QString last = during.mid(during.lastIndexOf(QStringLiteral("\033[K")) + 3);
        EXPECT_EQ(last.size(), 59);
        EXPECT_TRUE(last.endsWith(QChar(0x2026)));

        // An alert gets a line of its own and the progress line comes back under it.
        reporter.Alert(QStringLiteral("The page list could not be read."));
        EXPECT_TRUE(tty.Read().endsWith(QStringLiteral("\r\033[KThe page list could not be read.\r\n\r\033[K") + last));
        reporter.ReportItem({0, QStringLiteral("a.txt"), MItemOutcome::Created, {}, QStringLiteral("/out/a.txt")});
        reporter.Finish(QStringLiteral("Finished"));
        EXPECT_TRUE(tty.Read().endsWith(QStringLiteral("\r\033[KFinished\r\n")));
        EXPECT_EQ(reporter.Alerts(), 1);
    }
    EXPECT_EQ(ReadAll(results), QStringLiteral("Success\ta.txt\n"));
    std::fclose(results);
}

// Rows and statuses in a script are the command line's shell tests'; here a row whose text holds a
// tab and whose reason holds a line break, which would split it.
TEST(CliReporter, InAScriptEachOutcomeIsOneRowWhateverItsTextHolds)
{
    SetStringTableLanguage(QStringLiteral("en"));
    FILE* progress = std::tmpfile();
    FILE* results = std::tmpfile();
    {
        MCliReporter reporter(progress, results);
        EXPECT_FALSE(reporter.IsTerminal());
        reporter.ReportItem(
            {1, QStringLiteral("2: Tab\there"), MItemOutcome::Failed, QStringLiteral("413\nToo large"), {}});
    }
    EXPECT_EQ(ReadAll(results), QStringLiteral("Failure\t2: Tab here\t413 Too large\n"));
    std::fclose(progress);
    std::fclose(results);
}
